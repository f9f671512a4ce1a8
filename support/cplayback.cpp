#include "support/cplayback.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>

using platform::HWaveOut;
using platform::MmResult;
using platform::WaveFormat;
using platform::WaveHeader;

namespace {

constexpr const char* kTraceSource = "cplayback.cpp";

// The process-wide state of the players.
std::atomic<bool> g_deviceOpen{false};
std::atomic<bool> g_playing{false};
std::atomic<bool> g_openAtPlay{true};
// Changes of the playing flag are made under this lock and wake the
// waiters; a waiter also looks again now and then, for a callback that is
// not the player's.
std::mutex g_doneMutex;
std::condition_variable& Done() {
  static std::condition_variable done;
  return done;
}
constexpr auto kWaitLook = std::chrono::milliseconds(20);

void SetPlaying(bool on) {
  {
    std::lock_guard<std::mutex> lock(g_doneMutex);
    g_playing.store(on);
  }
  if (!on) Done().notify_all();
}

CDebugTracer& Tracer() {
  static CDebugTracer tracer("cdebugtracer", 10, 10, false, false);
  return tracer;
}

// Where a platform result turns into a code and a text.
enum class Step { kOpen, kUnprepare, kClose, kPrepare, kWrite, kReset };

struct ResultText {
  Step step;
  MmResult result;
  int code;
  const std::string* text;
};

const ResultText kResultTexts[] = {
    {Step::kOpen, platform::kMmAllocated, 208, &CPB_OPEN_ALLOCATED},
    {Step::kOpen, platform::kMmBadDeviceId, 209, &CPB_OPEN_BADDEVICEID},
    {Step::kOpen, platform::kMmNoDriver, 210, &CPB_OPEN_NODRIVER},
    {Step::kOpen, platform::kMmNoMem, 211, &CPB_OPEN_NOMEM},
    {Step::kOpen, platform::kWaveBadFormat, 212, &CPB_OPEN_BADFORMAT},
    {Step::kOpen, platform::kWaveSync, 213, &CPB_OPEN_SYNC},
    {Step::kUnprepare, platform::kMmInvalHandle, 214, &CPB_UNPREPARE_INVALHANDLE},
    {Step::kUnprepare, platform::kMmNoDriver, 215, &CPB_UNPREPARE_NODRIVER},
    {Step::kUnprepare, platform::kMmNoMem, 216, &CPB_UNPREPARE_NOMEM},
    {Step::kUnprepare, platform::kWaveStillPlaying, 217, &CPB_UNPREPARE_STILLPLAYING},
    {Step::kClose, platform::kMmInvalHandle, 218, &CPB_CLOSE_INVALHANDLE},
    {Step::kClose, platform::kMmNoDriver, 219, &CPB_CLOSE_NODRIVER},
    {Step::kClose, platform::kMmNoMem, 220, &CPB_CLOSE_NOMEM},
    {Step::kClose, platform::kWaveStillPlaying, 221, &CPB_CLOSE_STILLPLAYING},
    {Step::kPrepare, platform::kMmInvalHandle, 222, &CPB_PREPARE_INVALHANDLE},
    {Step::kPrepare, platform::kMmNoDriver, 223, &CPB_PREPARE_NODRIVER},
    {Step::kPrepare, platform::kMmNoMem, 224, &CPB_PREPARE_NOMEM},
    {Step::kWrite, platform::kMmInvalHandle, 225, &CPB_WRITE_INVALHANDLE},
    {Step::kWrite, platform::kMmNoDriver, 226, &CPB_WRITE_NODRIVER},
    {Step::kWrite, platform::kMmNoMem, 227, &CPB_WRITE_NOMEM},
    {Step::kWrite, platform::kWaveUnprepared, 228, &CPB_WRITE_UNPREPARED},
    {Step::kReset, platform::kMmInvalHandle, 229, &CPB_RESET_INVALHANDLE},
    {Step::kReset, platform::kMmNoDriver, 230, &CPB_RESET_NODRIVER},
    {Step::kReset, platform::kMmNoMem, 231, &CPB_RESET_NOMEM},
    {Step::kReset, platform::kMmNotSupported, 232, &CPB_RESET_NOTSUPPORTED},
};

// The code and text of a failing result of step; a result the table lacks
// gives 233 or 234 for prepare and write, else 1.
std::pair<int, const std::string*> Describe(Step step, MmResult result) {
  for (const ResultText& entry : kResultTexts) {
    if (entry.step == step && entry.result == result) return {entry.code, entry.text};
  }
  if (step == Step::kPrepare) return {233, &CPB_PREPARE_UNKNOWN};
  if (step == Step::kWrite) return {234, &CPB_WRITE_UNKNOWN};
  return {1, &UNKNOWN_ERROR_TEXT};
}

}  // namespace

