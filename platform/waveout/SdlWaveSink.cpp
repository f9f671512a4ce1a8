// Wave-out devices on SDL2 audio: blocks are queued on an SDL output device
// as they are written and count as heard once SDL has taken them from its
// queue; closing the device lets SDL's last buffer play first.
#include <SDL.h>

#include <mutex>
#include <string>
#include <thread>

#include "platform/waveout/WaveSink.h"

namespace platform {
namespace {

// Samples of SDL's device buffer: short, so that the first sample is
// heard soon and a reset stops within a few milliseconds.
constexpr Uint16 kDeviceSamples = 512;
constexpr auto kSdlPoll = std::chrono::milliseconds(2);

// SDL's audio subsystem is started and stopped under this lock; every open
// device holds one start of it. The service is one shared library, so the
// engine and the player library take the same lock. Never destroyed: the
// devices still open at the process's end close after the static objects.
std::mutex& SdlMutex() {
  static std::mutex* const mutex = new std::mutex;
  return *mutex;
}

// SDL's audio start brings up its event subsystem, which by default takes
// SIGINT and SIGTERM for a quit event nobody reads here: the process that
// holds the engine keeps its own signal handling.
bool StartAudio() {
  SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
  return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}
void StopAudio() { SDL_QuitSubSystem(SDL_INIT_AUDIO); }

class SdlSink : public WaveSink {
 public:
  SdlSink(SDL_AudioDeviceID device, const SDL_AudioSpec& spec)
      : device_(device), tail_(std::chrono::microseconds(1000000LL * spec.samples / spec.freq)) {}
  ~SdlSink() override {
    // SDL has taken the last samples from its queue but may not have
    // played them yet.
    if (!stopped_) std::this_thread::sleep_for(tail_);
    std::lock_guard<std::mutex> lock(SdlMutex());
    SDL_CloseAudioDevice(device_);
    StopAudio();
  }

  void Submit(const char* data, std::size_t bytes) override {
    SDL_QueueAudio(device_, data, static_cast<Uint32>(bytes));
    submitted_ += bytes;
    stopped_ = false;
  }

  uint64_t Heard() override { return submitted_ - SDL_GetQueuedAudioSize(device_); }

  void Stop() override {
    SDL_ClearQueuedAudio(device_);
    stopped_ = true;
  }

  std::chrono::microseconds PollInterval() const override { return kSdlPoll; }

 private:
  SDL_AudioDeviceID device_;
  std::chrono::microseconds tail_;
  // Written and read under the device's lock.
  uint64_t submitted_ = 0;
  bool stopped_ = true;
};

}  // namespace

MmResult OpenSdlSink(unsigned id, const WaveFormat& format, std::unique_ptr<WaveSink>* sink) {
  std::lock_guard<std::mutex> lock(SdlMutex());
  if (!StartAudio()) return kMmNoDriver;
  std::string name;
  if (id != kWaveMapper) {
    const int count = SDL_GetNumAudioDevices(0);
    if (count < 0 || id >= static_cast<unsigned>(count)) {
      StopAudio();
      return kMmBadDeviceId;
    }
    const char* found = SDL_GetAudioDeviceName(static_cast<int>(id), 0);
    name = found != nullptr ? found : "";
  }
  SDL_AudioSpec want;
  SDL_zero(want);
  want.freq = static_cast<int>(format.samplesPerSec);
  want.format = format.bitsPerSample == 16 ? AUDIO_S16LSB : AUDIO_U8;
  want.channels = static_cast<Uint8>(format.channels);
  want.samples = kDeviceSamples;
  SDL_AudioSpec have;
  const SDL_AudioDeviceID device =
      SDL_OpenAudioDevice(id == kWaveMapper ? nullptr : name.c_str(), 0, &want, &have, 0);
  if (device == 0) {
    // SDL does not say why; the caller may try the other devices.
    StopAudio();
    return kMmAllocated;
  }
  SDL_PauseAudioDevice(device, 0);
  sink->reset(new SdlSink(device, have));
  return kMmNoError;
}

unsigned SdlDeviceCount() {
  std::lock_guard<std::mutex> lock(SdlMutex());
  if (!StartAudio()) return 0;
  const int count = SDL_GetNumAudioDevices(0);
  StopAudio();
  return count > 0 ? static_cast<unsigned>(count) : 0;
}

}  // namespace platform
