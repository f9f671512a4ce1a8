// The shared resources one by one: table pools, lexicon trees, tri-state
// rules, the phone table and the letter converter.
#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/base/Log.h"
#include "engine/base/VStr.h"
#include "engine/shared/LexTree.h"
#include "engine/shared/TMShared.h"
#include "engine/shared/VAlphConverter.h"
#include "engine/shared/VSR_CharacterPool.h"
#include "tests/common/Installation.h"

namespace {

using Strings = std::vector<std::string>;

class ResourcesTest : public testing::Test {
 protected:
  ResourcesTest() {
    Log::EnableErrors();
    inst_.Complete();
    holder_.GetConfiguration()->Load(inst_.path("config.txt"));
  }
  template <class Pool>
  static Strings Keys(const Pool& pool) {
    Strings keys;
    for (int i = 0; i < pool.Count(); ++i) keys.push_back(pool.KeyAt(i));
    return keys;
  }
  static std::string Value(const LexTree* tree, const std::string& word) {
    std::string value = "<none>";
    return tree != nullptr && tree->Lookup(word, &value) == 1 ? value : "<none>";
  }

  testing_support::Installation inst_;
  testing_support::MessageRecorder boxes_;
  TMShared holder_;
};

TEST_F(ResourcesTest, APoolLoadsTheRegularFilesWithItsSuffixUnderTheirNames) {
  for (const char* name : {"GREEK.USR", "notes.txt", ".usr"})
    inst_.write(std::string("user/") + name, "w=1\n");
  std::filesystem::create_directories(inst_.path("user/sub.usr"));
  VSR_VUserLexicon& pool = *holder_.GetVUserLexicon();
  ASSERT_TRUE(pool.Load(&holder_));
  EXPECT_EQ(Keys(pool), (Strings{".usr", "names.usr"}));
  EXPECT_EQ(Value(pool.Find("names.usr"), "x"), "y=z");
  for (int i = 1000; i < 1102; ++i)
    inst_.write("user/w" + std::to_string(i).substr(1) + ".usr", "w=1\n");
  pool.Unload();
  ASSERT_TRUE(pool.Load(&holder_));
  EXPECT_EQ(pool.Count(), 100);
  EXPECT_EQ(pool.Find("w098.usr"), nullptr);
  EXPECT_EQ(boxes_.reports(), Strings{"Error: too many files in User.Lexicon.Directory " +
                                      inst_.path("user") + ", w098.usr and later files skipped"});
  pool.Unload();
}

TEST_F(ResourcesTest, AMissingFolderANullHolderOrABrokenRuleFileIsReportedAndRefused) {
  std::filesystem::remove_all(inst_.path("lexicon"));
  EXPECT_FALSE(holder_.GetTreeLexicon()->Load(&holder_));
  VSR_CharacterPool characters;
  EXPECT_FALSE(characters.Load(nullptr));
  inst_.write("rules/b.rul", "");
  EXPECT_FALSE(holder_.GetAC()->Load(&holder_));
  EXPECT_EQ(Keys(*holder_.GetAC()), Strings{});  // b.rul sorts first and ends the load
  EXPECT_EQ(boxes_.reports(),
            (Strings{"Error reading Lexicon.Directory " + inst_.path("lexicon"), "Null TMShared.",
                     "b.rul:\n\tError code 801\n\tCRuleCollection:loadFromStream(): "
                     "cannot read fond header!"}));
}

TEST_F(ResourcesTest, LexiconTreesAnswerWordsAndTheirBeginnings) {
  const std::string word(1000000, 'q');  // built and destroyed without deep recursion
  inst_.write("long.lex", "w\tfirst\nw\tsecond\nx\r\na\tb\tc\r\n" + word + "\tlong\n" +
                              std::string(300, 'v') + "\t" + std::string(5000, 'v') + "\nlast\td");
  LexTree tree;
  tree.Load(inst_.path("long.lex"), "\t", false);
  const std::pair<std::string, std::string> cases[] = {
      {"w", "second"},   {"x", ""},       {"a", "b\tc"},
      {word, "long"},    {"last", "d"},   {"q", ""},
      {"qqx", "<none>"}, {"W", "<none>"}, {std::string(300, 'v'), std::string(5000, 'v')}};
  for (const auto& [w, value] : cases) EXPECT_EQ(Value(&tree, w), value) << w.substr(0, 10);
  EXPECT_EQ(tree.Lookup("b", nullptr), LexTree::kFirstMissing);
  EXPECT_EQ(tree.Lookup("qqx", nullptr), LexTree::kLaterMissing);
  inst_.Scrambled("scrambled.lex", {"to\tfunction", "\tempty word"}, LexTree::kRecordSize);
  LexTree scrambled;
  scrambled.Load(inst_.path("scrambled.lex"), "\t", true);
  EXPECT_EQ(Value(&scrambled, "to"), "function");
  EXPECT_EQ(Value(&scrambled, ""), "empty word");
  EXPECT_TRUE(boxes_.messages().empty());
}

TEST_F(ResourcesTest, TriStateRulesGiveTheFirstHoldingValueTimesTenOrOne) {
  ASSERT_TRUE(holder_.GetPhonePool()->Load(&holder_));
  ASSERT_TRUE(holder_.Get3States()->Load(&holder_));
  const VTriStateCompiler* rules = holder_.Get3States()->Find("durations.3st");
  ASSERT_NE(rules, nullptr);
  EXPECT_FLOAT_EQ(rules->Lookup('k', 'A', '.'), 1.6f);
  EXPECT_FLOAT_EQ(rules->Lookup('k', 'A', 'l'), 1.2f);
  EXPECT_EQ(rules->Lookup('a', 'l', 'a'), 1.0f);
  // Factors kept for a run, with a triple of an unknown symbol, answer alike.
  VTriStateCompiler::Factors factors;
  for (int round = 0; round < 2; ++round) {
    EXPECT_FLOAT_EQ(rules->Lookup('k', 'A', '.', factors), 1.6f);
    EXPECT_EQ(rules->Lookup('a', '?', 'a', factors), 1.0f);
  }
  VTriStateCompiler orphan;  // without a holder: the neutral factor
  ASSERT_TRUE(orphan.AddRuleLine("[*][*][*]:0.5"));
  EXPECT_EQ(orphan.Lookup('a', 'a', 'a'), 1.0f);
  const std::string before = std::setlocale(LC_ALL, nullptr);
  const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  inst_.Scrambled("tristate/more.3st",
                  {"[*][vowel:1]:0.5", "no groups", "[*][vowel][*]:0.5", "[*][stop:1][*]0.5",
                   "[*][vowel:1][*]:0.15", "[*][manner:stop][*]:0,25"},
                  VTriStateCompiler::kRecordSize);
  VTriStateCompiler more;
  more.SetHolder(&holder_);
  EXPECT_TRUE(more.Load(inst_.path("tristate/more.3st")));
  std::setlocale(LC_ALL, before.c_str());
  EXPECT_EQ(more.Rules().size(), 2u);
  EXPECT_FLOAT_EQ(more.Lookup('k', 'a', 'k'), 1.5f);
  EXPECT_FLOAT_EQ(more.Lookup('a', 'k', 'a'), 0.0f);  // "0,25" reads as 0 whatever the locale
  if (!german) GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed";
}

TEST_F(ResourcesTest, ThePhoneTableMakesColumnsFeaturesAndSkipsAMalformedRecord) {
  inst_.Scrambled("phones/greek.phn", {"symbol\tphone\tvowel\t\tnote", "a\t1\t01\tx\t", "k\t1\t0"},
                  VSR_PhonePool::kRecordSize);
  inst_.write("phones/greek.phn",
              testing_support::ReadFile(inst_.path("phones/greek.phn")) + std::string(100, 'z'));
  VSR_PhonePool& pool = *holder_.GetPhonePool();
  ASSERT_TRUE(pool.Load(&holder_));
  ASSERT_NE(pool.FindPhone('a'), nullptr);
  EXPECT_EQ(pool.FindPhone('a')->GetString(), "symbol:a\tphone:1\tvowel:01");  // no unnamed column
  EXPECT_TRUE(pool.getPhoneFeature('a', "phone"));
  EXPECT_FALSE(pool.getPhoneFeature('a', "vowel"));  // only exactly "1" holds
  EXPECT_TRUE(pool.has('a', "owel:0"));              // a plain search
  EXPECT_FALSE(pool.getPhoneFeature('x', "phone"));
  EXPECT_EQ(boxes_.reports(), Strings{"bandwidth error in file " + inst_.path("phones/greek.phn")});
  std::filesystem::remove(inst_.path("phones/greek.phn"));
  TMShared other;
  other.GetConfiguration()->Load(inst_.path("config.txt"));
  EXPECT_TRUE(other.GetPhonePool()->Load(&other));  // reported once, left empty
  EXPECT_EQ(boxes_.reports().size(), 2u);
  EXPECT_EQ(other.GetPhonePool()->PhoneCount(), 0);
}

TEST_F(ResourcesTest, TheLetterConverterRunsItsCollectionsInTurn) {
  inst_.Rules("rules/dbl.rul", "@output-unknown yes\nA | - | - | AA | 1\n");
  inst_.Rules("rules/zero.rul", "@output-unknown yes\n\\x00 | - | - | ! | 1\n");
  ASSERT_TRUE(holder_.GetAC()->Load(&holder_));
  VAlphConverter converter;
  const struct {
    const char* names;
    int refer;
    const char* text;
    int length;  // -2: ConvertString
    const char* result;
  } cases[] = {
      {"upper.rul-dbl.rul\nupper.rul", 1, "abcx", -2, "AABCx"},
      {"upper.rul--dbl.rul", 1, "a", -2, "A"},  // the names end at the first empty one
      {"upper.rul-x.rul-dbl.rul", -1, "a", -2, "A"},
      {"zero.rul", 1, "ab", 2, "ab"},
      {"zero.rul", 1, "ab", 1000000, "ab!"},  // a length beyond the text is clamped
      {"zero.rul-zero.rul", 1, "ab", -2, "ab!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.names);
    EXPECT_EQ(converter.ReferToRuleCollections(c.names, &holder_), c.refer);
    char* result = nullptr;
    EXPECT_EQ(c.length == -2 ? converter.ConvertString(c.text, &result)
                             : converter.Convert(c.text, c.length, &result),
              1);
    EXPECT_STREQ(result, c.result);
    VStr::Release(&result);
  }
  EXPECT_EQ(boxes_.reports().size(), 1u);
  EXPECT_NE(boxes_.reports()[0].find("\tx.rul"), std::string::npos);
  holder_.GetAC()->Unload();
}

TEST_F(ResourcesTest, AGrowingTextConvertsAfterEveryPieceAsItsWholeDoes) {
  // Rules that read several characters ahead, consume two, look back, and
  // tell the end of the text from more text.
  inst_.Rules("rules/ahead.rul",
              "@output-unknown yes\n. | - | =:1:\\0 | ! | 1\n. | =:1:c | - | ,, | 1\n"
              "a | - | =:1-3:b =:1:c | X | 1\nb | =:1:a | - | Y | 2\n");
  inst_.Rules("rules/join.rul",
              "@output-unknown yes\n, | =:1:, | - | - | 1\nX | - | =:1:Y | Z | 2\n");
  ASSERT_TRUE(holder_.GetAC()->Load(&holder_));
  VAlphConverter converter;
  ASSERT_EQ(converter.ReferToRuleCollections("ahead.rul-join.rul-upper.rul", &holder_), 1);
  const std::string alphabet = "abc. Xab";
  std::string text;
  for (unsigned i = 0, r = 1; i < 600; ++i) {
    r = r * 1103515245u + 12345u;  // pseudo-random, the same every time
    text += alphabet[(r >> 16) % alphabet.size()];
  }
  VAlphConverter::Growing growing(converter);
  EXPECT_EQ(growing.Converted(), "");
  for (std::size_t at = 0, piece = 1; at < text.size(); at += piece, piece = piece % 9 + 1) {
    growing.Append(text.substr(at, piece));
    char* whole = nullptr;
    converter.ConvertString(growing.Text().c_str(), &whole);
    ASSERT_EQ(growing.Converted(), whole) << "after " << growing.Text().size();
    VStr::Release(&whole);
  }
  VAlphConverter none;
  VAlphConverter::Growing nothing(none);
  nothing.Append("abc");
  EXPECT_EQ(nothing.Converted(), "");
  holder_.GetAC()->Unload();
}

}  // namespace
