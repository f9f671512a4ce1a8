// The built mbrola.so through its 18 entry points: the stream of phone
// lines, the bounded queue, the error codes and texts, and the settings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/mbrola/SynthChannel.h"
#include "platform/mbrola/mbrola.h"
#include "tests/common/TestSupport.h"
#include "tests/platform/SynthTestSupport.h"

namespace {

class MbrolaLibraryTest : public synth_test::LibraryTest {
 protected:
  size_t Drain(bool flush = false) {
    if (flush) lib_.flush_MBR();
    short block[4096];
    size_t total = 0;
    for (int n; (n = lib_.read_MBR(block, 4096)) > 0;) total += static_cast<size_t>(n);
    return total;
  }

  testing_support::TempDir dir_;
};

TEST_F(MbrolaLibraryTest, SamplesLagOnePhoneAFlushGivesEverythingAndAnInitRestarts) {
  EXPECT_EQ(dlsym(lib_.handle, "_ZN7formant12SynthChannel5WriteEPKc"), nullptr);  // not exported
  ASSERT_GT(lib_.Write("a 100 (0,120)\n"), 0);
  EXPECT_EQ(Drain(), 0u);  // the transition needs the next phone
  ASSERT_GT(lib_.Write("e 100 (0,120)\n"), 0);
  EXPECT_EQ(Drain(), 2205u);
  ASSERT_GT(lib_.Write("o 100"), 0);  // a line without its line feed
  EXPECT_EQ(Drain(true), 2 * 2205u);
  for (const char* piece : {"; a comment\n", "a 1", "00 (0,1", "20)\r", "\n\n", "_", " 20"}) {
    ASSERT_GT(lib_.Write(piece), 0) << piece;  // lines may arrive in pieces
  }
  EXPECT_EQ(Drain(true), 2646u);
  lib_.Write("a 100\ne 100\n");
  ASSERT_EQ(lib_.init_MBR(synth_test::VoicePath().data()), 0);  // init again without close
  lib_.Write("o 50\n");
  EXPECT_EQ(Drain(true), 1103u);
  EXPECT_EQ(lib_.lastError_MBR(), 0) << lib_.ErrorText();
}

TEST_F(MbrolaLibraryTest, EveryReadTypeAndBlockSizeGivesTheSameSamples) {
  const std::string text = "_ 20 (0,120)\na 100\ns 80\no 100\n_ 20\n";
  auto read = [&](int type, int block, size_t size) {
    lib_.reset_MBR();
    lib_.Write(text);
    lib_.flush_MBR();
    std::vector<uint8_t> bytes(8000 * size);
    size_t got = 0;
    for (int n; (n = lib_.readtype_MBR(bytes.data() + got * size, block, type)) > 0;) got += n;
    bytes.resize(got * size);
    return bytes;
  };
  const std::vector<uint8_t> whole = read(MBR_LIN16, 4096, 2);
  ASSERT_EQ(whole.size(), 2 * 7056u);
  EXPECT_EQ(read(MBR_LIN16, 7, 2), whole);  // frames are rendered whole, however they are read
  const auto* linear = reinterpret_cast<const int16_t*>(whole.data());
  const std::vector<uint8_t> lin8 = read(MBR_LIN8, 1000, 1), mulaw = read(MBR_ULAW, 1000, 1);
  ASSERT_EQ(lin8.size(), 7056u);
  ASSERT_EQ(mulaw.size(), 7056u);
  for (size_t i = 0; i < lin8.size(); ++i) {
    const int x = linear[i], u = ~mulaw[i] & 0xFF;
    const int magnitude = ((((u & 0x0F) << 3) + 0x84) << ((u >> 4) & 7)) - 0x84;
    ASSERT_LE(std::abs((lin8[i] - 128) * 256 - x), 256) << "8 bits, sample " << i;
    ASSERT_LE(std::abs(((u & 0x80) ? -magnitude : magnitude) - x), std::abs(x) / 16 + 8)
        << "mu-law, sample " << i;
  }
}

TEST_F(MbrolaLibraryTest, TheQueueRefusesOnlyWhenSamplesCanBeRead) {
  int taken = 0;
  while (lib_.Write("a 30 (50,120)\n") > 0 && taken < 1000) ++taken;
  EXPECT_EQ(taken, static_cast<int>(formant::SynthChannel::kMaxQueuedPhones));
  EXPECT_EQ(lib_.lastError_MBR(), MBR_ERR_QUEUE_FULL);
  EXPECT_GT(Drain(), 0u);
  EXPECT_GT(lib_.Write("a 30 (50,120)\n"), 0);
  EXPECT_EQ(lib_.lastError_MBR(), 0);  // the refusal is over
  lib_.reset_MBR();
  for (int i = 0; i < 300; ++i) ASSERT_GT(lib_.Write("a 0 (50,120)\n"), 0) << i;  // nothing to read
}

TEST_F(MbrolaLibraryTest, ErrorsGiveTheirCodesAndTexts) {
  const std::string missing = dir_ / "missing.voice", bad = dir_ / "bad.voice";
  testing_support::WriteFile(bad, "tm-formant-voice 1\nrate 22050\nphone a vowel F1=nine\n");
  const struct {
    int code;
    const char* text;  // the start of the error text
    std::function<void()> act;
  } cases[] = {
      {MBR_ERR_DATABASE_NOT_FOUND, "database not found: ", [&] { lib_.Fresh(missing); }},
      {MBR_ERR_BAD_DATABASE, "bad database format: ", [&] { lib_.Fresh(bad); }},
      {MBR_ERR_BAD_PHONE_LINE, "bad phone line: bad pitch point: \"a 10 (5,\"",
       [&] { lib_.Write("a 10 (5,\n"); }},
      {MBR_ERR_UNKNOWN_PHONE, "unknown phone: \"W\"", [&] { lib_.Write("W 10\n"); }},
      {MBR_ERR_BAD_ARGUMENT, "bad argument: ", [&] { lib_.write_MBR(nullptr); }},
      {MBR_ERR_NO_DATABASE, "no database loaded",
       [&] {
         lib_.close_MBR();
         EXPECT_EQ(lib_.Write("a 100\n"), 6);  // taken and dropped
       }},
      {MBR_ERR_BAD_ARGUMENT, "bad argument: volume", [&] { lib_.setVolumeRatio_MBR(-1.0f); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(lib_.Fresh(), 0);
    c.act();
    EXPECT_EQ(lib_.lastError_MBR(), c.code);
    EXPECT_EQ(lib_.ErrorText().rfind(c.text, 0), 0u) << lib_.ErrorText();
  }
  char small[6] = "xxxxx";
  EXPECT_EQ(lib_.lastErrorStr_MBR(small, 6), 5);  // cut to the buffer
  EXPECT_STREQ(small, "bad a");
}

TEST_F(MbrolaLibraryTest, AnUnknownPhoneIsSkippedOrInNoErrorModeSilent) {
  ASSERT_GT(lib_.Write("a 50\nW 100\na 50\n"), 0);
  EXPECT_EQ(Drain(true), 2205u);
  lib_.reset_MBR();
  lib_.setNoError_MBR(1);
  ASSERT_GT(lib_.Write("a 50\nW 100\na 50\n"), 0);
  EXPECT_EQ(Drain(true), 4410u);
  EXPECT_EQ(lib_.lastError_MBR(), 0);
  lib_.setVolumeRatio_MBR(0.5f);
  lib_.setFreq_MBR(16000);
  lib_.close_MBR();  // settings back to their defaults
  EXPECT_EQ(lib_.getNoError_MBR() + lib_.getVolumeRatio_MBR() + lib_.getFreq_MBR(), 1 + 22050);
}

}  // namespace
