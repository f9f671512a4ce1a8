#include "engine/composer/VLogger.h"

#include <cerrno>
#include <cstdio>

#include "engine/base/VLib.h"
#include "engine/shared/TMShared.h"

namespace {
constexpr const char* kHeader = "<html><title></title><body>Tamrin Logger, version ";

// Whether a deletion failed because the file or its folder is protected
// against writing (as opposed to a file that is not there).
bool IsWriteProtected(int error) { return error == EACCES || error == EPERM || error == EROFS; }
}  // namespace

bool VLogger::SetUp() {
  VComposer* composer = GetComposer();
  TMShared* shared = composer != nullptr ? composer->GetShared() : nullptr;
  // Without a configuration (an engine made before the shared resources
  // were loaded) the logger has no files and writes nothing.
  if (shared == nullptr || !shared->GetConfiguration()->IsLoaded()) return true;
  const VConfiguration* config = shared->GetConfiguration();
  const std::string directory = config->GetParam("Logger.Directory", true);
  const std::string prefix = config->GetParam("Logger.Preffix", true);
  const std::string suffix = config->GetParam("Logger.Suffix", true);
  const std::string errorPrefix = config->GetParam("Logger.ErrorPreffix", true);
  const std::string errorSuffix = config->GetParam("Logger.Suffix", true);

  const std::string base = VLib::MakePath(directory) + "/";
  const std::string instance = composer->GetInstanceText();
  logFile_ = base + prefix + instance + suffix;
  errorLogFile_ = base + errorPrefix + instance + errorSuffix;

  Remove(logFile_);
  Remove(errorLogFile_);

  if (std::FILE* f = std::fopen(logFile_.c_str(), "w")) {
    std::fputs(kHeader, f);
    std::fputs(kVersion, f);
    std::fputs("\n", f);
    std::fclose(f);
  }
  return true;
}

void VLogger::Remove(const std::string& file) const {
  if (std::remove(file.c_str()) != 0 && IsWriteProtected(errno)) {
    VLib::ReportError(file + ": file is read-only.");
  }
}
