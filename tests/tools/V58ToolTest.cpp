// The template expander tm_v58: the masks the engine's analysis gives, the
// expansion into complete collections, the Greek templates, and the faults
// of sources and template files.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/shared/V58ProsodicCompiler.h"
#include "tests/common/ComposerBed.h"
#include "tools/scramble/DataFileWriter.h"
#include "tools/v58/TemplateFile.h"
#include "tools/v58/TemplateSource.h"
#include "tools/v58/V58Tool.h"

namespace {

using Strings = std::vector<std::string>;
const std::string kPhones = TM_SOURCE_DIR "/data/phones/greek.phn.src";

// One phrase type with every point described alike; a point listed in
// lines gets that line instead ("" drops the point).
std::string Phrase(const std::string& name, const std::map<std::string, std::string>& lines = {}) {
  std::string text = "phrase " + name + "\n";
  for (const char* point : {"H", "S1", "T1", "S2", "T2", "S3", "T3", "T"}) {
    const auto it = lines.find(point);
    text += it == lines.end()
                ? std::string(point) + "\t1.0 1.05 vowel:1 0.5 1.0 0.95 vowel:1,stressed:1 0.5\n"
            : it->second.empty() ? ""
                                 : it->second + "\n";
  }
  return text;
}

// Calls visit with every phrase of up to four words of one to three
// syllables and at most eight syllables, with every choice of stresses
// ("mA" a stressed syllable, "ma" one without stress, '_' between words).
void ForEachShape(const std::function<void(const std::string&)>& visit) {
  for (int count = 1, shapes = 3; count <= 4; ++count, shapes *= 3) {
    for (int shape = 0; shape < shapes; ++shape) {
      std::vector<int> words;
      for (int w = 0, s = shape; w < count; ++w, s /= 3) words.push_back(s % 3 + 1);
      int syllables = 0;
      for (int n : words) syllables += n;
      for (long stress = 0; syllables <= 8 && stress < (1L << syllables); ++stress) {
        std::string text;
        for (size_t w = 0, k = 0; w < words.size(); ++w) {
          text += w > 0 ? "_" : "";
          for (int i = 0; i < words[w]; ++i, ++k) text += (stress >> k) & 1 ? "mA" : "ma";
        }
        visit(text);
      }
    }
  }
}

class V58ToolTest : public testing_support::ComposerBed {
 protected:
  int Run(const Strings& args, std::string* err = nullptr) {
    std::ostringstream out, errors;
    const int code = v58::Run(args, out, errors);
    if (err != nullptr) *err = errors.str();
    return code;
  }
};

TEST_F(V58ToolTest, TheReachableMasksAreThoseTheEnginesAnalysisGives) {
  std::set<int> found;
  ForEachShape([&](const std::string& text) {
    bed_->Build(text + ".");
    found.insert(
        V58ProsodicCompiler::FindPoints(bed_->phrases->First(), bed_->words, bed_->syllables)
            .Mask());
  });
  EXPECT_EQ(std::vector<int>(found.begin(), found.end()), v58::ReachableMasks());
  EXPECT_EQ(v58::ReachableMasks().size(), 58u);
}

TEST_F(V58ToolTest, TheGreekStatementsFallAndTheQuestionsRiseThenFallAtTheEnd) {
  V58ProsodicCompiler compiler;  // the build tree's file, written by tm_v58
  ASSERT_TRUE(compiler.Load(TM_DATA_BUILD_DIR "/v58/greek.v58"));
  EXPECT_EQ(compiler.CollectionCount(), 5);
  ASSERT_EQ(bed_->Build("mA_ma.mA_ma;"), 1);
  ASSERT_EQ(compiler.AnalysePhrases(&bed_->composer, bed_->phrases, bed_->words, bed_->syllables),
            2);
  const std::vector<float> cells = bed_->Cells();
  EXPECT_LT(cells[19], 1.0f);
  EXPECT_GT(cells[30], 1.25f);  // the question's last syllable starts high
  EXPECT_LT(cells[39], cells[30] * 0.9f);
  EXPECT_EQ(inst_.Logged(), 0);
}

// The pitch slider scales the flat pitch from 0.5 to 2.0; the synthesizer's
// voices take 40 to 600 Hz. The male voice is at 110 Hz, the female at 200.
constexpr float kLowestLevel = 40.0f / (0.5f * 110.0f);
constexpr float kHighestLevel = 600.0f / (2.0f * 200.0f);

// Every shape of phrase, closed by each mark, analysed with compiler: one
// end per mark whatever the stresses, every cell within the range the pitch
// slider leaves the voices, statements and exclamations ending between 0.7
// and 0.95, questions peaking below 1.6 and ending 10 % above statements.
void ExpectEndsAtTheLevelOfTheirType(testing_support::BedComposer& bed,
                                     V58ProsodicCompiler& compiler) {
  // Per closing mark: the lowest and highest end over every shape, and the
  // lowest and highest cell of any phrase.
  struct Range {
    float endLow = 10, endHigh = 0, low = 10, high = 0;
  };
  std::map<char, Range> ranges;
  int shapes = 0;
  ForEachShape([&](const std::string& text) {
    ++shapes;
    for (const char mark : {'.', ',', ';', '!'}) {
      bed.Build(text + mark);
      compiler.AnalysePhrases(&bed.composer, bed.phrases, bed.words, bed.syllables);
      const std::vector<float> cells = bed.Cells();
      Range& r = ranges[mark];
      r.endLow = std::min(r.endLow, cells.back());
      r.endHigh = std::max(r.endHigh, cells.back());
      r.low = std::min(r.low, *std::min_element(cells.begin(), cells.end()));
      r.high = std::max(r.high, *std::max_element(cells.begin(), cells.end()));
    }
  });
  EXPECT_GT(shapes, 2000);
  for (const auto& [mark, r] : ranges) {
    SCOPED_TRACE(std::string("phrases closed by ") + mark);
    EXPECT_NEAR(r.endLow, r.endHigh, 0.002f);  // one end whatever the stresses
    EXPECT_GE(r.low, kLowestLevel);
    EXPECT_LE(r.high, kHighestLevel);
  }
  for (const char mark : {'.', '!'}) {
    EXPECT_GE(ranges[mark].endLow, 0.7f) << mark;
    EXPECT_LE(ranges[mark].endHigh, 0.95f) << mark;
  }
  EXPECT_LT(ranges[';'].high, 1.6f);
  EXPECT_GE(ranges[';'].endLow, 1.1f * ranges['.'].endHigh);
}

TEST_F(V58ToolTest, ThePhrasesOfEachLanguageEndAtTheLevelOfTheirTypeWhateverTheirStresses) {
  for (const char* file : {"greek.v58", "english.v58"}) {
    SCOPED_TRACE(file);
    V58ProsodicCompiler compiler;
    ASSERT_TRUE(compiler.Load(std::string(TM_DATA_BUILD_DIR "/v58/") + file));
    ExpectEndsAtTheLevelOfTheirType(*bed_, compiler);
  }
}

TEST_F(V58ToolTest, LevelsAreTurnedIntoTheFactorsOfEachTemplate) {
  Strings errors;
  const auto phrases = v58::ParseSource("s",
                                        "phrase stop levels\n"
                                        "H  1.0 1.1 vowel:1 0.5\n"
                                        "S1 1.2 1.5 vowel:1 0.4\n"
                                        "T1 1.0 0.8 vowel:1 0.5\n"
                                        "S2 1.1 1.1 vowel:1 0.5\n"
                                        "T2 1.1 1.1 vowel:1 0.5\n"
                                        "S3 0.9 1.2 vowel:1 0.3\n"
                                        "T3 1.5 1.25 vowel:1 0.5\n"
                                        "T  0.5 0.4 - 0.6\n",
                                        errors);
  ASSERT_EQ(errors, Strings());
  const Strings texts = v58::RecordTexts(v58::Expand("s", phrases), "; first");
  const auto elements = [&texts](const std::string& header, std::size_t count) {
    const auto at = std::find(texts.begin(), texts.end(), header);
    EXPECT_LT(static_cast<std::size_t>(texts.end() - at), texts.size()) << header;
    return at == texts.end() ? Strings() : Strings(at + 1, at + 1 + static_cast<long>(count));
  };
  // Every stress: each point ends on its level, the last at T's end.
  EXPECT_EQ(elements("#H S1 T1 S3 T3 T", 6),
            (Strings{"H\t1.0\t1.1\tvowel:1\t0.5\t1.0\t1.0909\tvowel:1\t0.5",
                     "S1\t1.0\t1.25\tvowel:1\t0.4\t1.0\t0.6667\tvowel:1\t0.4",
                     "T1\t1.0\t0.8\tvowel:1\t0.5\t1.0\t1.125\tvowel:1\t0.5",
                     "S3\t1.0\t1.3333\tvowel:1\t0.3\t1.0\t1.25\tvowel:1\t0.3",
                     "T3\t1.0\t0.8333\tvowel:1\t0.5\t1.0\t0.4\tvowel:1\t0.5",
                     "T\t1.0\t0.8\t\t0.6\t1.0\t1.0\t\t0.6"}));
  // One stress, on the last but one syllable: S1 and T1 take the levels of
  // S3 and T3, and T1, the last syllable, ends at T's end.
  EXPECT_EQ(elements("#S1 T1", 2),
            (Strings{"S1\t0.9\t1.3333\tvowel:1\t0.3\t1.0\t1.25\tvowel:1\t0.3",
                     "T1\t1.0\t0.2667\tvowel:1\t0.5\t1.0\t1.0\tvowel:1\t0.5"}));
  EXPECT_EQ(elements("#H", 1), (Strings{"H\t1.0\t0.4\tvowel:1\t0.5\t1.0\t1.0\tvowel:1\t0.5"}));
}

TEST_F(V58ToolTest, FaultsOfTheSourceAreRefusedWithTheirLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"phrase statement\n", "1: phrase type \"statement\" is none of stop, comma"},
      {Phrase("stop") + Phrase("stop"), "10: phrase type stop already described at line 1"},
      {"H 1 1 vowel:1 0 1 1 vowel:1 0\n" + Phrase("stop"), "1: point H before any phrase line"},
      {Phrase("stop", {{"T1", "T1 1 1 vowel:1 0 1 1 vowel:1"}}), "4: point T1 has 7 fields, 8"},
      {Phrase("stop", {{"H", "H 1,5 1 vowel:1 0 1 1 vowel:1 0"}}),
       "2: start value \"1,5\" is not a number"},
      {Phrase("stop", {{"T", "T 1 1 vowel 0 1 1 vowel:1 0"}}),
       "9: start labels: label \"vowel\" is not name:value"},
      {Phrase("stop", {{"S3", "S3 1 1 vowel:1 0 1 1 nasal:1 0"}}),
       "7: field 8 (labels) label \"nasal:1\""},
      {Phrase("stop", {{"T3", "T3 1 1 vowel:1 0 1 0.0 vowel:1 0"}}),
       "8: field 7 (the end position) is 0"},
      {Phrase("stop", {{"T2", ""}}), "1: phrase stop lacks the points T2"},
      {"# nothing\n", "1: no phrase type described"},
      {"phrase stop levels\nH 0 1.0 vowel:1 0.5\n", "2: onset \"0\" is not above 0"},
      {"phrase stop levels\nH 1 1 vowel:1 0.5 1 1 vowel:1 0.5\n", "2: point H has 8 fields, 4"},
      {"phrase stop flat\n", "1: a phrase line is: phrase NAME [levels]"},
  };
  for (const auto& [source, message] : cases) {
    testing_support::WriteFile("bad.src", source);
    std::string err;
    EXPECT_EQ(Run({"compile", kPhones, "bad.src", "bad.v58"}, &err), v58::kExitRefused) << message;
    EXPECT_NE(err.find("bad.src:" + message), std::string::npos) << err;
    EXPECT_FALSE(testing_support::FileExists("bad.v58"));
  }
}

