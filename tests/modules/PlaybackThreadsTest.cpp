// VM_Playback on the virtual device set with a manual clock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "engine/composer/VControl.h"
#include "modules/vm_playback.h"
#include "modules/vm_speechout_mbr.h"
#include "platform/waveout/VirtualWaveOut.h"
#include "support/cplayback.h"
#include "tests/common/ComposerBed.h"

namespace {

using platform::VirtualWaveOut;
using std::chrono::milliseconds;

class PlaybackThreadsTest : public testing_support::ComposerBed {
 protected:
  PlaybackThreadsTest() {
    devices_.SetClock(VirtualWaveOut::Clock::kManual);
    playback_.SetComposer(&bed_->composer);
    Use("no", "no");
  }
  void Use(const std::string& openAtPlay, const std::string& blockAfter) {
    UseFont("VM_Playback.OpenAtPlay=" + openAtPlay + "\nVM_Playback.BlockAfter=" + blockAfter +
            "\n");
    ASSERT_TRUE(playback_.SetUp());
  }
  // 2205 samples (100 ms) numbered from first.
  static std::vector<int16_t> Numbers(int first) {
    std::vector<int16_t> v(2205);
    std::iota(v.begin(), v.end(), static_cast<int16_t>(first));
    return v;
  }
  // A pass of those samples; its run on a thread of its own.
  void Pass(int first) {
    bed_->speech.Reset();
    for (const int16_t s : Numbers(first)) bed_->speech.Append(s);
  }
  std::thread RunLater(int first) {
    Pass(first);
    std::thread run([this] { playback_.Run(); });
    std::this_thread::sleep_for(milliseconds(30));
    return run;
  }
  // Moves the clock past the last block and lets the device hear it.
  std::vector<VirtualWaveOut::Block> Finish() {
    devices_.Advance(milliseconds(500));
    for (int i = 0; i < 400; ++i) {
      const auto blocks = devices_.Blocks();
      if (blocks.back().samples.size() == blocks.back().written) return blocks;
      std::this_thread::sleep_for(milliseconds(5));
    }
    return devices_.Blocks();
  }

  VirtualWaveOut devices_;
  VM_Playback playback_;
};

TEST_F(PlaybackThreadsTest, AnAbortedRunPlaysNothingAndASecondRunWaitsForTheFirstBlock) {
  VControl::Abort();
  Pass(0);
  EXPECT_TRUE(playback_.Run());
  bed_->composer.control.BeginRun();
  EXPECT_EQ(playback_.PlayBlock(), VM_Playback::kNothingHeld);
  ASSERT_TRUE(devices_.Blocks().empty());
  ASSERT_TRUE(playback_.Run());
  std::thread second = RunLater(5000);
  EXPECT_EQ(devices_.Blocks().size(), 1u);
  devices_.Advance(milliseconds(100));
  second.join();
  const auto blocks = Finish();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].samples, Numbers(0));
  EXPECT_EQ(blocks[1].samples, Numbers(5000));
}

TEST_F(PlaybackThreadsTest, StopEndsTheBlockAndOnlyExactlyYesOpensTheDeviceAtEachPlay) {
  for (const std::string value : {"no", "yes", "Yes", " yes", ""}) {
    SCOPED_TRACE("[" + value + "]");
    // However often a font is selected, one device at most stays open.
    Use(value, "no");
    Use(value, "no");
    EXPECT_EQ(CPlayBack::openAtPlay(), value == "yes");
    EXPECT_EQ(devices_.OpenDevices(), value == "yes" ? 0 : 1);
    Pass(0);
    playback_.Run();
    devices_.Advance(milliseconds(10));
    EXPECT_EQ(playback_.Stop(), 0);
    EXPECT_TRUE(devices_.Blocks().back().cut);
    EXPECT_EQ(devices_.OpenDevices(), value == "yes" ? 0 : 1);
  }
}

TEST_F(PlaybackThreadsTest, PauseAndResumeReplayTheHeldBlockFromItsFirstSample) {
  Pass(0);
  playback_.Run();
  devices_.Advance(milliseconds(40));
  bed_->composer.control.SetPaused(true);
  playback_.Stop();
  // The next pass is prepared meanwhile and waits while paused.
  std::thread next = RunLater(7000);
  EXPECT_EQ(playback_.PlayBlock(), 0);
  bed_->composer.control.SetPaused(false);
  devices_.Advance(milliseconds(50));
  std::this_thread::sleep_for(milliseconds(30));
  // The replay is not cut by the next pass.
  EXPECT_EQ(devices_.Blocks().size(), 2u);
  devices_.Advance(milliseconds(60));
  next.join();
  const auto blocks = Finish();
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_TRUE(blocks[0].cut);
  EXPECT_EQ(blocks[1].samples, Numbers(0));
  EXPECT_EQ(blocks[2].samples, Numbers(7000));
}

