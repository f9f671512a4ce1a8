// Dumping binary rule files as source, and compiling the dump back.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "tests/tools/RuleCompilerTestSupport.h"
#include "tools/rulec/RuleFileFormat.h"

namespace {

using rulec_test::CompileResult;
using rulec_test::CompileText;
using rulec_test::DumpFile;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// Compiles source, dumps the result, compiles the dump: both binaries must
// be the same bytes.
void ExpectRoundTrip(const std::string& source) {
  TempDir dir;
  const CompileResult first = CompileText(dir, source, "first.rul");
  ASSERT_EQ(first.code, 0) << first.errors;
  int code = -1;
  const std::string dumped = DumpFile(dir / "first.rul", code);
  ASSERT_EQ(code, 0);
  const CompileResult second = CompileText(dir, dumped, "second.rul", "dumped.src");
  ASSERT_EQ(second.code, 0) << second.errors << "\n" << dumped;
  EXPECT_EQ(second.image, first.image) << dumped;
}

}  // namespace

TEST(RuleDump, WritesReadableSource) {
  TempDir dir;
  const CompileResult r = CompileText(dir,
                                      "@output-unknown no\n"
                                      "\\x23 | - | - | - | 1\n"
                                      "- | =:0-2:\\s\\:\\0\\\\ | x\\::1:\\:\\| | \\- | 3 | off\n"
                                      "Σ | !=:1:\\x81 | - | ς:\\x0A | 1 | counter=-7\n");
  ASSERT_EQ(r.code, 0) << r.errors;
  int code = -1;
  EXPECT_EQ(DumpFile(dir / "out.rul", code),
            "# Rule collection written by tm_rulec dump.\n"
            "@output-unknown no\n"
            "# MAIN | BEFORE | AFTER | TRANSLATION | CHARS [| off] [| counter=N]\n"
            "\\x23 | - | - | - | 1\n"
            "- | =:0-2:\\s\\:\\0\\\\ | x\\::1:\\:\\| | \\- | 3 | off\n"
            "Σ | !=:1:\\x81 | - | ς:\\x0A | 1 | counter=-7\n");
  EXPECT_EQ(code, 0);
}

TEST(RuleDump, RoundTripsHandWrittenSources) {
  ExpectRoundTrip("@output-unknown yes\na | - | - | b | 1\n");
  ExpectRoundTrip("@font " + std::string(100, 'F') +
                  "\n@output-unknown no\n\\x00 | - | - | z | 1\n");
  ExpectRoundTrip(
      "@output-unknown yes\n"
      "\\x40 | - | - | \\x5C0 | 1\n"
      "\\\\ | =:1:\\\\\\\\0\\0 | - | \\\\ | 1\n"
      "\\| | - | - | \\| | 1\n"
      "€ | - | - | E | 1\n"
      "\\xA0 | ::\\xAD \\x01\\x7F:1-2:\\t | - | \\s\\s | 2 | counter=1\n"
      "Ώ | - | - | ώ | 1 | off\n"
      "\\xFF | - | - | \\xD2 | 255\n");
  ExpectRoundTrip(ReadFile(std::string(TM_SOURCE_DIR) + "/data/rules/gr_text.src"));
}

// Any rule set the compiler accepts survives dump and compile unchanged.
TEST(RuleDump, RoundTripsRandomRuleSets) {
  std::mt19937 random(20240607);
  const auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const auto text = [&](int maxLength) {
    std::string out(static_cast<std::size_t>(pick(0, maxLength)), ' ');
    for (char& c : out) c = static_cast<char>(pick(1, 255));
    return out;
  };
  const char* repetitions[] = {"", "0", "1", "2", "0-1", "2-5", "10-2147483647"};
  const auto context = [&]() {
    std::vector<rulec::RuleElement> out(static_cast<std::size_t>(pick(0, 3)));
    for (auto& e : out) {
      e.op = pick(0, 3) == 0 ? text(3) : (pick(0, 1) ? "=" : "!=");
      e.repetition = repetitions[pick(0, 6)];
      e.set = text(12);
    }
    return out;
  };
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    rulec::RuleSet set;
    set.fontFlag = static_cast<uint8_t>(pick(0, 1));
    for (uint8_t& b : set.font) b = static_cast<uint8_t>(pick(0, 255));
    if (set.fontFlag == 0) set.font.fill(0);
    set.outputUnknown = static_cast<uint8_t>(pick(0, 1));
    std::vector<int> mains(static_cast<std::size_t>(pick(1, 30)));
    for (int& m : mains) m = pick(0, 255);
    std::sort(mains.begin(), mains.end());
    for (int m : mains) {
      rulec::RuleRecord rule;
      rule.enabled = static_cast<uint8_t>(pick(0, 1));
      rule.mainChar = static_cast<uint8_t>(m);
      rule.before = context();
      rule.after = context();
      rule.translation = text(6);
      rule.charsTranslated = static_cast<uint8_t>(pick(1, 255));
      rule.counter = static_cast<int32_t>(random());
      set.rules.push_back(rule);
    }
    const std::string image = rulec::RuleFileFormat::encode(set);
    TempDir dir;
    WriteFile(dir / "random.rul", image);
    int code = -1;
    const std::string dumped = DumpFile(dir / "random.rul", code);
    ASSERT_EQ(code, 0);
    const CompileResult again = CompileText(dir, dumped, "again.rul", "dumped.src");
    ASSERT_EQ(again.code, 0) << again.errors << "\n" << dumped;
    ASSERT_EQ(again.image, image) << dumped;
  }
}

