#include "engine/data/VIntonation.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "engine/base/VLib.h"
#include "engine/data/_token_.h"
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
  // Finalises the text's durations, sets some in ms, and builds.
  int BuildWithMs(const std::string& text, const std::vector<std::pair<int, float>>& ms) {
    SetText(text);
    duration_.Reset();
    intonation_.Reset();
    EXPECT_EQ(duration_.Finalise(), 1);
    for (const auto& m : ms) duration_.Set(m.first, m.second);
    return intonation_.Prepare();
  }

  Cells AllCells() {
    const float* c = intonation_.GetCells();
    return c == nullptr ? Cells() : Cells(c, c + intonation_.GetCellCount());
  }
  Cells CellsOf(int i) {
    int n = -1;
    const float* c = intonation_.CellsAt(At(i), &n);
    return c == nullptr ? Cells() : Cells(c, c + n);
  }
  int IndexOf(const float* cell) {
    return cell == nullptr ? -1 : static_cast<int>(cell - intonation_.GetCells());
  }
  void Multiply(int from, int to, float f, bool setCursor) {
    intonation_.MultiplyRange(At(from), At(to), &f, setCursor);
  }

  static void ExpectCells(const Cells& actual, const Cells& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5) << i;
  }
  static Cells Repeat(float v, int n) { return Cells(static_cast<size_t>(n), v); }
  static Cells Join(std::initializer_list<Cells> parts) {
    Cells out;
    for (const Cells& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  }
};

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

TEST_F(VIntonationTest, ThreePhonesGetFiveCellsEach) {
  EXPECT_EQ(Build("mat"), 1);
  EXPECT_EQ(AllCells(), Repeat(1.0f, 15));
  EXPECT_EQ(intonation_.GetReference(), 120);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(intonation_.GetLink(i)->start, At(i));
    EXPECT_EQ(intonation_.GetLink(i)->last, 5 * i + 4);
    EXPECT_EQ(IndexOf(intonation_.CellsAt(At(i), nullptr)), 5 * i);
  }
  EXPECT_EQ(intonation_.GetLink(3), nullptr);
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VIntonationTest, ACharacterThatIsNotAPhoneHasNoCells) {
  EXPECT_EQ(Build("m.a_", {1.5f, 1.0f, 1.0f, 1.0f}), 1);
  EXPECT_EQ(intonation_.GetCellCount(), 12);  // 140 ms + 100 ms
  int n = -1;
  EXPECT_EQ(intonation_.CellsAt(At(1), &n), nullptr);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(intonation_.CellsAt(At(3), &n), nullptr);
  EXPECT_EQ(IndexOf(intonation_.CellsAt(At(2), &n)), 7);
  EXPECT_EQ(n, 5);
  EXPECT_EQ(duration_.Get(1), 100.0f);  // finalised all the same
}

TEST_F(VIntonationTest, PreparationResults) {
  EXPECT_EQ(Build(""), VIntonation::kEmptyText);
  EXPECT_EQ(intonation_.GetCells(), nullptr);

  EXPECT_EQ(Build("ma", {0.0f, 0.0f}), VIntonation::kNoDuration);
  EXPECT_FALSE(intonation_.IsPrepared());
  EXPECT_EQ(intonation_.GetSize(), 2);
  EXPECT_EQ(Build("._."), VIntonation::kNoDuration);

  // A second preparation changes nothing.
  EXPECT_EQ(Build("a"), 1);
  intonation_.GetCells()[0] = 3.0f;
  EXPECT_EQ(intonation_.Prepare(), 1);
  EXPECT_EQ(intonation_.GetCells()[0], 3.0f);
}

