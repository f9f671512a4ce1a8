#include "platform/mbrola/Resonator.h"

#include <cmath>

namespace formant {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHighestFraction = 0.45;  // of the rate; above it a resonator passes through

// The pole pair's b and c for a frequency and a bandwidth; false when the
// frequency cannot be represented at the rate.
bool PoleCoefficients(double freq, double bandwidth, double rate, double& b, double& c) {
  if (freq <= 0.0 || freq >= kHighestFraction * rate || rate <= 0.0) return false;
  const double radius = std::exp(-kPi * bandwidth / rate);
  c = -radius * radius;
  b = 2.0 * radius * std::cos(2.0 * kPi * freq / rate);
  return true;
}

}  // namespace

void Resonator::Set(double freq, double bandwidth, double rate, bool unitPeak) {
  if (freq == freq_ && bandwidth == bandwidth_ && rate == rate_ && unitPeak == unitPeak_) return;
  freq_ = freq;
  bandwidth_ = bandwidth;
  rate_ = rate;
  unitPeak_ = unitPeak;
  double b = 0.0, c = 0.0;
  if (!PoleCoefficients(freq, bandwidth, rate, b, c)) {
    a_ = 1.0;
    b_ = c_ = 0.0;
    return;
  }
  b_ = b;
  c_ = c;
  if (unitPeak) {
    // |1 - b e^-jw - c e^-2jw| at the resonance frequency.
    const double w = 2.0 * kPi * freq / rate;
    const double re = 1.0 - b * std::cos(w) - c * std::cos(2.0 * w);
    const double im = b * std::sin(w) + c * std::sin(2.0 * w);
    a_ = std::sqrt(re * re + im * im);
  } else {
    a_ = 1.0 - b - c;
  }
}

void AntiResonator::Set(double freq, double bandwidth, double rate) {
  if (freq == freq_ && bandwidth == bandwidth_ && rate == rate_) return;
  freq_ = freq;
  bandwidth_ = bandwidth;
  rate_ = rate;
  double b = 0.0, c = 0.0;
  if (!PoleCoefficients(freq, bandwidth, rate, b, c)) {
    a_ = 1.0;
    b_ = c_ = 0.0;
    return;
  }
  const double a = 1.0 - b - c;
  a_ = 1.0 / a;
  b_ = -b / a;
  c_ = -c / a;
}

}  // namespace formant
