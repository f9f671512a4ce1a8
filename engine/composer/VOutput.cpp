// The sound outputs' shared report of a sound card that does not open.
#include "engine/composer/VOutput.h"

#include "engine/base/VLib.h"

namespace {
constexpr const char* kNoSoundOutputText = "Error: the sound output could not be opened: ";
}

void VOutput::ReportNoSoundOutput(const std::string& why) {
  if (noSoundReported_.exchange(true)) return;
  VLib::ReportError(kNoSoundOutputText + why);
}
