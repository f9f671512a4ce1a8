#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/utilities.h"

namespace {

// The process-wide last error is written and read from several threads; a
// reader always sees a code together with its own text.
TEST(UtilitiesThreadsTest, LastErrorKeepsCodeAndTextTogether) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 2000;
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &mismatches] {
      std::string text;
      for (int i = 0; i < kRounds; ++i) {
        const int code = t * kRounds + i;
        UTILITIES::setError(code, "error " + std::to_string(code));
        const int read = UTILITIES::getError(text);
        if (text != "error " + std::to_string(read)) ++mismatches;
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(mismatches.load(), 0);
}

// Time stamps are made on the GUI and the speech threads at once.
TEST(UtilitiesThreadsTest, TimeStampsFromSeveralThreads) {
  constexpr int kThreads = 4;
  std::atomic<int> bad{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&bad] {
      for (int i = 0; i < 500; ++i) {
        const std::string stamp = UTILITIES::getTimeStamp();
        if (stamp.size() != 14 || stamp.find_first_not_of("0123456789") != std::string::npos) ++bad;
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(bad.load(), 0);
}

}  // namespace
