// Speech of Greek text to a WAVE file through the programming interface and
// the installed default voice font, in an installation assembled from the build tree's
// data with the built mbrola.so: the header and the length of the file, the
// sound itself (not silence, the font's pitch; both through a font that
// leaves out the default font's rhythm and melody), and the file read back
// by soxi.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "engine/base/VLib.h"
#include "engine/interface/tmengine.h"
#include "tests/modules/SpeechTestBed.h"
#include "tests/platform/SynthTestSupport.h"

namespace {

using speech_testing::AssembledInstallation;
using speech_testing::ReadWave;
using speech_testing::UseInstallation;
using speech_testing::Wave;

constexpr double kRate = 22050.0;
// The silences that open and close every phone text, in ms.
constexpr int kEdgeMs = 60;

class SpeechEndToEndTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    installation_ = new AssembledInstallation();
    // The default font's chain without its rhythm and melody: every phone
    // of factor 1.0 at the reference pitch.
    std::string chain;
    for (const std::string& line :
         testing_support::ReadLines(std::string(TM_SOURCE_DIR) + "/data/voicefonts/default.vof")) {
      if (line.rfind("VModuleChain.Modules=", 0) == 0) chain = line;
    }
    chain = std::regex_replace(chain,
                               std::regex("VM_(Layer|Duration|Intonation)\\w*;|VM_SmoothF0;"), "");
    testing_support::WriteFile(installation_->path("voicefonts/flat.vof"), chain + "\n");
    UseInstallation use(*installation_);
    loaded_ = tmengine__LoadSharedResources();
  }
  static void TearDownTestSuite() {
    {
      UseInstallation use(*installation_);
      tmengine__ReleaseSharedResources();
    }
    delete installation_;
    installation_ = nullptr;
  }

  SpeechEndToEndTest() : use_(*installation_) {}
  void SetUp() override {
    ASSERT_EQ(loaded_, 0);
    ASSERT_EQ(tmengine__New(&engine_), 0);
  }
  void TearDown() override { EXPECT_EQ(tmengine__Delete(&engine_), 0); }

  std::string Parameter(const char* key) {
    char* value = nullptr;
    EXPECT_EQ(tmengine__GetVoiceFontParameter(engine_, "default.vof", key, &value), 0);
    std::string text = value != nullptr ? value : "";
    tmengine__FreeBuffer(&value);
    return text;
  }
  int IntParameter(const char* key) { return VLib::ParseInt(Parameter(key)); }
  // The duration of a phone of factor 1.0 in the default font, in ms.
  int PhoneMs() {
    return VLib::Quantize(IntParameter("Duration reference"), IntParameter("TIMEQUANTUM"));
  }

  std::string Speak(const std::string& text, const std::string& name) {
    const std::string file = installation_->workDir() + "/" + name;
    EXPECT_EQ(tmengine_TextToFile(engine_, text.c_str(), file.c_str()), 0);
    return file;
  }

  // Samples from ms to ms.
  static std::vector<double> Stretch(const Wave& wave, double fromMs, double toMs) {
    const auto from = static_cast<long>(fromMs * kRate / 1000.0);
    const auto to = static_cast<long>(toMs * kRate / 1000.0);
    return synth_test::Slice(wave.samples, from, to);
  }

  static AssembledInstallation* installation_;
  static int loaded_;
  UseInstallation use_;
  Tamrin* engine_ = nullptr;
};

AssembledInstallation* SpeechEndToEndTest::installation_ = nullptr;
int SpeechEndToEndTest::loaded_ = 0;

TEST_F(SpeechEndToEndTest, TheDefaultFontSpeaksInProcessAtTheVoicesRate) {
  char* list = nullptr;
  int count = 0;
  ASSERT_EQ(tmengine__ListVoiceFonts(engine_, &list, &count), 0);
  EXPECT_NE(std::string(list).find("default.vof;"), std::string::npos);
  tmengine__FreeBuffer(&list);
  EXPECT_EQ(Parameter("Playback.Method"), "cplayback");
  EXPECT_EQ(Parameter("SpeechBuffer.SampleRate"), "22050");
  EXPECT_EQ(Parameter("VM_Mbrola.Database"), "voices/gr.voice");
  EXPECT_GT(IntParameter("VM_GeneratorPHO.Quantum"), 0);
  // The Greek display name was converted to Windows-1253 at build time: the
  // interface gives back the UTF-8 of the source.
  const std::string prefix = "Settings.DisplayNameGr=";
  std::string source;
  for (const std::string& line :
       testing_support::ReadLines(std::string(TM_SOURCE_DIR) + "/data/voicefonts/default.vof")) {
    if (line.rfind(prefix, 0) == 0) source = line.substr(prefix.size());
  }
  ASSERT_FALSE(source.empty());
  EXPECT_EQ(Parameter("Settings.DisplayNameGr"), source);
}

