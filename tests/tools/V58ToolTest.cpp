#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/shared/V58ProsodicCompiler.h"
#include "platform/Codepage.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/V58TestBed.h"
#include "tools/phonetable/PhoneTableSource.h"
#include "tools/scramble/DataFileWriter.h"
#include "tools/scramble/ScrambleTool.h"
#include "tools/v58/TemplateFile.h"
#include "tools/v58/TemplateSource.h"
#include "tools/v58/V58Tool.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;
using Strings = std::vector<std::string>;

const std::string kPhones = TM_SOURCE_DIR "/data/phones/greek.phn.src";
const std::string kGreekSource = TM_SOURCE_DIR "/data/v58/greek.v58.src";
const char* const kPoints[] = {"H", "S1", "T1", "S2", "T2", "S3", "T3", "T"};

// A description of one phrase type with every point described alike; a
// point listed in `lines` gets that line instead ("" drops the point).
std::string Phrase(const std::string& name, const std::map<std::string, std::string>& lines = {}) {
  std::string text = "phrase " + name + "\n";
  for (const char* point : kPoints) {
    const auto it = lines.find(point);
    if (it == lines.end()) {
      text += std::string(point) + "\t1.0  1.05 vowel:1 0.5   1.0 0.95 vowel:1,stressed:1 0.5\n";
    } else if (!it->second.empty()) {
      text += it->second + "\n";
    }
  }
  return text;
}

class V58ToolTest : public testing_support::V58TestBed {
 protected:
  std::string Source(const std::string& content, const std::string& name = "test.v58.src") {
    const std::string path = dir_ / name;
    WriteFile(path, content);
    return path;
  }

  int Compile(const std::string& source, const std::string& output, std::string* err = nullptr) {
    std::ostringstream out;
    std::ostringstream errors;
    const int code = v58::Run({"compile", kPhones, source, output}, out, errors);
    if (err != nullptr) *err = errors.str();
    return code;
  }

  int Check(const std::string& file, std::string* err = nullptr) {
    std::ostringstream out;
    std::ostringstream errors;
    const int code = v58::Run({"check", kPhones, file}, out, errors);
    if (err != nullptr) *err = errors.str();
    return code;
  }

  // The record texts of a valid expansion of one "stop" collection.
  static Strings ValidRecords() {
    Strings errors;
    const auto phrases = v58::ParseSource("s", Phrase("stop"), errors);
    EXPECT_TRUE(errors.empty());
    return v58::RecordTexts(v58::Expand("s", phrases), "; first record");
  }

  // Writes record texts as a scrambled template file.
  std::string DataFile(const Strings& texts, const std::string& name = "test.v58") {
    const std::string path = dir_ / name;
    std::string error;
    EXPECT_TRUE(scramble::WriteDataFile(path, texts, v58::kRecordSize, error)) << error;
    return path;
  }

  static size_t IndexOf(const Strings& texts, const std::string& text) {
    const auto it = std::find(texts.begin(), texts.end(), text);
    EXPECT_NE(it, texts.end()) << text;
    return static_cast<size_t>(it - texts.begin());
  }

  TempDir dir_;
};

// The masks

TEST_F(V58ToolTest, TheReachableMasksAreThoseTheEngineAnalysisGives) {
  ASSERT_EQ(v58::ReachableMasks().size(), 58u);
  // Every phrase of up to four words of one to three syllables (eight at
  // most), with every choice of stressed syllables.
  std::set<int> found;
  auto c = MakeComposer();
  for (int words = 1; words <= 4; ++words) {
    std::vector<int> shape(static_cast<size_t>(words), 1);
    for (;;) {
      int total = 0;
      for (const int n : shape) total += n;
      for (long stress = 0; total <= 8 && stress < (1L << total); ++stress) {
        std::string text;
        int s = 0;
        for (size_t w = 0; w < shape.size(); ++w) {
          if (w > 0) text += "_";
          for (int k = 0; k < shape[w]; ++k, ++s) text += ((stress >> s) & 1) != 0 ? "mA" : "ma";
        }
        c->BuildLayers(text + ".");
        const auto pts =
            V58ProsodicCompiler::FindPoints(c->phrases->First(), c->words, c->syllables);
        ASSERT_TRUE(pts.covered) << text;
        found.insert(pts.Mask());
      }
      size_t i = 0;
      while (i < shape.size() && shape[i] == 3) shape[i++] = 1;
      if (i == shape.size()) break;
      ++shape[i];
    }
  }
  EXPECT_EQ(std::vector<int>(found.begin(), found.end()), v58::ReachableMasks());
  EXPECT_EQ(v58::MaskNames(193), "H S1 T");
}

