// The wave-out service: output devices that play blocks of PCM samples
// handed to them through wave headers, with the operations and result codes
// of the Windows multimedia wave-out interface.
//
// Each open device has a thread of its own that plays the written headers
// in order. When a block has played (or a reset drops it) that thread sets
// the header's done flag, clears its queued flag and then calls the
// device's callback with kWomDone; it also calls it with kWomOpen when it
// starts and kWomClose before it ends. A callback must not call the
// wave-out functions: from the device's thread, reset and close answer
// kMmError.
//
// Devices come from SDL2 audio: the default device (kWaveMapper) is SDL's
// default output, device k SDL's k-th output device. SDL_AUDIODRIVER picks
// SDL's driver ("dummy" plays into nothing, "disk" writes what would be
// heard to SDL_DISKAUDIOFILE). A virtual device set (VirtualWaveOut.h)
// stands in for SDL while one is installed, or for the whole process when
// the environment says TM_WAVEOUT=virtual.
#pragma once

#include <atomic>
#include <cstdint>

namespace platform {

// Result codes, with the values of the Windows multimedia interface.
using MmResult = unsigned;
constexpr MmResult kMmNoError = 0;
constexpr MmResult kMmError = 1;
constexpr MmResult kMmBadDeviceId = 2;
constexpr MmResult kMmAllocated = 4;
constexpr MmResult kMmInvalHandle = 5;
constexpr MmResult kMmNoDriver = 6;
constexpr MmResult kMmNoMem = 7;
constexpr MmResult kMmNotSupported = 8;
constexpr MmResult kWaveBadFormat = 32;
constexpr MmResult kWaveStillPlaying = 33;
constexpr MmResult kWaveUnprepared = 34;
constexpr MmResult kWaveSync = 35;

// The device identifier of the default device.
constexpr unsigned kWaveMapper = 0xFFFFFFFFu;
// Open flag: the callback argument is a WaveOutProc.
constexpr uint32_t kCallbackFunction = 0x00030000u;
// Callback messages.
constexpr unsigned kWomOpen = 0x3BB;
constexpr unsigned kWomClose = 0x3BC;
constexpr unsigned kWomDone = 0x3BD;
// Header flags.
constexpr uint32_t kHeaderDone = 0x01;
constexpr uint32_t kHeaderPrepared = 0x02;
constexpr uint32_t kHeaderInQueue = 0x10;

// PCM format tag.
constexpr uint16_t kWaveFormatPcm = 1;

// The 16-byte PCM format record.
struct WaveFormat {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
};

// One block handed to a device. The owner keeps the header and the data
// unchanged from the write until the done flag is set. The flags are
// written by the device's thread and read by others, so they are atomic.
struct WaveHeader {
  char* data = nullptr;
  uint32_t bufferLength = 0;
  std::atomic<uint32_t> flags{0};
  uint32_t loops = 0;

  // Every field back to zero.
  void Clear() {
    data = nullptr;
    bufferLength = 0;
    flags.store(0);
    loops = 0;
  }
};

struct WaveOutDevice;
// An open device; null stands for none.
using HWaveOut = WaveOutDevice*;
using WaveOutProc = void (*)(HWaveOut device, unsigned message, uintptr_t instance,
                             uintptr_t param1, uintptr_t param2);

// Opens device id (or the default device) for format and stores its handle
// in *device. kMmNoError; kMmAllocated (busy or unusable), kMmBadDeviceId,
// kMmNoDriver (no audio driver), kWaveBadFormat (only PCM, 1 or 2
// channels, 8 or 16 bits, 8000 to 48000 Hz with consistent sizes),
// kMmInvalHandle for a null argument.
MmResult WaveOutOpen(HWaveOut* device, unsigned id, const WaveFormat* format, WaveOutProc callback,
                     uintptr_t instance, uint32_t flags);
// The number of output devices.
unsigned WaveOutGetNumDevs();
// Marks the header prepared: kMmNoError, kMmInvalHandle, kMmNoMem (no
// data or length).
MmResult WaveOutPrepareHeader(HWaveOut device, WaveHeader* header);
// Releases the preparation: kMmNoError (also for a header not prepared),
// kMmInvalHandle, kWaveStillPlaying while it is queued.
MmResult WaveOutUnprepareHeader(HWaveOut device, WaveHeader* header);
// Queues the header for playing and returns at once: kMmNoError,
// kMmInvalHandle, kWaveUnprepared, kWaveStillPlaying when it is queued
// already.
MmResult WaveOutWrite(HWaveOut device, WaveHeader* header);
// Stops playing and marks every queued header done; returns after their
// callbacks have run. kMmNoError, kMmInvalHandle, kMmError from the
// device's own thread.
MmResult WaveOutReset(HWaveOut device);
// Closes the device and frees the handle: kMmNoError, kMmInvalHandle,
// kWaveStillPlaying while headers are queued, kMmError from the device's
// own thread.
MmResult WaveOutClose(HWaveOut device);

}  // namespace platform
