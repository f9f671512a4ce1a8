// Converts the working text through the rule collections of
// "VM_Feeder_Post.FileChain", wherever a voice font places it.
#pragma once

#include "modules/vm_converter.h"

class VM_FeederPost : public VM_Converter {
 public:
  VM_FeederPost() : VM_Converter("VM_FeederPost", "VM_Feeder_Post.FileChain") {}
};
