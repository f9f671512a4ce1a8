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
#include "tests/engine/V58TestBed.h"

namespace {

using testing_support::V58Composer;
using Cells = std::vector<float>;
using Strings = std::vector<std::string>;
using Counts = std::array<int, V58ProsodicCompiler::kPointCount>;

// An element line: its fields joined by single tabs.
std::string Element(const Strings& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) line += (i > 0 ? "\t" : "") + fields[i];
  return line;
}

// An element whose movements are steps on the vowels.
std::string Element(const char* name, const char* start, const char* position, const char* end,
                    const char* endPosition) {
  return Element({name, start, position, "vowel:1", "0", end, endPosition, "vowel:1", "0"});
}

void ExpectCells(const Cells& actual, const Cells& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i)
    EXPECT_NEAR(actual[i], expected[i], 1e-5) << "cell " << i;
}

Cells Repeat(float v, int n = 5) { return Cells(static_cast<size_t>(n), v); }
Cells Join(std::initializer_list<Cells> parts) {
  Cells out;
  for (const Cells& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

int Matching(const Strings& lines, const std::string& text) {
  int n = 0;
  for (const std::string& line : lines) n += line.find(text) != std::string::npos ? 1 : 0;
  return n;
}

class V58ProsodicCompilerTest : public testing_support::V58TestBed {
 protected:
  // A compiler loaded from these lines.
  std::unique_ptr<V58ProsodicCompiler> Load(const Strings& lines,
                                            const std::string& name = "greek.v58") {
    auto compiler = std::make_unique<V58ProsodicCompiler>();
    EXPECT_TRUE(compiler->Load(WriteTemplates(name, lines)));
    return compiler;
  }

  // The "phrase" marks of the syllables, "" for none.
  static Strings Marks(const V58Composer& c) {
    Strings out;
    const _token_* t = c.syllables->First();
    for (int i = 0; i < c.syllables->Size(); ++i, t = t->GetNext()) {
      std::string value;
      out.push_back(t->Get("phrase", value) ? value : "");
    }
    return out;
  }
};

// Element lines and headers

TEST_F(V58ProsodicCompilerTest, ElementLineFieldsGoToTheirPlaces) {
  const auto e = V58ProsodicCompiler::ParseElementLine(
      Element({"S1", "1.25", "0.75", "vowel:1 stressed:1", "0.3", "0.95", "0.5", "vowel:1", "0.6"})
          .c_str());
  ASSERT_NE(e, nullptr);
  EXPECT_FLOAT_EQ(e->GetStartValue(), 1.25f);
  EXPECT_FLOAT_EQ(e->GetStartPosition(), 0.75f);
  EXPECT_EQ(e->GetStartLabel(), "vowel:1 stressed:1");
  EXPECT_FLOAT_EQ(e->GetStartExtra(), 0.3f);
  EXPECT_FLOAT_EQ(e->GetEndValue(), 0.95f);
  EXPECT_FLOAT_EQ(e->GetEndPosition(), 0.5f);
  EXPECT_EQ(e->GetEndLabel(), "vowel:1");
  EXPECT_FLOAT_EQ(e->GetEndExtra(), 0.6f);
  EXPECT_EQ(e->GetAnchor(), nullptr);
  EXPECT_EQ(e->GetSequenceCount(), 0);
  EXPECT_TRUE(LogErrors().empty());
}

TEST_F(V58ProsodicCompilerTest, ElementLineFieldsThatAreMissingOrNotNumbersReadAsZeroOrEmpty) {
  struct Case {
    std::string line;
    float start, position, extra, endPosition, endExtra;
    std::string endLabel;
  };
  const Case cases[] = {
      {"H\t1.5x\tabc\t\t.5\t\t2", 1.5f, 0.0f, 0.5f, 2.0f, 0.0f, ""},
      {"H\t-0.5\t1e1\tvowel:1\t0\t1\t3.5\tvowel:1\t0.25\n", -0.5f, 10.0f, 0.0f, 3.5f, 0.25f,
       "vowel:1"},
      {"H\t1\t1\tvowel:1\t0\t1\t1\tstressed:1\r\n", 1.0f, 1.0f, 0.0f, 1.0f, 0.0f, "stressed:1"},
  };
  for (const Case& c : cases) {
    const auto e = V58ProsodicCompiler::ParseElementLine(c.line.c_str());
    ASSERT_NE(e, nullptr) << c.line;
    EXPECT_FLOAT_EQ(e->GetStartValue(), c.start) << c.line;
    EXPECT_FLOAT_EQ(e->GetStartPosition(), c.position) << c.line;
    EXPECT_FLOAT_EQ(e->GetStartExtra(), c.extra) << c.line;
    EXPECT_FLOAT_EQ(e->GetEndPosition(), c.endPosition) << c.line;
    EXPECT_FLOAT_EQ(e->GetEndExtra(), c.endExtra) << c.line;
    EXPECT_EQ(e->GetEndLabel(), c.endLabel) << c.line;
  }
  EXPECT_EQ(V58ProsodicCompiler::ParseElementLine(nullptr), nullptr);
}

TEST_F(V58ProsodicCompilerTest, HeaderMasksAndNamesRead) {
  struct Case {
    const char* line;
    int mask;
    int names;
    bool repeated;
  };
  const Case cases[] = {
      {"#H S1 T", 193, 3, false},  {"#H S1 T1 S2 T2 S3 T3 T", 255, 8, false},
      {"#T H", 129, 2, false},     {"#H  T", 129, 3, false},  // two blanks make an empty name
      {"#H\tS1 T", 128, 1, false},                            // a tab ends the header
      {"#X S3 t", 4, 3, false},  // unknown names add nothing; names are exact
      {"#", 0, 1, false},          {"#H S1 H", 192, 3, true},
      {"#T T", 1, 2, true},
  };
  for (const Case& c : cases) {
    int mask = -1;
    bool repeated = !c.repeated;
    EXPECT_EQ(V58ProsodicCompiler::ParseTemplateHeader(&mask, c.line, &repeated), c.names)
        << c.line;
    EXPECT_EQ(mask, c.mask) << c.line;
    EXPECT_EQ(repeated, c.repeated) << c.line;
  }
}

// Loading

TEST_F(V58ProsodicCompilerTest, AHeaderWithItsElementsFillsTheSlotOfItsMask) {
  const auto compiler =
      Load({"%stop", "#H S1 T", Element("H", "1.1", "1", "1", "0.9"),
            Element("S1", "1.2", "1", "1", "0.8"), Element("T", "1.3", "0.7", "1", "1"), "%"});
  ASSERT_EQ(compiler->CollectionCount(), 1);
  EXPECT_EQ(compiler->CollectionNameAt(0), "stop");
  const V58ProsodicCollection* stop = compiler->GetCollection("stop");
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(stop->Count(), 1);
  const V58ProsodicTemplate* t = stop->Get(193);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(t->GetElementCount(), 3);
  EXPECT_FLOAT_EQ(t->GetElement(0)->GetStartValue(), 1.1f);
  EXPECT_FLOAT_EQ(t->GetElement(1)->GetEndPosition(), 0.8f);
  EXPECT_FLOAT_EQ(t->GetElement(2)->GetStartPosition(), 0.7f);
  EXPECT_EQ(stop->Get(255), nullptr);
  EXPECT_TRUE(LogErrors().empty());
  EXPECT_TRUE(Reported().empty());
}

TEST_F(V58ProsodicCompilerTest, FileStructureAndLinesThatAddNothing) {
  const auto compiler = Load({
      Element("X", "9", "9", "9", "9"),  // before any collection
      "#H",                              // outside a collection
      Element("H", "9", "9", "9", "9"),
      "",
      "; a comment",
      "%comma\tthe name ends at the tab",
      Element("X", "9", "9", "9", "9"),  // before any header
      "#H",
      "; comments between elements",
      Element("H", "1.5", "1", "1", "1"),
      "%comma closes, opens nothing",
      Element("H", "9", "9", "9", "9"),
      "#T",
      Element("T", "9", "9", "9", "9"),
      "%question",
      "#T",
      Element("T", "0.8", "1", "1", "1"),
      "%",
      "%exclamation",  // never closed: dropped with its template
      "#H",
      Element("H", "1", "1", "1", "1"),
  });
  ASSERT_EQ(compiler->CollectionCount(), 2);
  EXPECT_EQ(compiler->CollectionNameAt(0), "comma");
  EXPECT_EQ(compiler->CollectionNameAt(1), "question");
  EXPECT_EQ(compiler->GetCollection("exclamation"), nullptr);
  const V58ProsodicCollection* comma = compiler->GetCollection("comma");
  ASSERT_NE(comma, nullptr);
  EXPECT_EQ(comma->Count(), 1);
  ASSERT_NE(comma->Get(128), nullptr);
  ASSERT_EQ(comma->Get(128)->GetElementCount(), 1);
  EXPECT_FLOAT_EQ(comma->Get(128)->GetElement(0)->GetStartValue(), 1.5f);
  const V58ProsodicCollection* question = compiler->GetCollection("question");
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(question->Count(), 1);
  ASSERT_NE(question->Get(1), nullptr);
  EXPECT_FLOAT_EQ(question->Get(1)->GetElement(0)->GetStartValue(), 0.8f);
}

TEST_F(V58ProsodicCompilerTest, AHeaderThatNamesAPointTwiceIsRefusedWithItsElementLines) {
  const auto compiler =
      Load({"%stop", "#H T", Element("H", "1.1", "1", "1", "1"), Element("T", "1.2", "1", "1", "1"),
            "#H H T", Element("H", "9", "1", "1", "1"), Element("H", "9", "1", "1", "1"),
            Element("T", "9", "1", "1", "1"), "#T", Element("T", "0.9", "1", "1", "1"), "%"});
  const V58ProsodicCollection* stop = compiler->GetCollection("stop");
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(stop->Count(), 2);
  const V58ProsodicTemplate* ht = stop->Get(129);
  ASSERT_NE(ht, nullptr);
  ASSERT_EQ(ht->GetElementCount(), 2);  // nothing of the refused block joined it
  EXPECT_FLOAT_EQ(ht->GetElement(0)->GetStartValue(), 1.1f);
  EXPECT_FLOAT_EQ(ht->GetElement(1)->GetStartValue(), 1.2f);
  ASSERT_NE(stop->Get(1), nullptr);
  EXPECT_EQ(stop->Get(1)->GetElementCount(), 1);
  const Strings errors = LogErrors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("[#H H T] in [stop] names a point twice"), std::string::npos)
      << errors[0];
}

TEST_F(V58ProsodicCompilerTest, ASlotGivenTwiceKeepsTheLaterTemplate) {
  const auto compiler = Load({"%stop", "#H", Element("H", "1.1", "1", "1", "1"), "#H",
                              Element("H", "1.4", "1", "1", "1"), "%"});
  const V58ProsodicTemplate* t = compiler->GetCollection("stop")->Get(128);
  ASSERT_NE(t, nullptr);
  EXPECT_FLOAT_EQ(t->GetElement(0)->GetStartValue(), 1.4f);
  EXPECT_EQ(Matching(LogErrors(), "given twice"), 1);
}

TEST_F(V58ProsodicCompilerTest, MoreThanAHundredCollectionsAreRefusedWithALogLine) {
  Strings lines;
  for (int i = 0; i < 102; ++i) {
    lines.insert(lines.end(),
                 {"%c" + std::to_string(i), "#H", Element("H", "1", "1", "1", "1"), "%"});
  }
  const auto compiler = Load(lines);
  EXPECT_EQ(compiler->CollectionCount(), V58ProsodicCompiler::kCapacity);
  EXPECT_EQ(compiler->CollectionNameAt(99), "c99");
  EXPECT_EQ(compiler->GetCollection("c100"), nullptr);
  const Strings errors = LogErrors();
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_NE(errors[0].find("more than 100 collections: [c100] refused"), std::string::npos);
  EXPECT_NE(errors[1].find("more than 100 collections: [c101] refused"), std::string::npos);
}

TEST_F(V58ProsodicCompilerTest, EndPositionZeroLogsEachElementAndReportsLocaleErrorOncePerFile) {
  const Strings lines = {"%stop",
                         "#H S1 T",
                         Element("H", "1", "1", "1", "0"),
                         Element("S1", "1", "1", "1", "1"),
                         Element("T", "1", "1", "1", "0.0"),
                         "%"};
  const auto first = Load(lines, "a.v58");
  // The elements are still added.
  ASSERT_NE(first->GetCollection("stop")->Get(193), nullptr);
  EXPECT_EQ(first->GetCollection("stop")->Get(193)->GetElementCount(), 3);
  EXPECT_EQ(LogErrors(), Strings({"V58ProsodicCompiler:562: until == 0",
                                  "V58ProsodicCompiler:562: until == 0"}));
  EXPECT_EQ(Reported(), Strings({"locale error"}));

  const auto second = Load(lines, "b.v58");
  EXPECT_EQ(LogErrors().size(), 4u);
  EXPECT_EQ(Reported(), Strings({"locale error", "locale error"}));
}

TEST_F(V58ProsodicCompilerTest, NumbersReadWithAPointWhateverTheLocale) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
      std::setlocale(LC_ALL, "de_DE.utf8") == nullptr) {
    GTEST_SKIP() << "no German locale installed";
  }
  ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
  const auto compiler = Load({"%stop", "#H", Element("H", "1.25", "0.5", "1.75", "0.125"), "%"});
  std::setlocale(LC_ALL, before.c_str());
  const V58ProsodicTemplate* t = compiler->GetCollection("stop")->Get(128);
  ASSERT_NE(t, nullptr);
  EXPECT_FLOAT_EQ(t->GetElement(0)->GetStartValue(), 1.25f);
  EXPECT_FLOAT_EQ(t->GetElement(0)->GetStartPosition(), 0.5f);
  EXPECT_FLOAT_EQ(t->GetElement(0)->GetEndValue(), 1.75f);
  EXPECT_FLOAT_EQ(t->GetElement(0)->GetEndPosition(), 0.125f);
  EXPECT_TRUE(Reported().empty());
}

