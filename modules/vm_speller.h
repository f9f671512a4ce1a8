// Converts the working text through the rule collections of
// "VM_Speller.FileChain", wherever a voice font places it.
#pragma once

#include "modules/vm_converter.h"

class VM_Speller : public VM_Converter {
 public:
  VM_Speller() : VM_Converter("VM_Speller", "VM_Speller.FileChain") {}
};
