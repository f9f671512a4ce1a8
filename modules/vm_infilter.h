// Keeps only the characters of the phone string that the shared phone table
// knows, and closes the string with '.' unless its last phone is a break.
// The filtered text of the composer is not touched.
#pragma once

#include "engine/composer/VModule.h"

class VM_InFilter : public VModule {
 public:
  VM_InFilter();

  bool ReleaseResources() override { return true; }
  bool Init() override { return true; }
  bool SetUp() override { return true; }
  // Filters the working text; without a phone table it becomes empty. True.
  bool Run() override;
  bool Release() override { return true; }
};
