// The wave-out player on the virtual device set (its devices play on their
// own threads): a block's life, the fallback over devices, failing results.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
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
  std::vector<int16_t> samples_ = std::vector<int16_t>(2205, 1);  // 100 ms
};

// The life of a block: a new block stops the one still playing, a block
// plays its own copy to the end, and a reset stops it and closes the device.
TEST_F(CPlayBackThreadsTest, ABlockPlaysItsOwnCopyUntilItEndsOrANewBlockOrAResetStopsIt) {
  EXPECT_TRUE(player_.play(nullptr, 0, format_, nullptr, 10, true, &device_, &header_, true));
  EXPECT_EQ(devices_.OpenDevices(), 0);  // nothing to play opens nothing
  ASSERT_TRUE(Play());
  devices_.Advance(std::chrono::milliseconds(50));
  const std::vector<int16_t> second(samples_.size(), 3);
  samples_ = second;
  ASSERT_TRUE(Play());
  samples_.assign(samples_.size(), 7);  // the caller's block may change at once
  EXPECT_TRUE(player_.isPlaying(header_));
  EXPECT_FALSE(player_.closeFinished(&device_, &header_));  // a playing block keeps its device
  Finish();
  EXPECT_FALSE(player_.isPlaying(header_));
  const auto blocks = devices_.Blocks();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_TRUE(blocks[0].cut);
  EXPECT_EQ(blocks[1].samples, second);
  EXPECT_EQ(devices_.OpenDevices(), 1);
  // The block ended by itself: its device is closed here, not in the callback.
  EXPECT_TRUE(player_.closeFinished(&device_, &header_));
  EXPECT_EQ(devices_.OpenDevices(), 0);
  EXPECT_EQ(devices_.CallsFromDeviceThread(), 0);
  EXPECT_FALSE(player_.reset(device_, &header_));  // no device, no error
  EXPECT_EQ(player_.getErrorCode(), 0);
  ASSERT_TRUE(Play());
  EXPECT_TRUE(player_.reset(device_, &header_));
  EXPECT_FALSE(player_.isPlaying(header_));
  EXPECT_EQ(devices_.OpenDevices(), 0);
  device_ = nullptr;
}

TEST_F(CPlayBackThreadsTest, ABusyDefaultDeviceFallsBackToTheFirstNumberedOneThatOpens) {
  // The devices, those busy besides the default one, the code, the device opened.
  using Ids = std::vector<unsigned>;
  const std::tuple<unsigned, Ids, int, Ids> rows[] = {
      {3, {}, 0, {0}}, {3, {0, 1}, 0, {2}}, {3, {0, 1, 2}, 208, {}}, {1, {}, 208, {}}};
  for (const auto& [count, busy, code, opened] : rows) {
    SCOPED_TRACE(count * 10 + busy.size());
    VirtualWaveOut devices;
    devices.SetDeviceCount(count);
    devices.SetOpenResult(platform::kWaveMapper, platform::kMmAllocated);
    for (unsigned id : busy) devices.SetOpenResult(id, platform::kMmAllocated);
    platform::HWaveOut device = nullptr;
    EXPECT_EQ(player_.openWaveOutDevice(&device, format_, nullptr, 0), code == 0);
    EXPECT_EQ(player_.getErrorCode(), code);
    EXPECT_EQ(devices.OpenedIds(), opened);
    EXPECT_TRUE(device == nullptr || player_.closeDevice(device));
  }
}

TEST_F(CPlayBackThreadsTest, EveryFailingResultGivesItsCodeAndText) {
  using namespace platform;
  CPlayBack::setOpenAtPlay(false);
  ASSERT_TRUE(
      player_.openWaveOutDevice(&device_, format_, &CPlayBack::waveOutProc, kCallbackFunction));
  HWaveOut other = nullptr;
  const auto open = [&] { return player_.openWaveOutDevice(&other, format_, nullptr, 0); };
  const auto unprepare = [&] { return player_.unprepareHeader(device_, &header_); };
  const auto close = [&] { return player_.closeDevice(device_); };
  const auto write = [&] { return Play(); };  // on the open device
  const auto reset = [&] { return player_.reset(device_, &header_); };
  // The operation, the result it answers, the code and text, the call.
  const std::tuple<Op, MmResult, int, std::string, std::function<bool()>> rows[] = {
      {Op::kOpen, kMmBadDeviceId, 209, CPB_OPEN_BADDEVICEID, open},
      {Op::kOpen, kMmError, 1, UNKNOWN_ERROR_TEXT, open},
      {Op::kUnprepare, kWaveStillPlaying, 217, CPB_UNPREPARE_STILLPLAYING, unprepare},
      {Op::kClose, kWaveStillPlaying, 221, CPB_CLOSE_STILLPLAYING, close},
      {Op::kPrepare, kMmNoMem, 224, CPB_PREPARE_NOMEM, write},
      {Op::kPrepare, kMmError, 233, CPB_PREPARE_UNKNOWN, write},
      {Op::kWrite, kWaveUnprepared, 228, CPB_WRITE_UNPREPARED, write},
      {Op::kWrite, kMmError, 234, CPB_WRITE_UNKNOWN, write},
      {Op::kReset, kMmNotSupported, 232, CPB_RESET_NOTSUPPORTED, reset},
      {Op::kReset, kMmError, 1, UNKNOWN_ERROR_TEXT, reset},
  };
  for (const auto& [op, result, code, text, call] : rows) {
    SCOPED_TRACE(code);
    devices_.Inject(op, result);
    EXPECT_FALSE(call());
    EXPECT_FALSE(player_.isPlaying(header_));
    EXPECT_EQ(player_.getErrorCode(), code);
    EXPECT_EQ(player_.getErrorTextRef(), text);
  }
}

}  // namespace
