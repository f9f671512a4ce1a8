// Builds the "Word" layer: one word token per run of phones closed by a
// character that is not a phone (a run at the very end of the text makes
// no word). A word found in the voice font's tree lexicon gets its entry
// text as a flag ("conjunction" gives "conjunction:1"). Then the syllable
// that holds a word's first character gets "word" = "start" and the one
// that holds its last character "word" = "fin" (both, in that order, on a
// word of one syllable); a word character that no syllable holds is
// rejected by VLayer::check with its line in the engine log.
#pragma once

#include "engine/composer/VModule.h"

class LexTree;

class VM_LayerWord : public VModule {
 public:
  static constexpr const char* kLexiconKey = "VM_LayerWord.Lexicon";

  VM_LayerWord();
  ~VM_LayerWord() override;

  // Forgets the lexicon; true.
  bool ReleaseResources() override;
  // Forgets the lexicon and creates the layer "Word"; true.
  bool Init() override;
  // Takes the tree lexicon that "VM_LayerWord.Lexicon" names exactly (a
  // full file name of the shared lexicons); none when it names no loaded
  // lexicon, and words then get no tag. True.
  bool SetUp() override;
  // Rebuilds the layer and marks the syllables; true.
  bool Run() override;
  bool Release() override;

  const LexTree* GetLexicon() const { return lexicon_; }

 private:
  const LexTree* lexicon_ = nullptr;
};
