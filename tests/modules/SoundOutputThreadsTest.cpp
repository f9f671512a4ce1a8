// The sound outputs of several engines and callers at once, on the virtual
// device set (which the player library mbrplay.so shares with the engine):
// two engines speaking on each font, a stop or pause that reaches the MBROLA
// player just before its play starts, and a process without a sound card.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/composer/VControl.h"
#include "engine/interface/tmengine.h"
#include "modules/vm_genpho.h"
#include "modules/vm_speechout_mbr.h"
#include "platform/waveout/VirtualWaveOut.h"
#include "tests/common/ComposerBed.h"
#include "tests/common/Installation.h"
#include "tests/platform/SynthTestSupport.h"

namespace {

using platform::VirtualWaveOut;
using std::chrono::milliseconds;

constexpr const char* kNoSoundOutput = "Error: the sound output could not be opened: ";

using testing_support::WaitUntil;

// ---------------------------------------------------------------------------
// A stop or pause that reaches the player just before its play starts

// The built player library; its MBR_Play first runs a request of the test,
// once, as if the composer's stop or pause came after the module's last look.
MbrPlayApi g_player;
std::function<void()> g_beforePlay;

MbrPlayApi HookedPlayer() {
  static void* const handle = ::dlopen(TM_MBRPLAY_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  const auto bind = [](auto& f, int i) {
    f = reinterpret_cast<std::remove_reference_t<decltype(f)>>(
        ::dlsym(handle, MbrPlayApi::kNames[i]));
  };
  bind(g_player.MBR_SetDatabase, 0);
  bind(g_player.MBR_SetCallbackMsgBase, 1);
  bind(g_player.MBR_Play, 2);
  bind(g_player.MBR_WaitForEnd, 3);
  bind(g_player.MBR_Stop, 4);
  bind(g_player.MBR_SetVolumeRatio, 5);
  bind(g_player.MBR_LastError, 6);
  MbrPlayApi hooked = g_player;
  hooked.MBR_Play = [](const char* text, uint32_t flags, const char* file, MBR_Callback done) {
    if (g_beforePlay) std::exchange(g_beforePlay, nullptr)();
    return g_player.MBR_Play(text, flags, file, done);
  };
  return hooked;
}

class PlayerRequestThreadsTest : public testing_support::ComposerBed {
 protected:
  PlayerRequestThreadsTest() : out_(HookedPlayer()) {
    devices_.SetClock(VirtualWaveOut::Clock::kManual);
    inst_.write("voices/test.voice", testing_support::ReadFile(synth_test::VoicePath()));
    UseFont("VM_SpeechOut_Mbr.Database=voices/test.voice\nVM_SpeechOut_Mbr.OutputToBoard=yes\n");
    EXPECT_TRUE(bed_->composer.directory.AddModule(&generator_));
    generator_.SetUp();
    out_.SetComposer(&bed_->composer);
    EXPECT_TRUE(out_.SetUp());
    bed_->Build("kala.");
    EXPECT_TRUE(generator_.Run());
  }
  ~PlayerRequestThreadsTest() override {
    g_player.MBR_Stop();
    g_player.MBR_WaitForEnd();
  }
  // Moves the clock on until every device has closed.
  bool PlayOut() {
    return WaitUntil([this] {
      devices_.Advance(milliseconds(100));
      return devices_.OpenDevices() == 0;
    });
  }

  VirtualWaveOut devices_;
  VM_GeneratorPHO generator_;
  VM_SpeechOut_Mbr out_;
};

TEST_F(PlayerRequestThreadsTest, AStopOrPauseAsThePlayStartsEndsItOrHoldsThePass) {
  VControl& control = bed_->composer.control;
  for (const bool pause : {false, true}) {
    SCOPED_TRACE(pause ? "pause" : "stop");
    control.BeginRun();
    const std::size_t opened = devices_.OpenedIds().size();
    g_beforePlay = [&] {
      if (pause) {
        control.SetPaused(true);
      } else {
        VControl::Abort();
      }
      out_.Stop();
    };
    std::atomic<bool> done{false};
    std::thread run([&] {
      out_.Run();
      done = true;
    });
    // The play that started after the request ends without the clock moving.
    EXPECT_TRUE(WaitUntil([&] { return devices_.OpenedIds().size() > opened; }));
    EXPECT_TRUE(WaitUntil([&] { return devices_.OpenDevices() == 0; }));
    std::size_t blocks = devices_.Blocks().size();
    for (const auto& block : devices_.Blocks()) EXPECT_TRUE(block.samples.empty());
    if (pause) {
      // Held until the resume, then played whole.
      EXPECT_FALSE(done);
      EXPECT_EQ(out_.Resume(), 0);
      control.SetPaused(false);
      EXPECT_TRUE(WaitUntil([&] { return done.load(); }));
      EXPECT_EQ(devices_.OpenedIds().size(), opened + 2);
    }
    if (!done) g_player.MBR_Stop();  // a run that a failure left waiting
    run.join();
    if (pause) {
      EXPECT_TRUE(PlayOut());
      const auto heard = devices_.Blocks();
      ASSERT_GT(heard.size(), blocks);
      for (; blocks < heard.size(); ++blocks) {
        EXPECT_FALSE(heard[blocks].cut);
        EXPECT_EQ(heard[blocks].samples.size(), heard[blocks].written);
      }
    }
    g_player.MBR_Stop();
    g_player.MBR_WaitForEnd();
  }
}

TEST_F(PlayerRequestThreadsTest, CallersThatWaitForTheSamePlayEachPlayInTurn) {
  constexpr int kCallers = 4;
  constexpr int kRounds = 5;
  const std::string pho = generator_.GetPho();
  for (int round = 0; round < kRounds; ++round) {
    const std::size_t opened = devices_.OpenedIds().size();
    ASSERT_EQ(g_player.MBR_Play(pho.c_str(), 0, nullptr, nullptr), 0);  // held by the clock
    std::atomic<int> started{0};
    std::vector<std::thread> callers;
    for (int c = 0; c < kCallers; ++c) {
      callers.emplace_back(
          [&] { started += g_player.MBR_Play(pho.c_str(), 0, nullptr, nullptr) == 0; });
    }
    std::this_thread::sleep_for(milliseconds(20));
    // Every caller waited for the held play; they are let go together.
    EXPECT_TRUE(WaitUntil([&] {
      devices_.Advance(milliseconds(100));
      return started == kCallers;
    }));
    for (std::thread& caller : callers) caller.join();
    EXPECT_TRUE(PlayOut());
    EXPECT_EQ(devices_.OpenedIds().size(), opened + 1 + kCallers);
  }
  for (const auto& block : devices_.Blocks()) EXPECT_FALSE(block.cut);
}

// ---------------------------------------------------------------------------
// Engines of one process

class EnginesThreadsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    installation_ = new testing_support::Installation();
    installation_->Assemble();
    ASSERT_EQ(tmengine__LoadSharedResources(), 0);
  }
  static void TearDownTestSuite() {
    EXPECT_EQ(tmengine__ReleaseSharedResources(), 0);
    delete installation_;
  }
  EnginesThreadsTest() {
    for (Tamrin*& engine : engines_) EXPECT_EQ(tmengine__New(&engine), 0);
  }
  ~EnginesThreadsTest() override {
    for (Tamrin*& engine : engines_) EXPECT_EQ(tmengine__Delete(&engine), 0);
  }
  void Select(const char* font) {
    for (Tamrin* engine : engines_) ASSERT_EQ(tmengine__SelectVoiceFont(engine, font), 0);
  }
  // What a font's output did: the player library opens a device for each
  // play, the wave-out module writes a block for each pass.
  static std::size_t Plays(const VirtualWaveOut& devices, const std::string& font) {
    return font == "mbrola.vof" ? devices.OpenedIds().size() : devices.Blocks().size();
  }

