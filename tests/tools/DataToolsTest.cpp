// The record writer tm_scramble and the phone-table compiler tm_phonetable:
// records read back through the engine's reader; refusals name their line.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/shared/VDataFile.h"
#include "platform/Codepage.h"
#include "tests/common/Installation.h"
#include "tools/phonetable/PhoneTableSource.h"
#include "tools/scramble/DataFileWriter.h"
#include "tools/scramble/ScrambleTool.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFile;
using testing_support::WriteFile;

struct Result {
  int code;
  std::string out, err;
};
using Tool = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);
Result Call(Tool tool, const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = tool(args, out, err);
  return {code, out.str(), err.str()};
}

class DataToolsTest : public testing::Test {
 protected:
  // Every record of a data file, read by the engine's reader.
  std::vector<std::string> ReadBack(const std::string& path, int size) {
    std::vector<std::string> texts;
    std::ifstream in;
    EXPECT_TRUE(VLib::OpenDataFile(path.c_str(), in, true));
    char* out = nullptr;
    while (VLib::ReadDataEntry(in, size, &out, true, path)) texts.emplace_back(out);
    VStr::Release(&out);
    return texts;
  }

  testing_support::Installation inst_;
};

TEST_F(DataToolsTest, WrittenRecordsReadBackAndTheDumpGivesTheSource) {
  const std::string text =
      "plain\nΕλληνικό: άέ ΆΈ ϊΐ\na\tb\t\n\nline\\nfeed \\\\ return\\r.\n€ « ©\n";
  WriteFile("text.src", text + "last line without a line feed");
  for (const int size : {500, 400, 120}) {
    ASSERT_EQ(Call(scramble::Run, {"write", "text.src", "text.dat", std::to_string(size)}).code, 0);
    EXPECT_EQ(
        ReadBack("text.dat", size),
        (std::vector<std::string>{"plain", platform::Utf8ToCp1253("Ελληνικό: άέ ΆΈ ϊΐ"), "a\tb\t",
                                  "", "line\nfeed \\ return\r.", platform::Utf8ToCp1253("€ « ©"),
                                  "last line without a line feed"}));
  }
  EXPECT_EQ(Call(scramble::Run, {"dump", "text.dat", "120"}).out,
            text + "last line without a line feed\n");
  WriteFile("broken.dat",
            ReadFile("text.dat").substr(0, 120) + std::string(120, 'z') + std::string(10, '\0'));
  const Result broken = Call(scramble::Run, {"dump", "broken.dat", "120"});
  EXPECT_EQ(broken.code, scramble::kExitRefused);
  EXPECT_EQ(broken.out, "plain\n");
  EXPECT_EQ(broken.err, "broken.dat:2: malformed entry\nbroken.dat:3: short record of 10 bytes\n");
}

TEST_F(DataToolsTest, ATextThatDoesNotFitOrIsNotInTheCodePageIsRefusedWithItsLine) {
  for (const auto& [size, longest] : {std::pair{500, 482}, {400, 382}, {120, 102}}) {
    EXPECT_EQ(scramble::MaxTextLength(size), longest);
    WriteFile("longest.src", std::string(longest, 'x') + "\n");
    EXPECT_EQ(
        Call(scramble::Run, {"write", "longest.src", "longest.dat", std::to_string(size)}).code, 0);
    WriteFile("fit.src", std::string(longest, 'x') + "\n" + std::string(longest + 1, 'y') + "\n");
    const Result r = Call(scramble::Run, {"write", "fit.src", "fit.dat", std::to_string(size)});
    EXPECT_EQ(r.err, "fit.src:2: text of " + std::to_string(longest + 1) +
                         " bytes does not fit a record of " + std::to_string(size) +
                         " bytes (at most " + std::to_string(longest) + ")\n");
  }
  WriteFile("bad.src", "fine\nCyrillic ж\nbroken \xC3( here\nan \\q escape\nends with \\\n");
  const Result r = Call(scramble::Run, {"write", "bad.src", "bad.dat", "500"});
  EXPECT_EQ(r.code, scramble::kExitRefused);
  EXPECT_EQ(r.err,
            "bad.src:2: character U+0436 (ж) is not in Windows-1253\nbad.src:3: malformed UTF-8 at "
            "byte 8\n"
            "bad.src:4: unknown escape \\q\nbad.src:5: a backslash ends the line (write \\\\ for a "
            "backslash)\n");
  EXPECT_FALSE(FileExists("bad.dat") || FileExists("fit.dat") || FileExists("bad.dat.tmp"));
}

TEST_F(DataToolsTest, ThePhoneTableLinterRefusesWhatTheEngineWouldMisread) {
  const std::pair<std::string, std::string> cases[] = {
      {"symbol\tphone\tvoiced\tunvoiced\n", "1: column \"unvoiced\" ends with column \"voiced\""},
      {"symbol\tphone\t\tvowel\n", "1: column 3 has no name"},
      {"symbol\tphone\tvowel\tvowel\n", "1: column \"vowel\" appears twice"},
      {"symbol\tvowel\na\t1\n", "1: no column \"phone\""},
      {"symbol\tphone\na\t1\nb\t1\na\t0\n", "4: symbol \"a\" is already defined on line 2"},
      {"symbol\tphone\nts\t1\n", "2: symbol \"ts\" is not exactly one character"},
      {"symbol\tphone\na\t1\t1\n", "2: the row has 3 fields, the header names 2 columns"},
      {"symbol\tphone\tnote\na\t1\tx:1\n", "2: the field \"x:1\" of column \"note\" contains ':'"},
      {"symbol\tphone\nж\t1\n", "2: character U+0436 (ж) is not in Windows-1253"},
      {"symbol\tphone\tnote\na\t1\t" + std::string(480, 'n') + "\n",
       "2: the row does not fit a record of 500 bytes"},
  };
  for (const auto& [source, message] : cases) {
    WriteFile("table.src", source);
    const Result r = Call(phonetable::Run, {"compile", "table.src", "table.phn"});
    EXPECT_EQ(r.code, scramble::kExitRefused) << message;
    EXPECT_NE(r.err.find("table.src:" + message), std::string::npos) << r.err;
    EXPECT_FALSE(FileExists("table.phn"));
  }
}

}  // namespace
