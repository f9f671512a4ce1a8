// Cuts the phone string into the "Syllable" layer and marks the stressed syllables.
#pragma once

#include "engine/composer/VModule.h"

class VM_LayerSyllable : public VModule {
 public:
  VM_LayerSyllable();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