TEST_F(V58ProsodicCompilerTest, AMalformedRecordIsReportedAndReadingGoesOn) {
  testing_support::RecordParts bad;
  bad.payload = std::string("%lost") + '\0';
  bad.checkDelta = 1;
  const std::string broken = testing_support::MakeRecord(bad, 400);
  // A malformed record in place of the first record and of each "".
  std::string content = broken;
  for (const std::string& line :
       Strings{"%stop", "#H", "", Element("H", "1.5", "1", "1", "1"), "%", "%comma", "#T", "",
               Element("T", "0.5", "1", "1", "1"), "%"}) {
    content += line.empty() ? broken : testing_support::TextRecord(line, 400);
  }
  inst_.write("v58/bad.v58", content);
  V58ProsodicCompiler compiler;
  compiler.Load(inst_.path("v58/bad.v58"));
  ASSERT_EQ(compiler.CollectionCount(), 2);
  EXPECT_FLOAT_EQ(compiler.GetCollection("stop")->Get(128)->GetElement(0)->GetStartValue(), 1.5f);
  EXPECT_FLOAT_EQ(compiler.GetCollection("comma")->Get(1)->GetElement(0)->GetStartValue(), 0.5f);
  EXPECT_EQ(Reported(), Strings(3, "malformed entry in file " + inst_.path("v58/bad.v58")));
}

