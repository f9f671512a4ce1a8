#include "engine/VIntonation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/VLib.h"
#include "engine/_token_.h"
#include "tests/engine/ArraysTestBed.h"

namespace {

using testing_support::MessageRecorder;
using Strings = std::vector<std::string>;
using Cells = std::vector<float>;

class VIntonationTest : public testing_support::ArraysTestBed {
 protected:
  // Prepares the durations of the text, multiplies them by the factors and
  // builds the intonation array.
  int Build(const std::string& text, const std::vector<float>& factors = {}) {
    SetText(text);
    duration_.Reset();
    intonation_.Reset();
    EXPECT_EQ(duration_.Prepare(), 1);
    for (size_t i = 0; i < factors.size(); ++i) duration_.Multiply(static_cast<int>(i), factors[i]);
    return intonation_.Prepare();
  }

  Cells AllCells() {
    const float* c = intonation_.GetCells();
    return c == nullptr ? Cells() : Cells(c, c + intonation_.GetCellCount());
  }

  // The cells of character i.
  Cells CellsOf(int i) {
    int n = -1;
    const float* c = intonation_.CellsAt(At(i), &n);
    return c == nullptr ? Cells() : Cells(c, c + n);
  }

  // The index of a cell pointer, -1 for null.
  int IndexOf(const float* cell) {
    return cell == nullptr ? -1 : static_cast<int>(cell - intonation_.GetCells());
  }

  static void ExpectCells(const Cells& actual, const Cells& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
      EXPECT_NEAR(actual[i], expected[i], 1e-5) << "cell " << i;
    }
  }

  static Cells Repeat(float v, int n) { return Cells(static_cast<size_t>(n), v); }
  static Cells Join(std::initializer_list<Cells> parts) {
    Cells out;
    for (const Cells& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  }
};

// Links or cells that cannot be allocated.
class FailingIntonation : public VIntonation {
 public:
  bool failLinks = false;
  bool failCells = false;

 protected:
  bool AllocateLinks(std::size_t count) override {
    return !failLinks && VIntonation::AllocateLinks(count);
  }
  bool AllocateCells(std::size_t count) override {
    return !failCells && VIntonation::AllocateCells(count);
  }
};

// Building

TEST_F(VIntonationTest, ThreePhonesGetFiveCellsEach) {
  EXPECT_EQ(Build("mat"), 1);
  EXPECT_TRUE(intonation_.IsPrepared());
  EXPECT_TRUE(duration_.IsFinalised());
  EXPECT_EQ(intonation_.GetSize(), 3);
  EXPECT_EQ(intonation_.GetCellCount(), 15);
  EXPECT_EQ(AllCells(), Repeat(1.0f, 15));
  EXPECT_EQ(intonation_.GetTimeQuantum(), 20);
  EXPECT_EQ(intonation_.GetReference(), 120);
  for (int i = 0; i < 3; ++i) {
    const _link_* link = intonation_.GetLink(i);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->start, At(i));
    EXPECT_EQ(link->first, 5 * i);
    EXPECT_EQ(link->last, 5 * i + 4);
    int n = 0;
    EXPECT_EQ(intonation_.CellsAt(At(i), &n), intonation_.GetCells() + 5 * i);
    EXPECT_EQ(n, 5);
  }
  EXPECT_EQ(intonation_.GetLink(3), nullptr);
  EXPECT_EQ(intonation_.GetLink(-1), nullptr);
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VIntonationTest, ACharacterThatIsNotAPhoneHasNoCells) {
  EXPECT_EQ(Build("m.a_", {1.5f, 1.0f, 1.0f, 1.0f}), 1);
  // 140 ms and 100 ms: 7 + 5 cells; '.' and '_' take none.
  EXPECT_EQ(intonation_.GetCellCount(), 12);
  int n = -1;
  EXPECT_EQ(intonation_.CellsAt(At(1), &n), nullptr);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(intonation_.CellsAt(At(3), &n), nullptr);
  EXPECT_EQ(n, 0);
  EXPECT_FALSE(intonation_.GetLink(1)->IsPhone());
  EXPECT_EQ(IndexOf(intonation_.CellsAt(At(2), &n)), 7);
  EXPECT_EQ(n, 5);
  EXPECT_EQ(duration_.Get(1), 100.0f);  // its duration is finalised all the same
}

