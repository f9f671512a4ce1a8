#include "platform/mbrola/SynthChannel.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/mbrola/mbrola.h"

namespace formant {
namespace {

constexpr const char* kVersion = "tm-formant 1.0";

int CopyText(const std::string& text, char* buffer, int length) {
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(length - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

// Pairs of blank-separated words; false for an odd count.
bool Pairs(const char* text, std::vector<std::pair<std::string, std::string>>& pairs) {
  pairs.clear();
  if (text == nullptr) return true;
  std::istringstream in{std::string(text)};
  std::string a, b;
  while (in >> a) {
    if (!(in >> b)) return false;
    pairs.emplace_back(a, b);
  }
  return true;
}

// G.711 mu-law of a 16-bit sample.
uint8_t MuLaw(int16_t sample) {
  constexpr int kBias = 0x84;
  constexpr int kClip = 32635;
  int s = sample;
  const int sign = s < 0 ? 0x80 : 0;
  if (s < 0) s = -s;
  if (s > kClip) s = kClip;
  s += kBias;
  int exponent = 7;
  for (int mask = 0x4000; exponent > 0 && (s & mask) == 0; --exponent, mask >>= 1) {
  }
  const int mantissa = (s >> (exponent + 3)) & 0x0F;
  return static_cast<uint8_t>(~(sign | (exponent << 4) | mantissa));
}

// G.711 A-law of a 16-bit sample.
uint8_t ALaw(int16_t sample) {
  int value = sample >> 3;
  int mask = 0xD5;
  if (value < 0) {
    mask = 0x55;
    value = -value - 1;
  }
  int segment = 0;
  while (segment < 8 && value > (0x20 << segment) - 1) ++segment;
  if (segment >= 8) return static_cast<uint8_t>(0x7F ^ mask);
  int code = segment << 4;
  code |= segment < 2 ? (value >> 1) & 0x0F : (value >> segment) & 0x0F;
  return static_cast<uint8_t>(code ^ mask);
}

std::string Quoted(std::string_view line) {
  constexpr std::size_t kShown = 80;
  std::string text = "\"" + std::string(line.substr(0, kShown));
  if (line.size() > kShown) text += "...";
  return text + "\"";
}

}  // namespace

SynthChannel::SynthChannel() { synth_.SetRate(kDefaultRate); }

void SynthChannel::SetError(int code, const std::string& text) {
  error_ = code;
  errorText_ = text;
}

void SynthChannel::ClearError() {
  error_ = MBR_ERR_NONE;
  errorText_.clear();
}

void SynthChannel::Unbind() {
  voice_.reset();
  synth_.Bind(nullptr);
  partial_.clear();
  dropping_ = false;
}

std::shared_ptr<const FormantVoice> SynthChannel::LoadCached(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const auto modified = fs::last_write_time(path, ec);
  const int64_t stamp = ec ? -1 : static_cast<int64_t>(modified.time_since_epoch().count());
  const uintmax_t size = ec ? 0 : fs::file_size(path, ec);
  auto it = cache_.find(path);
  if (!ec && it != cache_.end() && it->second.modified == stamp && it->second.size == size) {
    it->second.lastUse = ++useCounter_;
    return it->second.voice;
  }
  auto voice = std::make_shared<FormantVoice>();
  std::string error;
  const FormantVoice::LoadResult result = voice->Load(path, error);
  if (result != FormantVoice::LoadResult::kOk) {
    if (it != cache_.end()) cache_.erase(it);
    SetError(result == FormantVoice::LoadResult::kNotFound ? MBR_ERR_DATABASE_NOT_FOUND
                                                           : MBR_ERR_BAD_DATABASE,
             error);
    return nullptr;
  }
  if (cache_.size() >= kCachedVoices && it == cache_.end()) {
    auto oldest = std::min_element(cache_.begin(), cache_.end(), [](const auto& a, const auto& b) {
      return a.second.lastUse < b.second.lastUse;
    });
    cache_.erase(oldest);
  }
  cache_[path] = CacheEntry{voice, ec ? -1 : stamp, size, ++useCounter_};
  return voice;
}

int SynthChannel::Init(const char* path, const char* rename, const char* clone) {
  Unbind();
  if (path == nullptr) {
    SetError(MBR_ERR_BAD_ARGUMENT, "bad argument: no database name");
    return MBR_ERR_BAD_ARGUMENT;
  }
  std::shared_ptr<const FormantVoice> voice = LoadCached(path);
  if (!voice) return error_;
  std::vector<std::pair<std::string, std::string>> renames, clones;
  const bool renameOk = Pairs(rename, renames);
  const bool cloneOk = Pairs(clone, clones);
  if (!renameOk || !cloneOk) {
    SetError(MBR_ERR_BAD_ARGUMENT, std::string("bad argument: the ") +
                                       (renameOk ? "clone" : "rename") +
                                       " list needs pairs of phone symbols");
    return MBR_ERR_BAD_ARGUMENT;
  }
  if (!renames.empty() || !clones.empty()) {
    auto changed = std::make_shared<FormantVoice>(*voice);
    std::string error;
    if (!changed->Rename(renames, error) || !changed->Clone(clones, error)) {
      SetError(MBR_ERR_BAD_ARGUMENT, error);
      return MBR_ERR_BAD_ARGUMENT;
    }
    voice = changed;
  }
  voice_ = voice;
  synth_.SetRate(freq_ != 0 ? freq_ : voice_->rate());
  synth_.SetVolume(volume_);
  synth_.Bind(voice_.get());
  ClearError();
  return 0;
}

void SynthChannel::TakeLine(std::string_view line) {
  switch (line_.Parse(line)) {
    case PhoneLine::Kind::kNothing:
      return;
    case PhoneLine::Kind::kFlush:
      synth_.EndStream();
      return;
    case PhoneLine::Kind::kBad:
      SetError(MBR_ERR_BAD_PHONE_LINE, "bad phone line: " + line_.error() + ": " + Quoted(line));
      return;
    case PhoneLine::Kind::kPhone:
      break;
  }
  const std::string_view symbol = line_.symbol();
  const PhoneTargets* targets = nullptr;
  if (symbol != "_") {
    targets = voice_->Find(symbol);
    if (targets == nullptr && !noError_) {
      SetError(MBR_ERR_UNKNOWN_PHONE, "unknown phone: " + Quoted(symbol));
      return;
    }
  }
  synth_.Push(targets, line_.durationMs(), line_.points());
}

int SynthChannel::Write(const char* text) {
  if (text == nullptr) {
    SetError(MBR_ERR_BAD_ARGUMENT, "bad argument: null phone text");
    return MBR_ERR_BAD_ARGUMENT;
  }
  const std::size_t length = std::strlen(text);
  const int taken = length == 0 ? 1 : static_cast<int>(std::min<std::size_t>(length, INT_MAX));
  if (!voice_) {
    SetError(MBR_ERR_NO_DATABASE, "no database loaded: the phone text is dropped");
    return taken;
  }
  if (synth_.Pending() >= kMaxQueuedPhones && synth_.CanRender()) {
    SetError(MBR_ERR_QUEUE_FULL, "queue full: read the samples, then write again");
    return 0;
  }
  if (error_ == MBR_ERR_QUEUE_FULL) ClearError();

  std::string_view rest(text, length);
  while (!rest.empty()) {
    const std::size_t lf = rest.find('\n');
    const std::string_view piece = rest.substr(0, lf);
    if (lf == std::string_view::npos) {
      rest = std::string_view();
    } else {
      rest.remove_prefix(lf + 1);
    }
    const bool complete = lf != std::string_view::npos;
    if (dropping_) {
      if (complete) dropping_ = false;
      continue;
    }
    if (partial_.size() + piece.size() > kMaxLineBytes) {
      SetError(MBR_ERR_BAD_PHONE_LINE,
               "bad phone line: longer than " + std::to_string(kMaxLineBytes) +
                   " bytes: " + Quoted(partial_.empty() ? piece : partial_));
      partial_.clear();
      dropping_ = !complete;
      continue;
    }
    if (!complete) {
      partial_.append(piece);
    } else if (partial_.empty()) {
      TakeLine(piece);
    } else {
      partial_.append(piece);
      TakeLine(partial_);
      partial_.clear();
    }
  }
  return taken;
}

int SynthChannel::Flush() {
  if (!voice_) {
    SetError(MBR_ERR_NO_DATABASE, "no database loaded: nothing to flush");
    return MBR_ERR_NO_DATABASE;
  }
  if (!partial_.empty()) {
    std::string line;
    line.swap(partial_);
    TakeLine(line);
  }
  dropping_ = false;
  synth_.EndStream();
  return 1;
}

int SynthChannel::Read(int16_t* out, int count) {
  if (out == nullptr || count < 0) {
    SetError(MBR_ERR_BAD_ARGUMENT, "bad argument: read needs a buffer and a count of 0 or more");
    return MBR_ERR_BAD_ARGUMENT;
  }
  if (!voice_) return 0;
  return static_cast<int>(synth_.Render(out, static_cast<std::size_t>(count)));
}

int SynthChannel::ReadType(void* out, int count, int type) {
  if (type == MBR_LIN16) return Read(static_cast<int16_t*>(out), count);
  if (out == nullptr || count < 0 || type < MBR_LIN16 || type > MBR_ALAW) {
    SetError(MBR_ERR_BAD_ARGUMENT, "bad argument: unknown sample type or no buffer");
    return MBR_ERR_BAD_ARGUMENT;
  }
  if (!voice_) return 0;
  uint8_t* bytes = static_cast<uint8_t*>(out);
  int16_t block[512];
  int done = 0;
  while (done < count) {
    const std::size_t want = static_cast<std::size_t>(std::min(count - done, 512));
    const std::size_t got = synth_.Render(block, want);
    for (std::size_t i = 0; i < got; ++i) {
      const int16_t s = block[i];
      uint8_t b = 0;
      if (type == MBR_LIN8) {
        b = static_cast<uint8_t>((s + 32768) >> 8);
      } else if (type == MBR_ULAW) {
        b = MuLaw(s);
      } else {
        b = ALaw(s);
      }
      bytes[done + static_cast<int>(i)] = b;
    }
    done += static_cast<int>(got);
    if (got < want) break;
  }
  return done;
}

void SynthChannel::Close() {
  Unbind();
  cache_.clear();
  noError_ = false;
  volume_ = 1.0f;
  freq_ = 0;
  synth_.SetVolume(1.0);
  synth_.SetRate(kDefaultRate);
  ClearError();
}

void SynthChannel::Reset() {
  synth_.Reset();
  partial_.clear();
  dropping_ = false;
  ClearError();
}

int SynthChannel::LastErrorText(char* buffer, int length) const {
  if (buffer == nullptr || length < 1) return MBR_ERR_BAD_ARGUMENT;
  return CopyText(errorText_, buffer, length);
}

void SynthChannel::SetFreq(int freq) {
  if (freq < 8000 || freq > 48000) {
    SetError(MBR_ERR_BAD_ARGUMENT,
             "bad argument: rate " + std::to_string(freq) + " outside 8000 to 48000 Hz");
    return;
  }
  freq_ = freq;
  synth_.SetRate(freq);
}

int SynthChannel::Freq() const {
  if (freq_ != 0) return freq_;
  return voice_ ? voice_->rate() : kDefaultRate;
}

void SynthChannel::SetVolume(float ratio) {
  if (!(ratio >= 0.0f && ratio <= 8.0f)) {
    SetError(MBR_ERR_BAD_ARGUMENT, "bad argument: volume ratio outside 0 to 8");
    return;
  }
  volume_ = ratio;
  synth_.SetVolume(ratio);
}

int SynthChannel::Version(char* buffer, int length) {
  if (buffer == nullptr || length < 1) return MBR_ERR_BAD_ARGUMENT;
  return CopyText(kVersion, buffer, length);
}

int SynthChannel::DatabaseInfo(char* buffer, int length, int index) const {
  if (buffer == nullptr || length < 1) return MBR_ERR_BAD_ARGUMENT;
  if (!voice_) {
    buffer[0] = '\0';
    return MBR_ERR_NO_DATABASE;
  }
  std::string text;
  switch (index) {
    case 0:
      text = voice_->name();
      break;
    case 1:
      text = voice_->format();
      break;
    case 2:
      text = std::to_string(voice_->rate());
      break;
    case 3:
      text = voice_->origin();
      break;
    case 4:
      for (const PhoneTargets& p : voice_->phones()) {
        if (!text.empty()) text += ' ';
        text += p.symbol;
      }
      break;
    default:
      break;
  }
  return CopyText(text, buffer, length);
}

}  // namespace formant
