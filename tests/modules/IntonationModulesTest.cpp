// The F0 cells shaped by the V58 templates, the syllable contours and the
// smoothing.
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
const std::string kTemplates = std::string(kLayers) + "VM_IntonationV58";

using IntonationModulesTest = prosody_testing::ProsodyBed;

TEST_F(IntonationModulesTest, ContoursAndTemplatesShapeTheCells) {
  // kAli.: 5 cells per phone. The contour ramps kA up to 1.2 over its first
  // 30 %, holds to 70 % and ramps down; li is not stressed.
  const float a = 1.0666667f, b = 1.1333333f;
  // S1 T1 (mask 96): k 1.5, A from 1.5 to 3 over its first half, l at 0.5 x 3, i half of that.
  const std::vector<float> s1t1 = {1.5f, 1.5f, 1.5f, 1.5f, 1.5f, 1.5f, 2.1f, 2.7f, 3,    3,
                                   1.5f, 1.5f, 1.5f, 1.5f, 1.5f, .75f, .75f, .75f, .75f, .75f};
  const std::vector<std::pair<std::string, std::vector<float>>> cases = {
      {std::string(kLayers) + "VM_IntonationSyllable",
       {1, a, b, 1.2f, 1.2f, 1.2f, 1.2f, 1.2f, b, a, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
      {kTemplates, s1t1},
      // The template marked kA as first stress: no syllable contour on it.
      {kTemplates + ";VM_IntonationSyllable", s1t1},
  };
  for (const auto& [chain, cells] : cases) {
    SCOPED_TRACE(chain);
    UseFont(chain, std::string(kResources) + kContour);
    Run("kAli.");
    Expect(cells, true);
  }
  EXPECT_EQ(Logged(), 0);
}

TEST_F(IntonationModulesTest, PhrasesWithoutTemplateOrWithoutTemplatesKeepTheCells) {
  // Decided: mask 192 has a template of one element for two points, mask 64
  // none; the marks stay, so the syllable contours leave those syllables too.
  UseFont(kTemplates + ";VM_IntonationSyllable", std::string(kResources) + kContour);
  Run("kalI,pA.");
  Expect(std::vector<float>(30, 1), true);
  EXPECT_EQ(Tokens(layers::kSyllable),
            "ka word:start | lI stressed:1\tword:fin\tphrase:firstStress | "
            "pA stressed:1\tword:start\tword:fin\tphrase:firstStress");
  // Decided: no templates: one log line at set-up (after the one for the
  // phrases above), the cells unchanged.
  UseFont(kTemplates, "TIMEQUANTUM=20\n");
  Run("kAli.");
  Expect(std::vector<float>(20, 1), true);
  EXPECT_EQ(Logged(), 2);
}

TEST_F(IntonationModulesTest, FailedPreparationsEndTheRunOrNotAsEachModuleDecides) {
  // No phone with a duration: the contours and the templates end the run.
  UseFont(kLayers, "TIMEQUANTUM=20\n");
  Run("_.");
  EXPECT_FALSE(contours_.Run());
  EXPECT_FALSE(v58_.Run());
  EXPECT_TRUE(smooth_.Run());
  // Decided: a failed preparation does nothing; the templates log it once
  // and the chain goes on.
  UseFont(kLayers, "TIMEQUANTUM=0\n");
  Run("kAli.");
  EXPECT_FALSE(contours_.Run());
  EXPECT_TRUE(v58_.Run());
  EXPECT_TRUE(smooth_.Run());
  EXPECT_EQ(Logged(), 1);
}

TEST_F(IntonationModulesTest, SmoothingSpreadsJumpsOverTheThreshold) {
  const std::vector<std::tuple<std::vector<float>, float, std::vector<float>>> cases = {
      {{1, 1, 2, 2}, 0.5f, {1, 1.5f, 2, 2}}, {{1, 2, 1}, 0.5f, {2, 1, 1}},  // a one-cell peak moves
      {{1, 1.5f, 2}, 0.5f, {1, 1.5f, 2}},    {{1, 1.5f}, 0, {1.5f, 1.5f}},
      {{0, 1, 1}, 0.5f, {0, 1, 1}},  // decided: a run from a zero cell is left alone
  };
  for (auto [cells, threshold, smoothed] : cases) {
    VM_SmoothF0::Smooth(cells.data(), static_cast<int>(cells.size()), threshold);
    testing_support::ExpectCells(cells, smoothed);
  }
}

}  // namespace
