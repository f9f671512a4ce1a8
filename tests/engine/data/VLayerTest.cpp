#include "engine/data/VLayer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/data/VTextBuffer.h"
#include "engine/data/_token_.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::ReadLines;
using testing_support::TestInstallation;

// The phone string of "kalimera sas ti kanete", one character per phone,
// with '_' for the pauses.
//                         0         1         2
//                         012345678901234567890123
const char kPhones[] = "_kalimera_sas_ti_kanete_";

struct Span {
  int first;
  int last;
};
const std::vector<Span> kWords = {{1, 8}, {10, 12}, {14, 15}, {17, 22}};
const std::vector<Span> kSyllables = {{1, 2},   {3, 4},   {5, 6},   {7, 8},  {10, 12},
                                      {14, 15}, {17, 18}, {19, 20}, {21, 22}};

std::string CheckLine(int pos, int last) {
  return "*** ERROR:\tVLayer::check(int pos)@Invalid 'pos' pointer: [" + std::to_string(pos) +
         "] / [" + std::to_string(last) + "]";
}

class VLayerTest : public testing::Test {
 protected:
  void SetUp() override { text_.SetText(kPhones); }

  char* At(int offset) { return text_.GetData() + offset; }

  void Fill(VLayer& layer, const std::vector<Span>& spans) {
    layer.Reset();
    for (const Span& s : spans) ASSERT_TRUE(layer.Add(_token_(At(s.first), At(s.last))));
  }

  std::vector<std::string> Log() const { return ReadLines(inst_.path("log.txt")); }

  TestInstallation inst_;
  VTextBuffer text_;
  int wordHint_ = 150;
  int syllableHint_ = 200;
};

TEST_F(VLayerTest, NewLayerHasTheRootAndItsSpareNodes) {
  const std::vector<std::pair<const char*, int>> cases = {
      {"Sentence", 5}, {"Word", 150}, {"Syllable", 200}, {nullptr, 0}};
  for (const auto& c : cases) {
    int hint = c.second;
    VLayer layer(c.first, &hint);
    EXPECT_EQ(layer.GetName(), c.first ? c.first : "__noname__layer__");
    EXPECT_EQ(layer.Size(), 0);
    EXPECT_EQ(layer.LinkedNodes(), hint + 1);
    EXPECT_EQ(layer.AllocatedNodes(), hint);
    EXPECT_EQ(layer.Last(), layer.First());
    const _token_* t = layer.First();
    for (int i = 0; i <= hint; ++i, t = t->GetNext()) {
      ASSERT_NE(t, nullptr);
      EXPECT_EQ(t->GetIndex(), i);
      EXPECT_EQ(layer.at(i), t);
      if (i > 0) {
        EXPECT_EQ(t->GetPrev()->GetNext(), t);
      }
    }
    EXPECT_EQ(t, nullptr);
  }
  EXPECT_EQ(VLayer("Word", nullptr).LinkedNodes(), 1);
  EXPECT_TRUE(Log().empty());
}

TEST_F(VLayerTest, TwoHundredTokensUseTheSparesThenGrowAndRefillsReuseEveryNode) {
  VTextBuffer text;
  text.SetText(std::string(300, 'a'));
  char* p = text.GetData();
  VLayer layer("Word", &wordHint_);
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(layer.Add(_token_(p + i, p + i)));
  EXPECT_EQ(layer.Size(), 200);
  EXPECT_EQ(layer.AllocatedNodes(), 150 + 49);
  EXPECT_EQ(layer.LinkedNodes(), 200);
  EXPECT_EQ(layer.Last()->GetNext(), nullptr);
  std::vector<const _token_*> nodes;
  for (const _token_* t = layer.First(); t != nullptr; t = t->GetNext()) {
    const int i = static_cast<int>(nodes.size());
    EXPECT_EQ(t->GetIndex(), i);
    EXPECT_EQ(t->GetPrev(), i == 0 ? nullptr : nodes.back());
    EXPECT_EQ(layer.GetStart(i), p + i);
    nodes.push_back(t);
  }

  // A second fill of the same length takes the same nodes and allocates none.
  layer.Reset();
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(layer.Add(_token_(p + 200 - i, p + 200 - i)));
  EXPECT_EQ(layer.AllocatedNodes(), 199);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(layer.at(i), nodes[i]);
  // One more token grows the chain by exactly one node.
  ASSERT_TRUE(layer.Add(_token_(p + 230, p + 231)));
  EXPECT_EQ(layer.AllocatedNodes(), 200);
  EXPECT_EQ(layer.Last()->GetPrev(), nodes[199]);
  EXPECT_TRUE(Log().empty());
}

