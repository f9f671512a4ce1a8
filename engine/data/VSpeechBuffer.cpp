#include "engine/data/VSpeechBuffer.h"

#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "engine/base/VLib.h"
#include "engine/composer/VCharacter.h"

namespace {
// Place named in the report of a buffer without composer ("VSpeechBuffer:61").
// The number is a fixed text of the report, not a line of this file: keep
// it as it is.
constexpr int kNoComposerLine = 61;

constexpr const char* kInitAllocationKey = "SpeechBuffer.InitAllocation";
constexpr const char* kSampleRateKey = "SpeechBuffer.SampleRate";

constexpr uint32_t kDefaultSampleRate = 22050;
constexpr int kBytesPerSample = 2;

void PutTag(unsigned char* p, const char* tag) { std::memcpy(p, tag, 4); }

void PutU16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v & 0xFF);
  p[1] = static_cast<unsigned char>((v >> 8) & 0xFF);
}

void PutU32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v & 0xFF);
  p[1] = static_cast<unsigned char>((v >> 8) & 0xFF);
  p[2] = static_cast<unsigned char>((v >> 16) & 0xFF);
  p[3] = static_cast<unsigned char>((v >> 24) & 0xFF);
}
}  // namespace

VSpeechBuffer::VSpeechBuffer() : VComponent("SpeechBuffer") { SetHeaderFields(); }

VSpeechBuffer::~VSpeechBuffer() = default;

int16_t* VSpeechBuffer::AllocateSamples(size_t count) { return new (std::nothrow) int16_t[count]; }

char* VSpeechBuffer::AllocateWave(size_t bytes) { return new (std::nothrow) char[bytes]; }

void VSpeechBuffer::SetHeaderFields() {
  std::memcpy(riffTag_, "RIFF", 4);
  riffSize_ = 36;
  std::memcpy(waveTag_, "WAVE", 4);
  std::memcpy(fmtTag_, "fmt ", 4);
  fmtSize_ = 16;
  formatTag_ = 1;
  channels_ = 1;
  sampleRate_ = kDefaultSampleRate;
  byteRate_ = kDefaultSampleRate * kBytesPerSample;
  blockAlign_ = kBytesPerSample;
  bitsPerSample_ = 16;
  std::memcpy(dataTag_, "data", 4);
  dataSize_ = 0;
}

int VSpeechBuffer::ReadCharacterInt(const char* key) const {
  VComposer* composer = PeekComposer();
  const VCharacter* ch = composer != nullptr ? composer->GetCharacter() : nullptr;
  return ch != nullptr ? VLib::ParseInt(ch->GetParameter(key)) : 0;
}

int VSpeechBuffer::Init() {
  if (PeekComposer() == nullptr) {
    GetComposer();
    VLib::ReportError("VSpeechBuffer:" + std::to_string(kNoComposerLine) + ":NULL Tamrin");
    return -1;
  }
  int32_t capacity = ReadCharacterInt(kInitAllocationKey);
  if (capacity <= 0 || capacity > kMaxCapacity) capacity = kDefaultCapacity;

  samples_.reset();
  header_.reset();
  capacity_ = 0;
  last_ = -1;
  samples_.reset(AllocateSamples(static_cast<size_t>(capacity)));
  if (!samples_) {
    VLib::ReportError("VSpeechBuffer::Init(long allocation)@unable to allocate memory!");
    return -1;
  }
  capacity_ = capacity;

  SetHeaderFields();
  header_.reset(new (std::nothrow) unsigned char[kHeaderSize]);
  if (!header_) {
    VLib::ReportError("VSpeechBuffer::Init(long allocation)@unable to create wave header!");
    return -2;
  }
  std::memset(header_.get(), 0, kHeaderSize);
  return 1;
}

