// The duration factors of the tri-state rules, the phrase-final charges and
// the vowel filter.
#include <string>
#include <vector>

#include "tests/modules/ProsodyTestBed.h"

namespace {

using prosody_testing::kLayers;
using prosody_testing::kResources;

constexpr const char* kCharges =
    "VM_DurationWord.EndingCharge1=2\nVM_DurationWord.EndingCharge2=1.5\n"
    "VM_DurationWord.StopCharge=3\nVM_DurationWord.CommaCharge=5\nVM_DurationWord.QuestionCharge="
    "7\n";

using DurationModulesTest = prosody_testing::ProsodyBed;

TEST_F(DurationModulesTest, FactorsFollowTheNeighboursThePhraseTypeAndTheVowels) {
  const std::string tri = "VM_DurationTriState";
  const std::string word = std::string(kLayers) + "VM_DurationWord";
  const std::vector<std::tuple<std::string, const char*, std::vector<float>>> cases = {
      // Stressed 1.5; l between the vowels 1.2; o with no tri-state phone after it, '.': 1.3.
      {tri, "kAlo.", {1, 1.5f, 1.2f, 1.3f, 1}},
      {tri, "A.", {1, 1}},
      // Syllable ends of the phrase-final word: 1.5 (EndingCharge2), the last
      // 2 (EndingCharge1), times the type's charge; s is voiceless.
      {word, "pAli.", {1, 4.5f, 1, 6, 1}},
      {word, "pAlis,", {1, 7.5f, 1, 1, 1, 1}},
      {word, "kalO_pAli;", {1, 1, 1, 1, 1, 1, 10.5f, 1, 14, 1}},
      {word, "pAli!", {1, 1, 1, 1, 1}},
      {"VM_DurationFilter", "kAlo.", {1, 0.9f, 1, 0.9f, 1}},
  };
  for (const auto& [chain, phones, factors] : cases) {
    SCOPED_TRACE(chain + " " + phones);
    UseFont(chain, std::string(kResources) + kCharges);
    Run(phones);
    Expect(factors);
  }
  EXPECT_EQ(Logged(), 0);
}

TEST_F(DurationModulesTest, MissingRulesUncoveredWordsAndFailedPreparationsChangeNothing) {
  // Decided: no tri-state rules: one log line at set-up, factors unchanged.
  UseFont("VM_DurationTriState", "TIMEQUANTUM=20\nVM_DurationTristate.Compiler=none.3st\n");
  Run("kAlo.");
  Expect({1, 1, 1, 1, 1});
  EXPECT_EQ(Logged(), 1);

  // Decided: a phrase-final word that no syllable covers is skipped.
  UseFont(kLayers, std::string(kResources) + kCharges);
  Run("pAli.");
  mlds_.GetLayer(layers::kSyllable)->Reset();
  EXPECT_TRUE(wordDurations_.Run());
  Expect({1, 1, 1, 1, 1});

  // Decided: so is one whose syllable ends lie past the durations (prepared
  // for a shorter text), even the syllables that lie inside.
  duration_.Reset();
  composer_.text.SetText("pA");
  ASSERT_EQ(duration_.Prepare(), 1);
  composer_.text.SetText("pAli.");
  for (VModule* m :
       std::initializer_list<VModule*>{&syllables_, &words_, &phrases_, &wordDurations_}) {
    EXPECT_TRUE(m->Run());
  }
  Expect({1, 1});

  // Decided: a failed preparation does nothing, and the chain goes on.
  UseFont(kLayers, "TIMEQUANTUM=0\n");
  duration_.Reset();
  for (VModule* m : std::initializer_list<VModule*>{&triState_, &wordDurations_, &filter_}) {
    EXPECT_TRUE(m->Run());
  }
  EXPECT_EQ(duration_.GetSize(), 0);
}

}  // namespace
