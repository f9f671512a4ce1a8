// The phrase templates: template files, the eight points of a phrase, and
// the F0 cells moved by the template of the phrase's type.
#include "engine/shared/V58ProsodicCompiler.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/shared/V58ProsodicCollection.h"
#include "engine/shared/V58ProsodicTemplate.h"
#include "engine/shared/V58ProsodicTemplateElement.h"
#include "tests/common/ComposerBed.h"

namespace {

using namespace testing_support;
using Strings = std::vector<std::string>;

// An element whose movements are steps on the vowels.
std::string Element(const char* name, const char* start, const char* position = "1",
                    const char* end = "1", const char* endPosition = "1") {
  return std::string(name) + "\t" + start + "\t" + position + "\tvowel:1\t0\t" + end + "\t" +
         endPosition + "\tvowel:1\t0";
}

class V58ProsodicCompilerTest : public ComposerBed {
 protected:
  // A compiler of a template file of these lines, after a first record the reader passes over.
  std::unique_ptr<V58ProsodicCompiler> Load(Strings lines, const std::string& name = "greek.v58") {
    lines.insert(lines.begin(), "; templates");
    inst_.Scrambled("v58/" + name, lines, V58ProsodicCompiler::kRecordSize);
    auto compiler = std::make_unique<V58ProsodicCompiler>();
    EXPECT_TRUE(compiler->Load(inst_.path("v58/" + name)));
    return compiler;
  }
  static float First(const V58ProsodicCompiler& compiler, const char* collection, int mask) {
    const V58ProsodicCollection* c = compiler.GetCollection(collection);
    const V58ProsodicTemplate* t = c != nullptr ? c->Get(mask) : nullptr;
    return t != nullptr && t->GetElementCount() > 0 ? t->GetElement(0)->GetStartValue() : -1.0f;
  }
  int Analyse(const V58ProsodicCompiler& compiler) {
    return compiler.AnalysePhrases(&bed_->composer, bed_->phrases, bed_->words, bed_->syllables);
  }
};

TEST_F(V58ProsodicCompilerTest, HeadersNameThePointsOfTheirMask) {
  const struct {
    const char* line;
    int mask, names;
    bool repeated;
  } cases[] = {{"#H S1 T", 193, 3, false}, {"#H S1 T1 S2 T2 S3 T3 T", 255, 8, false},
               {"#H  T", 129, 3, false},   {"#H\tS1 T", 128, 1, false},
               {"#X S3 t", 4, 3, false},   {"#H S1 H", 192, 3, true}};
  for (const auto& c : cases) {
    int mask = -1;
    bool repeated = !c.repeated;
    EXPECT_EQ(V58ProsodicCompiler::ParseTemplateHeader(&mask, c.line, &repeated), c.names)
        << c.line;
    EXPECT_EQ(std::make_pair(mask, repeated), std::make_pair(c.mask, c.repeated)) << c.line;
  }
}

TEST_F(V58ProsodicCompilerTest, TemplateFilesFillTheSlotsOfTheirCollections) {
  const auto compiler = Load({
      // clang-format off
      Element("X", "9"), "#H",
      "%comma\tthe name ends at the tab", Element("X", "9"),
      "#H", "; a comment", Element("H", "1.5"),
      "%comma closes, opens nothing",
      "#T", Element("T", "9"),
      "%question", "#T", Element("T", "0.8"),
      "#H H T", Element("H", "9"),
      "#T", Element("T", "0.7"), "%",
      "%exclamation", "#H", Element("H", "1")
      // clang-format on
  });
  ASSERT_EQ(compiler->CollectionCount(), 2);
  EXPECT_EQ(compiler->CollectionNameAt(1), "question");
  EXPECT_FLOAT_EQ(First(*compiler, "comma", 128), 1.5f);
  ASSERT_FLOAT_EQ(First(*compiler, "question", 1), 0.7f);      // a slot given twice keeps the later
  EXPECT_EQ(compiler->GetCollection("question")->Count(), 1);  // the refused header added nothing
  EXPECT_EQ(compiler->GetCollection("exclamation"), nullptr);  // never closed
}

TEST_F(V58ProsodicCompilerTest, RefusalsAreSkippedAndAZeroEndPositionReportsALocaleError) {
  Strings lines;
  for (int i = 0; i < 102; ++i)
    lines.insert(lines.end(), {"%c" + std::to_string(i), "#H", Element("H", "1"), "%"});
  EXPECT_EQ(Load(lines)->CollectionCount(), V58ProsodicCompiler::kCapacity);
  const Strings zero = {"%stop", "#H S1", Element("H", "1", "1", "1", "0"),
                        Element("S1", "1", "1", "1", "0.0"), "%"};
  EXPECT_FLOAT_EQ(First(*Load(zero, "a.v58"), "stop", 192), 1.0f);  // still added
  Load(zero, "b.v58");
  EXPECT_EQ(boxes_.reports(), (Strings{"locale error", "locale error"}));
  V58ProsodicCompiler missing;
  EXPECT_TRUE(missing.Load(inst_.path("v58/missing.v58")));
  const std::string before = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  const auto german = Load({"%stop", "#H", Element("H", "1.25"), "%"}, "c.v58");
  std::setlocale(LC_ALL, before.c_str());
  EXPECT_FLOAT_EQ(First(*german, "stop", 128), 1.25f);
}

TEST_F(V58ProsodicCompilerTest, AMalformedRecordIsReportedAndReadingGoesOn) {
  // The first record and each "lost" one get a length field that is no number.
  const Strings lines = {
      "; templates",       "%stop", "#H", "lost", Element("H", "1.5"), "%", "%comma", "#T", "lost",
      Element("T", "0.5"), "%"};
  inst_.Scrambled("v58/bad.v58", lines, V58ProsodicCompiler::kRecordSize);
  std::string content = ReadFile(inst_.path("v58/bad.v58"));
  for (size_t record : {0, 3, 8}) content[record * V58ProsodicCompiler::kRecordSize + 4] = 'x';
  inst_.write("v58/bad.v58", content);
  V58ProsodicCompiler compiler;
  compiler.Load(inst_.path("v58/bad.v58"));
  EXPECT_FLOAT_EQ(First(compiler, "stop", 128), 1.5f);
  EXPECT_FLOAT_EQ(First(compiler, "comma", 1), 0.5f);
  EXPECT_EQ(boxes_.reports(), Strings(3, "malformed entry in file " + inst_.path("v58/bad.v58")));
}

TEST_F(V58ProsodicCompilerTest, ThePointsOfAPhraseFollowItsStresses) {
  const struct {
    const char* text;
    int mask;
    std::array<int, 8> counts;  // H S1 T1 S2 T2 S3 T3 T
    Strings marks;
  } cases[] = {
      // clang-format off
      {"ma.", 128, {1, 0, 0, 0, 0, 0, 0, 0}, {""}},
      {"mamamamama.", 129, {4, 0, 0, 0, 0, 0, 0, 1}, {"", "", "", "", ""}},
      {"ma_ma_mA_ma_ma.", 193, {2, 2, 0, 0, 0, 0, 0, 1}, {"", "", "firstStress", "", ""}},
      {"mA.", 64, {0, 1, 0, 0, 0, 0, 0, 0}, {"firstStress"}},
      {"mA_ma.", 65, {0, 1, 0, 0, 0, 0, 0, 1}, {"firstStress", ""}},
      {"ma_mA.", 192, {1, 1, 0, 0, 0, 0, 0, 0}, {"", "firstStress"}},
      {"mA_ma_mA.", 68, {0, 2, 0, 0, 0, 1, 0, 0}, {"firstStress", "", "lastStress"}},
      {"mAma_ma_tAma.", 102, {0, 1, 2, 0, 0, 1, 1, 0}, {"firstStress", "", "", "lastStress", ""}},
      {"mamAta_ma_tAma_ma_mAta_ma.", 255, {1, 1, 2, 1, 2, 1, 1, 1}, {"", "firstStress", "", "", "preLastStress", "", "", "lastStress", "", ""}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    bed_->Build(c.text);
    ASSERT_EQ(bed_->phrases->Size(), 1);
    const V58ProsodicCompiler::Points pts =
        V58ProsodicCompiler::FindPoints(bed_->phrases->First(), bed_->words, bed_->syllables);
    EXPECT_TRUE(pts.covered);
    EXPECT_EQ(pts.Mask(), c.mask);
    EXPECT_EQ(pts.count, c.counts);
    EXPECT_EQ(bed_->Marks(), c.marks);
  }
}

TEST_F(V58ProsodicCompilerTest, TheTemplateOfThePhrasesTypeMovesItsCells) {
  const auto compiler =
      Load({"%stop", "#H S1 T", Element("H", "1.2", "1", "1", "0.9"),
            Element("S1", "1.3", "1", "0.9", "0.8"), Element("T", "0.9", "0.9", "1", "1"), "#S1 T",
            Element("S1", "1.3"), Element("T", "1.3"), "%", "%question", "#S1 T",
            Element("S1", "1.1"), Element("T", "1.1"), "%"});
  // m a _ m a _ m A _ m a .: H on "ma" at 1.2; to S1 the level moves from 1.2
  // to 1.2 x 0.9 over two vowel anchors (n = 3); S1 multiplies the level
  // reached by 1.3; to T from the last cell of "A" to base x 0.8.
  ASSERT_EQ(bed_->Build("ma_ma_mA_ma_ma."), 1);
  EXPECT_EQ(Analyse(*compiler), 1);
  const float toS1 = 1.2f * (1.0f - 0.1f * std::log(2.0f) / std::log(3.0f));
  const float sA = 1.2f * 0.9f * 1.3f, base = 0.9f * sA;
  const float toT = base * (1.0f - 0.2f * std::log(2.0f) / std::log(3.0f));
  ExpectCells(bed_->Cells(), Join({Repeat(1.2f), Repeat(1.2f), Repeat(1.2f), Repeat(toS1),
                                   Repeat(toS1 * 1.3f), Repeat(sA), Repeat(base), Repeat(toT),
                                   Repeat(toT * 0.9f), Repeat(base * 0.8f * 0.81f)}));
  // Each phrase its own collection (a type without one takes the first);
  // T starts at its value x the level reached.
  ASSERT_EQ(bed_->Build("mA_ma;mA_ma.mA_ma!"), 1);
  EXPECT_EQ(Analyse(*compiler), 3);
  ExpectCells(bed_->Cells(), Join({Repeat(1.1f, 10), Repeat(1.21f, 10), Repeat(1.3f, 10),
                                   Repeat(1.69f, 10), Repeat(1.3f, 10), Repeat(1.69f, 10)}));
  EXPECT_EQ(inst_.Logged(), 0);
}

TEST_F(V58ProsodicCompilerTest, APhraseWithoutATemplateKeepsItsCellsAndMarksAndIsLoggedOncePerRun) {
  const auto compiler = Load({"%stop", "#H", Element("H", "2"), "#S1 T", Element("S1", "2"), "%"});
  ASSERT_EQ(bed_->Build("mA_ma.ma_mA.mAma."), 1);
  EXPECT_EQ(Analyse(*compiler), 0);
  ExpectCells(bed_->Cells(), Repeat(1.0f, 60));
  EXPECT_EQ(bed_->Marks(), (Strings{"firstStress", "", "", "firstStress", "firstStress", ""}));
  EXPECT_EQ(inst_.Logged("3 phrase(s) without template"), 1);
  // A phrase that starts on a pause has no head.
  ASSERT_EQ(bed_->Build("ma_mA_ma."), 1);
  _token_* phrase = bed_->phrases->First();
  phrase->Set(bed_->At(2), phrase->GetEnd(), "type:stop");
  EXPECT_FALSE(compiler->Analyse(&bed_->composer, phrase, bed_->words, bed_->syllables));
  V58ProsodicCompiler none;  // without collections
  ASSERT_EQ(bed_->Build("ma."), 1);
  EXPECT_EQ(Analyse(none), 0);
  EXPECT_EQ(inst_.Logged("without template"), 3);
}

}  // namespace
