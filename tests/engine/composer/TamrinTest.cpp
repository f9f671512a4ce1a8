#include "engine/composer/Tamrin.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/composer/VCharacter.h"
#include "engine/composer/VControl.h"
#include "engine/composer/VModuleChain.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/data/VSpeechBuffer.h"
#include "engine/shared/TMShared.h"
#include "modules/vm_playback.h"
#include "modules/vm_savewavembr.h"
#include "modules/vm_speechout_mbr.h"
#include "modules/vm_user_tophones.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/EngineTestSupport.h"

namespace {

using engine_testing::EngineInstallation;
using engine_testing::FontText;
using engine_testing::HookModule;
using engine_testing::Shown;
using engine_testing::TestTamrin;
using testing_support::FileExists;
using testing_support::MessageRecorder;
using testing_support::ReadFile;
using testing_support::ReadLines;
using testing_support::WriteFile;

// Player output whose operations answer the codes a test gives and count.
class ScriptedSpeechOut : public VM_SpeechOut_Mbr {
 public:
  int Play(const char* text) override {
    ++plays;
    playedNull = text == nullptr;
    return playCode;
  }
  int Stop() override {
    ++stops;
    return stopCode;
  }
  int SetVolume(float ratio) override {
    volume = ratio;
    return 0;
  }
  int playCode = 0;
  int stopCode = 0;
  int plays = 0;
  int stops = 0;
  bool playedNull = false;
  float volume = -1.0f;
};

class ScriptedPlayback : public VM_Playback {
 public:
  int Stop() override {
    ++stops;
    return stopCode;
  }
  int PlayBlock() override {
    ++blocks;
    return blockCode;
  }
  int stopCode = 0;
  int blockCode = 0;
  int stops = 0;
  int blocks = 0;
};

// The unregistered module, telling when it goes.
class TrackedUserToPhones : public VM_User_ToPhones {
 public:
  explicit TrackedUserToPhones(bool* deleted) : deleted_(deleted) {}
  ~TrackedUserToPhones() override { *deleted_ = true; }

