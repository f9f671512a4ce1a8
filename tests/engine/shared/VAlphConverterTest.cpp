#include "engine/shared/VAlphConverter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/shared/TMShared.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/InstallationBuilder.h"

namespace {

using testing_support::InstallationBuilder;
using testing_support::MessageRecorder;
using testing_support::TestInstallation;

class VAlphConverterTest : public testing::Test {
 protected:
  TestInstallation inst_;
  MessageRecorder boxes_;
  InstallationBuilder files_{inst_.dir()};
  TMShared holder_;
  VAlphConverter converter_;

  void SetUp() override {
    files_.Text("config.txt", "AC.Directory=rules\nAC.Suffix=.rul\n");
    // a-f to capitals; A doubled; the terminating zero to '!'.
    files_.Rules("rules/up.rul", testing_support::UpperRules());
    files_.Rules("rules/dbl.rul", "@output-unknown yes\nA | - | - | AA | 1\n");
    files_.Rules("rules/zero.rul", "@output-unknown yes\n\\x00 | - | - | ! | 1\n");
    ASSERT_EQ(holder_.GetConfiguration()->Load(inst_.path("config.txt")), 1);
    ASSERT_TRUE(holder_.GetAC()->Load(&holder_));
  }
  void TearDown() override { holder_.GetAC()->Unload(); }

  const CRuleCollection* Pool(const char* name) { return holder_.GetAC()->Find(name); }