TEST_F(VIntonationTest, PreparationResults) {
  EXPECT_EQ(Build(""), VIntonation::kEmptyText);
  EXPECT_EQ(intonation_.GetSize(), 0);
  EXPECT_EQ(intonation_.GetCellCount(), 0);
  EXPECT_EQ(intonation_.GetCells(), nullptr);

  // Phones without duration: links but no cells, not prepared.
  EXPECT_EQ(Build("ma", {0.0f, 0.0f}), VIntonation::kNoDuration);
  EXPECT_FALSE(intonation_.IsPrepared());
  EXPECT_EQ(intonation_.GetSize(), 2);
  EXPECT_EQ(intonation_.GetCellCount(), 0);
  int n = -1;
  intonation_.CellsAt(At(1), &n);
  EXPECT_EQ(n, 0);

  EXPECT_EQ(Build("._."), VIntonation::kNoDuration);
  EXPECT_EQ(intonation_.GetSize(), 3);

  // Prepared once, a second preparation changes nothing.
  EXPECT_EQ(Build("a"), 1);
  intonation_.GetCells()[0] = 3.0f;
  EXPECT_EQ(intonation_.Prepare(), 1);
  EXPECT_EQ(intonation_.GetCells()[0], 3.0f);
}

TEST_F(VIntonationTest, APhoneShorterThanAQuantumHasItsFirstCellOnePastItsLast) {
  SetText("mat");
  ASSERT_EQ(duration_.Finalise(), 1);
  duration_.Set(1, 10.0f);
  ASSERT_EQ(intonation_.Prepare(), 1);
  EXPECT_EQ(intonation_.GetCellCount(), 10);
  const _link_* a = intonation_.GetLink(1);
  EXPECT_EQ(a->first, 5);
  EXPECT_EQ(a->last, 4);
  int n = -1;
  EXPECT_EQ(IndexOf(intonation_.CellsAt(At(1), &n)), 5);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(intonation_.GetLink(2)->first, 5);
  EXPECT_EQ(intonation_.CellAtPercent(At(1), 0), nullptr);
  EXPECT_EQ(intonation_.CellAtPercent(At(1), 100), nullptr);
}

TEST_F(VIntonationTest, NegativeDurationsCountAsNoCells) {
  SetText("mat");
  ASSERT_EQ(duration_.Finalise(), 1);
  duration_.Set(0, -60.0f);
  ASSERT_EQ(intonation_.Prepare(), 1);
  // m has none; a and t keep theirs, and the total does not lose m's 60 ms.
  EXPECT_EQ(intonation_.GetCellCount(), 10);
  EXPECT_EQ(CellsOf(0).size(), 0u);
  EXPECT_EQ(intonation_.GetLink(0)->first, 0);
  EXPECT_EQ(intonation_.GetLink(0)->last, -1);
  EXPECT_EQ(intonation_.GetLink(1)->first, 0);
  EXPECT_EQ(intonation_.GetLink(2)->last, 9);

  // Every phone negative: no cells at all.
  SetText("ma");
  duration_.Reset();
  intonation_.Reset();
  ASSERT_EQ(duration_.Finalise(), 1);
  duration_.Set(0, -100.0f);
  duration_.Set(1, -100.0f);
  EXPECT_EQ(intonation_.Prepare(), VIntonation::kNoDuration);
  EXPECT_EQ(intonation_.GetCellCount(), 0);
}

TEST_F(VIntonationTest, EveryRebuildDropsTheOldCellsCountAndCursor) {
  ASSERT_EQ(Build("mat"), 1);
  const float two = 2.0f;
  intonation_.MultiplyRange(At(0), At(2), &two, true);
  ASSERT_EQ(intonation_.GetCursorIndex(), 9);
  ASSERT_EQ(intonation_.CurrentValue(), 2.0f);

  ASSERT_EQ(Build("a"), 1);
  EXPECT_EQ(intonation_.GetCellCount(), 5);
  EXPECT_EQ(AllCells(), Repeat(1.0f, 5));
  EXPECT_EQ(intonation_.GetCursorIndex(), -1);
  EXPECT_EQ(intonation_.CurrentValue(), 1.0f);
  EXPECT_EQ(intonation_.GetSize(), 1);

  // A rebuild that fails leaves nothing of the old array either.
  intonation_.MultiplyRange(At(0), At(0), &two, false);
  UseFont(0, 100, 120);
  intonation_.Reset();
  EXPECT_EQ(intonation_.Prepare(), VIntonation::kBadTimeQuantum);
  EXPECT_EQ(intonation_.GetCellCount(), 0);
  EXPECT_EQ(intonation_.GetSize(), 0);
}

