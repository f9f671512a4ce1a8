#include "platform/mbrola/FormantSynth.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace formant {
namespace {

constexpr double kFrameMs = 5.0;        // parameter update period
constexpr double kGlideFrameMs = 1.0;   // ... while F1 and the nasal settings glide fast
constexpr double kCrossfadeMs = 8.0;    // half-width of amplitude crossfades between phones
constexpr double kSwitchMs = 1.5;       // half-width where a nasal or a lateral meets another sound
constexpr double kClosureFadeMs = 4.0;  // a sound ends this fast into the closure of a stop
constexpr double kOnsetFadeMs = 5.0;    // fade out of a silence
constexpr double kPauseFadeMs = 30.0;   // fade into a silence ...
constexpr double kPauseFadeShare = 0.6;        // ... taking at most this share of the phone,
constexpr double kPauseFadeDb = 40.0;          // ... falling evenly in dB to this far below
constexpr double kTransitionShare = 0.3;       // share of a phone given to each formant transition
constexpr double kTransitionMaxMs = 50.0;      // longest formant transition on one side
constexpr double kReleaseTransitionMs = 40.0;  // from a stop's release to the next phone's targets
constexpr double kSwitchGlideMs = 10.0;    // F1 and the nasal settings next to a nasal or lateral
constexpr double kStopReleaseShare = 0.6;  // burst and aspiration take at most this share of a stop
constexpr double kAffricateShare = 0.7;    // frication takes at most this share of an affricate
constexpr double kTapShare = 0.6;          // the closure takes at most this share of a tap
constexpr double kTapRampMs = 3.0;         // voicing falls into and rises out of a tap's closure
constexpr double kParallelTailMs = 20.0;   // parallel branch rings on this long after frication
constexpr double kOutputScale = 5600.0;    // cascade output to 16-bit samples at gain 1
constexpr double kKnee = 24000.0;          // the soft limiter starts here
constexpr float kClosedNoise = 0.25f;      // noise of a voiced sound while the glottis is closed
constexpr float kFlowPeak = 27.0f / 4.0f;  // x^2 (1 - x) scaled to peak at 1
constexpr float kCycleSpread = 1.5f;       // uniform draws in +-1.5 d change by d on average
constexpr float kNoiseScale = 1.0f / 2147483648.0f;  // 32-bit noise to +-1
// Noise far below hearing that never stops keeps the filters' states from
// decaying into the slow subnormal numbers during silences.
constexpr float kSubnormalGuard = 1e-20f;

bool IsSilence(const PhoneTargets* t) { return t == nullptr || t->kind == PhoneClass::kSilence; }

bool IsClosure(const PhoneTargets& t) {
  return t.kind == PhoneClass::kStop || t.kind == PhoneClass::kAffricate;
}

// Nasals and laterals switch on and off against their neighbours.
bool Switches(const PhoneTargets& t) {
  return t.kind == PhoneClass::kNasal || t.kind == PhoneClass::kLiquid;
}

// F1, B1 and the nasal pole and zero glide fast next to a nasal or lateral.
constexpr int kGliding[] = {kF1, kB1, kFnp, kBnp, kFnz, kBnz};

bool Sonorant(const PhoneTargets& t) {
  return t.kind == PhoneClass::kVowel || t.kind == PhoneClass::kNasal ||
         t.kind == PhoneClass::kLiquid || t.kind == PhoneClass::kTap ||
         t.kind == PhoneClass::kGlide;
}

// Closure, burst and aspiration of a stop of d ms.
void StopTimes(const PhoneTargets& t, double d, double& closure, double& burst, double& vot) {
  burst = t.burstMs;
  vot = t.votMs;
  const double release = burst + vot;
  if (release > kStopReleaseShare * d && release > 0.0) {
    const double scale = kStopReleaseShare * d / release;
    burst *= scale;
    vot *= scale;
  }
  closure = d - burst - vot;
}

double Lerp(double a, double b, double f) { return a + (b - a) * f; }

double SoftLimit(double y) {
  if (y > kKnee) {
    const double u = (y - kKnee) / (FormantSynth::kLimit - kKnee);
    return kKnee + (FormantSynth::kLimit - kKnee) * u / (1.0 + u);
  }
  if (y < -kKnee) {
    const double u = (-y - kKnee) / (FormantSynth::kLimit - kKnee);
    return -(kKnee + (FormantSynth::kLimit - kKnee) * u / (1.0 + u));
  }
  return y;
}

// A uniform draw in [-1, 1) from a linear congruential generator.
float Draw(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return static_cast<float>(static_cast<int32_t>(state)) * (1.0f / 2147483648.0f);
}

}  // namespace

FormantSynth::FormantSynth() {
  knots_.reserve(16);
  profile_.reserve(8);
  nextProfile_.reserve(8);
  SetVolume(1.0);
}

