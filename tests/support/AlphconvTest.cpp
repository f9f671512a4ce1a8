// The letter-conversion rules: CRule reads a rule record and matches its
// contexts, CRuleCollection loads rule files and converts texts. Rule files
// are written byte by byte here, so that files of any shape can be made.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "support/alphconv.h"
#include "tests/common/TestSupport.h"

namespace {

// A context element: "=", "!=" or anything else (accepts every character);
// "n" or "min-max"; the set ("\\0": the boundary).
struct Element {
  std::string op, repetition, set;
};

struct Rule {
  uint8_t enabled = 1;
  unsigned char mainChar = ' ';
  std::vector<Element> before, after;
  std::string translation;
  uint8_t charsTranslated = 1;
  int32_t counter = 0;
};

// Elements written "op:repetition:set", separated by '|'.
std::vector<Element> Elements(const std::string& text) {
  std::vector<Element> out;
  std::istringstream in(text);
  for (std::string item; std::getline(in, item, '|');) {
    const size_t a = item.find(':');
    const size_t b = item.find(':', a + 1);
    out.push_back({item.substr(0, a), item.substr(a + 1, b - a - 1), item.substr(b + 1)});
  }
  return out;
}

Rule With(unsigned char mainChar, const std::string& translation, const std::string& before = "",
          const std::string& after = "", uint8_t chars = 1) {
  return Rule{1, mainChar, Elements(before), Elements(after), translation, chars, 0};
}

std::string Record(const Rule& rule) {
  std::string out{static_cast<char>(rule.enabled), static_cast<char>(rule.mainChar)};
  for (const auto* context : {&rule.before, &rule.after}) {
    out += static_cast<char>(context->size() & 0xFF);
    out += static_cast<char>(context->size() >> 8);
    for (const Element& e : *context) out += e.op + '\0';
    for (const Element& e : *context) out += e.repetition + '\0';
    for (const Element& e : *context) out += e.set + '\0';
  }
  out += rule.translation + '\0';
  out += static_cast<char>(rule.charsTranslated);
  return out.append(reinterpret_cast<const char*>(&rule.counter), 4);  // little-endian, as the host
}

// The header: no font block, then the output-unknown byte.
std::string Header(bool outputUnknown) { return {'\0', outputUnknown ? '\1' : '\0'}; }

std::string File(const std::vector<Rule>& rules, bool outputUnknown) {
  std::string out = Header(outputUnknown);
  for (const Rule& rule : rules) out += Record(rule);
  return out;
}

CRule Load(const Rule& def) {
  std::istringstream in(Record(def), std::ios::binary);
  CRule rule;
  EXPECT_TRUE(rule.loadFromStream(in)) << rule.error().getErrorTextRef();
  return rule;
}

// A case: "BEFORE AFTER TEXT RESULT", the Main Char in brackets in the text,
// "-" for an empty context; a text ending in "$" counts its terminating
// zero in.
TEST(CRuleTest, MatchesTheContextsAroundAPosition) {
  const char* const cases[] = {
      "- - [a] 1", "=:1:\\0 - [a]bc 1", "=:1:\\0 - a[b]c 0", "=:1:\\0 - \\[b] 1",
      "- =:1:\\0 [a]0c 1",
      // The boundary needs "=" and "1" exactly; the zero counted in is one.
      "- =:2:\\0 ab[c] 0", "- =:1-1:\\0 ab[c] 0", "- !=:1:\\0 ab[c] 0", "- =:1:\\0 a[b]$ 1",
      "- =:1:a a[b]$ 0", "- =:1:\\0 ab[$] 1", "- =:1:\\0|=:1:x a[b]$ 1", "- =:0-1:x|=:1:y a[b]$ 1",
      // Minimum 0 decides the boundary at once.
      "=:0-1:x|=:1:y - [a]b 1", "- =:0-2:x|=:2:y a[b] 1", "- =:1-2:x a[b] 0",
      "- =:1:b|=:1:\\0 [a]b 1", "- =:1:b|=:1:\\0 [a]bc 0",
      // Repetitions extend while text remains.
      "- =:1-2:a [X]a 1", "- =:1-2:a [X]aab 1", "- =:1-2:a [X]ab 0", "=:1-2:a - ba[X] 0",
      "- =:1-2:a|=:1:b [X]ab 1", "- =:1-2:a|=:1:b [X]abc 0", "- =:2-2:a|=:1:b [X]aab 1",
      "- =:2-3:a|=:1:b [X]ab 0",
      // Operators compare bytes; invalid repetitions fail wherever reached.
      "- !=:1:x [a]x 0", "- <>:1:x [a]x 1", "- =:1:\xE1 [a]\xE1 1", "- =:1:\xE1 [a]\xC1 0",
      "- =:3-2:a [X]aaa 0", "=:3-2:a - X[a] 0", "- =:1:a|=:3-2:b [X]ab 0",
      // An optional element leaves a rejected character to the next one.
      "- =:0-1:x|=:2:y [A]yy 1", "- =:0-1:x|=:2:y [A]yz 0", "=:1:a =:1:z a[b]c 0",
      "=:1:a =:1:c a[b]c 1"};
  for (const char* c : cases) {
    SCOPED_TRACE(c);
    std::istringstream in(c);
    std::string before, after, text, result;
    in >> before >> after >> text >> result;
    const size_t at = text.find('[');
    text.erase(text.find(']'), 1).erase(at, 1);
    const bool zero = text.back() == '$';
    text.back() = zero ? '\0' : text.back();
    const CRule rule =
        Load(With(text[at], "", before == "-" ? "" : before, after == "-" ? "" : after));
    EXPECT_EQ(rule.matches(text.data(), text.data() + text.size() - 1, text.data() + at),
              result == "1");
  }
  // Sixteen ranges before a b that never comes: trying every way of sharing
  // the a's among them would not end.
  std::string ranges;
  for (int i = 0; i < 16; ++i) ranges += "=:1-64:a|";
  const std::string aaa = "X" + std::string(64, 'a') + "c";
  EXPECT_FALSE(Load(With('X', "", "", ranges + "=:1:b"))
                   .matches(aaa.data(), aaa.data() + aaa.size() - 1, aaa.data()));
  // Enabled 0 never matches, any other value does; the After limit is the
  // last converted character, not the text's end.
  Rule def = With('b', "", "", "=:1:\\0");
  const char* abcdef = "abcdef";
  EXPECT_FALSE(Load(def).matches(abcdef, abcdef + 5, abcdef + 1));
  for (uint8_t enabled : {0, 1, 2}) {
    def.enabled = enabled;
    EXPECT_EQ(Load(def).matches(abcdef, abcdef + 1, abcdef + 1), enabled != 0);
  }
}

TEST(CRuleTest, ParsesRepetitions) {
  // "TEXT=MIN,MAX" for a valid repetition, "TEXT!" for an invalid one.
  const char* const cases[] = {
      "2-4=2,4", "2-2=2,2", "=0,0", " 7=7,7", "+5=5,5", " 2- 4=2,4",   "1-2147483647=1,2147483647",
      "1-!",     "3-2!",    "0-0!", "-1!",    "7 !",    "2147483648!", "4294967297!",
      "1-2-3!"};
  for (const std::string c : cases) {
    const bool valid = c.back() != '!';
    const std::string text = valid ? c.substr(0, c.find('=')) : c.substr(0, c.size() - 1);
    int32_t minimum = -99, maximum = -99;
    ASSERT_EQ(CRule::parseRepetition(text, minimum, maximum), valid) << '"' << text << '"';
    if (valid) {
      EXPECT_EQ(c.substr(c.find('=') + 1), std::to_string(minimum) + "," + std::to_string(maximum));
    }
  }
}

TEST(CRuleTest, ARecordCutShortGivesTheCodeOfTheFieldBeingRead) {
  Rule def = With('a', "tr", "=:1:xy|!=:0-2:z", "=:1:\\0");
  const std::string record = Record(def);
  const std::pair<std::size_t, int> cases[] = {{0, 805},  {1, 806},  {3, 807},  {4, 808},
                                               {19, 808}, {21, 809}, {27, 810}, {31, 811},
                                               {32, 812}, {36, 813}};
  for (const auto& [size, code] : cases) {
    std::istringstream in(record.substr(0, size), std::ios::binary);
    CRule rule;
    EXPECT_FALSE(rule.loadFromStream(in)) << size;
    EXPECT_EQ(rule.error().getErrorCode(), code) << size;
  }
  EXPECT_EQ(Load(def).before().repetitions, (std::vector<std::string>{"1", "0-2"}));
}

bool LoadBytes(CRuleCollection& collection, const std::string& bytes) {
  std::istringstream in(bytes, std::ios::binary);
  return collection.loadFromStream(in);
}

// Serves the first `good` bytes of its data, then fails with a read error.
struct FailingBuffer : std::streambuf {
  FailingBuffer(const std::string& data, std::size_t good) : data_(data.substr(0, good)) {
    setg(data_.data(), data_.data(), data_.data() + data_.size());
  }
  int_type underflow() override { throw std::runtime_error("read error"); }
  std::string data_;
};

TEST(CRuleCollectionTest, LoadsRulesInFileOrderAndRecomputesTheLongestTranslation) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "a.rul", File({With('c', "C"), With('a', "aa")}, false));
  CRuleCollection collection(400, 1, 1);
  ASSERT_TRUE(collection.loadFromFile(dir / "a.rul"));
  ASSERT_EQ(collection.rules().size(), 2u);
  EXPECT_EQ(collection.rules()[0].mainChar(), 'c');  // not sorted
  EXPECT_FALSE(collection.outputUnknown());
  EXPECT_EQ(collection.longestTranslation(), 2);
  int index = -1;
  ASSERT_TRUE(LoadBytes(collection, File({With('a', "x"), With('b', "yyy")}, true)));
  EXPECT_EQ(collection.getMaxTranslationLength(index), 3);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(collection.rules().size(), 2u);  // the earlier rules are gone
  EXPECT_EQ(std::string(collection.convert("bab", 4, -1)), "yyyxyyy");
  ASSERT_TRUE(LoadBytes(collection, Header(true)));
  EXPECT_EQ(collection.longestTranslation(), -1);
  for (const std::string& path : {dir / "missing.rul", dir.path()}) {
    EXPECT_FALSE(collection.loadFromFile(path));
    EXPECT_EQ(collection.error().getErrorCode(), 800) << path;
  }
}

