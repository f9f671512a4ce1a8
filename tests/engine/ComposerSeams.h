// The composer with test seams: steered modules, replaceable module
// creation and thread start, a fixture on a complete installation.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/composer/Tamrin.h"
#include "engine/composer/VCharacterPool.h"
#include "engine/composer/VControl.h"
#include "engine/shared/TMShared.h"
#include "tests/common/Installation.h"

namespace engine_testing {

// One event log shared by the test and the modules it runs.
class Events {
 public:
  void Add(const std::string& event) {
    std::lock_guard<std::mutex> guard(mutex_);
    events_.push_back(event);
    changed_.notify_all();
  }
  std::vector<std::string> Get() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return events_;
  }
  // Waits ten seconds at most, so that a fault fails the test instead of hanging it.
  bool WaitFor(const std::string& event, int times = 1) {
    std::unique_lock<std::mutex> guard(mutex_);
    return changed_.wait_for(guard, std::chrono::seconds(10), [&] {
      return std::count(events_.begin(), events_.end(), event) >= times;
    });
  }
  int Count(const std::string& event) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return static_cast<int>(std::count(events_.begin(), events_.end(), event));
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
};

// Where a module waits until the test opens it, the run of control (when
// given) aborts, or 5 s pass.
struct Gate {
  std::string Pass(const VControl* control) {  // "passed", "aborted" or "gave up"
    for (int ms = 0; ms < 5000; ++ms, std::this_thread::sleep_for(std::chrono::milliseconds(1))) {
      if (open) return "passed";
      if (control != nullptr && control->IsAborted()) return "aborted";
    }
    return "gave up";
  }
  std::atomic<bool> open{false};
};

// A module whose run the test gives; it keeps the text of its last run.
class HookModule : public VModule {
 public:
  explicit HookModule(const std::string& name) : VModule(name) {}
  ~HookModule() override {
    if (onDestroy) onDestroy();
  }
  bool ReleaseResources() override { return true; }
  bool Init() override { return true; }
  bool SetUp() override {
    ++setUps;
    return onSetUp ? onSetUp() : true;
  }
  bool Run() override {
    ++runs;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      lastText_ = PeekComposer()->GetText()->Str();
    }
    return onRun ? onRun() : true;
  }
  bool Release() override { return true; }
  std::string LastText() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return lastText_;
  }

  std::function<bool()> onSetUp, onRun;
  std::function<void()> onDestroy;
  std::atomic<int> runs{0}, setUps{0};

 private:
  mutable std::mutex mutex_;
  std::string lastText_;
};

// Events name + ":entered", then name + ":" + how module's run left the gate
// (or one never opened).
inline std::function<bool()> RunThrough(HookModule* module, const std::string& name, Events* events,
                                        Gate* gate = nullptr) {
  return [module, name, events, gate] {
    // Asked before the event: a test may delete the composer once it sees it.
    const VControl* control = module->PeekComposer()->GetControl();
    events->Add(name + ":entered");
    Gate never;
    events->Add(name + ":" + (gate != nullptr ? gate : &never)->Pass(control));
    return true;
  };
}

// An output module's part: it waits while paused ("Out:waiting"), plays nothing
// once aborted ("Out:played", "Out:aborted"), then events "left:" + the run's text.
inline std::function<bool()> OutputRun(HookModule* module, Events* events) {
  return [module, events] {
    VControl* control = module->PeekComposer()->GetControl();
    if (control->IsPaused()) events->Add("Out:waiting");
    control->WaitWhilePaused();
    events->Add(control->IsAborted() ? "Out:aborted" : "Out:played");
    events->Add("left:" + module->PeekComposer()->GetText()->Str());
    return true;
  };
}

class TestTamrin : public Tamrin {
 public:
  std::function<VModule*(ModuleId)> create;
  bool failThreads = false;
  Gate* threadStart = nullptr;  // when set, a new worker waits here first
  bool errorFileReadOnly = false;

 protected:
  VModule* CreateModule(ModuleId id) override {
    VModule* module = create ? create(id) : nullptr;
    return module != nullptr ? module : Tamrin::CreateModule(id);
  }
  bool StartThread(std::thread& thread, std::function<void()> body) override {
    Gate* gate = threadStart;
    return !failThreads && Tamrin::StartThread(thread, [this, gate, body] {
      if (gate != nullptr) gate->Pass(GetControl());
      body();
    });
  }
  bool IsErrorFileReadOnly() const override {
    return errorFileReadOnly || Tamrin::IsErrorFileReadOnly();
  }
};

// Its fonts chain "Test_Probe".
class ComposerTest : public testing::Test {
 protected:
  ComposerTest() {
    install_.Complete();
    shared_.Load();
  }
  ~ComposerTest() override { composer_.Finalize(); }

  int Init(const std::string& font = "") {
    composer_.SetShared(&shared_);
    return composer_.Init(font, 1, 0);
  }
  int InitWith(const std::string& chain, const std::string& method = "none") {
    install_.Font("chain.vof", testing_support::Installation::FontText(chain, method));
    return Init("chain.vof");
  }
  HookModule* Register(const std::string& name = "Test_Probe") {
    auto* module = new HookModule(name);
    EXPECT_TRUE(composer_.RegisterModule(module));
    return module;
  }
  bool Selected(const std::string& key) {
    return composer_.GetCharacter() == composer_.GetCharacterPool()->Find(key);
  }

  testing_support::Installation install_;
  testing_support::MessageRecorder boxes_;
  TMShared shared_;
  TestTamrin composer_;
};

}  // namespace engine_testing