TEST_F(V58ProsodicCompilerTest, AFileThatCannotBeReadGivesNoCollection) {
  V58ProsodicCompiler compiler;
  EXPECT_TRUE(compiler.Load(inst_.path("v58/missing.v58")));
  EXPECT_EQ(compiler.CollectionCount(), 0);
  EXPECT_EQ(Reported(), Strings({"Error reading file " + inst_.path("v58/missing.v58")}));
  EXPECT_EQ(Matching(LogErrors(), "] no collection"), 1);
}

TEST_F(V58ProsodicCompilerTest, DestructionListsTheTableAndDeletesTheCollections) {
  {
    const auto compiler = Load({"%stop", "#H", Element("H", "1", "1", "1", "1"), "%", "%comma",
                                "#T", Element("T", "1", "1", "1", "1"), "%"});
  }
  const Strings lines = testing_support::ReadLines(inst_.path("log.txt"));
  ASSERT_GE(lines.size(), 4u);
  const size_t n = lines.size();
  EXPECT_EQ(lines[n - 4], "2");
  EXPECT_EQ(lines[n - 3].rfind("0:", 0), 0u);
  EXPECT_NE(lines[n - 3].find(":stop"), std::string::npos);
  EXPECT_EQ(lines[n - 2].rfind("1:", 0), 0u);
  EXPECT_NE(lines[n - 2].find(":comma"), std::string::npos);
  EXPECT_EQ(lines[n - 1], "~VMap()");
}