TEST(RuleDump, DumpsFilesTheCompilerRefuses) {
  std::string image;
  image += '\x05';                   // font flag 5
  image += std::string(50, '\x11');  // font block
  image += '\x07';                   // output unknown 7
  // Enabled 2, '@', a Before element with the repetition 3-2, Translation
  // "-", Chars Translated 0.
  image += std::string(
      "\x02@\x01\x00=\0"
      "3-2\0a\0\x00\x00-\0\x00\x01\x00\x00\x00",
      21);
  // A rule for '#' after the one for '@'.
  image += std::string("\x01#\x00\x00\x00\x00x\0\x01\x00\x00\x00\x00", 13);
  image += "\x01\x41\x01";  // the start of a record cut short by the end of the file
  TempDir dir;
  WriteFile(dir / "odd.rul", image);
  int code = -1;
  std::string errors;
  const std::string dumped = DumpFile(dir / "odd.rul", code, &errors);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(errors,
            dir / "odd.rul" + ": warning: the last 3 bytes are an incomplete rule record\n");
  EXPECT_EQ(dumped,
            "# Rule collection written by tm_rulec dump.\n"
            "# note: the output-unknown byte is 0x07; compiled again it becomes 0x01\n"
            "@output-unknown yes\n"
            "# note: the font flag is 0x05; compiled again it becomes 0x01\n"
            "@font " +
                std::string(50, '1') + std::string(50, '1') +
                "\n"
                "# MAIN | BEFORE | AFTER | TRANSLATION | CHARS [| off] [| counter=N]\n"
                "# note: the Enabled byte of the next rule is 0x02; compiled again it becomes "
                "0x01\n"
                "\\x40 | =:3-2:a | - | \\- | 0 | counter=1\n"
                "\\x23 | - | - | x | 1\n"
                "# note: the file ends with 3 bytes of an incomplete rule record, which the "
                "engine drops\n");

  // Compiling that dump reports what the engine would mis-read.
  const CompileResult r = CompileText(dir, dumped, "odd2.rul", "odd.src");
  EXPECT_EQ(r.code, 1);
  const std::string name = dir / "odd.src";
  EXPECT_EQ(r.errors,
            name + ":8: BEFORE element 1: repetition '3-2': the minimum is above the maximum\n");
  EXPECT_FALSE(r.written);
}

TEST(RuleDump, RefusesAFileThatEndsInsideItsHeader) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ": the file is empty: it has no font flag\n"},
      {std::string("\x01"
                   "abc",
                   4),
       ": the file ends inside its logical font block\n"},
      {std::string("\x00", 1), ": the file ends before its output-unknown byte\n"},
      {"\x01" + std::string(50, 'x'), ": the file ends before its output-unknown byte\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.second);
    TempDir dir;
    WriteFile(dir / "short.rul", c.first);
    int code = -1;
    std::string errors;
    EXPECT_EQ(DumpFile(dir / "short.rul", code, &errors), "");
    EXPECT_EQ(code, 1);
    EXPECT_EQ(errors, dir / "short.rul" + c.second);
  }
  // A header alone is a file without rules: it dumps (and the compiler
  // would refuse the empty collection).
  TempDir dir;
  WriteFile(dir / "empty.rul", std::string("\x00\x01", 2));
  int code = -1;
  EXPECT_EQ(DumpFile(dir / "empty.rul", code),
            "# Rule collection written by tm_rulec dump.\n@output-unknown yes\n"
            "# MAIN | BEFORE | AFTER | TRANSLATION | CHARS [| off] [| counter=N]\n");
  EXPECT_EQ(code, 0);
}

TEST(RuleDump, WritesToAnOutputFile) {
  TempDir dir;
  ASSERT_EQ(CompileText(dir, "@output-unknown yes\nα | - | - | a | 1\n").code, 0);
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(rulec::RuleCompiler::dump(dir / "out.rul", dir / "dump.src", out, err), 0);
  EXPECT_EQ(out.str(), "");
  int code = -1;
  EXPECT_EQ(ReadFile(dir / "dump.src"), DumpFile(dir / "out.rul", code));
  EXPECT_NE(ReadFile(dir / "dump.src").find("α | - | - | a | 1\n"), std::string::npos);

  EXPECT_EQ(rulec::RuleCompiler::dump(dir / "none.rul", "", out, err), 1);
  EXPECT_EQ(err.str().rfind(dir / "none.rul" + ": cannot read the file: ", 0), 0u) << err.str();
}
