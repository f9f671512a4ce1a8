#include "engine/data/VMLDS.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "engine/data/VLayer.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::FakeComposer;
using testing_support::MessageRecorder;
using testing_support::ReadLines;
using testing_support::TestInstallation;

std::string Address(const void* p) {
  std::ostringstream out;
  out << p;
  return out.str();
}

class VMLDSTest : public testing::Test {
 protected:
  std::vector<std::string> Log() const { return ReadLines(inst_.path("log.txt")); }

  VLayer* NewLayer(const char* name, int hint) { return new VLayer(name, &hint); }

  TestInstallation inst_;
  MessageRecorder boxes_;
  FakeComposer composer_;
};

TEST_F(VMLDSTest, LayersAreFoundByExactNameAndDeletedByClear) {
  VMLDS mlds;
  mlds.SetComposer(&composer_);
  const char* names[] = {"Sentence", "Phrase", "Word", "Syllable"};
  std::vector<VLayer*> layers;
  for (const char* name : names) {
    layers.push_back(NewLayer(name, 5));
    ASSERT_TRUE(mlds.AddLayer(layers.back()));
    EXPECT_EQ(layers.back()->PeekComposer(), &composer_);
  }
  for (size_t i = 0; i < layers.size(); ++i) EXPECT_EQ(mlds.GetLayer(names[i]), layers[i]);
  EXPECT_EQ(mlds.GetLayer("word"), nullptr);
  EXPECT_EQ(mlds.GetLayer("Word "), nullptr);
  EXPECT_EQ(mlds.GetLayer(nullptr), nullptr);
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(boxes_.messages().empty());

  // The dump lists the table, then every layer is gone (the sanitizer build
  // sees a leak or a double deletion otherwise).
  ASSERT_TRUE(mlds.Clear());
  std::vector<std::string> lines = Log();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "4");
  for (size_t i = 0; i < layers.size(); ++i) {
    const std::string prefix = std::to_string(i) + ":";
    const std::string suffix = "->" + Address(layers[i]) + ":" + names[i];
    EXPECT_EQ(lines[i + 1].compare(0, prefix.size(), prefix), 0) << lines[i + 1];
    ASSERT_GT(lines[i + 1].size(), suffix.size());
    EXPECT_EQ(lines[i + 1].substr(lines[i + 1].size() - suffix.size()), suffix);
  }
  EXPECT_EQ(mlds.Count(), 0);
  EXPECT_EQ(mlds.GetLayer("Word"), nullptr);

  ASSERT_TRUE(mlds.Clear());
  lines = Log();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[5], "0");
}

TEST_F(VMLDSTest, DestructionForgetsTheLayersWithoutDeletingThem) {
  int hint = 5;
  VLayer layer("Sentence", &hint);  // outlives the table
  {
    VMLDS mlds;
    mlds.SetComposer(&composer_);
    ASSERT_TRUE(mlds.AddLayer(&layer));
  }
  EXPECT_EQ(Log(), (std::vector<std::string>{"~VMap()"}));
  EXPECT_EQ(layer.LinkedNodes(), 6);
}

// Decided: without a composer both reports are made and the layer is added.
TEST_F(VMLDSTest, AddLayerWithoutComposerReportsAndStillAdds) {
  VMLDS mlds;
  VLayer* word = NewLayer("Word", 150);
  ASSERT_TRUE(mlds.AddLayer(word));
  EXPECT_EQ(boxes_.reports(), (std::vector<std::string>{"Null Tamrin.", "VMLDS::AddLayer"}));

  EXPECT_EQ(mlds.GetLayer("Word"), word);
  EXPECT_EQ(word->PeekComposer(), nullptr);
  EXPECT_EQ(mlds.Count(), 1);
  mlds.Clear();
}

// Decided: the table refuses a layer it already holds, with a log line.
TEST_F(VMLDSTest, TheSameLayerTwiceIsRefused) {
  VMLDS mlds;
  mlds.SetComposer(&composer_);
  VLayer* word = NewLayer("Word", 150);
  ASSERT_TRUE(mlds.AddLayer(word));
  EXPECT_FALSE(mlds.AddLayer(word));
  EXPECT_EQ(mlds.Count(), 1);
  EXPECT_EQ(Log(),
            (std::vector<std::string>{"*** ERROR:\tVMap::Add@[Word] is already in the table"}));
  EXPECT_TRUE(boxes_.messages().empty());

  EXPECT_FALSE(mlds.AddLayer(nullptr));
  EXPECT_EQ(mlds.Count(), 1);

  // Two layers under one name are both held; the name finds the first.
  VLayer* other = NewLayer("Word", 0);
  ASSERT_TRUE(mlds.AddLayer(other));
  EXPECT_EQ(mlds.Count(), 2);
  EXPECT_EQ(mlds.GetLayer("Word"), word);
  mlds.Clear();
  EXPECT_EQ(Log().size(), 4u);
}

TEST_F(VMLDSTest, AFullTableRefusesTheNextLayer) {
  VMLDS mlds;
  mlds.SetComposer(&composer_);
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(mlds.AddLayer(NewLayer(("L" + std::to_string(i)).c_str(), 0)));
  }
  int hint = 0;
  VLayer extra("Extra", &hint);
  EXPECT_FALSE(mlds.AddLayer(&extra));
  EXPECT_EQ(mlds.Count(), 100);
  EXPECT_EQ(extra.PeekComposer(), nullptr);
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "*** ERROR:\tVMap::Add@table full (100 entries), [Extra] not added"}));
  mlds.Clear();
  EXPECT_EQ(Log().size(), 1u + 1u + 100u);
}

}  // namespace