CPlayBack::CPlayBack(const std::string& a, const std::string& b) {
  Tracer().setName(a + b);
  g_deviceOpen.store(false);
  SetPlaying(false);
}

CPlayBack::~CPlayBack() = default;

bool CPlayBack::queryInterface(int id, void** out) {
  return answerInterface(id, out, this, &error_, &Tracer(), this);
}

int CPlayBack::getErrorCode() const { return error_.getErrorCode(); }

int CPlayBack::getErrorText(std::string& out) const { return error_.getErrorText(out); }

const std::string& CPlayBack::getErrorTextRef() const { return error_.getErrorTextRef(); }

void CPlayBack::clearError() { error_.setError(0, NO_ERROR_TEXT); }

bool CPlayBack::fail(int code, const std::string& text) {
  error_.setError(code, text);
  return false;
}

void CPlayBack::setOpenAtPlay(bool on) { g_openAtPlay.store(on); }

bool CPlayBack::openAtPlay() { return g_openAtPlay.load(); }

bool CPlayBack::deviceOpen() { return g_deviceOpen.load(); }

bool CPlayBack::play(platform::WaveOutProc callback, uint32_t flags, WaveFormat format,
                     const char* data, std::size_t size, bool copy, HWaveOut* device,
                     WaveHeader* header, bool unprepareFirst) {
  clearError();
  if (data == nullptr || size == 0) return true;
  if (g_openAtPlay.load() && !g_deviceOpen.load()) {
    if (!openWaveOutDevice(device, format, callback, flags)) return false;
    g_deviceOpen.store(true);
  }
  return playWAVfromMemoryDeviceAlreadyOpen(*device, data, size, copy, header, unprepareFirst);
}

bool CPlayBack::playWAVfromMemoryDeviceAlreadyOpen(HWaveOut device, const char* data,
                                                   std::size_t size, bool copy, WaveHeader* header,
                                                   bool unprepareFirst) {
  clearError();
  SetPlaying(false);
  if (data == nullptr || size == 0) return true;
  // The device may still read the block the header holds: stop it (which
  // also waits for the end of its callback, so that it cannot clear the
  // flag of the new block), and release the header's preparation, before
  // the block goes.
  const uint32_t used = platform::kHeaderInQueue | platform::kHeaderDone;
  if (device != nullptr && (header->flags.load() & used) != 0) platform::WaveOutReset(device);
  if (device != nullptr && (header->flags.load() & platform::kHeaderPrepared) != 0) {
    platform::WaveOutUnprepareHeader(device, header);
  }
  if (copy) {
    copy_.reset(new (std::nothrow) char[size]);
    if (!copy_) return fail(224, CPB_PREPARE_NOMEM);
    std::memcpy(copy_.get(), data, size);
    header->data = copy_.get();
  } else {
    header->data = const_cast<char*>(data);
  }
  header->bufferLength = static_cast<uint32_t>(size);
  header->flags.store(0);
  header->loops = 0;
  if (unprepareFirst && device != nullptr) unprepareHeader(device, header);

  MmResult r = platform::WaveOutPrepareHeader(device, header);
  if (r != platform::kMmNoError) {
    const auto failure = Describe(Step::kPrepare, r);
    copy_.reset();
    return fail(failure.first, *failure.second);
  }
  r = platform::WaveOutWrite(device, header);
  if (r != platform::kMmNoError) {
    const auto failure = Describe(Step::kWrite, r);
    platform::WaveOutUnprepareHeader(device, header);
    copy_.reset();
    return fail(failure.first, *failure.second);
  }
  SetPlaying(true);
  return true;
}

