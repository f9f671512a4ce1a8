#include "engine/shared/VSR_PhonePool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/base/Log.h"
#include "engine/base/VStr.h"
#include "engine/shared/TMShared.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/ScrambledRecords.h"

namespace {

using testing_support::MessageRecorder;
using testing_support::ReadLines;
using testing_support::TestInstallation;
using testing_support::TextRecord;

constexpr const char* kTableName = "phones/test.phn";

class VSR_PhonePoolTest : public testing::Test {
 protected:
  TestInstallation inst_;
  MessageRecorder boxes_;
  TMShared holder_;
  VSR_PhonePool& pool_ = *holder_.GetPhonePool();

  void SetUp() override {
    Log::EnableErrors();
    inst_.write("config.txt", std::string("Phones.Filename=") + kTableName + "\n");
    ASSERT_EQ(holder_.GetConfiguration()->Load(inst_.path("config.txt")), 1);
  }

  // Writes the table from its record texts (one scrambled record of 500
  // bytes each) and loads it.
  void LoadRecords(const std::vector<std::string>& records) {
    std::string data;
    for (const std::string& r : records) data += TextRecord(r, VSR_PhonePool::kRecordSize);
    LoadData(data);
  }

  void LoadData(const std::string& data) {
    inst_.write(kTableName, data);
    EXPECT_TRUE(pool_.Load(&holder_));
  }

  std::string Features(char symbol) const {
    const VPhone* phone = pool_.FindPhone(symbol);
    return phone != nullptr ? phone->GetString() : "<none>";
  }

