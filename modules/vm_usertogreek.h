// Replaces the words that a user lexicon knows, after normalising the text.
#pragma once

#include "engine/composer/VModule.h"

class VM_UserToGreek : public VModule {
 public:
  VM_UserToGreek();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
