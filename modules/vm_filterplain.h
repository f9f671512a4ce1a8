// Keeps only the allowed characters of the spelled text and keeps a copy for grammar tagging.
#pragma once

#include "engine/composer/VModule.h"

class VM_FilterPlain : public VModule {
 public:
  VM_FilterPlain();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
