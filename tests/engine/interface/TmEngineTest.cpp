// The programming interface's own work: handles, codes and last-error
// texts, UTF-8 at the boundary, and the file that TextToFile writes.
#include "engine/interface/tmengine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <string>

#include "engine/base/VStr.h"
#include "platform/Codepage.h"
#include "tests/engine/ComposerSeams.h"

namespace {

using engine_testing::HookModule;

std::string LastError() {
  char* text = nullptr;
  if (tmengine__GetLastError(&text) != 0) return "(failed)";
  std::string copy = text != nullptr ? text : "(null)";
  VStr::Release(&text);  // tmengine__FreeBuffer would empty the text
  return copy;
}

class TmEngineTest : public testing::Test {
 protected:
  TmEngineTest() {
    install_.Complete();
    const int loaded = tmengine__LoadSharedResources();
    EXPECT_TRUE(loaded == 0 || loaded == TMENGINE_ALREADY_LOADED) << loaded;
  }
  ~TmEngineTest() override { tmengine__Delete(&handle_); }

  testing_support::Installation install_;
  testing_support::MessageRecorder boxes_;
  Tamrin* handle_ = nullptr;
};

TEST_F(TmEngineTest, NullArgumentsAndFailuresGiveTheirCodeAndText) {
  std::filesystem::rename(install_.path("voicefonts"), install_.path("elsewhere"));
  handle_ = reinterpret_cast<Tamrin*>(&install_);  // overwritten with null
  EXPECT_EQ(tmengine__New(&handle_), TMENGINE_FONT_NOT_FOUND);
  EXPECT_EQ(handle_, nullptr);
  EXPECT_EQ(LastError(), "Error initializing Tamrin object.");
  std::filesystem::rename(install_.path("elsewhere"), install_.path("voicefonts"));
  ASSERT_EQ(tmengine__New(&handle_), 0);  // a failed New may be retried
  Tamrin* h = handle_;
  Tamrin bare;  // never initialised
  char* block = nullptr;
  long size = 0;
  int count = 0;
  const std::function<int()> nullHandles[] = {
      [] { return tmengine__New(nullptr); },
      [] { return tmengine__Delete(nullptr); },
      [] { return tmengine__TextToSpeech(nullptr, "x", 0); },
      [&] { return tmengine__TextToBuffer(nullptr, "x", 1, &block, &size); },
      [] { return tmengine_TextToFile(nullptr, "x", "out.wav"); },
      [] { return tmengine__Stop(nullptr); },
      [] { return tmengine__SpeakPause(nullptr); },
      [] { return tmengine__SpeakResume(nullptr); },
      [] { return tmengine__SelectVoiceFont(nullptr, "a.vof"); },
      [&] { return tmengine__ListVoiceFonts(nullptr, &block, &count); },
      [&] { return tmengine__GetVoiceFontParameter(nullptr, "a", "k", &block); },
      [] { return tmengine__SetPitchReference(nullptr, 1.0); },
      [] { return tmengine__SetSpeedReference(nullptr, 1.0); },
      [] { return tmengine__SetVolumeReference(nullptr, 1.0); }};
  for (size_t i = 0; i < std::size(nullHandles); ++i) {
    EXPECT_EQ(nullHandles[i](), TMENGINE_NULL_HANDLE) << i;
    EXPECT_EQ(LastError(), "Null Tamrin handler as argument") << i;
  }
  const std::pair<std::function<int()>, const char*> nullArguments[] = {
      {[&] { return tmengine__TextToSpeech(h, nullptr, 1); }, "Text"},
      {[&] { return tmengine__TextToBuffer(h, "x", 1, nullptr, &size); }, "Buffer"},
      {[&] { return tmengine__TextToBuffer(h, "x", 1, &block, nullptr); }, "BufferSize"},
      {[&] { return tmengine_TextToFile(h, "x", nullptr); }, "FileName"},
      {[&] { return tmengine__SelectVoiceFont(h, nullptr); }, "VoiceFont"},
      {[&] { return tmengine__ListVoiceFonts(h, nullptr, &count); }, "ListVoiceFonts"},
      {[&] { return tmengine__ListVoiceFonts(h, &block, nullptr); }, "NumberOfVoiceFonts"},
      {[&] { return tmengine__GetVoiceFontParameter(h, "a", nullptr, &block); }, "ParameterKey"},
      {[&] { return tmengine__GetVoiceFontParameter(h, "a", "k", nullptr); }, "ParameterValue"},
      {[] { return tmengine__GetLastError(nullptr); }, "LastError"}};
  for (const auto& [call, name] : nullArguments) {
    EXPECT_EQ(call(), TMENGINE_NULL_ARGUMENT) << name;
    EXPECT_EQ(LastError(), std::string("Null ") + name + " have been passed as argument.");
  }
  const std::string missing = install_.workDir() + "/no/folder/speech.wav";
  const struct {
    std::function<int()> call;
    int code;
    std::string text;
  } failures[] = {
      {[&] { return tmengine__SetPitchReference(h, 2.5); }, -1200, "PitchReference out of limits."},
      {[&] { return tmengine__SetSpeedReference(h, -1e300); }, -1205,
       "SpeedReference out of limits."},
      {[&] { return tmengine__SetVolumeReference(h, 2.01); }, -1208, "VolumeReference error."},
      {[&] { return tmengine__ListVoiceFonts(&bare, &block, &count); }, TMENGINE_NO_FONTS,
       "Error getting the characters list."},
      {[&] { return tmengine__GetVoiceFontParameter(h, "none.vof", "k", &block); },
       TMENGINE_FONT_NOT_FOUND, "Error writting to file."},
      {[&] { return tmengine_TextToFile(h, "x", missing.c_str()); }, TMENGINE_FILE_NOT_CREATED,
       "Error creating " + missing + " output file."},
      {[&] { return tmengine_TextToFile(h, "x", "/dev/full"); }, TMENGINE_SHORT_WRITE,
       "Error writting full data in /dev/full output file."},
      {[&] { return tmengine__SelectVoiceFont(h, "Κανένα.vof"); }, TMENGINE_FONT_NOT_FOUND,
       "Error setting the VoiceFont [Κανένα.vof]."},
      {[&] { return tmengine__TextToSpeech(h, "x", 1); }, TMENGINE_NO_FONT_SELECTED,
       "Error in soundboard version of TextToSpeech conversion."},
      {[&] { return tmengine__TextToBuffer(h, "x", 1, &block, &size); }, TMENGINE_NO_FONT_SELECTED,
       "Error in buffer version of TextToSpeech conversion."}};
  for (const auto& row : failures) {
    EXPECT_EQ(row.call(), row.code) << row.text;
    EXPECT_EQ(LastError(), row.text);
  }
  EXPECT_EQ(block, nullptr);
}

TEST_F(TmEngineTest, TextCrossesAsUtf8AndTheFileHoldsTheWaveImage) {
  ASSERT_EQ(tmengine__New(&handle_), 0);
  auto* probe = new HookModule("Test_Probe");
  probe->onRun = [probe] {
    for (int16_t s : {int16_t{100}, int16_t{-100}, int16_t{7}})
      probe->PeekComposer()->GetSpeechBuffer()->Append(s);
    return true;
  };
  ASSERT_TRUE(handle_->RegisterModule(probe));
  char* value = nullptr;
  EXPECT_EQ(
      tmengine__GetVoiceFontParameter(handle_, "second.vof", "Settings.DisplayNameGr", &value), 0);
  EXPECT_STREQ(value, testing_support::kGreekName);  // the default font's, in UTF-8
  tmengine__FreeBuffer(&value);
  const char* greek = "Καλημέρα κόσμε";
  ASSERT_EQ(tmengine_TextToFile(handle_, greek, "speech.wav"), 0);
  EXPECT_EQ(probe->LastText(), platform::Utf8ToCp1253(greek) + " .");
  char* block = nullptr;
  long size = 0;
  ASSERT_EQ(tmengine__TextToBuffer(handle_, greek, 1, &block, &size), 0);
  ASSERT_EQ(size, 50);
  EXPECT_EQ(testing_support::ReadFile("speech.wav"), std::string(block, 50));
  EXPECT_EQ(std::string(block + 44, 6), std::string("\x64\x00\x9c\xff\x07\x00", 6));
  EXPECT_EQ(tmengine__FreeBuffer(&block), 0);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(tmengine__SetPitchReference(handle_, 2.5), -1200);
  EXPECT_EQ(tmengine__FreeBuffer(nullptr), 0);
  EXPECT_EQ(LastError(), "");  // emptied first, as by every function but GetLastError
  EXPECT_EQ(tmengine__Delete(&handle_), 0);
  EXPECT_EQ(handle_, nullptr);
}

}  // namespace
