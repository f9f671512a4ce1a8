// A voice of the formant synthesizer: per phone symbol, the targets of the
// formant track, the source amplitudes and the frication shape, read from a
// voice file (the format is described in platform/mbrola/README.md).
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace formant {

enum class PhoneClass {
  kSilence,
  kVowel,
  kNasal,
  kLiquid,
  kTap,
  kGlide,
  kFricative,
  kStop,
  kAffricate
};

// Formants in PhoneTargets::track: all eight run in the cascade, F2..F6
// also in the parallel branch.
constexpr int kFormants = 8;
// Positions in PhoneTargets::track: frequencies F1..F8 and bandwidths
// B1..B8, then the nasal pole and zero with their bandwidths. All in Hz.
enum TrackIndex { kF1 = 0, kB1 = kFormants, kFnp = 2 * kFormants, kBnp, kFnz, kBnz, kTrackSize };

// Positions in PhoneTargets::shape: the parallel amplitudes A2..A6 of the
// frication resonators at F2..F6, then the bypass AB.
enum ShapeIndex { kA2 = 0, kAb = 5, kShapeSize = 6 };

struct PhoneTargets {
  std::string symbol;
  PhoneClass kind = PhoneClass::kVowel;
  float track[kTrackSize] = {};
  float av = 0.0f;  // voicing (for a stop: the voice bar during its closure)
  float ah = 0.0f;  // aspiration
  float af = 0.0f;  // frication (for a stop: its burst)
  float shape[kShapeSize] = {};
  float ac = 0.0f;           // taps: voicing during the closure
  float burstMs = 0.0f;      // stops: length of the burst
  float votMs = 0.0f;        // stops: aspiration after the burst
  float fricMs = 0.0f;       // affricates: frication after the closure
  float closeMs = 0.0f;      // taps: length of the closure
  float locusWeight = 1.0f;  // pull of the phone on the formants at its boundaries
};

class FormantVoice {
 public:
  enum class LoadResult { kOk, kNotFound, kBadFormat };

  // Reads a voice file. On failure error holds an English text naming the
  // file (and for a format fault the line and the reason).
  LoadResult Load(const std::string& path, std::string& error);
  // Reads a voice from text; origin names it in error texts.
  bool Parse(std::string_view text, const std::string& origin, std::string& error);

  // The targets of a symbol (byte-wise comparison), null when unknown.
  const PhoneTargets* Find(std::string_view symbol) const;
  // Renames phones (pairs old, new; applied together) and adds copies
  // (pairs old, new). False when an old symbol is unknown, a new symbol is
  // "_" or would appear twice; the voice is then unchanged.
  bool Rename(const std::vector<std::pair<std::string, std::string>>& pairs, std::string& error);
  bool Clone(const std::vector<std::pair<std::string, std::string>>& pairs, std::string& error);

  const std::string& name() const { return name_; }
  const std::string& format() const { return format_; }
  const std::string& origin() const { return origin_; }
  int rate() const { return rate_; }
  double defaultF0() const { return defaultF0_; }
  double openQuotient() const { return openQuotient_; }
  double tilt() const { return tilt_; }
  // Mean change of the glottal period and of the pulse amplitude from one
  // cycle to the next, as fractions (the "jitter" and "shimmer" lines in %).
  double jitter() const { return jitter_; }
  double shimmer() const { return shimmer_; }
  // Breath noise of voiced sonorants as a factor of their voicing (the
  // "breath" line in dB; 0 when off).
  double breath() const { return breath_; }
  double gain() const { return gain_; }  // linear, from the "gain" line in dB
  const std::vector<PhoneTargets>& phones() const { return phones_; }

 private:
  // The stages of Parse. Each sets reason on a fault (and leaves it alone
  // otherwise). The header line: true when it is this format's.
  bool ReadHeader(const std::vector<std::string_view>& tokens, std::string& reason);
  // A line after the header: a voice-wide setting, the defaults of later
  // phones, or a phone.
  void ReadDirective(const std::vector<std::string_view>& tokens, double* defaults,
                     std::string& reason);
  // One of the voice-wide numbers (f0, oq, tilt, gain, jitter, shimmer,
  // breath), in range.
  void SetVoiceValue(std::string_view directive, double value);
  void ReadPhone(const std::vector<std::string_view>& tokens, const double* defaults,
                 std::string& reason);
  // The fault of a file read to its end without one ("" when the voice is
  // complete): no header, no rate, no phone.
  std::string Incomplete(bool headerSeen) const;
  void Index();

  std::string name_;
  std::string format_;
  std::string origin_;
  int rate_ = 0;
  double defaultF0_ = 110.0;
  double openQuotient_ = 0.6;
  double tilt_ = 0.3;
  double jitter_ = 0.0;
  double shimmer_ = 0.0;
  double breath_ = 0.0;
  double gain_ = 1.0;
  std::vector<PhoneTargets> phones_;
  std::map<std::string, std::size_t, std::less<>> bySymbol_;
};

}  // namespace formant
