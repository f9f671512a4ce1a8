#include "platform/waveout/VirtualWaveOut.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>

namespace platform {
namespace {

std::atomic<VirtualWaveOut*> g_installed{nullptr};

// How often a device's thread looks at a virtual block.
constexpr auto kVirtualPoll = std::chrono::microseconds(500);

}  // namespace

// Plays one device's blocks against the set's clock: each block begins when
// it is written or when the block before it ends, whichever is later.
class VirtualWaveOut::Sink : public WaveSink {
 public:
  Sink(VirtualWaveOut* set, unsigned id, const WaveFormat& format)
      : set_(set), id_(id), bytesPerSecond_(format.avgBytesPerSec), align_(format.blockAlign) {}

  void Submit(const char* data, std::size_t bytes) override {
    std::lock_guard<std::mutex> lock(set_->mutex_);
    Pending block;
    block.data = data;
    block.bytes = bytes;
    block.begins = std::max(set_->Now(), freeAt_);
    freeAt_ = block.begins + static_cast<double>(bytes) * 1e6 / bytesPerSecond_;
    block.record = set_->blocks_.size();
    Block record;
    record.device = id_;
    record.written = bytes / sizeof(int16_t);
    record.writtenAt = std::chrono::steady_clock::now();
    set_->blocks_.push_back(record);
    pending_.push_back(block);
  }

  uint64_t Heard() override {
    std::lock_guard<std::mutex> lock(set_->mutex_);
    const double now = set_->Now();
    while (!pending_.empty()) {
      Pending& block = pending_.front();
      std::size_t due =
          static_cast<std::size_t>(std::max(0.0, now - block.begins) * bytesPerSecond_ / 1e6);
      due -= due % std::max<std::size_t>(align_, 1);
      Hear(block, std::min(due, block.bytes));
      if (block.heard < block.bytes) return heard_ + block.heard;
      heard_ += block.bytes;
      pending_.pop_front();
    }
    return heard_;
  }

  void Stop() override {
    std::lock_guard<std::mutex> lock(set_->mutex_);
    for (const Pending& block : pending_) {
      set_->blocks_[block.record].cut = true;
      heard_ += block.bytes;
    }
    pending_.clear();
    freeAt_ = set_->Now();
  }

  std::chrono::microseconds PollInterval() const override { return kVirtualPoll; }

 private:
  struct Pending {
    const char* data = nullptr;
    std::size_t bytes = 0;
    std::size_t heard = 0;
    double begins = 0.0;
    std::size_t record = 0;
  };

  // Reads the block up to byte `upto` as a device would, into the record.
  void Hear(Pending& block, std::size_t upto) {
    std::vector<int16_t>& samples = set_->blocks_[block.record].samples;
    for (std::size_t at = block.heard; at + 1 < upto; at += 2) {
      int16_t s = 0;
      std::memcpy(&s, block.data + at, sizeof s);
      samples.push_back(s);
    }
    block.heard = std::max(block.heard, upto);
  }

  VirtualWaveOut* set_;
  unsigned id_;
  uint32_t bytesPerSecond_;
  uint16_t align_;
  std::deque<Pending> pending_;
  uint64_t heard_ = 0;   // bytes of the blocks no longer pending
  double freeAt_ = 0.0;  // when the last block handed over ends
};

VirtualWaveOut::VirtualWaveOut() : start_(std::chrono::steady_clock::now()) {
  g_installed.store(this);
}

VirtualWaveOut::~VirtualWaveOut() {
  VirtualWaveOut* self = this;
  g_installed.compare_exchange_strong(self, nullptr);
}

VirtualWaveOut* VirtualWaveOut::Active() {
  if (VirtualWaveOut* set = g_installed.load()) return set;
  static VirtualWaveOut* const environment = []() -> VirtualWaveOut* {
    const char* kind = std::getenv("TM_WAVEOUT");
    if (kind == nullptr || std::string(kind) != "virtual") return nullptr;
    // Lives as long as the process: devices may be closed at exit.
    auto* set = new VirtualWaveOut();
    g_installed.store(nullptr);
    if (const char* scale = std::getenv("TM_WAVEOUT_SCALE")) {
      set->SetClock(Clock::kScaled, std::atof(scale) > 0 ? std::atof(scale) : 1.0);
    }
    return set;
  }();
  return environment;
}

double VirtualWaveOut::Now() const {
  if (clock_ == Clock::kManual) return manual_;
  const double real =
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start_).count();
  return clock_ == Clock::kScaled ? real * scale_ : real;
}

void VirtualWaveOut::SetClock(Clock clock, double scale) {
  std::lock_guard<std::mutex> lock(mutex_);
  manual_ = Now();
  clock_ = clock;
  scale_ = scale;
}

void VirtualWaveOut::Advance(std::chrono::microseconds time) {
  std::lock_guard<std::mutex> lock(mutex_);
  manual_ += static_cast<double>(time.count());
}

void VirtualWaveOut::SetDeviceCount(unsigned count) {
  std::lock_guard<std::mutex> lock(mutex_);
  devices_ = count;
}

void VirtualWaveOut::SetOpenResult(unsigned id, MmResult result) {
  std::lock_guard<std::mutex> lock(mutex_);
  openResults_[id] = result;
}

void VirtualWaveOut::Inject(Operation operation, MmResult result) {
  std::lock_guard<std::mutex> lock(mutex_);
  injected_[static_cast<int>(operation)].push_back(result);
}

bool VirtualWaveOut::TakeInjected(Operation operation, MmResult* result) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<MmResult>& queue = injected_[static_cast<int>(operation)];
  if (queue.empty()) return false;
  *result = queue.front();
  queue.erase(queue.begin());
  return true;
}

MmResult VirtualWaveOut::Open(unsigned id, const WaveFormat& format,
                              std::unique_ptr<WaveSink>* sink) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (id != kWaveMapper && id >= devices_) return kMmBadDeviceId;
  if (devices_ == 0) return kMmNoDriver;
  const auto it = openResults_.find(id);
  if (it != openResults_.end() && it->second != kMmNoError) return it->second;
  sink->reset(new Sink(this, id, format));
  opened_.push_back(id);
  ++open_;
  return kMmNoError;
}

unsigned VirtualWaveOut::DeviceCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return devices_;
}

void VirtualWaveOut::NoteClosed() {
  std::lock_guard<std::mutex> lock(mutex_);
  --open_;
}

void VirtualWaveOut::NoteDeviceThreadCall() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++deviceThreadCalls_;
}

std::vector<VirtualWaveOut::Block> VirtualWaveOut::Blocks() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return blocks_;
}

std::vector<int16_t> VirtualWaveOut::Played() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<int16_t> all;
  for (const Block& block : blocks_)
    all.insert(all.end(), block.samples.begin(), block.samples.end());
  return all;
}

int VirtualWaveOut::OpenDevices() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return open_;
}

std::vector<unsigned> VirtualWaveOut::OpenedIds() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return opened_;
}

int VirtualWaveOut::CallsFromDeviceThread() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return deviceThreadCalls_;
}

}  // namespace platform