TEST_F(VIntonationTest, NegativeDurationsCountAsNoCells) {
  struct Case {
    std::vector<std::pair<int, float>> ms;   // durations set after finalising
    std::vector<std::pair<int, int>> links;  // first and last cell of m, a, t
    int empty;                               // the phone without cells
  };
  const Case cases[] = {
      {{{0, -60.0f}}, {{0, -1}, {0, 4}, {5, 9}}, 0},  // the total keeps none of m's 60 ms
      {{{1, 10.0f}}, {{0, 4}, {5, 4}, {5, 9}}, 1},    // shorter than a quantum
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.empty);
    ASSERT_EQ(BuildWithMs("mat", c.ms), 1);
    EXPECT_EQ(intonation_.GetCellCount(), 10);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(intonation_.GetLink(i)->first, c.links[i].first);
      EXPECT_EQ(intonation_.GetLink(i)->last, c.links[i].second);
    }
    int n = -1;
    EXPECT_EQ(IndexOf(intonation_.CellsAt(At(c.empty), &n)), c.links[c.empty].first);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(intonation_.CellAtPercent(At(c.empty), 0), nullptr);
    EXPECT_EQ(intonation_.CellAtPercent(At(c.empty), 100), nullptr);
  }
  EXPECT_EQ(BuildWithMs("ma", {{0, -100.0f}, {1, -100.0f}}), VIntonation::kNoDuration);
  EXPECT_EQ(intonation_.GetCellCount(), 0);
}

TEST_F(VIntonationTest, EveryRebuildDropsTheOldCellsCountAndCursor) {
  ASSERT_EQ(Build("mat"), 1);
  Multiply(0, 2, 2.0f, true);
  ASSERT_EQ(intonation_.GetCursorIndex(), 9);

  ASSERT_EQ(Build("a"), 1);
  EXPECT_EQ(AllCells(), Repeat(1.0f, 5));
  EXPECT_EQ(intonation_.GetCursorIndex(), -1);
  EXPECT_EQ(intonation_.CurrentValue(), 1.0f);
  EXPECT_EQ(intonation_.GetSize(), 1);

  // A rebuild that fails leaves nothing of the old array either.
  UseFont(0, 100, 120);
  intonation_.Reset();
  EXPECT_EQ(intonation_.Prepare(), VIntonation::kBadTimeQuantum);
  EXPECT_EQ(intonation_.GetCellCount(), 0);
  EXPECT_EQ(intonation_.GetSize(), 0);
}

TEST_F(VIntonationTest, TimeQuantumOfZeroOrBelowFailsThePreparation) {
  const std::string base = "Intonation reference=120\nDuration reference=100\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"TIMEQUANTUM=0\n" + base, "[0]"},
      {"TIMEQUANTUM=-20\n" + base, "[-20]"},
      {"Intonation reference=120\n", "[0]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    MessageRecorder boxes;
    UseFont(c.first);
    SetText("mat");
    duration_.Reset();
    intonation_.Reset();
    EXPECT_EQ(intonation_.Prepare(), VIntonation::kBadTimeQuantum);
    EXPECT_FALSE(intonation_.IsPrepared());
    EXPECT_EQ(intonation_.SetFlat(), 0);
    EXPECT_GT(intonation_.GetTimeQuantum(), 0);
    EXPECT_EQ(duration_.Finalise(), 0);
    ASSERT_EQ(boxes.messages().size(), 1u);  // once per run, for both arrays
    for (const auto& box : boxes.messages())
      EXPECT_EQ(box.second.substr(15),
                "VIntonation::Prepare()@TIMEQUANTUM must be positive: " + c.second);
  }
}

TEST_F(VIntonationTest, PreparationFailuresAreReported) {
  VIntonation lone;
  EXPECT_EQ(lone.CurrentValue(), 1.0f);
  EXPECT_EQ(lone.Prepare(), VIntonation::kNoComposer);
  EXPECT_EQ(Reported(), (Strings{"Null Tamrin.", "VIntonation::Prepare"}));

  // Links or cells that cannot be allocated give a log line.
  FailingIntonation failing;
  failing.SetComposer(&composer_);
  SetText("mat");
  failing.failLinks = true;
  EXPECT_EQ(failing.Prepare(), VIntonation::kLinksFailed);
  EXPECT_EQ(failing.GetSize(), 0);
  failing.failLinks = false;
  failing.failCells = true;
  EXPECT_EQ(failing.Prepare(), VIntonation::kCellsFailed);
  EXPECT_FALSE(failing.IsPrepared());
  EXPECT_EQ(LogErrors(), (Strings{"*** ERROR:\tVIntonation::Prepare()new _link_[len] failed",
                                  "*** ERROR:\tVIntonation::Prepare()new float[cells] failed"}));
  EXPECT_EQ(Reported().size(), 2u);
  failing.failCells = false;
  EXPECT_EQ(failing.Prepare(), 1);
  EXPECT_EQ(failing.GetCellCount(), 15);
}

