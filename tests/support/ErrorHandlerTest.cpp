#include <gtest/gtest.h>

#include <string>

#include "support/errorHandler.h"

namespace {

TEST(ErrorHandlerTest, NewHandlerHasCodeZeroAndEmptyText) {
  errorHandler handler;
  std::string text = "previous";
  EXPECT_EQ(handler.getErrorCode(), 0);
  EXPECT_EQ(handler.getErrorText(text), 0);
  EXPECT_EQ(text, "");
  EXPECT_EQ(handler.getErrorTextRef(), "");
}

TEST(ErrorHandlerTest, ClearingStoresNoErrorText) {
  errorHandler handler;
  handler.setError(804, "broken");
  EXPECT_TRUE(handler.setError(0, NO_ERROR_TEXT));
  std::string text;
  EXPECT_EQ(handler.getErrorText(text), 0);
  EXPECT_EQ(text, "NO ERROR");
}

TEST(ErrorHandlerTest, SetErrorStoresCodeAndText) {
  errorHandler handler;
  EXPECT_TRUE(handler.setError(-12, "negative"));
  EXPECT_EQ(handler.getErrorCode(), -12);
  EXPECT_TRUE(handler.setError(1, UNKNOWN_ERROR_TEXT));
  EXPECT_EQ(handler.getErrorCode(), 1);
  EXPECT_EQ(handler.getErrorTextRef(), "Unknown Error!");
}

TEST(ErrorHandlerTest, QueryInterfaceAnswersOnlySelfAndHandler) {
  errorHandler handler;
  for (int id : {0, 1}) {
    void* out = nullptr;
    EXPECT_TRUE(handler.queryInterface(id, &out)) << id;
    EXPECT_EQ(out, &handler) << id;
  }
  for (int id : {2, 3, 4, 5, -1}) {
    void* out = &handler;
    EXPECT_FALSE(handler.queryInterface(id, &out)) << id;
    EXPECT_EQ(out, nullptr) << id;
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
