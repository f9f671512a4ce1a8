// The wave-out player on the virtual device set (its devices play on their
// own threads): the error codes of each call through injected results, the fallback
// over numbered devices, the playing flag, and a new block while one plays.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/waveout/VirtualWaveOut.h"
#include "support/cplayback.h"

namespace {

using platform::VirtualWaveOut;
using Op = VirtualWaveOut::Operation;

class CPlayBackThreadsTest : public testing::Test {
 protected:
  CPlayBackThreadsTest() : player_(".", "cplayback") {
    devices_.SetClock(VirtualWaveOut::Clock::kManual);
    for (int i = 0; i < 2205; ++i) samples_.push_back(static_cast<int16_t>(i));
    CPlayBack::setOpenAtPlay(true);
  }
  ~CPlayBackThreadsTest() override {
    if (device_ != nullptr) {
      player_.reset(device_, &header_);
      player_.closeDevice(device_);
    }
  }
  bool Play() {
    return player_.play(&CPlayBack::waveOutProc, platform::kCallbackFunction, format_,
                        reinterpret_cast<const char*>(samples_.data()), samples_.size() * 2, true,
                        &device_, &header_, true);
  }
  // Moves the clock past the block and waits for its end.
  void Finish() {
    devices_.Advance(std::chrono::milliseconds(200));
    player_.waitWhilePlaying(header_);
  }

  VirtualWaveOut devices_;
  CPlayBack player_;
  platform::WaveFormat format_{platform::kWaveFormatPcm, 1, 22050, 44100, 2, 16};
  platform::HWaveOut device_ = nullptr;
  platform::WaveHeader header_;
  std::vector<int16_t> samples_;
};

TEST_F(CPlayBackThreadsTest, ABlockPlaysFromItsOwnCopyToItsEnd) {
  EXPECT_TRUE(player_.play(nullptr, 0, format_, nullptr, 10, true, &device_, &header_, true));
  EXPECT_EQ(devices_.OpenDevices(), 0);
  EXPECT_FALSE(player_.isPlaying(header_));
  ASSERT_TRUE(Play());
  EXPECT_TRUE(player_.isPlaying(header_));
  samples_.assign(samples_.size(), 7);  // the caller's block may change at once
  Finish();
  EXPECT_FALSE(player_.isPlaying(header_));
  ASSERT_EQ(devices_.Blocks().size(), 1u);
  EXPECT_EQ(devices_.Blocks()[0].samples[2204], 2204);
  // The block ended by itself: its device is closed here, not in the callback.
  EXPECT_TRUE(player_.closeFinished(&device_, &header_));
  EXPECT_EQ(devices_.OpenDevices(), 0);
  EXPECT_EQ(devices_.CallsFromDeviceThread(), 0);
}

TEST_F(CPlayBackThreadsTest, ANewBlockStopsTheOneStillPlayingBeforeItsCopyGoes) {
  ASSERT_TRUE(Play());
  devices_.Advance(std::chrono::milliseconds(50));
  samples_.assign(samples_.size(), 3);
  ASSERT_TRUE(Play());
  Finish();
  const auto blocks = devices_.Blocks();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_TRUE(blocks[0].cut);
  EXPECT_EQ(blocks[1].samples, samples_);
  EXPECT_EQ(devices_.OpenDevices(), 1);
}

TEST_F(CPlayBackThreadsTest, AResetStopsTheBlockAndClosesTheDeviceItOpened) {
  EXPECT_FALSE(player_.reset(nullptr, &header_));
  EXPECT_EQ(player_.getErrorCode(), 0);
  ASSERT_TRUE(Play());
  EXPECT_TRUE(player_.reset(device_, &header_));
  EXPECT_FALSE(player_.isPlaying(header_));
  EXPECT_EQ(devices_.OpenDevices(), 0);
  device_ = nullptr;
}

TEST_F(CPlayBackThreadsTest, ABusyDefaultDeviceFallsBackToTheFirstNumberedOneThatOpens) {
  struct Row {
    unsigned count;
    std::vector<unsigned> busy;  // besides the default device
    int code;
    std::vector<unsigned> opened;
  } rows[] = {{3, {}, 0, {0}}, {3, {0, 1}, 0, {2}}, {3, {0, 1, 2}, 208, {}}, {1, {}, 208, {}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.count * 10 + row.busy.size());
    VirtualWaveOut devices;
    devices.SetDeviceCount(row.count);
    devices.SetOpenResult(platform::kWaveMapper, platform::kMmAllocated);
    for (unsigned id : row.busy) devices.SetOpenResult(id, platform::kMmAllocated);
    platform::HWaveOut device = nullptr;
    EXPECT_EQ(player_.openWaveOutDevice(&device, format_, nullptr, 0), row.code == 0);
    EXPECT_EQ(player_.getErrorCode(), row.code);
    EXPECT_EQ(devices.OpenedIds(), row.opened);
    if (device != nullptr) {
      EXPECT_TRUE(player_.closeDevice(device));
    }
  }
}

TEST_F(CPlayBackThreadsTest, EveryFailingResultGivesItsCodeAndText) {
  using namespace platform;
  struct Row {
    Op op;
    MmResult result;
    int code;
    const std::string& text;
  } rows[] = {
      {Op::kOpen, kMmBadDeviceId, 209, CPB_OPEN_BADDEVICEID},
      {Op::kOpen, kMmError, 1, UNKNOWN_ERROR_TEXT},
      {Op::kUnprepare, kWaveStillPlaying, 217, CPB_UNPREPARE_STILLPLAYING},
      {Op::kClose, kWaveStillPlaying, 221, CPB_CLOSE_STILLPLAYING},
      {Op::kPrepare, kMmNoMem, 224, CPB_PREPARE_NOMEM},
      {Op::kPrepare, kMmError, 233, CPB_PREPARE_UNKNOWN},
      {Op::kWrite, kWaveUnprepared, 228, CPB_WRITE_UNPREPARED},
      {Op::kWrite, kMmError, 234, CPB_WRITE_UNKNOWN},
      {Op::kReset, kMmNotSupported, 232, CPB_RESET_NOTSUPPORTED},
      {Op::kReset, kMmError, 1, UNKNOWN_ERROR_TEXT},
  };
  CPlayBack::setOpenAtPlay(false);
  ASSERT_TRUE(player_.openWaveOutDevice(&device_, format_, &CPlayBack::waveOutProc,
                                        platform::kCallbackFunction));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    devices_.Inject(row.op, row.result);
    bool ok = true;
    platform::HWaveOut other = nullptr;
    switch (row.op) {
      case Op::kOpen:
        ok = player_.openWaveOutDevice(&other, format_, nullptr, 0);
        break;
      case Op::kUnprepare:
        ok = player_.unprepareHeader(device_, &header_);
        break;
      case Op::kClose:
        ok = player_.closeDevice(device_);
        break;
      case Op::kPrepare:
      case Op::kWrite:
        ok = player_.playWAVfromMemoryDeviceAlreadyOpen(
            device_, reinterpret_cast<const char*>(samples_.data()), 8, true, &header_, false);
        EXPECT_FALSE(player_.isPlaying(header_));
        break;
      default:
        ok = player_.reset(device_, &header_);
        break;
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(player_.getErrorCode(), row.code);
    EXPECT_EQ(player_.getErrorTextRef(), row.text);
  }
}

}  // namespace