TEST_F(VIntonationTest, PositionsFindTheirLinksAndCells) {
  ASSERT_EQ(Build("ma."), 1);
  EXPECT_EQ(intonation_.IndexAt(At(2)), 2);
  EXPECT_EQ(intonation_.IndexAt(At(3)), -1);  // past the last character
  const char elsewhere[] = "ma.";
  EXPECT_EQ(intonation_.IndexAt(elsewhere), -1);
  EXPECT_EQ(intonation_.CellsAt(At(3), nullptr), nullptr);

  // 'a' owns the cells 5 to 9.
  const std::vector<std::pair<int, int>> percents = {{0, 5},  {100, 9}, {50, 7},
                                                     {99, 8}, {-10, 5}, {250, 9}};
  for (const auto& c : percents) {
    EXPECT_EQ(IndexOf(intonation_.CellAtPercent(At(1), c.first)), c.second) << c.first;
  }
  EXPECT_EQ(intonation_.CellAtPercent(At(2), 50), nullptr);  // not a phone
  // Without a link: the cursor, when there is one.
  EXPECT_EQ(intonation_.CellAtPercent(At(3), 50), nullptr);
  Multiply(0, 1, 0.5f, true);
  ASSERT_EQ(intonation_.GetCursorIndex(), 4);
  EXPECT_EQ(intonation_.CellAtPercent(At(3), 50), intonation_.GetCursor());
}

TEST_F(VIntonationTest, CheckedRange) {
  SetText("mat");
  int first = 7;
  int last = 7;
  EXPECT_FALSE(intonation_.CheckedRange(At(0), At(2), &first, &last));
  ASSERT_EQ(Build(""), VIntonation::kEmptyText);
  const char other[] = "ma";
  EXPECT_FALSE(intonation_.CheckedRange(other, other + 1, &first, &last));

  ASSERT_EQ(Build("mat."), 1);
  EXPECT_FALSE(intonation_.CheckedRange(At(2), At(0), &first, &last));  // reversed
  EXPECT_FALSE(intonation_.CheckedRange(At(1), At(4), &first, &last));  // past the end
  EXPECT_EQ(first, 7);
  EXPECT_EQ(last, 7);
  EXPECT_EQ(Reported(), (Strings{"VIntonation:203\n\tError: m_links are NULL",
                                 "VIntonation:210\n\tError: m_size is 0",
                                 "VIntonation:221\n\tm_size=4\n\tl_s=2\n\tl_e=0\n\tt.\n\tmat.",
                                 "VIntonation:221\n\tm_size=4\n\tl_s=1\n\tl_e=4\n\tat.\n\t"}));
  const std::string file = testing_support::ReadFile(inst_.workDir() + "/" + VLib::kErrorFileName);
  EXPECT_NE(file.find("\tVIntonation:221\n\tm_size=4\n\tl_s=2\n\tl_e=0\n\tt.\n\tmat.\n"),
            std::string::npos);
  EXPECT_TRUE(intonation_.CheckedRange(At(1), At(3), &first, &last));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 3);
}

