// The syllable, word, phrase and sentence layers built from phone strings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/modules/ProsodyTestBed.h"

namespace {

using Texts = std::vector<std::string>;

using LayerModulesTest = prosody_testing::ProsodyBed;

TEST_F(LayerModulesTest, SyllablesAndWordsCarryStressAndWordMarks) {
  UseFont("VM_LayerSyllable;VM_LayerWord");
  struct Case {
    const char* phones;
    Texts syllables;
    Texts words;
  };
  const std::vector<Case> cases = {
      {"kAlimEra.",
       {"kA stressed:1\tword:start", "li ", "mE stressed:1", "ra word:fin"},
       {"kAlimEra "}},
      // Consonants before a non-phone join the last syllable.
      {"ast_ke.",
       {"ast word:start\tword:fin", "ke word:start\tword:fin"},
       {"ast ", "ke conjunction:1"}},
      // Leading consonants without a vowel: one token up to the non-phone.
      {"st_a.", {"st_ word:start\tword:fin", "a word:start\tword:fin"}, {"st ", "a "}},
      // Phones at the end of the text make no word; trailing consonants no syllable.
      {"_kas", {"ka "}, {}},
      {"", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.phones);
    Run(c.phones);
    EXPECT_EQ(Tokens(layer::kSyllable), c.syllables);
    EXPECT_EQ(Tokens(layer::kWord), c.words);
  }
  EXPECT_EQ(LogErrors(), Texts{});
}

TEST_F(LayerModulesTest, PhrasesAndSentencesTakeTheirTypesFromBreaksAndConjunctions) {
  UseFont(prosody_testing::kLayers);
  struct Case {
    const char* phones;
    const char* rewritten;
    Texts phrases;
    Texts sentences;
    Texts words;
  };
  const std::vector<Case> cases = {
      {"pAli_sas.",
       "pAli_sas.",
       {"pAli_sas type:stop"},
       {"pAli_sas type:stop"},
       {"pAli phrase:start", "sas phrase:fin"}},
      {"pAli_sas;", "pAli_sas;", {"pAli_sas type:question"}, {"pAli_sas type:question"}, {}},
      {"pAli_sas!", "pAli_sas!", {"pAli_sas type:exclamation"}, {"pAli_sas type:exclamation"}, {}},
      {"pA,_sas.",
       "pA,_sas.",
       {"pA type:comma", "sas type:stop"},
       {"pA,_sas type:stop"},
       {"pA phrase:start\tphrase:fin", "sas phrase:start\tphrase:fin"}},
      {"pA.sas,", "pA.sas,", {"pA type:stop", "sas type:comma"}, {"pA type:stop"}, {}},
      // A pause before a conjunction becomes a comma break.
      {"pAli_sas_ke_pA.",
       "pAli_sas/ke_pA.",
       {"pAli_sas type:comma", "ke_pA type:stop"},
       {"pAli_sas/ke_pA type:stop"},
       {"pAli phrase:start", "sas phrase:fin", "ke conjunction:1\tphrase:start", "pA phrase:fin"}},
      // A break two before the conjunction: nothing is rewritten.
      {"sas,_ke_pA.",
       "sas,_ke_pA.",
       {"sas type:comma", "ke_pA type:stop"},
       {"sas,_ke_pA type:stop"},
       {}},
      // Decided: nor when the break stands right before it (the question stays).
      {"kalO;ke_pA.",
       "kalO;ke_pA.",
       {"kalO type:question", "ke_pA type:stop"},
       {"kalO type:question", "ke_pA type:stop"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.phones);
    Run(c.phones);
    EXPECT_EQ(Text(), c.rewritten);
    EXPECT_EQ(Tokens(layer::kPhrase), c.phrases);
    EXPECT_EQ(Tokens(layer::kSentence), c.sentences);
    if (!c.words.empty()) {
      EXPECT_EQ(Tokens(layer::kWord), c.words);
    }
  }
}

}  // namespace