// Elements, templates and collections

TEST_F(V58ProsodicCompilerTest, ElementsCopyEveryField) {
  _token_ anchor;
  V58ProsodicTemplateElement e(1.5f, 0.5f, "vowel:1", 0.25f, 0.75f, 0.4f, "stressed:1", 0.1f);
  e.SetAnchor(&anchor, 3);
  e.ScaleStartValue(2.0f);
  const V58ProsodicTemplateElement copy(e);
  V58ProsodicTemplateElement assigned;
  assigned.Assign(e);
  for (const V58ProsodicTemplateElement* x :
       {&copy, static_cast<const V58ProsodicTemplateElement*>(&assigned)}) {
    EXPECT_FLOAT_EQ(x->GetStartValue(), 3.0f);
    EXPECT_FLOAT_EQ(x->GetStartPosition(), 0.5f);
    EXPECT_EQ(x->GetStartLabel(), "vowel:1");
    EXPECT_FLOAT_EQ(x->GetStartExtra(), 0.25f);
    EXPECT_FLOAT_EQ(x->GetEndValue(), 0.75f);
    EXPECT_FLOAT_EQ(x->GetEndPosition(), 0.4f);
    EXPECT_EQ(x->GetEndLabel(), "stressed:1");
    EXPECT_FLOAT_EQ(x->GetEndExtra(), 0.1f);
    EXPECT_EQ(x->GetAnchor(), &anchor);
    EXPECT_EQ(x->GetSequenceCount(), 3);
  }
}

