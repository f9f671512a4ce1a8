#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/ExitHook.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempDir;

// A parent sees only the low eight bits of an exit code: 541 arrives as 29,
// 550 as 38.
constexpr int ExitStatus(int code) { return code & 0xFF; }

struct ExitCalled {
  int code;
};

void ThrowingHook(int code) { throw ExitCalled{code}; }

void ReturningHook(int code) {
  std::fprintf(stderr, "hook saw %d\n", code);
  std::fflush(stderr);
}

// Restores the default hook whatever a test leaves behind.
class ExitHookTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::SetExitHook(nullptr); }
};

using ExitHookDeathTest = ExitHookTest;

TEST_F(ExitHookDeathTest, DefaultHookFlushesStdioAndExitsWithTheCode) {
  TempDir dir;
  const std::string path = dir / "out.txt";
  EXPECT_EXIT(
      {
        // Fully buffered streams: without a flush their text would be lost.
        static char buffer[4096];
        std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer);
        std::FILE* file = std::fopen(path.c_str(), "w");
        std::fputs("written before the exit", file);
        std::fputs("buffered message", stderr);
        platform::ExitProcess(541);
      },
      ::testing::ExitedWithCode(ExitStatus(541)), "buffered message");
  EXPECT_EQ(ReadFile(path), "written before the exit");
}

TEST_F(ExitHookDeathTest, ProcessEndsEvenWhenAReplacedHookReturns) {
  EXPECT_EXIT(
      {
        platform::SetExitHook(ReturningHook);
        platform::ExitProcess(550);
      },
      ::testing::ExitedWithCode(ExitStatus(550)), "hook saw 550");
}

TEST_F(ExitHookTest, ReplacedHookReceivesTheCode) {
  platform::SetExitHook(ThrowingHook);
  for (int code : {10, 540, 541, 550}) {
    try {
      platform::ExitProcess(code);
    } catch (const ExitCalled& e) {
      EXPECT_EQ(e.code, code);
      continue;
    }
    ADD_FAILURE() << "the hook was not called for " << code;
  }
}

TEST_F(ExitHookTest, SetExitHookReturnsThePreviousHook) {
  const platform::ExitHook original = platform::SetExitHook(ThrowingHook);
  EXPECT_NE(original, nullptr);
  EXPECT_EQ(platform::SetExitHook(ReturningHook), &ThrowingHook);
  // A null hook restores the default.
  EXPECT_EQ(platform::SetExitHook(nullptr), &ReturningHook);
  EXPECT_EQ(platform::SetExitHook(nullptr), original);
}

TEST_F(ExitHookDeathTest, RestoredDefaultHookEndsTheProcess) {
  platform::SetExitHook(ThrowingHook);
  platform::SetExitHook(nullptr);
  EXPECT_EXIT(platform::ExitProcess(10), ::testing::ExitedWithCode(10), "");
}

}  // namespace