// Expansion

TEST_F(V58ToolTest, ExpansionWritesEveryMaskWithOneElementPerPointInPointOrder) {
  Strings errors;
  const auto phrases = v58::ParseSource(
      "s", Phrase("comma", {{"S3", "S3 0.9 1.2 vowel:1 0.25 1.1 0.8 - 0"}}), errors);
  ASSERT_TRUE(errors.empty());
  const v58::TemplateFile file = v58::Expand("s", phrases);
  ASSERT_EQ(file.size(), 1u);
  EXPECT_EQ(file[0].name, "comma");
  ASSERT_EQ(file[0].templates.size(), 58u);
  for (size_t i = 0; i < 58; ++i) {
    const v58::Template& t = file[0].templates[i];
    const int mask = v58::ReachableMasks()[i];
    std::string names;
    for (const std::string& n : t.names) names += (names.empty() ? "" : " ") + n;
    EXPECT_EQ(names, v58::MaskNames(mask));
    ASSERT_EQ(t.elements.size(), t.names.size());
    for (size_t k = 0; k < t.names.size(); ++k) EXPECT_EQ(t.elements[k].fields[0], t.names[k]);
  }
  const Strings texts = v58::RecordTexts(file, "; first");
  const size_t at = IndexOf(texts, "#S1 S3");
  EXPECT_EQ(texts[0], "; first");
  EXPECT_EQ(texts[1], "%comma");
  EXPECT_EQ(texts[at + 1], "S1\t1.0\t1.05\tvowel:1\t0.5\t1.0\t0.95\tvowel:1 stressed:1\t0.5");
  EXPECT_EQ(texts[at + 2], "S3\t0.9\t1.2\tvowel:1\t0.25\t1.1\t0.8\t\t0");
  EXPECT_EQ(texts.back(), "%");
  size_t elements = 0;
  for (const int mask : v58::ReachableMasks()) {
    elements += static_cast<size_t>(V58ProsodicCompiler::PointsIn(mask));
  }
  EXPECT_EQ(elements, 263u);
  EXPECT_EQ(texts.size(), 1u + 1u + 58u + elements + 1u);
}

TEST_F(V58ToolTest, TheGreekTemplatesLoadIntoTheEngineComplete) {
  const std::string output = dir_ / "greek.v58";
  std::string err;
  ASSERT_EQ(Compile(kGreekSource, output, &err), v58::kExitOk) << err;
  EXPECT_EQ(err, "");
  V58ProsodicCompiler compiler;
  compiler.Load(output);
  ASSERT_EQ(compiler.CollectionCount(), 5);
  const Strings names = {"stop", "comma", "question", "exclamation", "null"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(compiler.CollectionNameAt(i), names[static_cast<size_t>(i)]);
    const V58ProsodicCollection* c = compiler.CollectionAt(i);
    EXPECT_EQ(c->Count(), 58);
    for (const int mask : v58::ReachableMasks()) {
      const V58ProsodicTemplate* t = c->Get(mask);
      ASSERT_NE(t, nullptr) << names[static_cast<size_t>(i)] << " " << mask;
      EXPECT_EQ(t->GetElementCount(), V58ProsodicCompiler::PointsIn(mask));
      EXPECT_EQ(t->GetElement(0)->GetStartLabel(), "vowel:1");
    }
  }
  EXPECT_TRUE(LogErrors().empty());
  EXPECT_TRUE(Reported().empty());
  EXPECT_EQ(Check(output, &err), v58::kExitOk) << err;
}

