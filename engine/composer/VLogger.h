// The logger of one composer: two files in the configured logger directory,
// named after the composer's instance number. Set-up recreates the log file
// with its header line and removes the error-log file.
#pragma once

#include <string>

#include "engine/composer/VComponent.h"

class VLogger : public VComponent {
 public:
  // The version text written into the header line of the log file.
  static constexpr const char* kVersion = "Sun Mar 16 21:45:02 2003";

  VLogger() : VComponent("VLogger") {}

  // Reads "Logger.Directory", "Logger.Preffix", "Logger.Suffix",
  // "Logger.ErrorPreffix" and "Logger.Suffix" from the engine configuration
  // (each with the missing-key report), names the two files, deletes both
  // (a file that is write-protected goes to the error report as
  // "<name>: file is read-only.") and recreates the log file with its header
  // line. Without a loaded engine configuration it does nothing. True.
  bool SetUp();

  const std::string& GetLogFileName() const { return logFile_; }
  const std::string& GetErrorLogFileName() const { return errorLogFile_; }

 private:
  void Remove(const std::string& file) const;

  std::string logFile_;
  std::string errorLogFile_;
};
