// The entry points of the built mbrola.so, loaded at run time as the engine
// loads it: exports, binding a voice, the input queue, flushing, errors and
// settings.
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

using synth_test::Drive;
using synth_test::DriveLog;
using synth_test::Library;

class MbrolaLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib_.ok()) << "cannot load " << TM_MBROLA_LIBRARY;
    ASSERT_EQ(lib_.Fresh(), 0) << lib_.ErrorText();
  }
  void TearDown() override { lib_.close_MBR(); }

  // Reads until nothing is ready.
  std::vector<int16_t> Drain() {
    std::vector<int16_t> out;
    int16_t block[4096];
    int n = 0;
    while ((n = lib_.Read(block, 4096)) > 0) out.insert(out.end(), block, block + n);
    return out;
  }
  std::vector<int16_t> FlushAndDrain() {
    lib_.Flush();
    return Drain();
  }
  std::string Info(int index) {
    char buffer[256];
    const int n = lib_.getDatabaseInfo_MBR(buffer, sizeof buffer, index);
    return n >= 0 ? std::string(buffer) : "error " + std::to_string(n);
  }

  Library& lib_ = Library::Get();
  testing_support::TempDir dir_;
};

TEST_F(MbrolaLibraryTest, ExportsTheEighteenEntryPointsOnly) {
  EXPECT_EQ(lib_.resolved, 18);
  // Internal code is hidden: the channel's operations and the standard
  // library's template instances are not exported.
  for (const char* hidden :
       {"_ZN7formant12SynthChannel5WriteEPKc", "_ZN7formant12FormantSynth6RenderEPsm",
        "_ZN7formant9Resonator3SetEdddb"}) {
    EXPECT_EQ(dlsym(lib_.handle, hidden), nullptr) << hidden;
  }
}

TEST_F(MbrolaLibraryTest, InitAgainWithoutCloseRestartsTheStream) {
  EXPECT_EQ(lib_.Write("a 100\ne 100\n"), 12);
  std::string path = synth_test::VoicePath();
  ASSERT_EQ(lib_.init_MBR(path.data()), 0);
  ASSERT_EQ(lib_.init_MBR(path.data()), 0);
  EXPECT_EQ(lib_.Write("o 50\n"), 5);
  EXPECT_EQ(FlushAndDrain().size(), 1103u);  // only the text after the last init
  EXPECT_EQ(lib_.lastError_MBR(), 0);
}