 private:
  bool* deleted_;
};

class TamrinTest : public engine_testing::ComposerTest {
 protected:
  std::vector<std::string> DirectoryNames() {
    std::vector<std::string> names;
    VModuleDirectory* directory = composer_.GetModuleDirectory();
    for (int i = 0; i < directory->Count(); ++i) names.push_back(directory->At(i)->GetName());
    return names;
  }
};

// ---------------------------------------------------------------------------
// Initialisation

TEST_F(TamrinTest, InitRegistersTheModulesAndSelectsTheDefaultFont) {
  ASSERT_EQ(Init(), 0);
  EXPECT_TRUE(composer_.IsInitialised());
  EXPECT_EQ(composer_.GetLastResult(), 0);
  EXPECT_EQ(CurrentKey(), "default.vof");
  const std::vector<std::string> registered = {
      "VM_TextFeeder",         "VM_Feeder",        "VM_Speller",
      "VM_FeederPre",          "VM_UserToGreek",   "VM_UsEnglish",
      "VM_FeederPost",         "VM_FilterPlain",   "VM_Phonemizer",
      "VM_InFilter",           "VM_LayerSyllable", "VM_LayerWord",
      "VM_LayerPhrase",        "VM_LayerSentence", "VM_GrGrammar",
      "VM_DurationTriState",   "VM_DurationWord",  "VM_DurationFilter",
      "VM_IntonationSyllable", "VM_IntonationV58", "VM_SmoothF0",
      "VM_GeneratorPHO",       "VM_SpeechOut_Mbr", "VM_Mbrola",
      "VM_Playback",           "VM_SaveWave"};
  EXPECT_EQ(DirectoryNames(), registered);
  // Every module object carries its name; the unregistered one exists too.
  for (int id = 0; id < Tamrin::kModuleCount; ++id) {
    const auto module_id = static_cast<Tamrin::ModuleId>(id);
    ASSERT_NE(composer_.GetModule(module_id), nullptr) << Tamrin::ModuleName(module_id);
    EXPECT_EQ(composer_.GetModule(module_id)->GetName(), Tamrin::ModuleName(module_id));
  }
  EXPECT_EQ(composer_.GetModuleDirectory()->Find("VM_User_ToPhones"), nullptr);
  EXPECT_NE(composer_.GetDuration(), nullptr);
  EXPECT_NE(composer_.GetIntonation(), nullptr);
  EXPECT_EQ(composer_.GetInstanceText(), "1");
}

TEST_F(TamrinTest, InitWithAFontNameSelectsThatFontAndASecondInitAnswers1025) {
  ASSERT_EQ(Init("second.vof"), 0);
  EXPECT_EQ(CurrentKey(), "second.vof");
  EXPECT_EQ(composer_.Init("default.vof", 2, 0), Tamrin::kAlreadyInitialised);
  EXPECT_EQ(composer_.GetLastResult(), Tamrin::kAlreadyInitialised);
  EXPECT_EQ(CurrentKey(), "second.vof");
  EXPECT_EQ(composer_.GetModuleDirectory()->Count(), 26);
  EXPECT_EQ(composer_.GetInstanceText(), "1");
}

TEST_F(TamrinTest, InitRemovesTheErrorFileAndSetsUpTheLogger) {
  WriteFile("TamrinError.txt", "an old report\n");
  install_.write("logs/err_1.html", "old errors");
  install_.write("logs/log_1.html", "old log");
  ASSERT_EQ(Init(), 0);
  EXPECT_FALSE(FileExists("TamrinError.txt"));
  EXPECT_EQ(ReadFile(install_.path("logs/log_1.html")),
            "<html><title></title><body>Tamrin Logger, version Sun Mar 16 21:45:02 2003\n");
  EXPECT_FALSE(FileExists(install_.path("logs/err_1.html")));
  EXPECT_EQ(composer_.GetLogger()->GetLogFileName(), install_.path("logs/log_1.html"));
  EXPECT_EQ(composer_.GetLogger()->GetErrorLogFileName(), install_.path("logs/err_1.html"));
}

TEST_F(TamrinTest, ReadOnlyErrorFileIsShownNotWrittenAndInitGoesOn) {
  WriteFile("TamrinError.txt", "an old report\n");
  composer_.errorFileReadOnly = true;
  boxes_.clear();
  ASSERT_EQ(Init(), 0);
  EXPECT_TRUE(composer_.IsInitialised());
  ASSERT_FALSE(boxes_.messages().empty());
  EXPECT_EQ(
      boxes_.messages().front(),
      std::make_pair(std::string("Tamrin Engine"), std::string("TamrinError file is read-only.")));
  // Neither removed nor appended to.
  EXPECT_EQ(ReadFile("TamrinError.txt"), "an old report\n");
}

TEST_F(TamrinTest, ErrorFileWithoutWritePermissionCountsAsReadOnly) {
  EXPECT_FALSE(composer_.RealErrorFileReadOnly());  // no file at all
  WriteFile("TamrinError.txt", "x\n");
  EXPECT_FALSE(composer_.RealErrorFileReadOnly());
  ASSERT_EQ(chmod("TamrinError.txt", 0444), 0);
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not hold for root";
  EXPECT_TRUE(composer_.RealErrorFileReadOnly());
}

TEST_F(TamrinTest, FailedInitReleasesEverythingAndMayBeRetried) {
  int alive = 0;
  composer_.create = [&alive](Tamrin::ModuleId id) -> VModule* {
    auto* module = new HookModule(Tamrin::ModuleName(id));
    ++alive;
    module->onDestroy = [&alive] { --alive; };
    return module;
  };
  EXPECT_EQ(Init("missing.vof"), Tamrin::kFontNotFound);
  EXPECT_TRUE(Shown(boxes_, "Error: character [missing.vof] not found."));
  EXPECT_EQ(composer_.GetLastResult(), Tamrin::kFontNotFound);
  EXPECT_FALSE(composer_.IsInitialised());
  EXPECT_EQ(alive, 0);  // every module deleted, the unregistered one too
  EXPECT_EQ(composer_.GetModuleDirectory()->Count(), 0);
  EXPECT_EQ(composer_.GetCharacterPool()->Count(), 0);
  EXPECT_EQ(composer_.GetCharacter(), nullptr);
  EXPECT_EQ(composer_.GetDuration(), nullptr);
  EXPECT_EQ(composer_.GetModule(Tamrin::kUserToPhones), nullptr);

  ASSERT_EQ(composer_.Init("", 1, 0), 0);
  EXPECT_EQ(alive, 27);
  EXPECT_EQ(composer_.GetModuleDirectory()->Count(), 26);  // registered once
  EXPECT_EQ(composer_.GetCharacterPool()->Count(), 2);
  composer_.Finalize();
  EXPECT_EQ(alive, 0);
}

TEST_F(TamrinTest, FinalizeReleasesTheUnregisteredModule) {
  bool deleted = false;
  composer_.create = [&deleted](Tamrin::ModuleId id) -> VModule* {
    return id == Tamrin::kUserToPhones ? new TrackedUserToPhones(&deleted) : nullptr;
  };
  ASSERT_EQ(Init(), 0);
  EXPECT_FALSE(deleted);
  EXPECT_EQ(composer_.Finalize(), 0);
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(composer_.IsInitialised());
  EXPECT_EQ(composer_.GetModule(Tamrin::kUserToPhones), nullptr);
  EXPECT_EQ(composer_.GetCharacter(), nullptr);
  EXPECT_EQ(composer_.Finalize(), 0);  // a second time finds nothing to do
}

// Every request of a composer that is not initialised, before Init and
// after Finalize: the speak requests and the setters answer -1101, the
// queries say there is nothing, stop, pause and resume do nothing.
TEST_F(TamrinTest, RequestsWithoutAnInitialisedComposerTouchNothing) {
  for (const bool afterFinalize : {false, true}) {
    SCOPED_TRACE(afterFinalize ? "after Finalize" : "before Init");
    if (afterFinalize) {
      ASSERT_EQ(Init(), 0);
      composer_.Finalize();
    }
    char* block = VStr::Duplicate("old");
    long size = 7;
    std::string list = "untouched";
    int count = -5;
    VControl::SetAbort(false);
    EXPECT_EQ(composer_.Speak("x", true), Tamrin::kNoFontSelected);
    EXPECT_EQ(composer_.Speak("x", false), Tamrin::kNoFontSelected);
    EXPECT_EQ(composer_.SpeakToBuffer("x", true, &block, &size), Tamrin::kNoFontSelected);
    EXPECT_STREQ(block, "old");
    EXPECT_EQ(size, 7);
    EXPECT_EQ(composer_.SpeakToFile("x", "out.wav"), Tamrin::kNoFontSelected);
    EXPECT_EQ(composer_.SetCharacter("default.vof"), Tamrin::kNoFontSelected);
    EXPECT_EQ(composer_.GetCharacterList(list, count), Tamrin::kNoFonts);
    EXPECT_EQ(list, "untouched");
    EXPECT_EQ(count, -5);
    EXPECT_EQ(composer_.GetCharacterParameter("default.vof", "Playback.Method", &block),
              Tamrin::kFontNotFound);
    EXPECT_STREQ(block, "old");
    EXPECT_EQ(composer_.SetPitch(1.0f), Tamrin::kNoFontSelected);
    EXPECT_EQ(composer_.SetSpeed(1.0f), Tamrin::kNoFontSelected);
    EXPECT_EQ(composer_.SetVolume(1.0f), Tamrin::kNoFontSelected);
    EXPECT_EQ(composer_.Stop(), 0);
    EXPECT_EQ(composer_.Pause(), 0);
    EXPECT_EQ(composer_.Resume(), 0);
    EXPECT_FALSE(VControl::IsAbort());  // the stop did nothing
    EXPECT_FALSE(composer_.GetControl()->IsPaused());
    EXPECT_EQ(composer_.Reset(), 1);
    EXPECT_STREQ(composer_.GetText()->GetText(), "");
    EXPECT_FALSE(composer_.RegisterModule(new HookModule("Test_Late")));
    VStr::Release(&block);
  }
}

// ---------------------------------------------------------------------------
// Voice fonts

TEST_F(TamrinTest, SelectingAnUnknownFontReportsAndLeavesNoneSelected) {
  ASSERT_EQ(Init(), 0);
  boxes_.clear();
  EXPECT_EQ(composer_.SetCharacter("Second.vof"), Tamrin::kFontNotFound);  // case counts
  EXPECT_EQ(composer_.GetLastResult(), Tamrin::kFontNotFound);
  EXPECT_TRUE(Shown(boxes_, "Error: character [Second.vof] not found."));
  EXPECT_EQ(composer_.GetCharacter(), nullptr);
  EXPECT_EQ(composer_.Speak("text", true), Tamrin::kNoFontSelected);
  EXPECT_STREQ(composer_.GetText()->GetText(), "");
  EXPECT_EQ(composer_.SetCharacter("second.vof"), 0);
  EXPECT_EQ(CurrentKey(), "second.vof");
  EXPECT_EQ(composer_.Speak("text", true), 0);
}

TEST_F(TamrinTest, SetUpFailureAnswers1110AndKeepsTheFontSelected) {
  install_.Font("failing.vof", FontText("Test_Before;Test_Failing;Test_After"));
  ASSERT_EQ(Init(), 0);
  HookModule* before = Register("Test_Before");
  HookModule* failing = Register("Test_Failing");
  HookModule* after = Register("Test_After");
  failing->onSetUp = [] { return false; };
  boxes_.clear();
  EXPECT_EQ(composer_.SetCharacter("failing.vof"), Tamrin::kSetUpFailed);
  EXPECT_EQ(composer_.GetLastResult(), Tamrin::kSetUpFailed);
  EXPECT_TRUE(Shown(boxes_, "Error: setting up module [Test_Failing]"));
  EXPECT_EQ(before->setUps, 1);
  EXPECT_EQ(after->setUps, 0);
  EXPECT_EQ(CurrentKey(), "failing.vof");
  // The font stays current: its chain runs.
  EXPECT_EQ(composer_.Speak("text", true), 0);
  EXPECT_EQ(before->runs, 1);
  EXPECT_EQ(after->runs, 1);
}

TEST_F(TamrinTest, CharacterListAndParameters) {
  install_.Font("bare.vof", "Settings.DisplayName=Bare\nSettings.DisplayNameGr=\n");
  ASSERT_EQ(Init(), 0);
  std::string list;
  int count = 0;
  EXPECT_EQ(composer_.GetCharacterList(list, count), 0);
  EXPECT_EQ(list, "bare.vof;default.vof;second.vof;");
  EXPECT_EQ(count, 3);

  char* value = VStr::Duplicate("old block");
  EXPECT_EQ(composer_.GetCharacterParameter("bare.vof", "Settings.DisplayName", &value), 0);
  EXPECT_STREQ(value, "Bare");
  // Empty in the font: the default font's value, in the engine's code page.
  EXPECT_EQ(composer_.GetCharacterParameter("bare.vof", "Settings.DisplayNameGr", &value), 0);
  EXPECT_EQ(std::string(value), platform::Utf8ToCp1253(engine_testing::kGreekName));
  EXPECT_EQ(composer_.GetCharacterParameter("second.vof", "No.Such.Key", &value), 0);
  EXPECT_STREQ(value, "");
  boxes_.clear();
  EXPECT_EQ(composer_.GetCharacterParameter("other.vof", "Settings.DisplayName", &value),
            Tamrin::kFontNotFound);
  EXPECT_STREQ(value, "");                 // untouched
  EXPECT_TRUE(boxes_.messages().empty());  // not reported
  EXPECT_EQ(composer_.GetLastResult(), Tamrin::kFontNotFound);
  EXPECT_EQ(composer_.SetParameter("a", "b"), 0);
  VStr::Release(&value);
}

// ---------------------------------------------------------------------------
// Requests

TEST_F(TamrinTest, SpeakRunsTheChainOnTheTextWithABlankAndAFullStop) {
  install_.Font("two.vof", FontText("Test_Probe;Test_Second"));
  ASSERT_EQ(Init(), 0);
  HookModule* probe = Register();
  HookModule* second = Register("Test_Second");
  EXPECT_EQ(composer_.Speak("hello", true), 0);
  EXPECT_EQ(probe->runs, 1);
  EXPECT_EQ(probe->LastText(), "hello .");
  EXPECT_TRUE(composer_.GetControl()->IsSpeaking());
  EXPECT_EQ(composer_.Speak("", true), 0);
  EXPECT_EQ(probe->LastText(), " .");
  // A module that answers false ends the run; the request still answers 0.
  ASSERT_EQ(composer_.SetCharacter("two.vof"), 0);
  EXPECT_EQ(composer_.Speak("again", true), 0);
  EXPECT_EQ(second->runs, 1);
  probe->onRun = [] { return false; };
  EXPECT_EQ(composer_.Speak("again", true), 0);
  EXPECT_EQ(probe->runs, 4);
  EXPECT_EQ(second->runs, 1);
}

TEST_F(TamrinTest, EachRequestSwitchesTheSevenModules) {
  install_.Font("cplayback.vof", FontText("Test_Probe", "cplayback"));
  install_.Font("mbrola.vof", FontText("Test_Probe", "mbrola"));
  install_.Font("upper.vof", FontText("Test_Probe", "CPlayback"));
  ASSERT_EQ(Init(), 0);
  Register();
  const Tamrin::ModuleId seven[] = {Tamrin::kTextFeeder, Tamrin::kFeeder,   Tamrin::kFeederPre,
                                    Tamrin::kMbrola,     Tamrin::kPlayback, Tamrin::kSpeechOutMbr,
                                    Tamrin::kSaveWave};
  struct Row {
    const char* font;
    const char* request;
    const char* expected;  // on/off of the seven, in the order above
    bool noPlayback;       // the log line for an unknown method
  };
  const Row rows[] = {
      {"cplayback.vof", "speak", "1001100", false}, {"mbrola.vof", "speak", "1000010", false},
      {"default.vof", "speak", "1000000", true},    {"upper.vof", "speak", "1000000", true},
      {"mbrola.vof", "buffer", "0011000", false},   {"mbrola.vof", "file", "0010001", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.font) + " " + row.request);
    // Everything on, as after registration, so every row shows its own
    // switching.
    for (Tamrin::ModuleId id : seven) composer_.GetModule(id)->SetEnabled(true);
    ASSERT_EQ(composer_.SetCharacter(row.font), 0);
    const size_t linesBefore = ReadLines(install_.path("log.txt")).size();
    if (std::string(row.request) == "speak") {
      EXPECT_EQ(composer_.Speak("x", true), 0);
    } else if (std::string(row.request) == "buffer") {
      char* block = nullptr;
      long size = 0;
      EXPECT_EQ(composer_.SpeakToBuffer("x", false, &block, &size), 0);
      VStr::Release(&block);
    } else {
      EXPECT_EQ(composer_.SpeakToFile("x", "out.wav"), 0);
    }
    std::string flags;
    for (Tamrin::ModuleId id : seven) flags += composer_.GetModule(id)->IsEnabled() ? '1' : '0';
    EXPECT_EQ(flags, row.expected);
    const std::vector<std::string> lines = ReadLines(install_.path("log.txt"));
    const bool logged =
        lines.size() > linesBefore && lines.back() == "***NO PLAYBACK HAS BEEN SELECTED***";
    EXPECT_EQ(logged, row.noPlayback);
  }
  // Modules that no request switches keep their flag.
  composer_.GetModule(Tamrin::kPhonemizer)->SetEnabled(false);
  EXPECT_EQ(composer_.Speak("x", true), 0);
  EXPECT_FALSE(composer_.GetModule(Tamrin::kPhonemizer)->IsEnabled());
}

