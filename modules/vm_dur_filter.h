// Shortens every vowel: the duration factor of each character of the phone
// string whose phone has the feature "vowel" is multiplied by 0.9 (as a
// single-precision float).
#pragma once

#include "engine/composer/VModule.h"

class VM_DurationFilter : public VModule {
 public:
  static constexpr float kVowelFactor = 0.9f;

  VM_DurationFilter();

  bool ReleaseResources() override;
  bool Init() override;
  // Reads no key; true.
  bool SetUp() override;
  // Prepares the durations and shortens the vowels; true. A failed
  // preparation changes nothing.
  bool Run() override;
  bool Release() override;
};
