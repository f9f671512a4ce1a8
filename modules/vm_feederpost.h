// Converts the working text through a further chain of rule collections.
#pragma once

#include "engine/composer/VModule.h"

class VM_FeederPost : public VModule {
 public:
  VM_FeederPost();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