TEST_F(MbrolaLibraryTest, SameVoiceFileComesFromTheCacheUntilItChanges) {
  formant::SynthChannel channel;
  const std::string path = dir_ / "v.voice";
  testing_support::WriteFile(path,
                             "tm-formant-voice 1\nrate 22050\nname one\nphone a vowel AV=60\n");
  ASSERT_EQ(channel.Init(path.c_str(), nullptr, nullptr), 0);
  const formant::FormantVoice* first = channel.voice();
  ASSERT_EQ(channel.Init(path.c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(channel.voice(), first);
  EXPECT_EQ(channel.voice()->name(), "one");

  testing_support::WriteFile(path,
                             "tm-formant-voice 1\nrate 22050\nname second\nphone a vowel AV=60\n");
  ASSERT_EQ(channel.Init(path.c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(channel.voice()->name(), "second");
}

TEST_F(MbrolaLibraryTest, SamplesLagOnePhoneAndFlushGivesEverything) {
  ASSERT_GT(lib_.Write("a 100 (0,120)\n"), 0);
  EXPECT_EQ(Drain().size(), 0u);  // the transition needs the next phone
  ASSERT_GT(lib_.Write("e 100 (0,120)\n"), 0);
  EXPECT_EQ(Drain().size(), 2205u);
  ASSERT_GT(lib_.Write("o 100"), 0);  // a line without its line feed
  EXPECT_EQ(Drain().size(), 0u);
  EXPECT_EQ(lib_.Flush(), 1);
  EXPECT_EQ(Drain().size(), 2 * 2205u);
  // A later part of the same stream.
  ASSERT_GT(lib_.Write("u 100\n#\n"), 0);
  EXPECT_EQ(Drain().size(), 2205u);
}

TEST_F(MbrolaLibraryTest, WithoutLaterPitchPointsAFewPhonesAreAwaited) {
  // No pitch point: the contour may still get one, so up to eight phones
  // more are awaited before a phone is synthesised.
  for (int i = 0; i < 8; ++i) ASSERT_GT(lib_.Write("a 10\n"), 0);
  EXPECT_EQ(Drain().size(), 0u);
  ASSERT_GT(lib_.Write("a 10\n"), 0);
  EXPECT_EQ(Drain().size(), 221u);
  EXPECT_EQ(FlushAndDrain().size(), 8 * 220u + 4u);  // 90 ms in all: 1985 samples
}

TEST_F(MbrolaLibraryTest, QueueRefusesOnlyWhenSamplesCanBeRead) {
  int taken = 0;
  while (lib_.Write("a 30 (50,120)\n") > 0) {
    ++taken;
    ASSERT_LT(taken, 1000) << "the queue never fills";
  }
  EXPECT_EQ(taken, static_cast<int>(formant::SynthChannel::kMaxQueuedPhones));
  EXPECT_EQ(lib_.lastError_MBR(), MBR_ERR_QUEUE_FULL);
  EXPECT_NE(lib_.ErrorText().find("queue full"), std::string::npos);
  int16_t block[4096];
  EXPECT_GT(lib_.Read(block, 4096), 0);
  Drain();
  EXPECT_GT(lib_.Write("a 30 (50,120)\n"), 0);
  EXPECT_EQ(lib_.lastError_MBR(), 0);  // taken again: the refusal is over

  // Phones of no duration never give samples, so they are never refused.
  lib_.reset_MBR();
  for (int i = 0; i < 300; ++i) ASSERT_GT(lib_.Write("a 0 (50,120)\n"), 0) << i;
}

TEST_F(MbrolaLibraryTest, EngineLoopOverALongTextDrainsAfterRefusals) {
  // The generator's shape of text: a first silence with the base F0, one
  // line per phone with points, and "_ 60" without a line feed.
  std::string text = "_ 60 (0,120)\n";
  double total = 60.0 + 60.0;
  const char* symbols[] = {"k", "a", "l", "i", "m", "e", "r", "a", "s", "o", "u", "_"};
  for (int i = 0; i < 600; ++i) {
    const int ms = 40 + (i * 37) % 90;
    total += ms;
    text += std::string(symbols[i % 12]) + " " + std::to_string(ms) + " (0," +
            std::to_string(100 + i % 40) + ") (50," + std::to_string(110 + i % 30) + ") (100," +
            std::to_string(105 + i % 35) + ")\n";
  }
  text += "_ 60";
  DriveLog log;
  const std::vector<int16_t> samples = Drive(lib_, text, &log);
  EXPECT_GE(log.refusals, 5);
  EXPECT_EQ(log.refusalsWithNothingToRead, 0);
  EXPECT_NEAR(static_cast<double>(samples.size()), total * 22.05, 0.5);
  EXPECT_EQ(lib_.lastError_MBR(), 0) << lib_.ErrorText();
}

TEST_F(MbrolaLibraryTest, UnknownPhoneIsSilenceInNoErrorModeAndAnErrorOtherwise) {
  ASSERT_GT(lib_.Write("a 50\nW 100\na 50\n"), 0);
  EXPECT_EQ(lib_.lastError_MBR(), MBR_ERR_UNKNOWN_PHONE);
  EXPECT_EQ(lib_.ErrorText(), "unknown phone: \"W\"");
  EXPECT_EQ(FlushAndDrain().size(), 2205u);  // skipped

  lib_.reset_MBR();
  EXPECT_EQ(lib_.lastError_MBR(), 0);
  lib_.setNoError_MBR(1);
  ASSERT_GT(lib_.Write("a 50\nW 100\na 50\n"), 0);
  const std::vector<int16_t> samples = FlushAndDrain();
  ASSERT_EQ(samples.size(), 4410u);
  for (std::size_t i = 1103; i < 1103 + 2205; ++i) ASSERT_EQ(samples[i], 0) << i;
  EXPECT_EQ(lib_.lastError_MBR(), 0);

  // The mode outlives a new init, as the engine sets it once per voice font.
  std::string path = synth_test::VoicePath();
  ASSERT_EQ(lib_.init_MBR(path.data()), 0);
  EXPECT_EQ(lib_.getNoError_MBR(), 1);
}

TEST_F(MbrolaLibraryTest, ErrorCodesAndTexts) {
  std::string missing = dir_ / "missing.voice";
  std::string bad = dir_ / "bad.voice";
  testing_support::WriteFile(bad, "tm-formant-voice 1\nrate 22050\nphone a vowel F1=nine\n");
  struct Case {
    int code;
    const char* text;  // start of the error text
    std::function<void()> act;
  };
  const Case cases[] = {
      {MBR_ERR_DATABASE_NOT_FOUND, "database not found: ",
       [&] { EXPECT_EQ(lib_.init_MBR(missing.data()), MBR_ERR_DATABASE_NOT_FOUND); }},
      {MBR_ERR_BAD_DATABASE, "bad database format: ",
       [&] {
         EXPECT_EQ(lib_.init_MBR(bad.data()), MBR_ERR_BAD_DATABASE);
         EXPECT_NE(lib_.ErrorText().find("bad.voice:3: bad number in \"F1=nine\""),
                   std::string::npos);
       }},
      {MBR_ERR_BAD_PHONE_LINE, "bad phone line: bad pitch point: \"a 10 (5,\"",
       [&] { EXPECT_GT(lib_.Write("a 10 (5,\n"), 0); }},
      {MBR_ERR_UNKNOWN_PHONE, "unknown phone: \"W\"", [&] { EXPECT_GT(lib_.Write("W 10\n"), 0); }},
      {MBR_ERR_BAD_ARGUMENT,
       "bad argument: ", [&] { EXPECT_EQ(lib_.write_MBR(nullptr), MBR_ERR_BAD_ARGUMENT); }},
      {MBR_ERR_NO_DATABASE, "no database loaded",
       [&] {
         lib_.close_MBR();
         EXPECT_EQ(lib_.Write("a 100\n"), 6);  // taken and dropped
         EXPECT_EQ(lib_.flush_MBR(), MBR_ERR_NO_DATABASE);
         EXPECT_EQ(Drain().size(), 0u);
       }},
      {MBR_ERR_BAD_ARGUMENT, "bad argument: volume",
       [&] {
         lib_.setVolumeRatio_MBR(-1.0f);
         EXPECT_EQ(lib_.getVolumeRatio_MBR(), 1.0f);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(lib_.Fresh(), 0);
    c.act();
    EXPECT_EQ(lib_.lastError_MBR(), c.code);
    EXPECT_EQ(lib_.ErrorText().rfind(c.text, 0), 0u) << lib_.ErrorText();
  }
  // After a failed init no voice is bound: text is taken and dropped.
  ASSERT_EQ(lib_.init_MBR(missing.data()), MBR_ERR_DATABASE_NOT_FOUND);
  EXPECT_GT(lib_.Write("a 100\n"), 0);
  EXPECT_EQ(lib_.lastError_MBR(), MBR_ERR_NO_DATABASE);
  // A good init clears the error.
  ASSERT_EQ(lib_.Fresh(), 0);
  EXPECT_EQ(lib_.lastError_MBR(), 0);
  EXPECT_EQ(lib_.ErrorText(), "");
}

TEST_F(MbrolaLibraryTest, TextsAreCutToTheBuffer) {
  lib_.Write("W 10\n");
  char small[6] = "xxxxx";
  EXPECT_EQ(lib_.lastErrorStr_MBR(small, 6), 5);
  EXPECT_STREQ(small, "unkno");
  EXPECT_EQ(lib_.lastErrorStr_MBR(nullptr, 10), MBR_ERR_BAD_ARGUMENT);
  EXPECT_EQ(lib_.lastErrorStr_MBR(small, 0), MBR_ERR_BAD_ARGUMENT);
  char version[64];
  EXPECT_EQ(lib_.getVersion_MBR(version, sizeof version), 14);
  EXPECT_STREQ(version, "tm-formant 1.0");
  EXPECT_EQ(lib_.getVersion_MBR(version, 3), 2);
  EXPECT_STREQ(version, "tm");
}

TEST_F(MbrolaLibraryTest, DatabaseInfoDescribesTheVoice) {
  EXPECT_EQ(Info(0), "Greek male (formant)");
  EXPECT_EQ(Info(1), "tm-formant-voice 1");
  EXPECT_EQ(Info(2), "22050");
  EXPECT_EQ(Info(3), synth_test::VoicePath());
  EXPECT_EQ(Info(4), "_ a e i o u p t k c b d g Q S Z f v T D s z x G C j m n J N l L r");
  EXPECT_EQ(Info(5), "");
  lib_.close_MBR();
  EXPECT_EQ(Info(0), "error " + std::to_string(MBR_ERR_NO_DATABASE));
}

TEST_F(MbrolaLibraryTest, LinesMayArriveInPiecesWithCommentsAndCarriageReturns) {
  const std::vector<int16_t> whole = [&] {
    lib_.Write("a 100 (0,120) (100,140)\ns 60\n_ 20\n");
    return FlushAndDrain();
  }();
  lib_.reset_MBR();
  for (const char* piece : {"; a comment\n", "a 1", "00 (0,1", "20) (100,140)\r", "\n\n",
                            "   ;another\ns 60\r\n_", " 20"}) {
    ASSERT_GT(lib_.Write(piece), 0) << piece;
  }
  EXPECT_EQ(FlushAndDrain(), whole);
  EXPECT_EQ(lib_.lastError_MBR(), 0) << lib_.ErrorText();
  EXPECT_EQ(whole.size(), 3969u);
}

TEST_F(MbrolaLibraryTest, ResetAndCloseClearTheStream) {
  lib_.Write("a 100\ne 100\no 100\n");
  lib_.reset_MBR();
  EXPECT_EQ(FlushAndDrain().size(), 0u);

  lib_.setNoError_MBR(1);
  lib_.setVolumeRatio_MBR(0.5f);
  lib_.setFreq_MBR(16000);
  lib_.Write("a 100\ne 100\n");
  lib_.close_MBR();
  EXPECT_EQ(lib_.getNoError_MBR(), 0);
  EXPECT_EQ(lib_.getVolumeRatio_MBR(), 1.0f);
  EXPECT_EQ(lib_.getFreq_MBR(), 22050);
  EXPECT_EQ(Drain().size(), 0u);
}

TEST_F(MbrolaLibraryTest, VolumeScalesTheOutput) {
  const std::string text = "_ 20 (0,120)\na 200\nm 80\no 150\n_ 20\n";
  lib_.Write(text);
  const std::vector<int16_t> full = FlushAndDrain();
  lib_.reset_MBR();
  lib_.setVolumeRatio_MBR(0.5f);
  lib_.Write(text);
  const std::vector<int16_t> half = FlushAndDrain();
  ASSERT_EQ(full.size(), half.size());
  int peak = 0;
  for (std::size_t i = 0; i < full.size(); ++i) {
    ASSERT_LE(std::abs(2 * half[i] - full[i]), 2) << i;
    peak = std::max(peak, std::abs(static_cast<int>(full[i])));
  }
  EXPECT_GT(peak, 3000);
}

TEST_F(MbrolaLibraryTest, ReadTypeEncodesTheSameSamples) {
  const std::string text = "_ 20 (0,120)\na 100\ns 80\no 100\n_ 20\n";
  lib_.Write(text);
  const std::vector<int16_t> linear = FlushAndDrain();
  ASSERT_EQ(linear.size(), 7056u);
  // Independent decoders of the three byte formats.
  auto decodeMuLaw = [](uint8_t byte) {
    const int u = ~byte & 0xFF;
    const int magnitude = ((((u & 0x0F) << 3) + 0x84) << ((u >> 4) & 7)) - 0x84;
    return (u & 0x80) ? -magnitude : magnitude;
  };
  auto decodeALaw = [](uint8_t byte) {
    const int a = byte ^ 0x55;
    const int segment = (a >> 4) & 7;
    int magnitude = ((a & 0x0F) << 4) + 8;
    if (segment > 0) magnitude = (magnitude + 0x100) << (segment - 1);
    return (a & 0x80) ? magnitude : -magnitude;
  };
  for (int type : {MBR_LIN8, MBR_ULAW, MBR_ALAW}) {
    lib_.reset_MBR();
    lib_.Write(text);
    lib_.Flush();
    std::vector<uint8_t> bytes(linear.size() + 100);
    int got = 0, n = 0;
    while ((n = lib_.readtype_MBR(bytes.data() + got, 1000, type)) > 0) got += n;
    ASSERT_EQ(got, static_cast<int>(linear.size())) << type;
    for (std::size_t i = 0; i < linear.size(); ++i) {
      const int x = linear[i];
      int decoded = 0, tolerance = 0;
      if (type == MBR_LIN8) {
        decoded = (bytes[i] - 128) * 256;
        tolerance = 256;
      } else if (type == MBR_ULAW) {
        decoded = decodeMuLaw(bytes[i]);
        tolerance = std::abs(x) / 16 + 8;
      } else {
        decoded = decodeALaw(bytes[i]);
        tolerance = std::abs(x) / 16 + 16;
      }
      ASSERT_LE(std::abs(decoded - x), tolerance) << "type " << type << " sample " << i;
    }
  }
  lib_.reset_MBR();
  lib_.Write(text);
  lib_.Flush();
  int16_t block[64];
  EXPECT_EQ(lib_.readtype_MBR(block, 64, MBR_LIN16), 64);
  EXPECT_EQ(lib_.readtype_MBR(block, 64, 9), MBR_ERR_BAD_ARGUMENT);
  EXPECT_EQ(lib_.read_MBR(nullptr, 10), MBR_ERR_BAD_ARGUMENT);
  EXPECT_EQ(lib_.read_MBR(reinterpret_cast<short*>(block), -1), MBR_ERR_BAD_ARGUMENT);
}

TEST_F(MbrolaLibraryTest, RenameAndCloneChangeThePhoneSet) {
  std::string path = synth_test::VoicePath();
  std::string rename = "a A  e E";
  std::string clone = "A a2";
  ASSERT_EQ(lib_.init_rename_MBR(path.data(), rename.data(), clone.data()), 0) << lib_.ErrorText();
  lib_.Write("A 100\nE 100\na2 100\n");
  EXPECT_EQ(lib_.lastError_MBR(), 0) << lib_.ErrorText();
  lib_.Write("a 100\n");
  EXPECT_EQ(lib_.lastError_MBR(), MBR_ERR_UNKNOWN_PHONE);
  EXPECT_EQ(FlushAndDrain().size(), 3 * 2205u);

  std::string odd = "a";
  EXPECT_EQ(lib_.init_rename_MBR(path.data(), odd.data(), nullptr), MBR_ERR_BAD_ARGUMENT);
  std::string unknown = "W w";
  EXPECT_EQ(lib_.init_rename_MBR(path.data(), nullptr, unknown.data()), MBR_ERR_BAD_ARGUMENT);
  EXPECT_NE(lib_.ErrorText().find("\"W\""), std::string::npos);
  // The plain voice is unchanged by the renamed copy.
  ASSERT_EQ(lib_.init_MBR(path.data()), 0);
  lib_.Write("a 100\n");
  EXPECT_EQ(lib_.lastError_MBR(), 0);
}

}  // namespace
