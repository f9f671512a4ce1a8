#include "ExitHook.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

[[noreturn]] void DefaultExit(int code) {
  std::fflush(nullptr);
  std::_Exit(code);
}

std::atomic<ExitHook> g_hook{DefaultExit};

}  // namespace

void ExitProcess(int code) {
  g_hook.load()(code);
  DefaultExit(code);
}

ExitHook SetExitHook(ExitHook hook) { return g_hook.exchange(hook ? hook : DefaultExit); }

}  // namespace platform
