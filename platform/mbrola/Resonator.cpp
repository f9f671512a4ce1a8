#include "platform/mbrola/Resonator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace formant {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHighestFraction = 0.45;  // of the rate; no resonance at or above it

constexpr double kLn2 = 0.69314718055994530942;

// cos(w) for 0 <= w <= pi: a Taylor polynomial on [0, pi/2] (error below
// 1e-6, far below a hertz), and cos(w) = -cos(pi - w) above it.
double Cosine(double w) {
  const bool upper = w > 0.5 * kPi;
  const double x2 = upper ? (kPi - w) * (kPi - w) : w * w;
  double p = -1.0 / 3628800.0;  // -1/10!
  for (double k : {1.0 / 40320.0, -1.0 / 720.0, 1.0 / 24.0, -0.5, 1.0}) p = p * x2 + k;
  return upper ? -p : p;
}

// exp(-x) for x >= 0: a Taylor polynomial of exp(-t) for t below ln 2
// (relative error below 2e-6) over a whole power of two.
double Decay(double x) {
  const int whole = static_cast<int>(x * (1.0 / kLn2));
  if (whole > 60) return 0.0;
  const double t = x - whole * kLn2;
  double p = 1.0;
  for (double reciprocal : {1.0 / 7, 1.0 / 6, 1.0 / 5, 1.0 / 4, 1.0 / 3, 1.0 / 2, 1.0}) {
    p = 1.0 - t * reciprocal * p;
  }
  // 2^-whole, made from its exponent bits.
  const uint64_t bits = static_cast<uint64_t>(1023 - whole) << 52;
  double scale = 0.0;
  std::memcpy(&scale, &bits, sizeof scale);
  return p * scale;
}

// The pole pair's b and c, and cos w, for a frequency and a bandwidth; false
// when the frequency cannot be represented at the rate.
bool Poles(double freq, double bandwidth, double rate, double& b, double& c, double& cosW) {
  if (freq <= 0.0 || freq >= kHighestFraction * rate || rate <= 0.0) return false;
  const double perHz = kPi / rate;
  const double radius = Decay(perHz * bandwidth);
  cosW = Cosine(2.0 * perHz * freq);
  c = -radius * radius;
  b = 2.0 * radius * cosW;
  return true;
}

}  // namespace

Coefficients PolePair(double freq, double bandwidth, double rate, bool unitPeak) {
  double b = 0.0, c = 0.0, cosW = 0.0;
  if (!Poles(freq, bandwidth, rate, b, c, cosW)) {
    return unitPeak ? Coefficients{0.0f, 0.0f, 0.0f} : Coefficients();
  }
  double a = 1.0 - b - c;
  if (unitPeak) {
    // |1 - b e^-jw - c e^-2jw| at the resonance frequency.
    const double sinW = std::sqrt(std::max(0.0, 1.0 - cosW * cosW));
    const double re = 1.0 - b * cosW - c * (2.0 * cosW * cosW - 1.0);
    const double im = b * sinW + c * 2.0 * sinW * cosW;
    a = std::sqrt(re * re + im * im);
  }
  return {static_cast<float>(a), static_cast<float>(b), static_cast<float>(c)};
}

Coefficients ZeroPair(double freq, double bandwidth, double rate) {
  double b = 0.0, c = 0.0, cosW = 0.0;
  if (!Poles(freq, bandwidth, rate, b, c, cosW)) return Coefficients();
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