TEST_F(V58ToolTest, TheBuildTreeHoldsTheGreekTemplates) {
  const std::string built = TM_DATA_BUILD_DIR "/v58/greek.v58";
  ASSERT_TRUE(FileExists(built));
  const std::string output = dir_ / "greek.v58";
  ASSERT_EQ(Compile(kGreekSource, output), v58::kExitOk);
  EXPECT_EQ(ReadFile(built), ReadFile(output));
  EXPECT_EQ(ReadFile(built).size() % 400, 0u);
}

TEST_F(V58ToolTest, GreekStatementsFallAndQuestionsRiseThenFallAtTheEnd) {
  const std::string output = dir_ / "greek.v58";
  ASSERT_EQ(Compile(kGreekSource, output), v58::kExitOk);
  V58ProsodicCompiler compiler;
  compiler.Load(output);
  auto c = MakeComposer();
  // S1 T: "mA" then "ma", as a statement and as a question.
  ASSERT_EQ(c->Build("mA_ma.mA_ma;"), 1);
  ASSERT_EQ(compiler.AnalysePhrases(&c->composer, c->phrases, c->words, c->syllables), 2);
  const std::vector<float> cells = c->Cells();
  ASSERT_EQ(cells.size(), 40u);

  // Statement: S1 1.12 rising to x1.02 over 40 % of the vowel; T starts at
  // 0.85 x 0.96 x the level reached and falls to x0.86 over 60 %.
  const float peak = 1.12f * 1.02f;
  const float t0 = 0.85f * 0.96f * peak;
  const float t1 = t0 * 0.86f;
  const std::vector<float> statement = {1.12f,
                                        1.12f,
                                        1.12f,
                                        1.12f,
                                        1.12f,
                                        1.12f,
                                        (1.12f + peak) / 2,
                                        peak,
                                        peak,
                                        peak,
                                        t0,
                                        t0,
                                        t0,
                                        t0,
                                        t0,
                                        t0,
                                        t0 + (t1 - t0) / 3,
                                        t0 + 2 * (t1 - t0) / 3,
                                        t1,
                                        t1};
  for (size_t i = 0; i < statement.size(); ++i) {
    EXPECT_NEAR(cells[i], statement[i], 1e-5) << "cell " << i;
  }
  // Question: S1 1.08 x1.00; T starts high, at 1.22 x 0.98 x the level
  // reached, and falls to x0.84 at the very end.
  const float qPeak = 1.08f;
  const float q0 = 1.22f * 0.98f * qPeak;
  EXPECT_NEAR(cells[29], qPeak, 1e-5);
  EXPECT_NEAR(cells[30], q0, 1e-5);
  EXPECT_NEAR(cells[39], q0 * 0.84f, 1e-5);
  EXPECT_LT(cells[19], 1.0f);
  EXPECT_GT(cells[30], 1.25f);
}

// Refused sources

