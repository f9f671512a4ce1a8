// The command lines of the data tools: every tool answers 0 for work done,
// 1 for a refused input and 2 for a wrong command line, and says why on
// standard error. "-" names standard output: the tools that write binary
// data files refuse it before they read or remove anything.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/common/TestSupport.h"

namespace {

TEST(ToolsTest, EveryToolAnswersItsExitCode) {
  testing_support::TempDir dir;
  testing_support::ScopedCwd cwd(dir.path());
  testing_support::WriteFile("rules.src", "@output-unknown yes\nΆ | - | - | ά | 1\n");
  testing_support::WriteFile("text.txt", "Καλημέρα\n");
  testing_support::WriteFile("-", "keep");
  testing_support::WriteFile("table.src", "symbol\tphone\na\t1\n");
  const std::string phones = std::string(TM_SOURCE_DIR) + "/data/phones/greek.phn.src";
  const std::string v58 = std::string(TM_SOURCE_DIR) + "/data/v58/greek.v58.src";
  const struct {
    const char* tool;
    std::string arguments;
    int code;
    const char* error;  // a part of the standard error
  } rows[] = {
      {TM_RULEC_EXE, "compile rules.src rules.rul", 0, ""},
      {TM_RULEC_EXE, "dump rules.rul", 0, ""},
      {TM_RULEC_EXE, "dump rules.rul -", 0, ""},
      {TM_RULEC_EXE, "compile rules.src -", 2, "tm_rulec: OUTPUT \"-\" is refused"},
      {TM_RULEC_EXE, "compile rules.src o-k.rul", 1, "must not contain '-'"},
      {TM_RULEC_EXE, "compile missing.src x.rul", 1, "cannot read the source"},
      {TM_RULEC_EXE, "compile rules.src", 2, "tm_rulec: wrong command line"},
      {TM_SCRAMBLE_EXE, "write text.txt text.dat 500", 0, ""},
      {TM_SCRAMBLE_EXE, "dump text.dat 500", 0, ""},
      {TM_SCRAMBLE_EXE, "write text.txt text.dat 300", 2, "record size 300 is not 500, 400 or 120"},
      {TM_SCRAMBLE_EXE, "write missing.txt x.dat 500", 1, ""},
      {TM_SCRAMBLE_EXE, "", 2, "usage: tm_scramble"},
      {TM_SCRAMBLE_EXE, "write missing.txt - 7", 2, "OUTPUT \"-\" is refused"},
      {TM_PHONETABLE_EXE, "compile missing.txt -", 2, "OUTPUT \"-\" is refused"},
      {TM_V58_EXE, "compile " + phones + " missing.txt -", 2, "OUTPUT \"-\" is refused"},
      {TM_PHONETABLE_EXE, "compile table.src table.phn", 0, ""},
      {TM_PHONETABLE_EXE, "check table.src", 0, ""},
      {TM_PHONETABLE_EXE, "compile missing.txt x.phn", 1, "cannot read the source"},
      {TM_PHONETABLE_EXE, "compile only-one", 2, ""},
      {TM_V58_EXE, "compile " + phones + " " + v58 + " greek.v58", 0, ""},
      {TM_V58_EXE, "check " + phones + " greek.v58", 0, ""},
      {TM_V58_EXE, "compile " + phones + " missing.src x.v58", 1, "cannot read the source"},
      {TM_V58_EXE, "compile", 2, ""},
      {TM_DATALINT_EXE, dir.path() + "/nothing", 1, ""},
      {TM_DATALINT_EXE, "", 2, ""},
  };
  std::vector<std::string> outputs;
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.tool) + " " + row.arguments);
    const int status =
        std::system((std::string(row.tool) + " " + row.arguments + " >out 2>err").c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, row.code);
    EXPECT_NE(testing_support::ReadFile("err").find(row.error), std::string::npos);
    if (row.arguments.rfind("dump", 0) == 0) outputs.push_back(testing_support::ReadFile("out"));
  }
  ASSERT_EQ(outputs.size(), 3u);
  EXPECT_EQ(outputs[0], outputs[1]);  // "-" is standard output
  EXPECT_EQ(testing_support::ReadFile("-"), "keep");
  EXPECT_FALSE(testing_support::FileExists("x.phn"));
}

}  // namespace
