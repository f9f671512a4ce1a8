// The engine log "log.txt" in the installation directory: restarted with a
// time-stamp line when the shared resources load, then receiving error lines
// ("*** ERROR:\t" and the message) and module lines. Every line is appended
// and flushed at once; the file stays open while an engine holds the
// installation (VLib::HoldInstallation), else each write opens and closes it.
#pragma once

#include <atomic>
#include <string>

namespace Log {

// Process-wide switches, on from the start and set on again when the shared
// resources load. Only the errors switch governs anything: Error and Error2
// write only while it is on.
extern std::atomic<bool> errorsSwitch;
extern std::atomic<bool> warningsSwitch;
extern std::atomic<bool> switch1;
extern std::atomic<bool> switch4;

void EnableErrors();
void EnableWarnings();
void SetSwitch1();
void SetSwitch4();

// Restarts file (null: the installation's "log.txt") with one line holding
// the time stamp "%Y%m%d%H%M%S".
void Init(const char* file = nullptr);

// Appends "*** ERROR:\t", the message and a newline to "log.txt" while the
// errors switch is on. A null text reads as the empty text.
void Error(const char* message);
void Error(const std::string& message);

// Error of a followed directly by b.
void Error2(const char* a, const char* b);
void Error2(const std::string& a, const std::string& b);

// Appends "|->[ name ]" when ok, else "*** FAIL TO LOAD MODULE [ name ] ***",
// and a newline, to "log.txt".
void Module(const char* name, bool ok);
void Module(const std::string& name, bool ok);

// Accept their texts and write nothing.
template <typename A, typename B>
inline void Warning2(const A&, const B&) {}
template <typename... Args>
inline void Trace2(const Args&...) {}

}  // namespace Log
