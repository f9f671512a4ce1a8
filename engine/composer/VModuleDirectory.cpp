#include "engine/composer/VModuleDirectory.h"

#include "engine/base/VLib.h"

namespace {
// Place named in the report of a directory without composer
// ("VModuleDirectory:59"). The number is a fixed text of the report, not a
// line of this file: keep it as it is.
constexpr int kNoComposerLine = 59;
}  // namespace

bool VModuleDirectory::AddModule(VModule* module) {
  if (module == nullptr) return false;
  if (table_.IsFull() || table_.Contains(module)) {
    // Let the table write its refusal to the log.
    return table_.Add(module->GetName(), module);
  }
  if (PeekComposer() == nullptr) {
    GetComposer();
    VLib::ReportError("VModuleDirectory:" + std::to_string(kNoComposerLine) + ":NULL Tamrin");
  }
  module->SetComposer(GetComposer());
  module->SetEnabled(true);
  module->Init();
  return table_.Add(module->GetName(), module);
}

bool VModuleDirectory::ReleaseAll() {
  for (int i = 0; i < table_.Count(); ++i) {
    if (VModule* m = table_.ItemAt(i)) m->ReleaseResources();
  }
  table_.Dump();
  return true;
}