TEST_F(VIntonationTest, ARangeThatFailsTheCheckChangesNoCellAndNoCursor) {
  ASSERT_EQ(Build("mat"), 1);
  Multiply(0, 1, 2.0f, true);
  ASSERT_EQ(intonation_.GetCursorIndex(), 4);
  const Cells before = AllCells();
  Multiply(2, 0, 2.0f, true);
  _contour_ contour({0.0f, 1.0f}, {3.0f, 3.0f});
  intonation_.ApplyContour(At(2), At(1), &contour, false, false);
  intonation_.ApplyTargets(At(2), At(3), "vowel:1", 2.0f, 0.5f, 0.5f, false);
  EXPECT_EQ(AllCells(), before);
  EXPECT_EQ(intonation_.GetCursorIndex(), 4);
  EXPECT_EQ(Reported().size(), 3u);
}

TEST_F(VIntonationTest, MultiplyRangeAndTheCursor) {
  ASSERT_EQ(Build("m.at"), 1);
  EXPECT_EQ(intonation_.CurrentValue(), 1.0f);  // before any contour
  Multiply(1, 2, 1.5f, false);
  ExpectCells(AllCells(), Join({Repeat(1.0f, 5), Repeat(1.5f, 5), Repeat(1.0f, 5)}));
  EXPECT_EQ(intonation_.GetCursorIndex(), -1);

  // The cursor: the cell just before the first cell of the last character.
  Multiply(2, 3, 1.5f, true);
  EXPECT_EQ(intonation_.GetCursorIndex(), 9);
  EXPECT_FLOAT_EQ(intonation_.CurrentValue(), 2.25f);
  EXPECT_EQ(intonation_.GetCursor(), intonation_.GetCells() + 9);
  // The last character is not a phone: no cursor.
  Multiply(0, 1, 1.5f, true);
  EXPECT_EQ(intonation_.GetCursorIndex(), -1);
  EXPECT_EQ(intonation_.CurrentValue(), 1.0f);
  // The last character's first cell is cell 0: no cursor either.
  Multiply(0, 0, 3.0f, true);
  EXPECT_EQ(intonation_.GetCursor(), nullptr);

  // Before a phone without cells at the end the cursor stays in the cells.
  ASSERT_EQ(BuildWithMs("ma", {{1, 0.0f}}), 1);
  ASSERT_EQ(intonation_.GetCellCount(), 5);
  Multiply(0, 0, 2.0f, false);
  Multiply(1, 1, 2.0f, true);
  EXPECT_EQ(intonation_.GetCursorIndex(), 4);
  EXPECT_EQ(intonation_.CurrentValue(), 2.0f);
}

TEST_F(VIntonationTest, ContourRisesLinearlyThenStaysFlat) {
  ASSERT_EQ(Build("a", {2.0f}), 1);
  _contour_ contour({0.0f, 0.5f, 1.0f}, {1.0f, 2.0f, 2.0f});
  intonation_.ApplyContour(At(0), At(0), &contour, false, false);
  ExpectCells(AllCells(), {1.0f, 1.2f, 1.4f, 1.6f, 1.8f, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f});
  EXPECT_EQ(intonation_.GetCursorIndex(), 9);
  EXPECT_FLOAT_EQ(intonation_.CurrentValue(), 2.0f);

  // Over several characters those that are not phones are skipped.
  ASSERT_EQ(Build(".m.a.t."), 1);
  _contour_ line({0.0f, 1.0f}, {1.0f, 2.0f});
  intonation_.ApplyContour(At(0), At(4), &line, false, false);
  ExpectCells(AllCells(), {1.0f, 1.1f, 1.2f, 1.3f, 1.4f, 1.5f, 1.6f, 1.7f, 1.8f, 1.9f, 1.0f, 1.0f,
                           1.0f, 1.0f, 1.0f});
  EXPECT_EQ(intonation_.GetCursorIndex(), 9);
}

