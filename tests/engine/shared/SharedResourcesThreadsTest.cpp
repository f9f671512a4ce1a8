// Two composers use the shared resources at once: each converts its texts
// through the same rule collection and analyses its phrases through the
// same template compiler, and gets exactly what it gets alone.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/shared/V58ProsodicCompiler.h"
#include "engine/shared/VAlphConverter.h"
#include "tests/common/ComposerBed.h"

namespace {

class SharedResourcesThreadsTest : public testing_support::ComposerBed {};

TEST_F(SharedResourcesThreadsTest, TwoComposersConvertAndAnalyseAtOnce) {
  inst_.Complete();
  shared_.GetConfiguration()->Load(inst_.path("config.txt"));
  ASSERT_TRUE(shared_.GetAC()->Load(&shared_));
  const auto element = [](const char* name, const char* start) {
    return std::string(name) + "\t" + start + "\t0.9\tvowel:1\t0.3\t0.9\t0.8\tvowel:1\t0.5";
  };
  inst_.Scrambled("v58/greek.v58",
                  {";", "%stop", "#H S1 T", element("H", "1.1"), element("S1", "1.3"),
                   element("T", "0.9"), "#S1 T1 S3 T3", element("S1", "1.2"), element("T1", "1"),
                   element("S3", "1.25"), element("T3", "0.8"), "%", "%question", "#H S1 T",
                   element("H", "0.9"), element("S1", "1.1"), element("T", "1.4"), "%"},
                  V58ProsodicCompiler::kRecordSize);
  V58ProsodicCompiler compiler;
  ASSERT_TRUE(compiler.Load(inst_.path("v58/greek.v58")));
  struct Run {
    std::unique_ptr<testing_support::BedComposer> bed;
    VAlphConverter converter;
    std::string text;
    std::pair<std::string, std::vector<float>> alone;  // the converted text and the cells
  } runs[2];
  runs[0].text = "ma_ma_mA_ma_ma.mAma_ma_tAma.";
  runs[1].text = "ma_ma_mA_ma_ma;";
  const auto once = [&compiler](Run& run) {
    char* out = nullptr;
    run.converter.ConvertString(run.text.c_str(), &out);
    const std::string converted = out != nullptr ? out : "";
    VStr::Release(&out);
    run.bed->Build(run.text);
    compiler.AnalysePhrases(&run.bed->composer, run.bed->phrases, run.bed->words,
                            run.bed->syllables);
    return std::make_pair(converted, run.bed->Cells());
  };
  for (Run& run : runs) {
    run.bed = MakeComposer();
    ASSERT_EQ(run.converter.ReferToRuleCollections("upper.rul-phonemes.rul", &shared_), 1);
    run.alone = once(run);
    ASSERT_NE(run.alone.second, std::vector<float>(run.alone.second.size(), 1.0f));
  }
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (Run& run : runs) {
    threads.emplace_back([&run, &once, &wrong] {
      for (int i = 0; i < 100; ++i) wrong += once(run) != run.alone;
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
  shared_.GetAC()->Unload();
}

}  // namespace