void FormantSynth::Bind(const FormantVoice* voice) {
  voice_ = voice;
  SetVolume(volume_);
  Reset();
}

void FormantSynth::SetVolume(double volume) {
  volume_ = volume;
  outScale_ = kOutputScale * volume_ * (voice_ != nullptr ? voice_->gain() : 1.0);
}

void FormantSynth::ClearFilters() {
  cascade_.Clear();
  parallel_.Clear();
  nasalPole_.Clear();
  nasalZero_.Clear();
  tiltState_ = 0.0f;
  lastNoise_ = in1_ = in2_ = 0.0f;
  held_ = 0.0f;
  phase_ = 0.0f;
  open_ = true;
  cycleScale_ = cycleGain_ = 1.0f;
  parallelOn_ = false;
  parallelQuiet_ = 0;
}

void FormantSynth::Reset() {
  queue_.clear();
  points_.clear();
  streamMs_ = 0.0;
  lastPointMs_ = -1.0;
  closedMs_ = -1.0;
  rate_ = pendingRate_;
  originMs_ = 0.0;
  originSample_ = 0;
  cursor_ = 0;
  inPhone_ = false;
  silent_ = true;
  phoneStart_ = phoneEnd_ = frameEnd_ = 0;
  framePos_ = frameLen_ = 0;
  start_ = Boundary();
  next_ = Boundary();
  noiseState_ = UInt4{0x9E3779B9u, 0x7F4A7C15u, 0x2545F491u, 0x94D049BBu};
  cycleState_ = 0x2545F491u;
  ClearFilters();
}

void FormantSynth::Push(const PhoneTargets* targets, double durationMs,
                        const std::vector<PitchPoint>& points) {
  if (durationMs < 0.0) durationMs = 0.0;
  for (const PitchPoint& p : points) {
    const double ms = streamMs_ + p.percent * durationMs / 100.0;
    points_.push_back({ms, p.f0});
    lastPointMs_ = std::max(lastPointMs_, ms);
  }
  queue_.push_back({targets, streamMs_, durationMs, false});
  streamMs_ += durationMs;
}

void FormantSynth::EndStream() {
  if (queue_.empty()) return;
  queue_.back().endsStream = true;
  closedMs_ = streamMs_;
}

bool FormantSynth::FrontReady() const {
  if (queue_.empty()) return false;
  const Queued& p = queue_.front();
  if (queue_.size() < 2 && !p.endsStream) return false;
  const double endMs = p.startMs + p.durMs;
  if (lastPointMs_ >= endMs || closedMs_ >= endMs) return true;
  return queue_.size() - 1 >= kPitchLookahead;
}

bool FormantSynth::CanRender() {
  if (framePos_ < frameLen_) return true;
  for (;;) {
    if (inPhone_) {
      if (cursor_ < phoneEnd_) return true;
      FinishPhone();
      continue;
    }
    if (!FrontReady()) return false;
    StartPhone();
  }
}

FormantSynth::Amp FormantSynth::Eval(const std::vector<Knot>& profile, double ms) {
  if (ms >= profile.back().ms) return profile.back().left;
  std::size_t j = 0;
  while (j + 1 < profile.size() && profile[j + 1].ms <= ms) ++j;
  const Knot& a = profile[j];
  const Knot& b = profile[j + 1];
  const double span = b.ms - a.ms;
  const double f = span > 0.0 ? (ms - a.ms) / span : 0.0;
  return BlendAmp(a.right, b.left, f);
}

// The amplitudes over a phone of its own, before its neighbours are known:
// a stop's closure, burst and aspiration, an affricate's closure and
// frication, a tap's closure, steady targets for the rest.
void FormantSynth::Profile(const Queued& q, std::vector<Knot>& out) const {
  const PhoneTargets& t = *q.targets;
  const double d = q.durMs;
  const float breath =
      voice_ != nullptr && Sonorant(t) ? static_cast<float>(voice_->breath()) : 0.0f;
  Amp own;
  own.av = t.av;
  own.ah = t.ah + breath * t.av;
  own.af = t.af;
  own.g = 1.0f;
  std::copy(t.shape, t.shape + kShapeSize, own.shape);
  out.clear();
  out.push_back({0.0, 0, own, own});
  if (IsClosure(t)) {
    // The closure: the voice bar only, and not even the ringing of the
    // sound before it when unvoiced.
    Amp hold = own;
    hold.ah = hold.af = 0.0f;
    if (t.av <= 0.0f) hold.g = 0.0f;
    out[0] = {0.0, 0, hold, hold};
    if (t.kind == PhoneClass::kAffricate) {
      const double closure = d - std::min<double>(t.fricMs, kAffricateShare * d);
      Amp frication = own;
      frication.ah = 0.0f;
      out.push_back({closure, 0, hold, frication});
      out.push_back({d, 0, frication, frication});
      return;
    }
    double closure = 0, burst = 0, vot = 0;
    StopTimes(t, d, closure, burst, vot);
    Amp burstStart = hold;
    burstStart.af = t.af;
    burstStart.g = 1.0f;
    Amp burstEnd = burstStart;
    burstEnd.af = 0.3f * t.af;
    Amp aspiration = own;
    aspiration.av = 0.0f;
    aspiration.af = 0.0f;
    const Amp& release = vot > 0.0 ? aspiration : burstEnd;
    out.push_back({closure, 0, hold, burstStart});
    out.push_back({closure + burst, 0, burstEnd, release});
    out.push_back({d, 0, release, release});
    return;
  }
  if (t.kind == PhoneClass::kTap) {
    // The closure in the middle, with its own voicing.
    const double close = std::min<double>(t.closeMs, kTapShare * d);
    const double ramp = std::min(kTapRampMs, 0.5 * (d - close));
    Amp dip = own;
    dip.av = t.ac;
    dip.ah = t.ah + breath * t.ac;
    const double from = 0.5 * (d - close);
    out.push_back({from - ramp, 0, own, own});
    out.push_back({from, 0, dip, dip});
    out.push_back({from + close, 0, dip, dip});
    out.push_back({from + close + ramp, 0, own, own});
  }
  out.push_back({d, 0, own, own});
}

