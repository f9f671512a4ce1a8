#include "engine/data/VSpeechBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/composer/VCharacter.h"
#include "engine/composer/VCharacterPool.h"
#include "engine/shared/TMShared.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::FakeComposer;
using testing_support::MessageRecorder;
using testing_support::TestInstallation;
using testing_support::WriteFile;
using Bytes = std::vector<unsigned char>;

// A buffer whose allocations can be made to fail.
class FailingBuffer : public VSpeechBuffer {
 public:
  bool failSamples = false;
  bool failWave = false;

 protected:
  int16_t* AllocateSamples(size_t count) override {
    return failSamples ? nullptr : VSpeechBuffer::AllocateSamples(count);
  }
  char* AllocateWave(size_t bytes) override {
    return failWave ? nullptr : VSpeechBuffer::AllocateWave(bytes);
  }
};

class VSpeechBufferTest : public testing::Test {
 protected:
  ~VSpeechBufferTest() override { delete[] block_; }

  // Makes a character of the settings its composer's current one.
  void UseFont(const std::string& settings) {
    install_.write("fonts/voice.vof", settings);
    character_ = std::make_unique<VCharacter>();
    character_->Load(install_.path("fonts/voice.vof"));
    composer_.character = character_.get();
  }

  int Init(VSpeechBuffer& buffer) {
    buffer.SetComposer(&composer_);
    return buffer.Init();
  }

  Bytes Wave(VSpeechBuffer& buffer, bool withHeader) {
    buffer.GetWave(withHeader, &block_, &size_);
    if (block_ == nullptr) return Bytes();
    return Bytes(block_, block_ + size_);
  }

  std::vector<std::string> Reported() const { return boxes_.reports(); }

  static uint32_t U32(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
  }

  TestInstallation install_;
  MessageRecorder boxes_;
  FakeComposer composer_;
  std::unique_ptr<VCharacter> character_;
  VSpeechBuffer buffer_;
  char* block_ = nullptr;
  long size_ = -1;
};

TEST_F(VSpeechBufferTest, CapacityDoublesWhenFull) {
  UseFont("SpeechBuffer.InitAllocation=4\n");
  ASSERT_EQ(Init(buffer_), 1);
  EXPECT_EQ(buffer_.GetCapacity(), 4);
  buffer_.Reset();
  std::vector<int> results;
  for (int16_t s = 1; s <= 5; ++s) results.push_back(buffer_.Append(s));
  EXPECT_EQ(results, (std::vector<int>{1, 1, 1, 1, 2}));
  EXPECT_EQ(buffer_.GetCapacity(), 8);
  EXPECT_EQ(std::vector<int16_t>(buffer_.GetSamples(), buffer_.GetSamples() + buffer_.GetSize()),
            (std::vector<int16_t>{1, 2, 3, 4, 5}));
  for (int16_t s = 6; s <= 8; ++s) EXPECT_EQ(buffer_.Append(s), 1);
  EXPECT_EQ(buffer_.Append(9), 2);
  EXPECT_EQ(buffer_.GetCapacity(), 16);

  EXPECT_TRUE(buffer_.Reset());
  EXPECT_EQ(buffer_.GetSize(), 0);
  EXPECT_EQ(buffer_.GetCapacity(), 16);
  EXPECT_EQ(buffer_.Append(-7), 1);
  EXPECT_EQ(buffer_.GetSamples()[0], -7);
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VSpeechBufferTest, EmptyWaveWithoutHeaderHasSizeZero) {
  UseFont("SpeechBuffer.InitAllocation=4\nSpeechBuffer.SampleRate=8000\n");
  ASSERT_EQ(Init(buffer_), 1);
  EXPECT_EQ(buffer_.GetSize(), 0);
  EXPECT_EQ(Wave(buffer_, false), Bytes());
  EXPECT_NE(block_, nullptr);
  EXPECT_EQ(size_, 0);
  const Bytes wave = Wave(buffer_, true);
  ASSERT_EQ(wave.size(), 44u);
  EXPECT_EQ(U32(wave, 4), 36u);
  EXPECT_EQ(U32(wave, 40), 0u);
  // After a reset, too.
  buffer_.Append(3);
  buffer_.Reset();
  EXPECT_EQ(Wave(buffer_, false), Bytes());
  EXPECT_EQ(size_, 0);
}