TEST_F(VIntonationTest, TimeQuantumOfZeroOrBelowFailsThePreparation) {
  struct Case {
    std::string settings;
    std::string report;
  };
  const std::vector<Case> cases = {
      {"TIMEQUANTUM=0\nIntonation reference=120\nDuration reference=100\n",
       "VIntonation::Prepare()@TIMEQUANTUM must be positive: [0]"},
      {"TIMEQUANTUM=-20\nIntonation reference=120\nDuration reference=100\n",
       "VIntonation::Prepare()@TIMEQUANTUM must be positive: [-20]"},
      {"Intonation reference=120\n", "VIntonation::Prepare()@TIMEQUANTUM must be positive: [0]"},
  };
  for (const Case& c : cases) {
    MessageRecorder boxes;
    UseFont(c.settings);
    SetText("mat");
    duration_.Reset();
    intonation_.Reset();
    EXPECT_EQ(intonation_.Prepare(), VIntonation::kBadTimeQuantum) << c.settings;
    EXPECT_FALSE(intonation_.IsPrepared());
    EXPECT_EQ(intonation_.SetFlat(), 0);
    EXPECT_EQ(intonation_.GetCellCount(), 0);
    EXPECT_GT(intonation_.GetTimeQuantum(), 0);
    ASSERT_EQ(boxes.messages().size(), 2u);  // Prepare, then SetFlat's Prepare
    EXPECT_EQ(boxes.messages()[0].second.substr(15), c.report);
    EXPECT_EQ(boxes.messages()[1].second.substr(15), c.report);
  }
}

TEST_F(VIntonationTest, AnArrayWithoutComposerReportsAndFails) {
  VIntonation lone;
  EXPECT_EQ(lone.GetName(), "VIntonation");
  EXPECT_EQ(lone.GetTimeQuantum(), 20);
  EXPECT_EQ(lone.GetScale(), 1.0f);
  EXPECT_EQ(lone.Prepare(), VIntonation::kNoComposer);
  EXPECT_EQ(Reported(), (Strings{"Null Tamrin.", "VIntonation::Prepare"}));
  EXPECT_EQ(lone.CurrentValue(), 1.0f);
  EXPECT_EQ(lone.GetCells(), nullptr);
}

TEST_F(VIntonationTest, LinksOrCellsThatCannotBeAllocatedGiveALogLine) {
  FailingIntonation failing;
  failing.SetComposer(&composer_);
  SetText("mat");
  failing.failLinks = true;
  EXPECT_EQ(failing.Prepare(), VIntonation::kLinksFailed);
  EXPECT_FALSE(failing.IsPrepared());
  EXPECT_EQ(failing.GetSize(), 0);

  failing.failLinks = false;
  failing.failCells = true;
  EXPECT_EQ(failing.Prepare(), VIntonation::kCellsFailed);
  EXPECT_FALSE(failing.IsPrepared());
  EXPECT_EQ(failing.GetCellCount(), 0);

  EXPECT_EQ(LogErrors(), (Strings{"*** ERROR:\tVIntonation::Prepare()new _link_[len] failed",
                                  "*** ERROR:\tVIntonation::Prepare()new float[cells] failed"}));
  EXPECT_TRUE(Reported().empty());

  failing.failCells = false;
  EXPECT_EQ(failing.Prepare(), 1);
  EXPECT_EQ(failing.GetCellCount(), 15);
}

// Positions

