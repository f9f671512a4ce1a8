#include "engine/shared/VSR_VUserLexicon.h"

bool VSR_VUserLexicon::LoadItem(const std::string& name, const std::string& path) {
  auto* lexicon = new LexTree();
  lexicon->Load(path, kDelimiters, false);
  Enter(name, lexicon);
  return true;
}
