// The feeder of speech to the sound card: converts the text and runs the rest of the chain once per
// pass.
#pragma once

#include "engine/composer/VModule.h"

class VM_TextFeeder : public VModule {
 public:
  VM_TextFeeder();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
