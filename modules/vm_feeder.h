// The feeder that cuts the text at delimiter characters. It converts the
// working text through the rule collections of "VM_Feeder.FileChain" and
// either hands the whole conversion on or, with chopping on
// ("VM_Feeder.ChopInputText"), runs the rest of the chain once per pass:
//  - the text is cut into segments at ';', '!', '?', CR, TAB, VT and LF;
//  - a segment of at most "VM_Feeder.OnePassSize" characters is one pass:
//    its conversion together with the delimiter that ends it;
//  - a longer segment is cut into windows ending with a blank, each grown by
//    a pass size until its conversion leaves a sentence end (one of
//    . ; ! ? : + / and a blank) unchanged in its tail; the pass is the
//    conversion of the window up to that mark, and the blank begins the next
//    one. A window that reaches the segment's end without such a cut takes
//    the whole segment. A pass size of 0 or below makes every segment one
//    pass.
// The composer switches this feeder off before every run that it starts; it
// runs only in chains that a host runs itself.
#pragma once

#include <string>

#include "modules/vm_converter.h"

class VM_Feeder : public VM_Converter {
 public:
  VM_Feeder();

  // Binds the converter and reads the chop flag and the pass size; true.
  bool SetUp() override;
  // Copies the working text; without chopping converts it whole, true; with
  // chopping runs the rest of the chain once per pass and answers false. A
  // stop request ends the feeding before the next segment.
  bool Run() override;

  bool IsChopping() const { return chop_; }
  int GetPassSize() const { return passSize_; }

 private:
  bool RunChopped();
  // The length of the pass at q in a segment of n characters longer than a
  // pass size.
  std::size_t Window(std::size_t q, std::size_t n) const;
  // Where the window of w characters at q ends a sentence that its
  // conversion leaves unchanged; 0 when it does not.
  std::size_t SentenceCut(std::size_t q, std::size_t w, const std::string& converted) const;

  std::string copy_;
  int passSize_ = 0;
  bool chop_ = false;
};
