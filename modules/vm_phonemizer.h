// Converts the spelled text into the phone string, one character per phone.
#pragma once

#include "engine/composer/VModule.h"

class VM_Phonemizer : public VModule {
 public:
  VM_Phonemizer();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