void FormantSynth::StartPhone() {
  const Queued& p = queue_.front();
  PlacePhone(p);
  ExtendPitch(p);
  const Queued* following = (p.endsStream || queue_.size() < 2) ? nullptr : &queue_[1];
  silent_ = IsSilence(p.targets);
  if (silent_) {
    ClearFilters();
    next_ = Boundary();
    return;
  }
  tunedToTargets_ = false;
  Profile(p, profile_);
  PlanBoundary(p, following);
  AmplitudeKnots(p);
  FormantTrack(p);
}

// The phone's samples: its end is placed at its cumulative end time.
void FormantSynth::PlacePhone(const Queued& p) {
  if (pendingRate_ != rate_) {
    rate_ = pendingRate_;
    originMs_ = p.startMs;
    originSample_ = cursor_;
  }
  const double endMs = p.startMs + p.durMs;
  phoneStart_ = cursor_;
  phoneEnd_ = std::max<int64_t>(cursor_,
                                originSample_ + std::llround((endMs - originMs_) * rate_ / 1000.0));
  phoneStartMs_ = p.startMs;
  const int64_t n = phoneEnd_ - phoneStart_;
  msPerSample_ = n > 0 ? p.durMs / static_cast<double>(n) : 0.0;
  inPhone_ = true;
  frameEnd_ = cursor_;
  knotIndex_ = 0;
  const auto samples = [this](double ms) {
    return std::clamp<int64_t>(std::llround(ms * rate_ / 1000.0), 1, kMaxFrame);
  };
  frameSamples_ = samples(kFrameMs);
  glideFrame_ = samples(kGlideFrameMs);
  parallelTail_ = std::llround(kParallelTailMs * rate_ / 1000.0);
}

// The contour over this phone is decided now: without a later point the
// last value holds to its end, and later points continue from there.
void FormantSynth::ExtendPitch(const Queued& p) {
  const double endMs = p.startMs + p.durMs;
  if (points_.empty())
    points_.push_back({p.startMs, voice_ != nullptr ? voice_->defaultF0() : 110.0});
  if (points_.back().ms < endMs) points_.push_back({endMs, points_.back().f0});
}

