#include "platform/mbrola/FormantSynth.h"

#include <algorithm>
#include <cmath>

namespace formant {
namespace {

constexpr double kFrameMs = 5.0;           // parameter update period
constexpr double kCrossfadeMs = 8.0;       // half-width of amplitude crossfades between phones
constexpr double kSilenceFadeMs = 5.0;     // fade into and out of silence
constexpr double kTransitionShare = 0.3;   // share of a phone given to each formant transition
constexpr double kTransitionMaxMs = 50.0;  // longest formant transition on one side
constexpr double kStopReleaseShare = 0.6;  // burst and aspiration take at most this share of a stop
constexpr double kParallelTailMs = 20.0;   // parallel branch rings on this long after frication
constexpr double kOutputScale = 5600.0;    // cascade output to 16-bit samples at gain 1
constexpr double kKnee = 24000.0;          // the soft limiter starts here
constexpr double kTapDip = 0.2;            // voicing left in the middle of a tap

bool IsSilence(const PhoneTargets* t) { return t == nullptr || t->kind == PhoneClass::kSilence; }

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
  for (Resonator& r : cascade_) r.Clear();
  for (Resonator& r : parallel_) r.Clear();
  nasalPole_.Clear();
  nasalZero_.Clear();
  tiltState_ = 0.0;
  phase_ = 0.0;
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
  start_ = Boundary();
  next_ = Boundary();
  noiseState_ = 0x9E3779B9u;
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

void FormantSynth::Profile(const Queued& q, std::vector<Knot>& out) const {
  const PhoneTargets& t = *q.targets;
  const double d = q.durMs;
  Amp own;
  own.av = t.av;
  own.ah = t.ah;
  own.af = t.af;
  own.g = 1.0f;
  std::copy(t.shape, t.shape + kShapeSize, own.shape);
  out.clear();
  out.push_back({0.0, 0, own, own});
  if (t.kind == PhoneClass::kStop) {
    double closure = 0, burst = 0, vot = 0;
    StopTimes(t, d, closure, burst, vot);
    Amp hold = own;  // closure: the voice bar only
    hold.ah = hold.af = 0.0f;
    Amp burstStart = hold;
    burstStart.af = t.af;
    Amp burstEnd = hold;
    burstEnd.af = 0.3f * t.af;
    Amp aspiration = own;
    aspiration.av = 0.0f;
    aspiration.af = 0.0f;
    const Amp& release = vot > 0.0 ? aspiration : burstEnd;
    out[0] = {0.0, 0, hold, hold};
    out.push_back({closure, 0, hold, burstStart});
    out.push_back({closure + burst, 0, burstEnd, release});
    out.push_back({d, 0, release, release});
    return;
  }
  if (t.kind == PhoneClass::kTap) {
    Amp dip = own;
    dip.av *= static_cast<float>(kTapDip);
    out.push_back({0.3 * d, 0, own, own});
    out.push_back({0.45 * d, 0, dip, dip});
    out.push_back({0.55 * d, 0, dip, dip});
    out.push_back({0.7 * d, 0, own, own});
  }
  out.push_back({d, 0, own, own});
}

void FormantSynth::StartPhone() {
  const Queued& p = queue_.front();
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

  // The contour over this phone is decided now: without a later point the
  // last value holds to its end, and later points continue from there.
  if (points_.empty())
    points_.push_back({p.startMs, voice_ != nullptr ? voice_->defaultF0() : 110.0});
  if (points_.back().ms < endMs) points_.push_back({endMs, points_.back().f0});

  const Queued* following = (p.endsStream || queue_.size() < 2) ? nullptr : &queue_[1];
  silent_ = IsSilence(p.targets);
  if (silent_) {
    ClearFilters();
    next_ = Boundary();
    return;
  }
  const bool silentNext = following == nullptr || IsSilence(following->targets);
  const PhoneTargets& t = *p.targets;
  const double d = p.durMs;
  Profile(p, profile_);

  double wIn = 0.0, wOut = 0.0;
  Amp startAmp = profile_.front().right;
  Amp endAmp = profile_.back().left;
  if (start_.silent) {
    wIn = std::min(kSilenceFadeMs, 0.3 * d);
    startAmp.av = startAmp.ah = startAmp.af = startAmp.g = 0.0f;
  } else {
    wIn = start_.halfWidthMs;
    startAmp = start_.mid;
  }
  next_ = Boundary();
  if (silentNext) {
    wOut = std::min(kSilenceFadeMs, 0.3 * d);
    endAmp.av = endAmp.ah = endAmp.af = endAmp.g = 0.0f;
  } else {
    const PhoneTargets& u = *following->targets;
    const double dn = following->durMs;
    wOut = std::min(kCrossfadeMs, 0.25 * d);
    if (t.kind == PhoneClass::kStop) {
      double closure = 0, burst = 0, vot = 0;
      StopTimes(t, d, closure, burst, vot);
      wOut = std::min(wOut, std::max(0.5, 0.5 * vot));
    }
    double wNext = std::min(kCrossfadeMs, 0.25 * dn);
    if (u.kind == PhoneClass::kStop) {
      double closure = 0, burst = 0, vot = 0;
      StopTimes(u, dn, closure, burst, vot);
      wNext = std::min(wNext, 0.25 * closure);
    }
    Profile(*following, nextProfile_);
    const Amp& a = endAmp;
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
    endAmp = mid;
    next_.silent = false;
    next_.mid = mid;
    next_.halfWidthMs = wNext;
    const float wa = t.locusWeight, wb = u.locusWeight;
    for (int i = 0; i < kTrackSize; ++i) {
      next_.formants[i] = (wa * t.track[i] + wb * u.track[i]) / (wa + wb);
    }
  }
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
  for (Knot& k : knots_) {
    k.index = d > 0.0 ? std::llround(k.ms / d * static_cast<double>(n)) : 0;
  }
  knots_.back().index = n;

  const double region = std::min(kTransitionShare * d, kTransitionMaxMs);
  std::copy(t.track, t.track + kTrackSize, track_[0]);
  if (!start_.silent) std::copy(start_.formants, start_.formants + kTrackSize, track_[0]);
  std::copy(t.track, t.track + kTrackSize, track_[1]);
  std::copy(t.track, t.track + kTrackSize, track_[2]);
  std::copy(t.track, t.track + kTrackSize, track_[3]);
  if (!silentNext) std::copy(next_.formants, next_.formants + kTrackSize, track_[3]);
  trackMs_[0] = 0.0;
  trackMs_[1] = region;
  trackMs_[2] = d - region;
  trackMs_[3] = d;
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

void FormantSynth::BeginFrame() {
  const int64_t n = phoneEnd_ - phoneStart_;
  const int64_t i0 = cursor_ - phoneStart_;
  while (knotIndex_ + 2 < knots_.size() && knots_[knotIndex_ + 1].index <= i0) ++knotIndex_;
  const int64_t frame = std::max<int64_t>(1, std::llround(kFrameMs * rate_ / 1000.0));
  const int64_t i1 = std::min({i0 + frame, knots_[knotIndex_ + 1].index, n});
  const double len = static_cast<double>(i1 - i0);
  const Amp a0 = AmpAt(i0);
  const Amp a1 = AmpAt(i1);
  const Amp am = AmpAt((i0 + i1) / 2);
  av_ = a0.av;
  dav_ = (a1.av - a0.av) / len;
  ah_ = a0.ah;
  dah_ = (a1.ah - a0.ah) / len;
  af_ = a0.af;
  daf_ = (a1.af - a0.af) / len;
  g_ = a0.g;
  dg_ = (a1.g - a0.g) / len;
  for (int k = 0; k < kShapeSize; ++k) shape_[k] = am.shape[k];
  closedNoise_ = std::max(a0.av, a1.av) > 0.1f ? 0.5 : 1.0;

  // Formants at the middle of the frame.
  const double ms = 0.5 * static_cast<double>(i0 + i1) * msPerSample_;
  int s = 0;
  while (s < 2 && ms > trackMs_[s + 1]) ++s;
  const double span = trackMs_[s + 1] - trackMs_[s];
  const double f = span > 0.0 ? std::clamp((ms - trackMs_[s]) / span, 0.0, 1.0) : 0.0;
  double v[kTrackSize];
  for (int i = 0; i < kTrackSize; ++i) v[i] = Lerp(track_[s][i], track_[s + 1][i], f);
  const double rate = rate_;
  for (int k = 0; k < 5; ++k) cascade_[k].Set(v[kF1 + k], v[kB1 + k], rate, false);
  nasalPole_.Set(v[kFnp], v[kBnp], rate, false);
  nasalZero_.Set(v[kFnz], v[kBnz], rate);

  const bool frication = a0.af > 0.0f || a1.af > 0.0f;
  if (frication) {
    for (int k = 0; k < 5; ++k) parallel_[k].Set(v[kF1 + 1 + k], v[kB1 + 1 + k], rate, true);
    parallelOn_ = true;
    parallelQuiet_ = 0;
  } else if (parallelOn_) {
    // Let the parallel resonators ring out, then stop running them.
    parallelQuiet_ += i1 - i0;
    if (parallelQuiet_ > std::llround(kParallelTailMs * rate_ / 1000.0)) {
      for (Resonator& r : parallel_) r.Clear();
      parallelOn_ = false;
    }
  }

  const double t0 = phoneStartMs_ + static_cast<double>(i0) * msPerSample_;
  const double t1 = phoneStartMs_ + static_cast<double>(i1) * msPerSample_;
  const double f0a = F0At(t0);
  const double f0b = F0At(t1);
  f0_ = f0a;
  df0_ = (f0b - f0a) / len;
  frameEnd_ = phoneStart_ + i1;
}

template <bool kParallel>
void FormantSynth::RenderFrame(int16_t* out, std::size_t count) {
  const double step = 1.0 / rate_;
  const double oq = voice_ != nullptr ? voice_->openQuotient() : 0.6;
  const double invOq = 1.0 / oq;
  const double tilt = voice_ != nullptr ? voice_->tilt() : 0.3;
  const double scale = outScale_;
  const double closedNoise = closedNoise_;
  double phase = phase_, f0 = f0_;
  const double df0 = df0_;
  double av = av_, ah = ah_, af = af_, g = g_;
  const double dav = dav_, dah = dah_, daf = daf_, dg = dg_;
  double tiltState = tiltState_;
  uint32_t noiseState = noiseState_;
  Resonator r1 = cascade_[0], r2 = cascade_[1], r3 = cascade_[2], r4 = cascade_[3],
            r5 = cascade_[4];
  Resonator np = nasalPole_;
  AntiResonator nz = nasalZero_;
  Resonator p2 = parallel_[0], p3 = parallel_[1], p4 = parallel_[2], p5 = parallel_[3],
            p6 = parallel_[4];
  const double a2 = shape_[0], a3 = shape_[1], a4 = shape_[2], a5 = shape_[3], a6 = shape_[4],
               ab = shape_[5];

  for (std::size_t i = 0; i < count; ++i) {
    phase += f0 * step;
    if (phase >= 1.0) phase -= 1.0;
    f0 += df0;
    // Glottal flow derivative of a polynomial pulse: rises during the open
    // phase, closes sharply, stays zero while closed.
    double glottal = 0.0;
    double mod = closedNoise;
    if (phase < oq) {
      const double x = phase * invOq;
      glottal = x * (2.0 - 3.0 * x);
      mod = 1.0;
    }
    noiseState ^= noiseState << 13;
    noiseState ^= noiseState >> 17;
    noiseState ^= noiseState << 5;
    const double noise =
        static_cast<double>(static_cast<int32_t>(noiseState)) * (1.0 / 2147483648.0);
    tiltState = (1.0 - tilt) * av * glottal + tilt * tiltState;
    double x = tiltState + ah * noise * mod;
    x = np.Step(x);
    x = nz.Step(x);
    x = r5.Step(x);
    x = r4.Step(x);
    x = r3.Step(x);
    x = r2.Step(x);
    x = r1.Step(x);
    if (kParallel) {
      const double fr = af * noise * mod;
      x += ab * fr + a2 * p2.Step(fr) + a3 * p3.Step(fr) + a4 * p4.Step(fr) + a5 * p5.Step(fr) +
           a6 * p6.Step(fr);
    }
    double y = x * g * scale;
    av += dav;
    ah += dah;
    af += daf;
    g += dg;
    if (y > kKnee || y < -kKnee) y = SoftLimit(y);
    out[i] = static_cast<int16_t>(y >= 0.0 ? y + 0.5 : y - 0.5);
  }

  phase_ = phase;
  f0_ = f0;
  av_ = av;
  ah_ = ah;
  af_ = af;
  g_ = g;
  tiltState_ = tiltState;
  noiseState_ = noiseState;
  cascade_[0] = r1;
  cascade_[1] = r2;
  cascade_[2] = r3;
  cascade_[3] = r4;
  cascade_[4] = r5;
  nasalPole_ = np;
  nasalZero_ = nz;
  if (kParallel) {
    parallel_[0] = p2;
    parallel_[1] = p3;
    parallel_[2] = p4;
    parallel_[3] = p5;
    parallel_[4] = p6;
  }
}

std::size_t FormantSynth::Render(int16_t* out, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    if (!inPhone_) {
      if (!FrontReady()) break;
      StartPhone();
      continue;
    }
    if (cursor_ == phoneEnd_) {
      FinishPhone();
      continue;
    }
    if (!silent_ && cursor_ == frameEnd_) BeginFrame();
    const int64_t limit = silent_ ? phoneEnd_ : frameEnd_;
    const std::size_t m = static_cast<std::size_t>(
        std::min<int64_t>(limit - cursor_, static_cast<int64_t>(count - done)));
    if (silent_) {
      std::fill(out + done, out + done + m, static_cast<int16_t>(0));
    } else if (parallelOn_) {
      RenderFrame<true>(out + done, m);
    } else {
      RenderFrame<false>(out + done, m);
    }
    done += m;
    cursor_ += static_cast<int64_t>(m);
  }
  return done;
}

}  // namespace formant