TEST_F(V58ProsodicCompilerTest, AddElementBindsACopyAndScalesItsStartValue) {
  _token_ anchor;
  const V58ProsodicTemplateElement e(1.5f, 1.0f, "", 0.0f, 1.0f, 1.0f, "", 0.0f);
  V58ProsodicTemplate t;
  t.AddElement(e, &anchor, 4, 0.5f);
  ASSERT_EQ(t.GetElementCount(), 1);
  EXPECT_FLOAT_EQ(t.GetElement(0)->GetStartValue(), 0.75f);
  EXPECT_EQ(t.GetElement(0)->GetAnchor(), &anchor);
  EXPECT_EQ(t.GetElement(0)->GetSequenceCount(), 4);
  EXPECT_FLOAT_EQ(e.GetStartValue(), 1.5f);
  EXPECT_EQ(e.GetAnchor(), nullptr);
  EXPECT_EQ(t.GetElement(1), nullptr);
}

TEST_F(V58ProsodicCompilerTest, CollectionSlotsAreBoundedAndReplaced) {
  V58ProsodicCollection c;
  EXPECT_EQ(c.Get(-1), nullptr);
  EXPECT_EQ(c.Get(256), nullptr);
  EXPECT_FALSE(c.Put(std::make_unique<V58ProsodicTemplate>(256)));
  bool replaced = true;
  EXPECT_TRUE(c.Put(std::make_unique<V58ProsodicTemplate>(255), &replaced));
  EXPECT_FALSE(replaced);
  auto second = std::make_unique<V58ProsodicTemplate>(255);
  const V58ProsodicTemplate* kept = second.get();
  EXPECT_TRUE(c.Put(std::move(second), &replaced));
  EXPECT_TRUE(replaced);
  EXPECT_EQ(c.Get(255), kept);
  EXPECT_EQ(c.Count(), 1);
}

// Points of a phrase

