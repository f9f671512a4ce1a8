// Two engines that speak to files at once on two threads share the one
// synthesizer channel of the process: each file is still the file that its
// engine writes alone.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/interface/tmengine.h"
#include "tests/common/Installation.h"

namespace {

TEST(SpeechThreadsTest, TwoEnginesSavingAtOnceWriteTheFilesTheyWriteAlone) {
  testing_support::Installation inst;
  inst.Assemble();
  ASSERT_EQ(tmengine__LoadSharedResources(), 0);
  Tamrin* engines[2] = {nullptr, nullptr};
  const std::string texts[2] = {"καλημέρα σας καλημέρα σας", "καληνύχτα και καλό ξημέρωμα"};
  std::string alone[2];
  for (int e = 0; e < 2; ++e) {
    ASSERT_EQ(tmengine__New(&engines[e]), 0);
    ASSERT_EQ(tmengine__SetPitchReference(engines[e], 1.0 + 0.4 * e), 0);
    const std::string file = "alone" + std::to_string(e) + ".wav";
    ASSERT_EQ(tmengine_TextToFile(engines[e], texts[e].c_str(), file.c_str()), 0);
    alone[e] = testing_support::ReadFile(file);
  }
  ASSERT_NE(alone[0], alone[1]);
  int wrong[2] = {0, 0};
  std::vector<std::thread> threads;
  for (int e = 0; e < 2; ++e) {
    threads.emplace_back([&, e] {
      for (int round = 0; round < 12; ++round) {
        const std::string file = "together" + std::to_string(e) + ".wav";
        if (tmengine_TextToFile(engines[e], texts[e].c_str(), file.c_str()) != 0 ||
            testing_support::ReadFile(file) != alone[e]) {
          ++wrong[e];
        }
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong[0] + wrong[1], 0);
  for (Tamrin*& engine : engines) EXPECT_EQ(tmengine__Delete(&engine), 0);
  EXPECT_EQ(tmengine__ReleaseSharedResources(), 0);
}

}  // namespace
