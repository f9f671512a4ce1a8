// The text modules in a real composer, chained with probes that record the working text.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "engine/composer/Tamrin.h"
#include "engine/composer/VControl.h"
#include "engine/data/FeatureNames.h"
#include "engine/data/VMLDS.h"
#include "engine/shared/TMShared.h"
#include "engine/shared/VSR_AC.h"
#include "platform/Codepage.h"
#include "support/alphconv.h"
#include "tests/common/Installation.h"
#include "tests/engine/ComposerSeams.h"

namespace {

using platform::Utf8ToCp1253;
using Texts = std::vector<std::string>;

class TextModulesTest : public testing::Test {
 protected:
  TextModulesTest() {
    inst_.Complete();
    inst_.Rules("rules/same.rul", "@output-unknown yes\n~ | - | - | ~ | 1\n");  // unchanged
  }

  void Font(const std::string& name, const std::string& chain, const std::string& settings) {
    inst_.Font(name, testing_support::Installation::FontText(chain, "none", settings));
  }

  // Starts the composer with font and the probes P1 to P4.
  void Start(const std::string& font) {
    ASSERT_EQ(shared_.Load(), 0);
    composer_.SetShared(&shared_);
    ASSERT_EQ(composer_.Init(font, 1, 0), 0);
    for (const char* name : {"P1", "P2", "P3", "P4"}) {
      auto* probe = new engine_testing::HookModule(name);
      probe->onRun = [this, probe] {
        seen_[probe->GetName()].push_back(probe->LastText());
        return onProbe ? onProbe(probe->GetName()) : true;
      };
      ASSERT_TRUE(composer_.RegisterModule(probe));
    }
  }

  // Speaks text to a buffer (VM_FeederPre on); the composer closes it with " .".
  void Speak(const std::string& text) {
    seen_.clear();
    ASSERT_EQ(composer_.SpeakToBuffer(text, false, nullptr, nullptr), 0);
  }
  // Runs one module on text, the run flags cleared; the working text after.
  std::string RunModule(Tamrin::ModuleId id, const std::string& text) {
    seen_.clear();
    composer_.GetControl()->BeginRun();
    composer_.GetText()->SetText(text);
    composer_.GetModule(id)->Run();
    return composer_.GetText()->Str();
  }

  // The composer's "Word" layer, made when no module has made it.
  VLayer* WordLayer() {
    VMLDS* mlds = composer_.GetMLDS();
    int hint = layers::kWordHint;
    if (mlds->GetLayer(layers::kWord) == nullptr) mlds->AddLayer(new VLayer(layers::kWord, &hint));
    return mlds->GetLayer(layers::kWord);
  }