TEST_F(VLayerTest, AfterResetOneTokenFillsTheRoot) {
  VLayer layer("Word", &wordHint_);
  Fill(layer, kWords);
  ASSERT_TRUE(layer.Reset());
  EXPECT_EQ(layer.Size(), 0);
  ASSERT_TRUE(layer.Add(_token_(At(10), At(12))));
  EXPECT_EQ(layer.Size(), 1);
  EXPECT_EQ(layer.Last(), layer.First());
  EXPECT_EQ(layer.First()->GetEnd(), At(12));
  EXPECT_EQ(layer.LinkedNodes(), 151);
}

TEST_F(VLayerTest, AddCopiesTheSpanAndFeaturesButNotTheLinksOrIndex) {
  VLayer layer("Syllable", &syllableHint_);
  _token_ outside;
  _token_ token(At(1), At(2));
  token.Set("stressed", "1");
  token.SetIndex(77);
  token.SetNext(&outside);
  token.SetPrev(&outside);
  ASSERT_TRUE(layer.Add(token));
  ASSERT_TRUE(layer.Add(token));
  token.Set("word", "fin");
  EXPECT_EQ(layer.at(1)->GetIndex(), 1);
  EXPECT_EQ(layer.at(0)->GetNext(), layer.at(1));
  EXPECT_EQ(layer.at(0)->GetPrev(), nullptr);
  EXPECT_EQ(layer.at(1)->GetString(), "stressed:1");
  EXPECT_EQ(layer.at(1)->GetStart(), At(1));
}

// Decided: a token with a null start is refused and nothing changes.
TEST_F(VLayerTest, AddingATokenWithoutStartIsRefused) {
  VLayer layer("Word", &wordHint_);
  _token_ empty;
  empty.Set("type", "stop");
  EXPECT_FALSE(layer.Add(empty));
  EXPECT_FALSE(layer.Add(_token_(nullptr, At(3))));
  EXPECT_EQ(layer.Size(), 0);
  EXPECT_FALSE(layer.First()->IsSet());
  Fill(layer, kWords);
  _token_* last = layer.Last();
  EXPECT_FALSE(layer.Add(empty));
  EXPECT_EQ(layer.Size(), 4);
  EXPECT_EQ(layer.Last(), last);
  EXPECT_FALSE(layer.at(4)->IsSet());
  EXPECT_EQ(layer.AllocatedNodes(), 150);
}

// Decided: a reset makes every node forget its span and features, so the
// spares behind a shorter fill show nothing of a longer earlier one.
TEST_F(VLayerTest, SpareNodesForgetTheirSpansOnReset) {
  VLayer layer("Syllable", &syllableHint_);
  Fill(layer, kSyllables);
  for (int i = 0; i < layer.Size(); ++i) ASSERT_TRUE(layer.SetFeature(i, "stressed", "1"));
  Fill(layer, {kSyllables[0], kSyllables[1], kSyllables[2]});
  for (int i = 3; i < static_cast<int>(kSyllables.size()) + 2; ++i) {
    SCOPED_TRACE(i);
    const _token_* spare = layer.at(i);
    ASSERT_NE(spare, nullptr);
    EXPECT_EQ(spare->GetStart(), nullptr);
    EXPECT_EQ(spare->GetEnd(), nullptr);
    EXPECT_EQ(spare->GetString(), "");
  }
  // The reused nodes carry only the new spans.
  EXPECT_EQ(layer.at(1)->GetString(), "");
  EXPECT_EQ(layer.GetEnd(2), At(6));
  EXPECT_EQ(layer.locate(At(22)), -1);
}

