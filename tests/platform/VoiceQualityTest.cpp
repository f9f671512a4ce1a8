// Voice quality measured on the synthesizer's own output, one row per
// feature; each row's figure is also recorded as a test property
// (--gtest_output=xml shows the table).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tests/platform/SynthTestSupport.h"

namespace {

using synth_test::BandShareDb;
using synth_test::LevelDb;
using synth_test::Slice;

constexpr double kTop = synth_test::kRate / 2.0;
constexpr long kMs = synth_test::kRate / 1000;  // samples per ms, nearly
constexpr int kF0 = 105;                        // Hz: a period of exactly 210 samples
constexpr long kPeriod = synth_test::kRate / kF0;

using synth_test::Said;

// Levels in dB re the middle of phone `ref`, of windows of `window` samples
// ending every half ms from `from` to `to`.
std::vector<double> Envelope(const Said& s, long from, long to, long window, std::size_t ref) {
  std::vector<double> levels;
  for (long end = from; end <= to; end += kMs / 2) {
    levels.push_back(LevelDb(Slice(s.samples, std::max(0L, end - window), end)) -
                     LevelDb(s.Middle(ref)));
  }
  return levels;
}

// The strongest 5 ms of phone i above 3 kHz, in dB re the middle of phone i + 1.
double Burst(const Said& s, std::size_t i) {
  double best = -300.0;
  for (long end = s.b[i] + 5 * kMs; end <= s.b[i + 1]; end += kMs / 2) {
    const std::vector<double> w = Slice(s.samples, end - 5 * kMs, end);
    best = std::max(best, LevelDb(w) + BandShareDb(w, 3000, kTop));
  }
  return best - LevelDb(s.Middle(i + 1));
}

// Milliseconds from the last level at -6 dB to the first at -30 dB (re the
// phone before) after the start of phone i, with windows of one period.
double Decay(const Said& s, std::size_t i) {
  const std::vector<double> env = Envelope(s, s.b[i] - 30 * kMs, s.b[i] + 30 * kMs, kPeriod, i - 1);
  std::size_t first = 0;
  while (first < env.size() && env[first] > -30.0) ++first;
  std::size_t last = first;
  while (last > 0 && env[last - 1] < -6.0) --last;
  return 0.5 * static_cast<double>(first - last);
}

// The largest fall in 5 ms, down to -30 dB, as phone i fades into the pause
// after it; windows of `window` samples.
double PauseDrop(const Said& s, std::size_t i, long window) {
  const std::vector<double> env = Envelope(s, s.b[i + 1] - 60 * kMs, s.b[i + 1], window, i);
  double worst = 0.0;
  for (std::size_t k = 10; k < env.size() && env[k - 10] > -30.0; ++k) {
    worst = std::max(worst, env[k - 10] - env[k]);
  }
  return worst;
}

// The longest stretch of phone i 15 dB below phone i - 1, windows of 2.5 ms.
double Dip(const Said& s, std::size_t i) {
  double run = 0.0, longest = 0.0;
  for (double l : Envelope(s, s.b[i], s.b[i + 1], 5 * kMs / 2, i - 1)) {
    run = l < -15.0 ? run + 0.5 : 0.0;
    longest = std::max(longest, run);
  }
  return longest;
}

// The frequency of the strongest 500 Hz band of phone i's middle.
double PeakHz(const Said& s, std::size_t i) {
  const synth_test::Spectrum sp = synth_test::PowerSpectrum(s.Middle(i));
  const std::size_t half = static_cast<std::size_t>(250.0 / sp.binHz);
  double best = -1.0, at = 0.0;
  for (std::size_t k = half; k + half < sp.power.size(); ++k) {
    double sum = 0.0;
    for (std::size_t j = k - half; j <= k + half; ++j) sum += sp.power[j];
    if (sum > best) best = sum, at = k * sp.binHz;
  }
  return at;
}

struct Row {
  std::string feature;
  std::string phones;
  std::function<double(const Said&)> measure;
  double min, max;
};

using VoiceQualityTest = synth_test::LibraryTest;

TEST_F(VoiceQualityTest, MeasuredFeaturesOfTheGreekVoice) {
  // A phone between two [a], at 110 Hz; a phone alone at 105 Hz.
  const auto vcv = [](const std::string& phone, int ms = 100) {
    return "_ 100 0:110, a 150, " + phone + " " + std::to_string(ms) + ", a 150, _ 100";
  };
  const auto alone = [](const std::string& phone, int ms) {
    return "_ 100 0:" + std::to_string(kF0) + ", " + phone + " " + std::to_string(ms) + ", _ 100";
  };
  const auto above4k = [](const Said& s) { return BandShareDb(s.Middle(1), 4000, kTop); };
  const auto peak = [](const Said& s) { return PeakHz(s, 2); };
  std::vector<Row> rows = {
      {"[a] above 4 kHz, dB of the total", alone("a", 300), above4k, -45, 0},
      {"[i] above 4 kHz, dB of the total", alone("i", 300), above4k, -45, 0},
      {"[s] below 2.5 kHz, dB of the total", vcv("s", 200),
       [](const Said& s) { return BandShareDb(s.Middle(2), 0, 2500); }, -100, -18},
      {"[s] spectral peak, Hz", vcv("s", 200), peak, 4500, 6500},
      {"[C] spectral peak, Hz", vcv("C", 200), peak, 3500, 4500},
      {"[a] periodicity", alone("a", 300),
       [](const Said& s) { return synth_test::Periodicity(s.Middle(1)); }, 0.9, 1},
      {"[a] local jitter, %", alone("a", 1000),
       [](const Said& s) { return 100.0 * synth_test::LocalJitter(s.Middle(1), kF0); }, 0.3, 1.5},
      {"[a] largest 5 ms drop into a pause, dB", alone("a", 150),
       [](const Said& s) { return PauseDrop(s, 1, kPeriod); }, 0, 12},
      {"[s] largest 5 ms drop into a pause, dB", "_ 100 0:110, a 150, s 150, _ 100",
       [](const Said& s) { return PauseDrop(s, 2, 2 * kMs); }, 0, 12},
      {"[J] [L] loudest sample re the [a] before, dB", "_ 60 0:250, a 100, J 80, o 90, L 80, _ 60",
       [](const Said& s) {
         const auto loudest = [&s](long from, long to) {
           int most = 1;
           for (long k = from; k < to; ++k) most = std::max(most, std::abs(s.samples[k]));
           return most;
         };
         const int nasal = std::max(loudest(s.b[2], s.b[3]), loudest(s.b[4], s.b[5]));
         return 20.0 * std::log10(1.0 * nasal / loudest(s.b[1], s.b[2]));
       },
       -100, 0},
      {"[r] longest stretch 15 dB down in 40 ms, ms", vcv("r", 40),
       [](const Said& s) { return Dip(s, 2); }, 10, 40},
      {"[S] closure re frication, dB", vcv("S"),
       [](const Said& s) {
         const long n = s.b[3] - s.b[2];
         return LevelDb(Slice(s.samples, s.b[2] + n / 10, s.b[2] + n / 2)) -
                LevelDb(Slice(s.samples, s.b[3] - n / 4, s.b[3]));
       },
       -1000, -25},
  };
  for (const char* p : {"f", "T", "s", "x"}) {
    rows.push_back({std::string("[") + p + "] periodicity", vcv(p, 200),
                    [](const Said& s) { return synth_test::Periodicity(s.Middle(2)); }, 0, 0.3});
  }
  for (const char* p : {"m", "n"}) {
    rows.push_back({std::string("[") + p + "] murmur re the next vowel, dB", vcv(p),
                    [](const Said& s) { return LevelDb(s.Middle(2)) - LevelDb(s.Middle(3)); }, -12,
                    -7});
  }
  for (const char* p : {"b", "d", "g"}) {
    rows.push_back({std::string("[") + p + "] burst above 3 kHz re the next vowel, dB", vcv(p),
                    [](const Said& s) { return Burst(s, 2); }, -20, 10});
  }
  for (const char* p : {"t", "p"}) {
    rows.push_back({std::string("[") + p + "] decay into the closure, ms", vcv(p),
                    [](const Said& s) { return Decay(s, 2); }, 0, 8});
  }
  for (const Row& row : rows) {
    SCOPED_TRACE(row.feature);
    const double value = row.measure(synth_test::Say(lib_, synth_test::Phones(row.phones)));
    ::testing::Test::RecordProperty(row.feature.c_str(), std::to_string(value));
    EXPECT_GE(value, row.min);
    EXPECT_LE(value, row.max);
  }
}

}  // namespace
