// Run-state flags and chains driven from another thread: a pause that
// another thread lifts, a stop that reaches a running chain.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/composer/VControl.h"
#include "engine/composer/VModuleChain.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/TestSupport.h"

namespace {

using namespace std::chrono_literals;

// A module that works until the abort flag is set (or a bound is reached),
// as an output module waiting on the sound card does.
class BusyModule : public VModule {
 public:
  explicit BusyModule(const std::string& name) : VModule(name) {}
  bool ReleaseResources() override { return true; }
  bool Init() override { return true; }
  bool SetUp() override { return true; }
  bool Run() override {
    runs.fetch_add(1);
    started.store(true);
    for (int i = 0; i < 5000 && !VControl::IsAbort(); ++i) std::this_thread::sleep_for(1ms);
    return true;
  }
  bool Release() override { return true; }
  std::atomic<int> runs{0};
  std::atomic<bool> started{false};
};

TEST(VControlThreadsTest, WaitWhilePausedReturnsWhenAnotherThreadResumes) {
  VControl control;
  control.SetPaused(true);
  std::atomic<bool> released{false};
  std::thread waiter([&] {
    control.WaitWhilePaused();
    released.store(true);
  });
  std::this_thread::sleep_for(20ms);
  EXPECT_FALSE(released.load());
  control.SetPaused(false);
  waiter.join();
  EXPECT_TRUE(released.load());

  // Not paused: returns at once.
  control.WaitWhilePaused();
}

TEST(VControlThreadsTest, StopFromAnotherThreadEndsTheChainAtTheNextModule) {
  testing_support::TestInstallation install;
  testing_support::FakeComposer composer;
  auto* first = new BusyModule("VM_First");
  auto* second = new BusyModule("VM_Second");
  composer.directory.AddModule(first);
  composer.directory.AddModule(second);
  VModuleChain chain;
  chain.SetComposer(&composer);
  chain.AddModule(first);
  chain.AddModule(second);

  VControl::SetAbort(false);
  std::thread worker([&] { chain.Run(nullptr); });
  while (!first->started.load()) std::this_thread::sleep_for(1ms);
  VControl::SetAbort(true);
  worker.join();
  EXPECT_EQ(first->runs.load(), 1);
  EXPECT_EQ(second->runs.load(), 0);
  VControl::SetAbort(false);
  composer.directory.ReleaseAll();
}

}  // namespace