TEST_F(V58ProsodicCompilerTest, PointsOfPhrases) {
  struct Case {
    const char* text;
    int mask;
    Counts counts;  // H S1 T1 S2 T2 S3 T3 T
    Strings marks;  // per syllable
  };
  const Case cases[] = {
      // One unstressed syllable.
      {"ma.", 128, {1, 0, 0, 0, 0, 0, 0, 0}, {""}},
      // Five syllables, none stressed.
      {"mamamamama.", 129, {4, 0, 0, 0, 0, 0, 0, 1}, {"", "", "", "", ""}},
      // Five one-syllable words, syllable 2 stressed: no S3 (the search
      // back finds S1 again).
      {"ma_ma_mA_ma_ma.", 193, {2, 2, 0, 0, 0, 0, 0, 1}, {"", "", "firstStress", "", ""}},
      // One stressed syllable.
      {"mA.", 64, {0, 1, 0, 0, 0, 0, 0, 0}, {"firstStress"}},
      // S1 on the head, followed by one syllable.
      {"mA_ma.", 65, {0, 1, 0, 0, 0, 0, 0, 1}, {"firstStress", ""}},
      // S1 on the tail.
      {"ma_mA.", 192, {1, 1, 0, 0, 0, 0, 0, 0}, {"", "firstStress"}},
      // S3 on the tail; the search for S2 finds S1.
      {"mA_ma_mA.", 68, {0, 2, 0, 0, 0, 1, 0, 0}, {"firstStress", "", "lastStress"}},
      // T3 is the tail.
      {"mAma_ma_tAma.", 102, {0, 1, 2, 0, 0, 1, 1, 0}, {"firstStress", "", "", "lastStress", ""}},
      // All eight points.
      {"mamAta_ma_tAma_ma_mAta_ma.",
       255,
       {1, 1, 2, 1, 2, 1, 1, 1},
       {"", "firstStress", "", "", "preLastStress", "", "", "lastStress", "", ""}},
  };
  auto c = MakeComposer();
  for (const Case& k : cases) {
    c->Build(k.text);
    ASSERT_EQ(c->phrases->Size(), 1) << k.text;
    const V58ProsodicCompiler::Points pts =
        V58ProsodicCompiler::FindPoints(c->phrases->First(), c->words, c->syllables);
    EXPECT_TRUE(pts.covered) << k.text;
    EXPECT_EQ(pts.Mask(), k.mask) << k.text;
    EXPECT_EQ(pts.count, k.counts) << k.text;
    EXPECT_EQ(Marks(*c), k.marks) << k.text;
    for (int p = 0; p < V58ProsodicCompiler::kPointCount; ++p) {
      if (pts.count[static_cast<size_t>(p)] != 0) {
        EXPECT_NE(pts.anchor[static_cast<size_t>(p)], nullptr) << k.text << " point " << p;
      }
    }
  }
}

TEST_F(V58ProsodicCompilerTest, AllEightAnchorsAreThePointSyllables) {
  auto c = MakeComposer();
  c->Build("mamAta_ma_tAma_ma_mAta_ma.");
  const V58ProsodicCompiler::Points pts =
      V58ProsodicCompiler::FindPoints(c->phrases->First(), c->words, c->syllables);
  std::array<int, 8> indexes{};
  for (size_t p = 0; p < 8; ++p) indexes[p] = pts.anchor[p]->GetIndex();
  EXPECT_EQ(indexes, (std::array<int, 8>{0, 1, 2, 4, 5, 7, 8, 9}));
}

TEST_F(V58ProsodicCompilerTest, CollectionNameComesFromThePhraseType) {
  const std::pair<const char*, const char*> cases[] = {{"type:stop", "stop"},
                                                       {"type:comma", "comma"},
                                                       {"type:question", "question"},
                                                       {"type:exclamation", "exclamation"},
                                                       {"type:", "null"},
                                                       {"type:Stop", "null"},
                                                       {"", "null"}};
  for (const auto& k : cases) {
    _token_ t;
    t.Assign(k.first);
    EXPECT_EQ(V58ProsodicCompiler::CollectionNameOf(&t), k.second) << k.first;
  }
  EXPECT_EQ(V58ProsodicCompiler::CollectionNameOf(nullptr), "null");
}

// Applying templates to the F0 cells

TEST_F(V58ProsodicCompilerTest, TheMovementOfHeadFirstStressAndTailReachesTheCells) {
  const auto compiler =
      Load({"%stop", "#H S1 T", Element("H", "1.2", "1", "1", "0.9"),
            Element("S1", "1.3", "1", "0.9", "0.8"), Element("T", "0.9", "0.9", "1", "1"), "%"});
  auto c = MakeComposer();
  // m a _ m a _ m A _ m a .  (syllables ma ma mA ma ma, 5 cells per phone)
  ASSERT_EQ(c->Build("ma_ma_mA_ma_ma."), 1);
  EXPECT_TRUE(compiler->Analyse(&c->composer, c->phrases->First(), c->words, c->syllables));

  // H on "ma": both phones at 1.2. From H to S1 (two syllables, two vowel
  // anchors, n = 3) the level continues from 1.2 and moves to 1.2 x 0.9.
  const float toS1 = 1.2f * (1.0f - 0.1f * std::log(2.0f) / std::log(3.0f));
  const float sA = 1.2f * 0.9f * 1.3f;  // S1 on "mA" multiplies the level reached
  const float sm = toS1 * 1.3f;
  // From S1 to T: two syllables, two vowel anchors, continuing from the
  // last cell of "A" and moving to base x 0.8; then T on the last "ma".
  const float base = 0.9f * sA;
  const float toT = base * (1.0f - 0.2f * std::log(2.0f) / std::log(3.0f));
  ExpectCells(c->Cells(), Join({Repeat(1.2f), Repeat(1.2f),                          // m a
                                Repeat(1.2f), Repeat(toS1),                          // m a
                                Repeat(sm), Repeat(sA),                              // m A
                                Repeat(base), Repeat(toT),                           // m a
                                Repeat(toT * 0.9f), Repeat(base * 0.8f * 0.81f)}));  // m a
  EXPECT_EQ(Marks(*c), Strings({"", "", "firstStress", "", ""}));
  // The chosen template itself is not changed.
  EXPECT_FLOAT_EQ(compiler->GetCollection("stop")->Get(193)->GetElement(2)->GetStartValue(), 0.9f);
  EXPECT_TRUE(LogErrors().empty());
}

