// The phone-text generator over the composer's phone string, durations and
// F0 cells: the format line by line, the pitch points per quantum, breaks and
// pauses, the symbol table, and the quantum that is not positive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/modules/SpeechTestBed.h"

namespace {

using speech_testing::SpeechBed;
using speech_testing::SplitLines;

using GeneratorTest = SpeechBed;

// The bed's font with another quantum line (empty: no quantum key at all).
std::string FontWithQuantum(const std::string& quantumLine, int intonationReference = 120) {
  return "TIMEQUANTUM=20\nDuration reference=100\nIntonation reference=" +
         std::to_string(intonationReference) + "\n" + quantumLine;
}

TEST_F(GeneratorTest, WritesTheWorkedExampleByteForByte) {
  // 'm' 60 ms (3 cells), 'a' 120 ms (6 cells), base F0 120, quantum 50.
  Begin("ma.", {0.6f, 1.2f, 1.0f});
  SetCells(0, {118.0f / 120, 120.0f / 120, 122.0f / 120});
  SetCells(1, {125.0f / 120, 1.0f, 130.0f / 120, 1.0f, 1.0f, 124.0f / 120});
  EXPECT_EQ(Generate(),
            "_ 60 (0,120)\n"
            "m 60 (0,118) (50,120) (100,122)\n"
            "a 120 (0,125) (50,130) (100,124)\n"
            "_ 60");
  EXPECT_EQ(generator_.GetQuantum(), 50);
  EXPECT_TRUE(LogErrors().empty());
}

TEST_F(GeneratorTest, PitchPointsFollowTheQuantum) {
  struct Case {
    const char* quantum;
    const char* line;
  };
  // One phone of 100 ms: five cells of 100, 110, 120, 130 and 140 Hz.
  const Case cases[] = {
      {"50", "a 100 (0,100) (50,120) (100,140)"},
      {"30", "a 100 (0,100) (30,110) (60,120) (90,130)"},
      {"100", "a 100 (0,100) (100,140)"},
      {"150", "a 100 (0,100)"},
      {"25", "a 100 (0,100) (25,110) (50,120) (75,130) (100,140)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.quantum);
    UseFont(FontWithQuantum(std::string("VM_GeneratorPHO.Quantum=") + c.quantum + "\n", 100));
    Begin("a.");
    SetCells(0, {1.0f, 1.1f, 1.2f, 1.3f, 1.4f});
    EXPECT_EQ(SplitLines(Generate()), (std::vector<std::string>{"_ 60 (0,100)", c.line, "_ 60"}));
  }
}

TEST_F(GeneratorTest, AQuantumThatIsNotPositiveIsLoggedOnceAndGivesOnePointPerPhone) {
  struct Case {
    const char* fontLine;
    const char* logged;
  };
  const Case cases[] = {
      {"", "*** ERROR:\tVM_GeneratorPHO::SetUp()@quantum must be positive: [0]"},
      {"VM_GeneratorPHO.Quantum=0\n",
       "*** ERROR:\tVM_GeneratorPHO::SetUp()@quantum must be positive: [0]"},
      {"VM_GeneratorPHO.Quantum=-5\n",
       "*** ERROR:\tVM_GeneratorPHO::SetUp()@quantum must be positive: [-5]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fontLine);
    testing_support::WriteFile(inst_.path("log.txt"), "");
    UseFont(FontWithQuantum(c.fontLine));
    EXPECT_EQ(LogErrors(), std::vector<std::string>{c.logged});
    // The run ends, with the point at 0 % of each phone alone.
    EXPECT_EQ(Generate("ma,ka."),
              "_ 60 (0,120)\n"
              "m 100 (0,120)\n"
              "a 100 (0,120)\n"
              "_ 100\n"
              "k 100 (0,120)\n"
              "a 100 (0,120)\n"
              "_ 60");
    EXPECT_EQ(LogErrors().size(), 1u);
  }
}

TEST_F(GeneratorTest, BreaksBecomeSilenceLinesAndPausesWriteNothing) {
  const std::string a = "a 100 (0,120) (50,120) (100,120)";
  const std::string b = "b 100 (0,120) (50,120) (100,120)";
  struct Case {
    const char* phones;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"a_b.", {"_ 60 (0,120)", a, b, "_ 60"}},
      {"a#b.", {"_ 60 (0,120)", a, b, "_ 60"}},
      {"a,b.", {"_ 60 (0,120)", a, "_ 100", b, "_ 60"}},
      {"a!b;a/b..", {"_ 60 (0,120)", a, "_ 100", b, "_ 100", a, "_ 100", b, "_ 100", "_ 60"}},
      {"_a__b#.", {"_ 60 (0,120)", a, b, "_ 60"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.phones);
    EXPECT_EQ(SplitLines(Generate(c.phones)), c.lines);
  }
}

TEST_F(GeneratorTest, TheLastCharacterIsNeverWritten) {
  const std::string a = "a 100 (0,120) (50,120) (100,120)";
  EXPECT_EQ(SplitLines(Generate("ab")), (std::vector<std::string>{"_ 60 (0,120)", a, "_ 60"}));
  EXPECT_EQ(SplitLines(Generate("aa")), (std::vector<std::string>{"_ 60 (0,120)", a, "_ 60"}));
  EXPECT_EQ(Generate("a"), "_ 60 (0,120)\n_ 60");
  EXPECT_EQ(Generate(""), "_ 60 (0,120)\n_ 60");
  // Only the closing line lacks a line feed.
  const std::string text = Generate("kalimEra .");
  EXPECT_EQ(text.back(), '0');
  EXPECT_EQ(text.substr(text.size() - 5), "\n_ 60");
}

TEST_F(GeneratorTest, SymbolsOfThePhoneText) {
  struct Case {
    char phone;
    const char* symbol;
  };
  const Case cases[] = {
      {'A', "a"}, {'E', "e"}, {'I', "i"}, {'7', "i"}, {'O', "o"}, {'U', "u"}, {'W', "u"},
      {'!', "_"}, {',', "_"}, {'.', "_"}, {'/', "_"}, {';', "_"}, {'a', "a"}, {'e', "e"},
      {'k', "k"}, {'s', "s"}, {'x', "x"}, {'T', "T"}, {'D', "D"}, {'G', "G"}, {'q', "q"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, c.phone));
    // A phone after it, so that the text has F0 cells.
    const std::vector<std::string> lines = SplitLines(Generate(std::string(1, c.phone) + "a."));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].substr(0, lines[1].find(' ')), c.symbol);
    EXPECT_EQ(VM_GeneratorPHO::Symbol(c.phone), c.symbol);
  }
  // Characters that are not phones have no cells and so no points.
  EXPECT_EQ(SplitLines(Generate("Wa."))[1], "u 100");
  EXPECT_EQ(SplitLines(Generate("7a."))[1], "i 100");
  EXPECT_EQ(SplitLines(Generate("Ua."))[1], "u 100 (0,120) (50,120) (100,120)");
}

