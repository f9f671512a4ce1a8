// The formant synthesizer: turns a queue of phones (targets, duration,
// pitch points) into 16-bit samples with a cascade/parallel design: a
// glottal pulse train and aspiration noise through the nasal pole and zero
// and five cascade resonators, frication noise through five parallel
// resonators and a bypass.
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
  // The output factor, from the next sample rendered.
  void SetVolume(double volume);
  // Samples rendered since the last reset.
  int64_t rendered() const { return cursor_; }

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
  struct Boundary {
    bool silent = true;
    Amp mid{};
    double halfWidthMs = 0.0;  // of the crossfade on the later phone's side
    float formants[kTrackSize] = {};
  };
  struct Point {
    double ms;
    double f0;
  };

  bool FrontReady() const;
  void StartPhone();
  void FinishPhone();
  void BeginFrame();
  void ClearFilters();
  double F0At(double ms);
  Amp AmpAt(int64_t i) const;
  void Profile(const Queued& q, std::vector<Knot>& out) const;
  static Amp Eval(const std::vector<Knot>& profile, double ms);
  template <bool kParallel>
  void RenderFrame(int16_t* out, std::size_t count);

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
  float track_[4][kTrackSize] =
      {};  // formants at the start, after the onset, before the end, at the end
  double trackMs_[4] = {};
  Boundary start_;
  Boundary next_;

  // The frame being rendered: values at its start and their steps per sample.
  int64_t frameEnd_ = 0;
  double av_ = 0, dav_ = 0, ah_ = 0, dah_ = 0, af_ = 0, daf_ = 0, g_ = 0, dg_ = 0;
  double f0_ = 0, df0_ = 0;
  double shape_[kShapeSize] = {};
  double closedNoise_ = 1.0;
  bool parallelOn_ = false;
  int64_t parallelQuiet_ = 0;

  // Sound sources and filters.
  double phase_ = 0.0;
  double tiltState_ = 0.0;
  uint32_t noiseState_ = 0x9E3779B9u;
  Resonator cascade_[5];
  Resonator nasalPole_;
  AntiResonator nasalZero_;
  Resonator parallel_[5];  // at F2..F6
};

}  // namespace formant
