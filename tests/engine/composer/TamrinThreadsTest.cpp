// The composer's worker against requests from other threads: stop, pause
// and resume, a new request meeting a run, random interleavings.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/interface/tmengine.h"
#include "tests/engine/ComposerSeams.h"

namespace {

using namespace engine_testing;

class TamrinThreadsTest : public ComposerTest {
 protected:
  // An engine of the programming interface with a font of these modules.
  Tamrin* NewEngine(const std::vector<HookModule*>& modules) {
    const int loaded = tmengine__LoadSharedResources();
    EXPECT_TRUE(loaded == 0 || loaded == TMENGINE_ALREADY_LOADED) << loaded;
    std::string chain;
    for (HookModule* module : modules) chain += (chain.empty() ? "" : ";") + module->GetName();
    install_.Font("a.vof", testing_support::Installation::FontText(chain));
    Tamrin* handle = nullptr;
    EXPECT_EQ(tmengine__New(&handle), 0);
    for (HookModule* module : modules) EXPECT_TRUE(handle->RegisterModule(module));
    EXPECT_EQ(tmengine__SelectVoiceFont(handle, "a.vof"), 0);
    return handle;
  }
};

TEST_F(TamrinThreadsTest, AStopEndsTheRunsOfEveryEngineAtTheNextModuleAndIsNeverLost) {
  ASSERT_EQ(InitWith("Test_Loop;Test_After"), 0);
  Events events;
  HookModule* loop = Register("Test_Loop");
  loop->onRun = [loop, run = RunThrough(loop, "loop", &events)] {
    return loop->LastText() == "x ." ? run() : true;
  };
  HookModule* after = Register("Test_After");
  auto other = std::make_unique<TestTamrin>();  // its stop ends the runs of every engine
  other->SetShared(&shared_);
  ASSERT_EQ(other->Init("", 2, 0), 0);
  for (int round = 0; round < 100; ++round) {
    ASSERT_EQ(composer_.Speak("x", false), 0);
    if (round == 0) {
      ASSERT_TRUE(events.WaitFor("loop:entered"));
      std::thread([&] { EXPECT_EQ(other->Stop(), 0); }).join();
      ASSERT_TRUE(events.WaitFor("loop:aborted"));
    } else {
      composer_.Stop();  // right after the request
    }
    ASSERT_EQ(composer_.SpeakToBuffer("next", false, nullptr, nullptr), 0);  // waits for the worker
    ASSERT_EQ(events.Count("loop:gave up"), 0) << "round " << round;
  }
  EXPECT_EQ(after->runs, 100);  // for "next" only
  // Finalize, and a composer's destruction without it, stop and join a running worker.
  ASSERT_EQ(composer_.Speak("x", false), 0);
  EXPECT_EQ(composer_.Finalize(), 0);
  EXPECT_EQ(events.Count("loop:entered"), events.Count("loop:aborted"));
  auto* module = new HookModule("Test_Probe");
  module->onRun = RunThrough(module, "doomed", &events);
  module->onDestroy = [&events] { events.Add("destroyed"); };
  ASSERT_TRUE(other->RegisterModule(module));
  ASSERT_EQ(other->Speak("x", false), 0);
  ASSERT_TRUE(events.WaitFor("doomed:entered"));
  other.reset();
  EXPECT_EQ(events.Get().back(), "destroyed");  // after its run had ended
  EXPECT_EQ(events.Count("doomed:aborted"), 1);
}

TEST_F(TamrinThreadsTest, PauseResumeAndStopFromAnotherThread) {
  Events events;
  Gate gate;
  const std::vector<HookModule*> modules = {new HookModule("Test_Gate"), new HookModule("Test_Out"),
                                            new HookModule("Test_Loop")};
  modules[0]->onRun = RunThrough(modules[0], "gate", &events, &gate);
  modules[1]->onRun = OutputRun(modules[1], &events);
  modules[2]->onRun = RunThrough(modules[2], "loop", &events);
  Tamrin* handle = NewEngine(modules);
  ASSERT_EQ(tmengine__TextToSpeech(handle, "x", 0), 0);
  ASSERT_TRUE(events.WaitFor("gate:entered"));
  int r = -1;
  std::thread([&] { r = tmengine__SpeakPause(handle); }).join();
  gate.open = true;
  ASSERT_TRUE(events.WaitFor("Out:waiting"));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  events.Add("resuming");
  std::thread([&] { r += tmengine__SpeakResume(handle); }).join();
  ASSERT_TRUE(events.WaitFor("loop:entered"));
  std::thread([&] { r += tmengine__Stop(handle); }).join();
  EXPECT_EQ(r, 0);
  ASSERT_TRUE(events.WaitFor("loop:aborted"));
  const std::vector<std::string> all = events.Get();
  EXPECT_LT(std::find(all.begin(), all.end(), "resuming"),
            std::find(all.begin(), all.end(), "Out:played"));
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
    events.Add("gate:" + gate->Pass(composer_.GetControl()));
    return true;
  };
  HookModule* out = Register("Test_Out");
  out->onRun = OutputRun(out, &events);
  HookModule* b = Register("Test_B");
  // A paused worker run: nobody resumes, the next request ends it.
  ASSERT_EQ(composer_.Speak("first", false), 0);
  ASSERT_TRUE(events.WaitFor("text:first ."));
  ASSERT_EQ(composer_.Pause(), 0);
  first.open = true;
  ASSERT_TRUE(events.WaitFor("Out:waiting"));
  EXPECT_EQ(composer_.Speak("second", true), 0);
  EXPECT_EQ(events.Get().back(), "left:second .");
  EXPECT_EQ(events.Count("Out:aborted"), 1);
  EXPECT_EQ(events.Count("left:first ."), 1);
  // A paused synchronous run of another thread holds the lock: no waiting for good.
  gate = &second;
  int result = -1;
  std::thread speaker([&] { result = composer_.Speak("sync", true); });
  ASSERT_TRUE(events.WaitFor("text:sync ."));
  ASSERT_EQ(composer_.Pause(), 0);
  second.open = true;
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
  start.open = true;
  selector.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(events.Count("text:late ."), 1);
  EXPECT_EQ(b->runs, 0);
  composer_.threadStart = nullptr;
  EXPECT_TRUE(Selected("b.vof"));
}

