#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "engine/base/Log.h"
#include "engine/base/VLib.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::MessageRecorder;
using testing_support::ReadLines;
using testing_support::TestInstallation;

// The GUI thread and the speech thread report and log at the same time:
// every line reaches its file whole.
TEST(LogThreadsTest, TwoThreadsWriteWholeLines) {
  TestInstallation inst;
  MessageRecorder boxes;
  Log::Init();
  constexpr int kPerThread = 150;
  auto writer = [](const std::string& who) {
    for (int i = 0; i < kPerThread; ++i) {
      const std::string text = who + " message " + std::to_string(i) + " %s%n";
      VLib::ReportError(text);
      Log::Error(text);
      Log::Module(who, i % 2 == 0);
    }
  };
  std::thread gui(writer, "gui");
  std::thread speech(writer, "speech");
  gui.join();
  speech.join();

  const std::regex report("^[0-9]{14}\t(gui|speech) message [0-9]+ %s%n$");
  const std::vector<std::string> reports = ReadLines(inst.workDir() + "/TamrinError.txt");
  ASSERT_EQ(reports.size(), 2u * kPerThread);
  for (const std::string& line : reports) EXPECT_TRUE(std::regex_match(line, report)) << line;

  const std::regex logLine(
      "^(\\*\\*\\* ERROR:\t(gui|speech) message [0-9]+ %s%n|\\|->\\[ (gui|speech) \\]|"
      "\\*\\*\\* FAIL TO LOAD MODULE \\[ (gui|speech) \\] \\*\\*\\*)$");
  const std::vector<std::string> logs = ReadLines(inst.path("log.txt"));
  ASSERT_EQ(logs.size(), 1u + 4u * kPerThread);
  for (size_t i = 1; i < logs.size(); ++i) {
    EXPECT_TRUE(std::regex_match(logs[i], logLine)) << logs[i];
  }
  EXPECT_EQ(boxes.messages().size(), 2u * kPerThread);
}

}  // namespace
