// Two engines that speak to files at the same time on two threads share the
// one synthesizer channel of the process: each file must still be the file
// that its engine writes alone.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "engine/interface/tmengine.h"
#include "tests/modules/SpeechTestBed.h"

namespace {

using speech_testing::AssembledInstallation;
using speech_testing::UseInstallation;

TEST(SpeechThreadsTest, TwoEnginesSavingAtOnceWriteTheFilesTheyWriteAlone) {
  AssembledInstallation installation;
  UseInstallation use(installation);
  ASSERT_EQ(tmengine__LoadSharedResources(), 0);
  Tamrin* engines[2] = {nullptr, nullptr};
  ASSERT_EQ(tmengine__New(&engines[0]), 0);
  ASSERT_EQ(tmengine__New(&engines[1]), 0);
  // Different texts at different pitches.
  const std::string texts[2] = {"καλημέρα σας καλημέρα σας καλημέρα σας",
                                "καληνύχτα και καλό ξημέρωμα, καληνύχτα και καλό ξημέρωμα"};
  ASSERT_EQ(tmengine__SetPitchReference(engines[1], 1.4), 0);

  std::string alone[2];
  for (int e = 0; e < 2; ++e) {
    const std::string file = installation.workDir() + "/alone" + std::to_string(e) + ".wav";
    ASSERT_EQ(tmengine_TextToFile(engines[e], texts[e].c_str(), file.c_str()), 0);
    alone[e] = testing_support::ReadFile(file);
    ASSERT_GT(alone[e].size(), 44u + 2 * 22050 / 2);
  }
  ASSERT_NE(alone[0], alone[1]);

  constexpr int kRounds = 24;
  std::vector<std::string> written[2];
  int results[2][kRounds] = {};
  std::vector<std::thread> threads;
  std::atomic<int> waiting{2};
  for (int e = 0; e < 2; ++e) {
    threads.emplace_back([&, e] {
      // Both threads start together.
      waiting.fetch_sub(1);
      while (waiting.load() > 0) std::this_thread::yield();
      for (int round = 0; round < kRounds; ++round) {
        const std::string file = installation.workDir() + "/together" + std::to_string(e) + "_" +
                                 std::to_string(round) + ".wav";
        results[e][round] = tmengine_TextToFile(engines[e], texts[e].c_str(), file.c_str());
        written[e].push_back(file);
      }
    });
  }
  for (std::thread& t : threads) t.join();

  for (int e = 0; e < 2; ++e) {
    for (int round = 0; round < kRounds; ++round) {
      SCOPED_TRACE(written[e][static_cast<std::size_t>(round)]);
      EXPECT_EQ(results[e][round], 0);
      EXPECT_TRUE(testing_support::ReadFile(written[e][static_cast<std::size_t>(round)]) ==
                  alone[e]);
    }
  }
  EXPECT_EQ(tmengine__Delete(&engines[0]), 0);
  EXPECT_EQ(tmengine__Delete(&engines[1]), 0);
  EXPECT_EQ(tmengine__ReleaseSharedResources(), 0);
}

}  // namespace
