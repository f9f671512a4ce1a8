// Replaces English words by their phones from a tree lexicon, and converts unknown words by letter-
// to-sound rules.
#pragma once

#include "engine/composer/VModule.h"

class VM_UsEnglish : public VModule {
 public:
  VM_UsEnglish();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
