// CRule: reading a rule record, reading repetitions and matching the two
// contexts around a position.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/alphconv.h"
#include "tests/support/RuleFileWriter.h"

namespace {

using rule_file::Element;

CRule Load(const rule_file::Rule& def) {
  std::istringstream in(rule_file::Record(def), std::ios::in | std::ios::binary);
  CRule rule;
  EXPECT_TRUE(rule.loadFromStream(in)) << rule.error().getErrorTextRef();
  return rule;
}

// Context elements written "op:repetition:set", separated by '|'.
std::vector<Element> Elements(const std::string& text) {
  std::vector<Element> out;
  std::istringstream in(text);
  std::string item;
  while (std::getline(in, item, '|')) {
    const size_t a = item.find(':');
    const size_t b = item.find(':', a + 1);
    out.push_back({item.substr(0, a), item.substr(a + 1, b - a - 1), item.substr(b + 1)});
  }
  return out;
}

struct MatchCase {
  const char* name;
  const char* before;
  const char* after;
  std::string text;  // the Main Char stands at position
  std::size_t position;
  bool expected;
  bool countZero = false;  // the converted characters include the terminating zero
  uint8_t enabled = 1;
};

TEST(CRuleMatchTest, TableOfContexts) {
  const std::string ab0("ab\0", 3);
  // Sixteen ranges before a b that never comes: backtracking through every
  // way of sharing the a's among them would not end.
  std::string ranges;
  for (int i = 0; i < 16; ++i) ranges += "=:1-64:a|";
  ranges += "=:1:b";
  const std::string aaa = "X" + std::string(64, 'a') + "c";
  const MatchCase cases[] = {
      // Enabled 0 never matches.
      {"disabled_empty_contexts", "", "", "abc", 1, false, false, 0},
      {"disabled_matching_contexts", "=:1:a", "=:1:c", "abc", 1, false, false, 0},
      {"enabled_byte_2_counts_as_enabled", "", "", "abc", 1, true, false, 2},
      // Empty contexts match wherever the Main Char stands.
      {"empty_middle", "", "", "abc", 1, true},
      {"empty_single_character", "", "", "a", 0, true},
      // "\0" element: the text boundary, or a backslash or a '0' inside the text.
      {"before_boundary_at_first", "=:1:\\0", "", "abc", 0, true},
      {"before_boundary_inside_letter", "=:1:\\0", "", "abc", 1, false},
      {"before_boundary_inside_backslash", "=:1:\\0", "", "\\b", 1, true},
      {"before_boundary_inside_zero_digit", "=:1:\\0", "", "0b", 1, true},
      {"after_boundary_at_last", "", "=:1:\\0", "abc", 2, true},
      {"after_boundary_inside_letter", "", "=:1:\\0", "abc", 1, false},
      {"after_boundary_inside_zero_digit", "", "=:1:\\0", "a0c", 0, true},
      {"boundary_needs_repetition_exactly_1", "", "=:2:\\0", "abc", 2, false},
      {"boundary_repetition_1_1_is_not_1", "", "=:1-1:\\0", "abc", 2, false},
      {"boundary_needs_operator_equal", "", "!=:1:\\0", "abc", 2, false},
      {"boundary_with_more_set_members", "=:1: \\0", "", "ab", 0, true},
      // The terminating zero counted in is the boundary as well.
      {"after_boundary_meets_counted_zero", "", "=:1:\\0", ab0, 1, true, true},
      {"plain_set_rejects_counted_zero", "", "=:1:a", ab0, 1, false, true},
      {"zero_itself_meets_boundary", "", "=:1:\\0", ab0, 2, true, true},
      {"counted_zero_ends_the_text_before_a_required_element", "", "=:1:\\0|=:1:x", "ab", 1, true,
       true},
      {"counted_zero_ends_the_text_for_an_optional_element", "", "=:0-1:x|=:1:y", "ab", 1, true,
       true},
      // Elements with minimum 0 decide the boundary at once, even with required
      // elements after them.
      {"before_min0_at_boundary", "=:0-1:x|=:1:y", "", "ab", 0, true},
      {"after_min0_at_boundary", "", "=:0-2:x|=:2:y", "ab", 1, true},
      {"after_min1_at_boundary", "", "=:1-2:x", "ab", 1, false},
      {"after_boundary_after_consumed_text", "", "=:1:b|=:1:\\0", "ab", 0, true},
      {"after_boundary_not_reached", "", "=:1:b|=:1:\\0", "abc", 0, false},
      // One element ("=", 1-2, {a}) after the Main Char, then leftwards.
      {"range_lone_a_at_end", "", "=:1-2:a", "Xa", 0, true},
      {"range_aab", "", "=:1-2:a", "Xaab", 0, true},
      {"range_ab_extends_into_b", "", "=:1-2:a", "Xab", 0, false},
      {"before_range_baa", "=:1-2:a", "", "baaX", 3, true},
      {"before_range_ba_extends_into_b", "=:1-2:a", "", "baX", 2, false},
      // Two elements ("=", 1-2, {a}) and ("=", "1", {b}).
      {"two_aab_at_end", "", "=:1-2:a|=:1:b", "Xaab", 0, true},
      {"two_aab_text_after", "", "=:1-2:a|=:1:b", "Xaabc", 0, true},
      {"two_ab_at_end", "", "=:1-2:a|=:1:b", "Xab", 0, true},
      {"two_ab_text_after", "", "=:1-2:a|=:1:b", "Xabc", 0, false},
      // Operators.
      {"not_in_set_accepts_other", "", "!=:1:x", "ay", 0, true},
      {"not_in_set_rejects_member", "", "!=:1:x", "ax", 0, false},
      {"other_operator_accepts_all", "", "<>:1:x", "ax", 0, true},
      {"empty_operator_accepts_all", "", ":1:", "a\\", 0, true},
      {"set_compares_bytes", "", "=:1:\xE1", "a\xE1", 0, true},
      {"set_compares_bytes_exactly", "", "=:1:\xE1", "a\xC1", 0, false},
      // Invalid repetitions fail wherever the element is reached.
      {"invalid_3_2_inside", "", "=:3-2:a", "Xaaa", 0, false},
      {"invalid_3_2_at_boundary", "", "=:3-2:a", "Xa", 1, false},
      {"invalid_3_2_before_at_boundary", "=:3-2:a", "", "Xa", 0, false},
      {"invalid_negative_at_boundary", "", "=:-1:a", "X", 0, false},
      {"invalid_second_element_reached", "", "=:1:a|=:3-2:b", "Xab", 0, false},
      // Optional elements leave a rejected character to the next element.
      {"optional_skipped", "", "=:0-1:x|=:1:y", "Ay", 0, true},
      {"optional_next_starts_first_repetition", "", "=:0-1:x|=:2:y", "Ayy", 0, true},
      {"optional_next_needs_both", "", "=:0-1:x|=:2:y", "Ayz", 0, false},
      // Lazy repetitions with a minimum above 1.
      {"minimum_two_reached", "", "=:2-3:a|=:1:b", "Xaab", 0, true},
      {"minimum_two_short", "", "=:2-3:a|=:1:b", "Xab", 0, false},
      {"many_ranges_fail_in_polynomial_time", "", ranges.c_str(), aaa, 0, false},
      // Both sides must match.
      {"before_matches_after_fails", "=:1:a", "=:1:z", "abc", 1, false},
      {"both_match", "=:1:a", "=:1:c", "abc", 1, true},
  };
  for (const MatchCase& c : cases) {
    rule_file::Rule def;
    def.enabled = c.enabled;
    def.mainChar = static_cast<unsigned char>(c.text[c.position]);
    def.before = Elements(c.before);
    def.after = Elements(c.after);
    const CRule rule = Load(def);
    const char* first = c.text.c_str();
    const char* last = first + c.text.size() - (c.countZero ? 0 : 1);
    EXPECT_EQ(rule.matches(first, last, first + c.position), c.expected) << c.name;
  }
  // A new rule is disabled.
  const char* blanks = "   ";
  EXPECT_FALSE(CRule().matches(blanks, blanks + 2, blanks + 1));
}

TEST(CRuleMatchTest, MatchSideAndTheAfterLimit) {
  rule_file::Rule def;
  def.before = Elements("=:1:z");
  def.after = Elements("=:1:c");
  const CRule rule = Load(def);
  const char* text = "abc";
  EXPECT_FALSE(rule.matchSide(CRule::Side::Before, text + 1, text, text + 2));
  EXPECT_TRUE(rule.matchSide(CRule::Side::After, text + 1, text, text + 2));

  // With "abcdef" converted up to c, an After boundary element matches at c.
  def.before.clear();
  def.after = Elements("=:1:\\0");
  const CRule boundary = Load(def);
  const char* abcdef = "abcdef";
  EXPECT_TRUE(boundary.matches(abcdef, abcdef + 2, abcdef + 2));
  EXPECT_FALSE(boundary.matches(abcdef, abcdef + 5, abcdef + 2));
}

TEST(CRuleParseRepetitionTest, Table) {
  struct Case {
    const char* text;
    bool valid;
    int32_t minimum, maximum;
  };
  const Case cases[] = {
      {"2-4", true, 2, 4}, {"0-3", true, 0, 3},    {"", true, 0, 0},
      {"0", true, 0, 0},   {"1", true, 1, 1},      {" 7", true, 7, 7},
      {"+5", true, 5, 5},  {" 2- 4", true, 2, 4},  {"2147483647", true, INT32_MAX, INT32_MAX},
      {"1-", false, 0, 0}, {"3-2", false, 0, 0},   {"0-0", false, 0, 0},
      {"-1", false, 0, 0}, {"-", false, 0, 0},     {"4294967297", false, 0, 0},
      {"7 ", false, 0, 0}, {"x", false, 0, 0},     {"2147483648", false, 0, 0},
      {" ", false, 0, 0},  {"1-2-3", false, 0, 0}, {"0-4294967297", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE('"' + std::string(c.text) + '"');
    int32_t minimum = -99;
    int32_t maximum = -99;
    EXPECT_EQ(CRule::parseRepetition(c.text, minimum, maximum), c.valid);
    if (c.valid) {
      EXPECT_EQ(minimum, c.minimum);
      EXPECT_EQ(maximum, c.maximum);
    }
  }
}

rule_file::Rule SampleRule() {
  rule_file::Rule def;
  def.mainChar = 'a';
  def.before = Elements("=:1:xy|!=:0-2:z");
  def.after = Elements("=:1:\\0");
  def.translation = "tr";
  def.counter = 5;
  return def;
}

TEST(CRuleLoadTest, ReadsEveryField) {
  rule_file::Rule def = SampleRule();
  def.mainChar = 0xE1;
  def.enabled = 3;
  def.counter = -7;
  def.charsTranslated = 2;
  std::istringstream in(rule_file::Record(def) + rule_file::Record(rule_file::Simple('b', "B")),
                        std::ios::in | std::ios::binary);
  CRule rule;
  CRule next;
  ASSERT_TRUE(rule.loadFromStream(in));
  ASSERT_TRUE(next.loadFromStream(in));
  EXPECT_EQ(rule.enabled(), 3);
  EXPECT_EQ(rule.mainChar(), 0xE1);
  EXPECT_EQ(rule.before().operators, (std::vector<std::string>{"=", "!="}));
  EXPECT_EQ(rule.before().repetitions, (std::vector<std::string>{"1", "0-2"}));
  EXPECT_EQ(rule.before().characterSets, (std::vector<std::string>{"xy", "z"}));
  EXPECT_EQ(rule.after().characterSets, (std::vector<std::string>{"\\0"}));
  EXPECT_EQ(rule.translation(), "tr");
  EXPECT_EQ(rule.charsTranslated(), 2);
  EXPECT_EQ(rule.counter(), -7);
  EXPECT_EQ(rule.error().getErrorCode(), 0);
  // The next record follows at once.
  EXPECT_EQ(next.mainChar(), 'b');
  EXPECT_EQ(next.translation(), "B");
  EXPECT_TRUE(next.before().empty());
}

TEST(CRuleLoadTest, RecordCutShortGivesTheCodeOfTheFieldBeingRead) {
  const std::string record = rule_file::Record(SampleRule());
  ASSERT_EQ(record.size(), 37u);
  const std::string read = "CRule:loadFromStream(): cannot read ";
  const std::string before = read + "Before Collection Character!:j=(";
  const std::string after = read + "After Collection Character!:j=(";
  const std::vector<std::tuple<std::size_t, int, std::string>> cases = {
      {0, 805, read + "Enabled!"},
      {1, 806, read + "Main Char!"},
      {3, 807, read + "Before Collection Length!"},
      {4, 808, before + "1),i=(1)"},
      {6, 808, before + "1),i=(2)"},
      {12, 808, before + "2),i=(2)"},
      {19, 808, before + "3),i=(2)"},
      {21, 809, read + "After Collection Length!"},
      {22, 810, after + "1),i=(1)"},
      {27, 810, after + "3),i=(1)"},
      {31, 811, read + "a char from Translation!"},
      {32, 812, read + "a Chars Translated!"},
      {36, 813, read + "a Counter!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::get<0>(c));
    std::istringstream in(record.substr(0, std::get<0>(c)), std::ios::in | std::ios::binary);
    CRule rule;
    EXPECT_FALSE(rule.loadFromStream(in));
    std::string text;
    EXPECT_EQ(rule.error().getErrorText(text), std::get<1>(c));
    EXPECT_EQ(text, std::get<2>(c));
  }
}

TEST(CRuleCopyTest, CopiesEveryFieldAndMatchesAlike) {
  rule_file::Rule def = SampleRule();
  def.counter = 41;
  CRule original = Load(def);
  void* handler = nullptr;
  ASSERT_TRUE(original.queryInterface(IID_ERROR_HANDLER, &handler));
  static_cast<errorHandler*>(handler)->setError(809, "some text");
  original.countUse();

  const CRule copy(original);
  CRule assigned;
  assigned = original;
  for (const CRule* rule : {&copy, static_cast<const CRule*>(&assigned)}) {
    EXPECT_EQ(rule->mainChar(), 'a');
    EXPECT_EQ(rule->before().characterSets, original.before().characterSets);
    EXPECT_EQ(rule->after().repetitions, original.after().repetitions);
    EXPECT_EQ(rule->translation(), "tr");
    EXPECT_EQ(rule->counter(), 42);
    EXPECT_EQ(rule->error().getErrorCode(), 809);
    EXPECT_EQ(rule->error().getErrorTextRef(), "some text");
    const char* text = "xa";
    EXPECT_TRUE(rule->matches(text, text + 1, text + 1));
    EXPECT_FALSE(rule->matches(text, text + 1, text));
  }
  // The copies count on their own.
  original.countUse();
  EXPECT_EQ(original.counter(), 43);
  EXPECT_EQ(copy.counter(), 42);
}

TEST(CRuleCounterTest, WrapsAroundThe32BitRange) {
  rule_file::Rule def = rule_file::Simple('a', "A");
  def.counter = INT32_MAX;
  const CRule top = Load(def);
  top.countUse();
  EXPECT_EQ(top.counter(), INT32_MIN);
  def.counter = -1;
  const CRule minusOne = Load(def);
  minusOne.countUse();
  EXPECT_EQ(minusOne.counter(), 0);
}

TEST(CRuleInterfaceTest, QueryInterface) {
  CRule rule;
  void* out = nullptr;
  EXPECT_TRUE(rule.queryInterface(IID_SELF, &out));
  EXPECT_EQ(out, static_cast<void*>(&rule));
  EXPECT_TRUE(rule.queryInterface(IID_ERROR_HANDLER, &out));
  EXPECT_EQ(out, static_cast<const void*>(&rule.error()));
  EXPECT_TRUE(rule.queryInterface(IID_TRACER, &out));
  EXPECT_EQ(out, static_cast<const void*>(&rule.tracer()));
  for (int id : {3, 4, 5, -1}) {
    out = &rule;
    EXPECT_FALSE(rule.queryInterface(id, &out)) << id;
    EXPECT_EQ(out, nullptr) << id;
  }
  EXPECT_FALSE(rule.queryInterface(IID_SELF, nullptr));
}

}  // namespace
