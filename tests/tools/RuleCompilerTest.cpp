// The compiler's output byte for byte, and everything it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/tools/RuleCompilerTestSupport.h"
#include "tools/rulec/RuleSourceParser.h"

namespace {

using rulec_test::CompileResult;
using rulec_test::CompileText;
using testing_support::TempDir;

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

}  // namespace

TEST(RuleCompiler, HeaderWithoutFontAndOneRule) {
  TempDir dir;
  const CompileResult r = CompileText(dir, "# comment\n\n@output-unknown no\na | - | - | b | 1\n");
  ASSERT_EQ(r.code, 0) << r.errors;
  EXPECT_EQ(r.errors, "");
  EXPECT_EQ(r.image, Bytes({0x00, 0x00,                 // no font, output unknown 0
                            0x01, 'a', 0x00, 0x00,      // Enabled, Main Char, no Before
                            0x00, 0x00,                 // no After
                            'b', 0x00, 0x01,            // Translation, Chars Translated
                            0x00, 0x00, 0x00, 0x00}));  // Counter
}

TEST(RuleCompiler, HeaderWithFontBlock) {
  std::string hex;
  std::string font;
  for (int k = 0; k < 50; ++k) {
    static const char* digits = "0123456789abcdef";
    const int value = (k * 37 + 5) & 0xFF;
    hex += digits[value >> 4];
    hex += digits[value & 15];
    font += static_cast<char>(value);
  }
  TempDir dir;
  const CompileResult r =
      CompileText(dir, "@font " + hex + "\r\n@output-unknown yes\r\nz | - | - | - | 1\r\n");
  ASSERT_EQ(r.code, 0) << r.errors;
  const std::string expected =
      Bytes({0x01}) + font + Bytes({0x01}) + Bytes({0x01, 'z', 0, 0, 0, 0, 0x00, 0x01, 0, 0, 0, 0});
  EXPECT_EQ(r.image, expected);
}

TEST(RuleCompiler, RuleWithContextsEscapesAndOptions) {
  TempDir dir;
  const std::string source =
      "@output-unknown yes\n"
      "\\x23 | - | - |  | 1\n"
      "Σ | =:1:\\s\\|\\:\\0 !=:0-2:αβ | x:: | ς\\\\\\t-\\x41 | 2 | off | counter=-5\n"
      "Σ | - | - | \\- | 1 | counter=2147483647\n";
  const CompileResult r = CompileText(dir, source);
  ASSERT_EQ(r.code, 0) << r.errors;
  const std::string expected =
      Bytes({0x00, 0x01}) +
      // '#' with an empty Translation
      Bytes({0x01, 0x23, 0, 0, 0, 0, 0x00, 0x01, 0, 0, 0, 0}) +
      // the disabled sigma rule
      Bytes({0x00, 0xD3, 0x02, 0x00}) + std::string("=\0!=\0", 5) + std::string("1\0000-2\0", 6) +
      std::string(" |:\\0\0\xE1\xE2\0", 9) + Bytes({0x01, 0x00}) + std::string("x\0\0\0", 4) +
      std::string("\xF2\\\t-A\0", 6) + Bytes({0x02, 0xFB, 0xFF, 0xFF, 0xFF}) +
      // the second sigma rule keeps its place after the first
      Bytes({0x01, 0xD3, 0, 0, 0, 0, '-', 0x00, 0x01, 0xFF, 0xFF, 0xFF, 0x7F});
  EXPECT_EQ(r.image, expected);
}

TEST(RuleCompiler, NamedSetsStandForTheirCharacters) {
  TempDir dir;
  const CompileResult r = CompileText(dir,
                                      "@output-unknown yes\n@set V ae\n@set W $V\\si\n"
                                      "a | =:1:x$W\\$ | - | y | 1\n");
  ASSERT_EQ(r.code, 0) << r.errors;
  EXPECT_EQ(r.image.substr(2, 16), std::string("\x01"
                                               "a\x01\x00=\0"
                                               "1\0xae i$\0",
                                               16));
}

TEST(RuleCompiler, RepetitionsAsTheEngineReadsThem) {
  for (const char* rep : {"", "0", "1", "07", "2147483647", "0-1", "2-4", "3-3", "0-2147483647"}) {
    std::string why;
    EXPECT_TRUE(rulec::RuleSourceParser::checkRepetition(rep, why)) << rep << ": " << why;
  }
  for (const char* rep : {"-", "-0-2", "1-2-3", " 1"}) {
    std::string why;
    EXPECT_FALSE(rulec::RuleSourceParser::checkRepetition(rep, why)) << rep;
    EXPECT_EQ(why, "repetition '" + std::string(rep) + "' is not a number or a range MIN-MAX");
  }
  TempDir dir;
  const CompileResult r = CompileText(dir, "@output-unknown yes\na | =::x =:0:y | - | a | 1\n");
  ASSERT_EQ(r.code, 0) << r.errors;
  EXPECT_EQ(r.image.substr(2, 15), std::string("\x01"
                                               "a\x02\x00=\0=\0\0"
                                               "0\0x\0y\0",
                                               15));
}