  std::vector<std::string> ErrorLines() const {
    return testing_support::ErrorLines(inst_.path("log.txt"));
  }
};

TEST_F(VSR_PhonePoolTest, FieldsBecomeFeaturesOfTheirColumns) {
  LoadRecords({"symbol\tvowel\tvoiced", "a\t1\t1", "k\t0\t0"});
  // The header ends without a delimiter too: a fourth column without a name.
  EXPECT_EQ(pool_.ColumnCount(), 4);
  ASSERT_EQ(pool_.PhoneCount(), 2);
  // The empty field after the last one is dropped: its column has no name.
  EXPECT_EQ(Features('a'), "symbol:a\tvowel:1\tvoiced:1");
  EXPECT_EQ(Features('k'), "symbol:k\tvowel:0\tvoiced:0");
  EXPECT_STREQ(pool_.GetFeatureName(3), "");
  EXPECT_EQ(pool_.GetFeatureName(4), nullptr);
  EXPECT_TRUE(boxes_.reports().empty());
  EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(VSR_PhonePoolTest, NewlinesSeparateFieldsAndMissingFieldsAreEmpty) {
  LoadRecords({"symbol\nphone\tvowel\t", "a\n1\t1\t", "m\t1", "e"});
  EXPECT_EQ(Features('a'), "symbol:a\tphone:1\tvowel:1");
  // Fewer fields than columns: the text ends without a delimiter, so one
  // empty field follows the last.
  EXPECT_EQ(Features('m'), "symbol:m\tphone:1\tvowel:");
  EXPECT_EQ(Features('e'), "symbol:e\tphone:");
}

TEST_F(VSR_PhonePoolTest, GetPhoneFeatureHoldsOnlyForExactlyOne) {
  LoadRecords({"symbol\tphone\tvowel\tvoiced\tbreak\tstressed", "a\t1\t01\t1.0\t\t 1"});
  EXPECT_TRUE(pool_.getPhoneFeature('a', "phone"));
  for (const char* name : {"vowel", "voiced", "break", "stressed", "tristate", "", "symbol"}) {
    EXPECT_FALSE(pool_.getPhoneFeature('a', name)) << name;
  }
  EXPECT_FALSE(pool_.getPhoneFeature('a', nullptr));
  EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(VSR_PhonePoolTest, UnknownSymbolsGiveFalseAndOneLogLinePerCall) {
  LoadRecords({"symbol\tphone\tvowel", "a\t1\t1"});
  EXPECT_FALSE(pool_.getPhoneFeature('x', "phone"));
  EXPECT_FALSE(pool_.getPhoneFeature('x', "phone"));
  char* value = VStr::Duplicate("kept");
  EXPECT_FALSE(pool_.detailedPhoneFeature('y', "phone", &value));
  EXPECT_STREQ(value, "kept");
  VStr::Release(&value);
  EXPECT_FALSE(pool_.has('z', "phone:1"));
  EXPECT_EQ(ErrorLines(), (std::vector<std::string>{
                              "*** ERROR:\tVSR_PhonePool::getPhoneFeature@phone [x] not found",
                              "*** ERROR:\tVSR_PhonePool::getPhoneFeature@phone [x] not found",
                              "*** ERROR:\tVSR_PhonePool::detailedPhoneFeature@phone [y] not found",
                              "*** ERROR:\tVSR_PhonePool::has@phone [z] not found",
                          }));
  EXPECT_TRUE(boxes_.reports().empty());
}

TEST_F(VSR_PhonePoolTest, HasSearchesTheWholeFeatureTextAndSearchPhoneIsSilent) {
  LoadRecords({"symbol\tphone\tvowel\tmanner", "a\t1\t1\tvowel"});
  EXPECT_TRUE(pool_.has('a', "vowel:1"));
  EXPECT_TRUE(pool_.has('a', "owel:1"));
  EXPECT_TRUE(pool_.has('a', "manner:vowel"));
  EXPECT_FALSE(pool_.has('a', "vowel:0"));
  EXPECT_TRUE(pool_.searchPhone('a', true));
  EXPECT_FALSE(pool_.searchPhone('q', true));
  EXPECT_FALSE(pool_.searchPhone('q', false));
  EXPECT_EQ(pool_.FindPhone('q'), nullptr);
  EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(VSR_PhonePoolTest, DetailedPhoneFeatureGivesACopyOfTheValue) {
  LoadRecords({"symbol\tmanner\tnote", "s\tfricative\t"});
  char* value = nullptr;
  ASSERT_TRUE(pool_.detailedPhoneFeature('s', "manner", &value));
  EXPECT_STREQ(value, "fricative");
  VStr::Release(&value);
  EXPECT_FALSE(pool_.detailedPhoneFeature('s', "note", &value));  // empty
  EXPECT_FALSE(pool_.detailedPhoneFeature('s', "absent", &value));
  EXPECT_EQ(value, nullptr);
}

TEST_F(VSR_PhonePoolTest, ExtraFieldsAndFieldsOfUnnamedColumnsAreDropped) {
  LoadRecords({"symbol\t\tvowel", "a\tx\t1\tsurplus\tmore"});
  EXPECT_EQ(Features('a'), "symbol:a\tvowel:1");
}

TEST_F(VSR_PhonePoolTest, TheFirstOfTwoRecordsWithOneSymbolAnswers) {
  LoadRecords({"symbol\tphone\tvowel", "a\t1\t1", "a\t0\t0"});
  EXPECT_EQ(pool_.PhoneCount(), 2);
  EXPECT_TRUE(pool_.getPhoneFeature('a', "vowel"));
  EXPECT_FALSE(pool_.has('a', "phone:0"));
  EXPECT_EQ(Features('a'), "symbol:a\tphone:1\tvowel:1");
}

TEST_F(VSR_PhonePoolTest, AnEmptyFirstFieldGivesTheZeroSymbol) {
  LoadRecords({"symbol\tphone", "\t1", "bc\t1"});
  ASSERT_NE(pool_.FindPhone('\0'), nullptr);
  EXPECT_EQ(Features('\0'), "symbol:\tphone:1");
  EXPECT_TRUE(pool_.getPhoneFeature('\0', "phone"));
  // Only the first character of field 0 is the symbol.
  EXPECT_EQ(Features('b'), "symbol:bc\tphone:1");
}

TEST_F(VSR_PhonePoolTest, UnloadKeepsTheTable) {
  LoadRecords({"symbol\tphone", "a\t1"});
  EXPECT_TRUE(pool_.Unload());
  EXPECT_TRUE(pool_.getPhoneFeature('a', "phone"));
  EXPECT_EQ(pool_.PhoneCount(), 1);
}

TEST_F(VSR_PhonePoolTest, AMissingFileIsReportedOnceAndLeavesAnEmptyTable) {
  EXPECT_TRUE(pool_.Load(&holder_));
  EXPECT_EQ(boxes_.reports(),
            std::vector<std::string>{"Error reading file " + inst_.path(kTableName)});
  EXPECT_EQ(pool_.PhoneCount(), 0);
  EXPECT_FALSE(pool_.getPhoneFeature('a', "phone"));
  EXPECT_FALSE(pool_.getPhoneFeature('.', "break"));
  EXPECT_EQ(ErrorLines().size(), 2u);
  EXPECT_EQ(boxes_.reports().size(), 1u);
}

TEST_F(VSR_PhonePoolTest, AMalformedRecordIsReportedAndTheNextOneLoads) {
  testing_support::RecordParts bad;
  bad.payload = std::string("b\t1") + '\0';
  bad.checkDelta = 3;
  const int size = VSR_PhonePool::kRecordSize;
  LoadData(TextRecord("symbol\tphone", size) + TextRecord("a\t1", size) +
           testing_support::MakeRecord(bad, size) + TextRecord("c\t1", size) +
           std::string(100, 'z'));
  const std::string path = inst_.path(kTableName);
  EXPECT_EQ(boxes_.reports(), (std::vector<std::string>{"malformed entry in file " + path,
                                                        "bandwidth error in file " + path}));
  EXPECT_TRUE(pool_.searchPhone('a', false));
  EXPECT_FALSE(pool_.searchPhone('b', false));
  EXPECT_TRUE(pool_.searchPhone('c', false));
  EXPECT_EQ(pool_.PhoneCount(), 2);
}

TEST_F(VSR_PhonePoolTest, PayloadsWithoutTheirOwnTerminatorLoadAlike) {
  testing_support::RecordParts header;
  header.payload = "symbol\tphone";
  testing_support::RecordParts row;
  row.payload = "a\t1";
  LoadData(testing_support::MakeRecord(header, 500) + testing_support::MakeRecord(row, 500));
  EXPECT_EQ(Features('a'), "symbol:a\tphone:1");
}

TEST_F(VSR_PhonePoolTest, ANullHolderOrAMissingFilenameKeyIsReported) {
  EXPECT_TRUE(pool_.Load(nullptr));
  EXPECT_EQ(boxes_.reports(), std::vector<std::string>{"Null TMShared."});
  boxes_.clear();
  inst_.write("config.txt", "Other.Key=1\n");
  TMShared holder;
  ASSERT_EQ(holder.GetConfiguration()->Load(inst_.path("config.txt")), 1);
  EXPECT_TRUE(holder.GetPhonePool()->Load(&holder));
  const std::vector<std::string> reports = boxes_.reports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0], "Error: parameter [Phones.Filename] was not found in [" +
                            inst_.path("config.txt") + "]");
  EXPECT_EQ(reports[1], "Error reading file " + inst_.dir() + "/");
  EXPECT_EQ(holder.GetPhonePool()->PhoneCount(), 0);
}

}  // namespace
