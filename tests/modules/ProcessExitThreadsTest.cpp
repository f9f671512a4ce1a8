// A program that ends with exit() while an engine lives, idle or speaking on
// either playback method (the wave-out player and the MBROLA player
// library), on the virtual device set or on SDL's disk driver: the process
// ends with the status it asked for, nothing aborts or hangs on the way (the
// sanitizer builds end it on any use of freed memory).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "engine/interface/tmengine.h"
#include "platform/waveout/VirtualWaveOut.h"
#include "tests/common/Installation.h"

namespace {

using testing_support::Installation;

enum class Device { kVirtual, kSdlDisk };

struct ExitCase {
  const char* name;
  const char* font;  // null: no speech before the exit
  Device device;
  bool whileSpeaking;  // else the speech has ended before the exit
};

// Runs in the child: sets up an engine as the case says, then exit(3). A
// step that goes wrong ends the child with its number instead.
[[noreturn]] void ExitWithAnEngine(const ExitCase& row) {
  int step = 10;
  const auto check = [&step](bool ok) {
    if (!ok) std::_Exit(step);
    ++step;
  };
  Installation inst;
  inst.Assemble();
  std::unique_ptr<platform::VirtualWaveOut> devices;
  if (row.device == Device::kVirtual) {
    devices = std::make_unique<platform::VirtualWaveOut>();
  } else {
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", (inst.workDir() + "/heard.raw").c_str(), 1);
  }
  const auto heard = [&] {
    return devices != nullptr
               ? !devices->Blocks().empty()
               : testing_support::FileExists(inst.workDir() + "/heard.raw") &&
                     !testing_support::ReadFile(inst.workDir() + "/heard.raw").empty();
  };
  check(tmengine__LoadSharedResources() == 0);
  Tamrin* engine = nullptr;
  check(tmengine__New(&engine) == 0);
  if (row.font != nullptr) {
    check(tmengine__SelectVoiceFont(engine, row.font) == 0);
    std::string text;
    for (int i = 0; i < (row.whileSpeaking ? 40 : 1); ++i)
      text += "καλημέρα σας και καλό ξημέρωμα. ";
    check(tmengine__TextToSpeech(engine, text.c_str(), row.whileSpeaking ? 0 : 1) == 0);
    check(testing_support::WaitUntil(heard, std::chrono::seconds(60)));
  }
  std::exit(3);
}

TEST(ProcessExitThreadsDeathTest, ExitWithAnEngineAliveEndsWithItsStatus) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const ExitCase rows[] = {
      {"a new engine", nullptr, Device::kVirtual, false},
      {"a new engine on SDL", nullptr, Device::kSdlDisk, false},
      {"wave-out player, speaking", "default.vof", Device::kVirtual, true},
      {"wave-out player on SDL, speaking", "default.vof", Device::kSdlDisk, true},
      {"wave-out player, spoken", "default.vof", Device::kVirtual, false},
      {"player library, speaking", "mbrola.vof", Device::kVirtual, true},
      {"player library on SDL, speaking", "mbrola.vof", Device::kSdlDisk, true},
      {"player library, spoken", "mbrola.vof", Device::kVirtual, false},
  };
  for (const ExitCase& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EXIT(ExitWithAnEngine(row), testing::ExitedWithCode(3), "");
  }
}

}  // namespace
