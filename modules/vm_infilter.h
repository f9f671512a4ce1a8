// Keeps only the phones of the phone table in the phone string and closes it with a pause.
#pragma once

#include "engine/composer/VModule.h"

class VM_InFilter : public VModule {
 public:
  VM_InFilter();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
