// What a wave-out device plays into: SDL's audio output or a virtual
// device. A device's thread hands it one block at a time and looks at its
// progress until the block has played.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>

#include "platform/waveout/WaveOut.h"

namespace platform {

class WaveSink {
 public:
  virtual ~WaveSink() = default;
  // A block was written (on the writer's thread); it begins once the
  // blocks before it have played.
  virtual void Queued() {}
  // Starts playing bytes at data; the sink may read data until Remaining
  // gives 0 or Stop returns.
  virtual void Begin(const char* data, std::size_t bytes) = 0;
  // How many bytes of the block have not been heard yet (0: done).
  virtual std::size_t Remaining() = 0;
  // Drops the rest of the block.
  virtual void Stop() = 0;
  // How long the device's thread waits between looks at Remaining.
  virtual std::chrono::microseconds PollInterval() const = 0;
};

// Opens a sink for device id of the SDL output; kMmNoError with *sink set,
// or the result code of the failure.
MmResult OpenSdlSink(unsigned id, const WaveFormat& format, std::unique_ptr<WaveSink>* sink);
// The number of SDL output devices.
unsigned SdlDeviceCount();

}  // namespace platform