TEST_F(V58ToolTest, ExpansionWritesEveryMaskInPointOrderAndCheckFindsTheFaultsOfATemplateFile) {
  Strings errors;
  const auto phrases = v58::ParseSource(
      "s", Phrase("stop", {{"S3", "S3 0.9 1.2 vowel:1 0.25 1.1 0.8 - 0"}}), errors);
  ASSERT_TRUE(errors.empty());
  const Strings valid = v58::RecordTexts(v58::Expand("s", phrases), "; first");
  const auto at = [&valid](const std::string& text) {
    return static_cast<size_t>(std::find(valid.begin(), valid.end(), text) - valid.begin());
  };
  ASSERT_LT(at("#S1 S3") + 2, valid.size());
  EXPECT_EQ(valid[at("#S1 S3") + 1],
            "S1\t1.0\t1.05\tvowel:1\t0.5\t1.0\t0.95\tvowel:1 stressed:1\t0.5");
  EXPECT_EQ(valid[at("#S1 S3") + 2], "S3\t0.9\t1.2\tvowel:1\t0.25\t1.1\t0.8\t\t0");
  EXPECT_EQ(valid.size(), 1u + 1u + 58u + 263u + 1u);  // 263 points in the 58 masks
  const std::string badElement = "H\t1\t1\tnasal:1\t0\t1\t1\tvowel:1\t0";
  const struct {
    std::function<void(Strings&)> edit;
    std::string expected;
  } cases[] = {
      {[&](Strings& t) { t.erase(t.begin() + at("#H S1 T") + 2); },
       "#H S1 T: 2 element(s) for 3 point(s)"},
      {[&](Strings& t) { t[at("#H S1 T")] = "#H S1 H"; }, "#H S1 H: point H is named twice"},
      {[&](Strings& t) { t[at("#H S1 T")] = "#H S1\tT"; }, "a tab ends the header for the engine"},
      {[&](Strings& t) { t[at("#H S1 T")] = "#H S1 X"; },
       "collection [stop] has no template for #H S1 T (193)"},
      {[&](Strings& t) { t[at("#H") + 1] = badElement; },
       "\"nasal\" is not a column of the phone table"},
      {[&](Strings& t) { t[at("#H") + 1] = "H\tabc\t1\tvowel:1\t0\t1\t1\tvowel:1\t0"; },
       "field 2 \"abc\" is not a number"},
      {[](Strings& t) { t.pop_back(); }, "collection [stop] is not closed: the engine drops it"},
      {[&](Strings& t) { t.insert(t.begin() + 1, "#H"); },
       "record 2: header \"#H\" outside a collection"},
      {[](Strings& t) { t[1] = "%statement"; }, "collection \"statement\" is none of stop"},
      {[&](Strings& t) {
         t.insert(t.begin() + at("#H"), {"#H", badElement});
       },
       "template [stop] #H given twice"},
  };
  for (const auto& c : cases) {
    Strings texts = valid;
    c.edit(texts);
    std::string error;
    ASSERT_TRUE(scramble::WriteDataFile("t.v58", texts, v58::kRecordSize, error)) << error;
    std::string err;
    EXPECT_EQ(Run({"check", kPhones, "t.v58"}, &err), v58::kExitRefused) << c.expected;
    EXPECT_NE(err.find(c.expected), std::string::npos) << c.expected << "\n" << err;
  }
}

}  // namespace