TEST_F(VIntonationTest, IndexAtFindsTheLinkOfACharacter) {
  ASSERT_EQ(Build("mat"), 1);
  EXPECT_EQ(intonation_.IndexAt(At(0)), 0);
  EXPECT_EQ(intonation_.IndexAt(At(2)), 2);
  EXPECT_EQ(intonation_.IndexAt(At(3)), -1);  // past the last character
  const char elsewhere[] = "mat";
  EXPECT_EQ(intonation_.IndexAt(elsewhere), -1);
  EXPECT_EQ(intonation_.IndexAt(nullptr), -1);
  int n = -1;
  EXPECT_EQ(intonation_.CellsAt(At(3), &n), nullptr);
  EXPECT_EQ(n, 0);
}

TEST_F(VIntonationTest, CellAtPercentCountsFromThePhonesFirstCell) {
  ASSERT_EQ(Build("ma."), 1);
  struct Case {
    int pct;
    int cell;
  };
  // 'a' owns the cells 5 to 9.
  for (const Case& c : {Case{0, 5}, Case{100, 9}, Case{50, 7}, Case{99, 8}, Case{25, 6},
                        Case{-10, 5}, Case{250, 9}}) {
    EXPECT_EQ(IndexOf(intonation_.CellAtPercent(At(1), c.pct)), c.cell) << c.pct;
  }
  EXPECT_EQ(intonation_.CellAtPercent(At(2), 50), nullptr);  // not a phone
}

TEST_F(VIntonationTest, CellAtPercentOfAPositionWithoutLinkGivesTheCursorWhenThereIsOne) {
  ASSERT_EQ(Build("ma"), 1);
  EXPECT_EQ(intonation_.CellAtPercent(At(2), 50), nullptr);
  const float half = 0.5f;
  intonation_.MultiplyRange(At(0), At(1), &half, true);
  ASSERT_EQ(intonation_.GetCursorIndex(), 4);
  EXPECT_EQ(IndexOf(intonation_.CellAtPercent(At(2), 50)), 4);
  EXPECT_EQ(intonation_.CellAtPercent(At(2), 50), intonation_.GetCursor());
}

// Range check

TEST_F(VIntonationTest, CheckedRangeGivesTheLinksOfTwoPositions) {
  ASSERT_EQ(Build("mat."), 1);
  int first = -1;
  int last = -1;
  EXPECT_TRUE(intonation_.CheckedRange(At(1), At(3), &first, &last));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 3);
  EXPECT_TRUE(intonation_.CheckedRange(At(2), At(2), &first, &last));
  EXPECT_EQ(first, 2);
  EXPECT_EQ(last, 2);
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VIntonationTest, CheckedRangeWithoutLinksIsReported) {
  SetText("mat");
  int first = 7;
  int last = 7;
  EXPECT_FALSE(intonation_.CheckedRange(At(0), At(2), &first, &last));
  EXPECT_EQ(Reported(), (Strings{"VIntonation:203\n\tError: m_links are NULL"}));
  EXPECT_EQ(first, 7);
  EXPECT_EQ(last, 7);
}

TEST_F(VIntonationTest, CheckedRangeAfterABuildOverAnEmptyTextIsReported) {
  ASSERT_EQ(Build(""), VIntonation::kEmptyText);
  int first = 0;
  int last = 0;
  const char other[] = "ma";
  EXPECT_FALSE(intonation_.CheckedRange(other, other + 1, &first, &last));
  EXPECT_EQ(Reported(), (Strings{"VIntonation:210\n\tError: m_size is 0"}));
}

TEST_F(VIntonationTest, CheckedRangeOfABadRangeIsReportedWithBothTexts) {
  ASSERT_EQ(Build("mat."), 1);
  int first = 7;
  int last = 7;
  // Reversed.
  EXPECT_FALSE(intonation_.CheckedRange(At(2), At(0), &first, &last));
  // Ending past the last character.
  EXPECT_FALSE(intonation_.CheckedRange(At(1), At(4), &first, &last));
  EXPECT_EQ(Reported(), (Strings{"VIntonation:221\n\tm_size=4\n\tl_s=2\n\tl_e=0\n\tt.\n\tmat.",
                                 "VIntonation:221\n\tm_size=4\n\tl_s=1\n\tl_e=4\n\tat.\n\t"}));
  EXPECT_EQ(first, 7);
  EXPECT_EQ(last, 7);
  // The report file holds the same.
  const std::string file = testing_support::ReadFile(inst_.workDir() + "/" + VLib::kErrorFileName);
  EXPECT_NE(file.find("\tVIntonation:221\n\tm_size=4\n\tl_s=2\n\tl_e=0\n\tt.\n\tmat.\n"),
            std::string::npos);
}