bool CPlayBack::openWaveOutDevice(HWaveOut* device, WaveFormat format,
                                  platform::WaveOutProc callback, uint32_t flags) {
  clearError();
  const MmResult first =
      platform::WaveOutOpen(device, platform::kWaveMapper, &format, callback, 0, flags);
  if (first == platform::kMmNoError) return true;
  const unsigned count = platform::WaveOutGetNumDevs();
  Tracer().printline(kTraceSource, __LINE__, "devices: " + std::to_string(count));
  if (first == platform::kMmAllocated) {
    if (count > 1) {
      for (unsigned id = 0; id < count; ++id) {
        Tracer().printline(kTraceSource, __LINE__, "trying device " + std::to_string(id));
        if (platform::WaveOutOpen(device, id, &format, callback, 0, flags) ==
            platform::kMmNoError) {
          return true;
        }
      }
    }
    return fail(208, CPB_OPEN_ALLOCATED);
  }
  const auto failure = Describe(Step::kOpen, first);
  return fail(failure.first, *failure.second);
}

bool CPlayBack::unprepareHeader(HWaveOut device, WaveHeader* header) {
  clearError();
  if (device == nullptr) return false;
  const MmResult r = platform::WaveOutUnprepareHeader(device, header);
  if (r == platform::kMmNoError) return true;
  const auto failure = Describe(Step::kUnprepare, r);
  return fail(failure.first, *failure.second);
}

bool CPlayBack::closeDevice(HWaveOut device) {
  clearError();
  if (device == nullptr) return false;
  const MmResult r = platform::WaveOutClose(device);
  if (r == platform::kMmNoError) return true;
  const auto failure = Describe(Step::kClose, r);
  return fail(failure.first, *failure.second);
}

bool CPlayBack::reset(HWaveOut device, WaveHeader* header) {
  clearError();
  if (device == nullptr) return false;
  const MmResult r = platform::WaveOutReset(device);
  if (r != platform::kMmNoError) {
    const auto failure = Describe(Step::kReset, r);
    return fail(failure.first, *failure.second);
  }
  unprepareHeader(device, header);
  if (g_deviceOpen.load() && g_openAtPlay.load()) {
    g_deviceOpen.store(false);
    closeDevice(device);
  }
  SetPlaying(false);
  return true;
}

bool CPlayBack::isPlaying(const WaveHeader& header) const {
  return g_playing.load() && (header.flags.load() & platform::kHeaderDone) == 0;
}

void CPlayBack::waitWhilePlaying(const WaveHeader& header) const {
  std::unique_lock<std::mutex> lock(g_doneMutex);
  while (isPlaying(header)) Done().wait_for(lock, kWaitLook);
}

bool CPlayBack::closeFinished(HWaveOut* device, WaveHeader* header) {
  if (!g_openAtPlay.load() || !g_deviceOpen.load() || isPlaying(*header)) return false;
  unprepareHeader(*device, header);
  g_deviceOpen.store(false);
  closeDevice(*device);
  *device = nullptr;
  return true;
}

void CPlayBack::waveOutProc(HWaveOut, unsigned message, uintptr_t, uintptr_t, uintptr_t) {
  if (message == platform::kWomDone) SetPlaying(false);
}
