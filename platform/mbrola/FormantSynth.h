// The formant synthesizer: turns a queue of phones (targets, duration,
// pitch points) into 16-bit samples with a cascade/parallel design: a
// glottal pulse train with breath and aspiration noise through the nasal
// pole and zero and eight cascade formants, frication noise through five
// parallel formants and a bypass. platform/mbrola/README.md describes the
// stages and the figures they give.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "platform/mbrola/FormantVoice.h"
#include "platform/mbrola/PhoneLine.h"
#include "platform/mbrola/Resonator.h"

namespace formant {

class FormantSynth {
 public:
  // Phones waited for beyond the next one when no later pitch point is known.
  static constexpr std::size_t kPitchLookahead = 8;
  // Output of a soft limiter: no sample leaves +-kLimit.
  static constexpr double kLimit = 32000.0;

  FormantSynth();

  // Binds a voice (null: none) and clears the stream. The voice must live
  // while it is bound.
  void Bind(const FormantVoice* voice);
  // Clears the stream: queued phones, pitch points, filter states, time.
  void Reset();

  // Appends a phone: null targets, or targets of the silence class, give
  // all-zero samples. Points are sorted by percent.
  void Push(const PhoneTargets* targets, double durationMs, const std::vector<PitchPoint>& points);
  // The last phone pushed ends the stream: it is synthesised without
  // waiting for a successor and fades out as before a silence.
  void EndStream();
  // Phones pushed and not yet finished.
  std::size_t Pending() const { return queue_.size(); }
  // Whether Render would give at least one sample now.
  bool CanRender();
  // Renders up to count samples of the phones that are ready; returns the
  // count rendered.
  std::size_t Render(int16_t* out, std::size_t count);

  // The output rate; a new rate applies from the next phone that starts.
  void SetRate(int rate) { pendingRate_ = rate; }
  int rate() const { return pendingRate_; }
  // The output factor, from the next frame made (frames are 5 ms or shorter).
  void SetVolume(double volume);
  // Samples rendered since the last reset.
  int64_t rendered() const { return cursor_ - static_cast<int64_t>(frameLen_ - framePos_); }

 private:
  struct Amp {
    float av, ah, af, g;
    float shape[kShapeSize];
  };
  // The amplitudes a fraction f of the way from a to b.
  static Amp BlendAmp(const Amp& a, const Amp& b, double f);
  struct Knot {
    double ms;
    int64_t index;
    Amp left, right;
  };
  struct Queued {
    const PhoneTargets* targets;
    double startMs;
    double durMs;
    bool endsStream;
  };
  // Where two phones meet: the amplitude crossfade around the boundary, the
  // formants at the boundary, and how long each side takes to move between
  // them and its targets (below 0: the phone's share). F1, B1 and the nasal
  // pole and zero move for their own time (below 0: as the others).
  struct Boundary {
    bool silent = true;  // a silence, or the end of the stream, on one side
    Amp mid{};
    double leftMs = 0.0;   // crossfade on the earlier phone's side
    double rightMs = 0.0;  // and on the later phone's side
    double leftTransitionMs = -1.0;
    double rightTransitionMs = -1.0;
    double leftGlideMs = -1.0;
    double rightGlideMs = -1.0;
    float formants[kTrackSize] = {};
  };
  struct Point {
    double ms;
    double f0;
  };
  // Coefficients of one resonator and the values they were made from.
  struct Tuning {
    float freq = -1.0f, bandwidth = -1.0f;
    Coefficients k;
  };

  bool FrontReady() const;
  // The stages of a phone, in the order StartPhone runs them.
  void StartPhone();
  void PlacePhone(const Queued& p);
  void ExtendPitch(const Queued& p);
  void PlanBoundary(const Queued& p, const Queued* following);
  void AmplitudeKnots(const Queued& p);
  void FormantTrack(const Queued& p);
  void FinishPhone();

