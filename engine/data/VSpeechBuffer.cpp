#include "engine/data/VSpeechBuffer.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "engine/base/VLib.h"
#include "engine/composer/VCharacter.h"
#include "platform/FileSystem.h"

namespace {
// Place named in the report of a buffer without composer ("VSpeechBuffer:61").
// The number is a fixed text of the report, not a line of this file: keep
// it as it is.
constexpr int kNoComposerLine = 61;

constexpr const char* kInitAllocationKey = "SpeechBuffer.InitAllocation";
constexpr const char* kSampleRateKey = "SpeechBuffer.SampleRate";

constexpr uint32_t kDefaultSampleRate = 22050;
constexpr int kBytesPerSample = 2;
// The part of the RIFF size that is not sample data.
constexpr uint32_t kRiffOverhead = 36;
// Samples written to a file per write: large enough that a write costs
// little, small enough to stay in the processor's cache.
constexpr size_t kWriteSamples = 256 * 1024;

constexpr bool kLittleEndianHost = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

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

// n samples as little-endian bytes: one copy on a little-endian host.
void PutSamples(unsigned char* out, const int16_t* samples, size_t n) {
  if (kLittleEndianHost) {
    if (n > 0) std::memcpy(out, samples, n * kBytesPerSample);
    return;
  }
  for (size_t i = 0; i < n; ++i) {
    PutU16(out + kBytesPerSample * i, static_cast<uint16_t>(samples[i]));
  }
}

// Writes n samples as little-endian bytes, piece by piece; false when a
// write fails.
bool WriteSamples(std::FILE* file, const int16_t* samples, size_t n) {
  std::vector<unsigned char> piece(kLittleEndianHost ? 0 : kWriteSamples * kBytesPerSample);
  for (size_t at = 0; at < n;) {
    const size_t count = std::min(kWriteSamples, n - at);
    const void* bytes = samples + at;
    if (!kLittleEndianHost) {
      PutSamples(piece.data(), samples + at, count);
      bytes = piece.data();
    }
    if (std::fwrite(bytes, kBytesPerSample, count, file) != count) return false;
    at += count;
  }
  return true;
}
}  // namespace

VSpeechBuffer::VSpeechBuffer(int32_t maxCapacity)
    : VComponent("SpeechBuffer"), maxCapacity_(std::clamp(maxCapacity, 1, kMaxCapacity)) {
  SetHeaderFields();
}

VSpeechBuffer::~VSpeechBuffer() = default;

void VSpeechBuffer::SetMaxSamples(int32_t maxCapacity) {
  maxCapacity_ = std::clamp(maxCapacity, 1, kMaxCapacity);
}

int16_t* VSpeechBuffer::ResizeSamples(int16_t* block, size_t count) {
  if (count == 0 || count > SIZE_MAX / sizeof(int16_t)) return nullptr;
  return static_cast<int16_t*>(std::realloc(block, count * sizeof(int16_t)));
}

char* VSpeechBuffer::AllocateWave(size_t bytes) { return new (std::nothrow) char[bytes]; }