TEST_F(TamrinTest, SpeakToFileNamesTheWaveFileAndRunsOnTheCallingThread) {
  ASSERT_EQ(Init(), 0);
  HookModule* probe = Register();
  EXPECT_EQ(composer_.SpeakToFile("words", "out/speech.wav"), 0);
  EXPECT_EQ(probe->runs, 1);
  EXPECT_EQ(probe->LastText(), "words .");
  auto* save = dynamic_cast<VM_SaveWave*>(composer_.GetModule(Tamrin::kSaveWave));
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->GetFileName(), "out/speech.wav");
}

TEST_F(TamrinTest, SpeakToBufferHandsOutTheSamplesWithOrWithoutHeader) {
  ASSERT_EQ(Init(), 0);
  HookModule* probe = Register();
  probe->onRun = [probe] {
    VSpeechBuffer* speech = probe->PeekComposer()->GetSpeechBuffer();
    for (int16_t s : {int16_t{1}, int16_t{-2}, int16_t{0x1234}}) speech->Append(s);
    return true;
  };
  char* block = VStr::Duplicate("an old block that the request releases");
  long size = 0;
  ASSERT_EQ(composer_.SpeakToBuffer("abc", true, &block, &size), 0);
  EXPECT_EQ(probe->LastText(), "abc .");
  ASSERT_EQ(size, 50);
  const auto* bytes = reinterpret_cast<const unsigned char*>(block);
  auto u32 = [bytes](int at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24;
  };
  EXPECT_EQ(std::memcmp(bytes, "RIFF", 4), 0);
  EXPECT_EQ(u32(4), 42);
  EXPECT_EQ(std::memcmp(bytes + 8, "WAVEfmt ", 8), 0);
  EXPECT_EQ(u32(24), 16000);  // the font's sample rate
  EXPECT_EQ(u32(28), 32000);
  EXPECT_EQ(std::memcmp(bytes + 36, "data", 4), 0);
  EXPECT_EQ(u32(40), 6);
  EXPECT_EQ(std::vector<unsigned char>(bytes + 44, bytes + 50),
            (std::vector<unsigned char>{0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12}));

  // Every run starts with an empty buffer.
  ASSERT_EQ(composer_.SpeakToBuffer("abc", false, &block, &size), 0);
  EXPECT_EQ(size, 6);
  probe->onRun = nullptr;
  ASSERT_EQ(composer_.SpeakToBuffer("abc", false, &block, &size), 0);
  EXPECT_EQ(size, 0);
  VStr::Release(&block);
}

