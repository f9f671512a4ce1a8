// The letter-conversion rules: CRule reads a rule record and matches its
// contexts, CRuleCollection loads rule files and converts texts. Rule files
// are written byte by byte here, so that files of any shape can be made.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "support/alphconv.h"
#include "tests/common/TestSupport.h"

namespace {

// Contexts are written "op:repetition:set" per element, elements separated
// by '|': op "=", "!=" or anything else (accepts every character),
// repetition "n" or "min-max", set "\\0" for the boundary.
struct Rule {
  unsigned char mainChar;
  std::string translation, before{}, after{};
  uint8_t charsTranslated = 1;
  uint8_t enabled = 1;
};

// A context's element count, then its ops, repetitions and sets.
std::string Context(const std::string& text) {
  std::vector<std::string> fields[3];
  std::istringstream in(text);
  for (std::string element; std::getline(in, element, '|');) {
    std::istringstream parts(element);
    for (auto& field : fields) std::getline(parts, field.emplace_back(), ':');
  }
  const auto count = static_cast<uint16_t>(fields[0].size());
  std::string out{static_cast<char>(count & 0xFF), static_cast<char>(count >> 8)};
  for (const auto& field : fields) {
    for (const std::string& value : field) out += value + '\0';
  }
  return out;
}

std::string Record(const Rule& rule) {
  std::string out{static_cast<char>(rule.enabled), static_cast<char>(rule.mainChar)};
  out += Context(rule.before) + Context(rule.after) + rule.translation + '\0';
  return out + static_cast<char>(rule.charsTranslated) + std::string(4, '\0');  // the counter
}

// No font block, the output-unknown byte, the records.
std::string File(const std::vector<Rule>& rules, bool outputUnknown) {
  std::string out{'\0', static_cast<char>(outputUnknown)};
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
    if (text.back() == '$') text.back() = '\0';
    const Rule def{static_cast<unsigned char>(text[at]), "", before == "-" ? "" : before,
                   after == "-" ? "" : after};
    EXPECT_EQ(Load(def).matches(text.data(), text.data() + text.size() - 1, text.data() + at),
              result == "1");
  }
  // Sixteen ranges before a b that never comes: trying every way of sharing
  // the a's among them would not end.
  std::string ranges;
  for (int i = 0; i < 16; ++i) ranges += "=:1-64:a|";
  const std::string aaa = "X" + std::string(64, 'a') + "c";
  EXPECT_FALSE(Load({'X', "", "", ranges + "=:1:b"})
                   .matches(aaa.data(), aaa.data() + aaa.size() - 1, aaa.data()));
  for (uint8_t enabled : {0, 2}) {  // enabled 0 never matches, any other value does
    const char* a = "a";
    EXPECT_EQ(Load({'a', "", "", "", 1, enabled}).matches(a, a, a), enabled != 0);
  }
}

TEST(CRuleTest, ParsesRepetitions) {
  // "TEXT=MIN,MAX" for a valid repetition, "TEXT!" for an invalid one.
  const std::string cases[] = {
      "2-4=2,4", "2-2=2,2", "=0,0", " 7=7,7", "+5=5,5", " 2- 4=2,4",   "1-2147483647=1,2147483647",
      "1-!",     "3-2!",    "0-0!", "-1!",    "7 !",    "2147483648!", "4294967297!",
      "1-2-3!"};
  for (const std::string& c : cases) {
    SCOPED_TRACE(c);
    const bool valid = c.back() != '!';
    int32_t minimum = -99, maximum = -99;
    const std::string text = c.substr(0, valid ? c.find('=') : c.size() - 1);
    ASSERT_EQ(CRule::parseRepetition(text, minimum, maximum), valid);
    if (valid) {
      EXPECT_EQ(c.substr(c.find('=') + 1), std::to_string(minimum) + "," + std::to_string(maximum));
    }
  }
}

TEST(CRuleTest, ARecordCutShortGivesTheCodeOfTheFieldBeingRead) {
  const std::string record = Record({'a', "tr", "=:1:xy|!=:0-2:z", "=:1:\\0"});
  const std::pair<std::size_t, int> cases[] = {{0, 805},  {1, 806},  {3, 807},  {4, 808},
                                               {19, 808}, {21, 809}, {27, 810}, {31, 811},
                                               {32, 812}, {36, 813}};
  for (const auto& [size, code] : cases) {
    std::istringstream in(record.substr(0, size), std::ios::binary);
    CRule rule;
    EXPECT_FALSE(rule.loadFromStream(in)) << size;
    EXPECT_EQ(rule.error().getErrorCode(), code) << size;
  }
}

// Serves its bytes, then fails with a read error.
struct FailingBuffer : std::stringbuf {
  using std::stringbuf::stringbuf;
  int_type underflow() override { throw std::runtime_error("read error"); }
};

bool LoadBytes(CRuleCollection& collection, const std::string& bytes, bool readError = false) {
  FailingBuffer failing(bytes, std::ios::in);
  std::stringbuf plain(bytes, std::ios::in);
  std::istream in(readError ? static_cast<std::streambuf*>(&failing) : &plain);
  return collection.loadFromStream(in);
}