TEST_F(GeneratorTest, APhoneWithoutCellsHasNoPoints) {
  // 'm' finalises to 0 ms, 't' (9 ms) to 0 ms as well: no cells.
  EXPECT_EQ(Generate("mta.", {0.0f, 0.09f, 1.0f}),
            "_ 60 (0,120)\n"
            "m 0\n"
            "t 0\n"
            "a 100 (0,120) (50,120) (100,120)\n"
            "_ 60");
}

TEST_F(GeneratorTest, WithoutAnyCellTheTextStaysEmpty) {
  Generate("ma.");
  ASSERT_FALSE(generator_.GetPho().empty());
  // Breaks and pauses only: the intonation has no cells at all.
  EXPECT_EQ(Generate("._,."), "");
  EXPECT_EQ(generator_.GetPho(), "");
}

TEST_F(GeneratorTest, F0IsWrittenAsAWholeNumberRoundedHalfToEven) {
  // Base F0 1: the cells are written as they stand.
  UseFont(FontWithQuantum("VM_GeneratorPHO.Quantum=50\n", 1));
  Begin("aa.", {0.6f, 0.6f, 1.0f});
  SetCells(0, {0.5f, -0.4f, 2.5f});
  SetCells(1, {3.5f, 99.49f, 100.5f});
  EXPECT_EQ(SplitLines(Generate()),
            (std::vector<std::string>{"_ 60 (0,1)", "a 60 (0,0) (50,-0) (100,2)",
                                      "a 60 (0,4) (50,99) (100,100)", "_ 60"}));
}

TEST_F(GeneratorTest, ThePitchScaleSetsTheBaseF0) {
  intonation_.SetScale(1.5f);
  EXPECT_EQ(Generate("a."), "_ 60 (0,180)\na 100 (0,180) (50,180) (100,180)\n_ 60");
  intonation_.SetScale(0.55f);
  EXPECT_EQ(Generate("a."), "_ 60 (0,66)\na 100 (0,66) (50,66) (100,66)\n_ 60");
}

TEST_F(GeneratorTest, LongPhoneTextsAndLongLinesHaveNoLimit) {
  // Quantum 1: 101 points of a three-digit F0 on every line.
  UseFont(FontWithQuantum("VM_GeneratorPHO.Quantum=1\n"));
  const std::string phones = std::string(400, 'a') + ".";
  const std::vector<std::string> lines = SplitLines(Generate(phones));
  ASSERT_EQ(lines.size(), 402u);
  std::string expected = "a 100";
  for (int pct = 0; pct <= 100; ++pct) expected += " (" + std::to_string(pct) + ",120)";
  EXPECT_GT(expected.size(), 800u);
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) ASSERT_EQ(lines[i], expected) << i;
  EXPECT_EQ(lines.back(), "_ 60");
}

TEST_F(GeneratorTest, EveryRunRebuildsTheText) {
  EXPECT_EQ(SplitLines(Generate("ma.")).size(), 4u);
  EXPECT_EQ(SplitLines(Generate("a.")).size(), 3u);
  EXPECT_EQ(Generate("..."), "");
  EXPECT_EQ(SplitLines(Generate("kala.")).size(), 6u);
}

TEST_F(GeneratorTest, ReadersFindTheGeneratorByItsName) {
  EXPECT_EQ(VM_GeneratorPHO::Find(&composer_), &generator_);
  testing_support::FakeComposer empty;
  EXPECT_EQ(VM_GeneratorPHO::Find(&empty), nullptr);
  EXPECT_EQ(VM_GeneratorPHO::Find(nullptr), nullptr);
}

}  // namespace
