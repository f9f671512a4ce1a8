// The composer's registry of its modules by name; it owns the modules.
#pragma once

#include <string>

#include "engine/base/VMap.h"
#include "engine/composer/VComponent.h"
#include "engine/composer/VModule.h"

class VModuleDirectory : public VComponent {
 public:
  VModuleDirectory() : VComponent("VModuleDirectory") {}
  VModuleDirectory(const VModuleDirectory&) = delete;
  VModuleDirectory& operator=(const VModuleDirectory&) = delete;

  // Registers the module under its name: gives it the composer, enables it
  // and calls its Init. False (with a line in the engine log) only when the
  // table is full or the module is registered already; the module then
  // stays with the caller.
  bool AddModule(VModule* module);
  // The first module registered under name; null when none.
  VModule* Find(const std::string& name) const { return table_.Find(name); }
  // Releases every module's resources, then deletes the modules.
  bool ReleaseAll();

  // Whether module is registered (compared as the same object).
  bool Holds(const VModule* module) const { return table_.Contains(module); }
  int Count() const { return table_.Count(); }
  VModule* At(int i) const { return table_.ItemAt(i); }

 private:
  VMap<VModule> table_;
};
