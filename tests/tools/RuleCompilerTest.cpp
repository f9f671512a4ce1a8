// The rule compiler tm_rulec: its output byte for byte, everything it
// refuses, the dump that round-trips, and the installation's Greek rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "support/alphconv.h"
#include "tests/common/TestSupport.h"
#include "tools/rulec/RuleCompiler.h"

namespace {

using testing_support::ReadFile;

class RuleCompilerTest : public testing::Test {
 protected:
  // Compiles source in-process to out.rul; the code, and the errors.
  int Compile(const std::string& source, std::string* errors = nullptr) {
    testing_support::WriteFile(dir_ / "test.src", source);
    std::ostringstream err;
    const int code = rulec::RuleCompiler::compile(dir_ / "test.src", dir_ / "out.rul", err);
    if (errors != nullptr) *errors = err.str();
    return code;
  }

  testing_support::TempDir dir_;
};

TEST_F(RuleCompilerTest, WritesContextsEscapesAndOptionsByteForByte) {
  std::string errors;
  ASSERT_EQ(Compile("\xEF\xBB\xBF# comment\n@output-unknown yes\r\n  \n\\x23 | - | - |  | 1\n"
                    "Σ | =:1:\\s\\|\\:\\0 !=:0-2:αβ | x:: | ς\\\\\\t-\\x41 | 2 | off | counter=-5\n"
                    "Σ | - | - | \\- | 1 | counter=2147483647",
                    &errors),
            0)
      << errors;
  EXPECT_EQ(ReadFile(dir_ / "out.rul"),
            std::string("\x00\x01", 2) + std::string("\x01\x23\0\0\0\0\0\x01\0\0\0\0", 12) +
                std::string("\x00\xD3\x02\x00=\0!=\0"
                            "1\0"
                            "0-2\0 |:\\0\0\xE1\xE2\0\x01\x00x\0\0\0",
                            30) +
                std::string("\xF2\\\t-A\0\x02\xFB\xFF\xFF\xFF", 11) +
                std::string("\x01\xD3\0\0\0\0-\0\x01\xFF\xFF\xFF\x7F", 13));
  // Named sets stand for their characters.
  ASSERT_EQ(Compile("@output-unknown yes\n@set V ae\n@set W $V\\si\na | =:1:x$W\\$ | - | y | 1\n",
                    &errors),
            0)
      << errors;
  EXPECT_EQ(ReadFile(dir_ / "out.rul").substr(2, 16),
            std::string("\001a\001\0=\0001\0xae i$\0", 16));
}

TEST_F(RuleCompilerTest, RefusesWhatTheEngineWouldMisreadAndWritesNothing) {
  const std::string head = "@output-unknown yes\n";
  const std::pair<std::string, std::string> cases[] = {
      {head + "b | - | - | x | 1\na | - | - | y | 1\n",
       ":3: main char 'a' (0x61) follows 'b' (0x62) of line 2"},
      {head + "a | =:3-2:x | - | a | 1\n",
       ":2: BEFORE element 1: repetition '3-2': the minimum is above"},
      {head + "a | =:-1:x | - | a | 1\n", ":2: BEFORE element 1: repetition '-1' is negative"},
      {head + "a | =:0-0:x | - | a | 1\n", ": the maximum must be at least 1"},
      {head, ": no rules: a rule collection needs at least one rule"},
      {"a | - | - | a | 1\n", ": the directive @output-unknown is missing"},
      {head + "@font 0011\na | - | - | a | 1\n", ":2: @font takes exactly 100 hex digits"},
      {head + "a | - | - | x\\x00y | 1\n",
       ":2: TRANSLATION: a string must not contain a zero byte"},
      {head + "a | - | - | x | 0\n", ":2: CHARS must be a number from 1 to 255, not '0'"},
      {head + "ab | - | - | x | 1\n", ":2: MAIN must be exactly one character, found 2"},
      {head + "ő | - | - | x | 1\n", ":2: MAIN: the character 'ő' (U+0151) is not in Windows-1253"},
      {head + "a | - | - | \\q | 1\n", ":2: TRANSLATION: unknown escape \\q"},
      {head + "a | - | - | x y | 1\n",
       ":2: TRANSLATION: a blank or tab inside a field must be written"},
      {head + "a | =:1:x  =:1:y | - | x | 1\n", ":2: BEFORE element 2 is empty"},
      {head + "a | - | - | x\n",
       ":2: a rule needs the fields MAIN | BEFORE | AFTER | TRANSLATION | CHARS"},
      {head + "a | - | - | x | 1 | counter=2147483648\n", ":2: counter must be a whole number"},
      {head + "a | =:1:$V | - | x | 1\n",
       ":2: BEFORE element 1 set: no set named 'V' (write \\$ for a dollar sign)"},
      {head + "@set V a\n@set V b\na | - | - | x | 1\n", ":3: @set V is given twice"},
  };
  ASSERT_EQ(Compile(head + "a | - | - | x | 1\n"), 0);
  const std::string earlier = ReadFile(dir_ / "out.rul");
  for (const auto& [source, message] : cases) {
    std::string errors;
    EXPECT_EQ(Compile(source, &errors), 1) << message;
    EXPECT_EQ(errors.find(dir_ / "test.src" + message.substr(0, message.find(' '))), 0u) << errors;
    EXPECT_NE(errors.find(message), std::string::npos) << errors;
    EXPECT_EQ(ReadFile(dir_ / "out.rul"), earlier);  // a failed compile leaves the output alone
  }
  std::string errors;  // every problem of a source at once
  EXPECT_EQ(
      Compile("b | - | - | x | 0\na | =:3-2:x | - | x | 1\nc | - | - | x | 1\nb | - | - | x | 1\n",
              &errors),
      1);
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 4);
}

