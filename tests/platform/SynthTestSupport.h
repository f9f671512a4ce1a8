// Helpers of the synthesizer tests: loading mbrola.so, the engine's drive
// loop, phone texts, and measurements of the output (F0, formants, spectra).
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/common/TestSupport.h"

#ifndef TM_MBROLA_LIBRARY
#error "TM_MBROLA_LIBRARY must name the built mbrola.so"
#endif

namespace synth_test {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 22050;

inline std::string VoicePath() { return std::string(TM_SOURCE_DIR) + "/data/voices/gr.voice"; }

// The 18 entry points of the built library: name, result, parameters.
#define TM_MBR_ENTRY_POINTS(X)                 \
  X(init_MBR, int, char*)                      \
  X(init_rename_MBR, int, char*, char*, char*) \
  X(write_MBR, int, char*)                     \
  X(flush_MBR, int)                            \
  X(read_MBR, int, short*, int)                \
  X(readtype_MBR, int, void*, int, int)        \
  X(close_MBR, void)                           \
  X(reset_MBR, void)                           \
  X(lastError_MBR, int)                        \
  X(lastErrorStr_MBR, int, char*, int)         \
  X(setNoError_MBR, void, int)                 \
  X(getNoError_MBR, int)                       \
  X(setFreq_MBR, void, int)                    \
  X(getFreq_MBR, int)                          \
  X(setVolumeRatio_MBR, void, float)           \
  X(getVolumeRatio_MBR, float)                 \
  X(getVersion_MBR, int, char*, int)           \
  X(getDatabaseInfo_MBR, int, char*, int, int)

// The entry points of the built library, resolved once per process.
struct Library {
  void* handle = nullptr;
#define TM_MBR_POINTER(name, result, ...) result (*name)(__VA_ARGS__) = nullptr;
  TM_MBR_ENTRY_POINTS(TM_MBR_POINTER)
#undef TM_MBR_POINTER
  int resolved = 0;

