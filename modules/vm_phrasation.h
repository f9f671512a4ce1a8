// Groups the words into the "Phrase" layer at breaks and conjunctions.
#pragma once

#include "engine/composer/VModule.h"

class VM_LayerPhrase : public VModule {
 public:
  VM_LayerPhrase();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
