// Tags the words of the "Word" layer with their grammar from two tree lexicons.
#pragma once

#include "engine/composer/VModule.h"

class VM_GrGrammar : public VModule {
 public:
  VM_GrGrammar();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