TEST_F(SpeechEndToEndTest, TheWaveFilesHeaderAgreesWithItsLengthAndTheDurations) {
  ASSERT_EQ(tmengine__SelectVoiceFont(engine_, "flat.vof"), 0);
  const Wave wave = ReadWave(Speak("καλημέρα", "kalimera.wav"));
  ASSERT_TRUE(wave.ok);
  const std::size_t n = wave.samples.size();
  EXPECT_EQ(wave.riff, "RIFF");
  EXPECT_EQ(wave.riffSize, 36 + 2 * n);
  EXPECT_EQ(wave.wave, "WAVE");
  EXPECT_EQ(wave.fmt, "fmt ");
  EXPECT_EQ(wave.fmtSize, 16u);
  EXPECT_EQ(wave.format, 1u);
  EXPECT_EQ(wave.channels, 1u);
  EXPECT_EQ(wave.rate, 22050u);
  EXPECT_EQ(wave.byteRate, 44100u);
  EXPECT_EQ(wave.blockAlign, 2u);
  EXPECT_EQ(wave.bits, 16u);
  EXPECT_EQ(wave.data, "data");
  EXPECT_EQ(wave.dataSize, 2 * n);
  EXPECT_EQ(wave.fileSize, 44 + 2 * n);
  // The opening silence, the eight phones of "kalimEra." (the closing break
  // is not spoken) and the closing silence, each within a sample.
  const double ms = kEdgeMs + 8 * PhoneMs() + kEdgeMs;
  EXPECT_NEAR(static_cast<double>(n), ms * kRate / 1000.0, 10.0);

  // Twice the phones, twice their share.
  const Wave twice = ReadWave(Speak("καλημέρακαλημέρα", "twice.wav"));
  EXPECT_NEAR(static_cast<double>(twice.samples.size()),
              (2 * kEdgeMs + 16 * PhoneMs()) * kRate / 1000.0, 18.0);
}

TEST_F(SpeechEndToEndTest, TheSpeechIsVoicedAtTheFontsReferencePitch) {
  ASSERT_EQ(tmengine__SelectVoiceFont(engine_, "flat.vof"), 0);
  const Wave wave = ReadWave(Speak("καλημέέέρα", "long.wav"));
  ASSERT_TRUE(wave.ok);
  const int phone = PhoneMs();
  double energy = 0.0;
  for (int16_t s : wave.samples) energy += static_cast<double>(s) * s;
  EXPECT_GT(std::sqrt(energy / static_cast<double>(wave.samples.size())), 1000.0);
  // The opening silence is silent.
  for (double s : Stretch(wave, 0, kEdgeMs - 6)) ASSERT_EQ(s, 0.0);
  // The middle of the three E's.
  const double start = kEdgeMs + 5 * phone;
  const std::vector<double> vowel = Stretch(wave, start + phone / 2.0, start + 2.5 * phone);
  const double reference = IntParameter("Intonation reference");
  EXPECT_NEAR(synth_test::EstimateF0(vowel), reference, reference * 0.03);
  EXPECT_GT(synth_test::Periodicity(vowel), 0.9);

  // The pitch reference scales it.
  ASSERT_EQ(tmengine__SetPitchReference(engine_, 1.5), 0);
  const Wave higher = ReadWave(Speak("καλημέέέρα", "higher.wav"));
  EXPECT_NEAR(synth_test::EstimateF0(Stretch(higher, start + phone / 2.0, start + 2.5 * phone)),
              1.5 * reference, 1.5 * reference * 0.03);
}

TEST_F(SpeechEndToEndTest, TheFileHoldsTheBufferOfTheSameTextEveryTime) {
  const std::string first = testing_support::ReadFile(Speak("καλα μέρα", "first.wav"));
  const std::string second = testing_support::ReadFile(Speak("καλα μέρα", "second.wav"));
  EXPECT_EQ(first, second);
  char* buffer = nullptr;
  long size = 0;
  ASSERT_EQ(tmengine__TextToBuffer(engine_, "καλα μέρα", 1, &buffer, &size), 0);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(size)), first);
  tmengine__FreeBuffer(&buffer);
  // Nothing went wrong in the library on the way.
  for (const std::string& line : testing_support::ReadLines(installation_->path("log.txt"))) {
    EXPECT_EQ(line.find("MBROLA write refused"), std::string::npos) << line;
    EXPECT_EQ(line.find("FAIL TO LOAD"), std::string::npos) << line;
  }
}

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    ::pclose(pipe);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

TEST_F(SpeechEndToEndTest, SoxiReadsTheFileBack) {
  if (std::system("command -v soxi > /dev/null 2>&1") != 0) GTEST_SKIP() << "soxi is not installed";
  const std::string file = Speak("καλημέρα", "soxi.wav");
  const Wave wave = ReadWave(file);
  EXPECT_EQ(Output("soxi -r '" + file + "'"), "22050");
  EXPECT_EQ(Output("soxi -c '" + file + "'"), "1");
  EXPECT_EQ(Output("soxi -b '" + file + "'"), "16");
  EXPECT_EQ(Output("soxi -s '" + file + "'"), std::to_string(wave.samples.size()));
}

}  // namespace
