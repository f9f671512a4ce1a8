#include "modules/vm_dur_filter.h"

#include <string>

#include "engine/data/FeatureNames.h"
#include "engine/data/VDuration.h"
#include "engine/data/VTextBuffer.h"
#include "engine/shared/PhoneFeature.h"

VM_DurationFilter::VM_DurationFilter() : VModule("VM_DurationFilter") {}

bool VM_DurationFilter::ReleaseResources() { return true; }

bool VM_DurationFilter::Init() { return true; }

bool VM_DurationFilter::SetUp() { return true; }

bool VM_DurationFilter::Run() {
  VDuration* duration = PreparedDurations();
  if (duration == nullptr) return true;
  const std::string& text = GetComposer()->GetText()->Str();
  PhoneFeature isVowel(PhoneTable(), phone_features::kVowel);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isVowel(text[i])) duration->Multiply(static_cast<int>(i), kVowelFactor);
  }
  return true;
}

bool VM_DurationFilter::Release() { return true; }