TEST_F(V58ToolTest, FaultsOfTheSourceAreRefusedWithTheirLine) {
  struct Case {
    std::string content;
    std::string expected;  // "line: reason"
  };
  const Case cases[] = {
      {"phrase statement\n", "1: phrase type \"statement\" is none of stop, comma"},
      {Phrase("stop") + Phrase("stop"), "10: phrase type stop already described at line 1"},
      {"H 1 1 vowel:1 0 1 1 vowel:1 0\n" + Phrase("stop"), "1: point H before any phrase line"},
      {Phrase("stop") + "S4 1 1 vowel:1 0 1 1 vowel:1 0\n", "10: \"S4\" is neither phrase nor"},
      {Phrase("stop", {{"T1", "T1 1 1 vowel:1 0 1 1 vowel:1"}}), "4: point T1 has 7 fields, 8"},
      {Phrase("stop", {{"H", "H 1,5 1 vowel:1 0 1 1 vowel:1 0"}}),
       "2: start value \"1,5\" is not a number"},
      {Phrase("stop", {{"S2", "S2 1 1e2 vowel:1 0 1 1 vowel:1 0"}}),
       "5: start ratio \"1e2\" is not a number"},
      {Phrase("stop", {{"T", "T 1 1 vowel 0 1 1 vowel:1 0"}}),
       "9: start labels: label \"vowel\" is not name:value"},
      {Phrase("stop", {{"T", "T 1 1 vowel:1 0 1 1 vowel:1, 0"}}),
       "9: end labels: label \"\" is not name:value"},
      {Phrase("stop", {{"S3", "S3 1 1 vowel:1 0 1 1 nasal:1 0"}}),
       "7: field 8 (labels) label \"nasal:1\": \"nasal\" is not a column of the phone table"},
      {Phrase("stop", {{"T3", "T3 1 1 vowel:1 0 1 0.0 vowel:1 0"}}),
       "8: field 7 (the end position) is 0"},
      {Phrase("stop") + "S1 1 1 vowel:1 0 1 1 vowel:1 0\n",
       "10: point S1 of phrase stop already described at line 3"},
      {Phrase("stop", {{"T2", ""}}), "1: phrase stop lacks the points T2"},
      {"# nothing\n", "1: no phrase type described"},
      {"phrase\n", "1: a phrase line is: phrase NAME"},
      {Phrase("stop", {{"H", "H 1 1 manner:\xe6\x97\xa5 0 1 1 vowel:1 0"}}), "U+65E5"},
  };
  for (const Case& c : cases) {
    const std::string source = Source(c.content);
    const std::string output = dir_ / "out.v58";
    WriteFile(output, "stale");
    std::string err;
    EXPECT_EQ(Compile(source, output, &err), v58::kExitRefused) << c.expected;
    EXPECT_NE(err.find(c.expected), std::string::npos) << c.expected << "\n" << err;
    EXPECT_FALSE(FileExists(output)) << c.expected;
  }
}

TEST_F(V58ToolTest, ATemplateFaultOfOnePointIsReportedOnceAtItsLine) {
  const std::string source = Source(Phrase("stop", {{"S1", "S1 1 1 vowel:1 0 1 0 voiced:2 0"}}));
  std::string err;
  EXPECT_EQ(Compile(source, dir_ / "out.v58", &err), v58::kExitRefused);
  EXPECT_EQ(err, source +
                     ":3: field 7 (the end position) is 0: the engine logs \"until == 0\" "
                     "and reports a locale error\n");
}

TEST_F(V58ToolTest, GreekLabelsAreWrittenInWindows1253) {
  const std::string source =
      Source(Phrase("stop", {{"H", "H 1 1 manner:\xcf\x86 0 1 1 vowel:1 0"}}));  // φ
  const std::string output = dir_ / "out.v58";
  ASSERT_EQ(Compile(source, output), v58::kExitOk);
  V58ProsodicCompiler compiler;
  compiler.Load(output);
  const V58ProsodicTemplate* t = compiler.GetCollection("stop")->Get(128);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->GetElement(0)->GetStartLabel(), "manner:" + platform::Utf8ToCp1253("\xcf\x86"));
}

TEST_F(V58ToolTest, AnUnreadableSourceOrPhoneTableIsRefused) {
  std::string err;
  EXPECT_EQ(Compile(dir_ / "missing.src", dir_ / "out.v58", &err), v58::kExitRefused);
  EXPECT_NE(err.find("cannot read the source"), std::string::npos);
  std::ostringstream out;
  std::ostringstream errors;
  EXPECT_EQ(v58::Run({"compile", dir_ / "missing.phn.src", Source(Phrase("stop")), dir_ / "o"}, out,
                     errors),
            v58::kExitRefused);
  EXPECT_NE(errors.str().find("cannot read the phone table"), std::string::npos);
  EXPECT_FALSE(FileExists(dir_ / "o"));
}

