// The converter modules, word replacers, character filters and grammar
// tagging, run through the composer over a test installation.
#include <string>

#include "engine/base/Log.h"
#include "engine/base/VStr.h"
#include "engine/data/FeatureNames.h"
#include "modules/vm_grgrammar.h"
#include "modules/vm_user_tophones.h"
#include "platform/Codepage.h"
#include "tests/common/FakeComposer.h"
#include "tests/modules/TextTestBed.h"

namespace {

using platform::Utf8ToCp1253;
using text_testing::Texts;

class TextModulesTest : public text_testing::TextBed {
 protected:
  // English fonts whose letter-to-sound collection is upper.rul
  // ("english.vof") or missing ("nol2s.vof").
  void EnglishFonts() {
    inst_.write("lexicon/english.lex", "hello\tH@lo\n");
    for (const char* font : {"english", "nol2s"}) {
      Font(std::string(font) + ".vof", "VM_UsEnglish;P1",
           "VM_UsEnglish.Lexicon=english.lex\nVM_UsEnglish.L2s=" +
               std::string(font[0] == 'e' ? "upper" : "missing") +
               ".rul\nVM_UsEnglish.Delimiters=\" \"\n");
    }
  }
};

TEST_F(TextModulesTest, ConvertersApplyTheirKeysCollectionsInOrder) {
  inst_.Rules("rules/dup.rul", "@output-unknown yes\nA | - | - | AA | 1\n");
  // Every character takes the longest translation.
  inst_.Rules("rules/long.rul",
              "@output-unknown no\n\\s | - | - | 1234 | 1\n. | - | - | 1234 | 1\n"
              "A | - | - | 1234 | 1\nB | - | - | 1234 | 1\n");
  Font("conv.vof", "VM_FeederPre;P1;VM_FeederPost;P2;VM_Speller;P3;VM_Phonemizer;P4",
       "VM_Feeder_Pre.FileChain=upper.rul-dup.rul\nVM_Feeder_Post.FileChain=dup.rul\n"
       "VM_Speller.FileChain=long.rul\n");
  // The keys spelled after the registered names are not read.
  Font("spelled.vof", "VM_FeederPre;P1", "VM_FeederPre.FileChain=upper.rul\n");
  Start("conv.vof");
  ToBuffer("ab");
  EXPECT_EQ(Seen("P1"), Texts{"AAB ."});
  EXPECT_EQ(Seen("P2"), Texts{"AAAAB ."});
  EXPECT_EQ(Seen("P3"), Texts{"1234123412341234123412341234"});
  EXPECT_EQ(Seen("P4"), Texts{""});  // no key: the text is emptied
  ASSERT_EQ(composer_.SetCharacter("spelled.vof"), 0);
  ToBuffer("ab");
  EXPECT_EQ(Seen("P1"), Texts{""});
}

struct ReplaceCase {
  const char* font;
  std::string text;
  std::string replaced;
};

TEST_F(TextModulesTest, WordReplacersReplaceTheWordsTheirLexiconKnows) {
  inst_.write("user/abc.usr", "abc=xyz\n" + Utf8ToCp1253("καλη=kali\n"));
  EnglishFonts();
  Font("user.vof", "VM_UserToGreek;P1",
       "VM_User_ToGreek.Lexicon=abc.usr\nVM_User_ToGreek.Delimiters=\" .,;\"\n"
       "VM_User_ToPhones.Lexicon=abc.usr\nVM_User_ToPhones.Delimiters=\" .,;\"\n");
  Font("nosemi.vof", "VM_UserToGreek;P1",
       "VM_User_ToGreek.Lexicon=abc.usr\nVM_User_ToGreek.Delimiters=\" .,\"\n");
  const ReplaceCase cases[] = {
      {"user.vof", "ABC, abc?", "xyz, xyz; ."},
      {"nosemi.vof", "ABC, abc?", "xyz, abc; ."},
      {"user.vof", Utf8ToCp1253("ΚΑΛΗ  καλη"), Utf8ToCp1253("ΚΑΛΗ  kali .")},
      // Known words from the lexicon, the others through letter-to-sound.
      {"english.vof", "Hello bad", "H@lo BAD ."},
  };
  Start("user.vof");
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(std::string(c.font) + " " + c.text);
    ASSERT_EQ(composer_.SetCharacter(c.font), 0);
    ToBuffer(c.text);
    EXPECT_EQ(Seen("P1"), Texts{c.replaced});
  }
  // Without normalisation nothing is known: "ABC" and "abc?".
  VM_User_ToPhones phones;
  phones.SetComposer(&composer_);
  phones.Init();
  ASSERT_EQ(composer_.SetCharacter("user.vof"), 0);
  EXPECT_TRUE(phones.SetUp());
  composer_.GetText()->SetText("ABC, abc?");
  phones.Run();
  EXPECT_EQ(composer_.GetText()->Str(), "ABC, abc?");
}

