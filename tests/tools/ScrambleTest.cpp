#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/shared/Descrambler.h"
#include "engine/shared/VDataFile.h"
#include "platform/Codepage.h"
#include "tests/common/TestSupport.h"
#include "tools/scramble/DataFileWriter.h"
#include "tools/scramble/ScrambleTool.h"

namespace {

using testing_support::FileExists;
using testing_support::MessageRecorder;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

struct RunResult {
  int code;
  std::string out;
  std::string err;
};

RunResult RunTool(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int code = scramble::Run(args, out, err);
  return {code, out.str(), err.str()};
}

class ScrambleTest : public testing::Test {
 protected:
  TempDir dir_;
  testing_support::ScopedCwd cwd_{dir_.path()};
  MessageRecorder boxes_;

  std::string Source(const std::string& content, const std::string& name = "src.txt") {
    const std::string path = dir_ / name;
    WriteFile(path, content);
    return path;
  }

  // Every record of a data file, read by the engine's reader.
  std::vector<std::string> ReadBack(const std::string& path, int size) {
    std::vector<std::string> texts;
    std::ifstream in;
    EXPECT_TRUE(VLib::OpenDataFile(path.c_str(), in, true));
    char* out = nullptr;
    while (VLib::ReadDataEntry(in, size, &out, true, path)) texts.emplace_back(out);
    VStr::Release(&out);
    EXPECT_TRUE(boxes_.messages().empty());
    return texts;
  }
};

TEST_F(ScrambleTest, WrittenRecordsReadBackRecordByRecord) {
  const std::string source = Source(
      "plain text\n"
      "Ελληνικό κείμενο: άέίόύ ΆΈΊΌΎ ϊΐ\n"
      "field one\tfield two\t\n"
      "\n"
      "line\\nfeed, back\\\\slash, tab\\t, return\\r.\r\n"
      "€ ’ « » ©\n"
      "last line without a line feed");
  const std::vector<std::string> expected = {
      "plain text",
      platform::Utf8ToCp1253("Ελληνικό κείμενο: άέίόύ ΆΈΊΌΎ ϊΐ"),
      "field one\tfield two\t",
      "",
      "line\nfeed, back\\slash, tab\t, return\r.",
      platform::Utf8ToCp1253("€ ’ « » ©"),
      "last line without a line feed",
  };
  ASSERT_EQ(expected[1].size(), 32u);  // one byte per character
  for (const int size : {500, 400, 120}) {
    const std::string output = dir_ / ("out" + std::to_string(size) + ".dat");
    const RunResult r = RunTool({"write", source, output, std::to_string(size)});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(output).size(), expected.size() * size);
    EXPECT_EQ(ReadBack(output, size), expected) << size;
    EXPECT_FALSE(FileExists(output + ".tmp"));
  }
}

TEST_F(ScrambleTest, RecordsHoldTheirTextWithItsZeroAndZeroPadding) {
  const std::string output = dir_ / "one.dat";
  ASSERT_EQ(RunTool({"write", Source("abc\n"), output, "120"}).code, 0);
  const std::string data = ReadFile(output);
  ASSERT_EQ(data.size(), 120u);
  // M = 3 text bytes + zero + check byte = 5; the body of 11 bytes becomes 20.
  EXPECT_EQ(data.substr(0, 6), "000020");
  EXPECT_EQ(data.substr(26), std::string(94, '\0'));
  Descrambler::Bytes payload;
  ASSERT_TRUE(Descrambler::DecodeEntry(Descrambler::Bytes(data.begin(), data.end()), payload));
  EXPECT_EQ(std::string(payload.begin(), payload.end()), std::string("abc") + '\0');
  // The same text gives the same record: the key restarts in every record.
  ASSERT_EQ(RunTool({"write", Source("abc\nabc\n"), output, "120"}).code, 0);
  const std::string two = ReadFile(output);
  EXPECT_EQ(two.substr(0, 120), two.substr(120));
}

TEST_F(ScrambleTest, OnlyTheEngineRecordSizesAreAccepted) {
  const std::string source = Source("abc\n");
  const std::string output = dir_ / "out.dat";
  for (const char* size : {"499", "0", "-500", "abc", "500x"}) {
    WriteFile(output, "stale");
    const RunResult r = RunTool({"write", source, output, size});
    EXPECT_NE(r.code, 0) << size;
    EXPECT_NE(r.err.find("is not 500, 400 or 120"), std::string::npos) << r.err;
    EXPECT_FALSE(FileExists(output)) << size;
  }
  EXPECT_NE(RunTool({"dump", output, "121"}).code, 0);
}

TEST_F(ScrambleTest, ATextThatDoesNotFitARecordIsRefusedWithItsLine) {
  // The payload is the text, its zero and the check byte after a 6-byte
  // length field; the body is rounded up to tens after another 6 bytes.
  for (const auto& [size, longest] : {std::pair{500, 482}, {400, 382}, {120, 102}}) {
    SCOPED_TRACE(size);
    EXPECT_EQ(scramble::MaxTextLength(size), longest);
    const std::string output = dir_ / "fit.dat";
    const std::string fits = std::string(longest, 'x');
    ASSERT_EQ(RunTool({"write", Source("a\n" + fits + "\n"), output, std::to_string(size)}).code,
              0);
    EXPECT_EQ(ReadBack(output, size), (std::vector<std::string>{"a", fits}));

    const std::string source = Source("a\n" + fits + "y\n", "long.txt");
    const RunResult r = RunTool({"write", source, output, std::to_string(size)});
    EXPECT_EQ(r.code, scramble::kExitRefused);
    EXPECT_EQ(r.err, source + ":2: text of " + std::to_string(longest + 1) +
                         " bytes does not fit a record of " + std::to_string(size) +
                         " bytes (at most " + std::to_string(longest) + ")\n");
    EXPECT_FALSE(FileExists(output));
    EXPECT_FALSE(FileExists(output + ".tmp"));
  }
}

