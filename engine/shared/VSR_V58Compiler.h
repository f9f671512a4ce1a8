// The V58 prosodic templates of the process: every file of
// "V58Compiler.Directory" ending in "V58Compiler.Suffix", loaded into a
// V58ProsodicCompiler keyed by its file name. A template file that cannot
// be read gives a compiler without collections; the pool's load fails only
// on a directory it cannot use.
#pragma once

#include "engine/shared/V58ProsodicCompiler.h"
#include "engine/shared/VSR_TablePool.h"

class VSR_V58Compiler : public VSR_TablePool<V58ProsodicCompiler> {
 public:
  VSR_V58Compiler()
      : VSR_TablePool({"V58Compiler.Directory", "V58Compiler.Suffix",
                       "Error reading V58Compiler.Directory "}) {}

 protected:
  bool LoadItem(const std::string& name, const std::string& path) override;
};
