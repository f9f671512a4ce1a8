// Run-state flags of one composer and the process-wide stops that end runs.
#pragma once

#include <atomic>
#include <cstdint>

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

  // A stop: ends the runs of every composer of the process (they share the
  // sound output). Nothing takes a stop back: a run that was under way when
  // it came stays aborted, whatever other composers do meanwhile.
  static void Abort();
  // Marks where this composer's next run begins as far as stops go: a stop
  // from now on aborts it, an earlier one does not. The composer calls it
  // while no run of its own is under way (a new control is marked so, too).
  void BeginRun();
  // Whether a stop came since the run began.
  bool IsAborted() const;

 private:
  std::atomic<bool> playing_{false};
  std::atomic<bool> paused_{false};
  std::atomic<bool> stopped_{true};
  std::atomic<bool> speaking_{false};
  std::atomic<bool> idle_{true};
  // The count of stops in the process when the run began.
  std::atomic<std::uint64_t> runStops_{0};
};
