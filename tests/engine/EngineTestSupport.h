// Helpers of the composer and interface tests: an installation with an
// engine configuration and voice fonts, a composer with test seams, and
// modules whose runs the tests steer and observe.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/composer/Tamrin.h"
#include "engine/composer/VCharacter.h"
#include "engine/composer/VCharacterPool.h"
#include "engine/composer/VComposer.h"
#include "engine/composer/VControl.h"
#include "engine/composer/VModule.h"
#include "engine/data/VTextBuffer.h"
#include "engine/interface/tmengine.h"
#include "engine/shared/TMShared.h"
#include "platform/Codepage.h"
#include "tests/common/TestSupport.h"

namespace engine_testing {

constexpr const char* kConfig =
    "Logger.Directory=logs\n"
    "Logger.Preffix=log_\n"
    "Logger.ErrorPreffix=err_\n"
    "Logger.Suffix=.html\n"
    "VoiceFonts.Directory=voices\n"
    "VoiceFonts.Suffix=.vof\n"
    "Default.VoiceFont=default.vof\n"
    "Phones.Filename=phones/absent.phn\n"
    "AC.Directory=rules\n"
    "AC.Suffix=.rul\n"
    "Lexicon.Directory=lexicon\n"
    "Lexicon.Suffix=.lex\n"
    "Lexicon.EForm=no\n"
    "3States.Directory=tristate\n"
    "3States.Suffix=.3st\n"
    "V58Compiler.Directory=v58\n"
    "V58Compiler.Suffix=.v58\n"
    "User.Lexicon.Directory=user\n"
    "User.Lexicon.Suffix=.usr\n";

// The Greek display name of the default font, in UTF-8.
constexpr const char* kGreekName = "Κυρία Φωνή";

// A voice font's text: its chain, its playback method and further lines.
inline std::string FontText(const std::string& chain, const std::string& method = "none",
                            const std::string& more = "") {
  return "VModuleChain.Modules=" + chain + "\nPlayback.Method=" + method + "\n" + more;
}

// An installation with the engine configuration, the logger folder, empty
// resource folders (the phone table is absent) and two voice fonts,
// "default.vof" and "second.vof", both chaining "Test_Probe".
class EngineInstallation : public testing_support::TestInstallation {
 public:
  EngineInstallation() {
    write("config.txt", kConfig);
    for (const char* folder : {"logs", "rules", "lexicon", "tristate", "v58", "user"}) {
      write(std::string(folder) + "/.keep", "");
    }
    Font("default.vof", FontText("Test_Probe", "none",
                                 "Settings.DisplayName=Default voice\n"
                                 "Settings.DisplayNameGr=" +
                                     platform::Utf8ToCp1253(kGreekName) +
                                     "\n"
                                     "SpeechBuffer.InitAllocation=64\n"
                                     "SpeechBuffer.SampleRate=16000\n"));
    Font("second.vof", FontText("Test_Probe", "none", "Settings.DisplayName=Second voice\n"));
  }
  void Font(const std::string& name, const std::string& text) const {
    write("voices/" + name, text);
  }
};

// Loads the process's shared resources through the interface unless they
// are loaded already; then makes sure their configuration holds the keys
// that these tests need, whoever loaded it first. The result of the load.
inline int LoadSharedResources(const EngineInstallation& installation) {
  const int r = tmengine__LoadSharedResources();
  VConfiguration* config = TMShared::Instance().GetConfiguration();
  if (config->GetParam("VoiceFonts.Directory", false).empty()) {
    config->Load(installation.path("config.txt"));
  }
  return r;
}

// Whether a box captioned "Tamrin Engine" ended with text (reports carry a
// time stamp in front).
inline bool Shown(const testing_support::MessageRecorder& boxes, const std::string& text) {
  for (const auto& box : boxes.messages()) {
    const std::string& t = box.second;
    if (box.first == "Tamrin Engine" && t.size() >= text.size() &&
        t.compare(t.size() - text.size(), text.size(), text) == 0) {
      return true;
    }
  }
  return false;
}

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
  // Waits until event has been added (at most a minute, so that a fault
  // fails the test instead of hanging it).
  bool WaitFor(const std::string& event) {
    std::unique_lock<std::mutex> guard(mutex_);
    return changed_.wait_for(guard, std::chrono::minutes(1), [&] { return Has(event); });
  }
  // Index of the first such event; -1 when none.
  int IndexOf(const std::string& event) const {
    std::lock_guard<std::mutex> guard(mutex_);
    for (size_t i = 0; i < events_.size(); ++i) {
      if (events_[i] == event) return static_cast<int>(i);
    }
    return -1;
  }
  int Count(const std::string& event) const {
    std::lock_guard<std::mutex> guard(mutex_);
    int n = 0;
    for (const std::string& e : events_) n += e == event ? 1 : 0;
    return n;
  }