TEST_F(VIntonationTest, ContourJoinsUseTheNeighbourCellsOnACopy) {
  ASSERT_EQ(Build("mat"), 1);
  Multiply(0, 0, 2.0f, false);
  Multiply(2, 2, 3.0f, false);
  _contour_ contour({0.0f, 1.0f}, {1.0f, 1.0f});
  intonation_.ApplyContour(At(1), At(1), &contour, true, true);
  ExpectCells(CellsOf(1), {2.0f, 2.2f, 2.4f, 2.6f, 2.8f});
  // At the ends of the cells there is nothing to join.
  intonation_.ApplyContour(At(0), At(0), &contour, true, false);
  intonation_.ApplyContour(At(2), At(2), &contour, false, true);
  ExpectCells(CellsOf(0), Repeat(2.0f, 5));
  ExpectCells(CellsOf(2), Repeat(3.0f, 5));
  EXPECT_EQ(contour.y, (std::vector<float>{1.0f, 1.0f}));
  EXPECT_EQ(contour.x, (std::vector<float>{0.0f, 1.0f}));
}

TEST_F(VIntonationTest, ContourOverNoCellsOrOfOnePoint) {
  ASSERT_EQ(BuildWithMs("m.a", {{2, 0.0f}}), 1);
  Multiply(0, 0, 2.0f, false);
  Multiply(0, 2, 2.0f, true);
  ASSERT_EQ(intonation_.GetCursorIndex(), 4);
  const Cells before = AllCells();
  _contour_ contour({0.0f, 1.0f}, {5.0f, 5.0f});
  _contour_ one({0.0f}, {5.0f});
  // Not a phone; a phone without cells; both.
  for (const auto& c : {std::pair{1, 1}, {2, 2}, {1, 2}}) {
    SCOPED_TRACE(std::to_string(c.first) + ".." + std::to_string(c.second));
    intonation_.ApplyContour(At(c.first), At(c.second), &contour, true, true);
    intonation_.ApplyContour(At(c.first), At(c.second), &one, true, true);
    EXPECT_EQ(AllCells(), before);
    EXPECT_EQ(intonation_.GetCursorIndex(), 4);
  }
  EXPECT_TRUE(Reported().empty());

  // One point only moves the cursor before the range: none before cell 0.
  ASSERT_EQ(Build("mat"), 1);
  intonation_.ApplyContour(At(1), At(2), &one, false, false);
  EXPECT_EQ(AllCells(), Repeat(1.0f, 15));
  EXPECT_EQ(intonation_.GetCursorIndex(), 4);
  intonation_.ApplyContour(At(0), At(1), &one, false, false);
  EXPECT_EQ(intonation_.GetCursorIndex(), -1);
}

