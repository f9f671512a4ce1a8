#include "engine/base/VConfiguration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/common/Installation.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

class VConfigurationTest : public testing::Test {
 protected:
  // The pairs that the store holds after "__ID__", in order.
  Pairs Load(const std::string& content) {
    testing_support::WriteFile(path_, content);
    EXPECT_EQ(config_.Load(path_), 1);
    Pairs out;
    const VParameterData& data = config_.Parameters();
    for (int i = 1; i < data.Count(); ++i) out.emplace_back(data.At(i).Name(), data.At(i).Text());
    return out;
  }

  testing_support::Installation inst_;
  testing_support::MessageRecorder boxes_;
  std::string path_ = inst_.path("settings.txt");
  VConfiguration config_;
};

TEST_F(VConfigurationTest, OneCarriageReturnBeforeALineFeedIsDropped) {
  EXPECT_EQ(Load("a=1\r\nb=x\ry\r\nc=2\r\r\n\r\n# note\nd=\"q\"\r\ne=last\r"),
            (Pairs{{"a", "1"}, {"b", "x\ry"}, {"c", "2\r"}, {"d", "q"}, {"e", "last\r"}}));
}

TEST_F(VConfigurationTest, TheFirstOccurrenceWinsAndTheIdCannotBeOverridden) {
  EXPECT_EQ(Load("a=1\n__ID__=forged\na=2\nA=3\n"), (Pairs{{"a", "1"}, {"A", "3"}}));
  EXPECT_EQ(config_.GetParam("__ID__", false), path_);
  EXPECT_EQ(config_.GetParamInt("a", true), 1);
  EXPECT_TRUE(boxes_.messages().empty());
  EXPECT_EQ(config_.GetParam("missing", false), "");
  EXPECT_FALSE(config_.GetParamYes("missing", true));
  EXPECT_EQ(boxes_.reports(), std::vector<std::string>{
                                  "Error: parameter [missing] was not found in [" + path_ + "]"});
}

TEST_F(VConfigurationTest, AMissingFileOrAFolderIsReportedAndLeavesOnlyTheId) {
  for (const std::string& path : {inst_.path("absent.txt"), inst_.dir()}) {
    VConfiguration config;
    EXPECT_EQ(config.Load(path), -1);
    EXPECT_EQ(boxes_.reports().back(), "ifstream error on " + path);
    EXPECT_EQ(config.Parameters().Count(), 1);
    EXPECT_EQ(config.GetParam("__ID__", true), path);
  }
}

}  // namespace