int VSpeechBuffer::Append(int16_t sample) {
  int result = 1;
  if (last_ + 1 >= capacity_) {
    int32_t grown = 0;
    if (capacity_ < 1) {
      grown = kDefaultCapacity;
    } else if (capacity_ < kMaxCapacity) {
      grown = capacity_ > kMaxCapacity / 2 ? kMaxCapacity : capacity_ * 2;
    }
    int16_t* block = grown > 0 ? AllocateSamples(static_cast<size_t>(grown)) : nullptr;
    if (block == nullptr) {
      // Once per run: a synthesis may offer millions of samples more.
      if (!refusalReported_) {
        VLib::ReportError("VSpeechBuffer::Append(__int16 sample)\n\tUnable to allocate memory");
      }
      refusalReported_ = true;
      return -1;
    }
    if (last_ >= 0) {
      std::memcpy(block, samples_.get(), static_cast<size_t>(last_ + 1) * sizeof(int16_t));
    }
    samples_.reset(block);
    capacity_ = grown;
    result = 2;
  }
  ++last_;
  samples_[last_] = sample;
  return result;
}

bool VSpeechBuffer::Reset() {
  last_ = -1;
  refusalReported_ = false;
  return true;
}

void VSpeechBuffer::UpdateHeader() {
  // The rate is written as the unsigned 32-bit pattern of the integer read.
  sampleRate_ = static_cast<uint32_t>(ReadCharacterInt(kSampleRateKey));
  byteRate_ = sampleRate_ * kBytesPerSample;
  const uint32_t n = static_cast<uint32_t>(GetSize());
  dataSize_ = n * kBytesPerSample;
  riffSize_ = dataSize_ + 36;

  if (!header_) header_.reset(new (std::nothrow) unsigned char[kHeaderSize]);
  if (!header_) return;
  unsigned char* h = header_.get();
  PutTag(h + 0, riffTag_);
  PutU32(h + 4, riffSize_);
  PutTag(h + 8, waveTag_);
  PutTag(h + 12, fmtTag_);
  PutU32(h + 16, fmtSize_);
  PutU16(h + 20, formatTag_);
  PutU16(h + 22, channels_);
  PutU32(h + 24, sampleRate_);
  PutU32(h + 28, byteRate_);
  PutU16(h + 32, blockAlign_);
  PutU16(h + 34, bitsPerSample_);
  PutTag(h + 36, dataTag_);
  PutU32(h + 40, dataSize_);
}

void VSpeechBuffer::GetWave(bool withHeader, char** block, long* size) {
  if (block == nullptr || size == nullptr) {
    VLib::ReportError(
        "VSpeechBuffer::GetWave(bool header, char** block, long* size)@null argument");
    return;
  }
  delete[] * block;
  *block = nullptr;
  *size = 0;

  const size_t n = static_cast<size_t>(GetSize());
  const size_t header = withHeader ? kHeaderSize : 0;
  // The image must fit the header's 32-bit sizes and the caller's long.
  const bool representable = n <= (static_cast<size_t>(UINT32_MAX) - 36) / kBytesPerSample &&
                             n * kBytesPerSample + header <= static_cast<size_t>(LONG_MAX);
  char* image = nullptr;
  if (representable) {
    if (withHeader) UpdateHeader();
    if (!withHeader || header_) image = AllocateWave(n * kBytesPerSample + header);
  }
  if (image == nullptr) {
    VLib::ReportError(
        "VSpeechBuffer::GetWave(bool header, char** block, long* size)@unable to allocate "
        "memory!");
    return;
  }
  unsigned char* out = reinterpret_cast<unsigned char*>(image);
  if (withHeader) std::memcpy(out, header_.get(), kHeaderSize);
  out += header;
  for (size_t i = 0; i < n; ++i) {
    const uint16_t v = static_cast<uint16_t>(samples_[i]);
    out[2 * i] = static_cast<unsigned char>(v & 0xFF);
    out[2 * i + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
  }
  *block = image;
  *size = static_cast<long>(n * kBytesPerSample + header);
}
