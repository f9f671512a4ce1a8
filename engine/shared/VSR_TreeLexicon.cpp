#include "engine/shared/VSR_TreeLexicon.h"

#include "engine/base/VConfiguration.h"

void VSR_TreeLexicon::ReadSettings(const VConfiguration& config) {
  enciphered_ = config.GetParam(kEFormKey, true) == "yes";
}

bool VSR_TreeLexicon::LoadItem(const std::string& name, const std::string& path) {
  auto* lexicon = new LexTree();
  lexicon->Load(path, kDelimiters, enciphered_);
  Enter(name, lexicon);
  return true;
}
