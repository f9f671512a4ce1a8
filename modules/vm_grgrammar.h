// Gives each token of the "Word" layer a "grammar" feature from two tree
// lexicons: "VM_GrGrammar.Exceptions", asked for the whole word first, and
// "VM_GrGrammar.Endings", asked for the word's endings, longest first (an
// entry with an empty value counts as none). The words are those of the
// composer's filtered text (kept by VM_FilterPlain), split at " .,!;?" and
// paired in order with the Word tokens, which the word layer built from the
// phone string; empty words are skipped.
#pragma once

#include <string>

#include "engine/composer/VModule.h"

class LexTree;
class VLayer;

class VM_GrGrammar : public VModule {
 public:
  VM_GrGrammar();

  // Forgets both lexicons; true.
  bool ReleaseResources() override;
  bool Init() override { return true; }
  // Takes both lexicons that the current font names (none when the pool
  // lacks a name; nothing is reported); true.
  bool SetUp() override;
  // Tags the words; without a "Word" layer an error line goes to the engine
  // log and the answer is false, which ends the run.
  bool Run() override;
  bool Release() override { return true; }

 private:
  // The grammar of a word: its exception, else the value of its longest
  // ending that has one; "" when none has.
  std::string GrammarOf(const std::string& word) const;

  const LexTree* endings_ = nullptr;
  const LexTree* exceptions_ = nullptr;
};
