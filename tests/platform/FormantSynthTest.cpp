// The synthesizer measured on its own output: sample counts, pitch,
// formants, frication, silence, level and smoothness, driven through the
// entry points of the built mbrola.so with the engine's loop.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/mbrola/FormantVoice.h"
#include "tests/common/TestSupport.h"
#include "tests/platform/SynthTestSupport.h"

namespace {

using synth_test::Phone;
using synth_test::Said;

// Bounds stated by the synthesizer: at volume 1 no sample reaches the soft
// limiter's knee, and no step between neighbouring samples exceeds kMaxStep.
constexpr int kKnee = 24000;
constexpr int kMaxStep = 12000;
// LPC order for formants: the usual rate / 1000 + 2 (below 20 the peaks of
// F1 and F2 of o and u merge).
constexpr int kLpcOrder = 24;
// Samples next to a silence stay within this (the fade into and out of "_").
constexpr int kEdge = 256;

class FormantSynthTest : public synth_test::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    std::string error;
    ASSERT_EQ(voice_.Load(synth_test::VoicePath(), error), formant::FormantVoice::LoadResult::kOk)
        << error;
  }

  Said Say(const std::vector<Phone>& phones) { return synth_test::Say(lib_, phones); }

  formant::FormantVoice voice_;
};

// A sentence with every phone of the voice, a moving contour, phones with
// and without pitch points.
std::vector<Phone> Sentence() {
  return synth_test::Phones(
      "_ 60 0:120, k 90 50:118, a 120 0:125 100:140, l 80, i 100 50:150, m 90, e 150 20:160 "
      "80:130, r 80 50:120, a 200, s 120 50:112, a 90 0:110, v 100, o 130 100:100, D 90, u 110 "
      "50:95, z 100, i 90 50:105, G 100, o 100 0:115, j 90, a 120 100:130, n 100, e 100 50:125, "
      "b 80, a 100 50:118, d 80, o 100, g 80, a 100 50:112, p 90, e 100, t 90, i 100 50:108, c 90, "
      "i 100, f 110, o 100, T 110, u 100, x 110, a 160 0:105 100:90, _ 60");
}

// The target pitch at ms: linear between all points of the phones, the
// first value before the first point and the last after the last one.
double TargetF0(const std::vector<Phone>& phones, double ms) {
  std::vector<std::pair<double, double>> points;
  double start = 0.0;
  for (const Phone& p : phones) {
    for (const auto& [pct, f0] : p.points) points.emplace_back(start + pct * p.ms / 100.0, f0);
    start += p.ms;
  }
  std::size_t i = 0;
  while (i < points.size() && points[i].first < ms) ++i;
  if (i == 0 || i == points.size()) return points[i == 0 ? 0 : i - 1].second;
  const auto& [t0, f0] = points[i - 1];
  const auto& [t1, f1] = points[i];
  return f0 + (f1 - f0) * (ms - t0) / (t1 - t0);
}

TEST_F(FormantSynthTest, SampleCountIsTheSummedDurationTimesTheRate) {
  std::vector<Phone> many;
  for (int i = 0; i < 400; ++i) many.push_back({i % 2 ? "a" : "t", 10.3, {{50, 120}}});
  // Cumulative rounding: every phone within one sample of its exact length;
  // the many phones overflow the queue, the drive loop drains and offers again.
  for (const std::vector<Phone>& phones :
       {Sentence(), synth_test::Phones("a 33.3, s 12.7, _ 0.45, o 101.01"),
        synth_test::Phones("a 0, e 50, _ 0, i 0"), many}) {
    SCOPED_TRACE(phones.size());
    Say(phones);
  }
}

TEST_F(FormantSynthTest, PitchOfEveryVoicedPhoneFollowsTheContour) {
  const std::vector<Phone> phones = Sentence();
  const Said said = Say(phones);
  double start = 0.0;
  int measured = 0;
  for (std::size_t i = 0; i < phones.size(); ++i) {
    const Phone& p = phones[i];
    const double from = start + 0.25 * p.ms, to = start + 0.75 * p.ms;
    start += p.ms;
    if (voice_.Find(p.symbol)->av <= 0.0f || p.ms < 80) continue;
    const double f0 = synth_test::EstimateF0(said.Middle(i));
    double target = 0.0;  // the mean over the middle half
    for (int k = 0; k <= 200; ++k) target += TargetF0(phones, from + (to - from) * k / 200) / 201;
    EXPECT_NEAR(f0, target, 0.03 * target) << "phone " << i << " '" << p.symbol << "'";
    ++measured;
  }
  EXPECT_GE(measured, 25);
}

