// Shortens every vowel.
#pragma once

#include "engine/composer/VModule.h"

class VM_DurationFilter : public VModule {
 public:
  VM_DurationFilter();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
