// The seven entry points of mbrplay.so and its play thread: the phone text
// goes through the library's own synthesizer channel, and the samples go to
// an output device in a ring of small blocks (so the first is heard while
// the rest is still being made), to a WAVE file, or nowhere.
#include "platform/mbrplay/mbrplay.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/mbrola/SynthChannel.h"
#include "platform/waveout/WaveOut.h"
#include "support/cplayback.h"

namespace {

// Samples rendered and handed to the device at a time, and the blocks in
// the device's ring.
constexpr int kChunkSamples = 1024;
constexpr int kRingBlocks = 4;
constexpr float kMaxVolume = 8.0f;

class Player {
 public:
  ~Player() {
    Stop();
    WaitForEnd();
  }

  int SetDatabase(const char* path) {
    std::lock_guard<std::mutex> lock(mutex_);
    ClearError();
    database_ = path != nullptr ? path : "";
    if (!std::ifstream(database_).good()) {
      return SetError(MBRP_ERR_DATABASE, "database not found: " + database_);
    }
    return 0;
  }

  void SetMessageBase(int base) { messageBase_.store(base); }

  int SetVolume(float ratio) {
    if (!(ratio >= 0.0f && ratio <= kMaxVolume)) {
      std::lock_guard<std::mutex> lock(mutex_);
      return SetError(MBRP_ERR_BAD_ARGUMENT, "bad argument: volume ratio outside 0 to 8");
    }
    volume_.store(ratio);
    return 0;
  }

