#include "engine/data/VSpeechBuffer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/composer/VCharacter.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/Installation.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A buffer whose allocations can be made to fail.
class FailingBuffer : public VSpeechBuffer {
 public:
  bool failSamples = false, failWave = false;

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
  // Inits buffer with a voice font of these settings.
  int Init(VSpeechBuffer& buffer, const std::string& settings) {
    inst_.write("voice.vof", settings);
    character_ = std::make_unique<VCharacter>();
    character_->Load(inst_.path("voice.vof"));
    composer_.character = character_.get();
    buffer.SetComposer(&composer_);
    return buffer.Init();
  }
  Bytes Wave(VSpeechBuffer& buffer, bool withHeader) {
    buffer.GetWave(withHeader, &block_, &size_);
    return block_ == nullptr ? Bytes() : Bytes(block_, block_ + size_);
  }

  testing_support::Installation inst_;
  testing_support::MessageRecorder boxes_;
  testing_support::FakeComposer composer_;
  std::unique_ptr<VCharacter> character_;
  char* block_ = nullptr;
  long size_ = -1;
};

TEST_F(VSpeechBufferTest, AnUnusableInitialAllocationTakesTheDefaultCapacity) {
  const std::pair<const char*, int> cases[] = {
      {"", VSpeechBuffer::kDefaultCapacity},          {"=0", VSpeechBuffer::kDefaultCapacity},
      {"=-5", VSpeechBuffer::kDefaultCapacity},       {"=many", VSpeechBuffer::kDefaultCapacity},
      {"=67108865", VSpeechBuffer::kDefaultCapacity}, {"=12k", 12},
      {"=67108864", VSpeechBuffer::kMaxCapacity},
  };
  for (const auto& [value, capacity] : cases) {
    VSpeechBuffer buffer;
    ASSERT_EQ(Init(buffer, std::string("SpeechBuffer.InitAllocation") + value + "\n"), 1);
    EXPECT_EQ(buffer.GetCapacity(), capacity) << value;
    EXPECT_EQ(Wave(buffer, false), Bytes()) << value;  // empty until a sample comes
  }
  VSpeechBuffer orphan;
  EXPECT_EQ(orphan.Init(), -1);
  EXPECT_EQ(boxes_.reports(),
            (std::vector<std::string>{"Null Tamrin.", "VSpeechBuffer:61:NULL Tamrin"}));
}

TEST_F(VSpeechBufferTest, TheWaveImageHasItsHeaderByteForByte) {
  VSpeechBuffer buffer;
  ASSERT_EQ(Init(buffer, "SpeechBuffer.InitAllocation=2\nSpeechBuffer.SampleRate=16000\n"), 1);
  for (int16_t s : {int16_t{1}, int16_t{-2}, int16_t{0x1234}}) buffer.Append(s);  // grows once
  const Bytes expected = {'R', 'I', 'F',  'F',  42, 0,    0,    0,    'W',  'A',  'V', 'E',  'f',
                          'm', 't', ' ',  16,   0,  0,    0,    1,    0,    1,    0,   0x80, 0x3E,
                          0,   0,   0x00, 0x7D, 0,  0,    2,    0,    16,   0,    'd', 'a',  't',
                          'a', 6,   0,    0,    0,  0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12};
  EXPECT_EQ(Wave(buffer, true), expected);
  EXPECT_EQ(Wave(buffer, false), Bytes(expected.begin() + 44, expected.end()));
  buffer.Reset();
  EXPECT_EQ(Wave(buffer, true).size(), 44u);
}

TEST_F(VSpeechBufferTest, GrowthStopsAtTheCapacityLimitWithAReport) {
  VSpeechBuffer buffer;
  ASSERT_EQ(Init(buffer, "SpeechBuffer.InitAllocation=50331648\n"), 1);  // three quarters of it
  for (int32_t i = 0; i < VSpeechBuffer::kMaxCapacity; ++i) buffer.Append(static_cast<int16_t>(i));
  EXPECT_EQ(buffer.GetCapacity(), VSpeechBuffer::kMaxCapacity);
  EXPECT_TRUE(boxes_.reports().empty());
  EXPECT_EQ(buffer.Append(3), -1);
  EXPECT_EQ(buffer.GetSize(), VSpeechBuffer::kMaxCapacity);
  EXPECT_EQ(boxes_.reports(),
            std::vector<std::string>{
                "VSpeechBuffer::Append(__int16 sample)\n\tUnable to allocate memory"});
}

TEST_F(VSpeechBufferTest, AFailedAllocationIsReportedAndAFailedImageIsNullOfSizeZero) {
  FailingBuffer buffer;
  buffer.failSamples = true;
  EXPECT_EQ(Init(buffer, "SpeechBuffer.InitAllocation=1\n"), -1);
  buffer.failSamples = false;
  ASSERT_EQ(Init(buffer, "SpeechBuffer.InitAllocation=1\n"), 1);
  buffer.Append(10);
  buffer.failSamples = true;
  EXPECT_EQ(buffer.Append(11), -1);
  EXPECT_EQ(buffer.Append(12), -1);  // reported once per run
  EXPECT_EQ(buffer.GetSize(), 1);
  EXPECT_EQ(boxes_.reports().size(), 2u);
  ASSERT_EQ(Wave(buffer, true).size(), 46u);
  buffer.failWave = true;
  EXPECT_EQ(Wave(buffer, true), Bytes());
  EXPECT_EQ(size_, 0);
  EXPECT_EQ(boxes_.reports().size(), 3u);
  buffer.Reset();  // a new run reports again
  for (int16_t s = 0; s < 3; ++s) buffer.Append(s);
  EXPECT_EQ(boxes_.reports().size(), 4u);
}

}  // namespace
