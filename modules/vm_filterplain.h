// Keeps only the characters of "VM_FilterPlain.AllowedCharacters" in the
// spelled text (byte for byte: case and accents matter) and writes each line
// end (LF or CR, each on its own) as '#'. The result becomes the working text
// and the composer's filtered text, which the grammar module reads after the
// working text has become the phone string.
#pragma once

#include <bitset>

#include "engine/composer/VModule.h"

class VM_FilterPlain : public VModule {
 public:
  VM_FilterPlain();

  // Both allow no character; true.
  bool ReleaseResources() override;
  bool Init() override;
  // Allows the characters of the current font's key (none when it is
  // missing); true.
  bool SetUp() override;
  // Filters the working text into both texts; true.
  bool Run() override;
  bool Release() override { return true; }

  bool IsAllowed(unsigned char c) const { return allowed_[c]; }

 private:
  std::bitset<256> allowed_;
};