TEST_F(V58ProsodicCompilerTest, ANextPointOneSyllableOnScalesItsStartByTheLevelReached) {
  const auto compiler =
      Load({"%stop", "#S1 T", Element({"S1", "1.5", "1.2", "vowel:1", "0.4", "1", "0.5", "", "0"}),
            Element("T", "1", "0.8", "1", "1"), "%"});
  auto c = MakeComposer();
  ASSERT_EQ(c->Build("mA_ma."), 1);
  EXPECT_TRUE(compiler->Analyse(&c->composer, c->phrases->First(), c->words, c->syllables));
  // S1: m at 1.5; A rises from 1.5 to 1.8 over the first 40 % of its cells.
  // T starts at 1.0 x 0.5 x 1.8 (the cell reached): m 0.9, a 0.9 x 0.8.
  ExpectCells(c->Cells(),
              Join({Repeat(1.5f), {1.5f, 1.65f, 1.8f, 1.8f, 1.8f}, Repeat(0.9f), Repeat(0.72f)}));
  EXPECT_FLOAT_EQ(compiler->GetCollection("stop")->Get(65)->GetElement(1)->GetStartValue(), 1.0f);
}

TEST_F(V58ProsodicCompilerTest, EachPhraseTakesTheCollectionOfItsType) {
  const auto compiler =
      Load({"%question", "#S1 T", Element("S1", "1.1", "1", "1", "1"),
            Element("T", "1.1", "1", "1", "1"), "%", "%comma", "#S1 T",
            Element("S1", "1.2", "1", "1", "1"), Element("T", "1.2", "1", "1", "1"), "%", "%stop",
            "#S1 T", Element("S1", "1.3", "1", "1", "1"), Element("T", "1.3", "1", "1", "1"), "%"});
  auto c = MakeComposer();
  // Phrases: comma, stop, exclamation (no such collection: the first one).
  ASSERT_EQ(c->Build("mA_ma,mA_ma.mA_ma!"), 1);
  ASSERT_EQ(c->phrases->Size(), 3);
  EXPECT_EQ(compiler->AnalysePhrases(&c->composer, c->phrases, c->words, c->syllables), 3);
  // Within a phrase: S1 at v, T at v x 1.0 x v (its start scaled by
  // the level reached).
  Cells expected;
  for (const float v : {1.2f, 1.3f, 1.1f}) {
    expected = Join({expected, Repeat(v, 10), Repeat(v * v, 10)});
  }
  ExpectCells(c->Cells(), expected);
}

TEST_F(V58ProsodicCompilerTest, AnEmptyLayerOfPhrasesAndAnUnsetPhraseEndTheRun) {
  const auto compiler = Load({"%stop", "#H", Element("H", "2", "1", "1", "1"), "%"});
  auto c = MakeComposer();
  ASSERT_EQ(c->Build("ma_"), 1);  // no break: no phrase
  EXPECT_EQ(compiler->AnalysePhrases(&c->composer, c->phrases, c->words, c->syllables), 0);
  ExpectCells(c->Cells(), Repeat(1.0f, 10));
  EXPECT_EQ(compiler->AnalysePhrases(&c->composer, nullptr, c->words, c->syllables), 0);
  EXPECT_TRUE(LogErrors().empty());
}

// Phrases without a template

