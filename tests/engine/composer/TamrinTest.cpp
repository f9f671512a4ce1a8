// The composer on the calling thread: initialisation, requests, the module
// switches, the references, stop, pause and resume.
#include "engine/composer/Tamrin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/composer/VControl.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "modules/vm_playback.h"
#include "modules/vm_speechout_mbr.h"
#include "tests/engine/ComposerSeams.h"

namespace {

using engine_testing::HookModule;

// The two sound-card outputs, answering the codes a test gives.
struct SpeechOut : VM_SpeechOut_Mbr {
  int Play(const char* text) override {
    played = text == nullptr;
    return playCode;
  }
  int Stop() override { return stopCode; }
  int SetVolume(float ratio) override {
    volume = ratio;
    return 0;
  }
  int playCode = 0, stopCode = 0;
  bool played = false;
  float volume = -1.0f;
};
struct Playback : VM_Playback {
  int Stop() override { return stopCode; }
  int PlayBlock() override { return blockCode; }
  int stopCode = 0, blockCode = 0;
};

using TamrinTest = engine_testing::ComposerTest;

TEST_F(TamrinTest, AFailedInitReleasesEverythingAndMayBeRetriedWithAReadOnlyErrorFile) {
  int alive = 0;  // VM_User_ToPhones too, which is not in the directory
  composer_.create = [&alive](Tamrin::ModuleId id) -> VModule* {
    auto* module = new HookModule(Tamrin::ModuleName(id));
    ++alive;
    module->onDestroy = [&alive] { --alive; };
    return module;
  };
  EXPECT_EQ(Init("missing.vof"), Tamrin::kFontNotFound);
  EXPECT_EQ(boxes_.reports(),
            std::vector<std::string>{"Error: character [missing.vof] not found."});
  EXPECT_EQ(alive, 0);
  testing_support::WriteFile("TamrinError.txt", "an old report\n");
  composer_.errorFileReadOnly = true;  // shown, not written, and the init goes on
  boxes_.clear();
  ASSERT_EQ(composer_.Init("", 1, 0), 0);
  ASSERT_FALSE(boxes_.messages().empty());
  EXPECT_EQ(boxes_.messages().front().second, "TamrinError file is read-only.");
  EXPECT_EQ(testing_support::ReadFile("TamrinError.txt"), "an old report\n");
  EXPECT_TRUE(Selected("default.vof"));
  EXPECT_EQ(alive, 27);
  EXPECT_EQ(composer_.Init("second.vof", 2, 0), Tamrin::kAlreadyInitialised);
  EXPECT_EQ(composer_.Finalize(), 0);
  EXPECT_EQ(alive, 0);
}

TEST(TamrinLoggerTest, AnEngineMadeBeforeTheSharedResourcesLoadWritesNoLoggerFile) {
  testing_support::Installation inst;
  inst.Complete();
  std::filesystem::create_directory(inst.path("logs"));
  testing_support::MessageRecorder boxes;
  TMShared shared;
  for (const bool load : {false, true}) {
    SCOPED_TRACE(load ? "loaded" : "not loaded");
    if (load) {
      ASSERT_EQ(shared.Load(), TMShared::kLoaded);
    }
    boxes.clear();
    Tamrin composer;
    composer.SetShared(&shared);
    composer.Init("default.vof", 1, 0);
    EXPECT_EQ(testing_support::FileExists(inst.path("logs/log_1.html")), load);
    for (const std::string& report : boxes.reports()) {
      EXPECT_EQ(report.find("Logger."), std::string::npos) << report;
    }
    composer.Finalize();
  }
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(inst.dir())) {
    names.push_back(entry.path().filename());
  }
  EXPECT_EQ(std::count(names.begin(), names.end(), "1"), 0);
}

