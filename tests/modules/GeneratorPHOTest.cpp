// The phone-text generator over the phone string, durations and F0 cells.
#include "modules/vm_genpho.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/common/ComposerBed.h"

namespace {

using Lines = std::vector<std::string>;

class GeneratorTest : public testing_support::ComposerBed {
 protected:
  GeneratorTest() {
    EXPECT_TRUE(bed_->composer.directory.AddModule(&generator_));
    generator_.SetUp();
  }
  // Makes a font of the bed's settings with this generator quantum and
  // intonation reference.
  void UseQuantum(const std::string& quantum, int reference = 120) {
    UseFont("TIMEQUANTUM=20\nDuration reference=100\nIntonation reference=" +
            std::to_string(reference) + "\n" +
            (quantum.empty() ? "" : "VM_GeneratorPHO.Quantum=" + quantum + "\n"));
    generator_.SetUp();
  }
  void SetCells(int i, const std::vector<float>& values) {
    int n = 0;
    float* cells = bed_->intonation.CellsAt(bed_->At(i), &n);
    ASSERT_EQ(n, static_cast<int>(values.size()));
    for (int k = 0; k < n; ++k) cells[k] = values[static_cast<size_t>(k)];
  }
  std::string Generate() {
    EXPECT_TRUE(generator_.Run());
    return generator_.GetPho();
  }
  Lines Generate(const std::string& phones, const std::vector<float>& factors = {}) {
    bed_->Build(phones, factors);
    Lines lines;
    std::istringstream in(Generate());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  VM_GeneratorPHO generator_;
};

TEST_F(GeneratorTest, WritesTheWorkedExampleByteForByte) {
  bed_->Build("ma.", {0.6f, 1.2f, 1.0f});  // m 60 ms, a 120 ms, base F0 120, quantum 50
  SetCells(0, {118.0f / 120, 1.0f, 122.0f / 120});
  SetCells(1, {125.0f / 120, 1.0f, 130.0f / 120, 1.0f, 1.0f, 124.0f / 120});
  EXPECT_EQ(
      Generate(),
      "_ 60 (0,120)\nm 60 (0,118) (50,120) (100,122)\na 120 (0,125) (50,130) (100,124)\n_ 60");
  // Whole numbers rounded half to even, whatever the locale.
  UseQuantum("50", 1);
  bed_->Build("a.", {0.6f});
  SetCells(0, {0.5f, -0.4f, 2.5f});
  EXPECT_EQ(Generate(), "_ 60 (0,1)\na 60 (0,0) (50,-0) (100,2)\n_ 60");
}

TEST_F(GeneratorTest, PitchPointsFollowTheQuantumAndANonPositiveOneIsLoggedOnce) {
  const std::pair<const char*, const char*> cases[] = {
      {"30", "a 100 (0,100) (30,110) (60,120) (90,130)"},
      {"100", "a 100 (0,100) (100,140)"},
      {"150", "a 100 (0,100)"},
      {"0", "a 100 (0,100)"},
      {"-5", "a 100 (0,100)"},
      {"", "a 100 (0,100)"}};
  int logged = 0;
  for (const auto& [quantum, line] : cases) {
    SCOPED_TRACE(quantum);
    UseQuantum(quantum, 100);
    bed_->Build("a.");
    SetCells(0, {1.0f, 1.1f, 1.2f, 1.3f, 1.4f});
    EXPECT_EQ(Generate(), std::string("_ 60 (0,100)\n") + line + "\n_ 60");
    logged += generator_.GetQuantum() > 0 ? 0 : 1;
    EXPECT_EQ(inst_.Logged("quantum must be positive"), logged);
  }
}

TEST_F(GeneratorTest, BreaksBecomeSilencesPausesWriteNothingAndTheLastCharacterNothing) {
  const std::string a = "a 100 (0,120) (50,120) (100,120)", b = "b 100 (0,120) (50,120) (100,120)";
  const std::pair<std::string, Lines> cases[] = {
      {"a_b#.", {"_ 60 (0,120)", a, b, "_ 60"}},
      {"a,b!a;b/a..",
       {"_ 60 (0,120)", a, "_ 100", b, "_ 100", a, "_ 100", b, "_ 100", a, "_ 100", "_ 60"}},
      {"ab", {"_ 60 (0,120)", a, "_ 60"}},
      {"", {"_ 60 (0,120)", "_ 60"}},
      {"mta.", {"_ 60 (0,120)", "m 0", "t 0", a, "_ 60"}},  // phones without cells have no points
      {"._,.", {}},                                         // no cell at all: no text
  };
  for (const auto& [phones, lines] : cases) {
    EXPECT_EQ(
        Generate(phones, phones == "mta." ? std::vector<float>{0.0f, 0.09f} : std::vector<float>{}),
        lines)
        << phones;
  }
}

TEST_F(GeneratorTest, SymbolsOfThePhoneTextAndLinesOfAnyLength) {
  const std::pair<char, const char*> cases[] = {{'A', "a"}, {'I', "i"}, {'7', "i"}, {'U', "u"},
                                                {'W', "u"}, {'!', "_"}, {'/', "_"}, {'k', "k"},
                                                {'T', "T"}, {'q', "q"}};
  for (const auto& [phone, symbol] : cases)
    EXPECT_EQ(VM_GeneratorPHO::Symbol(phone), symbol) << phone;
  EXPECT_EQ(Generate("Ea.")[1], "e 100 (0,120) (50,120) (100,120)");
  UseQuantum("1");
  const Lines lines = Generate(std::string(400, 'a') + ".");
  std::string expected = "a 100";
  for (int pct = 0; pct <= 100; ++pct) expected += " (" + std::to_string(pct) + ",120)";
  ASSERT_EQ(lines.size(), 402u);
  EXPECT_EQ(lines[400], expected);
}

}  // namespace
