// What a wave-out device plays into: SDL's audio output or a virtual
// device. Blocks are handed over as they are written; the device's thread
// follows how much has been heard and reports each block's end.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/waveout/WaveOut.h"

namespace platform {

class WaveSink {
 public:
  virtual ~WaveSink() = default;
  // Appends a block after those handed over before; the sink may read data
  // until the block has been heard or Stop returns.
  virtual void Submit(const char* data, std::size_t bytes) = 0;
  // The bytes heard since the sink opened (a stop counts what was dropped
  // as heard).
  virtual uint64_t Heard() = 0;
  // Drops whatever has not been heard.
  virtual void Stop() = 0;
  // How long the device's thread waits between looks at Heard.
  virtual std::chrono::microseconds PollInterval() const = 0;
};

// Opens a sink for device id of the SDL output; kMmNoError with *sink set,
// or the result code of the failure.
MmResult OpenSdlSink(unsigned id, const WaveFormat& format, std::unique_ptr<WaveSink>* sink);
// The number of SDL output devices.
unsigned SdlDeviceCount();

}  // namespace platform
