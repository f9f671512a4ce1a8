// Plays the samples of the speech buffer on the sound card through the
// wave-out player (CPlayBack): each run takes the pass's samples out of the
// buffer, holds them, and plays them as one block; the composer, through
// the module's VOutput, stops the block (stop, pause) and plays the held
// block again from its start (resume).
//
// The player, the device handle, the wave header and the format belong to
// this source file: one engine-wide player, 22050 Hz, mono, 16 bits. Calls
// of the player from the worker and the caller's threads take turns under
// one lock; the waits sleep until the device's callback reports the end of
// the block.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/composer/VModule.h"
#include "engine/composer/VOutput.h"

class VM_Playback : public VModule, public VOutput {
 public:
  // PlayBlock's warning: there is no block to play.
  static constexpr int kNothingHeld = 1050;
  // Voice-font keys (yes/no).
  static constexpr const char* kOpenAtPlayKey = "VM_Playback.OpenAtPlay";
  static constexpr const char* kBlockAfterKey = "VM_Playback.BlockAfter";

  VM_Playback();
  // Releases the held block.
  ~VM_Playback() override;

  // Stops the block and closes the device (Release), so that no device
  // outlives the engine. True.
  bool ReleaseResources() override;
  bool Init() override;
  // Sets the format, the open-at-play mode ("VM_Playback.OpenAtPlay" is
  // "yes") and BlockAfter ("VM_Playback.BlockAfter" is "yes"). A block still
  // playing is stopped and the header released before the header is zeroed;
  // without open-at-play the device opened by an earlier set-up is kept
  // (opened when there is none; a failure is not reported), with it a
  // device left open is closed. True.
  bool SetUp() override;
  // Waits for the previous block, returns on an abort, waits while paused,
  // returns on an abort, waits for a block that a resume started, then
  // holds the speech buffer's samples and plays them (PlayBlock). A pause
  // that comes after the wait while paused holds the pass as well; a stop
  // ends the run. True.
  bool Run() override;
  // Stops a playing block and, unless in open-at-play mode, closes the
  // device. True.
  bool Release() override;

  // VOutput. Stops the block that is playing (nothing when none plays); 0.
  int Stop() override;
  // PlayBlock.
  int Resume() override { return PlayBlock(); }
  // Plays the held block again from its start (waiting for its end with
  // BlockAfter): 0, or 1050 when no block is held. Like Run, reports once
  // per module "Error: the sound output could not be opened: " and the
  // player's text when no device opens.
  virtual int PlayBlock();

  bool BlockAfter() const { return blockAfter_; }

 private:
  // Plays the held block with a copy of the player's own; when no device
  // opens, the player's text goes into *noOutput. 0.
  int StartPlay(std::string* noOutput);

  bool blockAfter_ = false;
  // The samples of the last run, without WAVE header; null before the first.
  std::unique_ptr<std::vector<char>> held_;
};