// Where this phone meets the next one: how fast the amplitudes cross, and
// whether the formants glide through or switch.
void FormantSynth::PlanBoundary(const Queued& p, const Queued* following) {
  next_ = Boundary();
  if (following == nullptr || IsSilence(following->targets)) return;
  const PhoneTargets& t = *p.targets;
  const PhoneTargets& u = *following->targets;
  const double d = p.durMs;
  const double dn = following->durMs;
  Profile(*following, nextProfile_);
  const Amp& a = profile_.back().left;
  const Amp& b = nextProfile_.front().right;
  Amp mid;
  mid.av = 0.5f * (a.av + b.av);
  mid.ah = 0.5f * (a.ah + b.ah);
  mid.af = 0.5f * (a.af + b.af);
  mid.g = 0.5f * (a.g + b.g);
  for (int k = 0; k < kShapeSize; ++k) {
    if (a.af > 0.0f && b.af <= 0.0f) {
      mid.shape[k] = a.shape[k];
    } else if (b.af > 0.0f && a.af <= 0.0f) {
      mid.shape[k] = b.shape[k];
    } else {
      mid.shape[k] = 0.5f * (a.shape[k] + b.shape[k]);
    }
  }
  next_.silent = false;
  next_.mid = mid;
  next_.leftMs = std::min(kCrossfadeMs, 0.25 * d);
  next_.rightMs = std::min(kCrossfadeMs, 0.25 * dn);
  if (IsClosure(u)) {
    // A closure cuts the sound before it short.
    next_.mid = b;
    next_.leftMs = std::min(kClosureFadeMs, 0.25 * d);
    next_.rightMs = 0.0;
    next_.leftTransitionMs = kReleaseTransitionMs;
  } else if (Switches(t) != Switches(u)) {
    next_.leftMs = std::min(kSwitchMs, 0.25 * d);
    next_.rightMs = std::min(kSwitchMs, 0.25 * dn);
  }
  if (t.kind == PhoneClass::kStop) {
    double closure = 0, burst = 0, vot = 0;
    StopTimes(t, d, closure, burst, vot);
    next_.leftMs = std::min(next_.leftMs, std::max(0.5, 0.5 * vot));
    // The formants move from the release on, for a fixed time.
    next_.leftTransitionMs = burst + vot;
    next_.rightTransitionMs = std::max(0.0, kReleaseTransitionMs - (burst + vot));
  }

  const float wa = t.locusWeight, wb = u.locusWeight;
  for (int i = 0; i < kTrackSize; ++i) {
    next_.formants[i] = (wa * t.track[i] + wb * u.track[i]) / (wa + wb);
  }
  if (Switches(t) != Switches(u)) {
    // The nasal or lateral keeps its own formants to the boundary; the
    // other side moves from them, F1 and the nasal settings quickly.
    const PhoneTargets& own = Switches(t) ? t : u;
    std::copy(own.track, own.track + kTrackSize, next_.formants);
    (Switches(t) ? next_.rightGlideMs : next_.leftGlideMs) = kSwitchGlideMs;
  }
}

// The amplitude knots of the phone: its own profile, the crossfades at both
// boundaries, a fade out of a silence before it and into one after it.
void FormantSynth::AmplitudeKnots(const Queued& p) {
  const PhoneTargets& t = *p.targets;
  const double d = p.durMs;
  double wIn = 0.0, wOut = 0.0;
  Amp startAmp = profile_.front().right;
  Amp endAmp = profile_.back().left;
  if (start_.silent) {
    wIn = std::min(kOnsetFadeMs, 0.3 * d);
    startAmp.av = startAmp.ah = startAmp.af = startAmp.g = 0.0f;
  } else {
    wIn = start_.rightMs;
    startAmp = start_.mid;
  }
  pauseFadeMs_ = 0.0;
  if (next_.silent) {
    pauseFadeMs_ = std::min(kPauseFadeMs, kPauseFadeShare * d);
    if (t.kind == PhoneClass::kStop) pauseFadeMs_ = std::min(pauseFadeMs_, 0.5 * t.votMs);
  } else {
    wOut = next_.leftMs;
    endAmp = next_.mid;
  }
  pauseFadeFromMs_ = d - pauseFadeMs_;
  if (wIn + wOut > d) {
    const double scale = d > 0.0 ? d / (wIn + wOut) : 0.0;
    wIn *= scale;
    wOut *= scale;
  }

  knots_.clear();
  knots_.push_back({0.0, 0, startAmp, startAmp});
  const Amp onset = Eval(profile_, wIn);
  knots_.push_back({wIn, 0, onset, onset});
  for (const Knot& k : profile_) {
    if (k.ms > wIn && k.ms < d - wOut) knots_.push_back(k);
  }
  const Amp offset = Eval(profile_, d - wOut);
  knots_.push_back({d - wOut, 0, offset, offset});
  knots_.push_back({d, 0, endAmp, endAmp});
  const int64_t n = phoneEnd_ - phoneStart_;
  for (Knot& k : knots_) {
    k.index = d > 0.0 ? std::llround(k.ms / d * static_cast<double>(n)) : 0;
  }
  knots_.back().index = n;
}

// The formant track: from the boundary value to the phone's targets, held,
// then to the next boundary value. Transitions take a share of the phone,
// or a fixed time around a stop's release and into a closure; F1 and the
// nasal settings next to a nasal or lateral take a short glide.
void FormantSynth::FormantTrack(const Queued& p) {
  const PhoneTargets& t = *p.targets;
  const double d = p.durMs;
  const double share = std::min(kTransitionShare * d, kTransitionMaxMs);
  const double in = start_.rightTransitionMs >= 0.0 ? start_.rightTransitionMs : share;
  const double out = next_.leftTransitionMs >= 0.0 ? next_.leftTransitionMs : share;
  const double glideIn = start_.rightGlideMs >= 0.0 ? start_.rightGlideMs : in;
  const double glideOut = next_.leftGlideMs >= 0.0 ? next_.leftGlideMs : out;
  const double ins[2] = {in, glideIn};
  const double outs[2] = {out, glideOut};
  for (int group = 0; group < 2; ++group) {
    double a = ins[group], b = outs[group];
    if (a + b > d) {
      const double scale = d > 0.0 ? d / (a + b) : 0.0;
      a *= scale;
      b *= scale;
    }
    trackMs_[group][0] = 0.0;
    trackMs_[group][1] = a;
    trackMs_[group][2] = d - b;
    trackMs_[group][3] = d;
  }
  glideUntilMs_ = start_.rightGlideMs >= 0.0 ? trackMs_[1][1] : 0.0;
  glideFromMs_ = next_.leftGlideMs >= 0.0 ? trackMs_[1][2] : d;
  std::copy(t.track, t.track + kTrackSize, track_[0]);
  if (!start_.silent) std::copy(start_.formants, start_.formants + kTrackSize, track_[0]);
  std::copy(t.track, t.track + kTrackSize, track_[1]);
  std::copy(t.track, t.track + kTrackSize, track_[2]);
  std::copy(t.track, t.track + kTrackSize, track_[3]);
  if (!next_.silent) std::copy(next_.formants, next_.formants + kTrackSize, track_[3]);
}