void VSpeechBuffer::SetHeaderFields() {
  std::memcpy(riffTag_, "RIFF", 4);
  riffSize_ = kRiffOverhead;
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
  if (capacity <= 0 || capacity > maxCapacity_) capacity = std::min(kDefaultCapacity, maxCapacity_);

  samples_.reset();
  header_.reset();
  capacity_ = 0;
  last_ = -1;
  samples_.reset(ResizeSamples(nullptr, static_cast<size_t>(capacity)));
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

bool VSpeechBuffer::Grow() {
  int32_t grown = 0;
  if (capacity_ < 1) {
    grown = std::min(kDefaultCapacity, maxCapacity_);
  } else if (capacity_ < maxCapacity_) {
    grown = capacity_ > maxCapacity_ / 2 ? maxCapacity_ : capacity_ * 2;
  }
  int16_t* block = grown > 0 ? ResizeSamples(samples_.get(), static_cast<size_t>(grown)) : nullptr;
  if (block == nullptr) {
    Refuse();
    return false;
  }
  // The old block now belongs to the new one.
  static_cast<void>(samples_.release());
  samples_.reset(block);
  capacity_ = grown;
  return true;
}

int VSpeechBuffer::Refuse(bool limit) {
  // Once per run: a synthesis may offer millions of samples more.
  if (!refusalReported_) {
    VLib::ReportError(limit ? "VSpeechBuffer::Append(__int16 sample)\n\tThe speech passes the WAVE "
                              "size limit of " +
                                  std::to_string(maxCapacity_) + " samples (4 GiB): the rest is cut"
                            : std::string("VSpeechBuffer::Append(__int16 sample)\n\tUnable to "
                                          "allocate memory"));
  }
  refusalReported_ = true;
  incomplete_ = true;
  return -1;
}

int VSpeechBuffer::Append(int16_t sample) { return Append(&sample, 1); }

int VSpeechBuffer::Append(const int16_t* samples, std::size_t count) {
  if (samples == nullptr) return 1;
  int result = 1;
  while (count > 0) {
    if (Stored() >= maxCapacity_) return Refuse(true);
    if (last_ + 1 >= capacity_) {
      if (file_ != nullptr && capacity_ > 0) {
        SendHeld();
      } else if (Grow()) {
        result = 2;
      } else {
        return -1;
      }
    }
    const std::size_t n = std::min({count, static_cast<std::size_t>(capacity_ - (last_ + 1)),
                                    static_cast<std::size_t>(maxCapacity_ - Stored())});
    std::memcpy(samples_.get() + last_ + 1, samples, n * sizeof(int16_t));
    last_ += static_cast<int32_t>(n);
    samples += n;
    count -= n;
  }
  return result;
}

bool VSpeechBuffer::Reset() {
  last_ = -1;
  refusalReported_ = false;
  incomplete_ = false;
  if (file_ != nullptr) {
    sent_ = 0;
    if (std::fseek(file_, kHeaderSize, SEEK_SET) != 0) fileFailed_ = true;
  }
  return true;
}

void VSpeechBuffer::SendHeld() {
  if (last_ < 0) return;
  const size_t n = static_cast<size_t>(last_ + 1);
  if (!fileFailed_ && !WriteSamples(file_, samples_.get(), n)) fileFailed_ = true;
  sent_ += static_cast<int64_t>(n);
  fileSamples_ = std::max(fileSamples_, sent_);
  last_ = -1;
  platform::WriteBehind(file_, fileDropped_, kHeaderSize + sent_ * kBytesPerSample);
}

bool VSpeechBuffer::AttachWave(std::FILE* file) {
  static const unsigned char kRoom[kHeaderSize] = {};
  if (file == nullptr || std::fseek(file, 0, SEEK_SET) != 0) return false;
  file_ = file;
  fileSamples_ = 0;
  fileDropped_ = 0;
  fileFailed_ = std::fwrite(kRoom, 1, kHeaderSize, file) != kHeaderSize;
  Reset();
  return true;
}

bool VSpeechBuffer::FinishWave() {
  if (file_ == nullptr) return false;
  SendHeld();
  // A reset may have left samples of an earlier start behind the last ones.
  const int64_t bytes = kHeaderSize + sent_ * kBytesPerSample;
  bool ok = !fileFailed_;
  if (ok && fileSamples_ > sent_) {
    ok = std::fflush(file_) == 0 && ::ftruncate(::fileno(file_), bytes) == 0;
  }
  PackHeader(static_cast<uint32_t>(sent_));
  ok = ok && header_ && std::fseek(file_, 0, SEEK_SET) == 0 &&
       std::fwrite(header_.get(), 1, kHeaderSize, file_) == kHeaderSize;
  file_ = nullptr;
  sent_ = 0;
  fileSamples_ = 0;
  fileFailed_ = false;
  return ok;
}

void VSpeechBuffer::UpdateHeader() { PackHeader(static_cast<uint32_t>(GetSize())); }

void VSpeechBuffer::PackHeader(uint32_t n) {
  // The rate is written as the unsigned 32-bit pattern of the integer read.
  sampleRate_ = static_cast<uint32_t>(ReadCharacterInt(kSampleRateKey));
  byteRate_ = sampleRate_ * kBytesPerSample;
  // The buffer never takes more samples than these fields can describe.
  dataSize_ = n * kBytesPerSample;
  riffSize_ = dataSize_ + kRiffOverhead;

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
  // The image must fit the header's 32-bit sizes, memory and the caller's long.
  uint64_t bytes = 0;
  const bool representable = ImageSize(n, withHeader, &bytes) && bytes <= SIZE_MAX &&
                             bytes <= static_cast<uint64_t>(LONG_MAX);
  char* image = nullptr;
  if (representable) {
    if (withHeader) UpdateHeader();
    if (!withHeader || header_) image = AllocateWave(static_cast<size_t>(bytes));
  }
  if (image == nullptr) {
    VLib::ReportError(
        "VSpeechBuffer::GetWave(bool header, char** block, long* size)@unable to allocate "
        "memory!");
    return;
  }
  unsigned char* out = reinterpret_cast<unsigned char*>(image);
  if (withHeader) std::memcpy(out, header_.get(), kHeaderSize);
  PutSamples(out + header, samples_.get(), n);
  *block = image;
  *size = static_cast<long>(bytes);
}

bool VSpeechBuffer::WriteWave(std::FILE* file) {
  if (file == nullptr) return false;
  UpdateHeader();
  if (!header_ || std::fwrite(header_.get(), 1, kHeaderSize, file) != kHeaderSize) return false;
  return WriteSamples(file, samples_.get(), static_cast<size_t>(GetSize()));
}

bool VSpeechBuffer::ImageSize(uint64_t samples, bool withHeader, uint64_t* bytes) {
  if (bytes == nullptr || samples > static_cast<uint64_t>(kMaxCapacity)) return false;
  *bytes = samples * kBytesPerSample + (withHeader ? kHeaderSize : 0);
  return true;
}
