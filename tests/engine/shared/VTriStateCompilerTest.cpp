#include "engine/shared/VTriStateCompiler.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "engine/base/Log.h"
#include "engine/shared/TMShared.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/InstallationBuilder.h"

namespace {

using testing_support::InstallationBuilder;
using testing_support::MessageRecorder;
using testing_support::ReadLines;
using testing_support::TestInstallation;

class VTriStateCompilerTest : public testing::Test {
 protected:
  TestInstallation inst_;
  MessageRecorder boxes_;
  InstallationBuilder files_{inst_.dir()};
  TMShared holder_;
  VTriStateCompiler rules_;

  void SetUp() override {
    Log::EnableErrors();
    // A small phone table: a and e vowels (e's vowel feature written 1.0),
    // k a stop, s without a vowel feature, '.' a break.
    VSR_PhonePool& phones = *holder_.GetPhonePool();
    for (const char* name : {"symbol", "vowel", "stop", "break"}) phones.AddFeatureName(name);
    const struct {
      char symbol;
      const char* vowel;
      const char* stop;
      const char* brk;
    } rows[] = {{'a', "1", "0", "0"},
                {'e', "1.0", "0", "0"},
                {'k', "0", "1", "0"},
                {'s', "", "0", "0"},
                {'.', "0", "0", "1"}};
    for (const auto& row : rows) {
      phones.AddPhone(row.symbol);
      phones.SetFeature("symbol", std::string(1, row.symbol).c_str());
      phones.SetFeature("vowel", row.vowel);
      phones.SetFeature("stop", row.stop);
      phones.SetFeature("break", row.brk);
    }
    rules_.SetHolder(&holder_);
  }

  // Writes the rule lines as a rule file with tm_scramble's writer and
  // loads it.
  void Load(const std::vector<std::string>& lines) {
    files_.Scrambled("rules.3st", lines, VTriStateCompiler::kRecordSize);
    EXPECT_TRUE(rules_.Load(inst_.path("rules.3st")));
  }

  std::vector<std::string> ErrorLines() const {
    std::vector<std::string> errors;
    for (const std::string& line : testing_support::ErrorLines(inst_.path("log.txt"))) {
      errors.push_back(line.substr(11));
    }
    return errors;
  }
};

TEST_F(VTriStateCompilerTest, TheFirstRuleThatHoldsWins) {
  Load({"[*][vowel:1][*]:0.12", "[*][vowel:1][stop:1]:0.2"});
  EXPECT_FLOAT_EQ(rules_.Lookup('.', 'a', 'k'), 1.2f);
  EXPECT_FLOAT_EQ(rules_.Lookup('.', 'a', '.'), 1.2f);
}

TEST_F(VTriStateCompilerTest, TheFactorIsTheValueTimesTen) {
  const struct {
    const char* value;
    float factor;
  } cases[] = {{"1.5", 15.0f}, {"0.1", 1.0f}, {"nothing", 0.0f}, {"-0.05", -0.5f}, {" 0.3", 3.0f}};
  for (const auto& c : cases) {
    VTriStateCompiler rules;
    rules.SetHolder(&holder_);
    ASSERT_TRUE(rules.AddRuleLine(std::string("[*][*][*]:") + c.value)) << c.value;
    EXPECT_FLOAT_EQ(rules.Lookup('a', 'a', 'a'), c.factor) << c.value;
  }
}

TEST_F(VTriStateCompilerTest, WithoutAHoldingRuleTheFactorIsExactlyOne) {
  EXPECT_EQ(rules_.Lookup('a', 'k', 'a'), 1.0f);
  Load({"[*][stop:1][*]:0.5"});
  EXPECT_EQ(rules_.Lookup('k', 'a', 'k'), 1.0f);
  EXPECT_FLOAT_EQ(rules_.Lookup('a', 'k', 'a'), 5.0f);
  // A missing file is reported and gives no rules.
  VTriStateCompiler none;
  none.SetHolder(&holder_);
  EXPECT_TRUE(none.Load(inst_.path("absent.3st")));
  EXPECT_EQ(boxes_.reports(),
            std::vector<std::string>{"Error reading file " + inst_.path("absent.3st")});
  EXPECT_EQ(none.Lookup('a', 'a', 'a'), 1.0f);
}

TEST_F(VTriStateCompilerTest, GroupsCompareFeatureTextsExactly) {
  Load({"[*][vowel:1][*:anything]:0.2", "[*][vowel:][*]:0.3"});
  EXPECT_FLOAT_EQ(rules_.Lookup('k', 'a', 'k'), 2.0f);
  // 1.0 is not 1, and a missing or empty feature never holds.
  EXPECT_EQ(rules_.Lookup('k', 'e', 'k'), 1.0f);
  EXPECT_EQ(rules_.Lookup('k', 's', 'k'), 1.0f);
  EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(VTriStateCompilerTest, UnknownSymbolsFailTheirGroupWithALogLine) {
  Load({"[*][vowel:1][*]:0.2", "[vowel:1][stop:1][*]:0.3"});
  // The current group holds and the left one is "*": no question asked.
  EXPECT_FLOAT_EQ(rules_.Lookup('?', 'a', '?'), 2.0f);
  EXPECT_TRUE(ErrorLines().empty());
  // The second rule's current group holds, its left group asks for '?'.
  EXPECT_EQ(rules_.Lookup('?', 'k', '.'), 1.0f);
  EXPECT_EQ(ErrorLines(),
            std::vector<std::string>{"VSR_PhonePool::detailedPhoneFeature@phone [?] not found"});
  // An unknown current symbol fails both rules: one line per rule asked.
  EXPECT_EQ(rules_.Lookup('a', '?', 'a'), 1.0f);
  EXPECT_EQ(ErrorLines().size(), 3u);
  // Factors kept for a run: a known triple is worked out once; one with an
  // unknown symbol is asked, and logged, every time.
  VTriStateCompiler::Factors factors;
  for (int round = 0; round < 2; ++round) {
    EXPECT_FLOAT_EQ(rules_.Lookup('.', 'a', 'k', factors), 2.0f);
    EXPECT_EQ(rules_.Lookup('a', '?', 'a', factors), 1.0f);
  }
  EXPECT_EQ(factors.size(), 1u);
  EXPECT_EQ(ErrorLines().size(), 7u);
}

TEST_F(VTriStateCompilerTest, LinesNotInTheRuleFormAreSkippedWithOneLogLinePerFile) {
  Load({"[*][vowel:1]:0.5", "no groups at all", "[*][vowel][*]:0.5", "[*][vowel:1][*]0.5",
        "[*][vowel:1][*]:0.2", "", "[*][stop:1][*]:0.3"});
  ASSERT_EQ(rules_.Rules().size(), 2u);
  EXPECT_FLOAT_EQ(rules_.Lookup('k', 'a', 'k'), 2.0f);
  EXPECT_FLOAT_EQ(rules_.Lookup('a', 'k', 'a'), 3.0f);
  const std::vector<std::string> errors = ErrorLines();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0],
            "VTriStateCompiler::Load(const std::string& path)@4 line(s) not in the "
            "rule form skipped in [" +
                inst_.path("rules.3st") + "]");
  EXPECT_TRUE(boxes_.messages().empty());
}

