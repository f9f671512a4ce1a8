// Lengthens the final phones of phrase-final words.
#pragma once

#include "engine/composer/VModule.h"

class VM_DurationWord : public VModule {
 public:
  VM_DurationWord();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