  int Play(const char* text, uint32_t flags, const char* file, MBR_Callback callback) {
    if (text == nullptr) {
      std::lock_guard<std::mutex> lock(mutex_);
      return SetError(MBRP_ERR_BAD_ARGUMENT, "bad argument: null phone text");
    }
    // Copies first: the caller may change its text as soon as we return.
    std::string phones(text);
    std::string output(file != nullptr ? file : "");
    {
      // Several callers may wait for the same previous play: the wait, the
      // join and the start are one step under the lock, so that only one
      // of them starts the next play and the others wait for that one.
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return !running_; });
      if (thread_.joinable()) thread_.join();
      ClearError();
      stop_.store(false);
      running_ = true;
      started_ = false;
      thread_ = std::thread([this, phones = std::move(phones), flags, output = std::move(output),
                             callback] { PlayThread(phones, flags, output, callback); });
      // Returns once the output is open (or could not be opened), so that a
      // device error is pending when the caller looks.
      changed_.wait(lock, [this] { return started_ || !running_; });
    }
    if ((flags & MBR_PLAY_WAIT) != 0) WaitForEnd();
    return 0;
  }

  void Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_.store(true);
    changed_.notify_all();
  }

  void WaitForEnd() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !running_; });
    if (thread_.joinable()) thread_.join();
  }

  int LastError(char* buffer, int size) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (buffer != nullptr && size > 0) {
      const std::size_t n = std::min(errorText_.size(), static_cast<std::size_t>(size - 1));
      std::memcpy(buffer, errorText_.data(), n);
      buffer[n] = '\0';
    }
    return error_;
  }

  // The device's callback: a block is done, the play thread may refill.
  static void BlockDone(platform::HWaveOut, unsigned message, uintptr_t, uintptr_t, uintptr_t);

 private:
  using SampleSink = std::function<bool(const int16_t* samples, int count)>;

  int SetError(int code, const std::string& text) {
    error_ = code;
    errorText_ = text;
    return code;
  }
  void ClearError() { SetError(MBRP_ERR_NONE, ""); }
  // The play thread's output is open: MBR_Play may return.
  void Started() {
    std::lock_guard<std::mutex> lock(mutex_);
    started_ = true;
    changed_.notify_all();
  }
  void Fail(int code, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    SetError(code, text);
  }

  void PlayThread(const std::string& text, uint32_t flags, const std::string& file,
                  MBR_Callback callback) {
    std::string database;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      database = database_;
    }
    if (channel_.Init(database.c_str(), nullptr, nullptr) < 0) {
      char why[256];
      channel_.LastErrorText(why, sizeof why);
      Fail(MBRP_ERR_DATABASE, why);
    } else if ((flags & MBR_PLAY_FILE) != 0) {
      Started();
      ToFile(text, file);
    } else if ((flags & MBR_PLAY_DISCARD) != 0) {
      Started();
      Render(text, [](const int16_t*, int) { return true; });
    } else {
      ToDevice(text);
    }
    if (callback != nullptr) callback(static_cast<uint32_t>(messageBase_.load()), 0, 0);
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
    changed_.notify_all();
  }

  // Synthesises text into sink chunk by chunk, until the end, a stop, or a
  // sink that refuses; whether it got to the end.
  bool Render(const std::string& text, const SampleSink& sink) {
    channel_.SetNoError(true);
    float volume = volume_.load();
    channel_.SetVolume(volume);
    channel_.Write(text.c_str());
    channel_.Flush();
    int16_t chunk[kChunkSamples];
    for (;;) {
      if (stop_.load()) return false;
      if (volume_.load() != volume) {
        volume = volume_.load();
        channel_.SetVolume(volume);
      }
      const int n = channel_.Read(chunk, kChunkSamples);
      if (n <= 0) return true;
      if (!sink(chunk, n)) return false;
    }
  }

  void ToFile(const std::string& text, const std::string& file) {
    if (file.empty()) {
      Fail(MBRP_ERR_NO_FILE, "no file name for the WAVE file");
      return;
    }
    std::vector<int16_t> samples;
    const bool whole = Render(text, [&samples](const int16_t* s, int n) {
      samples.insert(samples.end(), s, s + n);
      return true;
    });
    if (whole && !WriteWave(file, samples, static_cast<uint32_t>(channel_.Freq()))) {
      Fail(MBRP_ERR_FILE, "cannot write the WAVE file " + file);
    }
  }

  static void PutLE(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }

  // A 44-byte RIFF header (PCM, mono, 16 bits, little-endian), then the
  // samples.
  static bool WriteWave(const std::string& path, const std::vector<int16_t>& samples,
                        uint32_t rate) {
    const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
    std::string bytes = "RIFF";
    PutLE(bytes, 36 + data, 4);
    bytes += "WAVEfmt ";
    PutLE(bytes, 16, 4);
    PutLE(bytes, 1, 2);
    PutLE(bytes, 1, 2);
    PutLE(bytes, rate, 4);
    PutLE(bytes, rate * 2, 4);
    PutLE(bytes, 2, 2);
    PutLE(bytes, 16, 2);
    bytes += "data";
    PutLE(bytes, data, 4);
    for (int16_t s : samples) PutLE(bytes, static_cast<uint16_t>(s), 2);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
  }

  // Streams the samples to an output device through a ring of blocks.
  void ToDevice(const std::string& text) {
    platform::WaveFormat format;
    format.formatTag = platform::kWaveFormatPcm;
    format.channels = 1;
    format.samplesPerSec = static_cast<uint32_t>(channel_.Freq());
    format.blockAlign = 2;
    format.avgBytesPerSec = format.samplesPerSec * 2;
    format.bitsPerSample = 16;
    platform::HWaveOut device = nullptr;
    CPlayBack opener(".", "mbrplay");
    if (!opener.openWaveOutDevice(&device, format, &BlockDone, platform::kCallbackFunction)) {
      Fail(MBRP_ERR_DEVICE, "no output device opens: " + opener.getErrorTextRef());
      return;
    }
    Started();
    struct Block {
      platform::WaveHeader header;
      std::vector<char> bytes;
    };
    std::vector<Block> ring(kRingBlocks);
    auto busy = [](const Block& b) {
      return (b.header.flags.load() & platform::kHeaderInQueue) != 0;
    };
    auto anyBusy = [&] { return std::any_of(ring.begin(), ring.end(), busy); };
    const bool whole = Render(text, [&](const int16_t* s, int n) {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock,
                    [&] { return stop_.load() || !std::all_of(ring.begin(), ring.end(), busy); });
      if (stop_.load()) return false;
      lock.unlock();
      Block& block = *std::find_if_not(ring.begin(), ring.end(), busy);
      platform::WaveOutUnprepareHeader(device, &block.header);
      const char* bytes = reinterpret_cast<const char*>(s);
      block.bytes.assign(bytes, bytes + 2 * n);
      block.header.data = block.bytes.data();
      block.header.bufferLength = static_cast<uint32_t>(block.bytes.size());
      block.header.flags.store(0);
      platform::WaveOutPrepareHeader(device, &block.header);
      return platform::WaveOutWrite(device, &block.header) == platform::kMmNoError;
    });
    if (whole) {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stop_.load() || !anyBusy(); });
    }
    platform::WaveOutReset(device);
    for (Block& block : ring) platform::WaveOutUnprepareHeader(device, &block.header);
    platform::WaveOutClose(device);
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread thread_;
  bool running_ = false;
  bool started_ = false;  // the play under way has its output open
  std::atomic<bool> stop_{false};
  std::atomic<float> volume_{1.0f};
  std::atomic<int> messageBase_{0};
  std::string database_;
  int error_ = MBRP_ERR_NONE;
  std::string errorText_;
  // Used by the play thread only.
  formant::SynthChannel channel_;
};

Player& ThePlayer() {
  static Player player;
  return player;
}

void Player::BlockDone(platform::HWaveOut, unsigned message, uintptr_t, uintptr_t, uintptr_t) {
  if (message != platform::kWomDone) return;
  Player& player = ThePlayer();
  std::lock_guard<std::mutex> lock(player.mutex_);
  player.changed_.notify_all();
}

}  // namespace

extern "C" {

int MBR_SetDatabase(const char* path) { return ThePlayer().SetDatabase(path); }

int MBR_SetCallbackMsgBase(int base) {
  ThePlayer().SetMessageBase(base);
  return 0;
}

int MBR_Play(const char* text, uint32_t flags, const char* file, MBR_Callback callback) {
  return ThePlayer().Play(text, flags, file, callback);
}

int MBR_WaitForEnd(void) {
  ThePlayer().WaitForEnd();
  return 0;
}

int MBR_Stop(void) {
  ThePlayer().Stop();
  return 0;
}

int MBR_SetVolumeRatio(float ratio) { return ThePlayer().SetVolume(ratio); }

int MBR_LastError(char* buffer, int size) { return ThePlayer().LastError(buffer, size); }

}  // extern "C"