  static Library& Get() {
    static Library lib = [] {
      Library l;
      l.handle = dlopen(TM_MBROLA_LIBRARY, RTLD_NOW | RTLD_LOCAL);
      if (l.handle == nullptr) return l;
#define TM_MBR_BIND(name, ...) \
  l.resolved += (l.name = reinterpret_cast<decltype(l.name)>(dlsym(l.handle, #name))) != nullptr;
      TM_MBR_ENTRY_POINTS(TM_MBR_BIND)
#undef TM_MBR_BIND
      return l;
    }();
    return lib;
  }

  bool ok() const { return handle != nullptr && resolved == 18; }

  // A fresh channel: default settings, the given voice bound.
  int Fresh(std::string voice = VoicePath()) {
    close_MBR();
    return init_MBR(voice.data());
  }
  int Write(std::string text) { return write_MBR(text.data()); }
  std::string ErrorText() {
    char buffer[400];
    lastErrorStr_MBR(buffer, sizeof buffer);
    return buffer;
  }
};

// Tests on a fresh channel of the built library with the Greek voice bound.
class LibraryTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib_.ok()) << "cannot load " << TM_MBROLA_LIBRARY << ": " << dlerror();
    ASSERT_EQ(lib_.Fresh(), 0) << lib_.ErrorText();
  }
  void TearDown() override { lib_.close_MBR(); }
  Library& lib_ = Library::Get();
};

// The engine's loop: each line of the text, then one empty line, is written
// followed by "\n"; a refused line is offered again after a drain in blocks
// of 4096 (unless nothing came); at the end the input is flushed and drained.
inline std::vector<int16_t> Drive(Library& api, const std::string& text) {
  std::vector<int16_t> out;
  short block[4096];
  const auto drain = [&] {
    const std::size_t before = out.size();
    for (int n; (n = api.read_MBR(block, 4096)) > 0;) out.insert(out.end(), block, block + n);
    return out.size() > before;
  };
  std::istringstream in(text + "\n");
  bool stuck = false;
  for (std::string line; !stuck && std::getline(in, line);) {
    while (!stuck && api.Write(line) <= 0) stuck = !drain();
    api.Write("\n");
  }
  api.flush_MBR();
  drain();
  return out;
}

// One phone of a test text.
struct Phone {
  std::string symbol;
  double ms;
  std::vector<std::pair<double, double>> points;  // (percent, F0)
};

// Phones written "symbol ms pct:f0 pct:f0, symbol ms, ...".
inline std::vector<Phone> Phones(const std::string& text) {
  std::vector<Phone> out;
  std::istringstream list(text);
  for (std::string item; std::getline(list, item, ',');) {
    std::istringstream in(item);
    Phone& p = out.emplace_back();
    in >> p.symbol >> p.ms;
    for (double pct, f0; in >> pct && in.ignore() && in >> f0;) p.points.emplace_back(pct, f0);
  }
  return out;
}

inline std::vector<double> Slice(const std::vector<int16_t>& x, long from, long to) {
  return std::vector<double>(x.begin() + from, x.begin() + to);
}

// Samples said and the phone boundaries: cumulative durations times the rate.
struct Said {
  std::vector<int16_t> samples;
  std::vector<long> b;
  // The middle half of phone i.
  std::vector<double> Middle(std::size_t i) const {
    const long quarter = (b[i + 1] - b[i]) / 4;
    return Slice(samples, b[i] + quarter, b[i + 1] - quarter);
  }
};

// Says phones on a reset channel, checking the number of samples.
inline Said Say(Library& lib, const std::vector<Phone>& phones) {
  std::ostringstream text;
  double ms = 0.0;
  std::vector<long> b = {0};
  for (const Phone& p : phones) {
    text << p.symbol << ' ' << p.ms;
    for (const auto& [pct, f0] : p.points) text << " (" << pct << ',' << f0 << ')';
    text << '\n';
    b.push_back(std::lround((ms += p.ms) * kRate / 1000.0));
  }
  lib.reset_MBR();
  const Said said{Drive(lib, text.str()), b};
  EXPECT_EQ(static_cast<long>(said.samples.size()), said.b.back());
  return said;
}

// Normalised correlation of `length` samples from `at` with those `lag` later.
inline double Correlation(const std::vector<double>& x, std::size_t at, int lag,
                          std::size_t length) {
  double xy = 0.0, xx = 0.0, yy = 0.0;
  for (std::size_t i = at; i < at + length; ++i) {
    xy += x[i] * x[i + lag];
    xx += x[i] * x[i];
    yy += x[i + lag] * x[i + lag];
  }
  return xx > 0.0 && yy > 0.0 ? xy / std::sqrt(xx * yy) : 0.0;
}

// The autocorrelation at every lag up to maxLag, always over the middle of x
// (so a gliding pitch is measured at the middle of the stretch).
inline std::vector<double> Autocorrelation(const std::vector<double>& x, int maxLag) {
  std::vector<double> r(maxLag + 1);
  for (int lag = 1; lag <= maxLag; ++lag) {
    r[lag] = Correlation(x, static_cast<std::size_t>(maxLag - lag) / 2, lag, x.size() - maxLag);
  }
  return r;
}

// The vertex of a parabola through (-1, a), (0, b), (1, c).
inline double Vertex(double a, double b, double c) {
  const double den = a - 2.0 * b + c;
  return den != 0.0 ? 0.5 * (a - c) / den : 0.0;
}

// The highest normalised autocorrelation over the lags of 60..400 Hz.
inline double Periodicity(const std::vector<double>& x) {
  const std::vector<double> r = Autocorrelation(x, kRate / 60);
  return *std::max_element(r.begin() + kRate / 400, r.end());
}

// Autocorrelation F0 from 50 to 500 Hz: the shortest lag whose correlation
// is a local peak within 90 % of the best, refined by a parabola.
inline double EstimateF0(const std::vector<double>& x) {
  const int minLag = kRate / 500, maxLag = kRate / 50 + 1;
  const std::vector<double> r = Autocorrelation(x, maxLag + 1);
  const double best = *std::max_element(r.begin() + minLag, r.end() - 1);
  for (int lag = minLag; lag < maxLag; ++lag) {
    if (r[lag] >= 0.9 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
      return kRate / (lag + Vertex(r[lag - 1], r[lag], r[lag + 1]));
    }
  }
  return 0.0;
}

// Formant frequencies by LPC: pre-emphasis, Hamming window, autocorrelation
// method with Levinson-Durbin; the peaks of the model's spectrum above
// 150 Hz, in 10 Hz steps.
inline std::vector<double> LpcFormants(const std::vector<double>& input, int order) {
  const std::size_t n = input.size();
  std::vector<double> x(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double pre = input[i] - (i > 0 ? 0.97 * input[i - 1] : 0.0);
    x[i] = pre * (0.54 - 0.46 * std::cos(2.0 * kPi * i / (n - 1)));
  }
  std::vector<double> r(order + 1, 0.0);
  for (int lag = 0; lag <= order; ++lag) {
    for (std::size_t i = 0; i + lag < n; ++i) r[lag] += x[i] * x[i + lag];
  }
  std::vector<double> a(order + 1, 0.0);
  a[0] = 1.0;
  double error = r[0];
  for (int i = 1; i <= order; ++i) {
    double acc = r[i];
    for (int j = 1; j < i; ++j) acc += a[j] * r[i - j];
    const double k = -acc / error;
    const std::vector<double> prev = a;
    for (int j = 1; j < i; ++j) a[j] = prev[j] + k * prev[i - j];
    a[i] = k;
    error *= 1.0 - k * k;
  }
  std::vector<double> formants, gain;
  for (double hz = 140.0; hz < kRate / 2.0; hz += 10.0) {
    std::complex<double> sum = 0.0;
    for (int k = 0; k <= order; ++k) sum += a[k] * std::polar(1.0, -2.0 * kPi * k * hz / kRate);
    gain.push_back(1.0 / std::norm(sum));
    const std::size_t m = gain.size();
    if (m >= 3 && gain[m - 2] > gain[m - 3] && gain[m - 2] > gain[m - 1])
      formants.push_back(hz - 10.0);
  }
  return formants;
}

// Power spectrum of a Hann-windowed stretch (a plain DFT: the stretches are
// short); bin k lies at k * binHz.
struct Spectrum {
  std::vector<double> power;
  double binHz = 0.0;
};
inline Spectrum PowerSpectrum(const std::vector<double>& x) {
  const std::size_t n = x.size();
  std::vector<double> w(n);
  for (std::size_t i = 0; i < n; ++i) w[i] = x[i] * (0.5 - 0.5 * std::cos(2.0 * kPi * i / (n - 1)));
  Spectrum s{{}, static_cast<double>(kRate) / n};
  for (std::size_t k = 0; k <= n / 2; ++k) {
    const std::complex<double> step = std::polar(1.0, -2.0 * kPi * k / n);
    std::complex<double> sum = 0.0, turn = 1.0;
    for (std::size_t i = 0; i < n; ++i, turn *= step) sum += w[i] * turn;
    s.power.push_back(std::norm(sum));
  }
  return s;
}

// The share of a stretch's power from lowHz up to highHz, in dB.
inline double BandShareDb(const std::vector<double>& x, double lowHz, double highHz) {
  const Spectrum s = PowerSpectrum(x);
  double band = 0.0, total = 0.0;
  for (std::size_t k = 1; k < s.power.size(); ++k) {
    total += s.power[k];
    if (k * s.binHz >= lowHz && k * s.binHz < highHz) band += s.power[k];
  }
  return 10.0 * std::log10(std::max(band, 1e-30) / std::max(total, 1e-30));
}

// Mean-square level of a stretch in dB.
inline double LevelDb(const std::vector<double>& x) {
  double sum = 0.0;
  for (double v : x) sum += v * v;
  return 10.0 * std::log10(std::max(sum / std::max<std::size_t>(x.size(), 1), 1e-30));
}

// Local jitter of a voiced stretch near f0: the mean absolute difference
// of consecutive periods over their mean. Each period is the lag that best
// aligns a stretch of one period with the next (refined by a parabola).
inline double LocalJitter(const std::vector<double>& x, double f0) {
  const int period = static_cast<int>(kRate / f0), reach = period / 10 + 2;
  std::vector<double> periods;
  for (std::size_t at = 0; at + 2 * period + 2 * reach < x.size(); at += period) {
    const auto r = [&](int lag) { return Correlation(x, at, lag, period); };
    int best = period - reach;
    for (int lag = best; lag <= period + reach; ++lag) best = r(lag) > r(best) ? lag : best;
    periods.push_back(best + Vertex(r(best - 1), r(best), r(best + 1)));
  }
  double sum = periods.empty() ? 0.0 : periods[0], diff = 0.0;
  for (std::size_t i = 1; i < periods.size(); ++i) {
    sum += periods[i];
    diff += std::abs(periods[i] - periods[i - 1]);
  }
  return periods.size() < 2 ? 0.0 : (diff / (periods.size() - 1)) / (sum / periods.size());
}

// The rate and samples of a 16-bit PCM WAVE file with the engine's 44-byte
// header (sizes checked); ok is false for anything else.
struct Wave {
  bool ok = false;
  uint32_t rate = 0;
  std::vector<int16_t> samples;
};
inline Wave ReadWave(const std::string& path) {
  const std::string bytes = testing_support::ReadFile(path);
  Wave w;
  uint32_t size = 0;  // little-endian, as the host
  if (bytes.size() >= 44) std::memcpy(&size, bytes.data() + 40, 4);
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 ||
      bytes.compare(8, 8, "WAVEfmt ") != 0 || bytes.compare(36, 4, "data") != 0 ||
      size != bytes.size() - 44 || size % 2 != 0) {
    return w;
  }
  std::memcpy(&w.rate, bytes.data() + 24, 4);
  w.samples.resize(size / 2);
  std::memcpy(w.samples.data(), bytes.data() + 44, size);
  w.ok = true;
  return w;
}

}  // namespace synth_test