TEST_F(TamrinTest, RequestsAfterFinalizeTouchNothing) {
  ASSERT_EQ(Init(), 0);  // the same state as before Init
  composer_.Finalize();
  char* block = VStr::Duplicate("old");
  long size = 7;
  std::string list = "untouched";
  int count = -5;
  const int none = Tamrin::kNoFontSelected;
  EXPECT_EQ(composer_.Speak("x", false), none);
  EXPECT_EQ(composer_.SpeakToBuffer("x", true, &block, &size), none);
  EXPECT_EQ(composer_.SpeakToFile("x", "out.wav"), none);
  EXPECT_EQ(composer_.SetCharacter("default.vof"), none);
  EXPECT_EQ(composer_.SetPitch(1.0f), none);
  EXPECT_EQ(composer_.SetVolume(1.0f), none);
  EXPECT_EQ(composer_.GetCharacterList(list, count), Tamrin::kNoFonts);
  EXPECT_EQ(composer_.GetCharacterParameter("default.vof", "Playback.Method", &block),
            Tamrin::kFontNotFound);
  EXPECT_EQ(composer_.Stop() + composer_.Pause() + composer_.Resume(), 0);
  EXPECT_FALSE(composer_.GetControl()->IsAborted());  // the stop did nothing
  EXPECT_STREQ(block, "old");
  EXPECT_EQ(size + count, 2);
  EXPECT_EQ(list, "untouched");
  EXPECT_FALSE(composer_.RegisterModule(new HookModule("Test_Late")));
  VStr::Release(&block);
}

TEST_F(TamrinTest, ASetUpFailureAnswers1110AndKeepsTheFontSelected) {
  ASSERT_EQ(InitWith("Test_Before;Test_Failing;Test_After"), 0);
  HookModule* before = Register("Test_Before");
  Register("Test_Failing")->onSetUp = [] { return false; };
  HookModule* after = Register("Test_After");
  EXPECT_EQ(composer_.SetCharacter("chain.vof"), Tamrin::kSetUpFailed);
  EXPECT_EQ(after->setUps, 0);
  EXPECT_EQ(composer_.Speak("text", true), 0);  // the font stays: its chain runs
  EXPECT_EQ(before->LastText(), "text .");
  EXPECT_EQ(after->runs, 1);
  EXPECT_EQ(composer_.SetCharacter("Second.vof"), Tamrin::kFontNotFound);  // case counts
  EXPECT_EQ(composer_.Speak("text", true), Tamrin::kNoFontSelected);
}

TEST_F(TamrinTest, EachRequestSwitchesTheOutputModules) {
  install_.Font("cplayback.vof",
                testing_support::Installation::FontText("Test_Probe", "cplayback"));
  install_.Font("mbrola.vof", testing_support::Installation::FontText("Test_Probe", "mbrola"));
  ASSERT_EQ(Init(), 0);
  Register();
  const Tamrin::ModuleId seven[] = {Tamrin::kTextFeeder, Tamrin::kFeeder,   Tamrin::kFeederPre,
                                    Tamrin::kMbrola,     Tamrin::kPlayback, Tamrin::kSpeechOutMbr,
                                    Tamrin::kSaveWave};
  const struct {
    const char *font, *request, *expected;  // the seven on or off, in the order above
  } rows[] = {{"cplayback.vof", "speak", "1001100"},
              {"mbrola.vof", "speak", "1000010"},
              {"default.vof", "speak", "1000000"},
              {"mbrola.vof", "buffer", "0011000"},
              {"mbrola.vof", "file", "0010001"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.font) + " " + row.request);
    for (Tamrin::ModuleId id : seven) composer_.GetModule(id)->SetEnabled(true);
    ASSERT_EQ(composer_.SetCharacter(row.font), 0);
    const std::string request = row.request;
    const int r = request == "speak"    ? composer_.Speak("x", true)
                  : request == "buffer" ? composer_.SpeakToBuffer("x", false, nullptr, nullptr)
                                        : composer_.SpeakToFile("x", "out.wav");
    EXPECT_EQ(r, 0);
    std::string flags;
    for (Tamrin::ModuleId id : seven) flags += composer_.GetModule(id)->IsEnabled() ? '1' : '0';
    EXPECT_EQ(flags, row.expected);
  }
}