  // The converter's result as a string ("<null>" for none), released.
  std::string Converted(const char* text, int length) {
    char* result = nullptr;
    EXPECT_EQ(converter_.Convert(text, length, &result), 1);
    std::string out = result != nullptr ? result : "<null>";
    VStr::Release(&result);
    return out;
  }
  std::string ConvertedString(const char* text) {
    char* result = nullptr;
    EXPECT_EQ(converter_.ConvertString(text, &result), 1);
    std::string out = result != nullptr ? result : "<null>";
    VStr::Release(&result);
    return out;
  }
};

TEST_F(VAlphConverterTest, NamesAreSplitAtHyphensAndNewlinesUpToTheFirstEmptyOne) {
  const CRuleCollection* up = Pool("up.rul");
  const CRuleCollection* dbl = Pool("dbl.rul");
  const struct {
    const char* names;
    std::vector<const CRuleCollection*> list;
  } cases[] = {
      {"", {}},
      {"up.rul", {up}},
      {"up.rul-dbl.rul\nup.rul", {up, dbl, up}},
      {"up.rul-dbl.rul-", {up, dbl}},
      {"up.rul--dbl.rul", {up}},
      {"-up.rul", {}},
      {"dbl.rul-dbl.rul", {dbl, dbl}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(converter_.ReferToRuleCollections(c.names, &holder_), 1) << c.names;
    EXPECT_EQ(converter_.Collections(), c.list) << c.names;
  }
  EXPECT_EQ(converter_.ReferToRuleCollections(nullptr, &holder_), 1);
  EXPECT_TRUE(converter_.Collections().empty());
  EXPECT_TRUE(boxes_.messages().empty());
  // Referring again rebuilds the list; clearing empties it.
  converter_.ReferToRuleCollections("up.rul-dbl.rul", &holder_);
  converter_.ReferToRuleCollections("dbl.rul", &holder_);
  EXPECT_EQ(converter_.Collections(), std::vector<const CRuleCollection*>{dbl});
  EXPECT_EQ(converter_.ClearRuleCollections(), 1);
  EXPECT_EQ(Converted("abc", 4), "<null>");
}

TEST_F(VAlphConverterTest, AMissingNameIsReportedAndEndsTheList) {
  EXPECT_EQ(converter_.ReferToRuleCollections("up.rul-x.rul-dbl.rul", &holder_), -1);
  EXPECT_EQ(converter_.Collections(), std::vector<const CRuleCollection*>{Pool("up.rul")});
  ASSERT_EQ(boxes_.messages().size(), 1u);
  const std::string report = boxes_.messages()[0].second.substr(15);
  const std::string place = "engine/shared/VAlphConverter.cpp:66\n\tx.rul";
  ASSERT_GE(report.size(), place.size());
  EXPECT_EQ(report.substr(report.size() - place.size()), place) << report;
  // Names are the full file names, suffix and case included.
  boxes_.clear();
  EXPECT_EQ(converter_.ReferToRuleCollections("up", &holder_), -1);
  EXPECT_EQ(converter_.ReferToRuleCollections("UP.rul", &holder_), -1);
  EXPECT_TRUE(converter_.Collections().empty());
  EXPECT_EQ(boxes_.messages().size(), 2u);
  // So is a null holder.
  boxes_.clear();
  EXPECT_EQ(converter_.ReferToRuleCollections("up.rul", nullptr), -1);
  EXPECT_EQ(boxes_.reports(), std::vector<std::string>{"VAlphConverter::ReferToRuleCollections"});
}

TEST_F(VAlphConverterTest, EachCollectionConvertsTheOutputOfTheOneBefore) {
  const struct {
    const char* names;
    const char* text;
    int length;  // -2: ConvertString
    const char* result;
  } cases[] = {
      {"up.rul", "abcxyz", -2, "ABCxyz"},
      {"up.rul-dbl.rul", "abcxyz", -2, "AABCxyz"},
      {"dbl.rul-up.rul", "abcxyz", -2, "ABCxyz"},  // dbl sees no capital A
      {"dbl.rul-dbl.rul", "A", -2, "AAAA"},
      {"up.rul", "abcdef", 3, "ABC"},
      {"up.rul-dbl.rul", "abcdef", 3, "AABC"},

      // The terminating zero is converted when counted, by the first
      // collection only: later ones convert up to it.
      {"zero.rul", "ab", -2, "ab!"},
      {"zero.rul", "ab", 2, "ab"},
      {"zero.rul-zero.rul", "ab", -2, "ab!"},
      {"up.rul", nullptr, -2, ""},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(converter_.ReferToRuleCollections(c.names, &holder_), 1) << c.names;
    const std::string result =
        c.length == -2 ? ConvertedString(c.text) : Converted(c.text, c.length);
    EXPECT_EQ(result, c.result) << c.names << " " << (c.text ? c.text : "(null)");
  }
}

TEST_F(VAlphConverterTest, ConvertStringEqualsTheCollectionsOwnConversion) {
  const char* text = "a bad face, deaf cafe";
  converter_.ReferToRuleCollections("up.rul", &holder_);
  EXPECT_EQ(ConvertedString(text), Pool("up.rul")->convertToString(text));
  converter_.ReferToRuleCollections("up.rul-dbl.rul", &holder_);
  EXPECT_EQ(ConvertedString(text),
            Pool("dbl.rul")->convertToString(Pool("up.rul")->convertToString(text)));
}

TEST_F(VAlphConverterTest, ALengthBeyondTheTextIsClamped) {
  converter_.ReferToRuleCollections("zero.rul", &holder_);
  // At most the characters and the terminating zero are converted, whatever
  // length says: nothing beyond the text is read.
  const std::string text = "ab";
  EXPECT_EQ(Converted(text.c_str(), 3), "ab!");
  EXPECT_EQ(Converted(text.c_str(), 1000000), "ab!");
  converter_.ReferToRuleCollections("up.rul", &holder_);
  EXPECT_EQ(Converted("abc", 1000), "ABC");
  // A negative length converts the whole text.
  EXPECT_EQ(Converted("abc", -1), "ABC");
}

TEST_F(VAlphConverterTest, TheCallersTextIsUnchangedAndTheResultIsANewBlock) {
  converter_.ReferToRuleCollections("dbl.rul", &holder_);
  char text[] = "xyz";
  char* result = nullptr;
  converter_.ConvertString(text, &result);
  ASSERT_NE(result, nullptr);
  EXPECT_NE(result, text);
  EXPECT_STREQ(result, "xyz");
  EXPECT_STREQ(text, "xyz");
  char* second = nullptr;
  converter_.ConvertString(text, &second);
  EXPECT_NE(second, result);  // each conversion hands out a block of its own
  VStr::Release(&result);
  VStr::Release(&second);
}

}  // namespace
