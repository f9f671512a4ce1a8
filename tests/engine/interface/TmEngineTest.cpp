#include "engine/interface/tmengine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/composer/Tamrin.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/data/VSpeechBuffer.h"
#include "engine/shared/TMShared.h"
#include "platform/Codepage.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/EngineTestSupport.h"

namespace {

using engine_testing::EngineInstallation;
using engine_testing::FontText;
using engine_testing::HookModule;
using engine_testing::TestTamrin;
using testing_support::FileExists;
using testing_support::MessageRecorder;
using testing_support::ReadFile;

constexpr const char* kGreekText = "Καλημέρα κόσμε";

// The interface's last-error text.
std::string LastError() {
  char* text = nullptr;
  if (tmengine__GetLastError(&text) != 0) return "(failed)";
  std::string copy = text != nullptr ? text : "(null)";
  VStr::Release(&text);  // tmengine__FreeBuffer would empty the text
  return copy;
}

// Little-endian numbers of a wave image.
uint32_t U32(const std::string& bytes, size_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The standard output of a command, or "" when it cannot run.
std::string Output(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    pclose(pipe);
  }
  return out;
}

class TmEngineTest : public testing::Test {
 protected:
  TmEngineTest() : loaded_(engine_testing::LoadSharedResources(install_)) {}
  ~TmEngineTest() override {
    if (handle_ != nullptr) tmengine__Delete(&handle_);
  }

  void New() {
    ASSERT_EQ(tmengine__New(&handle_), 0) << LastError();
    ASSERT_NE(handle_, nullptr);
  }

  // A module of the test, which the fonts chain under "Test_Probe"; it
  // appends three samples to the speech buffer.
  HookModule* Probe() {
    auto* probe = new HookModule("Test_Probe");
    probe->onRun = [probe] {
      VSpeechBuffer* speech = probe->PeekComposer()->GetSpeechBuffer();
      for (int16_t s : {int16_t{100}, int16_t{-100}, int16_t{7}}) speech->Append(s);
      return true;
    };
    EXPECT_TRUE(handle_->RegisterModule(probe));
    return probe;
  }

