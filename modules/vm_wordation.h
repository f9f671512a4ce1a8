// Builds the "Word" layer over the syllables and tags words from a lexicon.
#pragma once

#include "engine/composer/VModule.h"

class VM_LayerWord : public VModule {
 public:
  VM_LayerWord();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;
};
