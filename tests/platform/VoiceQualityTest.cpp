// Voice quality measured on the synthesizer's own output, one row per
// feature; each row's figure is also recorded as a test property
// (--gtest_output=xml shows the table).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Codepage.h"
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

// Phone 2 is the one between two [a] (see Vcv below).
constexpr std::size_t kMid = 2;

// The strongest 5 ms of phone 2 above 3 kHz, in dB re the middle of phone 3.
double Burst(const Said& s) {
  double best = -300.0;
  for (long end = s.b[kMid] + 5 * kMs; end <= s.b[kMid + 1]; end += kMs / 2) {
    const std::vector<double> w = Slice(s.samples, end - 5 * kMs, end);
    best = std::max(best, LevelDb(w) + BandShareDb(w, 3000, kTop));
  }
  return best - LevelDb(s.Middle(kMid + 1));
}

// Milliseconds from the last level at -6 dB to the first at -30 dB (re the
// phone before) after the start of phone 2, with windows of one period.
double Decay(const Said& s) {
  const std::vector<double> env =
      Envelope(s, s.b[kMid] - 30 * kMs, s.b[kMid] + 30 * kMs, kPeriod, kMid - 1);
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

// The longest stretch of phone 2 15 dB below phone 1, windows of 2.5 ms.
double Dip(const Said& s) {
  double run = 0.0, longest = 0.0;
  for (double l : Envelope(s, s.b[kMid], s.b[kMid + 1], 5 * kMs / 2, kMid - 1)) {
    run = l < -15.0 ? run + 0.5 : 0.0;
    longest = std::max(longest, run);
  }
  return longest;
}

// The frequency of the strongest 500 Hz band of phone 2's middle.
double PeakHz(const Said& s) {
  const synth_test::Spectrum sp = synth_test::PowerSpectrum(s.Middle(kMid));
  const std::size_t half = static_cast<std::size_t>(250.0 / sp.binHz);
  double best = -1.0, at = 0.0;
  for (std::size_t k = half; k + half < sp.power.size(); ++k) {
    double sum = 0.0;
    for (std::size_t j = k - half; j <= k + half; ++j) sum += sp.power[j];
    if (sum > best) best = sum, at = k * sp.binHz;
  }
  return at;
}

// A phone (written %) between two [a] at 110 Hz, or alone at 105 Hz.
std::string Vcv(int ms) { return "_ 100 0:110, a 150, % " + std::to_string(ms) + ", a 150, _ 100"; }
std::string Alone(int ms) { return "_ 100 0:105, % " + std::to_string(ms) + ", _ 100"; }

// Measurements of the phone alone (phone 1) or between two [a] (phone 2).
double PeriodicityAlone(const Said& s) { return synth_test::Periodicity(s.Middle(1)); }
double PeriodicityMid(const Said& s) { return synth_test::Periodicity(s.Middle(kMid)); }
double Above4k(const Said& s) { return BandShareDb(s.Middle(1), 4000, kTop); }

struct Row {
  // The phones of the Greek and of the English voice (UTF-8; "" for none),
  // each measured on its own in the text.
  const char* greek;
  const char* english;
  std::string feature, text;
  std::function<double(const Said&)> measure;
  double min, max;
};

using VoiceQualityTest = synth_test::LibraryTest;

// The rows of both voices; the English voice has no [C], [x], [J] or [L],
// and its affricate [tS] is written with the symbol of [S].
std::vector<Row> Rows() {
  return {
      {"a i", "a i", "above 4 kHz, dB of the total", Alone(300), Above4k, -45, 0},
      {"s", "s", "below 2.5 kHz, dB of the total", Vcv(200),
       [](const Said& s) { return BandShareDb(s.Middle(kMid), 0, 2500); }, -100, -18},
      {"s", "s", "spectral peak, Hz", Vcv(200), PeakHz, 4500, 6500},
      {"C", "", "spectral peak, Hz", Vcv(200), PeakHz, 3500, 4500},
      {"a", "a", "periodicity", Alone(300), PeriodicityAlone, 0.9, 1},
      {"f T s x", "f T s σ", "periodicity", Vcv(200), PeriodicityMid, 0, 0.3},
      {"a", "a", "local jitter, %", Alone(1000),
       [](const Said& s) { return 100.0 * synth_test::LocalJitter(s.Middle(1), kF0); }, 0.3, 1.5},
      {"a", "a", "largest 5 ms drop into a pause, dB", Alone(150),
       [](const Said& s) { return PauseDrop(s, 1, kPeriod); }, 0, 12},
      {"s", "s", "largest 5 ms drop into a pause, dB", "_ 100 0:110, a 150, % 150, _ 100",
       [](const Said& s) { return PauseDrop(s, 2, 2 * kMs); }, 0, 12},
      {"J", "", "and [L]: loudest sample re the [a] before, dB",
       "_ 60 0:250, a 100, % 80, o 90, L 80, _ 60",
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
      {"r", "r", "longest stretch 15 dB down in 40 ms, ms", Vcv(40), Dip, 10, 40},
      {"S", "τ", "closure re frication, dB", Vcv(100),
       [](const Said& s) {
         const long n = s.b[3] - s.b[2];
         return LevelDb(Slice(s.samples, s.b[2] + n / 10, s.b[2] + n / 2)) -
                LevelDb(Slice(s.samples, s.b[3] - n / 4, s.b[3]));
       },
       -1000, -25},
      {"m n", "m n", "murmur re the next vowel, dB", Vcv(100),
       [](const Said& s) { return LevelDb(s.Middle(kMid)) - LevelDb(s.Middle(kMid + 1)); }, -12,
       -7},
      {"b d g", "b d g", "burst above 3 kHz re the next vowel, dB", Vcv(100), Burst, -20, 10},
      {"t p", "t p", "decay into the closure, ms", Vcv(100), Decay, 0, 8},
  };
}

// Measures every row's phones of one voice (the phones of `phonesOf`),
// bound on the channel; the figures are recorded under the voice's name.
void MeasureVoice(synth_test::Library& lib, const std::string& voice, const std::string& name,
                  const char* Row::*phonesOf) {
  ASSERT_EQ(lib.Fresh(voice), 0) << lib.ErrorText();
  for (const Row& row : Rows()) {
    std::istringstream phones(row.*phonesOf);
    for (std::string p; phones >> p;) {
      const std::string feature = name + " [" + p + "] " + row.feature;
      SCOPED_TRACE(feature);
      std::string text = row.text;
      text.replace(text.find('%'), 1, platform::Utf8ToCp1253(p));
      const double value = row.measure(synth_test::Say(lib, synth_test::Phones(text)));
      ::testing::Test::RecordProperty(feature.c_str(), std::to_string(value));
      EXPECT_GE(value, row.min);
      EXPECT_LE(value, row.max);
    }
  }
}

TEST_F(VoiceQualityTest, MeasuredFeaturesOfTheGreekVoice) {
  MeasureVoice(lib_, synth_test::VoicePath(), "gr", &Row::greek);
}

// The English voice names its phones in Windows-1253: the build's copy.
TEST_F(VoiceQualityTest, MeasuredFeaturesOfTheEnglishVoice) {
  MeasureVoice(lib_, TM_DATA_BUILD_DIR "/voices/en.voice", "en", &Row::english);
}

}  // namespace
