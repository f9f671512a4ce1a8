// The duration and intonation arrays: durations in quanta, F0 cells per
// phone, contours, target movements and the cursor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/common/ComposerBed.h"

namespace {

using namespace testing_support;
using Strings = std::vector<std::string>;

class ArraysTest : public ComposerBed {
 protected:
  VDuration& duration_ = bed_->duration;
  VIntonation& intonation_ = bed_->intonation;
  const char* At(int i) { return bed_->At(i); }
  void Multiply(int from, int to, float f, bool setCursor) {
    intonation_.MultiplyRange(At(from), At(to), &f, setCursor);
  }
};

TEST_F(ArraysTest, DurationsAreQuantisedHalfDownAndGetChecksBothEnds) {
  // Factor x 100 ms in quanta of 20: 150 is 7.5 quanta, an exact half: 140;
  // in single precision 100 x 1.1 is 110 exactly: 100.
  ASSERT_EQ(bed_->Build("mat.amma", {1.5f, 0.125f, 0.0625f, 1.0f, -1.0f, 1.1f, 1.7f, 0.1f}), 1);
  EXPECT_EQ(duration_.Finalise(), 2);  // the intonation finalised them
  const Cells expected = {140.0f, 20.0f, 0.0f, 100.0f, -100.0f, 100.0f, 160.0f, 0.0f};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(duration_.Get(i), expected[static_cast<size_t>(i)]) << i;
  EXPECT_FLOAT_EQ(duration_.TotalOfPhones(), 420.0f);  // the '.' and the negative one not
  EXPECT_EQ(duration_.Get(8), 0.0f);
  EXPECT_EQ(duration_.Get(-1), 0.0f);
  EXPECT_EQ(boxes_.reports(), (Strings{"in_at >= m_size", "in_at < 0"}));
  duration_.Reset();
  EXPECT_FALSE(duration_.IsFinalised());
}

TEST_F(ArraysTest, SetFlatGivesHertzOfTheScaledReferenceUnlessTheTimeQuantumIsNotPositive) {
  intonation_.SetScale(1.5f);
  ASSERT_EQ(bed_->Build("ma."), 1);
  Multiply(1, 1, 1.5f, false);
  EXPECT_EQ(intonation_.SetFlat(), 1);
  ExpectCells(bed_->Cells(), Join({Repeat(180.0f), Repeat(270.0f)}));
  // A time quantum of zero or below fails the preparation of both arrays.
  for (const std::string quantum : {"0", "-20", ""}) {
    SCOPED_TRACE(quantum);
    boxes_.clear();
    UseFont("TIMEQUANTUM=" + quantum + "\nDuration reference=100\nIntonation reference=120\n");
    EXPECT_EQ(bed_->Build("mat"), VIntonation::kBadTimeQuantum);
    EXPECT_EQ(duration_.Prepare(), VDuration::kBadTimeQuantum);
    EXPECT_EQ(duration_.GetSize(), 0);
    EXPECT_EQ(intonation_.GetCellCount(), 0);
    EXPECT_GT(duration_.GetTimeQuantum(), 0);  // never the refused one
    const std::string value = quantum.empty() ? "0" : quantum;
    EXPECT_EQ(intonation_.SetFlat(), 0);
    EXPECT_EQ(boxes_.reports(),  // once per run, for both arrays
              Strings{"VDuration::Prepare()@TIMEQUANTUM must be positive: [" + value + "]"});
  }
}

TEST_F(ArraysTest, EachPhoneTakesTheWholeQuantaOfItsDuration) {
  struct Case {
    std::string text;
    Cells factors;
    std::vector<std::pair<int, int>> links;  // first and last cell of every character
  };
  const Case cases[] = {
      {"mat", {}, {{0, 4}, {5, 9}, {10, 14}}},
      {"m.a", {1.5f}, {{0, 6}, {0, 0}, {7, 11}}},        // a '.' has no cells
      {"mat", {-0.6f}, {{0, -1}, {0, 4}, {5, 9}}},       // a negative duration has none
      {"mat", {1.0f, 0.05f}, {{0, 4}, {5, 4}, {5, 9}}},  // nor one shorter than a quantum
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(bed_->Build(c.text, c.factors), 1);
    for (size_t i = 0; i < c.links.size(); ++i) {
      const _link_* link = intonation_.GetLink(static_cast<int>(i));
      ASSERT_NE(link, nullptr);
      if (link->IsPhone()) {
        EXPECT_EQ(std::make_pair(link->first, link->last), c.links[i]) << i;
      }
    }
  }
  EXPECT_EQ(bed_->Build("m_"), 1);
  EXPECT_EQ(bed_->Build("._"), VIntonation::kNoDuration);
}

TEST_F(ArraysTest, CellAtPercentClampsAndTheCursorStaysInTheCells) {
  ASSERT_EQ(bed_->Build("ma."), 1);
  const float* cells = intonation_.GetCells();
  const std::pair<int, int> percents[] = {{0, 5}, {50, 7}, {99, 8}, {-10, 5}, {250, 9}};
  for (const auto& [pct, cell] : percents)
    EXPECT_EQ(intonation_.CellAtPercent(At(1), pct), cells + cell) << pct;
  EXPECT_EQ(intonation_.CurrentValue(), 1.0f);  // no cursor yet
  Multiply(0, 1, 2.0f, true);
  EXPECT_EQ(intonation_.GetCursorIndex(), 4);  // the cell before the last phone's first
  Multiply(0, 0, 2.0f, true);
  EXPECT_EQ(intonation_.GetCursor(), nullptr);    // none before cell 0
  ASSERT_EQ(bed_->Build("ma", {1.0f, 0.0f}), 1);  // a last phone without cells
  Multiply(1, 1, 2.0f, true);
  EXPECT_EQ(intonation_.GetCursorIndex(), 4);
  ASSERT_EQ(bed_->Build("a"), 1);  // a rebuild drops the cursor and the cells
  EXPECT_EQ(intonation_.GetCursorIndex(), -1);
  EXPECT_EQ(intonation_.GetCellCount(), 5);
}

TEST_F(ArraysTest, ContoursMoveTheCellsOfTheirRange) {
  struct Case {
    std::string text;
    int from, to;
    Cells x, y;
    bool joins;  // the neighbour cells (first phone x 2, last x 3) are joined
    Cells cells;
    int cursor;
  };
  const Case cases[] = {
      // clang-format off
      {"aa", 0, 1, {0, 0.5f, 1}, {1, 2, 2}, false, {1, 1.2f, 1.4f, 1.6f, 1.8f, 2, 2, 2, 2, 2}, 9},
      // A step: the new level from the step's cell on.
      {"aa", 0, 1, {0, 0.5f, 0.5f, 1}, {1, 1, 2, 2}, false, Join({Repeat(1), Repeat(2)}), 9},
      {".m.a", 0, 3, {0, 1}, {1, 2}, false, {1, 1.1f, 1.2f, 1.3f, 1.4f, 1.5f, 1.6f, 1.7f, 1.8f, 1.9f}, 9},
      {"mat", 1, 1, {0, 1}, {1, 1}, true, Join({Repeat(2), {2, 2.2f, 2.4f, 2.6f, 2.8f}, Repeat(3)}), 9},
      {"mat", 0, 0, {0, 1}, {1, 1}, true, Join({Repeat(2), Repeat(1), Repeat(3)}), 4},
      {"m.t", 1, 1, {0, 1}, {5, 5}, true, Join({Repeat(2), Repeat(3)}), -1},       // no cells
      {"mat", 1, 2, {0}, {5}, false, Join({Repeat(2), Repeat(1), Repeat(3)}), 4},  // one point
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " " + std::to_string(c.x.size()));
    ASSERT_EQ(bed_->Build(c.text), 1);
    const int last = static_cast<int>(c.text.size()) - 1;
    if (c.joins || c.text == "mat") {
      Multiply(0, 0, 2.0f, false);
      Multiply(last, last, 3.0f, false);
    }
    _contour_ contour(static_cast<int>(c.x.size()));
    contour.x = c.x;
    contour.y = c.y;
    intonation_.ApplyContour(At(c.from), At(c.to), &contour, c.joins, c.joins);
    ExpectCells(bed_->Cells(), c.cells);
    EXPECT_EQ(intonation_.GetCursorIndex(), c.cursor);
    EXPECT_EQ(contour.y, c.y);  // the joins changed a copy
  }
}

