#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/MessageBox.h"

namespace {

TEST(MessageBoxTest, DefaultSinkWritesCaptionAndTextToStderr) {
  platform::SetMessageSink(nullptr);
  ::testing::internal::CaptureStderr();
  platform::ShowMessageBox("Tamrin Engine", "Error: parameter [x] was not found in [config.txt]");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[Tamrin Engine] Error: parameter [x] was not found in [config.txt]\n");
}

TEST(MessageBoxTest, ReplacedSinkReceivesEveryMessageAndCanBeRestored) {
  std::vector<std::pair<std::string, std::string>> seen;
  platform::MessageSink previous =
      platform::SetMessageSink([&seen](const std::string& caption, const std::string& text) {
        seen.emplace_back(caption, text);
      });
  ASSERT_TRUE(static_cast<bool>(previous));
  ::testing::internal::CaptureStderr();
  platform::ShowMessageBox("A", "one");
  std::thread other([] { platform::ShowMessageBox("B", "two"); });
  other.join();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{{"A", "one"}, {"B", "two"}}));

  platform::SetMessageSink(previous);
  ::testing::internal::CaptureStderr();
  platform::ShowMessageBox("C", "three");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[C] three\n");
  EXPECT_EQ(seen.size(), 2u);
}

}  // namespace
