#include "engine/composer/VCharacter.h"

#include "engine/composer/VCharacterPool.h"

VCharacter::~VCharacter() = default;

std::string VCharacter::GetParameter(const std::string& key) const {
  std::string value = GetParam(key, false);
  if (!value.empty() || composer_ == nullptr) return value;
  const VCharacterPool* pool = composer_->GetCharacterPool();
  if (pool == nullptr) return value;
  const VCharacter* fallback = pool->Find(kDefaultKey);
  if (fallback == nullptr) return value;
  // The default font's own file only: its fallback is not asked.
  return fallback->GetParam(key, true);
}

std::string VCharacter::GetParameter(const char* key) const {
  return GetParameter(std::string(key != nullptr ? key : ""));
}

void VCharacter::SetComposer(VComposer* composer) {
  composer_ = composer;
  chain_.SetComposer(composer);
}
