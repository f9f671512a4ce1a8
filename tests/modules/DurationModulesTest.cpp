// The duration factors of the tri-state rules, the phrase-final charges and
// the vowel filter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/modules/ProsodyTestBed.h"

namespace {

using prosody_testing::kLayers;
using prosody_testing::kResources;

class DurationModulesTest : public prosody_testing::ProsodyBed {
 protected:
  static constexpr const char* kCharges =
      "VM_DurationWord.EndingCharge1=2\nVM_DurationWord.EndingCharge2=1.5\n"
      "VM_DurationWord.StopCharge=3\nVM_DurationWord.CommaCharge=5\n"
      "VM_DurationWord.QuestionCharge=7\n";
};

TEST_F(DurationModulesTest, FactorsFollowTheNeighboursThePhraseTypeAndTheVowels) {
  struct Case {
    std::string chain;
    const char* phones;
    std::vector<float> factors;
  };
  const std::string word = std::string(kLayers) + "VM_DurationWord";
  const std::vector<Case> cases = {
      // Stressed 1.5; l between the vowels 1.2; o with no tri-state phone after it, '.': 1.3.
      {"VM_DurationTriState", "kAlo.", {1, 1.5f, 1.2f, 1.3f, 1}},
      // a has no tri-state phone before it ('.'), so only the first rule could hold.
      {"VM_DurationTriState", "kalOs.", {1, 1, 1.2f, 1.5f, 1, 1}},
      {"VM_DurationTriState", "pt.", {1, 1, 1}},
      {"VM_DurationTriState", "A.", {1, 1}},
      // Syllable ends of the phrase-final word: EndingCharge2 (1.5), then
      // EndingCharge1 (2) on the last, times the type's charge.
      {word, "pAli.", {1, 4.5f, 1, 6, 1}},
      {word, "pAlis,", {1, 7.5f, 1, 1, 1, 1}},  // s, the last syllable's end, is voiceless
      {word, "kalO_pAli;", {1, 1, 1, 1, 1, 1, 10.5f, 1, 14, 1}},
      {word, "pAli!", {1, 1, 1, 1, 1}},
      {"VM_DurationFilter", "kAlo.", {1, 0.9f, 1, 0.9f, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chain + " " + c.phones);
    UseFont(c.chain, std::string(kResources) + kCharges);
    Run(c.phones);
    ExpectNear(Factors(), c.factors);
  }
  EXPECT_TRUE(LogErrors().empty());
}

TEST_F(DurationModulesTest, MissingRulesUncoveredWordsAndFailedPreparationsChangeNothing) {
  // Decided: no tri-state rules: one log line at set-up, factors unchanged.
  UseFont("VM_DurationTriState", "TIMEQUANTUM=20\nVM_DurationTristate.Compiler=none.3st\n");
  EXPECT_EQ(LogErrors().size(), 1u);
  Run("kAlo.");
  ExpectNear(Factors(), {1, 1, 1, 1, 1});
  EXPECT_EQ(LogErrors().size(), 1u);

  // Decided: a phrase-final word that no syllable covers is skipped.
  UseFont(kLayers, std::string(kResources) + kCharges);
  Run("pAli.");
  mlds_.GetLayer(layer::kSyllable)->Reset();
  EXPECT_TRUE(wordDurations_.Run());
  ExpectNear(Factors(), {1, 1, 1, 1, 1});

  // Decided: so is one whose syllable ends lie past the durations (prepared
  // for a shorter text), even its syllables that lie inside.
  duration_.Reset();
  composer_.text.SetText("pA");
  ASSERT_EQ(duration_.Prepare(), 1);
  composer_.text.SetText("pAli.");
  for (VModule* m : std::vector<VModule*>{&syllables_, &words_, &phrases_, &wordDurations_}) {
    EXPECT_TRUE(m->Run());
  }
  ExpectNear(Factors(), {1, 1});

  // Decided: a failed preparation does nothing, and the chain goes on.
  UseFont(kLayers, "TIMEQUANTUM=0\n");
  duration_.Reset();
  for (VModule* m : std::vector<VModule*>{&triState_, &wordDurations_, &filter_}) {
    EXPECT_TRUE(m->Run());
  }
  EXPECT_EQ(duration_.GetSize(), 0);
}

}  // namespace