TEST(CRuleCollectionTest, LoadsRulesInFileOrderAndRecomputesTheLongestTranslation) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "a.rul", File({{'c', "C"}, {'a', "aa"}}, false));
  CRuleCollection collection(400, 1, 1);
  ASSERT_TRUE(collection.loadFromFile(dir / "a.rul"));
  EXPECT_EQ(collection.rules()[0].mainChar(), 'c');  // not sorted
  EXPECT_EQ(collection.longestTranslation(), 2);
  ASSERT_TRUE(LoadBytes(collection, File({{'a', "x"}, {'b', "yyy"}}, true)));
  int index = -1;
  EXPECT_EQ(collection.getMaxTranslationLength(index), 3);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(collection.rules().size(), 2u);  // the earlier rules are gone
  EXPECT_EQ(collection.convertToString("bab"), "yyyxyyy");
  ASSERT_TRUE(LoadBytes(collection, File({}, true)));
  EXPECT_EQ(collection.longestTranslation(), -1);
  for (const std::string& path : {dir / "missing.rul", dir.path()}) {
    EXPECT_FALSE(collection.loadFromFile(path));
    EXPECT_EQ(collection.error().getErrorCode(), 800) << path;
  }
}

TEST(CRuleCollectionTest, ShortFilesAndReadErrorsGiveTheirCodes) {
  const std::string first = File({{'a', "A"}}, true);
  const std::string whole = first + Record({'b', "B", "", "=:1:c"});
  // The bytes, whether a read error follows them, the code, the rules kept.
  const std::tuple<std::string, bool, int, std::size_t> cases[] = {
      {"", false, 801, 0},
      {"\x01", false, 802, 0},
      {std::string(1, '\0'), false, 803, 0},
      {whole.substr(0, whole.size() - 1), false, 0, 1},  // a record cut at the end is dropped
      {whole.substr(0, 5), true, 804, 0},
      {whole.substr(0, first.size() + 5), true, 804, 1},
  };
  for (const auto& [bytes, readError, code, rules] : cases) {
    SCOPED_TRACE(bytes.size());
    CRuleCollection collection(400, 1, 1);
    EXPECT_EQ(LoadBytes(collection, bytes, readError), code == 0);
    EXPECT_EQ(collection.error().getErrorCode(), code);
    EXPECT_EQ(collection.rules().size(), rules);
  }
}

TEST(CRuleCollectionTest, ConvertsTexts) {
  // The rules, whether unknown characters are copied, the text, the count, the result.
  const std::tuple<std::vector<Rule>, bool, std::string, int, std::string> cases[] = {
      // Unknown characters are copied or dropped; a rule that does not match
      // leaves its character unknown.
      {{{'a', "A"}, {'b', "B", "=:1:z"}}, true, "abzb", -1, "AbzB"},
      {{{'a', "A"}, {'b', "B", "=:1:z"}}, false, "abzb", -1, "AB"},
      // The first matching rule of the run applies, also in a run at index 0.
      {{{'a', "1", "", "=:1:b"}, {'a', "2"}, {'b', "3"}}, false, "ab", -1, "13"},
      {{{' ', "_"}, {'a', "1", "", "=:1:x"}, {'a', "2"}}, true, "axa a", -1, "1x2_2"},
      // Chars Translated: two, beyond the text, zero (moves on by one).
      {{{'h', "H"}, {'t', "8", "", "=:1:h", 2}}, true, "that", -1, "8at"},
      {{{'a', "A", "", "", 5}, {'b', "B"}}, true, "ab", -1, "A"},
      {{{'a', "A", "", "", 0}, {'b', "B"}}, true, "aab", -1, "AAB"},
      // Counts: clamped to the text; beyond it they take in the zero.
      {{{'\0', "#"}, {'a', "A"}, {'b', "B"}}, true, "ab", 3, "AB#"},
      {{{'\0', "#"}, {'a', "A"}, {'b', "B"}}, true, "ab", -1, "AB"},
      {{{'\0', "#"}, {'a', "A"}, {'b', "B"}}, true, "ab", 0, ""},
      {{{'\0', "#"}, {'a', "A"}, {'b', "B"}}, true, "ab", 1000, "AB#"},
      {{{'a', "A"}}, true, "ab", 3, "Ab"},
      {{{'b', "B$", "", "=:1:\\0"}, {'b', "b"}}, true, "abab", -1, "abaB$"},
      {{{'b', "B$", "", "=:1:\\0"}, {'b', "b"}}, true, "abab", 2, "aB$"},
      // No rules: every byte is unknown. Greek bytes compare unsigned.
      {{}, true, "xyz", 4, "xyz"},
      {{}, false, "xyz", -1, ""},
      {{{'a', "a"}, {0xC1, "A"}, {0xF9, "o"}}, false, "\xC1\xF9z", -1, "Ao"},
  };
  for (const auto& [rules, outputUnknown, text, count, expected] : cases) {
    SCOPED_TRACE(text + " count " + std::to_string(count));
    CRuleCollection collection(400, 1, 1);
    ASSERT_TRUE(LoadBytes(collection, File(rules, outputUnknown)));
    EXPECT_EQ(std::string(collection.convert(text.c_str(), 0, count)), expected);
    EXPECT_EQ(collection.convertToString(text, count), expected);
  }
}

}  // namespace
