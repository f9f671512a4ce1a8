#include "engine/shared/VSR_CharacterPool.h"

bool VSR_CharacterPool::LoadItem(const std::string& name, const std::string& path) {
  auto* settings = new VConfiguration();
  settings->Load(path);
  Enter(name, settings);
  return true;
}
