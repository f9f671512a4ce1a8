#include "engine/composer/VCharacterPool.h"

#include <vector>

#include "engine/base/VLib.h"
#include "engine/base/VStr.h"
#include "engine/composer/VModuleDirectory.h"
#include "engine/shared/TMShared.h"
#include "support/utilities.h"

namespace {
constexpr const char* kDirectoryKey = "VoiceFonts.Directory";
constexpr const char* kSuffixKey = "VoiceFonts.Suffix";
constexpr const char* kModulesKey = "VModuleChain.Modules";
constexpr const char* kModuleDelimiters = ";\n";

bool EndsWith(const std::string& name, const std::string& suffix) {
  return name.size() >= suffix.size() &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}
}  // namespace

bool VCharacterPool::Load() {
  VComposer* composer = GetComposer();
  if (composer == nullptr) return false;
  TMShared* shared = composer->GetShared();
  if (shared == nullptr) {
    VLib::ReportError("VCharacterPool::Load()@no engine configuration");
    return false;
  }
  const VConfiguration* config = shared->GetConfiguration();

  const std::string path = VLib::MakePath(config->GetParam(kDirectoryKey, true));
  std::vector<DirectoryEntry> files;
  if (!UTILITIES::isDirectory(path) || !UTILITIES::getDirectoryEntries(path, 0, files)) {
    VLib::ReportError(std::string("Error reading ") + kDirectoryKey + " " + path);
    return false;
  }
  const std::string suffix = config->GetParam(kSuffixKey, true);

  const int first = table_.Count();
  for (const DirectoryEntry& file : files) {
    if (!EndsWith(file.name, suffix)) continue;
    if (table_.IsFull()) {
      VLib::ReportError("Error: too many voice fonts in " + path + ", " + file.name +
                        " and later files skipped");
      break;
    }
    auto* ch = new VCharacter();
    ch->SetComposer(composer);
    // A font that cannot be read is entered with "__ID__" only; the
    // configuration has reported it.
    ch->Load(path + "/" + file.name);
    table_.Add(file.name, ch);
  }

  for (int i = first; i < table_.Count(); ++i) BuildChain(table_.ItemAt(i));
  return true;
}

void VCharacterPool::BuildChain(VCharacter* ch) const {
  if (ch == nullptr) return;
  VComposer* composer = PeekComposer();
  VModuleDirectory* directory = composer != nullptr ? composer->GetModuleDirectory() : nullptr;
  if (directory == nullptr) return;
  const std::string list = ch->GetParameter(kModulesKey);
  const char* cursor = list.c_str();
  for (;;) {
    char* token = VStr::NextToken(&cursor, kModuleDelimiters);
    if (token == nullptr) break;
    const std::string name(token);
    VStr::Release(&token);
    // The first empty name ends the list.
    if (name.empty()) break;
    if (VModule* module = directory->Find(name)) ch->GetChain()->AddModule(module);
  }
}

bool VCharacterPool::Clear() {
  table_.Dump();
  return true;
}

std::string VCharacterPool::GetName(int index) const {
  if (index < 0 || index >= table_.Count()) return std::string();
  return table_.KeyAt(index);
}

VCharacter* VCharacterPool::At(int index) const {
  if (index < 0 || index >= table_.Count()) return nullptr;
  return table_.ItemAt(index);
}