TEST_F(TextModulesTest, EnglishWithoutItsLetterToSoundRulesFailsSetUpAndCopiesWords) {
  EnglishFonts();
  Start("english.vof");
  boxes_.clear();
  EXPECT_EQ(composer_.SetCharacter("nol2s.vof"), Tamrin::kSetUpFailed);
  const std::vector<std::string> reports = boxes_.reports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_NE(reports[0].find("vm_us_english.cpp:63\n\tmissing.rul"), std::string::npos);
  EXPECT_EQ(reports[1], "Error: setting up module [VM_UsEnglish]");
  // The delimiters of the font before are gone: the whole text is one
  // unknown word, copied.
  ToBuffer("hello bad");
  EXPECT_EQ(Seen("P1"), Texts{"hello bad ."});
}

struct FilterCase {
  Tamrin::ModuleId module;
  const char* font;
  std::string text;
  std::string filtered;
  std::string kept;  // the composer's filtered text afterwards
};

TEST_F(TextModulesTest, FiltersKeepAllowedCharactersAndKnownPhones) {
  Font("none.vof", "VM_FilterPlain", "");
  Font("allowed.vof", "VM_FilterPlain",
       "VM_FilterPlain.AllowedCharacters=\"ab " + Utf8ToCp1253("αβ") + "\"\n");
  const std::string greek = Utf8ToCp1253("αβγ α");
  const FilterCase cases[] = {
      {Tamrin::kFilterPlain, "allowed.vof", "a\r\nB b", "a## b", "a## b"},
      {Tamrin::kFilterPlain, "allowed.vof", greek, Utf8ToCp1253("αβ α"), Utf8ToCp1253("αβ α")},
      {Tamrin::kFilterPlain, "none.vof", "ab", "", ""},
      {Tamrin::kInFilter, "default.vof", "kala.", "kala.", "kept"},
      {Tamrin::kInFilter, "default.vof", "k?a_", "ka_.", "kept"},
      {Tamrin::kInFilter, "default.vof", "?%", "", "kept"},
  };
  Start("default.vof");
  for (const FilterCase& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(composer_.SetCharacter(c.font), 0);
    composer_.GetFilteredText()->SetText("kept");
    EXPECT_EQ(RunModule(c.module, c.text), c.filtered);
    EXPECT_EQ(composer_.GetFilteredText()->Str(), c.kept);
  }
}

struct GrammarCase {
  const char* text;
  Texts grammar;  // per Word token; "" for none
};

TEST_F(TextModulesTest, GrammarTagsPairWordsWithWordTokens) {
  inst_.write("lexicon/exceptions.lex", "kalos\tEXC\n");
  inst_.write("lexicon/endings.lex", "os\tNOUN\ns\tSING\nma\t\na\tFEM\n");
  Font("grammar.vof", "VM_GrGrammar",
       "VM_GrGrammar.Exceptions=exceptions.lex\nVM_GrGrammar.Endings=endings.lex\n");
  const GrammarCase cases[] = {
      {"kalos logos gramma,,xyz", {"EXC", "NOUN", "FEM", ""}},
      {"..logos", {"NOUN", ""}},
  };
  Start("grammar.vof");
  VLayer* words = WordLayer();
  char span[] = "w";
  for (const GrammarCase& c : cases) {
    SCOPED_TRACE(c.text);
    words->Reset();
    for (std::size_t i = 0; i < c.grammar.size(); ++i) words->Add(_token_(span, span));
    composer_.GetFilteredText()->SetText(c.text);
    EXPECT_TRUE(composer_.GetModule(Tamrin::kGrGrammar)->Run());
    for (std::size_t i = 0; i < c.grammar.size(); ++i) {
      char* value = nullptr;
      words->at(static_cast<int>(i))->Get(features::kGrammar, &value);
      EXPECT_EQ(value != nullptr ? std::string(value) : "", c.grammar[i]) << "token " << i;
      VStr::Release(&value);
    }
  }
}

TEST_F(TextModulesTest, GrammarWithoutAWordLayerEndsTheRunWithALogLine) {
  Log::EnableErrors();
  VMLDS empty;
  testing_support::FakeComposer composer;
  composer.mlds = &empty;
  VM_GrGrammar grammar;
  grammar.SetComposer(&composer);
  EXPECT_FALSE(grammar.Run());
  EXPECT_EQ(inst_.Logged("vm_grgrammar.cpp: Word layer required"), 1);
}

}  // namespace
