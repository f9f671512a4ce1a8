// The composer's buffer of 16-bit mono samples. It hands the samples out as
// a raw block or as a WAVE file image: a 44-byte RIFF header (PCM, one
// channel, 16 bits, little-endian, the rate from the current character's
// "SpeechBuffer.SampleRate") followed by the samples. The block doubles when
// it is full.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/composer/VComponent.h"

class VSpeechBuffer : public VComponent {
 public:
  static constexpr int kHeaderSize = 44;
  // The capacity taken when "SpeechBuffer.InitAllocation" is missing, not a
  // number, zero, negative or beyond kMaxCapacity.
  static constexpr int32_t kDefaultCapacity = 4096;
  // The most samples the buffer holds: 1 << 26 samples are 128 MiB, about 50
  // minutes at 22050 Hz, and keep every size of a wave image far inside the
  // 32-bit fields of its header.
  static constexpr int32_t kMaxCapacity = 1 << 26;

  VSpeechBuffer();
  VSpeechBuffer(const VSpeechBuffer&) = delete;
  VSpeechBuffer& operator=(const VSpeechBuffer&) = delete;
  virtual ~VSpeechBuffer();

  // Allocates the block for the current character's
  // "SpeechBuffer.InitAllocation" samples (see kDefaultCapacity) and the
  // header, and empties the buffer. 1; -1 when the sample block cannot be
  // allocated or the buffer has no composer; -2 when the header block cannot
  // be allocated. Every failure goes to the error report.
  int Init();

  // Stores the sample: 1; 2 when the capacity had to be doubled first (up to
  // kMaxCapacity); -1, with the sample not stored, when the larger block
  // cannot be had. The first refusal of a run goes to the error report.
  int Append(int16_t sample);

  // Empties the buffer and starts a new run; the block and its capacity
  // stay. True.
  bool Reset();

  // The number of samples.
  int GetSize() const { return last_ + 1; }
  int GetCapacity() const { return capacity_; }
  const int16_t* GetSamples() const { return samples_.get(); }

  // Releases the block that *block holds (delete[]), then gives a new block,
  // owned by the caller and released with delete[], holding the updated
  // header followed by the samples (*size = 2 * n + 44) or the samples alone
  // (*size = 2 * n). When the block cannot be allocated, *block is null,
  // *size 0, and the error report is told.
  void GetWave(bool withHeader, char** block, long* size);

  // Takes the sample rate from the current character and packs the header
  // for the present number of samples into the header block.
  void UpdateHeader();
  // The header block as last packed; null before Init.
  const unsigned char* GetHeader() const { return header_.get(); }

 protected:
  // The allocations of the buffer; null when they fail.
  virtual int16_t* AllocateSamples(size_t count);
  virtual char* AllocateWave(size_t bytes);

 private:
  void SetHeaderFields();
  int ReadCharacterInt(const char* key) const;

  std::unique_ptr<int16_t[]> samples_;
  int32_t last_ = -1;
  int32_t capacity_ = 0;
  bool refusalReported_ = false;  // in this run

  char riffTag_[4];
  uint32_t riffSize_ = 0;
  char waveTag_[4];
  char fmtTag_[4];
  uint32_t fmtSize_ = 0;
  uint16_t formatTag_ = 0;
  uint16_t channels_ = 0;
  uint32_t sampleRate_ = 0;
  uint32_t byteRate_ = 0;
  uint16_t blockAlign_ = 0;
  uint16_t bitsPerSample_ = 0;
  char dataTag_[4];
  uint32_t dataSize_ = 0;

  std::unique_ptr<unsigned char[]> header_;
};