TEST_F(ScrambleTest, CharactersOutsideTheCodePageAndBrokenLinesAreRefused) {
  const std::string source = Source(
      "fine\n"
      "Cyrillic ж here\n"
      "broken \xC3( here\n"
      "an \\q escape\n"
      "ends with a backslash \\\n"
      "zero \x01 is fine, but emoji \xF0\x9F\x98\x80 is not\n"
      "fine again\n");
  const std::string output = dir_ / "out.dat";
  WriteFile(output, "stale");
  const RunResult r = RunTool({"write", source, output, "500"});
  EXPECT_EQ(r.code, scramble::kExitRefused);
  EXPECT_EQ(r.err, source + ":2: character U+0436 (ж) is not in Windows-1253\n" + source +
                       ":3: malformed UTF-8 at byte 8\n" + source + ":4: unknown escape \\q\n" +
                       source + ":5: a backslash ends the line (write \\\\ for a backslash)\n" +
                       source +
                       ":6: character U+1F600 (\xF0\x9F\x98\x80) is not in Windows-1253\n");
  EXPECT_FALSE(FileExists(output));
}

TEST_F(ScrambleTest, DumpPrintsTheSourceBack) {
  const std::string text =
      "πρώτη γραμμή\n"
      "a\tb\t\n"
      "\n"
      "escaped \\n and \\\\ and \\r\n";
  const std::string output = dir_ / "out.dat";
  ASSERT_EQ(RunTool({"write", Source(text), output, "400"}).code, 0);
  const RunResult r = RunTool({"dump", output, "400"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, text);
}

TEST_F(ScrambleTest, DumpReportsBrokenRecordsAndGoesOn) {
  const std::string output = dir_ / "out.dat";
  ASSERT_EQ(RunTool({"write", Source("one\ntwo\n"), output, "120"}).code, 0);
  const std::string good = ReadFile(output);
  const std::string broken = dir_ / "broken.dat";
  WriteFile(broken,
            good.substr(0, 120) + std::string(120, 'z') + good.substr(120) + std::string(10, '\0'));
  const RunResult r = RunTool({"dump", broken, "120"});
  EXPECT_EQ(r.code, scramble::kExitRefused);
  EXPECT_EQ(r.out, "one\ntwo\n");
  EXPECT_EQ(r.err, broken + ":2: malformed entry\n" + broken + ":4: short record of 10 bytes\n");

  EXPECT_EQ(RunTool({"dump", dir_ / "missing.dat", "120"}).code, scramble::kExitRefused);
  EXPECT_EQ(RunTool({"dump", dir_.path(), "120"}).code, scramble::kExitRefused);
}

TEST_F(ScrambleTest, TheCommandLine) {
  const std::string exe = TM_SCRAMBLE_EXE;
  const std::string source = Source("Καλημέρα\n");
  const std::string output = dir_ / "out.dat";
  const std::string dumped = dir_ / "dumped.txt";
  const std::string errors = dir_ / "errors.txt";
  const auto run = [&](const std::string& args) {
    const int status =
        std::system((exe + " " + args + " >'" + dumped + "' 2>'" + errors + "'").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run("write '" + source + "' '" + output + "' 500"), 0);
  EXPECT_EQ(run("dump '" + output + "' 500"), 0);
  EXPECT_EQ(ReadFile(dumped), "Καλημέρα\n");
  EXPECT_EQ(run("write '" + source + "' '" + output + "' 300"), scramble::kExitUsage);
  EXPECT_NE(ReadFile(errors).find("record size 300 is not 500, 400 or 120"), std::string::npos);
  EXPECT_EQ(run(""), scramble::kExitUsage);
  EXPECT_NE(ReadFile(errors).find("usage: tm_scramble"), std::string::npos);
  EXPECT_EQ(run("write '" + dir_ / "missing.txt" + "' '" + output + "' 500"),
            scramble::kExitRefused);
  EXPECT_FALSE(FileExists(output));
}

TEST(DataFileWriterTest, EncodeRefusesPayloadsThatDoNotFit) {
  std::string record = "kept";
  EXPECT_TRUE(scramble::EncodeRecord(std::string(483, 'p'), 500, record));
  EXPECT_EQ(record.size(), 500u);
  record = "kept";
  EXPECT_FALSE(scramble::EncodeRecord(std::string(484, 'p'), 500, record));
  EXPECT_EQ(record, "kept");

  TempDir dir;
  std::string error;
  EXPECT_FALSE(scramble::WriteDataFile(dir / "out.dat", {"ok", std::string(200, 'l')}, 120, error));
  EXPECT_EQ(error, "text 2 of 200 bytes does not fit a record of 120 bytes (at most 102)");
  EXPECT_FALSE(FileExists(dir / "out.dat"));
  EXPECT_FALSE(scramble::WriteDataFile(dir / "no/such/folder/out.dat", {"ok"}, 120, error));
  EXPECT_NE(error.find("cannot write"), std::string::npos);
}

}  // namespace
