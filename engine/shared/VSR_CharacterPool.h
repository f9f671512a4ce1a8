// A table of settings files: every file of "Characters.Directory" ending in
// "Characters.Suffix", keyed by its file name. The shared resources hold one
// but never load it; the composer loads the voice fonts itself.
#pragma once

#include "engine/base/VConfiguration.h"
#include "engine/shared/VSR_TablePool.h"

class VSR_CharacterPool : public VSR_TablePool<VConfiguration> {
 public:
  VSR_CharacterPool()
      : VSR_TablePool(
            {"Characters.Directory", "Characters.Suffix", "Error reading Characters.Directory "}) {}

 protected:
  // A file that cannot be read is entered all the same (it has been reported).
  bool LoadItem(const std::string& name, const std::string& path) override;
};
