// Compiled rule files loaded by the engine's CRuleCollection: the fields it
// reads, and conversions of Greek text through them.
#include <gtest/gtest.h>

#include <string>

#include "platform/Codepage.h"
#include "support/alphconv.h"
#include "tests/tools/RuleCompilerTestSupport.h"

namespace {

using rulec_test::CompileResult;
using rulec_test::CompileText;
using testing_support::ReadFile;
using testing_support::TempDir;

const std::string kGreekText = std::string(TM_SOURCE_DIR) + "/data/rules/gr_text.src";

// Converts UTF-8 text through a loaded collection and gives UTF-8 back.
std::string Convert(CRuleCollection& rules, const std::string& utf8) {
  const std::string text = platform::Utf8ToCp1253(utf8);
  const char* result = rules.convert(text.c_str(), static_cast<int>(text.size()) + 1, -1);
  return platform::Cp1253ToUtf8(result != nullptr ? result : "");
}

}  // namespace

TEST(CompiledRules, LoadGivesTheSourceFields) {
  std::string hex;
  for (int k = 0; k < 50; ++k) hex += k % 2 ? "A5" : "3c";
  TempDir dir;
  const CompileResult r = CompileText(dir,
                                      "@output-unknown no\n"
                                      "@font " +
                                          hex +
                                          "\n"
                                          "ο | !=:1:\\0 =:0-2:αβ | x:: | ου\\s | 2 | counter=41\n"
                                          "ο | - | - | o | 1 | off\n");
  ASSERT_EQ(r.code, 0) << r.errors;
  CRuleCollection rules(400, 1, 1);
  ASSERT_TRUE(rules.loadFromFile(dir / "out.rul")) << rules.error().getErrorTextRef();
  EXPECT_EQ(rules.fontPresent(), 1);
  for (int k = 0; k < 50; ++k) {
    EXPECT_EQ(static_cast<unsigned char>(rules.logicalFont()[k]), k % 2 ? 0xA5 : 0x3C);
  }
  EXPECT_FALSE(rules.outputUnknown());
  ASSERT_EQ(rules.rules().size(), 2u);
  const CRule& first = rules.rules()[0];
  EXPECT_EQ(first.enabled(), 1);
  EXPECT_EQ(first.mainChar(), 0xEF);
  EXPECT_EQ(first.before().operators, (std::vector<std::string>{"!=", "="}));
  EXPECT_EQ(first.before().repetitions, (std::vector<std::string>{"1", "0-2"}));
  EXPECT_EQ(first.before().characterSets, (std::vector<std::string>{"\\0", "\xE1\xE2"}));
  EXPECT_EQ(first.after().operators, std::vector<std::string>{"x"});
  EXPECT_EQ(first.translation(), "\xEF\xF5 ");
  EXPECT_EQ(first.charsTranslated(), 2);
  EXPECT_EQ(first.counter(), 41);
  EXPECT_EQ(rules.rules()[1].enabled(), 0);
  EXPECT_TRUE(rules.rules()[1].after().empty());
}

TEST(CompiledRules, ConvertsGreekTextWithContexts) {
  // A small transcription: ου is u, a sigma is s, other letters one by one;
  // characters without a rule are dropped.
  TempDir dir;
  const CompileResult r = CompileText(dir,
                                      "@output-unknown no\n"
                                      "α | - | - | a | 1\n"
                                      "ν | - | - | n | 1\n"
                                      "ο | - | =:1:υ | u | 2\n"
                                      "ο | - | - | o | 1\n"
                                      "ρ | - | - | r | 1\n"
                                      "ς | - | - | s | 1\n"
                                      "σ | - | - | s | 1\n"
                                      "υ | - | - | y | 1\n"
                                      "ό | - | - | o | 1\n");
  ASSERT_EQ(r.code, 0) << r.errors;
  CRuleCollection rules(400, 1, 1);
  ASSERT_TRUE(rules.loadFromFile(dir / "out.rul")) << rules.error().getErrorTextRef();
  const std::pair<const char*, const char*> cases[] = {
      {"ουρανός", "uranos"}, {"ουρανός!", "uranos"}, {"νόσος", "nosos"},
      {"υο", "yo"},          {"οου", "ou"},
  };
  for (const auto& c : cases) EXPECT_EQ(Convert(rules, c.first), c.second) << c.first;
  // ο became u three times (in ουρανός twice and in οου once).
  EXPECT_EQ(rules.rules()[2].counter(), 3);
}

class GreekText : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ostringstream err;
    ASSERT_EQ(rulec::RuleCompiler::compile(kGreekText, dir_ / "gr_text.rul", err), 0) << err.str();
    ASSERT_TRUE(rules_.loadFromFile(dir_ / "gr_text.rul")) << rules_.error().getErrorTextRef();
  }
  TempDir dir_;
  CRuleCollection rules_{400, 1, 1};
};

TEST_F(GreekText, LowersCaseWritesTheFinalSigmaAndMapsMarks) {
  const std::pair<const char*, const char*> cases[] = {
      {"ΚΑΛΗΜΕΡΑ ΣΑΣ", "καλημερα σας"},
      {"Άλλος", "άλλος"},
      {"ΆΈΉΊΌΎΏ", "άέήίόύώ"},
      {"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΤΥΦΧΨΩ", "αβγδεζηθικλμνξοπρτυφχψω"},
      {"ΔΙΑΪΣΤΙΚΟΣ", "διαϊστικος"},
      {"ΣΑΣ, ΕΣΕΙΣ; ΟΧΙ.", "σας, εσεις; οχι ."},
      {"Τι; Ναι? Όχι· ίσως: «ναι» (όχι)...", "τι; ναι; όχι, ίσως, ναι ,όχι,,"},
      {"δηλ. κ.λπ. π.χ. Κ. Παπάς.", "δηλ. κ.λπ. π.χ. κ. παπάς ."},
      {"50% 3€ 1.000.000 1.5", "50 τοις εκατό  3 ευρώ  1000000 1 5"},
      {"Ο ΚΟΣΜΟΣ\nΤΗΣ", "ο κοσμος \n της"},
      {"ΓΙΑΣ-ΣΟΥ 2-1", "γιας σου 2 1"},
      {"σοφόσ είσαι", "σοφός είσαι"},
      {"Σ Α", "σ α"},
      {"ΣΣ", "σς"},
      {"Hello WORLD 42", "hello world 42"},
      {"ΐΰ", "ΐΰ"},
  };
  for (const auto& c : cases) EXPECT_EQ(Convert(rules_, c.first), c.second) << c.first;
}

TEST_F(GreekText, BuildTreeFileIsTheCompiledSource) {
  const std::string built = std::string(TM_DATA_BUILD_DIR) + "/rules/gr_text.rul";
  ASSERT_TRUE(testing_support::FileExists(built));
  EXPECT_EQ(ReadFile(built), ReadFile(dir_ / "gr_text.rul"));
  EXPECT_TRUE(rules_.outputUnknown());
  for (std::size_t k = 1; k < rules_.rules().size(); ++k) {
    EXPECT_LE(rules_.rules()[k - 1].mainChar(), rules_.rules()[k].mainChar());
  }
}