TEST_F(ArraysTest, TargetMovementsStepFromAnchorToAnchor) {
  const Cells fall = {1.2f, 0.9f, 0.6f, 0.6f, 0.6f};
  struct Case {
    std::string text;
    const char* labels;
    bool continuePrevious;
    Cells cells;
  };
  const Case cases[] = {
      {"mat", "vowel:1", false, Join({Repeat(1.2f), fall, Repeat(0.6f)})},
      {"mat.", "stressed:1", false, Repeat(0.6f, 15)},  // no anchor: base x ratio
      {"mat.", nullptr, false, Repeat(0.6f, 15)},
      {"mAma", "stressed:1  vowel:1", false, Join({Repeat(1.2f), fall, Repeat(0.6f, 10)})},
      {"m.at", "vowel:1", true, Join({Repeat(2.0f), {2.4f, 1.8f, 1.2f, 1.2f, 1.2f}, Repeat(1.2f)})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(bed_->Build(c.text), 1);
    if (c.continuePrevious) Multiply(0, 0, 2.0f, false);
    const int from = c.continuePrevious ? 2 : 0;
    intonation_.ApplyTargets(At(from), At(static_cast<int>(c.text.size()) - 1), c.labels, 1.2f,
                             0.5f, 0.4f, c.continuePrevious);
    ExpectCells(bed_->Cells(), c.cells);
  }
  EXPECT_TRUE(boxes_.reports().empty());
}

TEST_F(ArraysTest, ARangeOutsideTheLinksIsReportedWithItsPlaceAndChangesNothing) {
  bed_->composer.text.SetText("mat");
  EXPECT_FALSE(intonation_.CheckedRange(At(0), At(2), nullptr, nullptr));
  ASSERT_EQ(bed_->Build(""), VIntonation::kEmptyText);
  EXPECT_FALSE(intonation_.CheckedRange(At(0), At(0), nullptr, nullptr));
  ASSERT_EQ(bed_->Build("mat."), 1);
  Multiply(2, 0, 2.0f, true);
  EXPECT_EQ(bed_->Cells(), Repeat(1.0f, 15));
  EXPECT_EQ(boxes_.reports(),
            (Strings{"VIntonation:203\n\tError: m_links are NULL",
                     "VIntonation:210\n\tError: m_size is 0",
                     "VIntonation:221\n\tm_size=4\n\tl_s=2\n\tl_e=0\n\tt.\n\tmat."}));
}

}  // namespace
