#include <gtest/gtest.h>

#include <string>

#include "support/errorHandler.h"

namespace {

TEST(ErrorHandlerTest, NewHandlerHasCodeZeroAndEmptyText) {
  errorHandler handler;
  std::string text = "previous";
  EXPECT_EQ(handler.getErrorText(text), 0);
  EXPECT_EQ(text, "");
  EXPECT_TRUE(handler.setError(-12, "negative"));
  EXPECT_EQ(handler.getErrorCode(), -12);
  EXPECT_TRUE(handler.setError(1, UNKNOWN_ERROR_TEXT));
  EXPECT_EQ(handler.getErrorTextRef(), "Unknown Error!");
  // Clearing stores the no-error text.
  EXPECT_TRUE(handler.setError(0, NO_ERROR_TEXT));
  EXPECT_EQ(handler.getErrorText(text), 0);
  EXPECT_EQ(text, "NO ERROR");
}

TEST(ErrorHandlerTest, QueryInterfaceAnswersOnlySelfAndHandler) {
  errorHandler handler;
  int other = 0;
  for (int id : {0, 1, 2, 3, 4, -1}) {
    void* out = &other;
    EXPECT_EQ(handler.queryInterface(id, &out), id <= 1 && id >= 0) << id;
    EXPECT_EQ(out, id == 0 || id == 1 ? &handler : nullptr) << id;
  }
}

TEST(ErrorHandlerTest, QueryInterfaceWithNullOutPointerFails) {
  errorHandler handler;
  for (int id : {0, 1, 2, -1}) EXPECT_FALSE(handler.queryInterface(id, nullptr)) << id;
}

TEST(ErrorHandlerTest, GetErrorTextCopiesWhileRefFollowsLaterErrors) {
  errorHandler handler;
  handler.setError(208, "first");
  std::string copy;
  EXPECT_EQ(handler.getErrorText(copy), 208);
  const std::string& ref = handler.getErrorTextRef();
  handler.setError(209, "second");
  EXPECT_EQ(copy, "first");
  EXPECT_EQ(ref, "second");
}

TEST(ErrorHandlerTest, CopyingCopiesCodeAndTextIndependently) {
  errorHandler original;
  original.setError(805, "rule 3");
  errorHandler copied(original);
  errorHandler assigned;
  assigned.setError(1, "other");
  assigned = original;
  original.setError(0, NO_ERROR_TEXT);
  for (const errorHandler* h : {&copied, &assigned}) {
    EXPECT_EQ(h->getErrorCode(), 805);
    EXPECT_EQ(h->getErrorTextRef(), "rule 3");
  }
}

}  // namespace