void FormantSynth::FinishPhone() {
  queue_.pop_front();
  inPhone_ = false;
  start_ = next_;
}

double FormantSynth::F0At(double ms) {
  while (points_.size() >= 2 && points_[1].ms <= ms) points_.pop_front();
  if (points_.empty()) return voice_ != nullptr ? voice_->defaultF0() : 110.0;
  const Point& a = points_[0];
  if (ms <= a.ms || points_.size() == 1) return a.f0;
  const Point& b = points_[1];
  return a.f0 + (b.f0 - a.f0) * (ms - a.ms) / (b.ms - a.ms);
}

FormantSynth::Amp FormantSynth::BlendAmp(const Amp& a, const Amp& b, double f) {
  Amp m;
  m.av = static_cast<float>(Lerp(a.av, b.av, f));
  m.ah = static_cast<float>(Lerp(a.ah, b.ah, f));
  m.af = static_cast<float>(Lerp(a.af, b.af, f));
  m.g = static_cast<float>(Lerp(a.g, b.g, f));
  for (int k = 0; k < kShapeSize; ++k)
    m.shape[k] = static_cast<float>(Lerp(a.shape[k], b.shape[k], f));
  return m;
}

FormantSynth::Amp FormantSynth::AmpAt(int64_t i) const {
  const Knot& a = knots_[knotIndex_];
  const Knot& b = knots_[knotIndex_ + 1];
  const double f = static_cast<double>(i - a.index) / static_cast<double>(b.index - a.index);
  return BlendAmp(a.right, b.left, f);
}

// The factor of the fade into a following silence at ms into the phone:
// even steps in dB, down to kPauseFadeDb at the phone's end.
double FormantSynth::PauseFade(double ms) const {
  if (pauseFadeMs_ <= 0.0 || ms <= pauseFadeFromMs_) return 1.0;
  const double f = std::min(1.0, (ms - pauseFadeFromMs_) / pauseFadeMs_);
  return std::pow(10.0, -kPauseFadeDb * f / 20.0);
}

void FormantSynth::Tune(Tuning& t, float freq, float bandwidth, bool unitPeak) {
  if (freq == t.freq && bandwidth == t.bandwidth) return;
  t.freq = freq;
  t.bandwidth = bandwidth;
  t.k = PolePair(freq, bandwidth, rate_, unitPeak);
}

// The cascade and the nasal stage tuned to the formants v.
void FormantSynth::TuneCascade(const float* v) {
  // The highest formant first and F1 last: a sudden change of a low formant
  // then meets no resonator that would ring with it at high frequencies.
  for (int k = 0; k < kFormants; ++k) {
    Tune(cascadeTuning_[k], v[kF1 + k], v[kB1 + k], false);
    cascade_.SetLane(kFormants - 1 - k, cascadeTuning_[k].k);
  }
  // Equal nasal pole and zero cancel: the stage is left out, and when it
  // comes back it starts from the signal that passed meanwhile.
  const bool wasNasal = nasal_;
  nasal_ = v[kFnp] != v[kFnz] || v[kBnp] != v[kBnz];
  if (nasal_ && !wasNasal) {
    nasalZero_.Prime(in1_, in2_);
    nasalPole_.Prime(in1_, in2_);
  }
  if (nasal_) {
    Tune(nasalPoleTuning_, v[kFnp], v[kBnp], false);
    nasalPole_.Set(nasalPoleTuning_.k);
    if (v[kFnz] != nasalZeroTuning_.freq || v[kBnz] != nasalZeroTuning_.bandwidth) {
      nasalZeroTuning_.freq = v[kFnz];
      nasalZeroTuning_.bandwidth = v[kBnz];
      nasalZeroTuning_.k = ZeroPair(v[kFnz], v[kBnz], rate_);
    }
    nasalZero_.Set(nasalZeroTuning_.k);
  }
}

