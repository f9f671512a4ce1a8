#include "engine/data/VSpeechBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/common/ComposerBed.h"

namespace {

using Bytes = std::vector<unsigned char>;

class FailingBuffer : public VSpeechBuffer {
 public:
  bool failSamples = false, failWave = false;

 protected:
  int16_t* ResizeSamples(int16_t* block, size_t count) override {
    return failSamples ? nullptr : VSpeechBuffer::ResizeSamples(block, count);
  }
  char* AllocateWave(size_t bytes) override {
    return failWave ? nullptr : VSpeechBuffer::AllocateWave(bytes);
  }
};

class VSpeechBufferTest : public testing_support::ComposerBed {
 protected:
  ~VSpeechBufferTest() override { delete[] block_; }
  int Init(VSpeechBuffer& buffer, const std::string& settings) {
    UseFont(settings);
    buffer.SetComposer(&bed_->composer);
    return buffer.Init();
  }
  Bytes Wave(VSpeechBuffer& buffer, bool withHeader) {
    buffer.GetWave(withHeader, &block_, &size_);
    return block_ == nullptr ? Bytes() : Bytes(block_, block_ + size_);
  }

  char* block_ = nullptr;
  long size_ = -1;
};

TEST_F(VSpeechBufferTest, AnUnusableInitialAllocationTakesTheDefaultCapacity) {
  const std::pair<const char*, int> cases[] = {
      {"=", VSpeechBuffer::kDefaultCapacity},
      {"=0", VSpeechBuffer::kDefaultCapacity},
      {"=2147483630", VSpeechBuffer::kDefaultCapacity},
      {"=12k", 12},
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

  // Written whole, or attached and sent block by block after a reset: the same image.
  for (int i = 0; i < 300000; ++i) buffer.Append(static_cast<int16_t>(i * 7));
  const Bytes image = Wave(buffer, true);
  const std::string file = inst_.path("pieces.wav");
  std::FILE* f = std::fopen(file.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(buffer.WriteWave(f));
  std::fclose(f);
  EXPECT_EQ(testing_support::ReadFile(file), std::string(image.begin(), image.end()));
  VSpeechBuffer attached;
  ASSERT_EQ(Init(attached, "SpeechBuffer.SampleRate=16000\n"), 1);
  f = std::fopen(file.c_str(), "wb");
  ASSERT_TRUE(attached.AttachWave(f));
  attached.Append(buffer.GetSamples(), 5000);
  attached.Reset();
  for (int at = 0; at < buffer.GetSize(); at += 1000)
    attached.Append(buffer.GetSamples() + at, std::min(1000, buffer.GetSize() - at));
  EXPECT_LT(attached.GetSize(), buffer.GetSize());
  EXPECT_TRUE(attached.FinishWave());
  std::fclose(f);
  EXPECT_EQ(attached.GetSize(), 0);
  EXPECT_EQ(testing_support::ReadFile(file), std::string(image.begin(), image.end()));
  std::FILE* pipe = popen("cat >/dev/null", "w");  // cannot take the header last
  ASSERT_NE(pipe, nullptr);
  EXPECT_FALSE(attached.AttachWave(pipe));
  pclose(pipe);
}

TEST_F(VSpeechBufferTest, BlocksGrowTheBufferUpToItsLimitWithOneReport) {
  const int16_t block[] = {1, 2, 3, 4, 5, 6, 7, 8};
  VSpeechBuffer limited(12), sending(12);
  ASSERT_EQ(Init(limited, "SpeechBuffer.InitAllocation=4\n"), 1);
  EXPECT_EQ(limited.Append(block, 3), 1);
  EXPECT_EQ(limited.Append(block, 8), 2);   // doubling stops at the limit: 4, 8, then 12
  EXPECT_EQ(limited.Append(block, 5), -1);  // what fits is stored, reported once
  EXPECT_EQ(limited.Append(block[0]), -1);
  EXPECT_EQ(std::vector<int16_t>(limited.GetSamples(), limited.GetSamples() + limited.GetSize()),
            (std::vector<int16_t>{1, 2, 3, 1, 2, 3, 4, 5, 6, 7, 8, 1}));
  EXPECT_EQ(boxes_.reports(), std::vector<std::string>{"VSpeechBuffer::Append(__int16 sample)\n\t"
                                                       "The speech passes the WAVE size limit of "
                                                       "12 samples (4 GiB): the rest is cut"});
  EXPECT_FALSE(limited.IsComplete());  // until the next run
  limited.Reset();
  EXPECT_TRUE(limited.IsComplete());
  // Attached to a file, the limit counts the samples sent.
  ASSERT_EQ(Init(sending, "SpeechBuffer.InitAllocation=5\n"), 1);  // 5 + 5 sent, then 2
  const std::string file = inst_.path("limit.wav");
  std::FILE* f = std::fopen(file.c_str(), "wb");
  ASSERT_TRUE(sending.AttachWave(f));
  EXPECT_EQ(sending.Append(block, 8), 1);
  EXPECT_EQ(sending.Append(block, 8), -1);
  EXPECT_TRUE(sending.FinishWave());
  std::fclose(f);
  EXPECT_EQ(testing_support::ReadFile(file).size(), 44u + 2 * 12);
  EXPECT_EQ(boxes_.reports().size(), 2u);
}

TEST_F(VSpeechBufferTest, WaveSizesAtTheLimitOfTheHeader) {
  const uint64_t most = VSpeechBuffer::kMaxCapacity;  // 2 n + 36 is the largest 32-bit size
  const struct {
    uint64_t samples;
    bool withHeader, fits;
    uint64_t bytes;
  } cases[] = {
      {0, false, true, 0},           {0, true, true, 44},        {most, true, true, 2 * most + 44},
      {most, false, true, 2 * most}, {most + 1, true, false, 7}, {UINT64_MAX, true, false, 7},
  };
  for (const auto& c : cases) {
    uint64_t bytes = 7;
    EXPECT_EQ(VSpeechBuffer::ImageSize(c.samples, c.withHeader, &bytes), c.fits) << c.samples;
    EXPECT_EQ(bytes, c.bytes) << c.samples;
  }
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