TEST_F(TamrinTest, ReferencesKeepToTheirLimits) {
  ASSERT_EQ(Init(), 0);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Row {
    int (Tamrin::*set)(float);
    float value;
    int expected;
  };
  const Row rows[] = {
      {&Tamrin::SetPitch, 2.0f, 0},       {&Tamrin::SetPitch, 0.5f, 0},
      {&Tamrin::SetPitch, 2.01f, -1200},  {&Tamrin::SetPitch, 0.49f, -1201},
      {&Tamrin::SetPitch, nan, -1201},    {&Tamrin::SetSpeed, 2.0f, 0},
      {&Tamrin::SetSpeed, 0.5f, 0},       {&Tamrin::SetSpeed, 2.01f, -1204},
      {&Tamrin::SetSpeed, 0.49f, -1205},  {&Tamrin::SetSpeed, nan, -1205},
      {&Tamrin::SetVolume, 0.0f, 0},      {&Tamrin::SetVolume, 2.0f, 0},
      {&Tamrin::SetVolume, 2.01f, -1208}, {&Tamrin::SetVolume, -0.01f, -1209},
      {&Tamrin::SetVolume, nan, -1209},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ((composer_.*row.set)(row.value), row.expected);
    EXPECT_EQ(composer_.GetLastResult(), row.expected);
  }
  // The accepted pitch and speed went to the arrays; the refused ones not.
  EXPECT_FLOAT_EQ(composer_.GetIntonation()->GetScale(), 0.5f);
  EXPECT_FLOAT_EQ(composer_.GetDuration()->GetScale(), 0.5f);
  EXPECT_EQ(composer_.SetPitch(1.25f), 0);
  EXPECT_EQ(composer_.SetSpeed(1.75f), 0);
  EXPECT_FLOAT_EQ(composer_.GetIntonation()->GetScale(), 1.25f);
  EXPECT_FLOAT_EQ(composer_.GetDuration()->GetScale(), 1.75f);
  // The volume goes only to the player output, which a request through
  // in-process synthesis switches off.
  ASSERT_EQ(composer_.SpeakToBuffer("x", false, nullptr, nullptr), 0);
  EXPECT_EQ(composer_.SetVolume(1.0f), Tamrin::kNoPlayerOutput);
  EXPECT_EQ(composer_.GetLastResult(), Tamrin::kNoPlayerOutput);
  EXPECT_EQ(composer_.SetVolume(3.0f), Tamrin::kVolumeTooHigh);
}

