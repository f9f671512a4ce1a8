#include "engine/base/VStr.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// Owns one VStr block for the length of a test.
struct Owned {
  explicit Owned(char* block = nullptr) : p(block) {}
  ~Owned() { VStr::Release(&p); }
  char* p;
};

TEST(VStrTest, BlocksOfEverySizeAndNullTextsAreSafe) {
  EXPECT_EQ(VStr::Allocate(-1), nullptr);
  for (int n : {0, -2, INT_MIN}) {  // other sizes below zero count as zero
    Owned block(VStr::Allocate(n)), dup(VStr::DuplicateN("abc", n));
    ASSERT_TRUE(block.p != nullptr && dup.p != nullptr) << n;
    EXPECT_STREQ(block.p, "");
    EXPECT_STREQ(dup.p, "");
  }
  Owned d(VStr::DuplicateN("abcdef", 3));
  EXPECT_STREQ(d.p, "abc");
  for (const char* s : {"", static_cast<const char*>(nullptr)}) EXPECT_LT(VStr::LastChar(s), 0);
  EXPECT_EQ(VStr::LastChar("abc"), 2);
  Owned c(VStr::Concat(nullptr, "x")), p(VStr::Duplicate("ab-"));
  EXPECT_STREQ(c.p, "x");
  VStr::AssignConcat(&p.p, p.p, p.p);
  EXPECT_STREQ(p.p, "ab-ab-");
  VStr::Assign(&p.p, p.p);  // built from the old text before it goes
  EXPECT_STREQ(p.p, "ab-ab-");
  VStr::Append(&p.p, "cdefghijklmnop");  // grows, and may append itself
  VStr::Append(&p.p, p.p);
  EXPECT_STREQ(p.p, "ab-ab-cdefghijklmnopab-ab-cdefghijklmnop");
  for (int n : {0, -999999999, INT_MAX, INT_MIN})
    EXPECT_EQ(Owned(VStr::FromInt(n)).p, std::to_string(n));
}

TEST(VStrTest, NextTokenConsumesExactlyOneDelimiter) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"a;b", {"a", "b", ""}},      {"a;b;", {"a", "b"}},
      {"a;;b", {"a", "", "b", ""}}, {"", {""}},
      {";a", {"", "a", ""}},        {"A;B\n", {"A", "B"}},
      {"x\t\ty\n", {"x", "", "y"}}, {";;", {"", "", ""}},
      {"a;;", {"a", "", ""}},
  };
  for (const auto& [text, expected] : cases) {
    std::vector<std::string> tokens;
    const char* cursor = text;
    while (char* token = VStr::NextToken(&cursor, ";\t\n")) {
      tokens.emplace_back(token);
      VStr::Release(&token);
      if (tokens.size() > 10) break;
    }
    EXPECT_EQ(tokens, expected) << text;
  }
}

TEST(VStrTest, SplitKeyValueLooksForTheValuesEndAfterTheColon) {
  const std::string longValue(5000, 'v');
  const std::pair<std::string, std::string> cases[] = {
      {"type:stop\tphrase:fin", "type|stop"},
      {"k:v\nrest", "k|v"},
      {"k:a:b", "k|a:b"},
      {"a\tb:c", "a\tb|c"},
      {"x\ty:z\nw", "x\ty|z"},
      {"stressed:", "stressed|"},
      {"n:" + longValue + "\tx:1", "n|" + longValue},
  };
  for (const auto& [line, expected] : cases) {
    std::string text = line;
    Owned key, value(VStr::Duplicate("old"));
    ASSERT_TRUE(VStr::SplitKeyValue(text.data(), &key.p, &value.p)) << line;
    EXPECT_EQ(std::string(key.p) + "|" + value.p, expected);
  }
  std::string noColon = "no colon";
  Owned key(VStr::Duplicate("k")), value;
  EXPECT_FALSE(VStr::SplitKeyValue(noColon.data(), &key.p, &value.p));
  EXPECT_STREQ(key.p, "k");
}

}  // namespace
