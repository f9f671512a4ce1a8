// The composer's table of voice fonts: every file of the voice-font
// directory that ends with the configured suffix, keyed by its file name, in
// file-name order. The pool owns its characters; Clear deletes them.
#pragma once

#include <string>

#include "engine/base/VMap.h"
#include "engine/composer/VCharacter.h"
#include "engine/composer/VComponent.h"

class VCharacterPool : public VComponent {
 public:
  // The number of characters the table holds.
  static constexpr int kCapacity = VMap<VCharacter>::kCapacity;

  VCharacterPool() : VComponent("VCharacterPool") {}
  VCharacterPool(const VCharacterPool&) = delete;
  VCharacterPool& operator=(const VCharacterPool&) = delete;

  // Loads every font of "VoiceFonts.Directory" (relative to the installation)
  // whose name ends with "VoiceFonts.Suffix" (both read from the engine
  // configuration with the missing-key report), then builds each character's
  // chain from its "VModuleChain.Modules". A font that cannot be read is
  // entered all the same. Fonts beyond the table's capacity are skipped with
  // one error report. False, with the pool unchanged, when the directory
  // cannot be listed or the composer or its configuration is missing.
  bool Load();

  // Lists the table in the engine log and deletes every character; true.
  bool Clear();

  // Builds the chain of ch from its "VModuleChain.Modules": names separated
  // by ';' or line feeds, up to the first empty name; a name that no module
  // of the composer's directory bears is skipped.
  void BuildChain(VCharacter* ch) const;

  using VComponent::GetName;
  // The key of entry index; "" outside 0 to Count() - 1.
  std::string GetName(int index) const;
  int Count() const { return table_.Count(); }
  // The character of the first entry whose key equals key exactly; null when
  // there is none.
  VCharacter* Find(const std::string& key) const { return table_.Find(key); }
  VCharacter* At(int index) const;

 private:
  VMap<VCharacter> table_;
};
