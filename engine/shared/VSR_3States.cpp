#include "engine/shared/VSR_3States.h"

bool VSR_3States::LoadItem(const std::string& name, const std::string& path) {
  auto* rules = new VTriStateCompiler();
  rules->Load(path);
  rules->SetHolder(holder_);
  Enter(name, rules);
  return true;
}
