// Synthesises the phone text in process with the MBROLA library into the speech buffer.
#pragma once

#include "engine/VModule.h"

class VM_Mbrola : public VModule {
 public:
  VM_Mbrola();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
