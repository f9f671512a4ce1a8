#include <gtest/gtest.h>

#include <cstring>
#include <iomanip>
#include <locale>
#include <string>

#include "support/mystrstream.h"

namespace {

TEST(MyStrStreamTest, StrGivesTheComposedTextWithNumbers) {
  mystrstream s;
  s << "VLayer::check(int pos)@Invalid 'pos' pointer: [" << 7 << "] / [" << 2.5 << "]";
  EXPECT_STREQ(s.str(), "VLayer::check(int pos)@Invalid 'pos' pointer: [7] / [2.5]");
}

TEST(MyStrStreamTest, ShorterSecondMessageDoesNotShowTheFirstOnesTail) {
  mystrstream s;
  s << "a rather long first message";
  EXPECT_STREQ(s.str(), "a rather long first message");
  s << "short";
  EXPECT_STREQ(s.str(), "short");
  EXPECT_EQ(s.pcount(), 0u);
  s << 42;
  EXPECT_EQ(s.pcount(), 2u);
  EXPECT_STREQ(s.str(), "42");
}

TEST(MyStrStreamTest, ExplicitTerminatorEndsTheText) {
  mystrstream s;
  s << "abc" << std::ends << "hidden";
  EXPECT_STREQ(s.str(), "abc");
  s << "next";
  EXPECT_STREQ(s.str(), "next");
  // A second str() without writing gives the empty text.
  EXPECT_STREQ(s.str(), "");
}

TEST(MyStrStreamTest, GrowsForLongTextsAndKeepsEveryCharacter) {
  mystrstream s;
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    s << i << ',';
    expected += std::to_string(i) + ",";
  }
  s << std::string(100000, 'z');
  expected += std::string(100000, 'z');
  const char* text = s.str();
  ASSERT_EQ(std::strlen(text), expected.size());
  EXPECT_EQ(std::string(text), expected);
  // After the growth a short message still stands alone.
  s << "ok";
  EXPECT_STREQ(s.str(), "ok");
}

TEST(MyStrStreamTest, StreamInFailedStateIsNotRewound) {
  mystrstream s;
  s << "before";
  s.setstate(std::ios::failbit);
  EXPECT_STREQ(s.str(), "before");
  s << "ignored";
  EXPECT_STREQ(s.str(), "before");
  s.clear();
  EXPECT_STREQ(s.str(), "before");  // rewound now
  s << "after";
  EXPECT_STREQ(s.str(), "after");
}

// A locale that groups thousands, as some user locales do.
struct GroupingPunct : std::numpunct<char> {
  char do_thousands_sep() const override { return '.'; }
  char do_decimal_point() const override { return ','; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(MyStrStreamTest, NumbersIgnoreTheGlobalLocale) {
  const std::locale previous =
      std::locale::global(std::locale(std::locale::classic(), new GroupingPunct));
  mystrstream s;
  s << 1234567 << ' ' << 2.5 << ' ' << std::setw(4) << std::setfill('0') << 7 << ' ' << std::hex
    << 255;
  std::locale::global(previous);
  EXPECT_STREQ(s.str(), "1234567 2.5 0007 ff");
}

TEST(MyStrStreamTest, TellpAndSeekpWorkWithinTheText) {
  mystrstream s;
  s << "hello world";
  EXPECT_EQ(static_cast<long>(s.tellp()), 11);
  s.seekp(6);
  s << "W";
  EXPECT_STREQ(s.str(), "hello World");
  EXPECT_EQ(static_cast<long>(s.tellp()), 0);
}

}  // namespace
