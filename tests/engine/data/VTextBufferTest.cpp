#include "engine/data/VTextBuffer.h"

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
  const Case cases[] = {{"abc", -1, "abc"}, {"abc", 2, "ab"}, {"abc", 0, ""},
                        {"abc", 10, "abc"}, {"", 5, ""},      {nullptr, 3, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text != nullptr ? c.text : "(null)") + " / " +
                 std::to_string(c.length));
    VTextBuffer buffer;
    buffer.SetText("previous text");
    buffer.SetText(c.text, c.length);
    EXPECT_STREQ(buffer.GetText(), c.held);
    EXPECT_EQ(buffer.GetLength(), static_cast<int>(std::strlen(c.held)));
  }
  VTextBuffer fresh;
  ASSERT_NE(fresh.GetText(), nullptr);
  EXPECT_STREQ(fresh.GetText(), "");
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
  buffer.SetText(buffer.GetText() + 1, 50);
  EXPECT_STREQ(buffer.GetText(), "or");
  buffer.SetText(buffer.GetText() + 2);
  EXPECT_STREQ(buffer.GetText(), "");
  EXPECT_EQ(buffer.GetLength(), 0);
}

}  // namespace