// Checking template files

TEST_F(V58ToolTest, CheckFindsTheFaultsOfATemplateFile) {
  struct Case {
    std::string name;
    Strings (*edit)(Strings);
    std::string expected;
  };
  const Case cases[] = {
      {"a missing element",
       [](Strings t) {
         t.erase(t.begin() + static_cast<long>(IndexOf(t, "#H S1 T") + 2));
         return t;
       },
       "template [stop] #H S1 T: 2 element(s) for 3 point(s)"},
      {"a point named twice",
       [](Strings t) {
         t[IndexOf(t, "#H S1 T")] = "#H S1 H";
         return t;
       },
       "template [stop] #H S1 H: point H is named twice"},
      {"a name that is not a point",
       [](Strings t) {
         t[IndexOf(t, "#H S1 T")] = "#H S1 X";
         return t;
       },
       "\"X\" is not a point"},
      {"a tab in a header",
       [](Strings t) {
         t[IndexOf(t, "#H S1 T")] = "#H S1\tT";
         return t;
       },
       "a tab ends the header for the engine"},
      {"a missing mask",
       [](Strings t) {
         t[IndexOf(t, "#H S1 T")] = "#H S1 H";
         return t;
       },
       "collection [stop] has no template for #H S1 T (193)"},
      {"end position 0",
       [](Strings t) {
         t[IndexOf(t, "#H") + 1] = "H\t1\t1\tvowel:1\t0\t1\t0\tvowel:1\t0";
         return t;
       },
       "field 7 (the end position) is 0"},
      {"a label that is not a column",
       [](Strings t) {
         t[IndexOf(t, "#H") + 1] = "H\t1\t1\tnasal:1\t0\t1\t1\tvowel:1\t0";
         return t;
       },
       "label \"nasal:1\": \"nasal\" is not a column of the phone table"},
      {"two blanks between labels",
       [](Strings t) {
         t[IndexOf(t, "#H") + 1] = "H\t1\t1\tvowel:1  phone:1\t0\t1\t1\tvowel:1\t0";
         return t;
       },
       "has an empty label (the engine stops there)"},
      {"a field that is not a number",
       [](Strings t) {
         t[IndexOf(t, "#H") + 1] = "H\tabc\t1\tvowel:1\t0\t1\t1\tvowel:1\t0";
         return t;
       },
       "field 2 \"abc\" is not a number"},
      {"eight fields",
       [](Strings t) {
         t[IndexOf(t, "#H") + 1] = "H\t1\t1\tvowel:1\t0\t1\t1\tvowel:1";
         return t;
       },
       "element line of 8 fields, 9 expected"},
      {"an unclosed collection",
       [](Strings t) {
         t.pop_back();
         return t;
       },
       "collection [stop] is not closed: the engine drops it"},
      {"an element outside a template",
       [](Strings t) {
         t.insert(t.begin() + 2, "H\t1\t1\tvowel:1\t0\t1\t1\tvowel:1\t0");
         return t;
       },
       "record 3: element line outside a template"},
      {"a header outside a collection",
       [](Strings t) {
         t.insert(t.begin() + 1, "#H");
         return t;
       },
       "record 2: header \"#H\" outside a collection"},
      {"an unknown collection",
       [](Strings t) {
         t[1] = "%statement";
         return t;
       },
       "collection \"statement\" is none of stop, comma, question, exclamation, null"},
      {"a collection given twice",
       [](Strings t) {
         Strings twice = t;
         twice.insert(twice.end(), t.begin() + 1, t.end());
         return twice;
       },
       "collection [stop] given twice (the engine uses the first)"},
      {"a template given twice",
       [](Strings t) {
         const size_t at = IndexOf(t, "#H");
         t.insert(t.begin() + static_cast<long>(at),
                  {"#H", "H\t1\t1\tvowel:1\t0\t1\t1\tvowel:1\t0"});
         return t;
       },
       "template [stop] #H given twice (the engine keeps the later one)"},
  };
  std::string err;
  ASSERT_EQ(Check(DataFile(ValidRecords()), &err), v58::kExitOk) << err;
  EXPECT_EQ(err, "");
  for (const Case& c : cases) {
    const std::string file = DataFile(c.edit(ValidRecords()));
    EXPECT_EQ(Check(file, &err), v58::kExitRefused) << c.name;
    EXPECT_NE(err.find(file + ": record "), std::string::npos) << c.name << "\n" << err;
    EXPECT_NE(err.find(c.expected), std::string::npos) << c.name << "\n" << err;
  }
}

