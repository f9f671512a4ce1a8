// The wave-out devices: handles, headers and each device's playing thread,
// over a sink from SDL or from the virtual device set.
#include "platform/waveout/WaveOut.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/waveout/VirtualWaveOut.h"
#include "platform/waveout/WaveSink.h"

namespace platform {

using Operation = VirtualWaveOut::Operation;

struct WaveOutDevice {
  std::unique_ptr<WaveSink> sink;
  VirtualWaveOut* virtualSet = nullptr;
  WaveOutProc callback = nullptr;
  uintptr_t instance = 0;

  std::mutex mutex;
  std::condition_variable changed;
  // The written headers not yet done, each with the count of bytes handed
  // to the sink up to its end.
  std::deque<std::pair<WaveHeader*, uint64_t>> queue;
  uint64_t submitted = 0;
  bool resetting = false;
  bool closing = false;
  bool delivering = false;  // a kWomDone callback is running
  std::thread thread;

  void Notify(unsigned message, WaveHeader* header) {
    if (callback != nullptr) {
      callback(this, message, instance, reinterpret_cast<uintptr_t>(header), 0);
    }
  }
  void Run();
  // Calls the callback for each finished header, without the lock.
  void Deliver(std::unique_lock<std::mutex>& lock, const std::vector<WaveHeader*>& done) {
    delivering = true;
    lock.unlock();
    for (WaveHeader* header : done) Notify(kWomDone, header);
    lock.lock();
    delivering = false;
    changed.notify_all();
  }
  // Plays the front header; false when a reset or close interrupted it.
  bool PlayFront(std::unique_lock<std::mutex>& lock);
};

namespace {

constexpr uint32_t kHeaderQueued = kHeaderInQueue;

// The live handles; a handle that is not here is invalid.
std::mutex& HandlesMutex() {
  static std::mutex mutex;
  return mutex;
}
std::map<WaveOutDevice*, std::shared_ptr<WaveOutDevice>>& Handles() {
  static std::map<WaveOutDevice*, std::shared_ptr<WaveOutDevice>> handles;
  return handles;
}

std::shared_ptr<WaveOutDevice> Find(HWaveOut device) {
  std::lock_guard<std::mutex> lock(HandlesMutex());
  const auto it = Handles().find(device);
  return it == Handles().end() ? nullptr : it->second;
}

bool ValidFormat(const WaveFormat& f) {
  if (f.formatTag != kWaveFormatPcm) return false;
  if (f.channels < 1 || f.channels > 2) return false;
  if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return false;
  if (f.samplesPerSec < 8000 || f.samplesPerSec > 48000) return false;
  if (f.blockAlign != f.channels * f.bitsPerSample / 8) return false;
  return f.avgBytesPerSec == f.samplesPerSec * f.blockAlign;
}

// Whether a virtual device answers the call with an injected result.
bool Injected(VirtualWaveOut* set, Operation operation, MmResult* result) {
  return set != nullptr && set->TakeInjected(operation, result);
}

bool OnDeviceThread(const WaveOutDevice& device) {
  if (std::this_thread::get_id() != device.thread.get_id()) return false;
  if (device.virtualSet != nullptr) device.virtualSet->NoteDeviceThreadCall();
  return true;
}

void MarkDone(WaveHeader* header) {
  header->flags.store((header->flags.load() | kHeaderDone) & ~kHeaderQueued);
}

}  // namespace

void WaveOutDevice::Run() {
  Notify(kWomOpen, nullptr);
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    changed.wait(lock, [this] { return closing || resetting || !queue.empty(); });
    if (closing && queue.empty()) break;
    std::vector<WaveHeader*> done;
    const bool reset = resetting;
    if (reset) {
      // Every queued header is done; whatever was not heard is dropped.
      sink->Stop();
      for (const auto& entry : queue) done.push_back(entry.first);
      queue.clear();
    } else {
      const uint64_t heard = sink->Heard();
      while (!queue.empty() && queue.front().second <= heard) {
        done.push_back(queue.front().first);
        queue.pop_front();
      }
    }
    for (WaveHeader* header : done) MarkDone(header);
    if (!done.empty() || reset) {
      Deliver(lock, done);
      if (reset) resetting = false;
      changed.notify_all();
      continue;
    }
    changed.wait_for(lock, sink->PollInterval());
  }
  lock.unlock();
  Notify(kWomClose, nullptr);
}

