// CRuleCollection: loading rule files and converting texts through them.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <type_traits>
#include <vector>

#include "support/alphconv.h"
#include "tests/common/TestSupport.h"
#include "tests/support/RuleFileWriter.h"

namespace {

using rule_file::Rule;
using rule_file::Simple;

const std::string kOpen =
    "CRuleCollection:...(): cannot open file with rules. Stream bad or failed!";
const std::string kLoadRule = "CRuleCollection:loadFromStream(): cannot load rule!";

bool LoadBytes(CRuleCollection& collection, const std::string& bytes) {
  std::istringstream in(bytes, std::ios::in | std::ios::binary);
  return collection.loadFromStream(in);
}

// A stream buffer that serves the first `good` bytes of its data and then
// fails with a read error (not with the end of the file).
class FailingBuffer : public std::streambuf {
 public:
  FailingBuffer(std::string data, std::size_t good) : data_(std::move(data)) {
    data_.resize(good);
    setg(data_.data(), data_.data(), data_.data() + data_.size());
  }

 protected:
  int_type underflow() override { throw std::runtime_error("read error"); }

 private:
  std::string data_;
};

// A collection loaded from rules; fails the test when loading fails.
struct Loaded {
  explicit Loaded(const std::vector<Rule>& rules, bool outputUnknown = true)
      : collection(400, 1, 1) {
    EXPECT_TRUE(LoadBytes(collection, rule_file::File(rules, outputUnknown)))
        << collection.error().getErrorTextRef();
  }
  std::string convert(const std::string& text, int count = -1) {
    return collection.convert(text.c_str(), static_cast<int>(text.size()) + 1, count);
  }
  CRuleCollection collection;
};

Rule WithAfter(unsigned char mainChar, const std::string& translation,
               std::vector<rule_file::Element> after, uint8_t charsTranslated = 1) {
  Rule rule = Simple(mainChar, translation, charsTranslated);
  rule.after = std::move(after);
  return rule;
}

Rule WithBefore(unsigned char mainChar, const std::string& translation,
                std::vector<rule_file::Element> before) {
  Rule rule = Simple(mainChar, translation);
  rule.before = std::move(before);
  return rule;
}

const rule_file::Element kEnd{"=", "1", "\\0"};

// ------------------------------------------------------------------ loading

TEST(CRuleCollectionLoadTest, LoadsRulesInFileOrderFromAFile) {
  testing_support::TempDir dir;
  Rule second = WithAfter('b', "B!", {{"=", "1-2", "c"}});
  second.counter = 9;
  testing_support::WriteFile(dir / "greek.ac",
                             rule_file::File({Simple('c', "C"), second, Simple('a', "aa")}, false));
  CRuleCollection collection(400, 1, 1);
  ASSERT_TRUE(collection.loadFromFile(dir / "greek.ac")) << collection.error().getErrorTextRef();
  ASSERT_EQ(collection.rules().size(), 3u);
  EXPECT_EQ(collection.rules()[0].mainChar(), 'c');  // not sorted
  EXPECT_EQ(collection.rules()[1].translation(), "B!");
  EXPECT_EQ(collection.rules()[1].after().repetitions, (std::vector<std::string>{"1-2"}));
  EXPECT_EQ(collection.rules()[1].counter(), 9);
  EXPECT_EQ(collection.rules()[2].mainChar(), 'a');
  EXPECT_FALSE(collection.outputUnknown());
  EXPECT_EQ(collection.fontPresent(), 0);
  EXPECT_EQ(collection.longestTranslation(), 2);

  for (const std::string& path : {dir / "missing.ac", dir.path()}) {
    EXPECT_FALSE(collection.loadFromFile(path));
    std::string text;
    EXPECT_EQ(collection.error().getErrorText(text), 800) << path;
    EXPECT_EQ(text, kOpen);
  }
}

TEST(CRuleCollectionLoadTest, ShortHeadersFail) {
  struct Case {
    const char* name;
    std::string bytes;
    int code;
    std::string text;
    uint8_t fontPresent;
  };
  const std::string read = "CRuleCollection:loadFromStream(): cannot read ";
  const Case cases[] = {
      {"empty", "", 801, read + "fond header!", 0},
      {"font_cut_short", "\x05" + std::string(49, 'f'), 802, read + "logical font!", 0},
      {"font_flag_only", "\x01", 802, read + "logical font!", 0},
      {"no_output_unknown", std::string(1, '\0'), 803, read + "output unknown!", 0},
      {"font_without_output_unknown", "\x02" + std::string(50, 'f'), 803, read + "output unknown!",
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CRuleCollection collection(400, 1, 1);
    EXPECT_FALSE(LoadBytes(collection, c.bytes));
    std::string text;
    EXPECT_EQ(collection.error().getErrorText(text), c.code);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(collection.fontPresent(), c.fontPresent);
    EXPECT_TRUE(collection.rules().empty());
  }
}

TEST(CRuleCollectionLoadTest, HeaderFailureKeepsThePreviousRules) {
  CRuleCollection collection(400, 1, 1);
  ASSERT_TRUE(LoadBytes(collection, rule_file::File({Simple('a', "A"), Simple('b', "B")}, true)));
  EXPECT_FALSE(LoadBytes(collection, std::string(1, '\0')));
  EXPECT_EQ(collection.error().getErrorCode(), 803);
  EXPECT_EQ(collection.rules().size(), 2u);
  EXPECT_FALSE(collection.outputUnknown());  // cleared before its byte is read
  EXPECT_EQ(collection.convert("ab", 3, -1), std::string("AB"));
}

TEST(CRuleCollectionLoadTest, FontBlockIsKeptAsRead) {
  std::string font = "Arial Greek";
  font.resize(50, '\x7F');
  CRuleCollection collection(400, 1, 1);
  ASSERT_TRUE(LoadBytes(collection, rule_file::File({Simple('a', "A")}, false, 9, font)));
  EXPECT_EQ(collection.fontPresent(), 9);
  EXPECT_EQ(std::string(collection.logicalFont().data(), 50), font);
  ASSERT_EQ(collection.rules().size(), 1u);
  // A later file without a font block has none.
  ASSERT_TRUE(LoadBytes(collection, rule_file::File({Simple('a', "A")}, false)));
  EXPECT_EQ(collection.fontPresent(), 0);
}

TEST(CRuleCollectionLoadTest, RecordCutShortAtTheEndIsDropped) {
  const std::string whole =
      rule_file::File({Simple('a', "A"), WithAfter('b', "B", {{"=", "1", "c"}})}, true);
  const std::size_t firstEnd =
      rule_file::Header(true).size() + rule_file::Record(Simple('a', "A")).size();
  for (std::size_t cut = firstEnd; cut <= whole.size(); ++cut) {
    CRuleCollection collection(400, 1, 1);
    EXPECT_TRUE(LoadBytes(collection, whole.substr(0, cut))) << cut;
    EXPECT_EQ(collection.rules().size(), cut == whole.size() ? 2u : 1u) << cut;
  }
}

TEST(CRuleCollectionLoadTest, ReadErrorInARecordGives804WithItsNumber) {
  const std::string header = rule_file::Header(true);
  const std::string first = rule_file::Record(Simple('a', "A"));
  const std::string second = rule_file::Record(WithAfter('b', "Bee", {{"=", "1", "c"}}));
  const std::string whole = header + first + second + rule_file::Record(Simple('c', "C"));
  struct Case {
    std::size_t good, rulesKept;  // bytes served before the read error, rules kept
    int ruleNumber;
  };
  const Case cases[] = {
      {header.size() + 3, 0, 1},                                 // inside the first record
      {header.size() + first.size(), 1, 2},                      // right after the first record
      {header.size() + first.size() + second.size() - 2, 1, 2},  // in the second's Counter
      {header.size() + first.size() + second.size() + 1, 2, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.good);
    FailingBuffer buffer(whole, c.good);
    std::istream in(&buffer);
    CRuleCollection collection(400, 1, 1);
    EXPECT_FALSE(collection.loadFromStream(in));
    std::string text;
    EXPECT_EQ(collection.error().getErrorText(text), 804);
    EXPECT_EQ(text, kLoadRule + ": rule number= " + std::to_string(c.ruleNumber));
    EXPECT_EQ(collection.rules().size(), c.rulesKept);
  }
}

TEST(CRuleCollectionLoadTest, ReadErrorInsideARecordLeavesTheFieldCodeOnTheRule) {
  const std::string record = rule_file::Record(WithAfter('b', "Bee", {{"=", "1", "c"}}));
  // Enabled, Before length, After operator, Chars Translated, Counter.
  const std::pair<std::size_t, int> cases[] = {
      {0, 805}, {2, 807}, {6, 810}, {record.size() - 5, 812}, {record.size() - 1, 813}};
  for (const auto& c : cases) {
    FailingBuffer buffer(record, c.first);
    std::istream in(&buffer);
    CRule rule;
    EXPECT_FALSE(rule.loadFromStream(in)) << c.first;
    EXPECT_FALSE(in.eof()) << c.first;
    EXPECT_EQ(rule.error().getErrorCode(), c.second) << c.first;
  }
}

TEST(CRuleCollectionLoadTest, LongestTranslationIsRecomputedAtEveryLoad) {
  CRuleCollection collection(400, 1, 1);
  int index = 7;
  EXPECT_EQ(collection.getMaxTranslationLength(index), -1);
  EXPECT_EQ(index, -1);

  ASSERT_TRUE(LoadBytes(collection, rule_file::File({Simple('a', "x"), Simple('b', "yz")}, true)));
  EXPECT_EQ(collection.longestTranslation(), 2);

  const std::string longText(40, 'L');
  ASSERT_TRUE(LoadBytes(
      collection,
      rule_file::File({Simple('a', "x"), Simple('b', longText), Simple('c', longText)}, true)));
  EXPECT_EQ(collection.longestTranslation(), 40);
  EXPECT_EQ(collection.getMaxTranslationLength(index), 40);
  EXPECT_EQ(index, 1);
  // The output holds every translation in full after the reload.
  EXPECT_EQ(collection.convert("bbbb", 5, -1), longText + longText + longText + longText);

  ASSERT_TRUE(LoadBytes(collection, rule_file::Header(true)));
  EXPECT_EQ(collection.longestTranslation(), -1);
}

TEST(CRuleCollectionLoadTest, NotCopyable) {
  static_assert(!std::is_copy_constructible<CRuleCollection>::value, "copyable");
  static_assert(!std::is_copy_assignable<CRuleCollection>::value, "assignable");
}

TEST(CRuleCollectionLoadTest, QueryInterface) {
  CRuleCollection collection(400, 1, 1);
  void* out = nullptr;
  EXPECT_TRUE(collection.queryInterface(IID_SELF, &out));
  EXPECT_EQ(out, static_cast<void*>(&collection));
  EXPECT_TRUE(collection.queryInterface(IID_ERROR_HANDLER, &out));
  EXPECT_EQ(out, static_cast<const void*>(&collection.error()));
  EXPECT_TRUE(collection.queryInterface(IID_TRACER, &out));
  EXPECT_EQ(out, static_cast<const void*>(&collection.tracer()));
  for (int id : {3, -1}) {
    out = &collection;
    EXPECT_FALSE(collection.queryInterface(id, &out)) << id;
    EXPECT_EQ(out, nullptr) << id;
  }
  EXPECT_FALSE(collection.queryInterface(IID_SELF, nullptr));
}

// --------------------------------------------------------------- conversion

TEST(CRuleCollectionConvertTest, UnknownCharactersCopiedOrDropped) {
  // 'b' has a rule that never matches here (it needs a 'z' before it).
  const std::vector<Rule> rules = {Simple('a', "A"), WithBefore('b', "B", {{"=", "1", "z"}})};
  Loaded copying(rules, true);
  EXPECT_EQ(copying.convert("abc"), "Abc");
  EXPECT_EQ(copying.convert("zb"), "zB");
  Loaded dropping(rules, false);
  EXPECT_EQ(dropping.convert("abc"), "A");
  EXPECT_EQ(dropping.convert("zb"), "B");
}

TEST(CRuleCollectionConvertTest, FirstMatchingRuleOfTheRunApplies) {
  Loaded loaded({Simple(' ', "_"), WithAfter('a', "1", {{"=", "1", "x"}}), Simple('a', "2"),
                 Simple('a', "3"), Simple('x', "X")});
  EXPECT_EQ(loaded.convert("axa a"), "1X2_2");
  EXPECT_EQ(loaded.collection.rules()[3].counter(), 0);  // never tried
}

TEST(CRuleCollectionConvertTest, BinarySearchFindsTheStartOfEveryRun) {
  // Two rules per letter: the first only at the start of the text.
  std::vector<Rule> rules;
  for (char c = 'a'; c <= 'z'; ++c) {
    const std::string upper(1, static_cast<char>(c - 'a' + 'A'));
    rules.push_back(WithBefore(static_cast<unsigned char>(c), "<" + upper + ">", {kEnd}));
    rules.push_back(Simple(static_cast<unsigned char>(c), upper));
  }
  Loaded loaded(rules, false);
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
  for (char c : alphabet) {
    const std::string upper(1, static_cast<char>(c - 'a' + 'A'));
    EXPECT_EQ(loaded.convert(std::string(1, c) + c), "<" + upper + ">" + upper) << c;
  }
  EXPECT_EQ(loaded.convert("-" + alphabet + "~"), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
}

TEST(CRuleCollectionConvertTest, CharsTranslatedConsumesThatManyCharacters) {
  // Two consumes the next character too; beyond the text ends the
  // conversion; zero advances by one.
  Loaded two({Simple('h', "H"), WithAfter('t', "8", {{"=", "1", "h"}}, 2), Simple('t', "T")});
  EXPECT_EQ(two.convert("thth"), "88");
  EXPECT_EQ(two.convert("that"), "8aT");
  EXPECT_EQ(two.collection.rules()[0].counter(), 0);
  Loaded five({Simple('a', "A", 5), Simple('b', "B")});
  EXPECT_EQ(five.convert("ba"), "BA");
  EXPECT_EQ(five.convert("ab"), "A");
  Loaded zero({Simple('a', "A", 0), Simple('b', "B")});
  EXPECT_EQ(zero.convert("aab"), "AAB");
  EXPECT_EQ(zero.collection.rules()[0].counter(), 2);
}

TEST(CRuleCollectionConvertTest, CountThreeOnAbcdef) {
  Loaded loaded({Simple('a', "A"), Simple('b', "B"), WithAfter('c', "C|", {kEnd}), Simple('c', "C"),
                 Simple('d', "D")});
  const char* text = "abcdef";
  EXPECT_EQ(std::string(loaded.collection.convert(text, 7, 3)), "ABC|");
  EXPECT_EQ(std::string(loaded.collection.convert(text, 7, -1)), "ABCDef");
}

TEST(CRuleCollectionConvertTest, CountIncludingTheTerminatingZero) {
  Loaded withoutZeroRule({Simple('a', "A"), Simple('b', "B")});
  const char* result = withoutZeroRule.collection.convert("ab", 3, 3);
  EXPECT_EQ(std::string(result), "AB");
  EXPECT_EQ(std::strlen(result), 2u);

  Loaded withZeroRule({Simple('\0', "."), Simple('a', "A"), Simple('b', "B")});
  EXPECT_EQ(std::string(withZeroRule.collection.convert("ab", 3, 3)), "AB.");
  EXPECT_EQ(std::string(withZeroRule.collection.convert("ab", 3, -1)), "AB");
}

TEST(CRuleCollectionConvertTest, EndOfTextRuleFiresWhenTheZeroIsCountedIn) {
  Loaded loaded({WithAfter('b', "B$", {kEnd}), Simple('b', "b")});
  const char* text = "abab";
  for (int count : {-1, 4, 5}) {
    EXPECT_EQ(std::string(loaded.collection.convert(text, 5, count)), "abaB$") << count;
  }
  EXPECT_EQ(loaded.collection.convertToString("abab", 5), "abaB$");
  EXPECT_EQ(loaded.collection.convertToString("abab", 4), "abaB$");
  EXPECT_EQ(loaded.collection.convertToString("abab", 2), "aB$");
}

TEST(CRuleCollectionConvertTest, CounterGrowsAndASecondConversionReplacesTheFirst) {
  Rule a = Simple('a', "AAAA");
  a.counter = 10;
  Loaded loaded({a, Simple('b', "B")});
  const std::string first = loaded.convert("aaa");
  EXPECT_EQ(loaded.collection.rules()[0].counter(), 13);
  EXPECT_EQ(loaded.collection.convertToString("a-b"), "AAAA-B");
  EXPECT_EQ(loaded.collection.rules()[0].counter(), 14);
  EXPECT_EQ(first, "AAAAAAAAAAAA");
  EXPECT_EQ(std::string(loaded.collection.convert("b", 2, -1)), "B");
}

TEST(CRuleCollectionConvertTest, CountsAreClampedToTheText) {
  Loaded loaded({Simple('\0', "#"), Simple('a', "A"), Simple('b', "B"), Simple('c', "C")});
  const std::pair<int, const char*> cases[] = {{-2, "ABC"}, {0, ""},     {1, "A"},
                                               {4, "ABC#"}, {5, "ABC#"}, {1000, "ABC#"}};
  for (const auto& c : cases) {
    EXPECT_EQ(std::string(loaded.collection.convert("abc", 4, c.first)), c.second) << c.first;
    EXPECT_EQ(loaded.collection.convertToString("abc", c.first), c.second) << c.first;
  }
  // A text without a terminating zero inside the count is read no further.
  const char unterminated[3] = {'a', 'b', 'c'};
  EXPECT_EQ(std::string(loaded.collection.convert(unterminated, 3, 3)), "ABC");
  EXPECT_EQ(std::string(loaded.collection.convert(unterminated, 0, 2)), "AB");
  // A null text converts to the empty text.
  EXPECT_EQ(std::string(loaded.collection.convert(nullptr, 0, -1)), "");
}

TEST(CRuleCollectionConvertTest, CollectionWithoutRulesTreatsEveryByteAsUnknown) {
  CRuleCollection copying(400, 1, 0);
  ASSERT_TRUE(LoadBytes(copying, rule_file::Header(true)));  // a header alone loads no rule
  EXPECT_TRUE(copying.rules().empty());
  EXPECT_EQ(copying.error().getErrorCode(), 0);
  const char* result = copying.convert("xyz", 4, 4);
  EXPECT_EQ(std::string(result), "xyz");
  EXPECT_EQ(std::strlen(result), 3u);

  CRuleCollection dropping(400, 1, 1);
  ASSERT_TRUE(LoadBytes(dropping, rule_file::Header(false)));
  EXPECT_EQ(std::string(dropping.convert("xyz", 4, 4)), "");
  // Never loaded: the constructor's output-unknown value holds.
  CRuleCollection fresh(400, 1, 1);
  EXPECT_EQ(std::string(fresh.convert("abc", 4, -1)), "abc");
  // A rule with an empty translation gives an empty terminated text.
  Loaded empty({Simple('a', "")}, false);
  EXPECT_EQ(std::string(empty.collection.convert("aaa", 4, -1)), "");
  EXPECT_EQ(empty.collection.longestTranslation(), 0);
}

TEST(CRuleCollectionConvertTest, ConvertToStringMatchesConvert) {
  Loaded loaded(
      {Simple(' ', " "), WithBefore('a', "<a", {kEnd}), Simple('a', "a"),
       WithAfter('s', "S.", {{"!=", "1", "abc"}, {"=", "0-3", " "}, kEnd}), Simple('s', "s")},
      false);
  for (const std::string text : {"as a", "sa as", "ss  ", "a", "", "s"}) {
    for (int count = -1; count <= static_cast<int>(text.size()) + 1; ++count) {
      EXPECT_EQ(loaded.collection.convertToString(text, count),
                std::string(loaded.collection.convert(text.c_str(), 0, count)))
          << text << " " << count;
    }
  }
}

TEST(CRuleCollectionConvertTest, GreekBytesCompareUnsigned) {
  // Main Chars above 0x7F sort after ASCII as unsigned bytes.
  Loaded loaded({Simple('a', "a"), Simple(0xC1, "A"), Simple(0xE1, "a"), Simple(0xF9, "o")}, false);
  EXPECT_EQ(loaded.convert("\xC1\xE1\xF9\xE1"), "Aaoa");
}

}  // namespace