TEST_F(V58ProsodicCompilerTest, AnEmptySlotLeavesTheCellsAndTheMarksAndLogsOncePerRun) {
  const auto compiler = Load({"%stop", "#H", Element("H", "2", "1", "1", "1"), "%"});
  auto c = MakeComposer();
  ASSERT_EQ(c->Build("mA_ma.mA_ma.ma_mA."), 1);
  EXPECT_EQ(compiler->AnalysePhrases(&c->composer, c->phrases, c->words, c->syllables), 0);
  ExpectCells(c->Cells(), Repeat(1.0f, 60));
  EXPECT_EQ(Marks(*c), Strings({"firstStress", "", "firstStress", "", "", "firstStress"}));
  const Strings errors = LogErrors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("3 phrase(s) without template: [stop] 65: no template; [stop] 192: "
                           "no template"),
            std::string::npos)
      << errors[0];

  // A single analysis is a run of its own.
  EXPECT_FALSE(compiler->Analyse(&c->composer, c->phrases->First(), c->words, c->syllables));
  EXPECT_EQ(LogErrors().size(), 2u);
}

TEST_F(V58ProsodicCompilerTest, ATemplateWithFewerElementsThanPointsIsNotApplied) {
  const auto compiler = Load({"%stop", "#S1 T", Element("S1", "2", "1", "1", "1"), "%"});
  // One line at load.
  Strings errors = LogErrors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("template [stop] S1 T (65) has 1 element(s) for 2 point(s)"),
            std::string::npos)
      << errors[0];
  auto c = MakeComposer();
  ASSERT_EQ(c->Build("mA_ma.mA_ma."), 1);
  EXPECT_EQ(compiler->AnalysePhrases(&c->composer, c->phrases, c->words, c->syllables), 0);
  ExpectCells(c->Cells(), Repeat(1.0f, 40));
  EXPECT_EQ(Marks(*c), Strings({"firstStress", "", "firstStress", ""}));
  // One line for the run.
  errors = LogErrors();
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_NE(errors[1].find("2 phrase(s) without template: [stop] 65: 1 element(s) for 2 point(s)"),
            std::string::npos)
      << errors[1];
}

TEST_F(V58ProsodicCompilerTest, ACompilerWithoutCollectionsAppliesNothing) {
  const auto compiler = Load({"#H", Element("H", "2", "1", "1", "1")});
  EXPECT_EQ(compiler->CollectionCount(), 0);
  EXPECT_EQ(Matching(LogErrors(), "] no collection"), 1);
  auto c = MakeComposer();
  ASSERT_EQ(c->Build("mA_ma.ma."), 1);
  EXPECT_EQ(compiler->AnalysePhrases(&c->composer, c->phrases, c->words, c->syllables), 0);
  ExpectCells(c->Cells(), Repeat(1.0f, 30));
  EXPECT_EQ(Marks(*c), Strings({"firstStress", "", ""}));
  const Strings errors = LogErrors();
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_NE(errors[1].find("2 phrase(s) without template: no collection"), std::string::npos)
      << errors[1];
}

TEST_F(V58ProsodicCompilerTest, APointThatNoSyllableCoversGivesNoTemplate) {
  const auto compiler =
      Load({"%stop", "#H", Element("H", "2", "1", "1", "1"), "#S1 T",
            Element("S1", "2", "1", "1", "1"), Element("T", "2", "1", "1", "1"), "%"});
  auto c = MakeComposer();
  ASSERT_EQ(c->Build("ma_mA_ma."), 1);
  // The phrase starts on the pause before its second word: no head.
  _token_* phrase = c->phrases->First();
  phrase->Set(c->At(2), phrase->GetEnd(), "type:stop");
  EXPECT_FALSE(compiler->Analyse(&c->composer, phrase, c->words, c->syllables));
  // A word layer that has lost its words: the end of the first stressed word
  // is unknown; the first stress is still marked.
  ASSERT_EQ(c->Build("mA_ma."), 1);
  c->words->Reset();
  EXPECT_FALSE(compiler->Analyse(&c->composer, c->phrases->First(), c->words, c->syllables));
  ExpectCells(c->Cells(), Repeat(1.0f, 20));
  EXPECT_EQ(Marks(*c), Strings({"firstStress", ""}));
  const Strings errors = LogErrors();
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_NE(errors[0].find("a point that no syllable covers in [_mA_ma]"), std::string::npos)
      << errors[0];
  EXPECT_FALSE(compiler->Analyse(&c->composer, nullptr, c->words, c->syllables));
}

}  // namespace
