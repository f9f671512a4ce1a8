#include "modules/vm_syllablation_formal.h"

#include "engine/data/FeatureNames.h"
#include "engine/data/VLayer.h"
#include "engine/data/VTextBuffer.h"
#include "engine/data/_token_.h"
#include "engine/shared/PhoneFeature.h"

VM_LayerSyllable::VM_LayerSyllable() : VModule("VM_LayerSyllable") {}

bool VM_LayerSyllable::ReleaseResources() { return true; }

bool VM_LayerSyllable::Init() {
  CreateLayer(layers::kSyllable, layers::kSyllableHint);
  return true;
}

bool VM_LayerSyllable::SetUp() { return true; }

bool VM_LayerSyllable::Run() {
  VLayer* syllables = Layer(layers::kSyllable);
  VComposer* composer = GetComposer();
  if (syllables == nullptr || composer == nullptr) return true;
  syllables->Reset();
  VTextBuffer* text = composer->GetText();
  const VSR_PhonePool* table = PhoneTable();
  PhoneFeature isPhone(table, phone_features::kPhone);
  PhoneFeature isVowel(table, phone_features::kVowel);
  PhoneFeature isStressed(table, phone_features::kStressed);

  char* first = text->GetData();
  const int length = text->GetLength();
  bool open = false;
  char* runStart = first;
  char* lastSyllableStart = first;
  for (int i = 0; i < length; ++i) {
    char* c = first + i;
    if (isPhone(*c)) {
      if (!open) runStart = c;
      open = true;
      if (isVowel(*c)) {
        // The onset gathered since runStart and this vowel.
        _token_ syllable(runStart, c);
        if (isStressed(*c)) syllable.SetFlag(features::kStressed);
        syllables->Add(syllable);
        lastSyllableStart = runStart;
        open = false;
      }
    } else if (open) {
      // Consonants without a vowel: they close the last syllable; before
      // any syllable they make a token of their own, this character included.
      if (syllables->SetEndAt(lastSyllableStart, c - 1) < 0) syllables->Add(_token_(runStart, c));
      open = false;
    }
  }
  return true;
}

bool VM_LayerSyllable::Release() { return true; }
