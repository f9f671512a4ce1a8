// Applies the V58 prosodic templates phrase by phrase.
#pragma once

#include "engine/composer/VModule.h"

class VM_IntonationV58 : public VModule {
 public:
  VM_IntonationV58();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