  static inline testing_support::Installation* installation_ = nullptr;
  testing_support::MessageRecorder boxes_;
  // Outlives the engines, whose devices it plays.
  VirtualWaveOut devices_;
  Tamrin* engines_[2] = {nullptr, nullptr};
};

TEST_F(EnginesThreadsTest, TwoEnginesSpeakingAtOnceOnEachFontPlayEveryPass) {
  constexpr int kRounds = 12;
  constexpr double kClockScale = 50.0;
  const char* const text = "καλημέρα σας";
  devices_.SetClock(VirtualWaveOut::Clock::kScaled, kClockScale);
  for (const std::string font : {"mbrola.vof", "default.vof"}) {
    SCOPED_TRACE(font);
    Select(font.c_str());
    const int idle = devices_.OpenDevices();
    const std::size_t before = Plays(devices_, font);
    ASSERT_EQ(tmengine__TextToSpeech(engines_[0], text, 1), 0);
    const std::size_t alone = Plays(devices_, font) - before;
    ASSERT_GT(alone, 0u);
    const auto speak = [&](Tamrin* engine) {
      for (int round = 0; round < kRounds; ++round) tmengine__TextToSpeech(engine, text, 1);
    };
    std::thread other(speak, engines_[1]);
    speak(engines_[0]);
    other.join();
    EXPECT_EQ(Plays(devices_, font) - before, alone * (2 * kRounds + 1));
    EXPECT_TRUE(WaitUntil([&] {
      tmengine__Stop(engines_[0]);
      return devices_.OpenDevices() <= idle;
    }));
  }
  EXPECT_TRUE(boxes_.reports().empty());
}

TEST_F(EnginesThreadsTest, WithoutASoundCardEachEngineReportsItOnceForEachMethod) {
  devices_.SetDeviceCount(0);
  for (const char* font : {"mbrola.vof", "default.vof"}) {
    SCOPED_TRACE(font);
    boxes_.clear();
    const int logged = installation_->Logged("MBROLA no output device opens");
    // The engines live through the rows; a new pair stands for new engines.
    for (Tamrin*& engine : engines_) {
      ASSERT_EQ(tmengine__Delete(&engine), 0);
      ASSERT_EQ(tmengine__New(&engine), 0);
    }
    Select(font);
    for (int round = 0; round < 3; ++round) {
      for (Tamrin* engine : engines_) EXPECT_EQ(tmengine__TextToSpeech(engine, "καλημέρα", 1), 0);
    }
    const std::vector<std::string> reports = boxes_.reports();
    ASSERT_EQ(reports.size(), 2u);
    for (const std::string& report : reports) EXPECT_EQ(report.rfind(kNoSoundOutput, 0), 0u);
    // The player's own words reach the engine log at every play.
    EXPECT_EQ(installation_->Logged("MBROLA no output device opens") - logged,
              std::string(font) == "mbrola.vof" ? 6 : 0);
  }
}

}  // namespace
