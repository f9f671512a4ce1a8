// Second-order digital resonators and anti-resonators, the building blocks
// of the formant synthesizer's cascade and parallel branches.
#pragma once

namespace formant {

// y[n] = a x[n] + b y[n-1] + c y[n-2]: a pole pair at a frequency with a
// bandwidth. The coefficients are remade only when the frequency, the
// bandwidth or the rate changes.
class Resonator {
 public:
  // Sets the pole pair. With unitPeak the gain at the resonance frequency
  // is 1 (for the parallel branch), otherwise the gain at 0 Hz is 1 (for the
  // cascade). A frequency at or above 45 % of the rate, or not above 0,
  // turns the resonator into a pass-through.
  void Set(double freq, double bandwidth, double rate, bool unitPeak);
  void Clear() { y1_ = y2_ = 0.0; }
  bool Quiet() const { return y1_ == 0.0 && y2_ == 0.0; }

  double Step(double x) {
    const double y = a_ * x + b_ * y1_ + c_ * y2_;
    y2_ = y1_;
    y1_ = y;
    return y;
  }

 private:
  double a_ = 1.0, b_ = 0.0, c_ = 0.0;
  double y1_ = 0.0, y2_ = 0.0;
  double freq_ = -1.0, bandwidth_ = -1.0, rate_ = -1.0;
  bool unitPeak_ = false;
};

// y[n] = a x[n] + b x[n-1] + c x[n-2]: the inverse of a resonator with unit
// gain at 0 Hz, a zero pair (the nasal anti-resonance).
class AntiResonator {
 public:
  void Set(double freq, double bandwidth, double rate);
  void Clear() { x1_ = x2_ = 0.0; }

  double Step(double x) {
    const double y = a_ * x + b_ * x1_ + c_ * x2_;
    x2_ = x1_;
    x1_ = x;
    return y;
  }

 private:
  double a_ = 1.0, b_ = 0.0, c_ = 0.0;
  double x1_ = 0.0, x2_ = 0.0;
  double freq_ = -1.0, bandwidth_ = -1.0, rate_ = -1.0;
};

}  // namespace formant
