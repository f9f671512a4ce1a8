// A virtual set of wave-out devices for tests: it plays against a clock of
// its choice (real time, scaled real time, or a manual clock that only the
// test moves on), records every block as far as it was heard, and answers
// any operation with an injected result code.
//
// While a VirtualWaveOut lives it stands for the devices of the process
// (one at a time); without one, TM_WAVEOUT=virtual in the environment
// installs one for the whole process (TM_WAVEOUT_SCALE=F runs its clock F
// times faster than real time).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/waveout/WaveOut.h"
#include "platform/waveout/WaveSink.h"

namespace platform {

class VirtualWaveOut {
 public:
  enum class Clock { kRealTime, kScaled, kManual };
  enum class Operation { kOpen, kPrepare, kUnprepare, kWrite, kReset, kClose, kCount };

  // One block as a device played it (16-bit samples).
  struct Block {
    unsigned device = 0;                              // the identifier it was opened with
    std::size_t written = 0;                          // samples written
    std::vector<int16_t> samples;                     // samples heard
    bool cut = false;                                 // a reset dropped the rest
    std::chrono::steady_clock::time_point writtenAt;  // when it reached the device
  };

  // Installs the set, with a real-time clock and one device.
  VirtualWaveOut();
  ~VirtualWaveOut();
  VirtualWaveOut(const VirtualWaveOut&) = delete;
  VirtualWaveOut& operator=(const VirtualWaveOut&) = delete;

  // The clock of the devices; scale is the speed of kScaled.
  void SetClock(Clock clock, double scale = 1.0);
  // Moves the manual clock on.
  void Advance(std::chrono::microseconds time);
  void SetDeviceCount(unsigned count);
  // Every later open of device id (kWaveMapper: the default) answers result.
  void SetOpenResult(unsigned id, MmResult result);
  // The next call of the operation answers result and does nothing else.
  void Inject(Operation operation, MmResult result);

  std::vector<Block> Blocks() const;
  // Every sample heard, in order.
  std::vector<int16_t> Played() const;
  // Devices open now, and the identifiers of every successful open.
  int OpenDevices() const;
  std::vector<unsigned> OpenedIds() const;
  // Resets and closes refused because they came from a device's thread.
  int CallsFromDeviceThread() const;

  // The set in use: the installed one, else the environment's, else null.
  static VirtualWaveOut* Active();

  // For the wave-out service.
  bool TakeInjected(Operation operation, MmResult* result);
  MmResult Open(unsigned id, const WaveFormat& format, std::unique_ptr<WaveSink>* sink);
  unsigned DeviceCount() const;
  void NoteClosed();
  void NoteDeviceThreadCall();

 private:
  class Sink;
  friend class Sink;
  // The clock's reading in microseconds of device time.
  double Now() const;

  mutable std::mutex mutex_;
  Clock clock_ = Clock::kRealTime;
  double scale_ = 1.0;
  std::chrono::steady_clock::time_point start_;
  double manual_ = 0.0;
  unsigned devices_ = 1;
  std::map<unsigned, MmResult> openResults_;
  std::vector<MmResult> injected_[static_cast<int>(Operation::kCount)];
  std::vector<Block> blocks_;
  std::vector<unsigned> opened_;
  int open_ = 0;
  int deviceThreadCalls_ = 0;
};

}  // namespace platform