struct Refusal {
  const char* name;
  std::string source;
  std::string message;  // the complete standard error, after "<source path>"
};

TEST(RuleCompiler, RefusesWhatTheEngineWouldMisread) {
  const std::string head = "@output-unknown yes\n";
  const std::vector<Refusal> cases = {
      {"unordered", head + "b | - | - | x | 1\na | - | - | y | 1\n",
       ":3: main char 'a' (0x61) follows 'b' (0x62) of line 2: main chars must be in ascending "
       "Windows-1253 byte order\n"},
      {"greek unordered", head + "α | - | - | a | 1\nΑ | - | - | a | 1\n",
       ":3: main char 'Α' (0xC1) follows 'α' (0xE1) of line 2: main chars must be in ascending "
       "Windows-1253 byte order\n"},
      {"range reversed", head + "a | =:3-2:x | - | a | 1\n",
       ":2: BEFORE element 1: repetition '3-2': the minimum is above the maximum\n"},
      {"negative", head + "a | =:-1:x | - | a | 1\n",
       ":2: BEFORE element 1: repetition '-1' is negative\n"},
      {"not numeric", head + "a | =:one:x | - | a | 1\n",
       ":2: BEFORE element 1: repetition 'one' is not a number or a range MIN-MAX\n"},
      {"too big", head + "a | =:2147483648:x | - | a | 1\n",
       ":2: BEFORE element 1: repetition '2147483648': number above 2147483647\n"},
      {"zero maximum", head + "a | =:0-0:x | - | a | 1\n",
       ":2: BEFORE element 1: repetition '0-0': the maximum must be at least 1\n"},
      {"empty collection", head, ": no rules: a rule collection needs at least one rule\n"},
      {"no output-unknown", "a | - | - | a | 1\n", ": the directive @output-unknown is missing\n"},
      {"output-unknown value", "@output-unknown 1\na | - | - | a | 1\n",
       ":1: @output-unknown takes yes or no, not '1'\n"},
      {"font short", head + "@font 0011\na | - | - | a | 1\n",
       ":2: @font takes exactly 100 hex digits (50 bytes), found 4 characters\n"},
      {"unknown directive", head + "@fonts 00\na | - | - | a | 1\n",
       ":2: unknown directive @fonts\n"},
      {"zero in translation", head + "a | - | - | x\\x00y | 1\n",
       ":2: TRANSLATION: a string must not contain a zero byte\n"},
      {"chars 0", head + "a | - | - | x | 0\n",
       ":2: CHARS must be a number from 1 to 255, not '0'\n"},
      {"main two", head + "ab | - | - | x | 1\n",
       ":2: MAIN must be exactly one character, found 2\n"},
      {"main boundary", head + "\\0 | - | - | x | 1\n",
       ":2: MAIN must be exactly one character, found 2\n"},
      {"not in code page", head + "ő | - | - | x | 1\n",
       ":2: MAIN: the character 'ő' (U+0151) is not in Windows-1253\n"},
      {"malformed utf8", head + "a | - | - | \xFF | 1\n", ":2: TRANSLATION: malformed UTF-8\n"},
      {"unknown escape", head + "a | - | - | \\q | 1\n", ":2: TRANSLATION: unknown escape \\q\n"},
      {"raw blank", head + "a | - | - | x y | 1\n",
       ":2: TRANSLATION: a blank or tab inside a field must be written \\s or \\t\n"},
      {"raw bar", head + "a | =:1:x|y | - | x | 1\n",
       ":2: BEFORE element 1 set: a bar inside a field must be written \\|\n"},
      {"double blank", head + "a | =:1:x  =:1:y | - | x | 1\n",
       ":2: BEFORE element 2 is empty (elements are separated by single blanks)\n"},
      {"empty context", head + "a |  | - | x | 1\n", ":2: BEFORE: write - for an empty context\n"},
      {"few fields", head + "a | - | - | x\n",
       ":2: a rule needs the fields MAIN | BEFORE | AFTER | TRANSLATION | CHARS, found 4\n"},
      {"unknown option", head + "a | - | - | x | 1 | on\n",
       ":2: unknown option 'on' (off or counter=N)\n"},
      {"unknown set", head + "a | =:1:$V | - | x | 1\n",
       ":2: BEFORE element 1 set: no set named 'V' (write \\$ for a dollar sign)\n"},
      {"set twice", head + "@set V a\n@set V b\na | - | - | x | 1\n",
       ":3: @set V is given twice\n"},
      {"counter range", head + "a | - | - | x | 1 | counter=2147483648\n",
       ":2: counter must be a whole number from -2147483648 to 2147483647, not '2147483648'\n"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const CompileResult r = CompileText(dir, c.source);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.errors, dir / "test.src" + c.message);
    EXPECT_FALSE(r.written);
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"test.src"});
  }
}

