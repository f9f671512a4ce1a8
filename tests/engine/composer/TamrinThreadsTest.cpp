// The composer's worker thread against requests from other threads: a stop,
// a pause and its resume through the programming interface, and a new
// request that meets a running or paused run.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/interface/tmengine.h"
#include "tests/engine/ComposerSeams.h"

namespace {

using engine_testing::Events;
using engine_testing::Gate;
using engine_testing::HookModule;
using engine_testing::OutputRun;
using engine_testing::RunThrough;
using engine_testing::TestTamrin;

class TamrinThreadsTest : public engine_testing::ComposerTest {};

TEST_F(TamrinThreadsTest, AStopEndsTheRunsOfEveryEngineAtTheNextModuleAndIsNeverLost) {
  ASSERT_EQ(InitWith("Test_Loop;Test_After"), 0);
  Events events;
  HookModule* loop = Register("Test_Loop");
  loop->onRun = [loop, run = RunThrough("loop", &events)] {
    return loop->LastText() == "x ." ? run() : true;
  };
  HookModule* after = Register("Test_After");
  after->onRun = [after, &events] {
    events.Add("after:" + after->LastText());
    return true;
  };
  TestTamrin other;  // the abort flag is one for the process
  other.SetShared(&shared_);
  ASSERT_EQ(other.Init("", 2, 0), 0);
  for (int round = 0; round < 100; ++round) {
    ASSERT_EQ(composer_.Speak("x", false), 0);
    if (round == 0) {
      ASSERT_TRUE(events.WaitFor("loop:entered"));
      std::thread([&] { EXPECT_EQ(other.Stop(), 0); }).join();
      ASSERT_TRUE(events.WaitFor("loop:aborted"));
    } else {
      composer_.Stop();  // right after the request
    }
    ASSERT_EQ(composer_.SpeakToBuffer("next", false, nullptr, nullptr), 0);  // waits for the worker
    ASSERT_EQ(events.Count("loop:gave up"), 0) << "round " << round;
  }
  EXPECT_EQ(events.Count("after:x ."), 0);
  // Finalize, and a composer's destruction without it, stop and join a running worker.
  ASSERT_EQ(composer_.Speak("x", false), 0);
  EXPECT_EQ(composer_.Finalize(), 0);
  EXPECT_EQ(events.Count("loop:entered"), events.Count("loop:aborted"));
  {
    TestTamrin doomed;
    doomed.SetShared(&shared_);
    ASSERT_EQ(doomed.Init("", 2, 0), 0);
    auto* module = new HookModule("Test_Probe");
    module->onRun = RunThrough("doomed", &events);
    module->onDestroy = [&events] { events.Add("destroyed"); };
    ASSERT_TRUE(doomed.RegisterModule(module));
    ASSERT_EQ(doomed.Speak("x", false), 0);
    ASSERT_TRUE(events.WaitFor("doomed:entered"));
  }
  EXPECT_EQ(events.Get().back(), "destroyed");  // after its run had ended
  EXPECT_EQ(events.Count("doomed:aborted"), 1);
}

// Through the interface, from other threads, while the worker runs.
TEST_F(TamrinThreadsTest, PauseResumeAndStopFromAnotherThread) {
  const int loaded = tmengine__LoadSharedResources();
  ASSERT_TRUE(loaded == 0 || loaded == TMENGINE_ALREADY_LOADED) << loaded;
  install_.Font("gate.vof",
                testing_support::Installation::FontText("Test_Gate;Test_Out;Test_Loop"));
  Tamrin* handle = nullptr;
  ASSERT_EQ(tmengine__New(&handle), 0);
  Events events;
  Gate gate;
  for (const char* name : {"Test_Gate", "Test_Out", "Test_Loop"}) {
    auto* module = new HookModule(name);
    const std::string n = name;
    module->onRun = n == "Test_Gate"  ? RunThrough("gate", &events, &gate)
                    : n == "Test_Out" ? OutputRun(module, &events)
                                      : RunThrough("loop", &events);
    ASSERT_TRUE(handle->RegisterModule(module));
  }
  ASSERT_EQ(tmengine__SelectVoiceFont(handle, "gate.vof"), 0);
  ASSERT_EQ(tmengine__TextToSpeech(handle, "x", 0), 0);
  ASSERT_TRUE(events.WaitFor("gate:entered"));
  int r = -1;
  std::thread([&] { r = tmengine__SpeakPause(handle); }).join();
  EXPECT_EQ(r, 0);
  gate.Open();
  ASSERT_TRUE(events.WaitFor("Out:waiting"));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  events.Add("resuming");
  std::thread([&] { r = tmengine__SpeakResume(handle); }).join();
  ASSERT_TRUE(events.WaitFor("loop:entered"));
  std::thread([&] { r += tmengine__Stop(handle); }).join();
  EXPECT_EQ(r, 0);
  ASSERT_TRUE(events.WaitFor("loop:aborted"));
  EXPECT_LT(events.IndexOf("resuming"), events.IndexOf("Out:played"));
  EXPECT_EQ(tmengine__Delete(&handle), 0);
}

TEST_F(TamrinThreadsTest, ANewRequestWaitsForTheRunBeforeItAndEndsItWhenPaused) {
  install_.Font("b.vof", testing_support::Installation::FontText("Test_B"));
  ASSERT_EQ(InitWith("Test_Gate;Test_Out"), 0);
  Events events;
  Gate first, second, start;
  Gate* gate = &first;
  Register("Test_Gate")->onRun = [&] {
    events.Add("text:" + composer_.GetText()->Str());
    events.Add("gate:" + gate->Pass());
    return true;
  };
  HookModule* out = Register("Test_Out");
  out->onRun = [&, run = OutputRun(out, &events)] {
    run();
    events.Add("left:" + composer_.GetText()->Str());  // the run's text to its end
    return true;
  };
  Register("Test_B")->onRun = [&events] {
    events.Add("B");
    return true;
  };
  // A paused worker run: nobody resumes, the next request ends it.
  ASSERT_EQ(composer_.Speak("first", false), 0);
  ASSERT_TRUE(events.WaitFor("text:first ."));
  ASSERT_EQ(composer_.Pause(), 0);
  first.Open();
  ASSERT_TRUE(events.WaitFor("Out:waiting"));
  EXPECT_EQ(composer_.Speak("second", true), 0);
  EXPECT_EQ(events.Get().back(), "left:second .");
  EXPECT_EQ(events.Count("Out:aborted"), 1);
  EXPECT_EQ(events.Count("left:first ."), 1);
  // A paused synchronous run of another thread holds the lock: the request
  // must not wait for it for good.
  gate = &second;
  int result = -1;
  std::thread speaker([&] { result = composer_.Speak("sync", true); });
  ASSERT_TRUE(events.WaitFor("text:sync ."));
  ASSERT_EQ(composer_.Pause(), 0);
  second.Open();
  ASSERT_TRUE(events.WaitFor("Out:waiting", 2));
  EXPECT_EQ(composer_.SpeakToBuffer("buffer", true, nullptr, nullptr), 0);
  speaker.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(events.Count("Out:aborted"), 2);
  // The worker runs the chain of its request, whatever is selected meanwhile.
  composer_.threadStart = &start;
  ASSERT_EQ(composer_.Speak("late", false), 0);
  std::thread selector([&] {
    events.Add("selecting");
    result = composer_.SetCharacter("b.vof");  // waits for the run
  });
  ASSERT_TRUE(events.WaitFor("selecting"));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  start.Open();
  selector.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(events.Count("text:late ."), 1);
  EXPECT_EQ(events.Count("B"), 0);
  composer_.threadStart = nullptr;
  EXPECT_EQ(CurrentKey(), "b.vof");
}

}  // namespace