TEST_F(VSpeechBufferTest, UnusableInitialAllocationTakesTheDefaultCapacity) {
  const std::pair<const char*, int> cases[] = {
      {"", VSpeechBuffer::kDefaultCapacity},
      {"SpeechBuffer.InitAllocation=\n", VSpeechBuffer::kDefaultCapacity},
      {"SpeechBuffer.InitAllocation=0\n", VSpeechBuffer::kDefaultCapacity},
      {"SpeechBuffer.InitAllocation=-5\n", VSpeechBuffer::kDefaultCapacity},
      {"SpeechBuffer.InitAllocation=many\n", VSpeechBuffer::kDefaultCapacity},
      {"SpeechBuffer.InitAllocation=67108865\n", VSpeechBuffer::kDefaultCapacity},
      {"SpeechBuffer.InitAllocation=99999999999999\n", VSpeechBuffer::kDefaultCapacity},
      {"SpeechBuffer.InitAllocation=1\n", 1},
      {"SpeechBuffer.InitAllocation= 12\n", 12},
      {"SpeechBuffer.InitAllocation=12k\n", 12},
      {"SpeechBuffer.InitAllocation=67108864\n", VSpeechBuffer::kMaxCapacity},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    UseFont(c.first);
    VSpeechBuffer buffer;
    ASSERT_EQ(Init(buffer), 1);
    EXPECT_EQ(buffer.GetCapacity(), c.second);
  }
  // A composer without a current character: the default as well.
  composer_.character = nullptr;
  VSpeechBuffer buffer;
  ASSERT_EQ(Init(buffer), 1);
  EXPECT_EQ(buffer.GetCapacity(), VSpeechBuffer::kDefaultCapacity);
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VSpeechBufferTest, WaveImageWithHeaderByteForByte) {
  UseFont("SpeechBuffer.InitAllocation=2\nSpeechBuffer.SampleRate=16000\n");
  ASSERT_EQ(Init(buffer_), 1);
  buffer_.Reset();
  for (int16_t s : {int16_t{1}, int16_t{-2}, int16_t{0x1234}}) buffer_.Append(s);
  const Bytes expected = {
      'R',  'I',  'F',  'F',  42,   0,    0,   0,    // riff size 2 * 3 + 36
      'W',  'A',  'V',  'E',  'f',  'm',  't', ' ',  //
      16,   0,    0,    0,    1,    0,    1,   0,    // fmt size, PCM, mono
      0x80, 0x3E, 0,    0,    0x00, 0x7D, 0,   0,    // 16000, 32000
      2,    0,    16,   0,    'd',  'a',  't', 'a',  // block align, bits
      6,    0,    0,    0,                           // data size
      0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12,            // the samples
  };
  EXPECT_EQ(Wave(buffer_, true), expected);
  EXPECT_EQ(size_, 50);
  EXPECT_EQ(Bytes(buffer_.GetHeader(), buffer_.GetHeader() + 44),
            Bytes(expected.begin(), expected.begin() + 44));

  // Without header: the samples alone; the earlier block was released.
  EXPECT_EQ(Wave(buffer_, false), Bytes(expected.begin() + 44, expected.end()));
  EXPECT_EQ(size_, 6);

  // Samples are little-endian two's complement.
  buffer_.Reset();
  for (int16_t s : {int16_t{-1}, int16_t{-32768}, int16_t{32767}, int16_t{-256}}) buffer_.Append(s);
  EXPECT_EQ(Wave(buffer_, false), (Bytes{0xFF, 0xFF, 0x00, 0x80, 0xFF, 0x7F, 0x00, 0xFF}));
}

