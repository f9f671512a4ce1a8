// The feeder of speech to the sound card. It converts the working text
// through the rule collections of "VM_TextFeeder.FileChain" and either hands
// the whole conversion on to the modules behind it or, with chopping on, cuts
// the text into passes at sentence ends and runs the rest of the chain once
// per pass, so that long input is synthesised and played piece by piece.
//
// Chopped feeding reads pieces of "VM_TextFeeder.OnePassSize" characters and
// accumulates them into a pass:
//  - a piece holding the boundary (the value of
//    "VM_TextFeeder.EndOfSentenceBoundary" followed by CR, LF and VT) ends
//    after the boundary's first character and is accumulated;
//  - else a piece holding ". " ends after that full stop; when the conversion
//    of the accumulated text then ends with '.', it is a pass;
//  - else a piece ends after its last blank (a piece without one is taken
//    whole) and is accumulated;
//  - the rest of the text, once shorter than a piece, closes the last pass.
// Each pass converts the raw accumulated text once. A pass size of 0 or below
// makes the whole text one pass. While a pass that ends at a sentence end
// runs and more text follows it, the working text says that more speech
// follows, so that the durations and the phone text treat its last break as
// the pause it is; while a pass after the first runs, it says that the pass
// continues the speech of the one before, so that the durations and the
// pitch curve go on from where that one left them.
#pragma once

#include <string>

#include "modules/vm_converter.h"

class VM_TextFeeder : public VM_Converter {
 public:
  VM_TextFeeder();

  // Binds the converter and reads the chop flag, the pass size and the
  // boundary of the current font; true.
  bool SetUp() override;
  // Without chopping: converts the whole text, true. With chopping: runs the
  // rest of the chain once per pass and answers false, so that the run that
  // called the feeder does not go on behind it; a text of fewer than two
  // characters runs nothing. A stop request ends the feeding at the next
  // piece (the text accumulated so far becomes the working text).
  bool Run() override;

  bool IsChopping() const { return chop_; }
  int GetPassSize() const { return passSize_; }
  const std::string& GetBoundary() const { return boundary_; }

 private:
  bool RunChopped();
  // Runs a pass; continues: it follows an earlier pass of the same text;
  // more: it ends at a sentence end that more speech follows.
  void RunSentencePass(const std::string& text, bool continues, bool more);

  std::string boundary_;
  int passSize_ = 0;
  bool chop_ = false;
};