  testing_support::Installation inst_;
  testing_support::MessageRecorder boxes_;
  TMShared shared_;
  engine_testing::TestTamrin composer_;
  std::function<bool(const std::string&)> onProbe;
  std::map<std::string, Texts> seen_;  // the texts each probe saw, one per run
};

TEST_F(TextModulesTest, ConvertersApplyTheirCollectionsAndWordReplacersTheirLexicons) {
  inst_.Rules("rules/dup.rul", "@output-unknown yes\nA | - | - | AA | 1\n");
  // Every character takes the longest translation.
  inst_.Rules("rules/long.rul",
              "@output-unknown no\n\\s | - | - | 1234 | 1\n. | - | - | 1234 | 1\n"
              "A | - | - | 1234 | 1\nB | - | - | 1234 | 1\n");
  Font("conv.vof", "VM_FeederPre;P1;VM_FeederPost;P2;VM_Speller;P3;VM_Phonemizer;P4",
       "VM_Feeder_Pre.FileChain=upper.rul-dup.rul\nVM_Feeder_Post.FileChain=dup.rul\n"
       "VM_Speller.FileChain=long.rul\n");
  Font("spelled.vof", "VM_FeederPre;P1", "VM_FeederPre.FileChain=upper.rul\n");
  inst_.write("user/abc.usr", "abc=xyz\n" + Utf8ToCp1253("καλη=kali\n"));
  inst_.write("lexicon/english.lex", "hello\tH@lo\n");
  Font("english-ok.vof", "VM_UsEnglish;P1",
       "VM_UsEnglish.Lexicon=english.lex\nVM_UsEnglish.L2s=upper.rul\n"
       "VM_UsEnglish.Delimiters=\" \"\n");
  Font("english.vof", "VM_UsEnglish;P1",
       "VM_UsEnglish.Lexicon=english.lex\nVM_UsEnglish.L2s=missing.rul\n"
       "VM_UsEnglish.Delimiters=\" \"\n");
  const std::string user =
      "VM_User_ToGreek.Lexicon=abc.usr\nVM_User_ToGreek.Delimiters=\" .,;\"\n"
      "VM_User_ToPhones.Lexicon=abc.usr\nVM_User_ToPhones.Delimiters=\" .,;\"\n";
  Font("user.vof", "VM_UserToGreek;P1", user);
  Font("phones.vof", "VM_User_ToPhones;P1", user);
  Font("nosemi.vof", "VM_UserToGreek;P1",
       "VM_User_ToGreek.Lexicon=abc.usr\nVM_User_ToGreek.Delimiters=\" .,\"\n");
  // font, text, the probe, the text it saw
  const std::tuple<const char*, std::string, const char*, std::string> cases[] = {
      {"conv.vof", "ab", "P1", "AAB ."},
      {"conv.vof", "ab", "P2", "AAAAB ."},
      {"conv.vof", "ab", "P3", "1234123412341234123412341234"},
      {"conv.vof", "ab", "P4", ""},     // no key: the text is emptied
      {"spelled.vof", "ab", "P1", ""},  // the keys spelled after the registered names are not read
      {"user.vof", "ABC, abc?", "P1", "xyz, xyz; ."},
      {"nosemi.vof", "ABC, abc?", "P1", "xyz, abc; ."},
      {"user.vof", Utf8ToCp1253("ΚΑΛΗ  καλη"), "P1", Utf8ToCp1253("ΚΑΛΗ  kali .")},
      {"phones.vof", "ABC, abc?", "P1", "ABC, abc? ."},  // without normalisation nothing is known
  };
  Start("user.vof");
  for (const auto& [font, text, probe, seen] : cases) {
    SCOPED_TRACE(std::string(font) + " " + text + " " + probe);
    ASSERT_EQ(composer_.SetCharacter(font), 0);
    Speak(text);
    EXPECT_EQ(seen_[probe], Texts{seen});
  }
  // English without its letter-to-sound rules fails set-up; the delimiters
  // of the font before are gone: the whole text is one unknown word, copied.
  ASSERT_EQ(composer_.SetCharacter("english-ok.vof"), 0);
  Speak("hello bad");
  EXPECT_EQ(seen_["P1"], Texts{"H@lo BAD ."});
  boxes_.clear();
  EXPECT_EQ(composer_.SetCharacter("english.vof"), Tamrin::kSetUpFailed);
  ASSERT_FALSE(boxes_.reports().empty());
  EXPECT_NE(boxes_.reports()[0].find("missing.rul"), std::string::npos);
  Speak("hello bad");
  EXPECT_EQ(seen_["P1"], Texts{"hello bad ."});
}

TEST_F(TextModulesTest, FiltersKeepAllowedCharactersAndKnownPhones) {
  Font("none.vof", "VM_FilterPlain", "");
  Font("allowed.vof", "VM_FilterPlain",
       "VM_FilterPlain.AllowedCharacters=\"ab " + Utf8ToCp1253("αβ") + "\"\n");
  const std::string greek = Utf8ToCp1253("αβγ α");
  // module, font, text, the text filtered, the composer's filtered text afterwards
  const std::tuple<Tamrin::ModuleId, const char*, std::string, std::string, std::string> cases[] = {
      {Tamrin::kFilterPlain, "allowed.vof", "a\r\nB b", "a## b", "a## b"},
      {Tamrin::kFilterPlain, "allowed.vof", greek, Utf8ToCp1253("αβ α"), Utf8ToCp1253("αβ α")},
      {Tamrin::kFilterPlain, "none.vof", "ab", "", ""},
      {Tamrin::kInFilter, "default.vof", "kala.", "kala.", "kept"},
      {Tamrin::kInFilter, "default.vof", "k?a_", "ka_.", "kept"},
      {Tamrin::kInFilter, "default.vof", "?%", "", "kept"},
      // The closing break is decided on the output's last character.
      {Tamrin::kInFilter, "default.vof", "kala.?", "kala.", "kept"},
  };
  Start("default.vof");
  for (const auto& [module, font, text, filtered, kept] : cases) {
    SCOPED_TRACE(text);
    ASSERT_EQ(composer_.SetCharacter(font), 0);
    composer_.GetFilteredText()->SetText("kept");
    EXPECT_EQ(RunModule(module, text), filtered);
    EXPECT_EQ(composer_.GetFilteredText()->Str(), kept);
  }
}

TEST_F(TextModulesTest, GrammarTagsPairWordsWithWordTokens) {
  inst_.write("lexicon/exceptions.lex", "kalos\tEXC\n");
  inst_.write("lexicon/endings.lex", "os\tNOUN\ns\tSING\nma\t\na\tFEM\n");
  Font("grammar.vof", "VM_GrGrammar",
       "VM_GrGrammar.Exceptions=exceptions.lex\nVM_GrGrammar.Endings=endings.lex\n");
  Start("grammar.vof");
  composer_.GetMLDS()->Clear();
  EXPECT_FALSE(composer_.GetModule(Tamrin::kGrGrammar)->Run());  // no word layer
  VLayer* words = WordLayer();
  const std::pair<const char*, Texts> cases[] = {
      {"kalos logos gramma,,xyz", {"EXC", "NOUN", "FEM", ""}},  // per word token; "" for none
      {"..logos", {"NOUN", ""}},
      {"os", {"NOUN"}},  // the whole word is an ending too
  };
  char span[] = "w";
  for (const auto& [text, grammar] : cases) {
    SCOPED_TRACE(text);
    words->Reset();
    for (std::size_t i = 0; i < grammar.size(); ++i) words->Add(_token_(span, span));
    composer_.GetFilteredText()->SetText(text);
    EXPECT_TRUE(composer_.GetModule(Tamrin::kGrGrammar)->Run());
    for (std::size_t i = 0; i < grammar.size(); ++i) {
      std::string value;
      words->at(static_cast<int>(i))->Get(features::kGrammar, value);
      EXPECT_EQ(value, grammar[i]) << "token " << i;
    }
  }
}

TEST_F(TextModulesTest, FeedersConvertEachPassOnceWithEmptyLayersAndRunTheRestOfTheChain) {
  // Converting twice would double a 'q' twice; "3." is no sentence end.
  inst_.Rules("rules/x.rul",
              "@output-unknown yes\n. | =:1:3 | - | , | 1\nj | - | =:1:\\0 | J | 1\n"
              "q | - | - | qq | 1\nx | - | - | X | 1\n");
  const std::string word = std::string(25, 'w') + " .",
                    forty = "Forty characters, without a sentence end .";
  // feeder, pass size, end-of-sentence boundary, text, passes
  const std::tuple<std::string, const char*, const char*, std::string, Texts> cases[] = {
      {"VM_TextFeeder", "10", "", "Ab cd. Ef gh .", {"Ab cd.", " Ef gh ."}},
      {"VM_TextFeeder", "4", "", "q3. b. c .", {"qq3, b.", " c ."}},
      {"VM_TextFeeder", "100", "", forty, {forty}},
      {"VM_TextFeeder", "10", "", word, {word}},
      {"VM_TextFeeder", "10", "", "aj", {"aJ"}},  // the pass is converted with its end
      // "." makes the boundary ".\r\n\v": the piece is cut there without a
      // pass; without it the boundary "\r\n\v" cuts the piece elsewhere.
      {"VM_TextFeeder", "6", ".", "a.\r\n\vbc. d .", {"a.\r\n\vbc. d ."}},
      {"VM_TextFeeder", "6", "", "a.\r\n\vbc. d .", {"a.\r\n\vbc.", " d ."}},
      {"VM_TextFeeder", "5", ".", "Ab. Cd .", {"Ab.", " Cd ."}},
      // A pass size of 0 or below makes one pass.
      {"VM_TextFeeder", "-3", "", "Ab. Cd. Ef .", {"Ab. Cd. Ef ."}},
      {"VM_TextFeeder", "0", "", "Ab. Cd. Ef .", {"Ab. Cd. Ef ."}},
      // A rest of exactly one pass size is still cut at its sentence end.
      {"VM_TextFeeder", "6", "", "Ab. C.", {"Ab.", " C."}},
      // A piece ends after its last blank: the sentence end is found in the next one.
      {"VM_TextFeeder", "5", "", "a bc. d .", {"a bc.", " d ."}},
      // The delimiter feeder cuts segments after ";!?" and line ends.
      {"VM_Feeder", "10", "", "a;b?c", {"a;", "b?", "c"}},
      {"VM_Feeder", "10", "", "a;;b", {"a;", "b"}},
      {"VM_Feeder", "10", "", "a!b", {"a!", "b"}},
      {"VM_Feeder", "2", "", "ab;cd", {"ab;", "cd"}},  // a segment of exactly the pass size
      {"VM_Feeder", "9", "", "One. Two three", {"One.", " Two three"}},
      // A window without a blank grows to the whole segment, converted like any pass.
      {"VM_Feeder", "4", "", "abcdefghix;yz", {"abcdefghiX", "yz"}},
      // A window grown to the whole segment without a sentence end takes it.
      {"VM_Feeder", "3", "", "ab cd ef;y", {"ab cd ef", "y"}},
      {"VM_Feeder", "0", "", "ab cd. ef gh", {"ab cd. ef gh"}},
  };
  int fonts = 0;  // a font for each case, made before the composer starts
  for (const auto& [feeder, size, boundary, text, passes] : cases) {
    const std::string key = feeder + ".";
    Font("feed" + std::to_string(++fonts) + ".vof", feeder + ";P1",
         key + "FileChain=x.rul\n" + key + "ChopInputText=yes\n" + key + "OnePassSize=" + size +
             "\n" + key + "EndOfSentenceBoundary=" + boundary + "\n");
  }
  fonts = 0;
  Font("whole.vof", "VM_TextFeeder;P1", "VM_TextFeeder.FileChain=same.rul\n");
  Start("whole.vof");
  engine_testing::TestTamrin other;  // an engine whose font does not chop
  other.SetShared(&shared_);
  ASSERT_EQ(other.Init("whole.vof", 2, 0), 0);
  VLayer* words = WordLayer();
  std::vector<int> sizes;
  onProbe = [&](const std::string&) {
    // A token of this pass, which the next pass must not see.
    sizes.push_back(words->Size());
    words->Add(_token_(composer_.GetText()->GetData(), composer_.GetText()->GetData()));
    return true;
  };
  for (const auto& [feeder, size, boundary, text, passes] : cases) {
    SCOPED_TRACE(feeder + " " + size + " [" + boundary + "] " + text);
    ASSERT_EQ(composer_.SetCharacter("feed" + std::to_string(++fonts) + ".vof"), 0);
    sizes.clear();
    RunModule(feeder == "VM_TextFeeder" ? Tamrin::kTextFeeder : Tamrin::kFeeder, text);
    EXPECT_EQ(seen_["P1"], passes);
    EXPECT_EQ(sizes, std::vector<int>(passes.size(), 0));
  }
  other.Finalize();
  // A stop request between passes ends the feeding.
  ASSERT_EQ(composer_.SetCharacter("feed1.vof"), 0);
  onProbe = [](const std::string&) {
    VControl::Abort();
    return true;
  };
  RunModule(Tamrin::kTextFeeder, "Ab cd. Ef gh .");
  EXPECT_EQ(seen_["P1"], Texts{"Ab cd."});
}

TEST_F(TextModulesTest, ChoppedFeedingConvertsEveryCharacterABoundedNumberOfTimes) {
  // An ellipsis converts to a comma: every full stop and blank is a
  // sentence end that does not end the pass, up to the text's end.
  inst_.Rules("rules/ell.rul",
              "@output-unknown yes\n\\s | - | - | \\s | 1\n. | - | =:1:. | - | 1\n"
              ". | =:1:. | - | , | 1\n. | - | - | . | 1\na | - | - | a | 1\nb | - | - | b | 1\n");
  Font("ell.vof", "VM_TextFeeder;P1",
       "VM_TextFeeder.FileChain=ell.rul\nVM_TextFeeder.ChopInputText=yes\n"
       "VM_TextFeeder.OnePassSize=300\n");
  Start("ell.vof");
  std::string text;
  for (int i = 0; i < 400; ++i) text += "ab... ";
  text += "ab.";
  const CRuleCollection* rules = shared_.GetAC()->Find("ell.rul");
  ASSERT_NE(rules, nullptr);
  auto applied = [rules] {
    long n = 0;
    for (const CRule& rule : rules->rules()) n += rule.counter();
    return n;
  };
  const long before = applied();
  RunModule(Tamrin::kTextFeeder, text);
  std::string whole;
  for (int i = 0; i < 400; ++i) whole += "ab, ";
  EXPECT_EQ(seen_["P1"], Texts{whole + "ab."});
  // Converting the whole text again at each of the 400 ellipses would apply
  // rules about half a million times.
  EXPECT_LT(applied() - before, 3 * static_cast<long>(text.size()));
}

}  // namespace
