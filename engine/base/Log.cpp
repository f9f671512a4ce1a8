#include "engine/base/Log.h"

#include "engine/base/VLib.h"
#include "support/utilities.h"

namespace Log {

std::atomic<bool> errorsSwitch{true};
std::atomic<bool> warningsSwitch{true};
std::atomic<bool> switch1{true};
std::atomic<bool> switch4{true};

void EnableErrors() { errorsSwitch.store(true); }
void EnableWarnings() { warningsSwitch.store(true); }
void SetSwitch1() { switch1.store(true); }
void SetSwitch4() { switch4.store(true); }

void Init(const char* file) { VLib::Trace(UTILITIES::getTimeStamp(), "w", true, file); }

void Error(const std::string& message) {
  if (!errorsSwitch.load()) return;
  VLib::Trace("*** ERROR:\t" + message, "a", true);
}

void Error(const char* message) { Error(std::string(message != nullptr ? message : "")); }

void Error2(const std::string& a, const std::string& b) { Error(a + b); }

void Error2(const char* a, const char* b) {
  Error2(std::string(a != nullptr ? a : ""), std::string(b != nullptr ? b : ""));
}

void Module(const std::string& name, bool ok) {
  VLib::Trace(ok ? "|->[ " + name + " ]" : "*** FAIL TO LOAD MODULE [ " + name + " ] ***", "a",
              true);
}

void Module(const char* name, bool ok) { Module(std::string(name != nullptr ? name : ""), ok); }

}  // namespace Log