// Whatever follows a stop at once, the run that it was meant for stays
// aborted: another engine's request (which itself runs whole), a new engine,
// or a request that waited on the stopped engine and was dropped.
TEST_F(TamrinThreadsTest, NoRequestNewEngineOrDroppedRequestAfterAStopTakesItBack) {
  Events events;
  // The stopped run: its first module holds it until the test has done what
  // follows the stop, then tells whether the run was aborted.
  std::atomic<bool> look{false};
  auto* hold = new HookModule("Test_Hold");
  hold->onRun = [&events, &look, hold] {
    events.Add("hold:entered");
    testing_support::WaitUntil([&look] { return look.load(); });
    events.Add(hold->PeekComposer()->GetControl()->IsAborted() ? "hold:aborted" : "hold:whole");
    return true;
  };
  auto* holdAfter = new HookModule("Test_After");
  Tamrin* a = NewEngine({hold, holdAfter});
  // Another engine, whose runs tell whether they began aborted.
  auto* whole = new HookModule("Test_Whole");
  whole->onRun = [&events, whole] {
    events.Add(whole->PeekComposer()->GetControl()->IsAborted() ? "b:aborted" : "b:whole");
    return true;
  };
  auto* wholeAfter = new HookModule("Test_After");
  Tamrin* b = NewEngine({whole, wholeAfter});
  // An engine whose run of "x" lasts until it is aborted, with a request
  // waiting behind it.
  auto* loop = new HookModule("Test_Loop");
  loop->onRun = [loop, run = RunThrough(loop, "loop", &events)] {
    return loop->LastText() == "x ." ? run() : true;
  };
  auto* loopAfter = new HookModule("Test_After");
  Tamrin* d = NewEngine({loop, loopAfter});
  constexpr int kRounds = 200;

  const auto anotherEnginesRequest = [&] { EXPECT_EQ(tmengine__TextToSpeech(b, "y", 1), 0); };
  const auto aNewEngine = [] {
    Tamrin* c = nullptr;
    EXPECT_EQ(tmengine__New(&c), 0);
    EXPECT_EQ(tmengine__Delete(&c), 0);
  };
  // Its stop ends the held run, too: one stop ends the runs of every engine.
  const auto aDroppedRequest = [&] {
    EXPECT_EQ(tmengine__TextToSpeech(d, "x", 0), 0);
    EXPECT_TRUE(events.WaitFor("loop:entered", events.Count("loop:aborted") + 1));
    std::thread waiting([d] { EXPECT_EQ(tmengine__TextToSpeech(d, "next", 1), 0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // lets it begin to wait
    EXPECT_EQ(tmengine__Stop(d), 0);
    waiting.join();
  };
  const struct {
    const char* follower;
    Tamrin* stopped;  // stopped before the follower comes (null: the follower stops)
    std::function<void()> follow;
  } rows[] = {{"another engine's request", a, anotherEnginesRequest},
              {"a new engine", a, aNewEngine},
              {"a dropped request", nullptr, aDroppedRequest}};
  for (const auto& row : rows) {
    const int wentOn = events.Count("hold:whole");
    for (int round = 0; round < kRounds && events.Count("hold:whole") == wentOn; ++round) {
      SCOPED_TRACE(std::string(row.follower) + ", round " + std::to_string(round));
      look = false;
      const int entered = events.Count("hold:entered");
      ASSERT_EQ(tmengine__TextToSpeech(a, "x", 0), 0);
      ASSERT_TRUE(events.WaitFor("hold:entered", entered + 1));
      if (row.stopped != nullptr) {
        ASSERT_EQ(tmengine__Stop(row.stopped), 0);
      }
      row.follow();
      look = true;
      ASSERT_TRUE(testing_support::WaitUntil([&events] {
        return events.Count("hold:entered") ==
               events.Count("hold:aborted") + events.Count("hold:whole");
      }));
      EXPECT_EQ(events.Count("hold:whole"), wentOn) << "the stopped run went on";
    }
  }
  EXPECT_EQ(holdAfter->runs, 0);
  EXPECT_EQ(events.Count("b:whole"), kRounds);
  EXPECT_EQ(wholeAfter->runs, kRounds);
  // Most requests that waited were dropped; those that came after the stop ran.
  EXPECT_LT(loopAfter->runs, kRounds);
  EXPECT_EQ(events.Count("loop:gave up"), 0);
  for (Tamrin* engine : {a, b, d}) EXPECT_EQ(tmengine__Delete(&engine), 0);
}

// Every request answers its usual code, the last-error text is never torn.
TEST_F(TamrinThreadsTest, RandomInterleavingsOfTwoThreads) {
  install_.Font("b.vof", testing_support::Installation::FontText("Test_Out;Test_Work"));
  auto* work = new HookModule("Test_Work");
  work->onRun = [] {
    thread_local std::minstd_rand rng(std::hash<std::thread::id>()(std::this_thread::get_id()));
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 2000));
    return true;
  };
  auto* out = new HookModule("Test_Out");
  Events events;
  out->onRun = OutputRun(out, &events);
  Tamrin* handle = NewEngine({work, out});
  // The first request switches the sound-card outputs off: a resume replays nothing.
  ASSERT_EQ(tmengine__TextToSpeech(handle, "first", 1), 0);
  std::atomic<int> unexpected{0};
  auto client = [&](unsigned seed) {
    std::mt19937 rng(seed);
    char* block = nullptr;
    long size = 44;
    const std::function<int()> requests[] = {
        [&] { return tmengine__TextToSpeech(handle, "async", 0); },
        [&] { return tmengine__TextToSpeech(handle, "sync", 1); },
        [&] { return tmengine__Stop(handle); },
        [&] { return tmengine__SpeakPause(handle); },
        [&] { return tmengine__SpeakResume(handle); },
        [&] { return tmengine__SelectVoiceFont(handle, rng() % 2 ? "a.vof" : "b.vof"); },
        [&] { return tmengine__TextToBuffer(handle, "buffer", 1, &block, &size); }};
    for (int i = 0; i < 400; ++i) {
      const int r = requests[rng() % 7]();
      tmengine__FreeBuffer(&block);
      tmengine__SetPitchReference(handle, rng() % 2 ? 5.0 : 1.0);
      tmengine__GetLastError(&block);
      const std::string error = block != nullptr ? block : "<null>";
      if (error != "" && error != "PitchReference out of limits.") ++unexpected;
      tmengine__FreeBuffer(&block);
      if (r != 0 || size != 44) ++unexpected;
    }
    tmengine__Stop(handle);  // a pause of this thread may hold a run of the other
  };
  const unsigned seed = std::random_device()();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::thread first(client, seed), second(client, seed + 1);
  first.join();
  second.join();
  EXPECT_EQ(tmengine__Delete(&handle), 0);
  EXPECT_EQ(unexpected, 0);
  EXPECT_GT(events.Count("Out:played"), 0);
}

}  // namespace
