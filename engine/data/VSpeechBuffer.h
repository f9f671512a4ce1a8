// The composer's buffer of 16-bit mono samples. It hands the samples out as
// a raw block or as a WAVE file image: a 44-byte RIFF header (PCM, one
// channel, 16 bits, little-endian, the rate from the current character's
// "SpeechBuffer.SampleRate") followed by the samples, or writes that image
// to a file itself. The block doubles when it is full, up to the most samples
// a WAVE file can describe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "engine/composer/VComponent.h"

class VSpeechBuffer : public VComponent {
 public:
  static constexpr int kHeaderSize = 44;
  // The capacity taken when "SpeechBuffer.InitAllocation" is missing, not a
  // number, zero, negative or beyond the most samples.
  static constexpr int32_t kDefaultCapacity = 4096;
  // The most samples the buffer holds: those whose RIFF size, 2 n + 36, still
  // fits the header's 32-bit field (2,147,483,629 samples, a data size just
  // under 4 GiB, 27 hours at 22050 Hz).
  static constexpr int32_t kMaxCapacity = static_cast<int32_t>((UINT32_MAX - 36u) / 2u);

  // maxCapacity (clamped to 1 .. kMaxCapacity) lets a test reach the limit
  // with a small buffer.
  explicit VSpeechBuffer(int32_t maxCapacity = kMaxCapacity);
  // Sets the most samples likewise (a test reaches the WAVE size limit of
  // an engine's buffer with little speech).
  void SetMaxSamples(int32_t maxCapacity);
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
  // the most samples); -1, with the sample not stored, when the larger block
  // cannot be had. The first refusal of a run goes to the error report.
  int Append(int16_t sample);
  // Stores count samples as count calls of Append(sample) would, in one
  // copy per block: 1 when all are stored, 2 when the capacity grew for
  // them, -1 at the first refusal (the samples before it are stored, the
  // rest are not). Null samples store nothing.
  int Append(const int16_t* samples, std::size_t count);

  // Empties the buffer and starts a new run; the block and its capacity
  // stay. True.
  bool Reset();

  // Whether the speech of this run is whole. It is not after a refused
  // sample (the WAVE size limit, or no memory) or when the synthesis could
  // not take place (MarkIncomplete, by the synthesizer's module, which
  // reports why); a reset makes it whole again.
  bool IsComplete() const { return !incomplete_; }
  void MarkIncomplete() { incomplete_ = true; }

  // The number of samples held (those sent to an attached file are not).
  int GetSize() const { return last_ + 1; }
  int GetCapacity() const { return capacity_; }
  const int16_t* GetSamples() const { return samples_.get(); }

  // Releases the block that *block holds (delete[]), then gives a new block,
  // owned by the caller and released with delete[], holding the updated
  // header followed by the samples (*size = 2 * n + 44) or the samples alone
  // (*size = 2 * n). When the block cannot be allocated, *block is null,
  // *size 0, and the error report is told.
  void GetWave(bool withHeader, char** block, long* size);

  // Writes the updated header and the samples to file, piece by piece with
  // no copy of the whole image. False when a write fails.
  bool WriteWave(std::FILE* file);

  // A WAVE file that takes the samples as they come, so that the buffer
  // never holds more than its block. AttachWave writes room for the header
  // and empties the buffer; from then on a full block goes to the file
  // instead of growing, and a reset starts the file's samples again.
  // FinishWave writes the samples still held, then the header for all the
  // samples sent, and detaches the file, leaving the buffer empty. The most
  // samples counts those sent. AttachWave is false, with nothing attached,
  // for a file that cannot be positioned (a pipe); FinishWave is false when
  // a write failed or no file was attached. The file is not closed.
  bool AttachWave(std::FILE* file);
  bool FinishWave();

  // The size in bytes of the image of samples samples, with or without the
  // header. False, and nothing stored, when the header's 32-bit sizes cannot
  // describe that many samples.
  static bool ImageSize(uint64_t samples, bool withHeader, uint64_t* bytes);

  // Takes the sample rate from the current character and packs the header
  // for the present number of samples into the header block.
  void UpdateHeader();
  // The header block as last packed; null before Init.
  const unsigned char* GetHeader() const { return header_.get(); }

 protected:
  // Resizes block (null: a new block) to count samples, keeping the samples
  // that fit, as realloc does: a large block grows without a copy of its
  // samples. Null when it cannot be had; block is then left as it was.
  virtual int16_t* ResizeSamples(int16_t* block, size_t count);
  // The block of a wave image; null when it cannot be had.
  virtual char* AllocateWave(size_t bytes);

 private:
  struct FreeSamples {
    void operator()(int16_t* p) const { std::free(p); }
  };

  void SetHeaderFields();
  int ReadCharacterInt(const char* key) const;
  // Doubles the block (up to the most samples): false, refused, when the
  // larger block cannot be had.
  bool Grow();
  // A refused sample: reported once per run (as the WAVE size limit when
  // limit is set, else as memory that cannot be had); -1.
  int Refuse(bool limit = false);
  // The samples of this run: those sent to an attached file and those held.
  int64_t Stored() const { return sent_ + last_ + 1; }
  // Sends the samples held to the attached file and empties the block.
  void SendHeld();
  // Packs the header for samples samples.
  void PackHeader(uint32_t samples);

  std::unique_ptr<int16_t, FreeSamples> samples_;
  int32_t last_ = -1;
  int32_t capacity_ = 0;
  int32_t maxCapacity_;
  bool refusalReported_ = false;  // in this run
  bool incomplete_ = false;       // in this run
  std::FILE* file_ = nullptr;     // attached, not owned
  int64_t sent_ = 0;              // samples sent to file_ in this run
  int64_t fileSamples_ = 0;       // the most samples file_ has received
  int64_t fileDropped_ = 0;       // bytes of file_ dropped from the system's cache
  bool fileFailed_ = false;       // a write to file_ failed

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
