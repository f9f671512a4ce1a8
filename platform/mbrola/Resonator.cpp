#include "platform/mbrola/Resonator.h"

#include <cmath>

namespace formant {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHighestFraction = 0.45;  // of the rate; above it a resonator passes through

// The pole pair's b and c for a frequency and a bandwidth; false when the
// frequency cannot be represented at the rate.
bool Poles(double freq, double bandwidth, double rate, double& b, double& c) {
  if (freq <= 0.0 || freq >= kHighestFraction * rate || rate <= 0.0) return false;
  const double radius = std::exp(-kPi * bandwidth / rate);
  c = -radius * radius;
  b = 2.0 * radius * std::cos(2.0 * kPi * freq / rate);
  return true;
}

}  // namespace

Coefficients PolePair(double freq, double bandwidth, double rate, bool unitPeak) {
  double b = 0.0, c = 0.0;
  if (!Poles(freq, bandwidth, rate, b, c)) return Coefficients();
  double a = 1.0 - b - c;
  if (unitPeak) {
    // |1 - b e^-jw - c e^-2jw| at the resonance frequency.
    const double w = 2.0 * kPi * freq / rate;
    const double re = 1.0 - b * std::cos(w) - c * std::cos(2.0 * w);
    const double im = b * std::sin(w) + c * std::sin(2.0 * w);
    a = std::sqrt(re * re + im * im);
  }
  return {static_cast<float>(a), static_cast<float>(b), static_cast<float>(c)};
}

Coefficients ZeroPair(double freq, double bandwidth, double rate) {
  double b = 0.0, c = 0.0;
  if (!Poles(freq, bandwidth, rate, b, c)) return Coefficients();
  const double a = 1.0 - b - c;
  return {static_cast<float>(1.0 / a), static_cast<float>(-b / a), static_cast<float>(-c / a)};
}

void CascadeChain::SetLane(int lane, const Coefficients& k) {
  a_[lane / 4][lane % 4] = k.a;
  b_[lane / 4][lane % 4] = k.b;
  c_[lane / 4][lane % 4] = k.c;
}

void CascadeChain::Clear() { y1_[0] = y1_[1] = y2_[0] = y2_[1] = Float4{}; }

void ParallelBank::SetLane(int lane, const Coefficients& k, float weight) {
  a_[lane / 4][lane % 4] = k.a * weight;
  b_[lane / 4][lane % 4] = k.b;
  c_[lane / 4][lane % 4] = k.c;
}

void ParallelBank::Clear() { y1_[0] = y1_[1] = y2_[0] = y2_[1] = Float4{}; }

}  // namespace formant
