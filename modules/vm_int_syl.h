// Puts a pitch contour on every stressed syllable.
#pragma once

#include "engine/composer/VModule.h"

class VM_IntonationSyllable : public VModule {
 public:
  VM_IntonationSyllable();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