void FormantSynth::BeginFrame() {
  const int64_t n = phoneEnd_ - phoneStart_;
  const int64_t i0 = cursor_ - phoneStart_;
  while (knotIndex_ + 2 < knots_.size() && knots_[knotIndex_ + 1].index <= i0) ++knotIndex_;
  const double ms0 = static_cast<double>(i0) * msPerSample_;
  const int64_t frame = ms0 < glideUntilMs_ || ms0 >= glideFromMs_ ? glideFrame_ : frameSamples_;
  const int64_t i1 = std::min({i0 + frame, knots_[knotIndex_ + 1].index, n});
  const float len = static_cast<float>(i1 - i0);
  const Amp a0 = AmpAt(i0);
  const Amp a1 = AmpAt(i1);
  const double ms1 = static_cast<double>(i1) * msPerSample_;
  const float g0 = a0.g * static_cast<float>(PauseFade(ms0));
  const float g1 = a1.g * static_cast<float>(PauseFade(ms1));
  // Per-sample ramps, with the constant factors of the sample loop taken in:
  // the tilt filter's gain in the voicing, the output scale in the gain; the
  // noise amplitudes never fall below kSubnormalGuard.
  const float untilt = 1.0f - static_cast<float>(voice_ != nullptr ? voice_->tilt() : 0.3);
  const float scale = static_cast<float>(outScale_);
  const float ah0 = std::max(a0.ah, kSubnormalGuard), ah1 = std::max(a1.ah, kSubnormalGuard);
  const float af0 = std::max(a0.af, kSubnormalGuard), af1 = std::max(a1.af, kSubnormalGuard);
  av_ = untilt * a0.av;
  dav_ = untilt * (a1.av - a0.av) / len;
  ah_ = ah0;
  dah_ = (ah1 - ah0) / len;
  af_ = af0;
  daf_ = (af1 - af0) / len;
  g_ = scale * g0;
  dg_ = scale * (g1 - g0) / len;
  // Noise of a voiced sound follows the glottal flow.
  const bool voiced = std::max(a0.av, a1.av) > 0.0f;
  modBase_ = kNoiseScale * (voiced ? kClosedNoise : 1.0f);
  modDepth_ = kNoiseScale * (voiced ? 1.0f - kClosedNoise : 0.0f);

  // Formants at the middle of the frame. While they hold the phone's
  // targets, the filters tuned to them at the first such frame stay.
  const double ms = 0.5 * (ms0 + ms1);
  int s[2] = {0, 0};
  double f[2] = {0.0, 0.0};
  for (int group = 0; group < 2; ++group) {
    const double* at = trackMs_[group];
    while (s[group] < 2 && ms > at[s[group] + 1]) ++s[group];
    const double span = at[s[group] + 1] - at[s[group]];
    f[group] = span > 0.0 ? std::clamp((ms - at[s[group]]) / span, 0.0, 1.0) : 0.0;
  }
  const bool hold = s[0] == 1 && s[1] == 1;
  const bool retune = !(hold && tunedToTargets_);
  tunedToTargets_ = hold;
  const bool frication = a0.af > 0.0f || a1.af > 0.0f;
  float v[kTrackSize];
  if (retune || frication) {
    const float* from = track_[s[0]];
    const float* to = track_[s[0] + 1];
    const float share = static_cast<float>(f[0]);
    for (int i = 0; i < kTrackSize; ++i) v[i] = from[i] + (to[i] - from[i]) * share;
    const float* glideFrom = track_[s[1]];
    const float* glideTo = track_[s[1] + 1];
    const float glideShare = static_cast<float>(f[1]);
    for (int i : kGliding) v[i] = glideFrom[i] + (glideTo[i] - glideFrom[i]) * glideShare;
  }
  if (retune) TuneCascade(v);
  if (frication) {
    const Amp am = AmpAt((i0 + i1) / 2);
    bypass_ = am.shape[kAb];
    for (int k = 0; k < kShapeSize - 1; ++k) {
      Tune(parallelTuning_[k], v[kF1 + 1 + k], v[kB1 + 1 + k], true);
      parallel_.SetLane(k, parallelTuning_[k].k, am.shape[kA2 + k]);
    }
    parallelOn_ = true;
    parallelQuiet_ = 0;
  } else if (parallelOn_) {
    // Let the parallel resonators ring out, then stop running them.
    parallelQuiet_ += i1 - i0;
    if (parallelQuiet_ > parallelTail_) {
      parallel_.Clear();
      parallelOn_ = false;
    }
  }

  const double t0 = phoneStartMs_ + ms0;
  const double t1 = phoneStartMs_ + ms1;
  const double inc0 = F0At(t0) / rate_;
  const double inc1 = F0At(t1) / rate_;
  inc_ = static_cast<float>(inc0);
  dinc_ = static_cast<float>((inc1 - inc0) / len);
  frameEnd_ = phoneStart_ + i1;
}