TEST_F(VLayerTest, LocateGivesTheTokenHoldingAPosition) {
  VLayer layer("Word", &wordHint_);
  Fill(layer, kWords);
  // offset, index: inside token 3, its first and last character, between
  // two spans, before the first, after the last, the terminator.
  const std::vector<std::pair<int, int>> cases = {{18, 3}, {17, 3},  {22, 3}, {1, 0},   {8, 0},
                                                  {11, 1}, {15, 2},  {9, -1}, {13, -1}, {16, -1},
                                                  {0, -1}, {23, -1}, {24, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(layer.locate(At(c.first)), c.second);
    EXPECT_EQ(layer.locateToken(At(c.first)), c.second < 0 ? nullptr : layer.at(c.second));
  }
  EXPECT_EQ(layer.locate(nullptr), -1);

  // Decided: an empty layer answers -1 without looking at any token.
  layer.Reset();
  for (const Span& s : kWords) EXPECT_EQ(layer.locate(At(s.first)), -1);
  VLayer fresh("Word", &wordHint_);
  EXPECT_EQ(fresh.locate(At(5)), -1);
  EXPECT_EQ(fresh.locateToken(At(5)), nullptr);
  EXPECT_EQ(fresh.SetEndAt(At(5), At(6)), -1);
  EXPECT_TRUE(Log().empty());
}

TEST_F(VLayerTest, TheWalkStopsAtTheLastTokenInUse) {
  VLayer layer("Word", &wordHint_);
  EXPECT_EQ(layer.Tokens().begin(), layer.Tokens().end());
  Fill(layer, kWords);
  Fill(layer, {kWords[0], kWords[1]});  // the nodes behind are spares now
  std::vector<const _token_*> walked;
  for (const _token_* t : layer.Tokens()) walked.push_back(t);
  EXPECT_EQ(walked, (std::vector<const _token_*>{layer.at(0), layer.at(1)}));
  EXPECT_EQ(layer.Next(layer.at(0)), layer.at(1));
  EXPECT_EQ(layer.Next(layer.at(1)), nullptr);
}

TEST_F(VLayerTest, CheckOutOfRangeWritesTheErrorLine) {
  VLayer layer("Word", &wordHint_);
  EXPECT_FALSE(layer.check(0));
  Fill(layer, kWords);
  EXPECT_TRUE(layer.check(0));
  EXPECT_TRUE(layer.check(3));
  EXPECT_FALSE(layer.check(-1));
  EXPECT_FALSE(layer.check(layer.Size()));
  // The accessors give neutral results out of range.
  EXPECT_EQ(layer.GetStart(2), At(14));
  EXPECT_EQ(layer.GetEnd(2), At(15));
  EXPECT_EQ(layer.GetStart(4), nullptr);
  EXPECT_EQ(layer.GetEnd(-2), nullptr);
  EXPECT_FALSE(layer.SetFeature(5, "phrase", "fin"));
  EXPECT_EQ(layer.Contains(-1, "phrase"), nullptr);
  EXPECT_EQ(layer.at(5)->GetString(), "");
  EXPECT_EQ(Log(), (std::vector<std::string>{CheckLine(0, -1), CheckLine(-1, 3), CheckLine(4, 3),
                                             CheckLine(4, 3), CheckLine(-2, 3), CheckLine(5, 3),
                                             CheckLine(-1, 3)}));
  // In range they reach the token's features.
  ASSERT_TRUE(layer.SetFeature(3, "phrase", "fin"));
  EXPECT_FALSE(layer.SetFeature(3, "", "x"));
  EXPECT_STREQ(layer.Contains(3, "phrase:fin"), "phrase:fin");
  EXPECT_EQ(layer.Contains(2, "phrase:fin"), nullptr);
}

TEST_F(VLayerTest, TokenAtPastTheChainLogsAndGivesNull) {
  int hint = 5;
  VLayer layer("Sentence", &hint);
  EXPECT_EQ(layer.at(-3), layer.First());
  EXPECT_EQ(layer.at(5)->GetIndex(), 5);  // a spare: no check, no log line
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(layer.at(6), nullptr);
  EXPECT_EQ(layer.First()->at(40), nullptr);
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "*** ERROR:\tconst _token_* _token_::at(int pos) const: 6",
                       "*** ERROR:\tconst _token_* _token_::at(int pos) const: 40"}));
}

TEST_F(VLayerTest, FindByFeatureWalksTowardsTheTargetToken) {
  VLayer layer("Syllable", &syllableHint_);
  struct Case {
    int from, to, skipFirst;
    std::vector<int> stressed;
    int found;  // -1: none
    int steps;
  };
  const Case cases[] = {
      // Backward from 5 to 2 without 5 itself: 4, 3, 2 in that order.
      {5, 2, 1, {3}, 3, 1},
      {5, 2, 1, {4, 3}, 4, 0},
      {5, 2, 1, {2}, 2, 2},
      {5, 2, 1, {5}, -1, 0},
      {5, 2, 0, {5, 3}, 5, 0},
      // Forward.
      {1, 6, 1, {6}, 6, 4},
      {1, 6, 1, {3, 4}, 3, 1},
      {1, 6, 1, {1, 7}, -1, 0},
      // The same token at both ends.
      {4, 4, 1, {4}, -1, 0},
      {4, 4, 0, {4}, 4, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + "->" + std::to_string(c.to) + " skip " +
                 std::to_string(c.skipFirst));
    Fill(layer, kSyllables);
    for (int i : c.stressed) ASSERT_TRUE(layer.SetFeature(i, "stressed", "1"));
    // A longer name that ends with the one searched for never matches.
    for (int i = 0; i < layer.Size(); ++i) layer.SetFeature(i, "unstressed", "1");
    int steps = 99;
    EXPECT_EQ(VLayer::FindByFeature(layer.at(c.from), layer.at(c.to), "stressed", "1", &steps,
                                    c.skipFirst),
              c.found < 0 ? nullptr : layer.at(c.found));
    EXPECT_EQ(steps, c.steps);
  }
  int steps = 5;
  EXPECT_EQ(VLayer::FindByFeature(nullptr, layer.at(2), "stressed", "1", &steps, 0), nullptr);
  EXPECT_EQ(steps, 0);
  EXPECT_EQ(VLayer::FindByFeature(layer.at(2), layer.at(2), "stressed", "1", nullptr, 0), nullptr);
}

