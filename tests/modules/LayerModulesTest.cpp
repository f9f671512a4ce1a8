// The syllable, word, phrase and sentence layers built from phone strings.
#include <array>
#include <string>
#include <vector>

#include "tests/modules/ProsodyTestBed.h"

namespace {

using LayerModulesTest = prosody_testing::ProsodyBed;

TEST_F(LayerModulesTest, SyllablesAndWordsCarryStressAndWordMarks) {
  UseFont("VM_LayerSyllable;VM_LayerWord");
  // phones, syllables, words
  const std::vector<std::array<const char*, 3>> cases = {
      {"kAlimEra.", "kA stressed:1\tword:start | li  | mE stressed:1 | ra word:fin", "kAlimEra "},
      // Consonants before a non-phone join the last syllable.
      {"ast_ke.", "ast word:start\tword:fin | ke word:start\tword:fin", "ast  | ke conjunction:1"},
      // Leading consonants without a vowel: one token up to the non-phone.
      {"st_a.", "st_ word:start\tword:fin | a word:start\tword:fin", "st  | a "},
      // Phones at the end of the text make no word, trailing consonants no syllable.
      {"_kas", "ka ", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    Run(c[0]);
    EXPECT_EQ(Tokens(layers::kSyllable), c[1]);
    EXPECT_EQ(Tokens(layers::kWord), c[2]);
  }
}

TEST_F(LayerModulesTest, PhrasesAndSentencesTakeTheirTypesFromBreaksAndConjunctions) {
  UseFont(prosody_testing::kLayers);
  // phones, the text afterwards, phrases, sentences, words
  const std::vector<std::array<const char*, 5>> cases = {
      {"pAli_sas;", "pAli_sas;", "pAli_sas type:question", "pAli_sas type:question",
       "pAli phrase:start | sas phrase:fin"},
      {"pA!", "pA!", "pA type:exclamation", "pA type:exclamation", "pA phrase:start\tphrase:fin"},
      {"pA,_sas.", "pA,_sas.", "pA type:comma | sas type:stop", "pA,_sas type:stop", nullptr},
      {"pA.sas,", "pA.sas,", "pA type:stop | sas type:comma", "pA type:stop", nullptr},
      // A pause before a conjunction becomes a comma break.
      {"pAli_sas_ke_pA.", "pAli_sas/ke_pA.", "pAli_sas type:comma | ke_pA type:stop",
       "pAli_sas/ke_pA type:stop",
       "pAli phrase:start | sas phrase:fin | ke conjunction:1\tphrase:start | pA phrase:fin"},
      // A break two before the conjunction: nothing is rewritten.
      {"sas,_ke.", "sas,_ke.", "sas type:comma | ke type:stop", "sas,_ke type:stop", nullptr},
      // Decided: nor when the break stands right before it (the question stays).
      {"kalO;ke.", "kalO;ke.", "kalO type:question | ke type:stop",
       "kalO type:question | ke type:stop", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    Run(c[0]);
    EXPECT_EQ(composer_.text.Str(), c[1]);
    EXPECT_EQ(Tokens(layers::kPhrase), c[2]);
    EXPECT_EQ(Tokens(layers::kSentence), c[3]);
    if (c[4] != nullptr) {
      EXPECT_EQ(Tokens(layers::kWord), c[4]);
    }
  }
}

}  // namespace
