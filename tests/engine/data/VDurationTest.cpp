#include "engine/data/VDuration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/ArraysTestBed.h"

namespace {

using testing_support::MessageRecorder;
using Strings = std::vector<std::string>;

class VDurationTest : public testing_support::ArraysTestBed {
 protected:
  std::vector<float> Entries() const {
    std::vector<float> out;
    for (int i = 0; i < duration_.GetSize(); ++i) out.push_back(duration_.Get(i));
    return out;
  }
};

// Entries that cannot be allocated.
class FailingDuration : public VDuration {
 protected:
  bool AllocateEntries(std::size_t) override { return false; }
};

TEST_F(VDurationTest, ThreePhonesOfFactorOneFinaliseToTheReference) {
  SetText("mat");
  EXPECT_EQ(duration_.Prepare(), 1);
  EXPECT_TRUE(duration_.IsPrepared());
  EXPECT_EQ(duration_.GetSize(), 3);
  EXPECT_EQ(Entries(), (std::vector<float>{1.0f, 1.0f, 1.0f}));
  EXPECT_EQ(duration_.Finalise(), 1);
  EXPECT_TRUE(duration_.IsFinalised());
  EXPECT_EQ(Entries(), (std::vector<float>{100.0f, 100.0f, 100.0f}));
  EXPECT_FLOAT_EQ(duration_.TotalOfPhones(), 300.0f);

  // A second finalisation changes nothing.
  EXPECT_EQ(duration_.Finalise(), 2);
  EXPECT_EQ(Entries(), (std::vector<float>{100.0f, 100.0f, 100.0f}));
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VDurationTest, SpeedScaleRaisesTheBaseAndQuantisesHalfDown) {
  SetText("mat");
  duration_.SetScale(1.5f);
  EXPECT_EQ(duration_.GetBase(), 150);
  EXPECT_EQ(duration_.Finalise(), 1);
  // 150 / 20 = 7.5, an exact half, goes down to 7: 140 ms.
  EXPECT_EQ(Entries(), (std::vector<float>{140.0f, 140.0f, 140.0f}));
  // The base is truncated toward zero, from a single-precision product.
  for (const auto& [scale, base] :
       {std::pair{1.999f, 199}, {0.7f, 70}, {0.9f, 90}, {1.3f, 130}, {1.9f, 190}}) {
    duration_.SetScale(scale);
    EXPECT_EQ(duration_.GetBase(), base) << scale;
  }
}

TEST_F(VDurationTest, FactorsAreQuantisedToTheTimeQuantum) {
  // Factor and ms: 100 ms x factor in quanta of 20, halves rounded down.
  const std::vector<std::pair<float, float>> cases = {
      {0.5f, 40.0f},   {1.5f, 140.0f}, {1.75f, 180.0f}, {1.25f, 120.0f}, {0.125f, 20.0f},
      {0.0625f, 0.0f}, {0.0f, 0.0f},   {1.1f, 100.0f},  {1.7f, 160.0f},  {0.1f, 0.0f}};
  SetText(std::string(cases.size(), 'a'));
  ASSERT_EQ(duration_.Prepare(), 1);
  for (size_t i = 0; i < cases.size(); ++i) duration_.Multiply(static_cast<int>(i), cases[i].first);
  ASSERT_EQ(duration_.Finalise(), 1);
  for (size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(duration_.Get(static_cast<int>(i)), cases[i].second) << cases[i].first;
  }
}

TEST_F(VDurationTest, ACharacterThatIsNotAPhoneIsFinalisedButNotCounted) {
  SetText("a.m_");
  ASSERT_EQ(duration_.Finalise(), 1);
  EXPECT_EQ(Entries(), (std::vector<float>{100.0f, 100.0f, 100.0f, 100.0f}));
  EXPECT_FLOAT_EQ(duration_.TotalOfPhones(), 200.0f);
}

TEST_F(VDurationTest, NegativeDurationsAndEmptyTextsCountAsNothingInTheTotal) {
  SetText("mat");
  ASSERT_EQ(duration_.Finalise(), 1);
  ASSERT_TRUE(duration_.Set(1, -40.0f));
  EXPECT_FLOAT_EQ(duration_.TotalOfPhones(), 200.0f);

  SetText("");
  duration_.Reset();
  EXPECT_EQ(duration_.Finalise(), 1);
  EXPECT_EQ(duration_.GetSize(), 0);
  EXPECT_EQ(duration_.TotalOfPhones(), 0.0f);
}

TEST_F(VDurationTest, ModulesMultiplyAndSetEntriesInsideTheArrayOnly) {
  SetText("ma");
  ASSERT_EQ(duration_.Prepare(), 1);
  EXPECT_TRUE(duration_.Multiply(0, 0.9f));
  EXPECT_TRUE(duration_.Multiply(0, 2.0f));
  EXPECT_TRUE(duration_.Set(1, 1.75f));
  EXPECT_FALSE(duration_.Multiply(-1, 2.0f));
  EXPECT_FALSE(duration_.Multiply(2, 2.0f));
  EXPECT_FALSE(duration_.Set(-1, 2.0f));
  EXPECT_FALSE(duration_.Set(2, 2.0f));
  EXPECT_EQ(Entries(), (std::vector<float>{0.9f * 2.0f, 1.75f}));
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VDurationTest, PreparingAgainKeepsTheFactorsUntilReset) {
  SetText("ma");
  ASSERT_EQ(duration_.Prepare(), 1);
  duration_.Multiply(0, 1.5f);
  EXPECT_EQ(duration_.Prepare(), 1);
  EXPECT_EQ(duration_.Get(0), 1.5f);

  ASSERT_EQ(duration_.Finalise(), 1);
  EXPECT_EQ(duration_.Reset(), 1);
  EXPECT_FALSE(duration_.IsFinalised());
  EXPECT_EQ(duration_.Get(0), 140.0f);  // until the next preparation

  SetText("mat");
  EXPECT_EQ(duration_.Prepare(), 1);
  EXPECT_EQ(Entries(), (std::vector<float>{1.0f, 1.0f, 1.0f}));
  EXPECT_EQ(duration_.Finalise(), 1);
}

TEST_F(VDurationTest, SettingsAreReadAgainAtEveryPreparation) {
  UseFont(50, 100, 120);
  SetText("aa");
  ASSERT_EQ(duration_.Prepare(), 1);
  EXPECT_EQ(duration_.GetTimeQuantum(), 50);
  duration_.Multiply(1, 1.25f);
  ASSERT_EQ(duration_.Finalise(), 1);
  // 100 / 50 = 2; 125 / 50 = 2.5 -> 2.
  EXPECT_EQ(Entries(), (std::vector<float>{100.0f, 100.0f}));

  UseFont(20, 80, 120);
  // Without a reset the array stays as it is.
  EXPECT_EQ(duration_.Prepare(), 1);
  EXPECT_EQ(duration_.GetTimeQuantum(), 50);

  duration_.Reset();
  ASSERT_EQ(duration_.Finalise(), 1);
  EXPECT_EQ(duration_.GetTimeQuantum(), 20);
  EXPECT_EQ(duration_.GetReference(), 80);
  EXPECT_EQ(Entries(), (std::vector<float>{80.0f, 80.0f}));
}

TEST_F(VDurationTest, TimeQuantumOfZeroOrBelowFailsThePreparation) {
  const std::pair<std::string, std::string> cases[] = {
      {"TIMEQUANTUM=0\nDuration reference=100\n", "[0]"},
      {"TIMEQUANTUM=-20\nDuration reference=100\n", "[-20]"},
      {"Duration reference=100\n", "[0]"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    MessageRecorder boxes;
    duration_.Reset();
    UseFont(c.first);
    SetText("mat");
    EXPECT_EQ(duration_.Prepare(), VDuration::kBadTimeQuantum);
    EXPECT_EQ(duration_.GetSize(), 0);
    EXPECT_EQ(duration_.Finalise(), 0);
    EXPECT_EQ(duration_.TotalOfPhones(), 0.0f);
    EXPECT_GT(duration_.GetTimeQuantum(), 0);  // never the refused one
    const std::string report = "VDuration::Prepare()@TIMEQUANTUM must be positive: " + c.second;
    EXPECT_EQ(boxes.reports(), Strings{report});  // once per run
  }
}

TEST_F(VDurationTest, GetChecksBothEndsOfTheArray) {
  SetText("mat");
  ASSERT_EQ(duration_.Finalise(), 1);
  EXPECT_EQ(duration_.Get(0), 100.0f);
  EXPECT_EQ(duration_.Get(2), 100.0f);
  EXPECT_TRUE(Reported().empty());

  EXPECT_EQ(duration_.Get(3), 0.0f);
  EXPECT_EQ(duration_.Get(-1), 0.0f);
  EXPECT_EQ(duration_.Get(1000), 0.0f);
  EXPECT_EQ(Reported(), (Strings{"in_at >= m_size", "in_at < 0", "in_at >= m_size"}));
  EXPECT_TRUE(testing_support::FileExists(inst_.workDir() + "/TamrinError.txt"));
}

TEST_F(VDurationTest, FinaliseWithAChangedTextLengthProcessesThePreparedEntries) {
  SetText("mat");
  ASSERT_EQ(duration_.Prepare(), 1);
  duration_.Multiply(2, 1.5f);

  SetText("matam");  // longer
  EXPECT_EQ(duration_.Finalise(), 1);
  EXPECT_EQ(Reported(), (Strings{"len!=m_size [1]!"}));
  EXPECT_EQ(duration_.GetSize(), 3);
  EXPECT_EQ(Entries(), (std::vector<float>{100.0f, 100.0f, 140.0f}));
  EXPECT_FLOAT_EQ(duration_.TotalOfPhones(), 340.0f);

  duration_.Reset();
  SetText("mat");
  ASSERT_EQ(duration_.Prepare(), 1);
  SetText("m");  // shorter
  EXPECT_EQ(duration_.Finalise(), 1);
  EXPECT_EQ(Reported(), (Strings{"len!=m_size [1]!", "len!=m_size [1]!"}));
  EXPECT_EQ(Entries(), (std::vector<float>{100.0f, 100.0f, 100.0f}));
  // Only the characters still in the text count.
  EXPECT_FLOAT_EQ(duration_.TotalOfPhones(), 100.0f);
}

TEST_F(VDurationTest, PreparationFailuresAreReported) {
  VDuration lone;
  EXPECT_EQ(lone.Prepare(), VDuration::kNoComposer);
  EXPECT_EQ(Reported(), (Strings{"Null Tamrin.", "VDuration::Prepare"}));
  EXPECT_EQ(lone.Finalise(), 0);
  EXPECT_EQ(lone.TotalOfPhones(), 0.0f);

  // Entries that cannot be allocated give a log line.
  FailingDuration failing;
  failing.SetComposer(&composer_);
  SetText("mat");
  EXPECT_EQ(failing.Prepare(), VDuration::kAllocationFailed);
  EXPECT_EQ(failing.GetSize(), 0);
  EXPECT_EQ(LogErrors(), (Strings{"*** ERROR:\tVDuration::Prepare()new float[m_size] failed"}));
  EXPECT_EQ(failing.Finalise(), 0);
}

}  // namespace
