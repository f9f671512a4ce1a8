// The layers of the data structure: tokens over the phone string in VLayer,
// their feature lists, and the table of layers VMLDS.
#include "engine/data/VLayer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/data/VMLDS.h"
#include "engine/data/VTextBuffer.h"
#include "engine/data/_token_.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/Installation.h"

namespace {

// The phone string of "kalimera sas ti kanete", one character per phone.
//                       0         1         2
//                       012345678901234567890123
const char kPhones[] = "_kalimera_sas_ti_kanete_";
const std::vector<std::pair<int, int>> kWords = {{1, 8}, {10, 12}, {14, 15}, {17, 22}};

class VLayerTest : public testing::Test {
 protected:
  VLayerTest() { text_.SetText(kPhones); }
  char* At(int offset) { return text_.GetData() + offset; }
  void Fill(VLayer& layer, const std::vector<std::pair<int, int>>& spans) {
    layer.Reset();
    for (const auto& [first, last] : spans) ASSERT_TRUE(layer.Add(_token_(At(first), At(last))));
  }

  testing_support::Installation inst_;
  VTextBuffer text_;
  int hint_ = 3;
  VLayer words_{"Word", &hint_};
};

TEST_F(VLayerTest, ATokenWithoutStartIsRefusedAndAResetForgetsEverySpan) {
  EXPECT_FALSE(words_.Add(_token_(nullptr, At(3))));
  EXPECT_EQ(words_.Tokens().begin(), words_.Tokens().end());
  Fill(words_, kWords);
  ASSERT_TRUE(words_.SetFeature(3, "stressed", "1"));
  Fill(words_, {kWords[0], kWords[1]});  // the nodes behind are spares now
  for (int i = 2; i < 4; ++i) {
    const _token_* spare = words_.at(i);
    ASSERT_NE(spare, nullptr);
    EXPECT_FALSE(spare->GetStart() != nullptr || spare->GetEnd() != nullptr) << i;
    EXPECT_EQ(spare->GetString(), "") << i;
  }
  EXPECT_EQ(words_.locate(At(18)), -1);
  std::vector<const _token_*> walked;  // the walk stops at the last token in use
  for (const _token_* t : words_.Tokens()) walked.push_back(t);
  EXPECT_EQ(walked, (std::vector<const _token_*>{words_.at(0), words_.at(1)}));
  EXPECT_EQ(words_.Next(words_.at(1)), nullptr);
}

TEST_F(VLayerTest, PositionsFindTheirTokens) {
  for (int offset : {1, 5, 18}) EXPECT_EQ(words_.locate(At(offset)), -1) << "empty layer";
  Fill(words_, kWords);
  const std::pair<int, int> located[] = {{17, 3}, {22, 3}, {1, 0},  {11, 1},
                                         {9, -1}, {0, -1}, {23, -1}};
  for (const auto& [offset, index] : located) EXPECT_EQ(words_.locate(At(offset)), index) << offset;
  // From, to, count: positions outside every token count nothing.
  const int counts[][3] = {{17, 22, 1}, {1, 22, 4}, {11, 19, 3},
                           {0, 22, 0},  {9, 22, 0}, {1, 13, 0}};
  for (const auto& c : counts) EXPECT_EQ(words_.CountBetween(At(c[0]), At(c[1])), c[2]) << c[0];
  EXPECT_EQ(words_.SetEndAt(At(11), At(13)), 1);
  EXPECT_EQ(words_.locate(At(13)), 1);
  EXPECT_EQ(words_.SetEndAt(At(16), At(20)), -1);
  EXPECT_EQ(words_.GetStart(4), nullptr);  // out of range: nothing
  EXPECT_FALSE(words_.SetFeature(-1, "phrase", "fin"));
  EXPECT_EQ(words_.First()->at(40), nullptr);
}

TEST_F(VLayerTest, FindByFeatureWalksTowardsTheTargetToken) {
  struct Case {
    int from, to, skipFirst;
    std::vector<int> stressed;
    int found, steps;  // found -1: none
  };
  const Case cases[] = {
      {3, 0, 1, {1}, 1, 1}, {3, 0, 1, {0}, 0, 2},  {3, 0, 1, {3}, -1, 0}, {3, 0, 0, {3, 1}, 3, 0},
      {0, 3, 1, {3}, 3, 2}, {0, 3, 1, {0}, -1, 0}, {2, 2, 1, {2}, -1, 0}, {2, 2, 0, {2}, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + "->" + std::to_string(c.to));
    Fill(words_, kWords);
    for (int i = 0; i < words_.Size(); ++i) words_.SetFeature(i, "unstressed", "1");
    for (int i : c.stressed) words_.SetFeature(i, "stressed", "1");
    int steps = 99;
    EXPECT_EQ(VLayer::FindByFeature(words_.at(c.from), words_.at(c.to), "stressed", "1", &steps,
                                    c.skipFirst),
              c.found < 0 ? nullptr : words_.at(c.found));
    EXPECT_EQ(steps, c.steps);
  }
}

// Chains are deleted one node after the other: no deep recursion.
TEST_F(VLayerTest, AMillionTokenLayerIsDestroyed) {
  VTextBuffer text;
  text.SetText(std::string(1000000, 'a'));
  VLayer layer("Syllable", &hint_);
  for (int i = 0; i < 1000000; ++i)
    ASSERT_TRUE(layer.Add(_token_(text.GetData() + i, text.GetData() + i)));
}

TEST(FeatureListTest, NamesMatchAtTheStartOrAfterATab) {
  const std::pair<const char*, const char*> cases[] = {
      {"type:stop\tstressed:1", "1"},    {"unstressed:0", nullptr},
      {"unstressed:0\tstressed:1", "1"}, {"stressed:2\tstressed:1", "2"},
      {"stressed:\tx:1", nullptr},       {"stressed:a b\nrest", "a b"}};
  for (const auto& [features, value] : cases) {
    _feature_list_ list;
    list.Assign(features);
    std::string got = "<none>";
    EXPECT_EQ(list.Get("stressed", got), value != nullptr) << features;
    EXPECT_EQ(got, value != nullptr ? value : "<none>") << features;
    EXPECT_EQ(list.Is("stressed", "1"), value != nullptr && std::string(value) == "1") << features;
  }
  _feature_list_ list;
  ASSERT_TRUE(list.Set("pause", nullptr));
  ASSERT_TRUE(list.Set("phrase", "fin"));
  EXPECT_EQ(list.GetString(), "pause:\tphrase:fin");
  EXPECT_NE(list.Contains("use:\tphr"), nullptr);  // a plain search
}

TEST_F(VLayerTest, TheTableOfLayersRefusesALayerItHoldsAndOneBeyondItsCapacity) {
  testing_support::MessageRecorder boxes;
  auto* word = new VLayer("Word", &hint_);
  VMLDS table;  // without a composer: reported, added all the same
  ASSERT_TRUE(table.AddLayer(word));
  EXPECT_EQ(boxes.reports(), (std::vector<std::string>{"Null Tamrin.", "VMLDS::AddLayer"}));
  EXPECT_FALSE(table.AddLayer(word));
  EXPECT_EQ(table.Count(), 1);
  testing_support::FakeComposer composer;
  table.SetComposer(&composer);
  for (int i = 1; i < 100; ++i) ASSERT_TRUE(table.AddLayer(new VLayer("L", &hint_)));
  VLayer extra("Extra", &hint_);
  EXPECT_FALSE(table.AddLayer(&extra));
  table.Clear();
}

TEST(VTextBufferTest, SetTextReadsNoFurtherThanTheTerminatorAndMayReadItself) {
  std::unique_ptr<char[]> source(new char[4]{'x', 'y', 'z', '\0'});
  VTextBuffer buffer;
  buffer.SetText(source.get(), 1000);
  EXPECT_EQ(buffer.GetLength(), 3);
  buffer.SetText("hello world");
  buffer.SetText(buffer.GetText() + 6, 3);
  EXPECT_STREQ(buffer.GetText(), "wor");
}

}  // namespace
