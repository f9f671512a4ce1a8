// The composer with a worker thread: stop, pause and resume from another
// thread, requests that meet a running or paused run, deletion while
// speaking, and random interleavings of requests from two threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/composer/Tamrin.h"
#include "engine/composer/VControl.h"
#include "engine/interface/tmengine.h"
#include "tests/engine/EngineTestSupport.h"

namespace {

using engine_testing::EngineInstallation;
using engine_testing::Events;
using engine_testing::FontText;
using engine_testing::Gate;
using engine_testing::HookModule;
using engine_testing::OutputRun;
using engine_testing::TestTamrin;

// The longest that a module waits for an abort before it gives up and
// says so; only a lost stop comes near it.
constexpr int kAbortWaitMs = 5000;

// A run that goes on until the abort flag is set: events name + ":entered"
// and then name + ":aborted" (or name + ":gave up").
std::function<bool()> RunUntilAbort(const std::string& name, Events* events) {
  return [name, events] {
    events->Add(name + ":entered");
    for (int i = 0; i < kAbortWaitMs && !VControl::IsAbort(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    events->Add(name + (VControl::IsAbort() ? ":aborted" : ":gave up"));
    return true;
  };
}

// A run that waits at gate: name + ":entered", then name + ":passed" or
// name + ":aborted".
std::function<bool()> RunThroughGate(const std::string& name, Gate* gate, Events* events) {
  return [name, gate, events] {
    events->Add(name + ":entered");
    events->Add(name + (gate->Pass() ? ":passed" : ":aborted"));
    return true;
  };
}

// Gives another thread the chance to get ahead (only makes a fault more
// likely to show; the tests pass without it).
void LetOthersRun() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

class TamrinThreadsTest : public engine_testing::ComposerTest {};

TEST_F(TamrinThreadsTest, StopFromAnotherThreadEndsTheRunBeforeTheNextModule) {
  install_.Font("loop.vof", FontText("Test_Loop;Test_After"));
  ASSERT_EQ(Init("loop.vof"), 0);
  Events events;
  Register("Test_Loop")->onRun = RunUntilAbort("loop", &events);
  Register("Test_After")->onRun = [&events] {
    events.Add("after");
    return true;
  };
  ASSERT_EQ(composer_.Speak("x", false), 0);
  ASSERT_TRUE(events.WaitFor("loop:entered"));
  int stopped = -1;
  std::thread([&] { stopped = composer_.Stop(); }).join();
  EXPECT_EQ(stopped, 0);
  ASSERT_TRUE(events.WaitFor("loop:aborted"));
  EXPECT_EQ(composer_.Finalize(), 0);
  EXPECT_EQ(events.Count("after"), 0);
  EXPECT_TRUE(composer_.GetControl()->IsStopped());
  EXPECT_TRUE(composer_.GetControl()->IsIdle());
}

TEST_F(TamrinThreadsTest, AStopRightAfterTheRequestIsNeverLost) {
  ASSERT_EQ(Init(), 0);
  Events events;
  HookModule* probe = Register();
  auto loop = RunUntilAbort("loop", &events);
  probe->onRun = [probe, loop] {
    // Only the spoken requests loop; the buffer requests that wait for
    // them pass straight through.
    return probe->LastText() == "loop ." ? loop() : true;
  };
  constexpr int kRounds = 100;
  for (int i = 0; i < kRounds; ++i) {
    ASSERT_EQ(composer_.Speak("loop", false), 0);
    composer_.Stop();
    // The next request waits for the worker.
    ASSERT_EQ(composer_.SpeakToBuffer("next", false, nullptr, nullptr), 0);
    ASSERT_EQ(events.Count("loop:gave up"), 0) << "round " << i;
  }
  // Each run either saw the stop before its module or ended at it.
  EXPECT_EQ(events.Count("loop:gave up"), 0);
  EXPECT_EQ(events.Count("loop:entered"), events.Count("loop:aborted"));
}

TEST_F(TamrinThreadsTest, PauseAndResumeFromAnotherThread) {
  install_.Font("gate.vof", FontText("Test_Gate;Test_Out"));
  ASSERT_EQ(Init("gate.vof"), 0);
  Events events;
  Gate gate;
  Register("Test_Gate")->onRun = RunThroughGate("gate", &gate, &events);
  HookModule* out = Register("Test_Out");
  out->onRun = OutputRun(out, &events);

  ASSERT_EQ(composer_.Speak("x", false), 0);
  ASSERT_TRUE(events.WaitFor("gate:entered"));
  int paused = -1;
  std::thread([&] { paused = composer_.Pause(); }).join();
  EXPECT_EQ(paused, 0);
  gate.Open();
  ASSERT_TRUE(events.WaitFor("Test_Out:waiting"));
  LetOthersRun();
  events.Add("resuming");
  int resumed = -1;
  std::thread([&] { resumed = composer_.Resume(); }).join();
  EXPECT_EQ(resumed, 0);
  ASSERT_TRUE(events.WaitFor("Test_Out:played"));
  EXPECT_LT(events.IndexOf("resuming"), events.IndexOf("Test_Out:played"));
  EXPECT_FALSE(composer_.GetControl()->IsPaused());
  EXPECT_EQ(composer_.Finalize(), 0);
}

TEST_F(TamrinThreadsTest, ANewRequestEndsAPausedWorkerRun) {
  install_.Font("gate.vof", FontText("Test_Gate;Test_Out"));
  ASSERT_EQ(Init("gate.vof"), 0);
  Events events;
  Gate gate;
  Register("Test_Gate")->onRun = RunThroughGate("gate", &gate, &events);
  HookModule* out = Register("Test_Out");
  out->onRun = OutputRun(out, &events);

  ASSERT_EQ(composer_.Speak("first", false), 0);
  ASSERT_TRUE(events.WaitFor("gate:entered"));
  ASSERT_EQ(composer_.Pause(), 0);
  gate.Open();
  ASSERT_TRUE(events.WaitFor("Test_Out:waiting"));
  // Nobody resumes: the new request itself must end the paused run.
  EXPECT_EQ(composer_.Speak("second", true), 0);
  EXPECT_EQ(events.Count("Test_Out:aborted"), 1);  // the first run
  EXPECT_EQ(events.Count("Test_Out:played"), 1);   // the second
  EXPECT_FALSE(composer_.GetControl()->IsPaused());
}

TEST_F(TamrinThreadsTest, ARequestFromAnotherThreadEndsAPausedSynchronousRun) {
  install_.Font("gate.vof", FontText("Test_Gate;Test_Out"));
  ASSERT_EQ(Init("gate.vof"), 0);
  Events events;
  Gate gate;
  Register("Test_Gate")->onRun = RunThroughGate("gate", &gate, &events);
  HookModule* out = Register("Test_Out");
  out->onRun = OutputRun(out, &events);

  int first = -1;
  std::thread speaker([&] { first = composer_.Speak("first", true); });
  ASSERT_TRUE(events.WaitFor("gate:entered"));
  ASSERT_EQ(composer_.Pause(), 0);
  gate.Open();
  ASSERT_TRUE(events.WaitFor("Test_Out:waiting"));
  // The synchronous run holds the lock and waits while paused; this request
  // must not wait for it for good.
  char* block = nullptr;
  long size = 0;
  EXPECT_EQ(composer_.SpeakToBuffer("second", true, &block, &size), 0);
  EXPECT_EQ(size, 44);
  speaker.join();
  EXPECT_EQ(first, 0);
  EXPECT_EQ(events.Count("Test_Out:aborted"), 1);
  EXPECT_EQ(events.Count("Test_Out:played"), 1);
  VStr::Release(&block);
}

TEST_F(TamrinThreadsTest, ASecondSpeakWaitsForTheFirstRunBeforeItChangesTheText) {
  ASSERT_EQ(Init(), 0);
  Events events;
  Gate gate;
  HookModule* probe = Register();
  TestTamrin* composer = &composer_;
  probe->onRun = [composer, &gate, &events] {
    events.Add("entered:" + composer->GetText()->Str());
    gate.Pass();
    events.Add("left:" + composer->GetText()->Str());
    return true;
  };
  ASSERT_EQ(composer_.Speak("first", false), 0);
  ASSERT_TRUE(events.WaitFor("entered:first ."));
  int second = -1;
  std::thread other([&] {
    events.Add("second:calling");
    second = composer_.Speak("second", false);
    events.Add("second:returned");
  });
  ASSERT_TRUE(events.WaitFor("second:calling"));
  LetOthersRun();
  gate.Open();
  other.join();
  EXPECT_EQ(second, 0);
  ASSERT_TRUE(events.WaitFor("left:second ."));
  // The first run kept its text to its end, and ended before the second
  // request returned.
  ASSERT_GE(events.IndexOf("left:first ."), 0);
  EXPECT_LT(events.IndexOf("left:first ."), events.IndexOf("second:returned"));
  EXPECT_EQ(composer_.Finalize(), 0);
}

TEST_F(TamrinThreadsTest, TheWorkerRunsTheChainOfItsRequest) {
  install_.Font("a.vof", FontText("Test_A"));
  install_.Font("b.vof", FontText("Test_B"));
  ASSERT_EQ(Init("a.vof"), 0);
  Events events;
  Register("Test_A")->onRun = [&events] {
    events.Add("A");
    return true;
  };
  Register("Test_B")->onRun = [&events] {
    events.Add("B");
    return true;
  };
  Gate start;
  composer_.threadStart = &start;  // the worker starts only when opened
  ASSERT_EQ(composer_.Speak("x", false), 0);
  int selected = -1;
  std::thread other([&] {
    events.Add("selecting");
    selected = composer_.SetCharacter("b.vof");
  });
  ASSERT_TRUE(events.WaitFor("selecting"));
  LetOthersRun();
  start.Open();
  other.join();
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(events.Get(), (std::vector<std::string>{"selecting", "A"}));
  EXPECT_EQ(CurrentKey(), "b.vof");
  composer_.threadStart = nullptr;
  EXPECT_EQ(composer_.Speak("x", true), 0);
  EXPECT_EQ(events.Count("B"), 1);
}

TEST_F(TamrinThreadsTest, FinalizeStopsAndJoinsAPausedOrRunningWorker) {
  install_.Font("gate.vof", FontText("Test_Gate;Test_Out"));
  for (const bool paused : {false, true}) {
    SCOPED_TRACE(paused ? "paused" : "running");
    Events events;
    Gate gate;
    TestTamrin composer;
    composer.SetShared(&shared_);
    ASSERT_EQ(composer.Init("gate.vof", 2, 0), 0);
    auto* gateModule = new HookModule("Test_Gate");
    gateModule->onRun = RunThroughGate("gate", &gate, &events);
    auto* out = new HookModule("Test_Out");
    out->onRun = OutputRun(out, &events);
    out->onDestroy = [&events] { events.Add("destroyed"); };
    ASSERT_TRUE(composer.RegisterModule(gateModule));
    ASSERT_TRUE(composer.RegisterModule(out));
    ASSERT_EQ(composer.Speak("x", false), 0);
    ASSERT_TRUE(events.WaitFor("gate:entered"));
    if (paused) {
      composer.Pause();
      gate.Open();
      ASSERT_TRUE(events.WaitFor("Test_Out:waiting"));
    }
    EXPECT_EQ(composer.Finalize(), 0);
    const std::vector<std::string> got = events.Get();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), "destroyed");  // only after the run had ended
    EXPECT_EQ(events.Count("Test_Out:played"), 0);
  }
}

TEST_F(TamrinThreadsTest, DestructionWithoutFinalizeLeavesNoThreadBehind) {
  Events events;
  {
    TestTamrin composer;
    composer.SetShared(&shared_);
    ASSERT_EQ(composer.Init("", 2, 0), 0);
    auto* loop = new HookModule("Test_Probe");
    loop->onRun = RunUntilAbort("loop", &events);
    loop->onDestroy = [&events] { events.Add("destroyed"); };
    ASSERT_TRUE(composer.RegisterModule(loop));
    ASSERT_EQ(composer.Speak("x", false), 0);
    ASSERT_TRUE(events.WaitFor("loop:entered"));
  }
  EXPECT_EQ(events.Get(), (std::vector<std::string>{"loop:entered", "loop:aborted", "destroyed"}));
}

// Through the interface: deleting the engine while its worker speaks.
TEST_F(TamrinThreadsTest, DeleteWhileSpeaking) {
  EngineInstallation& installation = install_;
  const int loaded = engine_testing::LoadSharedResources(installation);
  ASSERT_TRUE(loaded == 0 || loaded == TMENGINE_ALREADY_LOADED) << loaded;
  Tamrin* handle = nullptr;
  ASSERT_EQ(tmengine__New(&handle), 0);
  Events events;
  auto* loop = new HookModule("Test_Probe");
  loop->onRun = RunUntilAbort("loop", &events);
  loop->onDestroy = [&events] { events.Add("destroyed"); };
  ASSERT_TRUE(handle->RegisterModule(loop));
  ASSERT_EQ(tmengine__TextToSpeech(handle, "Καλημέρα", 0), 0);
  ASSERT_TRUE(events.WaitFor("loop:entered"));
  EXPECT_EQ(tmengine__Delete(&handle), 0);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(events.Get(), (std::vector<std::string>{"loop:entered", "loop:aborted", "destroyed"}));
}

// Stop, pause and resume through the interface, from another thread, while
// the worker runs modules that take time.
TEST_F(TamrinThreadsTest, InterfaceStopPauseAndResumeFromAnotherThread) {
  const int loaded = engine_testing::LoadSharedResources(install_);
  ASSERT_TRUE(loaded == 0 || loaded == TMENGINE_ALREADY_LOADED) << loaded;
  install_.Font("gate.vof", FontText("Test_Gate;Test_Out;Test_Loop"));
  Tamrin* handle = nullptr;
  ASSERT_EQ(tmengine__New(&handle), 0);
  Events events;
  Gate gate;
  auto* gateModule = new HookModule("Test_Gate");
  gateModule->onRun = RunThroughGate("gate", &gate, &events);
  auto* out = new HookModule("Test_Out");
  out->onRun = OutputRun(out, &events);
  auto* loop = new HookModule("Test_Loop");
  loop->onRun = RunUntilAbort("loop", &events);
  ASSERT_TRUE(handle->RegisterModule(gateModule));
  ASSERT_TRUE(handle->RegisterModule(out));
  ASSERT_TRUE(handle->RegisterModule(loop));
  ASSERT_EQ(tmengine__SelectVoiceFont(handle, "gate.vof"), 0);

  ASSERT_EQ(tmengine__TextToSpeech(handle, "x", 0), 0);
  ASSERT_TRUE(events.WaitFor("gate:entered"));
  int r = -1;
  std::thread([&] { r = tmengine__SpeakPause(handle); }).join();
  EXPECT_EQ(r, 0);
  gate.Open();
  ASSERT_TRUE(events.WaitFor("Test_Out:waiting"));
  events.Add("resuming");
  std::thread([&] { r = tmengine__SpeakResume(handle); }).join();
  EXPECT_EQ(r, 0);
  ASSERT_TRUE(events.WaitFor("loop:entered"));
  std::thread([&] { r = tmengine__Stop(handle); }).join();
  EXPECT_EQ(r, 0);
  ASSERT_TRUE(events.WaitFor("loop:aborted"));
  EXPECT_LT(events.IndexOf("resuming"), events.IndexOf("Test_Out:played"));
  EXPECT_EQ(tmengine__Delete(&handle), 0);
}

// A stop is one for the whole process: it ends the runs of every engine.
TEST_F(TamrinThreadsTest, AStopOfOneEngineStopsTheRunsOfAll) {
  Events events;
  TestTamrin other;
  other.SetShared(&shared_);
  ASSERT_EQ(other.Init("", 2, 0), 0);
  auto* loop = new HookModule("Test_Probe");
  loop->onRun = RunUntilAbort("loop", &events);
  ASSERT_TRUE(other.RegisterModule(loop));
  ASSERT_EQ(Init(), 0);
  ASSERT_EQ(other.Speak("x", false), 0);
  ASSERT_TRUE(events.WaitFor("loop:entered"));
  EXPECT_EQ(composer_.Stop(), 0);
  ASSERT_TRUE(events.WaitFor("loop:aborted"));
  EXPECT_EQ(other.Finalize(), 0);
}

// The interface's last-error text is written and read from several
// threads at once without a race.
TEST_F(TamrinThreadsTest, TheLastErrorTextIsGuarded) {
  const int loaded = engine_testing::LoadSharedResources(install_);
  ASSERT_TRUE(loaded == 0 || loaded == TMENGINE_ALREADY_LOADED) << loaded;
  Tamrin* handle = nullptr;
  ASSERT_EQ(tmengine__New(&handle), 0);
  std::atomic<int> wrong{0};
  auto hammer = [&](double pitch) {
    for (int i = 0; i < 500; ++i) {
      tmengine__SetPitchReference(handle, pitch);
      char* text = nullptr;
      tmengine__GetLastError(&text);
      const std::string got = text;
      if (got != "" && got != "PitchReference out of limits.") ++wrong;
      tmengine__FreeBuffer(&text);
    }
  };
  std::thread first(hammer, 5.0);
  std::thread second(hammer, 1.0);
  first.join();
  second.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(tmengine__Delete(&handle), 0);
}

// Two threads make random requests of one composer whose modules take up
// to 2 ms; the run must end with no crash, hang or leak, every request
// answering its usual code.
TEST_F(TamrinThreadsTest, RandomInterleavingsOfTwoThreads) {
  install_.Font("a.vof", FontText("Test_Work;Test_Out"));
  install_.Font("b.vof", FontText("Test_Out;Test_Work"));
  ASSERT_EQ(Init("a.vof"), 0);
  std::atomic<int> outputs{0};
  // The first request switches the sound-card outputs off (the fonts name
  // none), so that resume has nothing to replay.
  HookModule* work = Register("Test_Work");
  work->onRun = [] {
    thread_local std::minstd_rand rng(std::hash<std::thread::id>()(std::this_thread::get_id()));
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 2000));
    return true;
  };
  HookModule* out = Register("Test_Out");
  out->onRun = [out, &outputs] {
    out->PeekComposer()->GetControl()->WaitWhilePaused();
    ++outputs;
    return true;
  };

  ASSERT_EQ(composer_.Speak("first", true), 0);

  constexpr int kRequestsPerThread = 500;
  std::atomic<int> unexpected{0};
  auto client = [&](unsigned seed) {
    std::mt19937 rng(seed);
    for (int i = 0; i < kRequestsPerThread; ++i) {
      int r = 0;
      switch (rng() % 8) {
        case 0:
        case 1:
          r = composer_.Speak("async", false);
          break;
        case 2:
          r = composer_.Speak("sync", true);
          break;
        case 3:
          r = composer_.Stop();
          break;
        case 4:
          r = composer_.Pause();
          break;
        case 5:
          r = composer_.Resume();
          break;
        case 6:
          r = composer_.SetCharacter(rng() % 2 ? "a.vof" : "b.vof");
          break;
        default: {
          char* block = nullptr;
          long size = 0;
          r = composer_.SpeakToBuffer("buffer", true, &block, &size);
          if (size != 44) ++unexpected;
          VStr::Release(&block);
        }
      }
      if (r != 0) ++unexpected;
    }
    // A pause of this thread may hold a run of the other one.
    composer_.Stop();
  };
  const unsigned seed = std::random_device()();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::thread first(client, seed);
  std::thread second(client, seed + 1);
  first.join();
  second.join();
  EXPECT_EQ(composer_.Finalize(), 0);
  EXPECT_EQ(unexpected, 0);
  EXPECT_GT(outputs, 0);
}

}  // namespace
