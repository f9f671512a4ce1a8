#include "engine/composer/VModuleChain.h"

#include "engine/base/VLib.h"
#include "engine/composer/VControl.h"

namespace {
// Place named in the report of a chain without composer ("VModuleChain:107").
// The number is a fixed text of the report, not a line of this file: keep
// it as it is.
constexpr int kNoComposerLine = 107;
constexpr int kSetUpFailed = -1110;
}  // namespace

bool VModuleChain::AddModule(VModule* module) {
  if (module == nullptr) return false;
  const std::string name = module->GetName();
  const int existing = IndexOf(name.c_str());
  if (existing >= 0) entries_.erase(entries_.begin() + existing);
  auto entry = std::make_unique<Entry>();
  entry->name = name;
  if (PeekComposer() == nullptr) {
    GetComposer();
    VLib::ReportError("VModuleChain:" + std::to_string(kNoComposerLine) + ":NULL Tamrin");
  }
  module->SetComposer(GetComposer());
  module->SetEnabled(true);
  entry->module = module;
  entries_.push_back(std::move(entry));
  return true;
}

int VModuleChain::IndexOf(const char* name) const {
  if (name == nullptr) return -1;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i]->name == name) return static_cast<int>(i);
  }
  return -1;
}

int VModuleChain::SetUpAll() {
  for (const auto& entry : entries_) {
    if (!entry->module->SetUp()) {
      VLib::ReportError("Error: setting up module [" + entry->name + "]");
      if (VComposer* composer = GetComposer()) composer->SetLastError(kSetUpFailed);
      return kSetUpFailed;
    }
  }
  return 0;
}

void VModuleChain::Run(VModule* after) {
  VComposer* composer = GetComposer();
  if (composer == nullptr) return;  // nothing to run on
  composer->Reset();
  const VControl* control = composer->GetControl();
  bool started = after == nullptr;
  bool failed = false;
  for (const auto& entry : entries_) {
    if ((control != nullptr && control->IsAborted()) || failed) return;
    if (!started) {
      started = entry->module == after;
      continue;
    }
    if (!entry->module->IsEnabled()) continue;
    failed = !entry->module->RunModule();
  }
}