TEST_F(VIntonationTest, ARangeThatFailsTheCheckChangesNoCellAndNoCursor) {
  ASSERT_EQ(Build("mat"), 1);
  const float two = 2.0f;
  intonation_.MultiplyRange(At(0), At(1), &two, true);
  ASSERT_EQ(intonation_.GetCursorIndex(), 4);
  const Cells before = AllCells();

  intonation_.MultiplyRange(At(2), At(0), &two, true);
  _contour_ contour({0.0f, 1.0f}, {3.0f, 3.0f});
  intonation_.ApplyContour(At(2), At(1), &contour, false, false);
  intonation_.ApplyTargets(At(2), At(3), "vowel:1", 2.0f, 0.5f, 0.5f, false);
  EXPECT_EQ(AllCells(), before);
  EXPECT_EQ(intonation_.GetCursorIndex(), 4);
  EXPECT_EQ(Reported().size(), 3u);
}

// Multiplying and the cursor

TEST_F(VIntonationTest, MultiplyRangeMultipliesThePhonesOfTheRange) {
  ASSERT_EQ(Build("m.at"), 1);
  const float f = 1.5f;
  intonation_.MultiplyRange(At(1), At(2), &f, false);
  ExpectCells(AllCells(), Join({Repeat(1.0f, 5), Repeat(1.5f, 5), Repeat(1.0f, 5)}));
  EXPECT_EQ(intonation_.GetCursorIndex(), -1);

  // The cursor: the cell just before the first cell of the last character.
  intonation_.MultiplyRange(At(2), At(3), &f, true);
  EXPECT_EQ(intonation_.GetCursorIndex(), 9);
  EXPECT_FLOAT_EQ(intonation_.CurrentValue(), 2.25f);
  EXPECT_EQ(intonation_.GetCursor(), intonation_.GetCells() + 9);

  // The last character is not a phone: no cursor.
  intonation_.MultiplyRange(At(0), At(1), &f, true);
  EXPECT_EQ(intonation_.GetCursorIndex(), -1);
  EXPECT_EQ(intonation_.CurrentValue(), 1.0f);
}

TEST_F(VIntonationTest, NoCursorPointsBeforeTheFirstCell) {
  ASSERT_EQ(Build("ma"), 1);
  const float f = 3.0f;
  // m's first cell is cell 0: the cell before it does not exist.
  intonation_.MultiplyRange(At(0), At(0), &f, true);
  EXPECT_EQ(intonation_.GetCursorIndex(), -1);
  EXPECT_EQ(intonation_.GetCursor(), nullptr);
  EXPECT_EQ(intonation_.CurrentValue(), 1.0f);
  EXPECT_EQ(intonation_.CellAtPercent(At(2), 0), nullptr);

  // A one-point contour puts the cursor before its range: none here either.
  intonation_.MultiplyRange(At(0), At(1), &f, true);
  ASSERT_EQ(intonation_.GetCursorIndex(), 4);
  _contour_ one({0.0f}, {2.0f});
  intonation_.ApplyContour(At(0), At(1), &one, false, false);
  EXPECT_EQ(intonation_.GetCursorIndex(), -1);
  EXPECT_EQ(intonation_.CurrentValue(), 1.0f);
}

TEST_F(VIntonationTest, TheCursorBeforeAPhoneWithoutCellsAtTheEndStaysInTheCells) {
  SetText("ma");
  ASSERT_EQ(duration_.Finalise(), 1);
  duration_.Set(1, 0.0f);
  ASSERT_EQ(intonation_.Prepare(), 1);
  ASSERT_EQ(intonation_.GetCellCount(), 5);
  const float f = 2.0f;
  intonation_.MultiplyRange(At(0), At(0), &f, false);
  intonation_.MultiplyRange(At(1), At(1), &f, true);
  // a's first cell would be cell 5, one past the end; the cursor is cell 4.
  EXPECT_EQ(intonation_.GetCursorIndex(), 4);
  EXPECT_EQ(intonation_.CurrentValue(), 2.0f);
}

