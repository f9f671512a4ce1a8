#include "engine/composer/VLogger.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/shared/TMShared.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::FakeComposer;
using testing_support::FileExists;
using testing_support::MessageRecorder;
using testing_support::ReadFile;
using testing_support::TestInstallation;

constexpr const char* kHeader =
    "<html><title></title><body>Tamrin Logger, version Sun Mar 16 21:45:02 2003\n";

class VLoggerTest : public testing::Test {
 protected:
  VLoggerTest() {
    composer_.shared = &shared_;
    composer_.instance = 7;
    logger_.SetComposer(&composer_);
  }

  void Configure(const std::string& text) {
    install_.write("config.txt", text);
    shared_.GetConfiguration()->Load(install_.path("config.txt"));
  }

  // The messages of the reports shown, without their time stamps.
  std::vector<std::string> Reports() const {
    std::vector<std::string> texts;
    for (const auto& box : boxes_.messages()) {
      const size_t tab = box.second.find('\t');
      texts.push_back(tab == std::string::npos ? box.second : box.second.substr(tab + 1));
    }
    return texts;
  }

  TestInstallation install_;
  MessageRecorder boxes_;
  TMShared shared_;
  FakeComposer composer_;
  VLogger logger_;
};

TEST_F(VLoggerTest, NamesTheFilesAfterTheInstanceAndRecreatesTheLog) {
  Configure(
      "Logger.Directory=logs\nLogger.Preffix=log_\nLogger.ErrorPreffix=err_\n"
      "Logger.Suffix=.html\n");
  install_.write("logs/log_7.html", "an old log\n");
  install_.write("logs/err_7.html", "old errors\n");
  EXPECT_TRUE(logger_.SetUp());
  EXPECT_EQ(logger_.GetLogFileName(), install_.path("logs/log_7.html"));
  EXPECT_EQ(logger_.GetErrorLogFileName(), install_.path("logs/err_7.html"));
  EXPECT_EQ(ReadFile(install_.path("logs/log_7.html")), kHeader);
  EXPECT_FALSE(FileExists(install_.path("logs/err_7.html")));
  EXPECT_TRUE(boxes_.messages().empty());
  EXPECT_EQ(logger_.GetName(), "VLogger");
}

TEST_F(VLoggerTest, MissingKeysAreReportedAndReadAsEmpty) {
  Configure("Logger.Directory=logs\nLogger.Preffix=log_\n");
  install_.write("logs/.keep", "");
  EXPECT_TRUE(logger_.SetUp());
  const std::string path = install_.path("config.txt");
  EXPECT_EQ(Reports(), (std::vector<std::string>{
                           "Error: parameter [Logger.Suffix] was not found in [" + path + "]",
                           "Error: parameter [Logger.ErrorPreffix] was not found in [" + path + "]",
                           "Error: parameter [Logger.Suffix] was not found in [" + path + "]"}));
  EXPECT_EQ(logger_.GetLogFileName(), install_.path("logs/log_7"));
  EXPECT_EQ(logger_.GetErrorLogFileName(), install_.path("logs/7"));
  EXPECT_EQ(ReadFile(install_.path("logs/log_7")), kHeader);
}

TEST_F(VLoggerTest, AMissingFolderWritesNothingAndStillSucceeds) {
  Configure(
      "Logger.Directory=nowhere\nLogger.Preffix=log_\nLogger.ErrorPreffix=err_\n"
      "Logger.Suffix=.html\n");
  EXPECT_TRUE(logger_.SetUp());
  EXPECT_FALSE(FileExists(install_.path("nowhere")));
  EXPECT_TRUE(boxes_.messages().empty());
}

TEST_F(VLoggerTest, AWriteProtectedFileIsReported) {
  Configure(
      "Logger.Directory=logs\nLogger.Preffix=log_\nLogger.ErrorPreffix=err_\n"
      "Logger.Suffix=.html\n");
  install_.write("logs/err_7.html", "old errors\n");
  ASSERT_EQ(chmod(install_.path("logs").c_str(), 0555), 0);
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not hold for root";
  EXPECT_TRUE(logger_.SetUp());
  EXPECT_EQ(Reports(),
            std::vector<std::string>{install_.path("logs/err_7.html") + ": file is read-only."});
}

TEST_F(VLoggerTest, WithoutSharedResourcesItDoesNothing) {
  composer_.shared = nullptr;
  EXPECT_TRUE(logger_.SetUp());
  EXPECT_EQ(logger_.GetLogFileName(), "");
}

}  // namespace
