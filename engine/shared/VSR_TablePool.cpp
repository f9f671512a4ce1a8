#include "engine/shared/VSR_TablePool.h"

#include <vector>

#include "engine/base/VConfiguration.h"
#include "engine/base/VLib.h"
#include "engine/shared/TMShared.h"
#include "support/utilities.h"

bool VSR_TablePoolBase::Matches(const std::string& name, const std::string& suffix) {
  return name.size() >= suffix.size() &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool VSR_TablePoolBase::Load(TMShared* holder) {
  holder_ = holder;
  if (holder == nullptr) {
    // Without the holder there is no configuration to name the directory.
    VLib::ReportError("Null TMShared.");
    return false;
  }
  const VConfiguration& config = *holder->GetConfiguration();
  const std::string path = VLib::MakePath(config.GetParam(settings_.directoryKey, true));
  ReadSettings(config);
  if (!UTILITIES::isDirectory(path)) {
    VLib::ReportError(settings_.directoryMessage + path);
    return false;
  }
  std::vector<DirectoryEntry> files;
  // A listing that fails gives no names.
  UTILITIES::getDirectoryEntries(path, 0, files);
  const std::string suffix = config.GetParam(settings_.suffixKey, true);
  for (const DirectoryEntry& file : files) {
    if (!Matches(file.name, suffix)) continue;
    if (IsFull()) {
      VLib::ReportError(std::string("Error: too many files in ") + settings_.directoryKey + " " +
                        path + ", " + file.name + " and later files skipped");
      break;
    }
    if (!LoadItem(file.name, path + "/" + file.name)) return false;
  }
  return true;
}
