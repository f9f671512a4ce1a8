// The F0 cells shaped by the syllable contours, the V58 templates and the
// smoothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/modules/ProsodyTestBed.h"

namespace {

using prosody_testing::kLayers;
using prosody_testing::kResources;

constexpr const char* kContour =
    "VM_IntonationSyllable.x0=0\nVM_IntonationSyllable.x1=0.3\nVM_IntonationSyllable.x2=0.7\n"
    "VM_IntonationSyllable.x3=1\nVM_IntonationSyllable.y0=1\nVM_IntonationSyllable.y1=1.2\n"
    "VM_IntonationSyllable.y2=1.2\nVM_IntonationSyllable.y3=1\n";

// n cells of value v.
std::vector<float> Flat(int n, float v) {
  return std::vector<float>(static_cast<std::size_t>(n), v);
}
std::vector<float> Join(std::vector<std::vector<float>> parts) {
  std::vector<float> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

using IntonationModulesTest = prosody_testing::ProsodyBed;

TEST_F(IntonationModulesTest, ContoursAndTemplatesShapeTheCells) {
  struct Case {
    std::string chain;
    const char* phones;
    std::vector<float> cells;
  };
  const std::string syllable = std::string(kLayers) + "VM_IntonationSyllable";
  const std::string v58 = std::string(kLayers) + "VM_IntonationV58";
  // kA, 5 + 5 cells: a ramp to 1.2 over the first 30 %, flat to 70 %, back down.
  const std::vector<float> raised = {1,    1.0666667f, 1.1333333f, 1.2f,       1.2f,
                                     1.2f, 1.2f,       1.2f,       1.1333333f, 1.0666667f};
  // S1 T1 (mask 96): k 1.5, A from 1.5 to 3 over its first half, l at
  // 0.5 x 3, i at half of that.
  const std::vector<float> s1t1 =
      Join({Flat(5, 1.5f), {1.5f, 2.1f, 2.7f, 3, 3}, Flat(5, 1.5f), Flat(5, 0.75f)});
  const std::vector<Case> cases = {
      {syllable, "kAli.", Join({raised, Flat(10, 1)})},
      {syllable, "pali.", Flat(20, 1)},
      {v58, "kAli.", s1t1},
      // The template marked kA as first stress: no syllable contour on it.
      {v58 + ";VM_IntonationSyllable", "kAli.", s1t1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chain + " " + c.phones);
    UseFont(c.chain, std::string(kResources) + kContour);
    Run(c.phones);
    ExpectNear(Cells(), c.cells);
  }
  EXPECT_TRUE(LogErrors().empty());
}

TEST_F(IntonationModulesTest, PhrasesWithoutTemplateKeepTheirMarksAndGetNothing) {
  // Decided: mask 192 has a template of one element for two points, mask
  // 64 none; the marks stay, so the syllable contours leave them alone too.
  UseFont(std::string(kLayers) + "VM_IntonationV58;VM_IntonationSyllable",
          std::string(kResources) + kContour);
  Run("kalI,pA.");
  ExpectNear(Cells(), Flat(30, 1));
  EXPECT_EQ(
      Tokens(layer::kSyllable),
      (std::vector<std::string>{"ka word:start", "lI stressed:1\tword:fin\tphrase:firstStress",
                                "pA stressed:1\tword:start\tword:fin\tphrase:firstStress"}));

  // Decided: no templates: one log line at set-up, the cells unchanged.
  const std::size_t lines = LogErrors().size();
  UseFont(std::string(kLayers) + "VM_IntonationV58", "TIMEQUANTUM=20\n");
  Run("kAli.");
  ExpectNear(Cells(), Flat(20, 1));
  EXPECT_EQ(LogErrors().size(), lines + 1);
}

TEST_F(IntonationModulesTest, FailedPreparationsEndTheRunOrNotAsEachModuleDecides) {
  struct Case {
    const char* settings;
    const char* phones;
    bool syllable, v58, smooth;
    std::size_t logLines;
  };
  const std::vector<Case> cases = {
      // No phone with a duration: the cells cannot be made.
      {"TIMEQUANTUM=20\n", "_.", false, false, true, 0},
      // Decided: a failed preparation does nothing; the templates log it once.
      {"TIMEQUANTUM=0\n", "kAli.", false, true, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    UseFont(kLayers, c.settings);
    Run(c.phones);
    const std::size_t before = LogErrors().size();
    EXPECT_EQ(syllableContours_.Run(), c.syllable);
    EXPECT_EQ(v58_.Run(), c.v58);
    EXPECT_EQ(smooth_.Run(), c.smooth);
    EXPECT_EQ(LogErrors().size(), before + c.logLines);
  }
}

TEST_F(IntonationModulesTest, SmoothingSpreadsJumpsOverTheThreshold) {
  struct Case {
    std::vector<float> cells;
    float threshold;
    std::vector<float> smoothed;
  };
  const std::vector<Case> cases = {
      {{1, 1, 2, 2}, 0.5f, {1, 1.5f, 2, 2}}, {{1, 2, 1}, 0.5f, {2, 1, 1}},  // a one-cell peak moves
      {{1, 1.5f, 2}, 0.5f, {1, 1.5f, 2}},    {{1, 1.5f}, 0, {1.5f, 1.5f}},
      {{0, 1, 1}, 0.5f, {0, 1, 1}},  // decided: a run from a zero cell is left alone
  };
  for (const Case& c : cases) {
    std::vector<float> cells = c.cells;
    VM_SmoothF0::Smooth(cells.data(), static_cast<int>(cells.size()), c.threshold);
    ExpectNear(cells, c.smoothed);
  }
}

}  // namespace