TEST_F(TamrinTest, VolumeReachesThePlayerOutput) {
  auto* out = new ScriptedSpeechOut();
  composer_.create = [out](Tamrin::ModuleId id) -> VModule* {
    return id == Tamrin::kSpeechOutMbr ? out : nullptr;
  };
  ASSERT_EQ(Init(), 0);
  EXPECT_EQ(composer_.SetVolume(1.5f), 0);
  EXPECT_FLOAT_EQ(out->volume, 1.5f);
}

// ---------------------------------------------------------------------------
// Stop, pause and resume, without a run

TEST_F(TamrinTest, StopMarksTheRunStoppedEvenWhenAnOutputFails) {
  auto* out = new ScriptedSpeechOut();
  auto* playback = new ScriptedPlayback();
  composer_.create = [out, playback](Tamrin::ModuleId id) -> VModule* {
    if (id == Tamrin::kSpeechOutMbr) return out;
    if (id == Tamrin::kPlayback) return playback;
    return nullptr;
  };
  ASSERT_EQ(Init(), 0);
  out->stopCode = -7;
  playback->stopCode = -9;
  VControl* control = composer_.GetControl();
  composer_.Pause();
  control->SetSpeaking(true);
  VControl::SetAbort(false);
  composer_.SetLastError(123);

  EXPECT_EQ(composer_.Stop(), -7);  // both outputs are on after registration
  EXPECT_EQ(out->stops, 2);         // the pause stopped it once already
  EXPECT_EQ(playback->stops, 1);
  EXPECT_TRUE(VControl::IsAbort());
  EXPECT_TRUE(control->IsStopped());
  EXPECT_FALSE(control->IsPaused());
  EXPECT_TRUE(control->IsIdle());
  EXPECT_EQ(composer_.GetLastResult(), 123);  // Stop leaves the last code alone

  // Only the wave-out output on, failing.
  out->SetEnabled(false);
  control->SetPlaying(true);
  EXPECT_EQ(composer_.Stop(), -9);
  EXPECT_TRUE(control->IsStopped());
  // Neither output on.
  playback->SetEnabled(false);
  control->SetPlaying(true);
  EXPECT_EQ(composer_.Stop(), 0);
  EXPECT_TRUE(control->IsStopped());
  VControl::SetAbort(false);
}