TEST_F(VIntonationTest, CurrentValueIsOneBeforeAnyContour) {
  ASSERT_EQ(Build("mat"), 1);
  EXPECT_EQ(intonation_.GetCursorIndex(), -1);
  EXPECT_EQ(intonation_.CurrentValue(), 1.0f);
  VIntonation fresh;
  EXPECT_EQ(fresh.CurrentValue(), 1.0f);
}

// Contours

TEST_F(VIntonationTest, ContourRisesLinearlyThenStaysFlat) {
  ASSERT_EQ(Build("a", {2.0f}), 1);
  ASSERT_EQ(intonation_.GetCellCount(), 10);
  _contour_ contour({0.0f, 0.5f, 1.0f}, {1.0f, 2.0f, 2.0f});
  intonation_.ApplyContour(At(0), At(0), &contour, false, false);
  ExpectCells(AllCells(), {1.0f, 1.2f, 1.4f, 1.6f, 1.8f, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f});
  EXPECT_EQ(intonation_.GetCursorIndex(), 9);
  EXPECT_FLOAT_EQ(intonation_.CurrentValue(), 2.0f);
}

TEST_F(VIntonationTest, ContourOverSeveralCharactersSkipsThoseThatAreNotPhones) {
  ASSERT_EQ(Build(".m.a.t."), 1);
  // The range runs from m's first cell to a's last: 10 cells.
  _contour_ contour({0.0f, 1.0f}, {1.0f, 2.0f});
  intonation_.ApplyContour(At(0), At(4), &contour, false, false);
  ExpectCells(AllCells(), {1.0f, 1.1f, 1.2f, 1.3f, 1.4f, 1.5f, 1.6f, 1.7f, 1.8f, 1.9f, 1.0f, 1.0f,
                           1.0f, 1.0f, 1.0f});
  EXPECT_EQ(intonation_.GetCursorIndex(), 9);
}

TEST_F(VIntonationTest, ContourJoinsUseTheNeighbourCellsOnACopy) {
  ASSERT_EQ(Build("mat"), 1);
  const float two = 2.0f;
  const float three = 3.0f;
  intonation_.MultiplyRange(At(0), At(0), &two, false);
  intonation_.MultiplyRange(At(2), At(2), &three, false);
  _contour_ contour({0.0f, 1.0f}, {1.0f, 1.0f});
  intonation_.ApplyContour(At(1), At(1), &contour, true, true);
  ExpectCells(CellsOf(1), {2.0f, 2.2f, 2.4f, 2.6f, 2.8f});
  EXPECT_EQ(contour.y, (std::vector<float>{1.0f, 1.0f}));
  EXPECT_EQ(contour.x, (std::vector<float>{0.0f, 1.0f}));

  // At the ends of the cells there is nothing to join.
  intonation_.ApplyContour(At(0), At(0), &contour, true, false);
  intonation_.ApplyContour(At(2), At(2), &contour, false, true);
  ExpectCells(CellsOf(0), Repeat(2.0f, 5));
  ExpectCells(CellsOf(2), Repeat(3.0f, 5));
  EXPECT_EQ(contour.y, (std::vector<float>{1.0f, 1.0f}));
}