TEST(RuleCompiler, ReportsEveryProblemOfASource) {
  TempDir dir;
  const CompileResult r = CompileText(dir,
                                      "b | - | - | x | 0\n"
                                      "a | =:3-2:x | - | x | 1\n"
                                      "c | - | - | x | 1\n"
                                      "b | - | - | x | 1\n");
  EXPECT_EQ(r.code, 1);
  const std::string name = dir / "test.src";
  EXPECT_EQ(r.errors, name + ":1: CHARS must be a number from 1 to 255, not '0'\n" + name +
                          ":2: BEFORE element 1: repetition '3-2': the minimum is above the "
                          "maximum\n" +
                          name + ": the directive @output-unknown is missing\n" + name +
                          ":4: main char 'b' (0x62) follows 'c' (0x63) of line 3: main chars "
                          "must be in ascending Windows-1253 byte order\n");
  EXPECT_FALSE(r.written);
}

TEST(RuleCompiler, RefusesMoreThan65535ContextElements) {
  std::string many;
  for (int k = 0; k < 65536; ++k) many += k == 0 ? "=:1:x" : " =:1:x";
  TempDir dir;
  CompileResult r = CompileText(dir, "@output-unknown yes\na | - | " + many + " | x | 1\n");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.errors, dir / "test.src" +
                          ":2: AFTER: 65536 elements, more than the 65535 a context can hold\n");
  EXPECT_FALSE(r.written);

  // 65535 elements fit: the count field holds FF FF.
  many.erase(0, 6);
  r = CompileText(dir, "@output-unknown yes\na | " + many + " | - | x | 1\n");
  ASSERT_EQ(r.code, 0) << r.errors.substr(0, 200);
  EXPECT_EQ(r.image.substr(4, 2), "\xFF\xFF");
  EXPECT_EQ(r.image.size(), 2u + 2 + 2 + 65535u * 6 + 2 + 2 + 1 + 4);
}

TEST(RuleCompiler, RefusesAnOutputNameWithAHyphen) {
  TempDir dir;
  const std::filesystem::path sub = std::filesystem::path(dir.path()) / "a-dir";
  std::filesystem::create_directory(sub);
  // A hyphen in the folder is fine; only the file name counts.
  CompileResult r = CompileText(dir, "@output-unknown yes\na | - | - | x | 1\n", "a-dir/ok.rul");
  EXPECT_EQ(r.code, 0) << r.errors;
  r = CompileText(dir, "@output-unknown yes\na | - | - | x | 1\n", "a-dir/greek-normal.rul");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.errors, dir / "a-dir/greek-normal.rul" +
                          ": the file name must not contain '-' (the engine splits lists of "
                          "rule collections at '-')\n");
  EXPECT_FALSE(r.written);
}

TEST(RuleCompiler, AFailedCompileLeavesAnEarlierOutputAlone) {
  TempDir dir;
  const CompileResult good = CompileText(dir, "@output-unknown yes\na | - | - | x | 1\n");
  ASSERT_EQ(good.code, 0);
  const CompileResult bad = CompileText(dir, "@output-unknown yes\na | - | - | x | 0\n");
  EXPECT_EQ(bad.code, 1);
  EXPECT_EQ(bad.image, good.image);
  std::vector<std::string> files = FilesIn(dir.path());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"out.rul", "test.src"}));
}

TEST(RuleCompiler, UnwritableOutputLeavesNothing) {
  TempDir dir;
  const CompileResult r =
      CompileText(dir, "@output-unknown yes\na | - | - | x | 1\n", "missing/out.rul");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.errors.find(dir / "missing/out.rul" + ": cannot create a temporary file"),
            std::string::npos)
      << r.errors;
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"test.src"});
}

TEST(RuleCompiler, ByteOrderMarkAndBlankLinesAreSkipped) {
  TempDir dir;
  const CompileResult r =
      CompileText(dir, "\xEF\xBB\xBF@output-unknown yes\n   \n\t\n#x | y\nΩ | - | - | ω | 1");
  ASSERT_EQ(r.code, 0) << r.errors;
  EXPECT_EQ(r.image, Bytes({0x00, 0x01, 0x01, 0xD9, 0, 0, 0, 0, 0xF9, 0, 1, 0, 0, 0, 0}));
}
