// The wave-out player: plays one block of PCM samples held in memory on an
// output device of the wave-out service (platform/waveout/WaveOut.h), with
// one header over the whole block, and reports the end of the block through
// its callback.
//
// The caller owns the device handle and the wave header and passes them to
// every operation. Whether a block plays and whether the player opened the
// device itself are process-wide flags (the device's callback receives no
// player), atomic, shared by all players. Every operation that calls the
// wave-out service clears the error first and, on failure, stores a code
// from 208 to 234 (1 with "Unknown Error!" for a result it does not know)
// and returns false.
//
// Threads: the player's operations are made by one thread at a time;
// isPlaying and waitWhilePlaying may be called from any thread; the
// callback runs on the device's thread and only clears the playing flag
// and wakes the waiters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/waveout/WaveOut.h"
#include "support/cdebugtracer.h"
#include "support/errorHandler.h"

class CPlayBack : public CInterface {
 public:
  // Error cleared, no copy; renames the players' tracer to a + b; clears
  // the device-open and playing flags.
  CPlayBack(const std::string& a, const std::string& b);
  CPlayBack(const CPlayBack&) = delete;
  CPlayBack& operator=(const CPlayBack&) = delete;
  // Releases the copy; neither stops the block nor closes the device.
  virtual ~CPlayBack();

  // 0 and 4: the player; 1: its errorHandler; 2: the players' tracer.
  bool queryInterface(int id, void** out) override;
  virtual int getErrorCode() const;
  virtual int getErrorText(std::string& out) const;
  virtual const std::string& getErrorTextRef() const;

  // Plays size bytes at data. In open-at-play mode a device is opened first
  // (into *device) unless the player has one open. Null data or size 0:
  // true, nothing done. Returns when the block has started.
  bool play(platform::WaveOutProc callback, uint32_t flags, platform::WaveFormat format,
            const char* data, std::size_t size, bool copy, platform::HWaveOut* device,
            platform::WaveHeader* header, bool unprepareFirst);
  // Plays on an open device. A block still playing in header is stopped,
  // and a prepared header released, before the header is filled again;
  // with copy the player plays a copy of its own (the previous copy is
  // released only then), else the caller's block, which must stay
  // unchanged until the block has finished.
  bool playWAVfromMemoryDeviceAlreadyOpen(platform::HWaveOut device, const char* data,
                                          std::size_t size, bool copy, platform::WaveHeader* header,
                                          bool unprepareFirst);
  // Opens the default device, or, when it is busy and there are several
  // devices, the first of the devices 0, 1, ... that opens.
  bool openWaveOutDevice(platform::HWaveOut* device, platform::WaveFormat format,
                         platform::WaveOutProc callback, uint32_t flags);
  // False without error for a null device.
  bool unprepareHeader(platform::HWaveOut device, platform::WaveHeader* header);
  bool closeDevice(platform::HWaveOut device);
  // Stops the block, releases the header's preparation and, in open-at-play
  // mode, closes the device the player opened. False without error for a
  // null device.
  bool reset(platform::HWaveOut device, platform::WaveHeader* header);
  // Whether the playing flag is set and the header is not done.
  bool isPlaying(const platform::WaveHeader& header) const;
  // Sleeps until isPlaying(header) is false (at once when it is).
  void waitWhilePlaying(const platform::WaveHeader& header) const;
  // In open-at-play mode, closes the device of a block that has ended by
  // itself and sets *device to null; true when it did.
  bool closeFinished(platform::HWaveOut* device, platform::WaveHeader* header);

  // The device's callback: kWomDone clears the playing flag.
  static void waveOutProc(platform::HWaveOut device, unsigned message, uintptr_t instance,
                          uintptr_t param1, uintptr_t param2);

  // The process-wide flags.
  static void setOpenAtPlay(bool on);
  static bool openAtPlay();
  static bool deviceOpen();

 private:
  bool fail(int code, const std::string& text);
  void clearError();

  errorHandler error_;
  std::unique_ptr<char[]> copy_;
};
