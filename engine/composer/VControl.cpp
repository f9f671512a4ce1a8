#include "engine/composer/VControl.h"

#include <chrono>
#include <thread>

namespace {
std::atomic<bool> g_abort{false};
}

VControl::VControl() { SetAbort(false); }

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

void VControl::SetAbort(bool v) { g_abort.store(v, std::memory_order_relaxed); }

bool VControl::IsAbort() { return g_abort.load(std::memory_order_relaxed); }
