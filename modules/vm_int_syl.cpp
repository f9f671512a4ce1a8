#include "modules/vm_int_syl.h"

#include <string>

#include "engine/base/Log.h"
#include "engine/data/FeatureNames.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/data/VLayer.h"
#include "engine/data/_token_.h"

VM_IntonationSyllable::VM_IntonationSyllable() : VModule("VM_IntonationSyllable") {}

bool VM_IntonationSyllable::ReleaseResources() { return true; }

bool VM_IntonationSyllable::Init() { return true; }

bool VM_IntonationSyllable::SetUp() {
  for (int i = 0; i < kPoints; ++i)
    contour_.x[static_cast<std::size_t>(i)] = FloatFontParameter(kXKeys[i]);
  for (int i = 0; i < kPoints; ++i)
    contour_.y[static_cast<std::size_t>(i)] = FloatFontParameter(kYKeys[i]);
  return true;
}

bool VM_IntonationSyllable::Run() {
  if (PrepareCells() < VIntonation::kPrepared) return false;
  VIntonation* intonation = GetComposer()->GetIntonation();
  const VLayer* syllables = nullptr;
  for (const char* name : {layers::kSyllable, layers::kWord, layers::kPhrase}) {
    const VLayer* l = Layer(name);
    if (l == nullptr) {
      Log::Error(std::string(kSourcePath) + ": " + name + " layer required");
      return false;
    }
    if (syllables == nullptr) syllables = l;
  }
  for (const _token_* syllable : syllables->Tokens()) {
    if (syllable->Contains(features::kStressed) == nullptr) continue;
    if (syllable->Contains(feature_pairs::kFirstStress) != nullptr ||
        syllable->Contains(feature_pairs::kLastStress) != nullptr ||
        syllable->Contains(feature_pairs::kPreLastStress) != nullptr) {
      continue;
    }
    intonation->ApplyContour(syllable->GetStart(), syllable->GetEnd(), &contour_, false, false);
  }
  return true;
}

bool VM_IntonationSyllable::Release() { return true; }