TEST_F(TamrinTest, PauseAndResumePassTheOutputsCodes) {
  auto* out = new ScriptedSpeechOut();
  auto* playback = new ScriptedPlayback();
  composer_.create = [out, playback](Tamrin::ModuleId id) -> VModule* {
    if (id == Tamrin::kSpeechOutMbr) return out;
    if (id == Tamrin::kPlayback) return playback;
    return nullptr;
  };
  ASSERT_EQ(Init(), 0);
  VControl* control = composer_.GetControl();

  EXPECT_EQ(composer_.Pause(), 0);
  EXPECT_TRUE(control->IsPaused());
  EXPECT_EQ(out->stops, 1);
  EXPECT_EQ(playback->stops, 1);
  playback->blockCode = 1050;
  EXPECT_EQ(composer_.Resume(), 1050);  // the warning passes through
  EXPECT_TRUE(out->playedNull);
  EXPECT_FALSE(control->IsPaused());

  playback->stopCode = -3;
  EXPECT_EQ(composer_.Pause(), -3);
  EXPECT_EQ(composer_.GetLastResult(), -3);
  out->playCode = -4;
  EXPECT_EQ(composer_.Resume(), -4);
  EXPECT_TRUE(control->IsPaused());  // a failed resume keeps the pause
  EXPECT_EQ(playback->blocks, 1);
  out->playCode = 0;
  playback->blockCode = 0;
  EXPECT_EQ(composer_.Resume(), 0);
  EXPECT_FALSE(control->IsPaused());
}