TEST_F(PlaybackThreadsTest, AStopOrPauseAfterTheRunsLastWaitEndsOrHoldsItsPass) {
  for (const bool pause : {false, true}) {
    SCOPED_TRACE(pause ? "pause" : "stop");
    bed_->composer.control.BeginRun();
    Use("no", "no");
    const std::size_t before = devices_.Blocks().size();
    Pass(0);
    playback_.Run();
    bed_->composer.control.SetPaused(true);
    playback_.Stop();
    // The next pass waits while paused; the resume plays the held block
    // again, and the run then waits for it, past its wait while paused.
    std::atomic<bool> done{false};
    Pass(7000);
    std::thread next([&] {
      playback_.Run();
      done = true;
    });
    std::this_thread::sleep_for(milliseconds(30));
    EXPECT_EQ(playback_.PlayBlock(), 0);
    bed_->composer.control.SetPaused(false);
    EXPECT_TRUE(testing_support::WaitUntil([&] { return devices_.Blocks().size() == before + 2; }));
    // The request cuts the replay; the pass is not played while paused.
    if (pause) {
      bed_->composer.control.SetPaused(true);
    } else {
      VControl::Abort();
    }
    playback_.Stop();
    if (!pause) {
      EXPECT_TRUE(testing_support::WaitUntil([&] { return done.load(); }));
    }
    std::this_thread::sleep_for(milliseconds(30));
    EXPECT_EQ(devices_.Blocks().size(), before + 2);
    EXPECT_EQ(done, !pause);
    if (pause) {
      EXPECT_EQ(playback_.PlayBlock(), 0);
      bed_->composer.control.SetPaused(false);
      for (int i = 0; i < 100 && !done; ++i) {
        devices_.Advance(milliseconds(100));
        std::this_thread::sleep_for(milliseconds(5));
      }
    }
    next.join();
    const auto blocks = pause ? Finish() : devices_.Blocks();
    ASSERT_EQ(blocks.size(), before + (pause ? 4 : 2));
    EXPECT_TRUE(blocks[before + 1].cut);
    if (pause) {
      EXPECT_EQ(blocks[before + 2].samples, Numbers(0));
      EXPECT_EQ(blocks[before + 3].samples, Numbers(7000));
    }
  }
}

TEST_F(PlaybackThreadsTest, SetUpStopsAPlayingBlockAndBlockAfterWaitsUntilItsDeviceIsClosed) {
  Pass(0);
  playback_.Run();
  Use("yes", "yes");
  EXPECT_TRUE(devices_.Blocks()[0].cut);
  std::thread run = RunLater(100);
  devices_.Advance(milliseconds(100));
  run.join();
  EXPECT_EQ(devices_.OpenDevices(), 0);
  EXPECT_EQ(devices_.Blocks()[1].samples, Numbers(100));
  EXPECT_EQ(devices_.CallsFromDeviceThread(), 0);
}

std::atomic<int> g_libraryPlays{0};

// A stop while a run waits in a pause: neither the wave-out output nor the
// player library's plays the pass after the resume.
TEST_F(PlaybackThreadsTest, AStopDuringAPauseEndsTheRunOfEachOutputUnplayed) {
  MbrPlayApi api;
  api.MBR_Play = [](const char*, uint32_t, const char*, MBR_Callback) { return ++g_libraryPlays; };
  VM_SpeechOut_Mbr library(api);
  library.SetComposer(&bed_->composer);
  ASSERT_TRUE(library.SetUp());
  Pass(0);
  for (VModule* output : std::initializer_list<VModule*>{&playback_, &library}) {
    SCOPED_TRACE(output->GetName());
    bed_->composer.control.SetPaused(true);
    std::thread run([output] { output->Run(); });
    std::this_thread::sleep_for(milliseconds(30));
    VControl::Abort();
    bed_->composer.control.SetPaused(false);
    run.join();
    bed_->composer.control.BeginRun();
  }
  EXPECT_TRUE(devices_.Blocks().empty());
  EXPECT_EQ(g_libraryPlays, 0);
}

}  // namespace
