// Smooths the jumps between neighbouring pitch cells.
#pragma once

#include "engine/composer/VModule.h"

class VM_SmoothF0 : public VModule {
 public:
  VM_SmoothF0();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