TEST_F(TamrinTest, ResumeWithNothingToReplayAnswers1050AndClearsThePause) {
  install_.Font("cplayback.vof", FontText("", "cplayback"));
  ASSERT_EQ(Init("cplayback.vof"), 0);
  ASSERT_EQ(composer_.Speak("x", true), 0);  // switches the wave-out output on
  ASSERT_TRUE(composer_.GetModule(Tamrin::kPlayback)->IsEnabled());
  EXPECT_EQ(composer_.Pause(), 0);
  EXPECT_TRUE(composer_.GetControl()->IsPaused());
  EXPECT_EQ(composer_.Resume(), VM_Playback::kNothingHeld);
  EXPECT_FALSE(composer_.GetControl()->IsPaused());
}

TEST_F(TamrinTest, APauseDoesNotOutliveItsRequest) {
  ASSERT_EQ(Init(), 0);
  HookModule* probe = Register();
  bool pausedInRun = true;
  probe->onRun = [probe, &pausedInRun] {
    pausedInRun = probe->PeekComposer()->GetControl()->IsPaused();
    return true;
  };
  EXPECT_EQ(composer_.Pause(), 0);
  EXPECT_EQ(composer_.Speak("x", true), 0);  // would wait for good in a paused output
  EXPECT_FALSE(pausedInRun);
  EXPECT_FALSE(composer_.GetControl()->IsPaused());
}

TEST_F(TamrinTest, AThreadThatCannotStartAnswers2020) {
  ASSERT_EQ(Init(), 0);
  HookModule* probe = Register();
  composer_.failThreads = true;
  boxes_.clear();
  EXPECT_EQ(composer_.Speak("x", false), Tamrin::kThreadFailed);
  EXPECT_EQ(composer_.GetLastResult(), Tamrin::kThreadFailed);
  EXPECT_TRUE(Shown(boxes_, "Error starting the speech thread."));
  const std::string report = ReadFile("TamrinError.txt");
  EXPECT_NE(report.find("\tError starting the speech thread.\n"), std::string::npos);
  EXPECT_TRUE(composer_.GetControl()->IsIdle());
  EXPECT_EQ(probe->runs, 0);
  // Nothing is left held: the next requests go through.
  composer_.failThreads = false;
  EXPECT_EQ(composer_.Speak("y", true), 0);
  EXPECT_EQ(composer_.Speak("z", false), 0);
  EXPECT_EQ(composer_.Speak("w", true), 0);  // after the worker's run
  EXPECT_EQ(probe->runs, 3);
}

}  // namespace
