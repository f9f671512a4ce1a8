// The one way the engine ends the process with one of its exit codes
// (10, 540, 541, 550). Never called from a destructor.
#pragma once

namespace platform {

using ExitHook = void (*)(int code);

// Ends the process with the code: the hook runs first (by default it flushes
// the standard streams and calls _Exit). Should a replacement hook return,
// the process still ends.
[[noreturn]] void ExitProcess(int code);

// Replaces the hook; returns the previous one. A null hook restores the default.
ExitHook SetExitHook(ExitHook hook);

}  // namespace platform