TEST_F(VIntonationTest, ContourOverNoCellsDoesNothing) {
  SetText("m.a");
  ASSERT_EQ(duration_.Finalise(), 1);
  duration_.Set(2, 0.0f);
  ASSERT_EQ(intonation_.Prepare(), 1);
  const float two = 2.0f;
  intonation_.MultiplyRange(At(0), At(1), &two, true);
  intonation_.MultiplyRange(At(0), At(0), &two, false);
  intonation_.MultiplyRange(At(0), At(2), &two, true);
  ASSERT_EQ(intonation_.GetCursorIndex(), 4);
  const Cells before = AllCells();

  _contour_ contour({0.0f, 1.0f}, {5.0f, 5.0f});
  _contour_ one({0.0f}, {5.0f});
  struct Case {
    int from;
    int to;
    const _contour_* contour;
  };
  // Not a phone; a phone without cells; both.
  for (const Case& c : {Case{1, 1, &contour}, Case{2, 2, &contour}, Case{1, 2, &contour},
                        Case{1, 1, &one}, Case{2, 2, &one}}) {
    intonation_.ApplyContour(At(c.from), At(c.to), c.contour, true, true);
    EXPECT_EQ(AllCells(), before) << c.from << ".." << c.to;
    EXPECT_EQ(intonation_.GetCursorIndex(), 4) << c.from << ".." << c.to;
  }
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VIntonationTest, ContourOfOnePointOnlyMovesTheCursorBeforeTheRange) {
  ASSERT_EQ(Build("mat"), 1);
  _contour_ one({0.0f}, {4.0f});
  intonation_.ApplyContour(At(1), At(2), &one, false, false);
  EXPECT_EQ(AllCells(), Repeat(1.0f, 15));
  EXPECT_EQ(intonation_.GetCursorIndex(), 4);
}

// Target movements

TEST_F(VIntonationTest, TargetsWithOneAnchorReachBaseTimesRatio) {
  ASSERT_EQ(Build("mat"), 1);
  intonation_.ApplyTargets(At(0), At(2), "vowel:1", 1.2f, 0.5f, 0.4f, false);
  // n = 2: m keeps the start level 1.2; a rises over its first 40 % from
  // 1.2 to 1.2 x 0.5 = 0.6; t stays at 0.6.
  ExpectCells(AllCells(), Join({Repeat(1.2f, 5), {1.2f, 0.9f, 0.6f, 0.6f, 0.6f}, Repeat(0.6f, 5)}));
  EXPECT_EQ(intonation_.GetCursorIndex(), 9);
  EXPECT_FLOAT_EQ(intonation_.CurrentValue(), 0.6f);
}

TEST_F(VIntonationTest, TargetsWithSeveralAnchorsFollowValueInRange) {
  ASSERT_EQ(Build("mamaA"), 1);
  const float base = 1.2f;
  const float ratio = 0.5f;
  intonation_.ApplyTargets(At(0), At(4), "stressed:1 vowel:1", base, ratio, 0.4f, false);
  // Anchors a, a, A: n = 4; the levels after them are ValueInRange at k = 2, 3, 4.
  const auto level = [&](int k) {
    return static_cast<float>(VLib::ValueInRange(ratio, base, 4, k, false));
  };
  const float l1 = level(1);
  const float l2 = level(2);
  const float l3 = level(3);
  const float l4 = level(4);
  EXPECT_FLOAT_EQ(l1, base);
  EXPECT_FLOAT_EQ(l4, base * ratio);
  const auto rise = [](float from, float to) {
    return Cells{from, (from + to) / 2.0f, to, to, to};
  };
  ExpectCells(AllCells(),
              Join({Repeat(l1, 5), rise(l1, l2), Repeat(l2, 5), rise(l2, l3), rise(l3, l4)}));
  // The last phone is an anchor: the cursor is on its last cell.
  EXPECT_EQ(intonation_.GetCursorIndex(), 24);
  EXPECT_FLOAT_EQ(intonation_.CurrentValue(), l4);
}

TEST_F(VIntonationTest, TargetLabelsEndAtTheFirstEmptyItem) {
  ASSERT_EQ(Build("mAma"), 1);
  // Only "stressed:1" counts: one anchor, A.
  intonation_.ApplyTargets(At(0), At(3), "stressed:1  vowel:1", 1.0f, 0.5f, 0.4f, false);
  ExpectCells(
      AllCells(),
      Join({Repeat(1.0f, 5), {1.0f, 0.75f, 0.5f, 0.5f, 0.5f}, Repeat(0.5f, 5), Repeat(0.5f, 5)}));
}

TEST_F(VIntonationTest, TargetsWithoutAnchorsSetTheLevelToBaseTimesRatio) {
  ASSERT_EQ(Build("mat."), 1);
  intonation_.ApplyTargets(At(0), At(3), "stressed:1", 1.2f, 0.5f, 0.4f, false);
  ExpectCells(AllCells(), Repeat(0.6f, 15));
  ASSERT_EQ(Build("mat."), 1);
  intonation_.ApplyTargets(At(0), At(3), nullptr, 1.2f, 0.5f, 0.4f, false);
  ExpectCells(AllCells(), Repeat(0.6f, 15));
}

