// The user lexicons of the process: every file of "User.Lexicon.Directory"
// ending in "User.Lexicon.Suffix", keyed by its file name. Plain text
// entries: a word, "=" and the value.
#pragma once

#include "engine/shared/LexTree.h"
#include "engine/shared/VSR_TablePool.h"

class VSR_VUserLexicon : public VSR_TablePool<LexTree> {
 public:
  static constexpr const char* kDelimiters = "=";

  VSR_VUserLexicon()
      : VSR_TablePool({"User.Lexicon.Directory", "User.Lexicon.Suffix",
                       "Error reading User.Lexicon.Directory "}) {}

 protected:
  bool LoadItem(const std::string& name, const std::string& path) override;
};
