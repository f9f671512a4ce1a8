// The phone-text generator over the phone string, durations and F0 cells.
#include "modules/vm_genpho.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "tests/common/ComposerBed.h"

namespace {

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
  // The phone text of phones with the first duration factors and F0 cells
  // given (the others 1.0).
  std::string Generate(const std::string& phones, const std::vector<float>& factors = {},
                       const std::vector<float>& cells = {}) {
    bed_->Build(phones, factors);
    std::copy(cells.begin(), cells.end(), bed_->intonation.GetCells());
    EXPECT_TRUE(generator_.Run());
    return generator_.GetPho();
  }

  VM_GeneratorPHO generator_;
};

TEST_F(GeneratorTest, WritesTheWorkedExampleByteForByte) {
  // m 60 ms (3 cells), a 120 ms (6 cells), base F0 120, quantum 50.
  EXPECT_EQ(
      Generate("ma.", {0.6f, 1.2f},
               {118.0f / 120, 1, 122.0f / 120, 125.0f / 120, 1, 130.0f / 120, 1, 1, 124.0f / 120}),
      "_ 60 (0,120)\nm 60 (0,118) (50,120) (100,122)\na 120 (0,125) (50,130) (100,124)\n_ 60");
  // Whole numbers rounded half to even, whatever the locale.
  UseQuantum("50", 1);
  EXPECT_EQ(Generate("a.", {0.6f}, {0.5f, -0.4f, 2.5f}),
            "_ 60 (0,1)\na 60 (0,0) (50,-0) (100,2)\n_ 60");
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
    EXPECT_EQ(Generate("a.", {}, {1.0f, 1.1f, 1.2f, 1.3f, 1.4f}),
              std::string("_ 60 (0,100)\n") + line + "\n_ 60");
    logged += generator_.GetQuantum() > 0 ? 0 : 1;
    EXPECT_EQ(inst_.Logged("quantum must be positive"), logged);
  }
}

TEST_F(GeneratorTest, BreaksBecomeSilencesPausesWriteNothingAndTheLastCharacterNothing) {
  const std::string a = "a 100 (0,120) (50,120) (100,120)\n", p = "_ 100\n",
                    first = "_ 60 (0,120)\n";
  const std::string b = "b 100 (0,120) (50,120) (100,120)\n", last = "_ 60";
  const std::tuple<std::string, std::vector<float>, std::string> cases[] = {
      {"a_b#.", {}, first + a + b + last},
      {"a,b!a;b/a..", {}, first + a + p + b + p + a + p + b + p + a + p + last},
      {"ab", {}, first + a + last},
      {"", {}, first + last},
      {"mta.", {0.0f, 0.09f}, first + "m 0\nt 0\n" + a + last},  // phones without cells: no points
      {"._,.", {}, ""},                                          // no cell at all: no text
  };
  for (const auto& [phones, factors, text] : cases) EXPECT_EQ(Generate(phones, factors), text);
}

TEST_F(GeneratorTest, SymbolsOfThePhoneTextAndLinesOfAnyLength) {
  std::string symbols;
  for (const char phone : std::string("AEI7OUW!/kTq")) symbols += VM_GeneratorPHO::Symbol(phone);
  EXPECT_EQ(symbols, "aeiiouu__kTq");
  UseQuantum("1");
  std::string line = "a 100", text = "_ 60 (0,120)\n";
  for (int pct = 0; pct <= 100; ++pct) line += " (" + std::to_string(pct) + ",120)";
  for (int i = 0; i < 400; ++i) text += line + "\n";
  EXPECT_EQ(Generate(std::string(400, 'a') + "."), text + "_ 60");
}

}  // namespace