template <bool kParallel, bool kNasal>
void FormantSynth::RenderFrame(int16_t* out, std::size_t count) {
  // Room for whole blocks of four.
  float source[kMaxFrame + 4], frication[kMaxFrame + 4], bypassed[kMaxFrame + 4];
  MakeSources<kParallel, kNasal>(count, source, frication, bypassed);
  Filter<kParallel>(count, source, frication, bypassed, out);
}

// The sources of a frame, four samples at a time: what enters the cascade
// (voicing, breath and aspiration, through the nasal stage), and the
// frication for the parallel resonators and for the bypass. The glottal
// phase of four samples is found at once; only a block in which the glottis
// closes or opens, or the frame's last few samples, take it sample by sample.
template <bool kParallel, bool kNasal>
void FormantSynth::MakeSources(std::size_t count, float* source, float* frication,
                               float* bypassed) {
  const float oq = voice_ != nullptr ? static_cast<float>(voice_->openQuotient()) : 0.6f;
  const float invOq = 1.0f / oq;
  const float t = voice_ != nullptr ? static_cast<float>(voice_->tilt()) : 0.3f;
  // Jitter and shimmer: each cycle draws factors of its period and pulse.
  const float jitter =
      kCycleSpread * static_cast<float>(voice_ != nullptr ? voice_->jitter() : 0.0);
  const float shimmer =
      kCycleSpread * static_cast<float>(voice_ != nullptr ? voice_->shimmer() : 0.0);
  const Float4 lane = {0.0f, 1.0f, 2.0f, 3.0f};
  const Float4 steps = {1.0f, 2.0f, 3.0f, 4.0f};     // phase steps up to each lane
  const Float4 stepRamp = {0.0f, 1.0f, 3.0f, 6.0f};  // and the growth of the step meanwhile
  const Float4 tiltPower = {t, t * t, t * t * t, t * t * t * t};
  const float modBase = modBase_, modDepth = modDepth_, bypass = bypass_;
  const float dinc = dinc_, dav = dav_, dah = dah_, daf = daf_;
  float phase = phase_, inc = inc_, cycleScale = cycleScale_, cycleGain = cycleGain_;
  float held = held_, tiltState = tiltState_, lastNoise = lastNoise_, in1 = in1_, in2 = in2_;
  float av = av_, ah = ah_, af = af_;
  bool open = open_;
  uint32_t cycleState = cycleState_;
  UInt4 noiseState = noiseState_;
  Resonator np = nasalPole_;
  AntiResonator nz = nasalZero_;

  for (std::size_t i = 0; i < count; i += 4) {
    const std::size_t n = std::min<std::size_t>(4, count - i);
    // Glottal flow derivative of a polynomial pulse: rises during the open
    // phase, closes sharply, stays zero while closed.
    Float4 pulse = {}, flow = {};
    const Float4 ahead = phase + cycleScale * (inc * steps + dinc * stepRamp);
    if (n == 4 && ahead[3] < (open ? oq : 1.0f + oq)) {
      // No closure in the block; the glottis may open once.
      const Float4 opened = __builtin_convertvector(-(ahead >= 1.0f), Float4);
      const Float4 p = ahead - opened;
      const Float4 x = p * invOq;
      const Float4 gate = open ? Float4{1.0f, 1.0f, 1.0f, 1.0f} : opened;
      pulse = gate * x * (2.0f - 3.0f * x) * cycleGain;
      flow = gate * kFlowPeak * x * x * (1.0f - x);
      open = open || opened[3] > 0.0f;
      phase = p[3];
      inc += 4.0f * dinc;
    } else {
      for (std::size_t k = 0; k < n; ++k) {
        const float step = inc * cycleScale;
        phase += step;
        inc += dinc;
        if (phase >= 1.0f) {
          phase -= 1.0f;
          open = true;
        }
        if (!open) continue;
        if (phase < oq) {
          const float x = phase * invOq;
          pulse[k] = x * (2.0f - 3.0f * x) * cycleGain;
          flow[k] = kFlowPeak * x * x * (1.0f - x);
          continue;
        }
        // The closure fell since the last sample: its step is spread over
        // the samples either side of it, so its time is not rounded to a
        // sample (which is why the pulse leaves one sample late).
        open = false;
        const float late = (phase - oq) / step;  // samples since the closure
        if (late < 1.0f) {
          if (k == 0) {
            held += 0.5f * late * late * cycleGain;
          } else {
            pulse[k - 1] += 0.5f * late * late * cycleGain;
          }
          pulse[k] = -0.5f * (1.0f - late) * (1.0f - late) * cycleGain;
        }
        // The next cycle, from this closure to the next one, draws its
        // length and its pulse.
        cycleScale = 1.0f / (1.0f + jitter * Draw(cycleState));
        cycleGain = 1.0f + shimmer * Draw(cycleState);
      }
    }
    const Float4 glottal = __builtin_shufflevector(Float4{held}, pulse, 0, 4, 5, 6);
    held = pulse[n - 1];

    // Four noise generators side by side; in a voiced sound the noise
    // follows the glottal flow.
    noiseState ^= noiseState << 13;
    noiseState ^= noiseState >> 17;
    noiseState ^= noiseState << 5;
    const Float4 noise =
        __builtin_convertvector(reinterpret_cast<const Int4&>(noiseState), Float4) *
        (modBase + modDepth * flow);

    // The tilt filter y[k] = u[k] + t y[k-1] over the four samples at once.
    Float4 u = (av + dav * lane) * glottal;
    u += t * __builtin_shufflevector(u, Float4{}, 4, 0, 1, 2);
    u += t * t * __builtin_shufflevector(u, Float4{}, 4, 4, 0, 1);
    u += tiltPower * tiltState;
    tiltState = u[n - 1];
    Float4 x = u + (ah + dah * lane) * noise;
    in2 = n >= 2 ? x[n - 2] : in1;
    in1 = x[n - 1];
    if (kNasal) {
      for (std::size_t k = 0; k < n; ++k) x[k] = np.Step(nz.Step(x[k]));
    }
    std::memcpy(source + i, &x, sizeof x);
    if (kParallel) {
      // Frication: first differences of the noise for the resonators
      // (rising 6 dB per octave), the noise itself for the bypass.
      const Float4 fr = (af + daf * lane) * noise;
      const Float4 before = __builtin_shufflevector(Float4{lastNoise}, fr, 0, 4, 5, 6);
      const Float4 diff = 0.5f * (fr - before);
      const Float4 by = bypass * fr;
      std::memcpy(frication + i, &diff, sizeof diff);
      std::memcpy(bypassed + i, &by, sizeof by);
      lastNoise = fr[n - 1];
    }
    const float done = static_cast<float>(n);
    av += done * dav;
    ah += done * dah;
    af += done * daf;
  }

  phase_ = phase;
  inc_ = inc;
  open_ = open;
  cycleScale_ = cycleScale;
  cycleGain_ = cycleGain;
  cycleState_ = cycleState;
  held_ = held;
  tiltState_ = tiltState;
  lastNoise_ = lastNoise;
  in1_ = in1;
  in2_ = in2;
  av_ = av;
  ah_ = ah;
  af_ = af;
  noiseState_ = noiseState;
  if (kNasal) {
    nasalPole_ = np;
    nasalZero_ = nz;
  }
}

