// Builds the "Phrase" layer from the break characters of the phone string
// and from conjunction words, and marks the first and last word of every
// phrase ("phrase" = "start" and "fin"; both, in that order, on a phrase of
// one word).
//
// A phrase runs from a phone to the last phone before the break that closes
// it, and its "type" follows that break: '!' "exclamation", ',' and '/'
// "comma", '.' "stop", ';' "question", any other break the empty value. A
// phrase still open at the end of the text makes no token.
//
// A word whose features hold the text "conjunction" (any lexicon tag whose
// name holds it) starts a phrase of its own: the character just before it
// is rewritten in the working text to '/', a break that closes the phrase
// before it as a comma. Nothing is rewritten when either of the two
// characters before the conjunction is a break (or the second lies outside
// the text or is the zero character), so a stop, question or exclamation
// right before a conjunction is never lost. The '/' stays in the working
// text for the modules after this one. Phones and breaks are the phone
// table's "phone" and "break".
#pragma once

#include "engine/composer/VModule.h"

class VM_LayerPhrase : public VModule {
 public:
  // The break written before a conjunction.
  static constexpr char kConjunctionBreak = '/';
  // The source name of the log line of a missing "Word" layer.
  static constexpr const char* kSourcePath = "vm_phrasation";

  VM_LayerPhrase();

  bool ReleaseResources() override;
  // Creates the layer "Phrase"; true.
  bool Init() override;
  // Reads no key; true.
  bool SetUp() override;
  // Rebuilds the layer. False only when the composer has no "Word" layer:
  // then "vm_phrasation: Word layer required" goes to the engine log.
  bool Run() override;
  bool Release() override;

  // The phrase type that a break character gives ("" for any other).
  static const char* TypeOf(char breakCharacter);
};
