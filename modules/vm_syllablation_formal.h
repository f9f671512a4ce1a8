// Cuts the phone string of a run into the "Syllable" layer: each syllable is
// its onset consonants and one vowel, marked "stressed" = "1" when the vowel
// is a stressed one; consonants left before the next character that is not
// a phone join the last syllable (across any characters that are not phones
// between them). Consonants at the very start, with no vowel before the
// first character that is not a phone, make one token up to and including
// that character. A run of consonants at the end of the text makes nothing.
// Phones, vowels and stressed vowels are the phone table's "phone",
// "vowel" and "stressed".
#pragma once

#include "engine/composer/VModule.h"

class VM_LayerSyllable : public VModule {
 public:
  VM_LayerSyllable();

  bool ReleaseResources() override;
  // Creates the layer "Syllable" in the composer's data structure; true.
  bool Init() override;
  // Reads no key; true.
  bool SetUp() override;
  // Rebuilds the layer from the working text; true.
  bool Run() override;
  bool Release() override;
};
