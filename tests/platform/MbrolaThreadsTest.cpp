// Several threads on the one channel of mbrola.so: every entry point locks
// it, so whole lines written from different threads all come out.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/SynthTestSupport.h"

namespace {

TEST(MbrolaThreadsTest, WritersAndReadersShareTheChannel) {
  synth_test::Library& lib = synth_test::Library::Get();
  ASSERT_TRUE(lib.ok());
  ASSERT_EQ(lib.Fresh(), 0);
  constexpr int kThreads = 4;
  constexpr int kLines = 60;
  std::atomic<long> samples{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&lib, &samples, t] {
      int16_t block[512];
      for (int i = 0; i < kLines; ++i) {
        const std::string line =
            std::string(t % 2 ? "a" : "s") + " 20 (50," + std::to_string(100 + 10 * t) + ")\n";
        while (lib.Write(line) <= 0) {
          int n = 0;
          while ((n = lib.Read(block, 512)) > 0) samples += n;
        }
        char text[100];
        lib.lastErrorStr_MBR(text, sizeof text);
        lib.getFreq_MBR();
        lib.getVolumeRatio_MBR();
      }
      int n = 0;
      while ((n = lib.Read(block, 512)) > 0) samples += n;
    });
  }
  for (std::thread& t : threads) t.join();
  lib.Flush();
  int16_t block[4096];
  int n = 0;
  while ((n = lib.Read(block, 4096)) > 0) samples += n;
  EXPECT_EQ(samples.load(), kThreads * kLines * 441L);  // 20 ms each
  EXPECT_EQ(lib.lastError_MBR(), 0) << lib.ErrorText();
  lib.close_MBR();
}

}  // namespace