TEST_F(VIntonationTest, TargetMovements) {
  const Cells fall12 = {1.2f, 0.9f, 0.6f, 0.6f, 0.6f};
  const Cells fall1 = {1.0f, 0.75f, 0.5f, 0.5f, 0.5f};
  // Several anchors: the levels after them follow VLib::ValueInRange.
  Cells l;
  for (int k = 1; k <= 4; ++k)
    l.push_back(static_cast<float>(VLib::ValueInRange(0.5, 1.2, 4, k, false)));
  EXPECT_FLOAT_EQ(l[0], 1.2f);
  EXPECT_FLOAT_EQ(l[3], 0.6f);
  const auto rise = [](float from, float to) {
    return Cells{from, (from + to) / 2.0f, to, to, to};
  };
  struct Case {
    const char* text;
    int from, to;
    const char* labels;
    float base;
    bool doubleFirst;  // the first phone multiplied by 2 beforehand
    bool continuePrevious;
    Cells cells;
  };
  const std::vector<Case> cases = {
      // One anchor: n = 2, the level goes from base to base x ratio.
      {"mat", 0, 2, "vowel:1", 1.2f, false, false,
       Join({Repeat(1.2f, 5), fall12, Repeat(0.6f, 5)})},
      {"mamaA", 0, 4, "stressed:1 vowel:1", 1.2f, false, false,
       Join({Repeat(l[0], 5), rise(l[0], l[1]), Repeat(l[1], 5), rise(l[1], l[2]),
             rise(l[2], l[3])})},
      // The labels end at the first empty item: only A is an anchor.
      {"mAma", 0, 3, "stressed:1  vowel:1", 1.0f, false, false,
       Join({Repeat(1.0f, 5), fall1, Repeat(0.5f, 10)})},
      // No anchor: the level is base x ratio.
      {"mat.", 0, 3, "stressed:1", 1.2f, false, false, Repeat(0.6f, 15)},
      {"mat.", 0, 3, nullptr, 1.2f, false, false, Repeat(0.6f, 15)},
      // Continuing from the last cell before the span (the '.' has none).
      {"m.at", 2, 3, "vowel:1", 1.0f, true, true,
       Join({Repeat(2.0f, 5), {2.0f, 1.5f, 1.0f, 1.0f, 1.0f}, Repeat(1.0f, 5)})},
      {"m.at", 2, 3, "vowel:1", 1.0f, true, false, Join({Repeat(2.0f, 5), fall1, Repeat(0.5f, 5)})},
      {"at", 0, 1, "vowel:1", 1.0f, false, true, Join({fall1, Repeat(0.5f, 5)})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " " + (c.labels ? c.labels : "null"));
    ASSERT_EQ(Build(c.text), 1);
    if (c.doubleFirst) Multiply(0, 0, 2.0f, false);
    intonation_.ApplyTargets(At(c.from), At(c.to), c.labels, c.base, 0.5f, 0.4f,
                             c.continuePrevious);
    ExpectCells(AllCells(), c.cells);
  }
  // The cursor ends on the last cell of the last anchor, or before the phone after it.
  ASSERT_EQ(Build("mat"), 1);
  intonation_.ApplyTargets(At(0), At(2), "vowel:1", 1.2f, 0.5f, 0.4f, false);
  EXPECT_EQ(intonation_.GetCursorIndex(), 9);
  EXPECT_FLOAT_EQ(intonation_.CurrentValue(), 0.6f);
  ASSERT_EQ(Build("mamaA"), 1);
  intonation_.ApplyTargets(At(0), At(4), "stressed:1 vowel:1", 1.2f, 0.5f, 0.4f, false);
  EXPECT_EQ(intonation_.GetCursorIndex(), 24);

  // On a token: from its first to its last character; nothing for null.
  ASSERT_EQ(Build("mmat"), 1);
  char* text = composer_.text.GetData();
  const _token_ syllable(text + 1, text + 3);
  intonation_.ApplyTargetsToToken(&syllable, "vowel:1", 1.2f, 0.5f, 0.4f, false);
  intonation_.ApplyTargetsToToken(nullptr, "vowel:1", 9.0f, 9.0f, 0.4f, false);
  ExpectCells(AllCells(), Join({Repeat(1.0f, 5), Repeat(1.2f, 5), fall12, Repeat(0.6f, 5)}));
  EXPECT_TRUE(Reported().empty());
}

TEST_F(VIntonationTest, SetFlatTurnsTheFactorsIntoHz) {
  SetText("a");
  EXPECT_EQ(intonation_.SetFlat(), 1);  // prepares first
  ExpectCells(AllCells(), Repeat(120.0f, 5));

  ASSERT_EQ(Build("ma."), 1);
  Multiply(1, 1, 1.5f, false);
  EXPECT_EQ(intonation_.SetFlat(), 1);
  ExpectCells(AllCells(), Join({Repeat(120.0f, 5), Repeat(180.0f, 5)}));

  EXPECT_EQ(Build("._"), VIntonation::kNoDuration);
  EXPECT_EQ(intonation_.SetFlat(), 0);
}

TEST_F(VIntonationTest, BaseF0IsReferenceTimesScaleTruncated) {
  for (const auto& [reference, scale, base] :
       {std::tuple{120, 1.5f, 180}, {125, 0.5f, 62}, {120, 0.9f, 108}}) {
    UseFont(20, 100, reference);
    intonation_.SetScale(scale);
    ASSERT_EQ(Build("a"), 1);
    EXPECT_EQ(intonation_.GetBaseF0(), base) << reference << " x " << scale;
  }
}

}  // namespace
