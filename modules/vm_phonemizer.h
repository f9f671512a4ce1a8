// Turns the spelled text into the phone string (one character per phone)
// through the rule collections of "VM_Phonemizer.FileChain". A font without
// that key empties the text.
#pragma once

#include "modules/vm_converter.h"

class VM_Phonemizer : public VM_Converter {
 public:
  VM_Phonemizer() : VM_Converter("VM_Phonemizer", "VM_Phonemizer.FileChain") {}
};
