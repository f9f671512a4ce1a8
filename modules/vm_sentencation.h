// Groups the phrases into the "Sentence" layer.
#pragma once

#include "engine/composer/VModule.h"

class VM_LayerSentence : public VModule {
 public:
  VM_LayerSentence();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
