#include "engine/shared/VSR_V58Compiler.h"

bool VSR_V58Compiler::LoadItem(const std::string& name, const std::string& path) {
  auto* compiler = new V58ProsodicCompiler();
  compiler->Load(path);
  Enter(name, compiler);
  return true;
}