TEST_F(TamrinTest, TheReferencesKeepToTheirLimits) {
  ASSERT_EQ(Init(), 0);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    int (Tamrin::*set)(float);
    float value;
    int expected;
  } rows[] = {{&Tamrin::SetPitch, 2.0f, 0},       {&Tamrin::SetPitch, 0.5f, 0},
              {&Tamrin::SetPitch, 2.01f, -1200},  {&Tamrin::SetPitch, nan, -1201},
              {&Tamrin::SetSpeed, 2.0f, 0},       {&Tamrin::SetSpeed, 0.49f, -1205},
              {&Tamrin::SetVolume, 2.01f, -1208}, {&Tamrin::SetVolume, -0.01f, -1209}};
  for (const auto& row : rows) {
    EXPECT_EQ((composer_.*row.set)(row.value), row.expected) << row.value;
    EXPECT_EQ(composer_.GetLastResult(), row.expected) << row.value;
  }
  EXPECT_FLOAT_EQ(composer_.GetIntonation()->GetScale(), 0.5f);
  EXPECT_FLOAT_EQ(composer_.GetDuration()->GetScale(), 2.0f);
  // The volume reaches only the player output, which a buffer request switches off.
  ASSERT_EQ(composer_.SpeakToBuffer("x", false, nullptr, nullptr), 0);
  EXPECT_EQ(composer_.SetVolume(1.0f), Tamrin::kNoPlayerOutput);
}

TEST_F(TamrinTest, StopPauseAndResumePassTheOutputsCodesAndStopAlwaysStops) {
  auto* out = new SpeechOut();
  auto* playback = new Playback();
  composer_.create = [out, playback](Tamrin::ModuleId id) -> VModule* {
    if (id == Tamrin::kSpeechOutMbr) return out;
    return id == Tamrin::kPlayback ? playback : nullptr;
  };
  ASSERT_EQ(Init(), 0);
  VControl* control = composer_.GetControl();
  EXPECT_EQ(composer_.SetVolume(1.5f), 0);  // the player output is on after registration
  EXPECT_FLOAT_EQ(out->volume, 1.5f);
  playback->blockCode = 1050;
  EXPECT_EQ(composer_.Pause(), 0);
  EXPECT_EQ(composer_.Resume(), 1050);  // a warning passes through
  EXPECT_TRUE(out->played);
  EXPECT_FALSE(control->IsPaused());
  playback->stopCode = -3;
  EXPECT_EQ(composer_.Pause(), -3);
  out->playCode = -4;
  EXPECT_EQ(composer_.Resume(), -4);
  EXPECT_TRUE(control->IsPaused());  // a failed resume keeps the pause
  out->stopCode = -7;
  EXPECT_EQ(composer_.Stop(), -7);
  EXPECT_TRUE(control->IsAborted() && control->IsStopped() && control->IsIdle());
  EXPECT_FALSE(control->IsPaused());
}

TEST_F(TamrinTest, APauseDoesNotOutliveItsRequestAndAThreadThatCannotStartAnswers2020) {
  ASSERT_EQ(Init(), 0);
  HookModule* probe = Register();
  bool pausedInRun = true;
  probe->onRun = [probe, &pausedInRun] {
    pausedInRun = probe->PeekComposer()->GetControl()->IsPaused();
    return true;
  };
  EXPECT_EQ(composer_.Pause(), 0);
  EXPECT_EQ(composer_.Speak("x", true), 0);
  EXPECT_FALSE(pausedInRun);
  composer_.failThreads = true;
  EXPECT_EQ(composer_.Speak("x", false), Tamrin::kThreadFailed);
  EXPECT_EQ(boxes_.reports(), std::vector<std::string>{"Error starting the speech thread."});
  EXPECT_TRUE(composer_.GetControl()->IsIdle());
  composer_.failThreads = false;
  EXPECT_EQ(composer_.Speak("z", false), 0);  // nothing is left held
  EXPECT_EQ(composer_.Speak("w", true), 0);
  EXPECT_EQ(probe->runs, 3);
}

}  // namespace
