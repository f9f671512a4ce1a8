// Gives each phone a duration factor from a tri-state rule table.
#pragma once

#include "engine/composer/VModule.h"

class VM_DurationTriState : public VModule {
 public:
  VM_DurationTriState();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