  void Profile(const Queued& q, std::vector<Knot>& out) const;
  static Amp Eval(const std::vector<Knot>& profile, double ms);
  Amp AmpAt(int64_t i) const;
  double PauseFade(double ms) const;
  double F0At(double ms);
  void BeginFrame();
  void TuneCascade(const float* v);
  void Tune(Tuning& t, float freq, float bandwidth, bool unitPeak);
  void ClearFilters();
  // Samples rendered in one piece: a frame (5 ms) at 48000 Hz fits.
  static constexpr std::size_t kMaxFrame = 256;
  template <bool kParallel, bool kNasal>
  void RenderFrame(int16_t* out, std::size_t count);
  template <bool kParallel, bool kNasal>
  void MakeSources(std::size_t count, float* source, float* frication, float* bypassed);
  template <bool kParallel>
  void Filter(std::size_t count, const float* source, const float* frication, const float* bypassed,
              int16_t* out);

  const FormantVoice* voice_ = nullptr;
  double outScale_ = 0.0;
  double volume_ = 1.0;
  int rate_ = 22050;
  int pendingRate_ = 22050;

  // Input.
  std::deque<Queued> queue_;
  std::deque<Point> points_;
  double streamMs_ = 0.0;
  double lastPointMs_ = -1.0;
  double closedMs_ = -1.0;

  // Time line: sample positions of phone ends relative to an origin that a
  // rate change moves.
  double originMs_ = 0.0;
  int64_t originSample_ = 0;
  int64_t cursor_ = 0;

  // The phone being rendered.
  bool inPhone_ = false;
  bool silent_ = true;
  int64_t phoneStart_ = 0;
  int64_t phoneEnd_ = 0;
  double phoneStartMs_ = 0.0;
  double msPerSample_ = 0.0;
  std::vector<Knot> knots_;
  std::vector<Knot> profile_;
  std::vector<Knot> nextProfile_;
  std::size_t knotIndex_ = 0;
  // Formants at the start, after the onset, before the end and at the end,
  // and the times of these points for the others and for F1, B1 and the
  // nasal pole and zero; short frames while the latter glide.
  float track_[4][kTrackSize] = {};
  double trackMs_[2][4] = {};
  double glideUntilMs_ = 0.0;
  double glideFromMs_ = 0.0;
  double pauseFadeFromMs_ = 0.0;  // the fade into a following silence: start and length
  double pauseFadeMs_ = 0.0;
  Boundary start_;
  Boundary next_;

  // The frame made last, and how much of it was handed out.
  int16_t frame_[kMaxFrame] = {};
  std::size_t framePos_ = 0;
  std::size_t frameLen_ = 0;

  // The frame being made: values at its start and their steps per sample.
  int64_t frameSamples_ = 1;  // frames at the rate: usual, while gliding, parallel tail
  int64_t glideFrame_ = 1;
  int64_t parallelTail_ = 1;
  int64_t frameEnd_ = 0;
  float av_ = 0, dav_ = 0, ah_ = 0, dah_ = 0, af_ = 0, daf_ = 0, g_ = 0, dg_ = 0;
  float inc_ = 0, dinc_ = 0;  // glottal phase per sample
  float modBase_ = 1.0f, modDepth_ = 0.0f;
  float bypass_ = 0.0f;
  bool nasal_ = false;
  bool tunedToTargets_ = false;  // the cascade holds the phone's own targets
  bool parallelOn_ = false;
  int64_t parallelQuiet_ = 0;

  // Sound sources.
  float phase_ = 0.0f;
  bool open_ = false;        // the glottis is open (before the closure of this cycle)
  float held_ = 0.0f;        // the pulse sample held back one step
  float cycleScale_ = 1.0f;  // jitter: phase step factor of this cycle
  float cycleGain_ = 1.0f;   // shimmer: pulse factor of this cycle
  float tiltState_ = 0.0f;
  float lastNoise_ = 0.0f;
  float in1_ = 0.0f, in2_ = 0.0f;  // the last two inputs of the nasal stage
  UInt4 noiseState_ = {};          // four xorshift generators
  uint32_t cycleState_ = 0x2545F491u;

  // Filters.
  CascadeChain cascade_;
  Resonator nasalPole_;
  AntiResonator nasalZero_;
  ParallelBank parallel_;  // at F2..F6
  Tuning cascadeTuning_[kFormants];
  Tuning parallelTuning_[kShapeSize - 1];
  Tuning nasalPoleTuning_;
  Tuning nasalZeroTuning_;
};

}  // namespace formant
