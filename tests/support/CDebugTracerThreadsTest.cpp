#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/cdebugtracer.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFile;
using testing_support::ReadLines;
using testing_support::TempDir;

// Several tracers of one name, each on its own thread, take turns through
// the lock file: every line arrives whole and the control record counts
// every line.
TEST(CDebugTracerThreadsTest, LockSerialisesWritersOfOneName) {
  TempDir dir;
  const std::string base = dir / "N";
  constexpr int kThreads = 3;
  constexpr int kLines = 3;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&base, t] {
      CDebugTracer tracer(base, 2, 100, true, true);
      for (int n = 0; n < kLines; ++n) {
        tracer.printline("thread" + std::to_string(t), n, "text " + std::to_string(t * 10 + n));
      }
    });
  }
  for (std::thread& th : threads) th.join();

  EXPECT_FALSE(FileExists(base + ".lck"));
  const std::vector<std::string> lines = ReadLines(base + "_1.trc");
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
  const std::regex format(R"(thread(\d)::(\d)::\d{4}/\d{2}/\d{2}:\d{2}:\d{2}:\d{2}::text (\d+))");
  std::set<int> seen;
  for (const std::string& line : lines) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, format)) << line;
    EXPECT_EQ(std::stoi(m[3]), std::stoi(m[1]) * 10 + std::stoi(m[2])) << line;
    seen.insert(std::stoi(m[3]));
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kLines));

  const std::string record = ReadFile(base + ".crl");
  ASSERT_EQ(record.size(), 16u);
  EXPECT_EQ(static_cast<unsigned char>(record[8]), kThreads * kLines);  // lines in the file
  EXPECT_EQ(static_cast<unsigned char>(record[12]), 1);                 // current file
}

}  // namespace
