#include "engine/VTextBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

TEST(VTextBufferTest, SetTextTakesTheGivenPartOfTheSource) {
  struct Case {
    const char* text;
    int length;
    const char* held;
  };
  const Case cases[] = {
      {"abc", -1, "abc"}, {"abc", 2, "ab"},
      {"abc", 0, ""},     {"abc", 3, "abc"},
      {"abc", 10, "abc"}, {"", -1, ""},
      {"", 5, ""},        {nullptr, -1, ""},
      {nullptr, 3, ""},   {"a\tb\nc", -1, "a\tb\nc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text != nullptr ? c.text : "(null)") + " / " +
                 std::to_string(c.length));
    VTextBuffer buffer;
    buffer.SetText("previous text");
    buffer.SetText(c.text, c.length);
    EXPECT_STREQ(buffer.GetText(), c.held);
    EXPECT_EQ(buffer.GetLength(), static_cast<int>(std::strlen(c.held)));
  }
}

TEST(VTextBufferTest, LengthBeyondTheTerminatorReadsNoFurther) {
  // A block of exactly four bytes: a read past its terminator would leave it.
  std::unique_ptr<char[]> source(new char[4]);
  std::memcpy(source.get(), "xyz", 4);
  VTextBuffer buffer;
  buffer.SetText(source.get(), 1000);
  EXPECT_STREQ(buffer.GetText(), "xyz");
  EXPECT_EQ(buffer.GetLength(), 3);
}

TEST(VTextBufferTest, SourceMayLieInTheBufferItself) {
  VTextBuffer buffer;
  buffer.SetText("hello world");
  buffer.SetText(buffer.GetText() + 6);
  EXPECT_STREQ(buffer.GetText(), "world");
  buffer.SetText(buffer.GetText(), 3);
  EXPECT_STREQ(buffer.GetText(), "wor");
  buffer.SetText(buffer.GetText());
  EXPECT_STREQ(buffer.GetText(), "wor");
  buffer.SetText(buffer.GetText() + 1, 50);
  EXPECT_STREQ(buffer.GetText(), "or");
  buffer.SetText(buffer.GetText() + 2);
  EXPECT_STREQ(buffer.GetText(), "");
  EXPECT_EQ(buffer.GetLength(), 0);
}

TEST(VTextBufferTest, NewBufferHoldsTheEmptyText) {
  VTextBuffer buffer;
  ASSERT_NE(buffer.GetText(), nullptr);
  EXPECT_STREQ(buffer.GetText(), "");
  EXPECT_EQ(buffer.GetLength(), 0);
}

}  // namespace
