// The feeder that cuts the working text at delimiter characters and runs the rest of the chain once
// per pass.
#pragma once

#include "engine/composer/VModule.h"

class VM_Feeder : public VModule {
 public:
  VM_Feeder();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
