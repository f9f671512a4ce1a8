// A program that ends with exit() while an engine lives, idle, speaking or
// paused, on either playback method (the wave-out player and the MBROLA
// player library), on the virtual device set or on SDL's disk driver: the
// process ends with the status it asked for, and nothing aborts or hangs on
// the way (the sanitizer builds end it on any use of freed memory).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/interface/tmengine.h"
#include "platform/waveout/VirtualWaveOut.h"
#include "tests/common/Installation.h"

namespace {

using testing_support::Installation;

enum class Device { kVirtual, kSdlDisk };
// What the engine does when the process ends: nothing (a new engine), or
// it has spoken a sentence, or it speaks, or its speech is paused.
enum class Speech { kNone, kSpoken, kSpeaking, kPaused };

struct ExitCase {
  const char* name;
  const char* font;
  Device device;
  Speech speech;
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
  if (row.speech != Speech::kNone) {
    check(tmengine__SelectVoiceFont(engine, row.font) == 0);
    const bool spoken = row.speech == Speech::kSpoken;
    std::string text;
    for (int i = 0; i < (spoken ? 1 : 40); ++i) text += "καλημέρα σας και καλό ξημέρωμα. ";
    check(tmengine__TextToSpeech(engine, text.c_str(), spoken ? 1 : 0) == 0);
    check(testing_support::WaitUntil(heard, std::chrono::seconds(60)));
    if (row.speech == Speech::kPaused) check(tmengine__SpeakPause(engine) == 0);
  }
  std::exit(3);
}

TEST(ProcessExitThreadsDeathTest, ExitWithAnEngineAliveEndsWithItsStatus) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const ExitCase rows[] = {
      {"a new engine", "", Device::kVirtual, Speech::kNone},
      {"a new engine on SDL", "", Device::kSdlDisk, Speech::kNone},
      {"wave-out player, speaking", "default.vof", Device::kVirtual, Speech::kSpeaking},
      {"wave-out player on SDL, speaking", "default.vof", Device::kSdlDisk, Speech::kSpeaking},
      {"wave-out player, paused", "default.vof", Device::kVirtual, Speech::kPaused},
      {"wave-out player, spoken", "default.vof", Device::kVirtual, Speech::kSpoken},
      {"player library, speaking", "mbrola.vof", Device::kVirtual, Speech::kSpeaking},
      {"player library on SDL, speaking", "mbrola.vof", Device::kSdlDisk, Speech::kSpeaking},
      {"player library, paused", "mbrola.vof", Device::kVirtual, Speech::kPaused},
      {"player library, spoken", "mbrola.vof", Device::kVirtual, Speech::kSpoken},
  };
  for (const ExitCase& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EXIT(ExitWithAnEngine(row), testing::ExitedWithCode(3), "");
  }
}

}  // namespace
