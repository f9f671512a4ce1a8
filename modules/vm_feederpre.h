// Converts the working text through the rule collections of
// "VM_Feeder_Pre.FileChain". It stands in for the text feeder when the
// composer runs a chain to a buffer or a file, and is switched off for
// speech to the sound card.
#pragma once

#include "modules/vm_converter.h"

class VM_FeederPre : public VM_Converter {
 public:
  VM_FeederPre() : VM_Converter("VM_FeederPre", "VM_Feeder_Pre.FileChain") {}
};