// The filters and the output of a frame: the cascade, the parallel branch,
// the gain, the soft limiter and the rounding to 16 bits.
template <bool kParallel>
void FormantSynth::Filter(std::size_t count, const float* source, const float* frication,
                          const float* bypassed, int16_t* out) {
  float g = g_;
  const float dg = dg_;
  CascadeChain cascade = cascade_;
  ParallelBank parallel = parallel_;
  for (std::size_t i = 0; i < count; ++i) {
    float y = cascade.Step(source[i]);
    if (kParallel) y += parallel.Step(frication[i]) + bypassed[i];
    float s = y * g;
    g += dg;
    if (std::fabs(s) > static_cast<float>(kKnee)) s = static_cast<float>(SoftLimit(s));
    out[i] = static_cast<int16_t>(s + std::copysign(0.5f, s));
  }
  g_ = g;
  cascade_ = cascade;
  if (kParallel) parallel_ = parallel;
}

// Frames are made whole into frame_ and handed out from there, so the
// samples never depend on how the caller reads them.
std::size_t FormantSynth::Render(int16_t* out, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    if (framePos_ < frameLen_) {
      const std::size_t m = std::min(frameLen_ - framePos_, count - done);
      std::copy(frame_ + framePos_, frame_ + framePos_ + m, out + done);
      framePos_ += m;
      done += m;
      continue;
    }
    if (!inPhone_) {
      if (!FrontReady()) break;
      StartPhone();
      continue;
    }
    if (cursor_ == phoneEnd_) {
      FinishPhone();
      continue;
    }
    if (silent_) {
      const std::size_t m = static_cast<std::size_t>(
          std::min<int64_t>(phoneEnd_ - cursor_, static_cast<int64_t>(count - done)));
      std::fill(out + done, out + done + m, static_cast<int16_t>(0));
      done += m;
      cursor_ += static_cast<int64_t>(m);
      continue;
    }
    BeginFrame();
    const std::size_t m = static_cast<std::size_t>(frameEnd_ - cursor_);
    if (parallelOn_) {
      if (nasal_) {
        RenderFrame<true, true>(frame_, m);
      } else {
        RenderFrame<true, false>(frame_, m);
      }
    } else if (nasal_) {
      RenderFrame<false, true>(frame_, m);
    } else {
      RenderFrame<false, false>(frame_, m);
    }
    framePos_ = 0;
    frameLen_ = m;
    cursor_ = frameEnd_;
  }
  return done;
}

}  // namespace formant
