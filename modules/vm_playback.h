// Plays the samples of the speech buffer on the sound card.
#pragma once

#include "engine/composer/VModule.h"

class VM_Playback : public VModule {
 public:
  // PlayBlock's warning: there is no block to play.
  static constexpr int kNothingHeld = 1050;

  VM_Playback();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;

  // Stops the block that is playing; 0.
  virtual int Stop();
  // Plays the held block again from its start: 0, or 1050 when no block is
  // held.
  virtual int PlayBlock();
};
