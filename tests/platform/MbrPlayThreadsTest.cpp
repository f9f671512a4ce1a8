// The MBROLA player library mbrplay.so (on SDL's silent driver): WAVE files
// of what the synthesizer makes of a text copied on entry, plays that stop
// and end, and the errors it leaves pending.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/mbrplay/mbrplay.h"
#include "platform/waveout/WaveOut.h"
#include "tests/common/TestSupport.h"
#include "tests/platform/SynthTestSupport.h"

namespace {

const std::string kVoice = synth_test::VoicePath();
const std::string kText = "_ 60\nk 80 (0,120)\na 90 (50,130)\nl 70\na 90 (100,110)\n_ 60\n";

int g_ended = 0;
int Ended(uint32_t message, uint32_t, int32_t) {
  g_ended = static_cast<int>(message);
  return 0;
}

std::string Pending() {
  char text[200];
  MBR_LastError(text, sizeof text);
  return text;
}

class MbrPlayThreadsTest : public testing::Test {
 protected:
  MbrPlayThreadsTest() { EXPECT_EQ(MBR_SetDatabase(kVoice.c_str()), 0); }
  testing_support::TempDir dir_;
};

TEST_F(MbrPlayThreadsTest, AFilePlayWritesTheWaveOfTheTextAsItWasOnEntry) {
  std::string text = kText;
  const std::string file = dir_ / "out.wav";
  MBR_SetCallbackMsgBase(9191);
  ASSERT_EQ(MBR_Play(text.data(), MBR_PLAY_FILE, file.c_str(), &Ended), 0);
  std::memset(text.data(), 'x', text.size());  // the library took a copy
  MBR_WaitForEnd();
  EXPECT_EQ(g_ended, 9191);
  EXPECT_EQ(MBR_LastError(nullptr, 0), 0);
  const synth_test::Wave wave = synth_test::ReadWave(file);
  ASSERT_TRUE(wave.ok);
  EXPECT_EQ(wave.rate, 22050u);
  synth_test::Library& lib = synth_test::Library::Get();  // the synthesizer alone
  ASSERT_EQ(lib.Fresh(), 0);
  EXPECT_EQ(wave.samples, synth_test::Drive(lib, kText));
}

TEST_F(MbrPlayThreadsTest, StopEndsAPlayThatWaitForEndThenSees) {
  std::string text = "_ 60\n";
  for (int i = 0; i < 600; ++i) text += "a 100 (50,120)\n";
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(MBR_Play(text.c_str(), 0, nullptr, nullptr), 0);  // a minute of sound
  EXPECT_EQ(MBR_Stop(), 0);
  EXPECT_EQ(MBR_WaitForEnd(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  // A discarded play returns, with MBR_PLAY_WAIT, when it has ended.
  const std::string file = dir_ / "none.wav";
  ASSERT_EQ(MBR_Play(kText.c_str(), MBR_PLAY_DISCARD | MBR_PLAY_WAIT, file.c_str(), nullptr), 0);
  EXPECT_FALSE(testing_support::FileExists(file));
  EXPECT_EQ(MBR_WaitForEnd(), 0);
}

TEST_F(MbrPlayThreadsTest, FailuresLeaveAnErrorPendingUntilTheNextPlay) {
  EXPECT_EQ(MBR_Play(nullptr, 0, nullptr, nullptr), MBRP_ERR_BAD_ARGUMENT);
  EXPECT_EQ(MBR_SetVolumeRatio(9.0f), MBRP_ERR_BAD_ARGUMENT);
  MBR_Play(kText.c_str(), MBR_PLAY_FILE | MBR_PLAY_WAIT, nullptr, nullptr);
  EXPECT_EQ(MBR_LastError(nullptr, 0), MBRP_ERR_NO_FILE);
  MBR_Play(kText.c_str(), MBR_PLAY_FILE | MBR_PLAY_WAIT, (dir_ / "no/such.wav").c_str(), nullptr);
  EXPECT_EQ(MBR_LastError(nullptr, 0), MBRP_ERR_FILE);
  EXPECT_EQ(MBR_SetDatabase((dir_ / "missing.voice").c_str()), MBRP_ERR_DATABASE);
  EXPECT_EQ(Pending(), "database not found: " + (dir_ / "missing.voice"));
  MBR_Play(kText.c_str(), MBR_PLAY_DISCARD | MBR_PLAY_WAIT, nullptr, nullptr);
  EXPECT_EQ(MBR_LastError(nullptr, 0), MBRP_ERR_DATABASE);
  EXPECT_EQ(MBR_SetDatabase(kVoice.c_str()), 0);
  EXPECT_EQ(Pending(), "");
}

// A process that ends while a device plays, opened directly or by the
// player library, ends with its own status.
TEST(MbrPlayThreadsDeathTest, ExitWhileADevicePlaysEndsWithItsStatus) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::string minute = "_ 60\n";
  for (int i = 0; i < 600; ++i) minute += "a 100 (50,120)\n";
  EXPECT_EXIT(
      {
        platform::WaveFormat format;
        format.formatTag = platform::kWaveFormatPcm;
        format.channels = 1;
        format.samplesPerSec = 16000;
        format.avgBytesPerSec = 32000;
        format.blockAlign = 2;
        format.bitsPerSample = 16;
        platform::HWaveOut device = nullptr;
        std::vector<char> samples(32000 * 60);
        platform::WaveHeader header;
        header.data = samples.data();
        header.bufferLength = static_cast<uint32_t>(samples.size());
        if (platform::WaveOutOpen(&device, platform::kWaveMapper, &format, nullptr, 0, 0) != 0 ||
            platform::WaveOutPrepareHeader(device, &header) != 0 ||
            platform::WaveOutWrite(device, &header) != 0) {
          std::_Exit(1);
        }
        std::exit(3);
      },
      testing::ExitedWithCode(3), "");
  EXPECT_EXIT(
      {
        if (MBR_SetDatabase(kVoice.c_str()) != 0 ||
            MBR_Play(minute.c_str(), 0, nullptr, nullptr) != 0 || MBR_LastError(nullptr, 0) != 0) {
          std::_Exit(1);
        }
        std::exit(3);
      },
      testing::ExitedWithCode(3), "");
}

}  // namespace