TEST_F(V58ToolTest, CheckNamesTheRecordOfAFault) {
  Strings texts = ValidRecords();
  const size_t at = IndexOf(texts, "#H") + 1;
  texts[at] = "H\t1\t1\tvowel:1\t0\t1\t0\tvowel:1\t0";
  const std::string file = DataFile(texts);
  std::string err;
  EXPECT_EQ(Check(file, &err), v58::kExitRefused);
  EXPECT_EQ(err, file + ": record " + std::to_string(at + 1) +
                     ": field 7 (the end position) is 0: the engine logs \"until == 0\" and "
                     "reports a locale error\n");
}

TEST_F(V58ToolTest, CheckOfAFileThatIsNotATemplateFile) {
  std::string err;
  EXPECT_EQ(Check(dir_ / "missing.v58", &err), v58::kExitRefused);
  EXPECT_NE(err.find("cannot read the file"), std::string::npos) << err;
  WriteFile(dir_ / "short.v58", std::string(100, 'x'));
  EXPECT_EQ(Check(dir_ / "short.v58", &err), v58::kExitRefused);
  EXPECT_NE(err.find("short record"), std::string::npos) << err;
}

// The executable

int RunTool(const std::string& args) {
  const int status = std::system((std::string(TM_V58_EXE) + " " + args + " 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(V58ToolTest, TheExecutableCompilesAndChecks) {
  const std::string output = dir_ / "greek.v58";
  EXPECT_EQ(RunTool("compile " + kPhones + " " + kGreekSource + " " + output), v58::kExitOk);
  EXPECT_EQ(ReadFile(output), ReadFile(TM_DATA_BUILD_DIR "/v58/greek.v58"));
  EXPECT_EQ(RunTool("check " + kPhones + " " + output), v58::kExitOk);
  EXPECT_EQ(RunTool("check " + kPhones + " " + kGreekSource), v58::kExitRefused);
  EXPECT_EQ(RunTool("compile " + kPhones), v58::kExitUsage);
  EXPECT_EQ(RunTool(""), v58::kExitUsage);
}

// "-" names standard output on a command line: the tools that write binary
// data files refuse it before they read or remove anything, so a file that
// happens to be named "-" stays as it was.
TEST(DataToolsTest, AnOutputNamedDashIsRefusedAndAFileOfThatNameKept) {
  TempDir dir;
  testing_support::ScopedCwd cwd(dir.path());
  WriteFile("-", "keep");
  WriteFile("source.txt", "text\n");
  using ToolRun = int (*)(const Strings&, std::ostream&, std::ostream&);
  const std::pair<ToolRun, Strings> runs[] = {
      {&scramble::Run, {"write", "source.txt", "-", "500"}},
      {&scramble::Run, {"write", "missing.txt", "-", "7"}},
      {&phonetable::Run, {"compile", "missing.txt", "-"}},
      {&v58::Run, {"compile", kPhones, "missing.txt", "-"}},
  };
  for (const auto& [run, args] : runs) {
    SCOPED_TRACE(args[0] + " " + args[1] + " " + args.back());
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(run(args, out, err), scramble::kExitUsage);
    EXPECT_NE(err.str().find(": OUTPUT \"-\" is refused"), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(ReadFile("-"), "keep");
  }
}

}  // namespace
