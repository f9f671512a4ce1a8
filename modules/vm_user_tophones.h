// Replaces the words that a user lexicon knows, without normalising. The composer creates it but
// never registers it.
#pragma once

#include "engine/composer/VModule.h"

class VM_User_ToPhones : public VModule {
 public:
  VM_User_ToPhones();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
