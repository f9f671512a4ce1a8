#include "engine/composer/VModule.h"

#include "engine/composer/VCharacter.h"

std::string VModule::FontParameter(const std::string& key) const {
  VComposer* composer = PeekComposer();
  const VCharacter* character = composer != nullptr ? composer->GetCharacter() : nullptr;
  return character != nullptr ? character->GetParameter(key) : std::string();
}
