// Converts the working text through its rule collections in the feeder's place, for speech to a
// buffer or a file.
#pragma once

#include "engine/composer/VModule.h"

class VM_FeederPre : public VModule {
 public:
  VM_FeederPre();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
