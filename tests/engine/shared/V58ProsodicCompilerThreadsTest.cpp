#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/shared/V58ProsodicCompiler.h"
#include "tests/engine/V58TestBed.h"

namespace {

using testing_support::V58Composer;

class V58ProsodicCompilerThreadsTest : public testing_support::V58TestBed {
 protected:
  static std::string Element(const char* name, const char* start, const char* position,
                             const char* end, const char* endPosition) {
    return std::string(name) + "\t" + start + "\t" + position + "\tvowel:1\t0.3\t" + end + "\t" +
           endPosition + "\tvowel:1\t0.5";
  }

  // Builds the composer's phrases and analyses them all; the cells and the
  // marks of the syllables as they came out.
  struct Result {
    std::vector<float> cells;
    std::vector<std::string> marks;
    int applied = 0;
  };
  static Result Run(const V58ProsodicCompiler& compiler, V58Composer& c, const std::string& text) {
    Result r;
    if (c.Build(text) != 1) return r;
    r.applied = compiler.AnalysePhrases(&c.composer, c.phrases, c.words, c.syllables);
    r.cells = c.Cells();
    const _token_* t = c.syllables->First();
    for (int i = 0; i < c.syllables->Size(); ++i, t = t->GetNext())
      r.marks.push_back(t->GetString());
    return r;
  }
};

TEST_F(V58ProsodicCompilerThreadsTest, TwoComposersAnalyseAtOnceThroughOneCompiler) {
  V58ProsodicCompiler compiler;
  compiler.Load(WriteTemplates("greek.v58", {"%stop",
                                             "#H S1 T",
                                             Element("H", "1.1", "1", "1", "0.9"),
                                             Element("S1", "1.3", "0.9", "1", "0.8"),
                                             Element("T", "0.9", "0.8", "1", "1"),
                                             "#S1 T1 S3 T3",
                                             Element("S1", "1.2", "1", "1", "0.9"),
                                             Element("T1", "1.0", "1", "1", "0.9"),
                                             Element("S3", "1.25", "0.9", "1", "0.9"),
                                             Element("T3", "0.8", "0.9", "1", "1"),
                                             "%",
                                             "%question",
                                             "#H S1 T",
                                             Element("H", "0.9", "1", "1", "1.1"),
                                             Element("S1", "1.1", "1.2", "1", "1.3"),
                                             Element("T", "1.4", "1.1", "1", "1"),
                                             "#S1 T1 S3 T3",
                                             Element("S1", "0.9", "1", "1", "1.1"),
                                             Element("T1", "1.0", "1", "1", "1.1"),
                                             Element("S3", "1.1", "1.2", "1", "1.2"),
                                             Element("T3", "1.3", "1.1", "1", "1"),
                                             "%"}));

  // Each composer's phrases: H S1 T and S1 T1 S3 T3, of its own type.
  const std::string textA = "ma_ma_mA_ma_ma.mAma_ma_tAma.";
  const std::string textB = "mAma_ma_tAma;ma_ma_mA_ma_ma;";
  auto a = MakeComposer();
  auto b = MakeComposer();
  const Result expectedA = Run(compiler, *a, textA);
  const Result expectedB = Run(compiler, *b, textB);
  ASSERT_EQ(expectedA.applied, 2);
  ASSERT_EQ(expectedB.applied, 2);
  ASSERT_EQ(expectedA.cells.size(), 100u);
  ASSERT_EQ(expectedB.cells.size(), 100u);
  // The two runs moved their cells, and differently.
  EXPECT_NE(expectedA.cells, std::vector<float>(100, 1.0f));
  EXPECT_NE(expectedA.cells, expectedB.cells);
  EXPECT_NE(expectedA.marks[2].find("phrase:firstStress"), std::string::npos);
  EXPECT_NE(expectedA.marks[8].find("phrase:lastStress"), std::string::npos);

  constexpr int kRounds = 200;
  std::vector<Result> resultsA(kRounds);
  std::vector<Result> resultsB(kRounds);
  std::thread first([&] {
    for (int i = 0; i < kRounds; ++i) resultsA[static_cast<size_t>(i)] = Run(compiler, *a, textA);
  });
  std::thread second([&] {
    for (int i = 0; i < kRounds; ++i) resultsB[static_cast<size_t>(i)] = Run(compiler, *b, textB);
  });
  first.join();
  second.join();

  for (int i = 0; i < kRounds; ++i) {
    const Result& ra = resultsA[static_cast<size_t>(i)];
    const Result& rb = resultsB[static_cast<size_t>(i)];
    ASSERT_EQ(ra.applied, 2) << "round " << i;
    ASSERT_EQ(rb.applied, 2) << "round " << i;
    ASSERT_EQ(ra.cells, expectedA.cells) << "round " << i;
    ASSERT_EQ(rb.cells, expectedB.cells) << "round " << i;
    ASSERT_EQ(ra.marks, expectedA.marks) << "round " << i;
    ASSERT_EQ(rb.marks, expectedB.marks) << "round " << i;
  }
  EXPECT_TRUE(LogErrors().empty());
}

}  // namespace