  EngineInstallation install_;
  MessageRecorder boxes_;
  int loaded_;
  Tamrin* handle_ = nullptr;
};

// ---------------------------------------------------------------------------
// Shared resources, creation and deletion

TEST_F(TmEngineTest, ASecondLoadAnswers1020AndLeavesNoError) {
  EXPECT_TRUE(loaded_ == 0 || loaded_ == TMENGINE_ALREADY_LOADED) << loaded_;
  EXPECT_EQ(tmengine__LoadSharedResources(), TMENGINE_ALREADY_LOADED);
  EXPECT_EQ(LastError(), "");
}

TEST_F(TmEngineTest, ReleasingTheSharedResourcesRemovesTheMarker) {
  install_.write("_l1", "");
  EXPECT_EQ(tmengine__ReleaseSharedResources(), 0);
  EXPECT_EQ(LastError(), "");
  EXPECT_FALSE(FileExists(install_.path("_l1")));
  // They load once per process; the configuration stays for later engines.
  EXPECT_EQ(tmengine__LoadSharedResources(), TMENGINE_ALREADY_LOADED);
  New();
}

TEST_F(TmEngineTest, NewGivesAnEngineAndDeleteTakesItBack) {
  New();
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(handle_->GetInstanceText(), "1");
  EXPECT_EQ(tmengine__Delete(&handle_), 0);
  EXPECT_EQ(handle_, nullptr);
  EXPECT_EQ(tmengine__Delete(&handle_), 0);  // already null: nothing to do
  EXPECT_EQ(LastError(), "");
}

TEST_F(TmEngineTest, NullHandleAddressesAnswer1600) {
  EXPECT_EQ(tmengine__New(nullptr), TMENGINE_NULL_HANDLE);
  EXPECT_EQ(LastError(), "Null Tamrin handler as argument");
  EXPECT_EQ(tmengine__Delete(nullptr), TMENGINE_NULL_HANDLE);
  EXPECT_EQ(LastError(), "Null Tamrin handler as argument");
}

TEST_F(TmEngineTest, AFailedNewReleasesTheEngineAndMayBeRetried) {
  std::filesystem::rename(install_.path("voices"), install_.path("elsewhere"));
  handle_ = reinterpret_cast<Tamrin*>(&loaded_);  // overwritten with null
  EXPECT_EQ(tmengine__New(&handle_), TMENGINE_FONT_NOT_FOUND);
  EXPECT_EQ(handle_, nullptr);
  EXPECT_EQ(LastError(), "Error initializing Tamrin object.");
  EXPECT_TRUE(engine_testing::Shown(boxes_, "Error: character [default.vof] not found."));
  std::filesystem::rename(install_.path("elsewhere"), install_.path("voices"));
  New();
  EXPECT_EQ(handle_->GetModuleDirectory()->Count(), 26);
}

// Every function that takes a handle answers a null one with -1600.
TEST_F(TmEngineTest, EveryFunctionRefusesANullHandle) {
  char* block = nullptr;
  long size = 0;
  int count = 0;
  const std::vector<std::function<int()>> calls = {
      [] { return tmengine__TextToSpeech(nullptr, "x", 0); },
      [&] { return tmengine__TextToBuffer(nullptr, "x", 1, &block, &size); },
      [] { return tmengine_TextToFile(nullptr, "x", "out.wav"); },
      [] { return tmengine__Stop(nullptr); },
      [] { return tmengine__SpeakPause(nullptr); },
      [] { return tmengine__SpeakResume(nullptr); },
      [] { return tmengine__SelectVoiceFont(nullptr, "default.vof"); },
      [&] { return tmengine__ListVoiceFonts(nullptr, &block, &count); },
      [&] { return tmengine__GetVoiceFontParameter(nullptr, "default.vof", "k", &block); },
      [] { return tmengine__SetPitchReference(nullptr, 1.0); },
      [] { return tmengine__SetSpeedReference(nullptr, 1.0); },
      [] { return tmengine__SetVolumeReference(nullptr, 1.0); },
  };
  for (size_t i = 0; i < calls.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(tmengine__LoadSharedResources(), TMENGINE_ALREADY_LOADED);  // empties the text
    EXPECT_EQ(calls[i](), TMENGINE_NULL_HANDLE);
    EXPECT_EQ(LastError(), "Null Tamrin handler as argument");
  }
  EXPECT_EQ(block, nullptr);
}

// Null texts, keys, file names and out-pointers answer -2010 and name the
// argument.
TEST_F(TmEngineTest, NullArgumentsAnswer2010AndNameTheArgument) {
  New();
  char* block = nullptr;
  long size = 0;
  int count = 0;
  const struct {
    std::function<int()> call;
    const char* name;
  } rows[] = {
      {[&] { return tmengine__TextToSpeech(handle_, nullptr, 1); }, "Text"},
      {[&] { return tmengine__TextToBuffer(handle_, nullptr, 1, &block, &size); }, "Text"},
      {[&] { return tmengine__TextToBuffer(handle_, "x", 1, nullptr, &size); }, "Buffer"},
      {[&] { return tmengine__TextToBuffer(handle_, "x", 1, &block, nullptr); }, "BufferSize"},
      {[&] { return tmengine_TextToFile(handle_, nullptr, "out.wav"); }, "Text"},
      {[&] { return tmengine_TextToFile(handle_, "x", nullptr); }, "FileName"},
      {[&] { return tmengine__SelectVoiceFont(handle_, nullptr); }, "VoiceFont"},
      {[&] { return tmengine__ListVoiceFonts(handle_, nullptr, &count); }, "ListVoiceFonts"},
      {[&] { return tmengine__ListVoiceFonts(handle_, &block, nullptr); }, "NumberOfVoiceFonts"},
      {[&] { return tmengine__GetVoiceFontParameter(handle_, nullptr, "k", &block); }, "VoiceFont"},
      {[&] { return tmengine__GetVoiceFontParameter(handle_, "default.vof", nullptr, &block); },
       "ParameterKey"},
      {[&] { return tmengine__GetVoiceFontParameter(handle_, "default.vof", "k", nullptr); },
       "ParameterValue"},
      {[] { return tmengine__GetLastError(nullptr); }, "LastError"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.call(), TMENGINE_NULL_ARGUMENT);
    EXPECT_EQ(LastError(), std::string("Null ") + row.name + " have been passed as argument.");
  }
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(handle_->GetText()->Str(), "");  // nothing ran
}

// ---------------------------------------------------------------------------
// Voice fonts

TEST_F(TmEngineTest, ListVoiceFonts) {
  New();
  char* list = VStr::Duplicate("an old block");
  int count = 0;
  EXPECT_EQ(tmengine__ListVoiceFonts(handle_, &list, &count), 0);
  EXPECT_STREQ(list, "default.vof;second.vof;");
  EXPECT_EQ(count, 2);
  // A null count still releases the old block.
  EXPECT_EQ(tmengine__ListVoiceFonts(handle_, &list, nullptr), TMENGINE_NULL_ARGUMENT);
  EXPECT_EQ(list, nullptr);
  // A composer without fonts (never initialised).
  Tamrin bare;
  list = VStr::Duplicate("old");
  count = 9;
  EXPECT_EQ(tmengine__ListVoiceFonts(&bare, &list, &count), TMENGINE_NO_FONTS);
  EXPECT_EQ(LastError(), "Error getting the characters list.");
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(count, 9);
}

TEST_F(TmEngineTest, SelectVoiceFont) {
  install_.Font("failing.vof", FontText("Test_Probe;Test_Failing"));
  New();
  auto* probe = new HookModule("Test_Probe");
  auto* failing = new HookModule("Test_Failing");
  failing->onSetUp = [] { return false; };
  ASSERT_TRUE(handle_->RegisterModule(probe));
  ASSERT_TRUE(handle_->RegisterModule(failing));

  EXPECT_EQ(tmengine__SelectVoiceFont(handle_, "second.vof"), 0);
  EXPECT_EQ(LastError(), "");

  // -1110: the font stays selected and speaks.
  EXPECT_EQ(tmengine__SelectVoiceFont(handle_, "failing.vof"), TMENGINE_SETUP_FAILED);
  EXPECT_EQ(LastError(), "Error setting the VoiceFont [failing.vof].");
  EXPECT_EQ(tmengine__TextToSpeech(handle_, "x", 1), 0);
  EXPECT_EQ(failing->runs, 1);

  // -1100: no font is selected afterwards.
  EXPECT_EQ(tmengine__SelectVoiceFont(handle_, "Κανένα.vof"), TMENGINE_FONT_NOT_FOUND);
  EXPECT_EQ(LastError(), "Error setting the VoiceFont [Κανένα.vof].");  // key unchanged
  EXPECT_TRUE(engine_testing::Shown(boxes_, "Error: character [Κανένα.vof] not found."));
  EXPECT_EQ(tmengine__TextToSpeech(handle_, "x", 1), TMENGINE_NO_FONT_SELECTED);
  EXPECT_EQ(LastError(), "Error in soundboard version of TextToSpeech conversion.");
  char* block = nullptr;
  long size = 0;
  EXPECT_EQ(tmengine__TextToBuffer(handle_, "x", 1, &block, &size), TMENGINE_NO_FONT_SELECTED);
  EXPECT_EQ(LastError(), "Error in buffer version of TextToSpeech conversion.");
  EXPECT_EQ(tmengine_TextToFile(handle_, "x", "out.wav"), TMENGINE_NO_FONT_SELECTED);
  EXPECT_EQ(LastError(), "Error in buffer version of TextToSpeech conversion.");
  EXPECT_FALSE(FileExists("out.wav"));
  EXPECT_EQ(block, nullptr);
}

TEST_F(TmEngineTest, VoiceFontParametersAreUtf8WithTheDefaultFontsFallback) {
  New();
  char* value = VStr::Duplicate("an old block");
  EXPECT_EQ(
      tmengine__GetVoiceFontParameter(handle_, "default.vof", "Settings.DisplayNameGr", &value), 0);
  EXPECT_STREQ(value, engine_testing::kGreekName);
  // second.vof lacks the key: default.vof gives it.
  EXPECT_EQ(
      tmengine__GetVoiceFontParameter(handle_, "second.vof", "Settings.DisplayNameGr", &value), 0);
  EXPECT_STREQ(value, engine_testing::kGreekName);
  EXPECT_EQ(tmengine__GetVoiceFontParameter(handle_, "second.vof", "Settings.DisplayName", &value),
            0);
  EXPECT_STREQ(value, "Second voice");
  // Neither has it: empty.
  EXPECT_EQ(tmengine__GetVoiceFontParameter(handle_, "second.vof", "No.Such", &value), 0);
  EXPECT_STREQ(value, "");
  EXPECT_EQ(LastError(), "");
  // No such font: the value is left alone.
  tmengine__FreeBuffer(&value);
  value = VStr::Duplicate("kept");
  EXPECT_EQ(tmengine__GetVoiceFontParameter(handle_, "third.vof", "Settings.DisplayName", &value),
            TMENGINE_FONT_NOT_FOUND);
  EXPECT_EQ(LastError(), "Error writting to file.");
  EXPECT_STREQ(value, "kept");
  tmengine__FreeBuffer(&value);
}

// ---------------------------------------------------------------------------
// References

TEST_F(TmEngineTest, ReferencesKeepToTheirLimits) {
  install_.Font("cplayback.vof", FontText("", "cplayback"));
  install_.Font("mbrola.vof", FontText("", "mbrola"));
  New();
  const double nan = std::nan("");
  const struct {
    int (*set)(Tamrin*, double);
    double value;
    int expected;
    const char* text;
  } rows[] = {
      {&tmengine__SetPitchReference, 2.0, 0, ""},
      {&tmengine__SetPitchReference, 0.5, 0, ""},
      {&tmengine__SetPitchReference, 2.5, -1200, "PitchReference out of limits."},
      {&tmengine__SetPitchReference, 0.49, -1201, "PitchReference out of limits."},
      {&tmengine__SetPitchReference, nan, -1201, "PitchReference out of limits."},
      {&tmengine__SetPitchReference, 1e300, -1200, "PitchReference out of limits."},
      {&tmengine__SetSpeedReference, 2.0, 0, ""},
      {&tmengine__SetSpeedReference, 0.5, 0, ""},
      {&tmengine__SetSpeedReference, 2.01, -1204, "SpeedReference out of limits."},
      {&tmengine__SetSpeedReference, 0.2, -1205, "SpeedReference out of limits."},
      {&tmengine__SetSpeedReference, -1e300, -1205, "SpeedReference out of limits."},
      // Every output is on until the first request switches them.
      {&tmengine__SetVolumeReference, 0.0, 0, ""},
      {&tmengine__SetVolumeReference, 2.0, 0, ""},
      {&tmengine__SetVolumeReference, 2.01, -1208, "VolumeReference error."},
      {&tmengine__SetVolumeReference, -0.01, -1209, "VolumeReference error."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(row.set(handle_, row.value), row.expected);
    EXPECT_EQ(LastError(), row.text);
  }
  EXPECT_FLOAT_EQ(handle_->GetIntonation()->GetScale(), 0.5f);
  EXPECT_FLOAT_EQ(handle_->GetDuration()->GetScale(), 0.5f);
  // The volume needs the MBROLA player output.
  ASSERT_EQ(tmengine__SelectVoiceFont(handle_, "cplayback.vof"), 0);
  ASSERT_EQ(tmengine__TextToSpeech(handle_, "x", 1), 0);
  EXPECT_EQ(tmengine__SetVolumeReference(handle_, 1.0), TMENGINE_NO_PLAYER_OUTPUT);
  EXPECT_EQ(LastError(), "VolumeReference error.");
  ASSERT_EQ(tmengine__SelectVoiceFont(handle_, "mbrola.vof"), 0);
  ASSERT_EQ(tmengine__TextToSpeech(handle_, "x", 1), 0);
  EXPECT_EQ(tmengine__SetVolumeReference(handle_, 1.0), 0);
  char* block = nullptr;
  long size = 0;
  ASSERT_EQ(tmengine__TextToBuffer(handle_, "x", 0, &block, &size), 0);
  EXPECT_EQ(tmengine__SetVolumeReference(handle_, 1.0), TMENGINE_NO_PLAYER_OUTPUT);
  tmengine__FreeBuffer(&block);
}

// ---------------------------------------------------------------------------
// Speech

TEST_F(TmEngineTest, TextToSpeechSynchronouslyOrOnTheWorker) {
  New();
  HookModule* probe = Probe();
  EXPECT_EQ(tmengine__TextToSpeech(handle_, kGreekText, 1), 0);
  EXPECT_EQ(probe->runs, 1);  // the run is over when the call returns
  // The engine got the text in its code page.
  EXPECT_EQ(probe->LastText(), platform::Utf8ToCp1253(kGreekText) + " .");
  EXPECT_EQ(tmengine__TextToSpeech(handle_, "two", 0), 0);
  EXPECT_EQ(tmengine__TextToSpeech(handle_, "three", 2), 0);  // waits for "two"
  EXPECT_EQ(tmengine__Delete(&handle_), 0);                   // waits for "three"
  EXPECT_EQ(LastError(), "");
}

TEST_F(TmEngineTest, TextToBufferWithAndWithoutHeader) {
  New();
  HookModule* probe = Probe();
  char* block = VStr::Duplicate("an old block");
  long size = 0;
  ASSERT_EQ(tmengine__TextToBuffer(handle_, kGreekText, 1, &block, &size), 0);
  EXPECT_EQ(probe->LastText(), platform::Utf8ToCp1253(kGreekText) + " .");
  ASSERT_EQ(size, 44 + 6);
  const std::string image(block, static_cast<size_t>(size));
  EXPECT_EQ(image.substr(0, 4), "RIFF");
  EXPECT_EQ(U32(image, 4), 42u);
  EXPECT_EQ(image.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(U32(image, 24), 16000u);
  EXPECT_EQ(image.substr(36, 4), "data");
  EXPECT_EQ(U32(image, 40), 6u);
  EXPECT_EQ(image.substr(44), std::string("\x64\x00\x9c\xff\x07\x00", 6));

  ASSERT_EQ(tmengine__TextToBuffer(handle_, "x", 0, &block, &size), 0);
  ASSERT_EQ(size, 6);
  EXPECT_EQ(std::string(block, 6), std::string("\x64\x00\x9c\xff\x07\x00", 6));
  EXPECT_EQ(tmengine__FreeBuffer(&block), 0);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(tmengine__FreeBuffer(&block), 0);
  EXPECT_EQ(tmengine__SetPitchReference(handle_, 2.5), -1200);
  EXPECT_EQ(tmengine__FreeBuffer(nullptr), 0);
  EXPECT_EQ(LastError(), "");  // emptied first, as by every function but GetLastError
}

TEST_F(TmEngineTest, TextToFileWritesAWaveFile) {
  New();
  Probe();
  const std::string path = install_.workDir() + "/speech.wav";
  ASSERT_EQ(tmengine_TextToFile(handle_, kGreekText, path.c_str()), 0);
  EXPECT_EQ(LastError(), "");
  const std::string image = ReadFile(path);
  ASSERT_EQ(image.size(), 50u);
  EXPECT_EQ(image.substr(0, 4), "RIFF");
  EXPECT_EQ(U32(image, 40), 6u);
  if (std::system("command -v soxi >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "soxi is not installed: the header was checked by hand only";
  }
  EXPECT_EQ(Output("soxi -r '" + path + "'"), "16000\n");
  EXPECT_EQ(Output("soxi -c '" + path + "'"), "1\n");
  EXPECT_EQ(Output("soxi -b '" + path + "'"), "16\n");
  EXPECT_EQ(Output("soxi -s '" + path + "'"), "3\n");
}

TEST_F(TmEngineTest, TextToFileFailures) {
  New();
  Probe();
  const std::string missing = install_.workDir() + "/no/such/folder/speech.wav";
  EXPECT_EQ(tmengine_TextToFile(handle_, "x", missing.c_str()), TMENGINE_FILE_NOT_CREATED);
  EXPECT_EQ(LastError(), "Error creating " + missing + " output file.");
  EXPECT_FALSE(FileExists(install_.workDir() + "/no"));
  // A device that takes nothing: the data stays in the stream's buffer
  // until the file is closed, and the close fails.
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(tmengine_TextToFile(handle_, "x", "/dev/full"), TMENGINE_SHORT_WRITE);
  EXPECT_EQ(LastError(), "Error writting full data in /dev/full output file.");
}

TEST_F(TmEngineTest, StopPauseAndResumeWithoutARun) {
  install_.Font("cplayback.vof", FontText("", "cplayback"));
  New();
  ASSERT_EQ(tmengine__SelectVoiceFont(handle_, "cplayback.vof"), 0);
  ASSERT_EQ(tmengine__TextToSpeech(handle_, "x", 1), 0);
  EXPECT_EQ(tmengine__SpeakPause(handle_), 0);
  EXPECT_TRUE(handle_->GetControl()->IsPaused());
  // The wave-out output holds nothing to replay.
  EXPECT_EQ(tmengine__SpeakResume(handle_), TMENGINE_NOTHING_TO_PLAY);
  EXPECT_EQ(LastError(), "");
  EXPECT_FALSE(handle_->GetControl()->IsPaused());
  EXPECT_EQ(tmengine__Stop(handle_), 0);
  EXPECT_TRUE(handle_->GetControl()->IsStopped());
  EXPECT_EQ(LastError(), "");
}

TEST_F(TmEngineTest, ASpeechThreadThatCannotStart) {
  TestTamrin composer;
  composer.SetShared(&TMShared::Instance());
  ASSERT_EQ(composer.Init("", 1, 0), 0);
  composer.failThreads = true;
  EXPECT_EQ(tmengine__TextToSpeech(&composer, "x", 0), TMENGINE_THREAD_FAILED);
  EXPECT_EQ(LastError(), "Error in soundboard version of TextToSpeech conversion.");
  EXPECT_TRUE(engine_testing::Shown(boxes_, "Error starting the speech thread."));
  EXPECT_EQ(tmengine__TextToSpeech(&composer, "x", 1), 0);
  composer.Finalize();
}

TEST_F(TmEngineTest, TheLastErrorIsReplacedNeverJoined) {
  New();
  EXPECT_EQ(tmengine__SetPitchReference(handle_, 9.0), TMENGINE_PITCH_TOO_HIGH);
  EXPECT_EQ(tmengine__SetSpeedReference(handle_, 9.0), TMENGINE_SPEED_TOO_HIGH);
  EXPECT_EQ(LastError(), "SpeedReference out of limits.");
  EXPECT_EQ(LastError(), "SpeedReference out of limits.");  // reading does not empty it
  char* text = VStr::Duplicate("an old block");
  EXPECT_EQ(tmengine__GetLastError(&text), 0);
  EXPECT_STREQ(text, "SpeedReference out of limits.");
  EXPECT_EQ(tmengine__SetSpeedReference(handle_, 1.0), 0);
  EXPECT_EQ(tmengine__GetLastError(&text), 0);
  EXPECT_STREQ(text, "");
  tmengine__FreeBuffer(&text);
}

// The interface from a C translation unit (tmengine_c_test.c).
extern "C" int tmengine_c_smoke(char* message, int size);

TEST_F(TmEngineTest, CallableFromC) {
  char message[256] = "";
  EXPECT_EQ(tmengine_c_smoke(message, sizeof message), 0) << message;
}

}  // namespace
