// What the composer asks of its output modules besides running them: an
// output that sounds on the card (VM_SpeechOut_Mbr, VM_Playback) is
// stopped, paused, resumed and given the volume; the wave-file output
// (VM_SaveWave) is given its file. An output keeps the defaults of what it
// has no part in. The composer reaches a module's VOutput by a cast, so the
// engine needs no module header.
#pragma once

#include <atomic>
#include <string>

class VOutput {
 public:
  // SetVolume's answer of an output that has no volume (the composer's
  // code for a volume without the MBROLA player output).
  static constexpr int kNoVolume = -2005;

  virtual ~VOutput() = default;

  // Ends the sound under way: 0 or a negative code.
  virtual int Stop() { return 0; }
  // Cuts the sound under way for a pause, as Stop does: 0 or a negative
  // code.
  virtual int Pause() { return Stop(); }
  // Sounds again after a pause: 0, a warning (positive) or a negative code.
  virtual int Resume() { return 0; }
  // Sets the volume ratio: 0, or kNoVolume when the output has none.
  virtual int SetVolume(float /*ratio*/) { return kNoVolume; }
  // The file that the next run writes; only a wave-file output keeps it.
  virtual void SetFileName(const std::string& /*name*/) {}

 protected:
  // The error report "Error: the sound output could not be opened: " and
  // why, once in the output's life (one output object per engine): a
  // missing sound card is said once, not at every pass.
  void ReportNoSoundOutput(const std::string& why);

 private:
  std::atomic<bool> noSoundReported_{false};
};