TEST_F(VSpeechBufferTest, SampleRateComesFromTheCharacterOrIsZero) {
  const std::pair<const char*, uint32_t> cases[] = {{"SpeechBuffer.SampleRate=16000\n", 16000},
                                                    {"SpeechBuffer.SampleRate=22050\n", 22050},
                                                    {"SpeechBuffer.SampleRate=\n", 0},
                                                    {"Other=1\n", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    UseFont(c.first);
    VSpeechBuffer buffer;
    ASSERT_EQ(Init(buffer), 1);
    buffer.Append(5);
    const Bytes wave = Wave(buffer, true);
    ASSERT_EQ(wave.size(), 46u);
    EXPECT_EQ(U32(wave, 24), c.second);
    EXPECT_EQ(U32(wave, 28), 2 * c.second);
  }
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VSpeechBufferTest, SettingsComeThroughTheDefaultFont) {
  install_.write("config.txt", "VoiceFonts.Directory=fonts\nVoiceFonts.Suffix=.vof\n");
  install_.write("fonts/default.vof", "SpeechBuffer.InitAllocation=2\nVModuleChain.Modules=\n");
  install_.write("fonts/a.vof", "Settings.DisplayName=A\n");
  TMShared shared;
  shared.GetConfiguration()->Load(install_.path("config.txt"));
  VCharacterPool pool;
  composer_.shared = &shared;
  composer_.pool = &pool;
  pool.SetComposer(&composer_);
  ASSERT_TRUE(pool.Load());
  composer_.character = pool.Find("a.vof");
  ASSERT_NE(composer_.character, nullptr);

  ASSERT_EQ(Init(buffer_), 1);
  EXPECT_EQ(buffer_.GetCapacity(), 2);
  EXPECT_TRUE(Reported().empty());
  buffer_.Append(1);
  // Missing from both fonts: 0, reported with the path of default.vof.
  const Bytes wave = Wave(buffer_, true);
  ASSERT_EQ(wave.size(), 46u);
  EXPECT_EQ(U32(wave, 24), 0u);
  EXPECT_EQ(U32(wave, 28), 0u);
  EXPECT_EQ(Reported(), std::vector<std::string>{"Error: parameter [SpeechBuffer.SampleRate] was "
                                                 "not found in [" +
                                                 install_.path("fonts/default.vof") + "]"});
  composer_.character = nullptr;
  composer_.pool = nullptr;
  pool.Clear();
}

TEST_F(VSpeechBufferTest, AppendBeforeInitMakesRoomForTheDefaultCapacity) {
  VSpeechBuffer fresh;
  EXPECT_EQ(fresh.Append(7), 2);
  EXPECT_EQ(fresh.GetCapacity(), VSpeechBuffer::kDefaultCapacity);
  EXPECT_EQ(fresh.GetSize(), 1);
  EXPECT_TRUE(Reported().empty());
  // Init without a composer reports its place and fails.
  VSpeechBuffer orphan;
  EXPECT_EQ(orphan.Init(), -1);
  EXPECT_EQ(Reported(), (std::vector<std::string>{"Null Tamrin.", "VSpeechBuffer:61:NULL Tamrin"}));
}

TEST_F(VSpeechBufferTest, GrowthStopsAtTheCapacityLimitWithAReport) {
  // Three quarters of the limit: doubling is capped at the limit itself.
  UseFont("SpeechBuffer.InitAllocation=50331648\n");
  ASSERT_EQ(Init(buffer_), 1);
  const int32_t start = buffer_.GetCapacity();
  ASSERT_EQ(start, 3 << 24);
  for (int32_t i = 0; i < start; ++i) buffer_.Append(static_cast<int16_t>(i));
  EXPECT_EQ(buffer_.Append(1), 2);
  EXPECT_EQ(buffer_.GetCapacity(), VSpeechBuffer::kMaxCapacity);
  for (int32_t i = buffer_.GetSize(); i < VSpeechBuffer::kMaxCapacity; ++i) buffer_.Append(2);
  ASSERT_EQ(buffer_.GetSize(), VSpeechBuffer::kMaxCapacity);
  EXPECT_TRUE(Reported().empty());

  EXPECT_EQ(buffer_.Append(3), -1);
  EXPECT_EQ(buffer_.GetSize(), VSpeechBuffer::kMaxCapacity);
  EXPECT_EQ(buffer_.GetCapacity(), VSpeechBuffer::kMaxCapacity);
  EXPECT_EQ(buffer_.GetSamples()[start - 1], static_cast<int16_t>(start - 1));
  EXPECT_EQ(buffer_.GetSamples()[VSpeechBuffer::kMaxCapacity - 1], 2);
  EXPECT_EQ(Reported(), std::vector<std::string>{
                            "VSpeechBuffer::Append(__int16 sample)\n\tUnable to allocate memory"});
}

TEST_F(VSpeechBufferTest, FailedAllocationsAreReported) {
  UseFont("SpeechBuffer.InitAllocation=2\n");
  FailingBuffer buffer;
  buffer.failSamples = true;
  EXPECT_EQ(Init(buffer), -1);
  EXPECT_EQ(Reported(), std::vector<std::string>{
                            "VSpeechBuffer::Init(long allocation)@unable to allocate memory!"});

  boxes_.clear();
  buffer.failSamples = false;
  ASSERT_EQ(Init(buffer), 1);
  EXPECT_EQ(buffer.Append(10), 1);
  EXPECT_EQ(buffer.Append(11), 1);
  buffer.failSamples = true;
  EXPECT_EQ(buffer.Append(12), -1);
  EXPECT_EQ(buffer.Append(13), -1);  // reported once per run
  EXPECT_EQ(buffer.GetSize(), 2);
  EXPECT_EQ(buffer.GetCapacity(), 2);
  EXPECT_EQ(buffer.GetSamples()[1], 11);
  EXPECT_EQ(Reported(), std::vector<std::string>{
                            "VSpeechBuffer::Append(__int16 sample)\n\tUnable to allocate memory"});
  buffer.Reset();  // a new run reports again
  for (int16_t s = 0; s < 3; ++s) buffer.Append(s);
  EXPECT_EQ(Reported().size(), 2u);
}

TEST_F(VSpeechBufferTest, FailedWaveImageGivesNullBlockAndSizeZero) {
  UseFont("SpeechBuffer.InitAllocation=2\nSpeechBuffer.SampleRate=8000\n");
  FailingBuffer buffer;
  ASSERT_EQ(Init(buffer), 1);
  buffer.Append(1);
  ASSERT_EQ(Wave(buffer, true).size(), 46u);  // block_ now holds an image
  buffer.failWave = true;
  for (bool withHeader : {true, false}) {
    boxes_.clear();
    buffer.GetWave(withHeader, &block_, &size_);
    EXPECT_EQ(block_, nullptr);
    EXPECT_EQ(size_, 0);
    EXPECT_EQ(Reported(),
              std::vector<std::string>{"VSpeechBuffer::GetWave(bool header, char** block, long* "
                                       "size)@unable to allocate memory!"});
  }
}

// Runs soxi with one option on file; its first output line.
std::string Soxi(const std::string& option, const std::string& file) {
  const std::string command = "soxi " + option + " '" + file + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "<popen failed>";
  std::string out;
  char chunk[256];
  while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) out += chunk;
  const int status = pclose(pipe);
  if (status != 0) return "<soxi failed>";
  const size_t end = out.find('\n');
  return end == std::string::npos ? out : out.substr(0, end);
}

TEST_F(VSpeechBufferTest, WaveFileIsReadByAnIndependentReader) {
  if (std::system("command -v soxi >/dev/null 2>&1") != 0) GTEST_SKIP() << "soxi is not installed";
  UseFont("SpeechBuffer.InitAllocation=64\nSpeechBuffer.SampleRate=16000\n");
  ASSERT_EQ(Init(buffer_), 1);
  buffer_.Reset();
  for (int i = 0; i < 1000; ++i) buffer_.Append(static_cast<int16_t>((i % 50) * 600 - 15000));
  const Bytes wave = Wave(buffer_, true);
  ASSERT_EQ(wave.size(), 2044u);
  const std::string file = install_.path("out.wav");
  WriteFile(file, std::string(wave.begin(), wave.end()));
  EXPECT_EQ(Soxi("-r", file), "16000");
  EXPECT_EQ(Soxi("-c", file), "1");
  EXPECT_EQ(Soxi("-b", file), "16");
  EXPECT_EQ(Soxi("-s", file), "1000");
  EXPECT_EQ(Soxi("-t", file), "wav");
  EXPECT_EQ(Soxi("-e", file), "Signed Integer PCM");
}

}  // namespace
