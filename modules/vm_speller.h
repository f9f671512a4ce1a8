// Converts the working text through the speller's rule collections.
#pragma once

#include "engine/composer/VModule.h"

class VM_Speller : public VModule {
 public:
  VM_Speller();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
