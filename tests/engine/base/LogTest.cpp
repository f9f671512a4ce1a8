#include "engine/base/Log.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "engine/base/VLib.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::FileExists;
using testing_support::MessageRecorder;
using testing_support::ReadFile;
using testing_support::ReadLines;
using testing_support::TestInstallation;

const std::regex kStampLine("^[0-9]{14}$");

TEST(LogTest, InitRestartsTheLogWithATimeStampLine) {
  TestInstallation inst;
  inst.write("log.txt", "old line 1\nold line 2\n");
  Log::Init();
  const std::vector<std::string> lines = ReadLines(inst.path("log.txt"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(std::regex_match(lines[0], kStampLine)) << lines[0];

  Log::Error("after the restart");
  Log::Init();
  EXPECT_EQ(ReadLines(inst.path("log.txt")).size(), 1u);

  // A given file is restarted instead.
  const std::string file = inst.workDir() + "/other.log";
  testing_support::WriteFile(file, "junk\n");
  Log::Init(file.c_str());
  EXPECT_TRUE(std::regex_match(ReadFile(file), std::regex("^[0-9]{14}\n$"))) << ReadFile(file);
}

TEST(LogTest, ErrorAndModuleLines) {
  TestInstallation inst;
  Log::Init();
  Log::Error("plain message");
  Log::Error2("abc", "def");
  Log::Error2(std::string("MBROLA "), "player text");
  Log::Error("%s %n %d");
  Log::Error(static_cast<const char*>(nullptr));
  Log::Module("VM_Mbrola", true);
  Log::Module(std::string("x"), false);
  Log::Module("%s", true);

  const std::vector<std::string> lines = ReadLines(inst.path("log.txt"));
  const std::vector<std::string> expected = {
      "*** ERROR:\tplain message",
      "*** ERROR:\tabcdef",
      "*** ERROR:\tMBROLA player text",
      "*** ERROR:\t%s %n %d",
      "*** ERROR:\t",
      "|->[ VM_Mbrola ]",
      "*** FAIL TO LOAD MODULE [ x ] ***",
      "|->[ %s ]",
  };
  ASSERT_EQ(lines.size(), expected.size() + 1);
  EXPECT_TRUE(std::regex_match(lines[0], kStampLine)) << lines[0];
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i + 1], expected[i]) << i;
}

TEST(LogTest, LongModuleNamesAreWrittenWhole) {
  TestInstallation inst;
  const std::string name(5000, 'M');
  Log::Module(name, false);
  EXPECT_EQ(ReadFile(inst.path("log.txt")), "*** FAIL TO LOAD MODULE [ " + name + " ] ***\n");
}

TEST(LogTest, ErrorsSwitchGovernsErrorLinesOnly) {
  TestInstallation inst;
  Log::errorsSwitch = false;
  Log::Error("hidden");
  Log::Error2("hid", "den");
  Log::Module("VM_Shown", true);
  Log::EnableErrors();
  EXPECT_TRUE(Log::errorsSwitch.load());
  Log::Error("shown");
  EXPECT_EQ(ReadFile(inst.path("log.txt")), "|->[ VM_Shown ]\n*** ERROR:\tshown\n");
}

TEST(LogTest, TheLogHeldOpenByEnginesFollowsRestartsAndReleases) {
  {
    TestInstallation first;
    // Two engines hold the installation; the log restarts while it is open.
    VLib::HoldInstallation();
    VLib::HoldInstallation();
    Log::Init();
    Log::Error("before the restart");
    Log::Init();
    Log::Error("after the restart");
    VLib::ReleaseInstallation();
    Log::Module("VM_Second", true);
    const std::vector<std::string> lines = ReadLines(first.path("log.txt"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(std::regex_match(lines[0], kStampLine)) << lines[0];
    EXPECT_EQ(lines[1], "*** ERROR:\tafter the restart");
    EXPECT_EQ(lines[2], "|->[ VM_Second ]");
    // Emptied by someone else: the next line is the file's first.
    testing_support::WriteFile(first.path("log.txt"), "");
    Log::Module("VM_Last", true);
    VLib::ReleaseInstallation();
    EXPECT_EQ(ReadFile(first.path("log.txt")), "|->[ VM_Last ]\n");
  }
  // Released by every engine, the installation is looked up anew.
  TestInstallation second;
  VLib::HoldInstallation();
  Log::Error("elsewhere");
  VLib::ReleaseInstallation();
  EXPECT_EQ(ReadFile(second.path("log.txt")), "*** ERROR:\telsewhere\n");
}

TEST(LogTest, WarningsAndTracesWriteNothing) {
  TestInstallation inst;
  MessageRecorder boxes;
  Log::Warning2("a", "b");
  Log::Trace2("text %s", "x");
  Log::Trace2();
  VLib::DebugTrace("debug");
  VLib::DebugReport("report", 1);
  EXPECT_FALSE(FileExists(inst.path("log.txt")));
  EXPECT_FALSE(FileExists(inst.workDir() + "/TamrinError.txt"));
  EXPECT_TRUE(boxes.messages().empty());
}

}  // namespace
