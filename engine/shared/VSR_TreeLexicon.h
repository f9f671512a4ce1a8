// The tree lexicons of the process: every file of "Lexicon.Directory" ending
// in "Lexicon.Suffix", keyed by its file name. Entries are a word, a tab and
// the value; the files are scrambled records exactly when "Lexicon.EForm"
// is "yes", plain text otherwise.
#pragma once

#include "engine/shared/LexTree.h"
#include "engine/shared/VSR_TablePool.h"

class VSR_TreeLexicon : public VSR_TablePool<LexTree> {
 public:
  static constexpr const char* kEFormKey = "Lexicon.EForm";
  static constexpr const char* kDelimiters = "\t";

  VSR_TreeLexicon()
      : VSR_TablePool({"Lexicon.Directory", "Lexicon.Suffix", "Error reading Lexicon.Directory "}) {
  }

  // The value of "Lexicon.EForm" at the last load: true exactly for "yes".
  bool IsEnciphered() const { return enciphered_; }

 protected:
  void ReadSettings(const VConfiguration& config) override;
  bool LoadItem(const std::string& name, const std::string& path) override;

 private:
  bool enciphered_ = false;
};
