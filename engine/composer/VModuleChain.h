// The ordered list of modules that one voice font runs. The chain refers to
// modules that the directory owns.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/composer/VComponent.h"
#include "engine/composer/VModule.h"

class VModuleChain : public VComponent {
 public:
  struct Entry {
    std::string name;
    VModule* module = nullptr;
  };

  VModuleChain() : VComponent("VModuleChain") {}
  VModuleChain(const VModuleChain&) = delete;
  VModuleChain& operator=(const VModuleChain&) = delete;

  // Appends the module; a module already in the chain moves to the end.
  bool AddModule(VModule* module);
  // Index of the first entry named name; -1 when none.
  int IndexOf(const char* name) const;
  // Sets up every module in order; 0, or -1110 at the first failure.
  int SetUpAll();
  // Resets the per-run data and runs the enabled modules in order (only
  // those behind `after` when it is given), until one answers false or a
  // stop aborts the composer's run.
  void Run(VModule* after);

  int Size() const { return static_cast<int>(entries_.size()); }
  const Entry& At(int i) const { return *entries_[i]; }

 private:
  std::vector<std::unique_ptr<Entry>> entries_;
};
