#include "engine/composer/VControl.h"

#include <chrono>
#include <thread>

namespace {
// Stops so far in the process: it only ever grows, so that a stop cannot be
// undone by anyone. A stop publishes what its caller did before it (release)
// to the runs that see it (acquire).
std::atomic<std::uint64_t> g_stops{0};
}  // namespace

VControl::VControl() { BeginRun(); }

void VControl::SetPlaying(bool v) {
  paused_.store(false, std::memory_order_relaxed);
  playing_.store(v, std::memory_order_relaxed);
  stopped_.store(!v, std::memory_order_relaxed);
}

void VControl::StartPlaying() {
  playing_.store(true, std::memory_order_relaxed);
  stopped_.store(false, std::memory_order_relaxed);
}

void VControl::SetStopped(bool v) {
  paused_.store(false, std::memory_order_relaxed);
  playing_.store(!v, std::memory_order_relaxed);
  stopped_.store(v, std::memory_order_relaxed);
}

void VControl::SetPaused(bool v) { paused_.store(v, std::memory_order_relaxed); }

void VControl::SetSpeaking(bool v) {
  speaking_.store(v, std::memory_order_relaxed);
  idle_.store(!v, std::memory_order_relaxed);
}

void VControl::SetIdle(bool v) {
  speaking_.store(!v, std::memory_order_relaxed);
  idle_.store(v, std::memory_order_relaxed);
}

void VControl::WaitWhilePaused() const {
  // A pause lasts as long as the user wants; sleep between looks so that a
  // paused run costs no processor time.
  while (IsPaused()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

void VControl::Abort() { g_stops.fetch_add(1, std::memory_order_acq_rel); }

void VControl::BeginRun() {
  runStops_.store(g_stops.load(std::memory_order_acquire), std::memory_order_relaxed);
}

bool VControl::IsAborted() const {
  return g_stops.load(std::memory_order_acquire) != runStops_.load(std::memory_order_relaxed);
}
