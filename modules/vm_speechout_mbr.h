// Hands the phone text to the MBROLA player library, which plays it on the sound card.
#pragma once

#include "engine/composer/VModule.h"

class VM_SpeechOut_Mbr : public VModule {
 public:
  VM_SpeechOut_Mbr();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;

  // Marks the engine playing and plays text (a null text plays nothing); 0.
  virtual int Play(const char* text);
  // Ends the current play; 0.
  virtual int Stop();
  // Sets the player's volume ratio; 0.
  virtual int SetVolume(float ratio);
};
