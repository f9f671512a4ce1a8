// The real tm_rulec executable: exit codes and its output streams.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>
#include <string>

#include "tests/common/TestSupport.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

struct ToolRun {
  int code = -1;
  std::string out;
  std::string err;
};

// Runs tm_rulec with arguments (already quoted for the shell when needed).
ToolRun RunTool(const TempDir& dir, const std::string& arguments) {
  const std::string command = std::string("'") + TM_RULEC_EXE + "' " + arguments + " >'" +
                              (dir / "stdout") + "' 2>'" + (dir / "stderr") + "'";
  const int status = std::system(command.c_str());
  ToolRun run;
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadFile(dir / "stdout");
  run.err = ReadFile(dir / "stderr");
  return run;
}

}  // namespace

TEST(RuleCompilerTool, CompilesDumpsAndRefuses) {
  TempDir dir;
  WriteFile(dir / "ok.src", "@output-unknown yes\nΆ | - | - | ά | 1\n");
  ToolRun run = RunTool(dir, "compile '" + (dir / "ok.src") + "' '" + (dir / "ok.rul") + "'");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadFile(dir / "ok.rul"),
            std::string("\x00\x01\x01\xA2\x00\x00\x00\x00\xDC\x00\x01\x00\x00\x00\x00", 15));

  run = RunTool(dir, "dump '" + (dir / "ok.rul") + "'");
  EXPECT_EQ(run.code, 0);
  EXPECT_NE(run.out.find("\n@output-unknown yes\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nΆ | - | - | ά | 1\n"), std::string::npos) << run.out;

  WriteFile(dir / "bad.src", "@output-unknown yes\nΆ | - | - | ά | 0\n");
  run = RunTool(dir, "compile '" + (dir / "bad.src") + "' '" + (dir / "bad.rul") + "'");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, dir / "bad.src" + ":2: CHARS must be a number from 1 to 255, not '0'\n");
  EXPECT_FALSE(FileExists(dir / "bad.rul"));

  run = RunTool(dir, "compile '" + (dir / "ok.src") + "' '" + (dir / "o-k.rul") + "'");
  EXPECT_EQ(run.code, 1);
  EXPECT_FALSE(FileExists(dir / "o-k.rul"));
}

TEST(RuleCompilerTool, CommandLine) {
  TempDir dir;
  ToolRun run = RunTool(dir, "--help");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out.rfind("Usage: tm_rulec compile SOURCE OUTPUT\n", 0), 0u);
  EXPECT_NE(run.out.find("@output-unknown yes|no"), std::string::npos);

  for (const char* arguments : {"", "compile", "compile a", "compile a b c", "dump", "build a b"}) {
    run = RunTool(dir, arguments);
    EXPECT_EQ(run.code, 2) << arguments;
    EXPECT_EQ(run.err.rfind("tm_rulec: wrong command line\n", 0), 0u) << arguments;
  }

  run = RunTool(dir, "compile '" + (dir / "missing.src") + "' '" + (dir / "x.rul") + "'");
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err.rfind(dir / "missing.src" + ": cannot read the source: ", 0), 0u) << run.err;
}

TEST(RuleCompilerTool, DumpsToStandardOutputForDashAndRefusesToCompileToIt) {
  TempDir dir;
  WriteFile(dir / "ok.src", "@output-unknown yes\nΆ | - | - | ά | 1\n");
  ASSERT_EQ(RunTool(dir, "compile '" + (dir / "ok.src") + "' '" + (dir / "ok.rul") + "'").code, 0);
  const ToolRun plain = RunTool(dir, "dump '" + (dir / "ok.rul") + "'");
  const ToolRun dash = RunTool(dir, "dump '" + (dir / "ok.rul") + "' -");
  EXPECT_EQ(dash.code, 0);
  EXPECT_EQ(dash.out, plain.out);

  const ToolRun refused = RunTool(dir, "compile '" + (dir / "ok.src") + "' -");
  EXPECT_EQ(refused.code, 2);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err.rfind("tm_rulec: OUTPUT \"-\" is refused", 0), 0u) << refused.err;
}
