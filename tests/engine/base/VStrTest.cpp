#include "engine/base/VStr.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Owns one VStr block for the length of a test.
struct Owned {
  char* p = nullptr;
  Owned() = default;
  explicit Owned(char* block) : p(block) {}
  ~Owned() { VStr::Release(&p); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
};

// Every token of text, in order; "<null>" marks the null result that ends
// the walk (the walk stops there).
std::vector<std::string> Tokens(const char* text, const char* delimiters,
                                std::vector<char>* met = nullptr) {
  std::vector<std::string> out;
  const char* cursor = text;
  for (int guard = 0; guard < 100; ++guard) {
    char m = 'X';
    char* token = VStr::NextToken(&cursor, delimiters, met != nullptr ? &m : nullptr);
    if (token == nullptr) {
      out.push_back("<null>");
      return out;
    }
    if (met != nullptr) met->push_back(m);
    out.push_back(token);
    VStr::Release(&token);
  }
  out.push_back("<endless>");
  return out;
}

TEST(VStrTest, EqualAndIsEmpty) {
  EXPECT_TRUE(VStr::Equal(nullptr, nullptr));
  EXPECT_FALSE(VStr::Equal(nullptr, ""));
  EXPECT_FALSE(VStr::Equal("", nullptr));
  EXPECT_TRUE(VStr::Equal("abc", "abc"));
  EXPECT_FALSE(VStr::Equal("abc", "ab"));
  EXPECT_FALSE(VStr::Equal("Abc", "abc"));
  EXPECT_TRUE(VStr::IsEmpty(nullptr));
  EXPECT_TRUE(VStr::IsEmpty(""));
  EXPECT_FALSE(VStr::IsEmpty(" "));
  EXPECT_EQ(VStr::Length(nullptr), 0);
  EXPECT_EQ(VStr::Length("abc"), 3);
}

TEST(VStrTest, AllocateAndResetGiveZeroedBlocksAndNegativeSizesAreSafe) {
  Owned five(VStr::Allocate(5));
  ASSERT_NE(five.p, nullptr);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(five.p[i], '\0') << i;
  EXPECT_EQ(VStr::Allocate(-1), nullptr);
  Owned r(VStr::Duplicate("previous"));
  VStr::Reset(&r.p, 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(r.p[i], '\0');

  // Other sizes below zero count as zero and give a usable empty text.
  for (int n : {0, -2, INT_MIN}) {
    SCOPED_TRACE(n);
    Owned block(VStr::Allocate(n));
    ASSERT_NE(block.p, nullptr);
    EXPECT_STREQ(block.p, "");
    Owned dup(VStr::DuplicateN("abc", n));
    ASSERT_NE(dup.p, nullptr);
    EXPECT_STREQ(dup.p, "");
    VStr::Reset(&r.p, n);
    ASSERT_NE(r.p, nullptr);
    EXPECT_STREQ(r.p, "");
    VStr::AssignN(&r.p, "abc", n);
    ASSERT_NE(r.p, nullptr);
    EXPECT_STREQ(r.p, "");
  }
}

TEST(VStrTest, ReleaseDuplicateAssign) {
  char* p = VStr::Duplicate("text");
  EXPECT_STREQ(p, "text");
  VStr::Release(&p);
  EXPECT_EQ(p, nullptr);
  VStr::Release(&p);  // releasing null is harmless
  VStr::Release(nullptr);
  EXPECT_EQ(VStr::Duplicate(nullptr), nullptr);
  Owned a(VStr::Duplicate("first"));
  VStr::Assign(&a.p, "second");
  EXPECT_STREQ(a.p, "second");
  VStr::Assign(&a.p, a.p);  // built from the old text before it goes
  EXPECT_STREQ(a.p, "second");
  VStr::Assign(&a.p, nullptr);
  EXPECT_EQ(a.p, nullptr);
}

TEST(VStrTest, DuplicateN) {
  const std::pair<const char*, int> cases[] = {{"abc", 5}, {"abcdef", 3}, {"abc", 0}, {"", 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " " + std::to_string(c.second));
    Owned d(VStr::DuplicateN(c.first, c.second));
    ASSERT_NE(d.p, nullptr);
    const std::string expected = std::string(c.first).substr(0, c.second);
    EXPECT_EQ(d.p, expected);
    // The block has n + 1 bytes, zero from the copied text to the end.
    for (int i = static_cast<int>(expected.size()); i <= c.second; ++i) EXPECT_EQ(d.p[i], '\0');
  }
  EXPECT_EQ(VStr::DuplicateN(nullptr, 3), nullptr);

  Owned a(VStr::Duplicate("keep"));
  VStr::AssignN(&a.p, "abcdef", 2);
  EXPECT_STREQ(a.p, "ab");
  VStr::AssignN(&a.p, nullptr, 2);
  EXPECT_EQ(a.p, nullptr);
}

TEST(VStrTest, LastCharScansNothingOnEmptyOrNull) {
  EXPECT_EQ(VStr::LastChar("abc"), 2);
  EXPECT_EQ(VStr::LastChar("a"), 0);
  for (const char* s : {"", static_cast<const char*>(nullptr)}) {
    int visits = 0;
    for (int i = 0; i <= VStr::LastChar(s); ++i) ++visits;
    EXPECT_EQ(visits, 0);
  }
}

TEST(VStrTest, NextTokenConsumesExactlyOneDelimiter) {
  struct Case {
    const char* text;
    const char* delimiters;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"a;b", ";", {"a", "b", "", "<null>"}},
      {"a;b;", ";", {"a", "b", "<null>"}},
      {"a;;b", ";", {"a", "", "b", "", "<null>"}},
      {";", ";", {"", "", "<null>"}},
      {"", ";", {"", "<null>"}},
      {";a", ";", {"", "a", "", "<null>"}},
      {";;", ";", {"", "", "", "<null>"}},
      {"a;;", ";", {"a", "", "", "<null>"}},
      {"VM_A;VM_B\n", ";\n", {"VM_A", "VM_B", "<null>"}},
      {"VM_A;VM_B", ";\n", {"VM_A", "VM_B", "", "<null>"}},
      {"x\t\ty\n", "\t\n", {"x", "", "y", "<null>"}},
      {"no delimiters", "", {"no delimiters", "", "<null>"}},
      {"abc", nullptr, {"abc", "", "<null>"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.text, c.delimiters), c.expected) << c.text;
  // With met given: the delimiter met, or the zero at the end.
  std::vector<char> met;
  Tokens("a;b", ";", &met);
  EXPECT_EQ(met, (std::vector<char>{';', '\0', '\0'}));
  met.clear();
  Tokens("w1 w2,w3", " ,", &met);
  EXPECT_EQ(met, (std::vector<char>{' ', ',', '\0', '\0'}));
}

TEST(VStrTest, NextTokenLeavesTheTextAndNullCursorsAlone) {
  const char* original = "a;b";
  char buffer[] = "a;b";
  char* cursor = buffer;
  char* t1 = VStr::NextToken(&cursor, ";");
  EXPECT_STREQ(t1, "a");
  EXPECT_EQ(cursor, buffer + 2);
  char* t2 = VStr::NextToken(&cursor, ";");
  EXPECT_STREQ(t2, "b");
  EXPECT_EQ(cursor, buffer + 3);  // on the terminating zero, not null
  char* t3 = VStr::NextToken(&cursor, ";");
  EXPECT_STREQ(t3, "");
  EXPECT_EQ(cursor, nullptr);
  EXPECT_STREQ(buffer, original);
  VStr::Release(&t1);
  VStr::Release(&t2);
  VStr::Release(&t3);

  char met = 'X';
  EXPECT_EQ(VStr::NextToken(&cursor, ";", &met), nullptr);
  EXPECT_EQ(met, 'X');
  EXPECT_EQ(VStr::NextToken(static_cast<const char**>(nullptr), ";"), nullptr);
}

TEST(VStrTest, SplitKeyValue) {
  struct Case {
    const char* s;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"type:stop\tphrase:fin", "type", "stop"},
      {"stressed:", "stressed", ""},
      {"k:v\nrest", "k", "v"},
      {"k:v\tw\nx", "k", "v"},
      {"k:a:b", "k", "a:b"},
      // The end of the value is looked for after the colon only.
      {"a\tb:c", "a\tb", "c"},
      {"a\nb:c\td", "a\nb", "c"},
      {"x\ty:z\nw", "x\ty", "z"},
  };
  for (const Case& c : cases) {
    std::string text = c.s;
    char* key = nullptr;
    char* value = VStr::Duplicate("old value");
    ASSERT_TRUE(VStr::SplitKeyValue(text.data(), &key, &value)) << c.s;
    EXPECT_STREQ(key, c.key) << c.s;
    EXPECT_STREQ(value, c.value) << c.s;
    EXPECT_STREQ(text.c_str(), c.key) << c.s;  // the colon became the end
    VStr::Release(&key);
    VStr::Release(&value);
  }
}

TEST(VStrTest, SplitKeyValueHasNoValueLimitAndNeedsAColon) {
  const std::string longValue(5000, 'v');
  std::string text = "name:" + longValue + "\tnext:1";
  char* key = nullptr;
  char* value = nullptr;
  ASSERT_TRUE(VStr::SplitKeyValue(text.data(), &key, &value));
  EXPECT_STREQ(key, "name");
  EXPECT_EQ(std::string(value), longValue);
  VStr::Release(&key);
  VStr::Release(&value);

  std::string noColon = "no colon here";
  key = VStr::Duplicate("k");
  EXPECT_FALSE(VStr::SplitKeyValue(noColon.data(), &key, &value));
  EXPECT_STREQ(key, "k");
  EXPECT_EQ(noColon, "no colon here");
  EXPECT_FALSE(VStr::SplitKeyValue(nullptr, &key, &value));
  VStr::Release(&key);
}

TEST(VStrTest, FromIntFitsEveryInt) {
  const std::pair<int, const char*> cases[] = {{0, "0"},
                                               {-5, "-5"},
                                               {-999999999, "-999999999"},
                                               {INT_MAX, "2147483647"},
                                               {INT_MIN, "-2147483648"}};
  for (const auto& c : cases) {
    Owned s(VStr::FromInt(c.first));
    EXPECT_STREQ(s.p, c.second);
  }
}

TEST(VStrTest, ConcatAndAssignConcat) {
  Owned c(VStr::Concat("abc", "de"));
  EXPECT_STREQ(c.p, "abcde");
  Owned n1(VStr::Concat(nullptr, "x"));
  EXPECT_STREQ(n1.p, "x");
  Owned n3(VStr::Concat(nullptr, nullptr));
  EXPECT_STREQ(n3.p, "");
  Owned p(VStr::Duplicate("ab-"));
  VStr::AssignConcat(&p.p, p.p, p.p);
  EXPECT_STREQ(p.p, "ab-ab-");
  VStr::AssignConcat(&p.p, nullptr, "z");
  EXPECT_STREQ(p.p, "z");
}

TEST(VStrTest, AppendGrowsIntoANewBlock) {
  // The first block has room for "abc" only; the result needs more.
  Owned p(VStr::Duplicate("abc"));
  const char* before = p.p;
  VStr::Append(&p.p, "defghijklmnop");
  EXPECT_STREQ(p.p, "abcdefghijklmnop");
  EXPECT_NE(p.p, before);
  VStr::Append(&p.p, p.p);
  VStr::Append(&p.p, nullptr);
  EXPECT_STREQ(p.p, "abcdefghijklmnopabcdefghijklmnop");

  char* none = nullptr;
  VStr::Append(&none, "x");
  EXPECT_EQ(none, nullptr);
  VStr::Append(nullptr, "x");
}

}  // namespace
