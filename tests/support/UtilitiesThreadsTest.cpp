// The process-wide last error and the time stamps, used from several
// threads at once: a reader always sees a code with its own text.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/utilities.h"

namespace {

TEST(UtilitiesThreadsTest, TheLastErrorKeepsCodeAndTextTogether) {
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &wrong] {
      std::string text;
      for (int code = t * 1000; code < t * 1000 + 1000; ++code) {
        UTILITIES::setError(code, "error " + std::to_string(code));
        const int got = UTILITIES::getError(text);
        wrong += text != "error " + std::to_string(got) || UTILITIES::getTimeStamp().size() != 14;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