// Decided: a position outside every token counts nothing.
TEST_F(VLayerTest, CountBetweenCountsTokensFromOnePositionToAnother) {
  VLayer layer("Word", &wordHint_);
  EXPECT_EQ(layer.CountBetween(At(1), At(8)), 0);
  Fill(layer, kWords);
  // From, to, count: first and last character of one token, ..., before the
  // first span, after the last, in a gap.
  const int cases[][3] = {{17, 22, 1}, {10, 10, 1}, {1, 22, 4}, {5, 11, 2}, {11, 19, 3},
                          {0, 22, 0},  {1, 23, 0},  {9, 22, 0}, {1, 13, 0}, {16, 16, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(layer.CountBetween(At(c[0]), At(c[1])), c[2]) << c[0] << ".." << c[1];
  }
}

TEST_F(VLayerTest, CoveringRelatesSyllablesToTheirWords) {
  VLayer words("Word", &wordHint_);
  VLayer syllables("Syllable", &syllableHint_);
  Fill(words, kWords);
  Fill(syllables, kSyllables);
  const int wordOf[] = {0, 0, 0, 0, 1, 2, 3, 3, 3};
  for (int i = 0; i < syllables.Size(); ++i) {
    EXPECT_EQ(words.IndexCovering(syllables.at(i)), wordOf[i]) << i;
    EXPECT_EQ(words.TokenCovering(syllables.at(i)), words.at(wordOf[i])) << i;
  }
  EXPECT_EQ(syllables.IndexCovering(words.at(3)), 6);  // the first character
  _token_ pause(At(9), At(9));
  EXPECT_EQ(words.IndexCovering(&pause), -1);
  EXPECT_EQ(words.TokenCovering(&pause), nullptr);
  EXPECT_EQ(words.IndexCovering(nullptr), -1);
  EXPECT_EQ(words.TokenCovering(nullptr), nullptr);
}

TEST_F(VLayerTest, SetEndAtMovesTheEndOfTheTokenHoldingAPosition) {
  VLayer layer("Word", &wordHint_);
  Fill(layer, kWords);
  EXPECT_EQ(layer.SetEndAt(At(11), At(13)), 1);
  EXPECT_EQ(layer.locate(At(13)), 1);
  EXPECT_EQ(layer.SetEndAt(At(22), At(23)), 3);
  EXPECT_EQ(layer.SetEndAt(At(16), At(20)), -1);
  EXPECT_EQ(layer.SetEndAt(At(0), At(20)), -1);
  const int ends[] = {8, 13, 15, 23};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(layer.GetEnd(i), At(ends[i])) << i;
}

// Decided: chains are deleted one node after the other, so a very long
// layer goes without deep recursion (and, under the sanitizer, without a
// leak).
TEST_F(VLayerTest, AMillionTokenLayerIsDestroyed) {
  constexpr int kCount = 1000000;
  VTextBuffer text;
  text.SetText(std::string(kCount, 'a'));
  char* p = text.GetData();
  auto layer = std::make_unique<VLayer>("Syllable", &syllableHint_);
  for (int i = 0; i < kCount; ++i) ASSERT_TRUE(layer->Add(_token_(p + i, p + i)));
  EXPECT_EQ(layer->Size(), kCount);
  EXPECT_EQ(layer->AllocatedNodes(), kCount - 1);
  layer.reset();

  _token_ root;
  _token_* tail = &root;
  for (int i = 1; i < kCount; ++i) {
    _token_* node = new _token_(p + i, p + i);
    node->SetPrev(tail);
    tail->SetNext(node);
    tail = node;
  }
  root.DeleteChain();
  EXPECT_EQ(root.GetNext(), nullptr);
}

TEST_F(VLayerTest, TokensCopyCompareAndSet) {
  _token_ a(At(1), At(8));
  a.Set("type", "stop");
  _token_ b;
  a.SetNext(&b);
  const _token_ copy(a);
  EXPECT_EQ(copy.GetEnd(), At(8));
  EXPECT_EQ(copy.GetString(), "type:stop");
  EXPECT_EQ(copy.at(1), &b);
  b.SetIndex(3);
  EXPECT_TRUE(a < b && a <= b && b > a && b >= a);
  EXPECT_TRUE(a <= copy && a >= copy);
  EXPECT_FALSE(a > copy || a < copy);
  // A token is set only with both ends.
  b.Set(At(10), nullptr, "x:1");
  EXPECT_FALSE(b.IsSet());
  a.Set(At(3), At(4), nullptr);
  EXPECT_EQ(a.GetString(), "");
  EXPECT_TRUE(a.IsSet());
}

}  // namespace
