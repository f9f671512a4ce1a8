#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/shared/TMShared.h"
#include "engine/shared/VAlphConverter.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/InstallationBuilder.h"

namespace {

using testing_support::InstallationBuilder;
using testing_support::MessageRecorder;
using testing_support::TestInstallation;

// Two converters (of two engines, say) convert at once through the same
// collection of the shared pool; each gets exactly its own results.
TEST(VAlphConverterThreadsTest, TwoConvertersShareOneCollection) {
  TestInstallation inst;
  MessageRecorder boxes;
  InstallationBuilder files(inst.dir());
  files.Text("config.txt", "AC.Directory=rules\nAC.Suffix=.rul\n");
  files.Rules("rules/up.rul", testing_support::UpperRules());
  files.Rules("rules/phonemes.rul", testing_support::PhonemizerRules());
  TMShared holder;
  ASSERT_EQ(holder.GetConfiguration()->Load(inst.path("config.txt")), 1);
  ASSERT_TRUE(holder.GetAC()->Load(&holder));

  VAlphConverter first;
  VAlphConverter second;
  ASSERT_EQ(first.ReferToRuleCollections("up.rul", &holder), 1);
  ASSERT_EQ(second.ReferToRuleCollections("phonemes.rul-up.rul", &holder), 1);

  // Texts of different lengths per thread, with their expected results
  // worked out one at a time beforehand.
  const int kTexts = 400;
  std::vector<std::string> texts[2];
  std::vector<std::string> expected[2];
  const VAlphConverter* converters[2] = {&first, &second};
  for (int t = 0; t < 2; ++t) {
    for (int i = 0; i < kTexts; ++i) {
      std::string text;
      for (int k = 0; k <= (i * 7 + t * 13) % 90; ++k) text += "to kato ebdf"[(i + k + t) % 12];
      char* out = nullptr;
      converters[t]->ConvertString(text.c_str(), &out);
      texts[t].push_back(text);
      expected[t].push_back(out);
      VStr::Release(&out);
    }
  }

  std::atomic<int> mismatches{0};
  std::atomic<bool> go{false};
  auto work = [&](int t) {
    while (!go.load()) std::this_thread::yield();
    for (int round = 0; round < 5; ++round) {
      for (int i = 0; i < kTexts; ++i) {
        char* out = nullptr;
        converters[t]->ConvertString(texts[t][static_cast<size_t>(i)].c_str(), &out);
        if (out == nullptr || expected[t][static_cast<size_t>(i)] != out) ++mismatches;
        VStr::Release(&out);
      }
    }
  };
  std::thread a(work, 0);
  std::thread b(work, 1);
  go = true;
  a.join();
  b.join();
  EXPECT_EQ(mismatches.load(), 0);
  EXPECT_TRUE(boxes.messages().empty());
  holder.GetAC()->Unload();
}

}  // namespace