TEST(CRuleCollectionTest, ShortFilesAndReadErrorsGiveTheirCodes) {
  const std::string header = Header(true);
  const std::string first = Record(With('a', "A"));
  const std::string whole = header + first + Record(With('b', "B", "", "=:1:c"));
  struct Case {
    std::string bytes;
    std::size_t good;  // bytes served before a read error; npos: none
    int code;
    std::size_t rules;
  };
  const std::size_t none = std::string::npos;
  const Case cases[] = {
      {"", none, 801, 0},
      {"\x01", none, 802, 0},
      {std::string(1, '\0'), none, 803, 0},
      {whole.substr(0, whole.size() - 1), none, 0, 1},  // a record cut at the end is dropped
      {whole, header.size() + 3, 804, 0},
      {whole, header.size() + first.size() + 5, 804, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.size());
    CRuleCollection collection(400, 1, 1);
    bool loaded = false;
    if (c.good == none) {
      loaded = LoadBytes(collection, c.bytes);
    } else {
      FailingBuffer buffer(c.bytes, c.good);
      std::istream in(&buffer);
      loaded = collection.loadFromStream(in);
    }
    EXPECT_EQ(loaded, c.code == 0);
    EXPECT_EQ(collection.error().getErrorCode(), c.code);
    EXPECT_EQ(collection.rules().size(), c.rules);
  }
}