TEST_F(RuleCompilerTest, ADumpIsReadableAndCompilesToTheSameBytes) {
  const std::string source =
      "@output-unknown no\n\\x23 | - | - | - | 1\n- | =:0-2:\\s\\:\\0\\\\ | x\\::1:\\:\\| | \\- | "
      "3 | off\n"
      "Σ | !=:1:\\x81 | - | ς:\\x0A | 1 | counter=-7\n\\xFF | - | - | \\xD2 | 255\n";
  ASSERT_EQ(Compile(source), 0);
  const std::string first = ReadFile(dir_ / "out.rul");
  std::ostringstream dumped, err;
  EXPECT_EQ(rulec::RuleCompiler::dump(dir_ / "out.rul", "", dumped, err), 0) << err.str();
  EXPECT_EQ(dumped.str(),
            "# Rule collection written by tm_rulec dump.\n@output-unknown no\n"
            "# MAIN | BEFORE | AFTER | TRANSLATION | CHARS [| off] [| counter=N]\n" +
                source.substr(19));
  ASSERT_EQ(Compile(dumped.str()), 0);
  EXPECT_EQ(ReadFile(dir_ / "out.rul"), first);
}

TEST_F(RuleCompilerTest, TheGreekTextRulesLowerCaseWriteTheFinalSigmaAndMapMarks) {
  CRuleCollection rules(400, 1, 1);  // the build tree's file, written by tm_rulec
  ASSERT_TRUE(rules.loadFromFile(TM_DATA_BUILD_DIR "/rules/gr_text.rul"));
  const std::pair<const char*, const char*> cases[] = {
      {"ΆΈΉΊΌΎΏ", "άέήίόύώ"},
      {"ΣΑΣ, ΕΣΕΙΣ; ΟΧΙ.", "σας, εσεις; οχι ."},
      {"Τι; Ναι? Όχι· ίσως: «ναι» (όχι)...", "τι; ναι; όχι, ίσως, ναι ,όχι,,"},
      // The closing full stop of an abbreviation or an initial is no
      // sentence end; cut right after it, the text converts the same way.
      {"δηλ. κ.λπ. π.χ. Κ. Παπάς.", "δηλ~ κ.λπ~ π.χ~ κ~ παπάς ."},
      {"Ο Γ. Παπάς και ο Α.", "ο γ~ παπάς και ο α~"},
      {"Ήρθε π.χ.", "ήρθε π.χ~"},
      // No-break spaces, tabs, vertical tabs and form feeds are blanks.
      {"καλά\u00a0ναι\tΚ.\u00a0Παπάς\vΟΧΙ\fΣΑΣ\u00a0.", "καλά ναι κ~ παπάς οχι σας  ."},
      {"50% 3€ 1.000.000 1.5", "50 τοις εκατό  3 ευρώ  1000000 1 5"},
      {"Ο ΚΟΣΜΟΣ\nΤΗΣ", "ο κοσμος \n της"},
      {"ΓΙΑΣ-ΣΟΥ 2-1", "γιας σου 2 1"},
      {"σοφόσ είσαι", "σοφός είσαι"},
      {"Hello WORLD 42", "hello world 42"}};
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(platform::Cp1253ToUtf8(rules.convertToString(platform::Utf8ToCp1253(in))), out) << in;
  }
}

}  // namespace
