#include "modules/vm_playback.h"

#include <mutex>

#include "engine/composer/VCharacter.h"
#include "engine/composer/VComposer.h"
#include "engine/composer/VControl.h"
#include "engine/data/VSpeechBuffer.h"
#include "support/cplayback.h"

namespace {

constexpr uint32_t kRate = 22050;
constexpr uint16_t kBytesPerSample = 2;

// The engine's one player and what it plays with.
CPlayBack g_player(".", "cplayback");
platform::HWaveOut g_device = nullptr;
platform::WaveHeader g_header;
platform::WaveFormat g_format;
// Player calls of the worker and of the caller's thread take turns.
std::mutex g_playerMutex;

platform::WaveFormat PlaybackFormat() {
  platform::WaveFormat format;
  format.formatTag = platform::kWaveFormatPcm;
  format.channels = 1;
  format.samplesPerSec = kRate;
  format.avgBytesPerSec = kRate * kBytesPerSample;
  format.blockAlign = kBytesPerSample;
  format.bitsPerSample = 8 * kBytesPerSample;
  return format;
}

bool OpenDevice() {
  return g_player.openWaveOutDevice(&g_device, g_format, &CPlayBack::waveOutProc,
                                    platform::kCallbackFunction);
}

// Stops a playing block; in open-at-play mode the reset closed the device.
void StopBlock() {
  if (!g_player.isPlaying(g_header)) return;
  g_player.reset(g_device, &g_header);
  if (CPlayBack::openAtPlay() && !CPlayBack::deviceOpen()) g_device = nullptr;
}

// Sleeps until the block has finished; in open-at-play mode its device is
// then closed here, on the waiting thread (never in the device's callback).
void WaitForBlock() {
  g_player.waitWhilePlaying(g_header);
  std::lock_guard<std::mutex> lock(g_playerMutex);
  g_player.closeFinished(&g_device, &g_header);
}

}  // namespace

VM_Playback::VM_Playback() : VModule("VM_Playback") {}

VM_Playback::~VM_Playback() { VM_Playback::Release(); }

bool VM_Playback::ReleaseResources() { return Release(); }

bool VM_Playback::Init() { return true; }

bool VM_Playback::SetUp() {
  VComposer* composer = GetComposer();
  const VCharacter* character = composer != nullptr ? composer->GetCharacter() : nullptr;
  const bool openAtPlay = character != nullptr && character->GetParameter(kOpenAtPlayKey) == "yes";
  blockAfter_ = character != nullptr && character->GetParameter(kBlockAfterKey) == "yes";

  std::lock_guard<std::mutex> lock(g_playerMutex);
  g_format = PlaybackFormat();
  // The header may still be in the device: stop the block and release the
  // header before it is zeroed.
  StopBlock();
  if (g_device != nullptr) g_player.unprepareHeader(g_device, &g_header);
  // A device that a play opened is closed as after its block.
  g_player.closeFinished(&g_device, &g_header);
  CPlayBack::setOpenAtPlay(openAtPlay);
  if (openAtPlay && g_device != nullptr) {
    // Every play opens its own device: the set-up's device goes.
    g_player.closeDevice(g_device);
    g_device = nullptr;
  } else if (!openAtPlay && g_device == nullptr) {
    OpenDevice();
  }
  g_header.Clear();
  return true;
}

bool VM_Playback::Run() {
  VComposer* composer = GetComposer();
  const VControl* control = composer != nullptr ? composer->GetControl() : nullptr;
  std::string noOutput;
  for (bool played = false; !played;) {
    WaitForBlock();
    if (Aborted()) return true;
    if (control != nullptr) control->WaitWhilePaused();
    if (Aborted()) return true;
    // A resume may have started the held block again: let it finish.
    WaitForBlock();
    std::lock_guard<std::mutex> lock(g_playerMutex);
    if (Aborted()) return true;
    // A pause that came after the wait above found no block to stop: it
    // holds this pass until the resume. (Stop and pause mark the run
    // before they take the lock to stop the block.)
    if (control != nullptr && control->IsPaused()) continue;
    const VSpeechBuffer* speech = composer != nullptr ? composer->GetSpeechBuffer() : nullptr;
    const char* samples = speech != nullptr && speech->GetSamples() != nullptr
                              ? reinterpret_cast<const char*>(speech->GetSamples())
                              : nullptr;
    const std::size_t bytes =
        samples != nullptr ? static_cast<std::size_t>(speech->GetSize()) * kBytesPerSample : 0;
    held_ = std::make_unique<std::vector<char>>(samples, samples + bytes);
    StartPlay(&noOutput);
    played = true;
  }
  if (!noOutput.empty()) ReportNoSoundOutput(noOutput);
  if (blockAfter_) WaitForBlock();
  return true;
}

bool VM_Playback::Release() {
  std::lock_guard<std::mutex> lock(g_playerMutex);
  StopBlock();
  if (!CPlayBack::openAtPlay()) {
    if (g_device != nullptr) g_player.unprepareHeader(g_device, &g_header);
    g_player.closeDevice(g_device);
    g_device = nullptr;
  } else {
    g_player.closeFinished(&g_device, &g_header);
  }
  return true;
}

int VM_Playback::Stop() {
  std::lock_guard<std::mutex> lock(g_playerMutex);
  StopBlock();
  return 0;
}

int VM_Playback::PlayBlock() {
  std::string noOutput;
  {
    std::lock_guard<std::mutex> lock(g_playerMutex);
    if (!held_) return kNothingHeld;
    StartPlay(&noOutput);
  }
  if (!noOutput.empty()) ReportNoSoundOutput(noOutput);
  if (blockAfter_) WaitForBlock();
  return 0;
}

int VM_Playback::StartPlay(std::string* noOutput) {
  // Another engine's release may have closed the shared device.
  if (!CPlayBack::openAtPlay() && g_device == nullptr && !OpenDevice()) {
    *noOutput = g_player.getErrorTextRef();
    return 0;
  }
  const bool played = g_player.play(&CPlayBack::waveOutProc, platform::kCallbackFunction, g_format,
                                    held_->data(), held_->size(), true, &g_device, &g_header, true);
  if (!played && g_device == nullptr) *noOutput = g_player.getErrorTextRef();
  return 0;
}