TEST(CRuleCollectionTest, ConvertsTexts) {
  struct Case {
    std::vector<Rule> rules;
    bool outputUnknown;
    std::string text;
    int count;
    std::string expected;
  };
  const Rule endB = With('b', "B$", "", "=:1:\\0");
  const std::vector<Rule> zeroRule = {With('\0', "#"), With('a', "A"), With('b', "B")};
  const Case cases[] = {
      // Unknown characters are copied or dropped; a rule that does not match
      // leaves its character unknown.
      {{With('a', "A"), With('b', "B", "=:1:z", "")}, true, "abzb", -1, "AbzB"},
      {{With('a', "A"), With('b', "B", "=:1:z", "")}, false, "abzb", -1, "AB"},
      // The first matching rule of the run applies, also in a run at index 0.
      {{With('a', "1", "", "=:1:b"), With('a', "2"), With('b', "3")}, false, "ab", -1, "13"},
      {{With(' ', "_"), With('a', "1", "", "=:1:x"), With('a', "2")}, true, "axa a", -1, "1x2_2"},
      // Chars Translated: two, beyond the text, zero (moves on by one).
      {{With('h', "H"), With('t', "8", "", "=:1:h", 2)}, true, "that", -1, "8at"},
      {{With('a', "A", "", "", 5), With('b', "B")}, true, "ab", -1, "A"},
      {{With('a', "A", "", "", 0), With('b', "B")}, true, "aab", -1, "AAB"},
      // Counts: clamped to the text; beyond it they take in the zero.
      {zeroRule, true, "ab", 3, "AB#"},
      {zeroRule, true, "ab", -1, "AB"},
      {zeroRule, true, "ab", 0, ""},
      {zeroRule, true, "ab", 1000, "AB#"},
      {{With('a', "A")}, true, "ab", 3, "Ab"},
      {{endB, With('b', "b")}, true, "abab", -1, "abaB$"},
      {{endB, With('b', "b")}, true, "abab", 2, "aB$"},
      // No rules: every byte is unknown. Greek bytes compare unsigned.
      {{}, true, "xyz", 4, "xyz"},
      {{}, false, "xyz", -1, ""},
      {{With('a', "a"), With(0xC1, "A"), With(0xF9, "o")}, false, "\xC1\xF9z", -1, "Ao"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " count " + std::to_string(c.count));
    CRuleCollection collection(400, 1, 1);
    ASSERT_TRUE(LoadBytes(collection, File(c.rules, c.outputUnknown)));
    EXPECT_EQ(std::string(collection.convert(c.text.c_str(), 0, c.count)), c.expected);
    EXPECT_EQ(collection.convertToString(c.text, c.count), c.expected);
  }
}

TEST(CRuleCollectionTest, CountsTheRulesUseWrappingAroundThe32BitRange) {
  Rule a = With('a', "A");
  a.counter = INT32_MAX;
  CRuleCollection collection(400, 1, 1);
  ASSERT_TRUE(LoadBytes(collection, File({a, With('a', "never")}, true)));
  EXPECT_EQ(collection.convertToString("aba"), "AbA");
  EXPECT_EQ(collection.rules()[0].counter(), INT32_MIN + 1);
  EXPECT_EQ(collection.rules()[1].counter(), 0);
}

}  // namespace