TEST_F(VTriStateCompilerTest, ANullHolderGivesTheNeutralFactor) {
  Load({"[*][*][*]:0.5", "[*][vowel:1][*]:0.2"});
  VTriStateCompiler rules;
  ASSERT_TRUE(rules.AddRuleLine("[*][*][*]:0.5"));
  ASSERT_TRUE(rules.AddRuleLine("[*][vowel:1][*]:0.2"));
  EXPECT_EQ(rules.Lookup('a', 'a', 'a'), 1.0f);
  EXPECT_EQ(rules.Lookup('?', '?', '?'), 1.0f);
  EXPECT_TRUE(ErrorLines().empty());
  // The same rules with the holder answer.
  EXPECT_FLOAT_EQ(rules_.Lookup('a', 'a', 'a'), 5.0f);
}

TEST_F(VTriStateCompilerTest, ValuesParseWithADecimalPointUnderAnyLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed";
  }
  Load({"[*][vowel:1][*]:0.15", "[*][stop:1][*]:0,25"});
  const float vowel = rules_.Lookup('k', 'a', 'k');
  const float stop = rules_.Lookup('a', 'k', 'a');
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_FLOAT_EQ(vowel, 1.5f);
  // A comma is no decimal point in the data, whatever the locale says.
  EXPECT_FLOAT_EQ(stop, 0.0f);
}

TEST_F(VTriStateCompilerTest, ThePhoneTableOfARealInstallationAnswers) {
  // The installation's Greek phone table, compiled by tm_phonetable.
  files_.Text("config.txt", "Phones.Filename=phones/greek.phn\n");
  files_.PhoneTable("phones/greek.phn");
  TMShared holder;
  ASSERT_EQ(holder.GetConfiguration()->Load(inst_.path("config.txt")), 1);
  ASSERT_TRUE(holder.GetPhonePool()->Load(&holder));
  VTriStateCompiler rules;
  rules.SetHolder(&holder);
  ASSERT_TRUE(rules.AddRuleLine("[*][stressed:1][break:1]:0.16"));
  ASSERT_TRUE(rules.AddRuleLine("[*][vowel:1][*]:0.12"));
  ASSERT_TRUE(rules.AddRuleLine("[manner:pause][manner:stop][*]:0.08"));
  EXPECT_FLOAT_EQ(rules.Lookup('k', 'A', '.'), 1.6f);
  EXPECT_FLOAT_EQ(rules.Lookup('k', 'A', 'l'), 1.2f);
  EXPECT_FLOAT_EQ(rules.Lookup('_', 't', 'a'), 0.8f);
  EXPECT_EQ(rules.Lookup('a', 't', 'a'), 1.0f);
  EXPECT_TRUE(boxes_.messages().empty());
}

}  // namespace
