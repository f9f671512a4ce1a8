// Speech to a WAVE file through the programming interface and the default
// voice font's chain without rhythm and melody, in an installation
// assembled from the build tree's data with the built mbrola.so: the file's
// header and length, its pitch, and the file read back by soxi.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "engine/base/VLib.h"
#include "engine/interface/tmengine.h"
#include "tests/common/Installation.h"
#include "tests/platform/SynthTestSupport.h"

namespace {

constexpr double kRate = 22050.0;
constexpr int kEdgeMs = 60;  // the silences around every phone text

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    ::pclose(pipe);
  }
  return out;
}

TEST(SpeechEndToEndTest, TheDefaultFontSpeaksAWaveFileAtItsRateAndPitch) {
  testing_support::Installation inst;
  inst.Assemble();
  // The default font's chain without its rhythm and melody: every phone of
  // factor 1.0 at the reference pitch.
  std::string chain;
  for (const std::string& line :
       testing_support::ReadLines(std::string(TM_SOURCE_DIR) + "/data/voicefonts/default.vof")) {
    if (line.rfind("VModuleChain.Modules=", 0) == 0) chain = line;
  }
  inst.Font("flat.vof",
            std::regex_replace(chain,
                               std::regex("VM_(Layer|Duration|Intonation)\\w*;|VM_SmoothF0;"), "") +
                "\n");
  ASSERT_EQ(tmengine__LoadSharedResources(), 0);
  Tamrin* engine = nullptr;
  ASSERT_EQ(tmengine__New(&engine), 0);
  ASSERT_EQ(tmengine__SelectVoiceFont(engine, "flat.vof"), 0);
  const auto parameter = [engine](const char* key) {
    char* value = nullptr;
    tmengine__GetVoiceFontParameter(engine, "default.vof", key, &value);
    const int n = VLib::ParseInt(value != nullptr ? value : "");
    tmengine__FreeBuffer(&value);
    return n;
  };
  const int phone = VLib::Quantize(parameter("Duration reference"), parameter("TIMEQUANTUM"));
  const double reference = parameter("Intonation reference");
  const auto speak = [&](const char* text) {
    EXPECT_EQ(tmengine_TextToFile(engine, text, "speech.wav"), 0);
    return synth_test::ReadWave("speech.wav");
  };
  const synth_test::Wave wave = speak("καλημέέέρα");
  ASSERT_TRUE(wave.ok);
  EXPECT_EQ(wave.rate, 22050u);
  const std::vector<int16_t>& samples = wave.samples;
  EXPECT_NEAR(static_cast<double>(samples.size()), (2 * kEdgeMs + 10 * phone) * kRate / 1000.0,
              12.0);
  for (size_t i = 0; i < (kEdgeMs - 6) * kRate / 1000; ++i) ASSERT_EQ(samples[i], 0) << i;
  // The middle of the three E's: voiced at the font's pitch, and at 1.5
  // times that with the pitch reference.
  const auto from = static_cast<long>((kEdgeMs + 5.5 * phone) * kRate / 1000);
  const auto to = static_cast<long>((kEdgeMs + 7.5 * phone) * kRate / 1000);
  EXPECT_NEAR(synth_test::EstimateF0(synth_test::Slice(samples, from, to)), reference,
              reference * 0.03);
  EXPECT_GT(synth_test::Periodicity(synth_test::Slice(samples, from, to)), 0.9);
  char* buffer = nullptr;
  long size = 0;
  ASSERT_EQ(tmengine__TextToBuffer(engine, "καλημέέέρα", 1, &buffer, &size), 0);
  EXPECT_EQ(std::string(buffer, static_cast<size_t>(size)),
            testing_support::ReadFile("speech.wav"));
  tmengine__FreeBuffer(&buffer);
  ASSERT_EQ(tmengine__SetPitchReference(engine, 1.5), 0);
  const std::vector<int16_t> high = speak("καλημέέέρα").samples;
  EXPECT_NEAR(synth_test::EstimateF0(synth_test::Slice(high, from, to)), 1.5 * reference,
              1.5 * reference * 0.03);
  EXPECT_EQ(inst.Logged("MBROLA write refused"), 0);
  if (std::system("command -v soxi > /dev/null 2>&1") == 0) {
    EXPECT_EQ(Output("soxi -r speech.wav"), "22050\n");
    EXPECT_EQ(Output("soxi -s speech.wav"), std::to_string(high.size()) + "\n");
  }
  EXPECT_EQ(tmengine__Delete(&engine), 0);
  EXPECT_EQ(tmengine__ReleaseSharedResources(), 0);
}

}  // namespace