MmResult WaveOutOpen(HWaveOut* device, unsigned id, const WaveFormat* format, WaveOutProc callback,
                     uintptr_t instance, uint32_t flags) {
  if (device == nullptr || format == nullptr) return kMmInvalHandle;
  VirtualWaveOut* set = VirtualWaveOut::Active();
  MmResult result = kMmNoError;
  if (Injected(set, Operation::kOpen, &result)) return result;
  if (!ValidFormat(*format)) return kWaveBadFormat;
  auto opened = std::make_shared<WaveOutDevice>();
  result = set != nullptr ? set->Open(id, *format, &opened->sink)
                          : OpenSdlSink(id, *format, &opened->sink);
  if (result != kMmNoError) return result;
  opened->virtualSet = set;
  opened->callback = (flags & kCallbackFunction) != 0 ? callback : nullptr;
  opened->instance = instance;
  WaveOutDevice* raw = opened.get();
  {
    std::lock_guard<std::mutex> lock(HandlesMutex());
    Handles()[raw] = opened;
  }
  raw->thread = std::thread([raw] { raw->Run(); });
  *device = raw;
  return kMmNoError;
}

unsigned WaveOutGetNumDevs() {
  VirtualWaveOut* set = VirtualWaveOut::Active();
  return set != nullptr ? set->DeviceCount() : SdlDeviceCount();
}

MmResult WaveOutPrepareHeader(HWaveOut device, WaveHeader* header) {
  const std::shared_ptr<WaveOutDevice> d = Find(device);
  if (d == nullptr || header == nullptr) return kMmInvalHandle;
  MmResult result = kMmNoError;
  if (Injected(d->virtualSet, Operation::kPrepare, &result)) return result;
  if (header->data == nullptr || header->bufferLength == 0) return kMmNoMem;
  header->flags.store(header->flags.load() | kHeaderPrepared);
  return kMmNoError;
}

MmResult WaveOutUnprepareHeader(HWaveOut device, WaveHeader* header) {
  const std::shared_ptr<WaveOutDevice> d = Find(device);
  if (d == nullptr || header == nullptr) return kMmInvalHandle;
  MmResult result = kMmNoError;
  if (Injected(d->virtualSet, Operation::kUnprepare, &result)) return result;
  if ((header->flags.load() & kHeaderQueued) != 0) return kWaveStillPlaying;
  header->flags.store(header->flags.load() & ~kHeaderPrepared);
  return kMmNoError;
}

MmResult WaveOutWrite(HWaveOut device, WaveHeader* header) {
  const std::shared_ptr<WaveOutDevice> d = Find(device);
  if (d == nullptr || header == nullptr) return kMmInvalHandle;
  MmResult result = kMmNoError;
  if (Injected(d->virtualSet, Operation::kWrite, &result)) return result;
  const uint32_t flags = header->flags.load();
  if ((flags & kHeaderPrepared) == 0) return kWaveUnprepared;
  if ((flags & kHeaderQueued) != 0) return kWaveStillPlaying;
  std::lock_guard<std::mutex> lock(d->mutex);
  header->flags.store((flags & ~kHeaderDone) | kHeaderQueued);
  d->submitted += header->bufferLength;
  d->queue.emplace_back(header, d->submitted);
  d->sink->Submit(header->data, header->bufferLength);
  d->changed.notify_all();
  return kMmNoError;
}

MmResult WaveOutReset(HWaveOut device) {
  const std::shared_ptr<WaveOutDevice> d = Find(device);
  if (d == nullptr) return kMmInvalHandle;
  MmResult result = kMmNoError;
  if (Injected(d->virtualSet, Operation::kReset, &result)) return result;
  if (OnDeviceThread(*d)) return kMmError;
  std::unique_lock<std::mutex> lock(d->mutex);
  if (!d->queue.empty()) {
    d->resetting = true;
    d->changed.notify_all();
  }
  // Returns only once no callback of an earlier block can come any more.
  d->changed.wait(lock, [&d] { return !d->resetting && !d->delivering; });
  return kMmNoError;
}

MmResult WaveOutClose(HWaveOut device) {
  std::shared_ptr<WaveOutDevice> d = Find(device);
  if (d == nullptr) return kMmInvalHandle;
  MmResult result = kMmNoError;
  if (Injected(d->virtualSet, Operation::kClose, &result)) return result;
  if (OnDeviceThread(*d)) return kMmError;
  {
    std::lock_guard<std::mutex> lock(d->mutex);
    if (!d->queue.empty()) return kWaveStillPlaying;
    d->closing = true;
    d->changed.notify_all();
  }
  {
    std::lock_guard<std::mutex> lock(HandlesMutex());
    if (Handles().erase(device) == 0) return kMmInvalHandle;
  }
  d->thread.join();
  d->sink.reset();
  if (d->virtualSet != nullptr) d->virtualSet->NoteClosed();
  return kMmNoError;
}

}  // namespace platform