 private:
  bool Has(const std::string& event) const {
    for (const std::string& e : events_) {
      if (e == event) return true;
    }
    return false;
  }
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
};

// A gate that a module waits at until the test opens it.
class Gate {
 public:
  void Open() {
    std::lock_guard<std::mutex> guard(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  // Waits until the gate is open or the abort flag is set; true when open.
  bool Pass() {
    std::unique_lock<std::mutex> guard(mutex_);
    while (!open_) {
      if (VControl::IsAbort()) return false;
      changed_.wait_for(guard, std::chrono::milliseconds(1));
    }
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

// A module whose operations the test gives as functions. It counts its
// runs and set-ups and keeps the working text of its last run.
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
    if (VComposer* composer = PeekComposer()) {
      std::lock_guard<std::mutex> guard(mutex_);
      lastText_ = composer->GetText()->Str();
    }
    return onRun ? onRun() : true;
  }
  bool Release() override { return true; }

  std::string LastText() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return lastText_;
  }

  std::function<bool()> onSetUp;
  std::function<bool()> onRun;
  std::function<void()> onDestroy;
  std::atomic<int> runs{0};
  std::atomic<int> setUps{0};

 private:
  mutable std::mutex mutex_;
  std::string lastText_;
};

// Plays the part of an output module: it waits while the run is paused and
// plays nothing once the run is aborted. Events: name + ":waiting" when it
// has to wait, name + ":played" or name + ":aborted" at its end.
inline std::function<bool()> OutputRun(HookModule* module, Events* events) {
  return [module, events] {
    const std::string name = module->GetName();
    VControl* control = module->PeekComposer()->GetControl();
    if (control->IsPaused()) events->Add(name + ":waiting");
    control->WaitWhilePaused();
    events->Add(name + (VControl::IsAbort() ? ":aborted" : ":played"));
    return true;
  };
}

// A composer with the seams that the tests need: modules of their own in
// place of the product's, a thread start that fails or starts late, and an
// error file that counts as read-only.
class TestTamrin : public Tamrin {
 public:
  std::function<VModule*(ModuleId)> create;
  bool failThreads = false;
  Gate* threadStart = nullptr;  // when set, a new worker waits here first
  bool errorFileReadOnly = false;

  bool RealErrorFileReadOnly() const { return Tamrin::IsErrorFileReadOnly(); }

 protected:
  VModule* CreateModule(ModuleId id) override {
    if (create) {
      if (VModule* module = create(id)) return module;
    }
    return Tamrin::CreateModule(id);
  }
  bool StartThread(std::thread& thread, std::function<void()> body) override {
    if (failThreads) return false;
    if (threadStart != nullptr) {
      Gate* gate = threadStart;
      return Tamrin::StartThread(thread, [gate, body] {
        gate->Pass();
        body();
      });
    }
    return Tamrin::StartThread(thread, std::move(body));
  }
  bool IsErrorFileReadOnly() const override {
    return errorFileReadOnly || Tamrin::IsErrorFileReadOnly();
  }
};

// A fixture with an installation, recorded message boxes, shared
// resources of its own and a composer with test seams.
class ComposerTest : public testing::Test {
 protected:
  ComposerTest() { shared_.Load(); }
  ~ComposerTest() override { composer_.Finalize(); }

  int Init(const std::string& font = "") {
    composer_.SetShared(&shared_);
    return composer_.Init(font, 1, 0);
  }

  // Registers a module of the test under name (the default fonts chain
  // "Test_Probe").
  HookModule* Register(const std::string& name = "Test_Probe") {
    auto* module = new HookModule(name);
    EXPECT_TRUE(composer_.RegisterModule(module));
    return module;
  }

  // The key of the current font.
  std::string CurrentKey() {
    VCharacter* current = composer_.GetCharacter();
    VCharacterPool* pool = composer_.GetCharacterPool();
    for (int i = 0; i < pool->Count(); ++i) {
      if (pool->At(i) == current) return pool->GetName(i);
    }
    return current == nullptr ? "(none)" : "(unknown)";
  }

  EngineInstallation install_;
  testing_support::MessageRecorder boxes_;
  TMShared shared_;
  TestTamrin composer_;
};

}  // namespace engine_testing