TEST_F(FormantSynthTest, VowelFormantsMatchTheVoiceTargets) {
  for (const char* vowel : {"a", "e", "i", "o", "u"}) {
    const std::vector<Phone> phones = {
        {"_", 100, {{0, 115}}}, {vowel, 200, {{0, 115}, {100, 105}}}, {"_", 100, {}}};
    const std::vector<double> formants = synth_test::LpcFormants(Say(phones).Middle(1), kLpcOrder);
    const formant::PhoneTargets* targets = voice_.Find(vowel);
    ASSERT_NE(targets, nullptr);
    ASSERT_GE(formants.size(), 2u) << vowel;
    const double f1 = targets->track[formant::kF1], f2 = targets->track[formant::kF1 + 1];
    EXPECT_NEAR(formants[0], f1, 0.1 * f1) << vowel;
    EXPECT_NEAR(formants[1], f2, 0.1 * f2) << vowel;
  }
}

// The female voice: every phone of the male voice, its formants those of a
// shorter vocal tract, its pitch about 200 Hz.
TEST_F(FormantSynthTest, TheFemaleVoiceSaysEveryPhoneHigher) {
  ASSERT_EQ(lib_.Fresh(std::string(TM_SOURCE_DIR) + "/data/voices/gr_female.voice"), 0);
  Say(Sentence());  // an unknown phone would be skipped, its samples missing
  const std::vector<double> middle = Say(synth_test::Phones("_ 50, a 300, _ 50")).Middle(1);
  EXPECT_NEAR(synth_test::EstimateF0(middle), 200.0, 20.0);
  const std::vector<double> formants = synth_test::LpcFormants(middle, kLpcOrder);
  ASSERT_GE(formants.size(), 2u);
  for (int k = 0; k < 2; ++k) {
    const double male = voice_.Find("a")->track[formant::kF1 + k];
    EXPECT_GT(formants[k], 1.08 * male);
    EXPECT_LT(formants[k], 1.25 * male);
  }
}

TEST_F(FormantSynthTest, SilenceIsDigitalZeroAndItsEdgesAreQuiet) {
  const std::vector<Phone> phones =
      synth_test::Phones("_ 80 0:120, a 100, _ 70, s 100, _ 55.5, m 90, _ 40");
  const auto& [samples, b] = Say(phones);
  for (std::size_t i = 0; i < phones.size(); ++i) {
    if (phones[i].symbol != "_") {
      long loud = 0;
      for (long s = b[i]; s < b[i + 1]; ++s) loud += std::abs(samples[s]) > 500;
      EXPECT_GT(loud, 100) << phones[i].symbol;
      EXPECT_LE(std::abs(samples[b[i]]), kEdge) << phones[i].symbol;
      EXPECT_LE(std::abs(samples[b[i + 1] - 1]), kEdge) << phones[i].symbol;
      continue;
    }
    for (long s = b[i]; s < b[i + 1]; ++s) ASSERT_EQ(samples[s], 0) << "sample " << s;
  }
}

TEST_F(FormantSynthTest, NoClippingAndNoLargeStepsOverPitchExtremes) {
  int peak = 0, step = 0;
  for (double f0 : {70.0, 110.0, 180.0, 250.0, 330.0, 400.0}) {
    std::vector<Phone> phones = Sentence();
    for (Phone& p : phones) {
      for (auto& point : p.points) point.second = f0 * point.second / 120.0;
    }
    const std::vector<int16_t> x = Say(phones).samples;
    for (std::size_t i = 1; i < x.size(); ++i) {
      peak = std::max(peak, std::abs(static_cast<int>(x[i])));
      step = std::max(step, std::abs(x[i] - x[i - 1]));
    }
  }
  EXPECT_LT(peak, kKnee);
  EXPECT_LE(step, kMaxStep);

  // Far above the usual volume the soft limiter holds every sample.
  lib_.setVolumeRatio_MBR(8.0f);
  const std::vector<int16_t> loud = Say(Sentence()).samples;
  const auto [low, high] = std::minmax_element(loud.begin(), loud.end());
  EXPECT_GT(std::max(-*low, static_cast<int>(*high)), kKnee);
  EXPECT_LE(std::max(-*low, static_cast<int>(*high)), 32000);
}

}  // namespace
