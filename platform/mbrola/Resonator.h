// Second-order digital resonators and anti-resonators, the building blocks
// of the formant synthesizer's cascade and parallel branches, in single
// precision; the cascade and the parallel bank each run eight resonators
// side by side in vector registers.
#pragma once

#include <cstdint>

namespace formant {

// Four floats, or four 32-bit integers, worked on together (GCC and Clang
// vector types).
typedef float Float4 __attribute__((vector_size(16)));
typedef int32_t Int4 __attribute__((vector_size(16)));
typedef uint32_t UInt4 __attribute__((vector_size(16)));

// y[n] = a x[n] + b y[n-1] + c y[n-2] for a pole pair, or
// y[n] = a x[n] + b x[n-1] + c x[n-2] for a zero pair.
struct Coefficients {
  float a = 1.0f, b = 0.0f, c = 0.0f;
};

// A pole pair at a frequency with a bandwidth. With unitPeak the gain at the
// resonance frequency is 1 (for the parallel branch), otherwise the gain at
// 0 Hz is 1 (for the cascade). A frequency at or above 45 % of the rate, or
// not above 0, gives a pass-through in the cascade and silence in the
// parallel branch.
Coefficients PolePair(double freq, double bandwidth, double rate, bool unitPeak);
// The inverse of the unit-gain-at-0-Hz pole pair: a zero pair (the nasal
// anti-resonance); a pass-through where PolePair gives one.
Coefficients ZeroPair(double freq, double bandwidth, double rate);

// One second-order section: a pole pair, y[n] = a x[n] + b y[n-1] +
// c y[n-2], or with kZeros a zero pair, y[n] = a x[n] + b x[n-1] + c x[n-2].
// Its state is its last two outputs, or inputs.
template <bool kZeros>
class Section {
 public:
  void Set(const Coefficients& k) { k_ = k; }
  void Clear() { s1_ = s2_ = 0.0f; }
  // The state of a section whose last two outputs (or inputs) were s1, s2.
  void Prime(float s1, float s2) {
    s1_ = s1;
    s2_ = s2;
  }
  float Step(float x) {
    const float y = (k_.b * s1_ + k_.c * s2_) + k_.a * x;
    s2_ = s1_;
    s1_ = kZeros ? x : y;
    return y;
  }

 private:
  Coefficients k_;
  float s1_ = 0.0f, s2_ = 0.0f;
};
using Resonator = Section<false>;     // the nasal pole
using AntiResonator = Section<true>;  // the nasal zero

// Eight pole pairs in cascade, run as a pipeline: at each step lane k
// filters what lane k-1 gave two steps before, so the eight recursions
// advance together in two vector registers, each waiting only for its own
// last output, and the chain's output lags its input by kDelay samples. A
// lane left unset passes its input through.
class CascadeChain {
 public:
  static constexpr int kLanes = 8;
  static constexpr int kDelay = 2 * (kLanes - 1);

  void SetLane(int lane, const Coefficients& k);
  void Clear();

  float Step(float x) {
    // Each lane's input: the output of the lane before it two steps ago.
    const Float4 lo = __builtin_shufflevector(y2_[0], y2_[0], 3, 0, 1, 2);
    const Float4 hi = __builtin_shufflevector(y2_[1], y2_[1], 3, 0, 1, 2);
    const Float4 in = {x, 0.0f, 0.0f, 0.0f};
    const Float4 inLo = __builtin_shufflevector(lo, in, 4, 1, 2, 3);
    const Float4 inHi = __builtin_shufflevector(hi, lo, 4, 1, 2, 3);
    const Float4 yLo = b_[0] * y1_[0] + (c_[0] * y2_[0] + a_[0] * inLo);
    const Float4 yHi = b_[1] * y1_[1] + (c_[1] * y2_[1] + a_[1] * inHi);
    y2_[0] = y1_[0];
    y2_[1] = y1_[1];
    y1_[0] = yLo;
    y1_[1] = yHi;
    return yHi[3];
  }

 private:
  Float4 a_[2] = {{1, 1, 1, 1}, {1, 1, 1, 1}};
  Float4 b_[2] = {};
  Float4 c_[2] = {};
  Float4 y1_[2] = {};
  Float4 y2_[2] = {};
};

// Eight pole pairs side by side on one input, each with a weight; the output
// is the weighted sum. A lane left unset adds nothing.
class ParallelBank {
 public:
  static constexpr int kLanes = 8;

  void SetLane(int lane, const Coefficients& k, float weight);
  void Clear();

  float Step(float x) {
    const Float4 yLo = (b_[0] * y1_[0] + c_[0] * y2_[0]) + a_[0] * x;
    const Float4 yHi = (b_[1] * y1_[1] + c_[1] * y2_[1]) + a_[1] * x;
    y2_[0] = y1_[0];
    y2_[1] = y1_[1];
    y1_[0] = yLo;
    y1_[1] = yHi;
    const Float4 s = yLo + yHi;
    return (s[0] + s[1]) + (s[2] + s[3]);
  }

 private:
  Float4 a_[2] = {};
  Float4 b_[2] = {};
  Float4 c_[2] = {};
  Float4 y1_[2] = {};
  Float4 y2_[2] = {};
};

}  // namespace formant
