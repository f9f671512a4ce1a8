// The wave-out devices: handles, headers and each device's playing thread,
// over a sink from SDL or from the virtual device set.
#include "platform/waveout/WaveOut.h"

#include <condition_variable>
#include <cstdlib>
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
  // Ends the thread (after it has marked every queued header done) and
  // closes the sink. Called once, by whoever took the device out of the
  // table of open devices.
  void Finish();
};

namespace {

constexpr uint32_t kHeaderQueued = kHeaderInQueue;

// The open devices; a handle that is not here is invalid. The table is
// never destroyed: a player may still call the service while the process
// ends, after the static objects are gone. When the process ends, the
// devices still open are stopped and their threads joined, and from then on
// no device opens.
struct DeviceTable {
  std::mutex mutex;
  std::map<WaveOutDevice*, std::shared_ptr<WaveOutDevice>> handles;
  bool ended = false;
};

void CloseAllAtExit();

DeviceTable& Devices() {
  static DeviceTable* const table = new DeviceTable;
  return *table;
}

// Registered when the library loads, so that it runs after the exit
// handlers and static destructors of the players (registered later), which
// stop their own devices first.
const bool g_closesAtExit = std::atexit(CloseAllAtExit) == 0;

void CloseAllAtExit() {
  std::map<WaveOutDevice*, std::shared_ptr<WaveOutDevice>> open;
  {
    std::lock_guard<std::mutex> lock(Devices().mutex);
    Devices().ended = true;
    open.swap(Devices().handles);
  }
  for (const auto& entry : open) {
    WaveOutDevice& device = *entry.second;
    {
      std::lock_guard<std::mutex> lock(device.mutex);
      // Whatever is queued is dropped, as by a reset.
      device.resetting = !device.queue.empty();
      device.closing = true;
      device.changed.notify_all();
    }
    device.Finish();
  }
}

std::shared_ptr<WaveOutDevice> Find(HWaveOut device) {
  std::lock_guard<std::mutex> lock(Devices().mutex);
  const auto it = Devices().handles.find(device);
  return it == Devices().handles.end() ? nullptr : it->second;
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

void WaveOutDevice::Finish() {
  // A process that ends from a callback cannot wait for the thread it runs on.
  if (std::this_thread::get_id() == thread.get_id()) {
    thread.detach();
    return;
  }
  thread.join();
  sink.reset();
  if (virtualSet != nullptr) virtualSet->NoteClosed();
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
    std::lock_guard<std::mutex> lock(Devices().mutex);
    // The process is ending.
    if (Devices().ended) return kMmNoDriver;
    Devices().handles[raw] = opened;
    // Under the table's lock, so that the exit finds the thread to join.
    raw->thread = std::thread([raw] { raw->Run(); });
  }
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
  // A device that is being closed plays nothing more.
  if (d->closing) return kMmInvalHandle;
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
  // A closed device's thread has dropped what was queued, or is dropping it.
  if (d->closing) return kMmInvalHandle;
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
    std::lock_guard<std::mutex> lock(Devices().mutex);
    if (Devices().handles.erase(device) == 0) return kMmInvalHandle;
  }
  d->Finish();
  return kMmNoError;
}

}  // namespace platform