TEST_F(VIntonationTest, TargetsContinuingStartFromTheCellBeforeTheSpan) {
  ASSERT_EQ(Build("m.at"), 1);
  const float two = 2.0f;
  intonation_.MultiplyRange(At(0), At(0), &two, false);
  // The nearest link before the span with cells is m (the '.' has none).
  intonation_.ApplyTargets(At(2), At(3), "vowel:1", 1.0f, 0.5f, 0.4f, true);
  ExpectCells(AllCells(), Join({Repeat(2.0f, 5), {2.0f, 1.5f, 1.0f, 1.0f, 1.0f}, Repeat(1.0f, 5)}));

  ASSERT_EQ(Build("m.at"), 1);
  intonation_.MultiplyRange(At(0), At(0), &two, false);
  intonation_.ApplyTargets(At(2), At(3), "vowel:1", 1.0f, 0.5f, 0.4f, false);
  ExpectCells(AllCells(),
              Join({Repeat(2.0f, 5), {1.0f, 0.75f, 0.5f, 0.5f, 0.5f}, Repeat(0.5f, 5)}));

  // At the start of the text there is nothing to continue from.
  ASSERT_EQ(Build("at"), 1);
  intonation_.ApplyTargets(At(0), At(1), "vowel:1", 1.0f, 0.5f, 0.4f, true);
  ExpectCells(AllCells(), Join({{1.0f, 0.75f, 0.5f, 0.5f, 0.5f}, Repeat(0.5f, 5)}));
}

TEST_F(VIntonationTest, TargetsOnATokenRunFromItsFirstToItsLastCharacter) {
  ASSERT_EQ(Build("mmat"), 1);
  char* text = composer_.text.GetData();
  const _token_ syllable(text + 1, text + 3);
  intonation_.ApplyTargetsToToken(&syllable, "vowel:1", 1.2f, 0.5f, 0.4f, false);
  ExpectCells(
      AllCells(),
      Join({Repeat(1.0f, 5), Repeat(1.2f, 5), {1.2f, 0.9f, 0.6f, 0.6f, 0.6f}, Repeat(0.6f, 5)}));
  intonation_.ApplyTargetsToToken(nullptr, "vowel:1", 9.0f, 9.0f, 0.4f, false);
  EXPECT_TRUE(Reported().empty());
}

// Hz

TEST_F(VIntonationTest, SetFlatTurnsTheFactorsIntoHz) {
  ASSERT_EQ(Build("ma."), 1);
  const float f = 1.5f;
  intonation_.MultiplyRange(At(1), At(1), &f, false);
  EXPECT_EQ(intonation_.GetBaseF0(), 120);
  EXPECT_EQ(intonation_.SetFlat(), 1);
  ExpectCells(AllCells(), Join({Repeat(120.0f, 5), Repeat(180.0f, 5)}));
}

TEST_F(VIntonationTest, SetFlatPreparesFirstAndFailsWithoutCells) {
  SetText("a");
  EXPECT_EQ(intonation_.SetFlat(), 1);
  ExpectCells(AllCells(), Repeat(120.0f, 5));

  EXPECT_EQ(Build("._"), VIntonation::kNoDuration);
  EXPECT_EQ(intonation_.SetFlat(), 0);
}

TEST_F(VIntonationTest, BaseF0IsReferenceTimesScaleTruncated) {
  struct Case {
    int reference;
    float scale;
    int base;
  };
  for (const Case& c :
       {Case{120, 1.0f, 120}, Case{120, 1.5f, 180}, Case{125, 0.5f, 62}, Case{100, 1.999f, 199}}) {
    UseFont(20, 100, c.reference);
    intonation_.SetScale(c.scale);
    ASSERT_EQ(Build("a"), 1);
    EXPECT_EQ(intonation_.GetBaseF0(), c.base) << c.reference << " x " << c.scale;
  }
}

}  // namespace
