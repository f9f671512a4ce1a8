// Never runs in the product: the composer creates it but never registers
// it, so no voice font can chain it. Run on its own (as its tests do), it
// replaces the words that a user lexicon knows, without normalising. Keys:
// "VM_User_ToPhones.Lexicon" and "VM_User_ToPhones.Delimiters".
#pragma once

#include "modules/vm_wordreplacer.h"

class VM_User_ToPhones : public VM_WordReplacer {
 public:
  VM_User_ToPhones()
      : VM_WordReplacer("VM_User_ToPhones",
                        {"VM_User_ToPhones.Lexicon", "VM_User_ToPhones.Delimiters", false, false}) {
  }
};
