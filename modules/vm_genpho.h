// Writes the MBROLA phone text of a run from the phones, durations and pitch.
#pragma once

#include "engine/VModule.h"

class VM_GeneratorPHO : public VModule {
 public:
  VM_GeneratorPHO();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
