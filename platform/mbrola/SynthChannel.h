// The synthesizer library's one channel: a bound voice, the phone text
// coming in, the samples going out, the error state and the settings. The
// C entry points of mbrola.h are thin locked calls of these operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/mbrola/FormantSynth.h"
#include "platform/mbrola/FormantVoice.h"
#include "platform/mbrola/PhoneLine.h"

namespace formant {

class SynthChannel {
 public:
  // Phones that may wait before writes are refused (while samples can be read).
  static constexpr std::size_t kMaxQueuedPhones = 64;
  // Longest line kept; a longer one is dropped as a bad line.
  static constexpr std::size_t kMaxLineBytes = 65536;
  // Voice files kept in the cache.
  static constexpr std::size_t kCachedVoices = 4;
  static constexpr int kDefaultRate = 22050;

  SynthChannel();

  int Init(const char* path, const char* rename, const char* clone);
  int Write(const char* text);
  int Flush();
  int Read(int16_t* out, int count);
  int ReadType(void* out, int count, int type);
  void Close();
  void Reset();
  int LastError() const { return error_; }
  int LastErrorText(char* buffer, int length) const;
  void SetNoError(bool on) { noError_ = on; }
  bool noError() const { return noError_; }
  void SetFreq(int freq);
  int Freq() const;
  void SetVolume(float ratio);
  float Volume() const { return volume_; }
  static int Version(char* buffer, int length);
  int DatabaseInfo(char* buffer, int length, int index) const;

  // The bound voice (null when none) and the samples rendered since the
  // stream began.
  const FormantVoice* voice() const { return voice_.get(); }
  int64_t rendered() const { return synth_.rendered(); }

 private:
  struct CacheEntry {
    std::shared_ptr<const FormantVoice> voice;
    int64_t modified;
    uintmax_t size;
    uint64_t lastUse;
  };

  void SetError(int code, const std::string& text);
  void ClearError();
  void Unbind();
  void TakeLine(std::string_view line);
  std::shared_ptr<const FormantVoice> LoadCached(const std::string& path);

  std::map<std::string, CacheEntry> cache_;
  uint64_t useCounter_ = 0;
  std::shared_ptr<const FormantVoice> voice_;
  FormantSynth synth_;
  PhoneLine line_;
  std::string partial_;
  bool dropping_ = false;  // the rest of an over-long line is being dropped
  int error_ = 0;
  std::string errorText_;
  bool noError_ = false;
  float volume_ = 1.0f;
  int freq_ = 0;  // 0: the voice's rate
};

}  // namespace formant
