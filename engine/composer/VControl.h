// Run-state flags of one composer and the process-wide abort flag.
#pragma once

#include <atomic>

class VControl {
 public:
  VControl();
  VControl(const VControl&) = delete;
  VControl& operator=(const VControl&) = delete;

  void SetPlaying(bool v);
  // Marks the output playing (playing set, stopped cleared) as a play
  // starts; unlike SetPlaying(true) it leaves the paused flag alone, so
  // that a pause requested while the play starts is not lost.
  void StartPlaying();
  void SetStopped(bool v);
  void SetPaused(bool v);
  void SetSpeaking(bool v);
  void SetIdle(bool v);

  bool IsPlaying() const { return playing_.load(std::memory_order_relaxed); }
  bool IsPaused() const { return paused_.load(std::memory_order_relaxed); }
  bool IsStopped() const { return stopped_.load(std::memory_order_relaxed); }
  bool IsSpeaking() const { return speaking_.load(std::memory_order_relaxed); }
  bool IsIdle() const { return idle_.load(std::memory_order_relaxed); }

  // Returns when the paused flag is clear (at once when it is already).
  void WaitWhilePaused() const;

  // The abort flag, one for the whole process.
  static void SetAbort(bool v);
  static bool IsAbort();

 private:
  std::atomic<bool> playing_{false};
  std::atomic<bool> paused_{false};
  std::atomic<bool> stopped_{true};
  std::atomic<bool> speaking_{false};
  std::atomic<bool> idle_{true};
};
