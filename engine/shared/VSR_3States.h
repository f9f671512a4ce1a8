// The tri-state duration rule sets of the process: every file of
// "3States.Directory" ending in "3States.Suffix", keyed by its file name.
// Each set reaches the phone table through the pool's holder.
#pragma once

#include "engine/shared/VSR_TablePool.h"
#include "engine/shared/VTriStateCompiler.h"

class VSR_3States : public VSR_TablePool<VTriStateCompiler> {
 public:
  VSR_3States()
      : VSR_TablePool({"3States.Directory", "3States.Suffix", "Error reading 3States.Directory "}) {
  }

 protected:
  bool LoadItem(const std::string& name, const std::string& path) override;
};
