// The main dialog's logic with its request queue on a thread of its own,
// against an engine whose speech goes on until stopped: requests that wait
// for speech wait off the calling (GUI) thread, which goes on answering.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "app/SpeechController.h"
#include "app/Texts.h"
#include "tests/app/AppFakes.h"

namespace {

using Lines = std::vector<std::string>;
// A speech request from its queueing to its handing over.
const Lines kHandedOver = {"animation on", "animation off", "speak enabled"};

class SpeechControllerThreadsTest : public testing::Test {
 protected:
  SpeechControllerThreadsTest() {
    g_bGreek = false;
    ui_.holdPosts = true;
    ui_.saveName = "/tmp/a.wav";
  }
  ~SpeechControllerThreadsTest() override { g_bGreek = true; }

  void Start() {
    ASSERT_TRUE(controller_.FinishInit(controller_.StartEngine()));
    ui_.RunPosted();
    engine_.calls.clear();
    view_.events.clear();
  }
  // Runs what the worker posts, as the GUI thread's event loop would, until
  // done holds (false after a minute).
  bool RunUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 6000; ++i) {
      ui_.RunPosted();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  // The view's events but the window's activation by remote commands.
  Lines Shown() const {
    Lines shown;
    for (const std::string& event : view_.events)
      if (event != "activated") shown.push_back(event);
    return shown;
  }
  bool Called(const std::string& call) {
    const Lines calls = engine_.Calls();
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }

  app_testing::SpeakingEngine engine_;
  app_testing::FakeUi ui_;
  app_testing::FakeView view_;
  SpeechController controller_{engine_, ui_, view_};
};

TEST_F(SpeechControllerThreadsTest, SecondSpeechWaitsOffTheGuiThreadAndStopEndsBoth) {
  using Action = std::function<void(SpeechController&, app_testing::FakeView&, const char*)>;
  const auto remote = [](SpeechController& c, app_testing::FakeView&, const char* command) {
    const std::string bytes = std::string(command) + '\0';
    EXPECT_TRUE(c.OnCopyData(bytes.data(), bytes.size()));
  };
  const auto button = [](SpeechController& c, app_testing::FakeView& v, const char* command) {
    if (std::string(command) == "[stop]") return c.OnStop();
    v.text = std::string(command).substr(6) + "\n";
    c.OnSpeak();
  };
  const std::pair<const char*, Action> rows[] = {{"remote control", remote}, {"buttons", button}};
  for (const auto& [name, act] : rows) {
    SCOPED_TRACE(name);
    Start();
    act(controller_, view_, "[play]one");
    ASSERT_TRUE(RunUntil([this] { return Shown() == kHandedOver; }));
    ASSERT_TRUE(engine_.Speaking());
    view_.events.clear();
    // Returns while the first speech runs; so do a save and a character
    // change behind it.
    act(controller_, view_, "[play]two");
    controller_.OnSaveWave();
    controller_.OnSelectCharacter();
    ASSERT_TRUE(RunUntil([this] { return engine_.Waiting() == 1; }));
    EXPECT_TRUE(controller_.busy());
    EXPECT_EQ(Shown(), Lines{"animation on"});
    // Remote commands act at once.
    remote(controller_, view_, "[p:12]");
    remote(controller_, view_, "[paus]");
    EXPECT_TRUE(Called("SpeakPause"));
    act(controller_, view_, "[stop]");
    ASSERT_TRUE(RunUntil([this] { return !controller_.busy() && ui_.RunPosted() == 0; }));
    EXPECT_EQ(engine_.Calls(), (Lines{"TextToSpeech one\n 0", "SetPitchReference 1.2", "SpeakPause",
                                      "Stop", "TextToSpeech two\n 0", "Stop"}));
    EXPECT_FALSE(engine_.Speaking());
    EXPECT_EQ(Shown(), kHandedOver);
    // The character warning, nothing of the dropped save.
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(std::get<1>(ui_.boxes[0]), texts::CharacterWarning(false));
    ui_.boxes.clear();
  }
}

TEST_F(SpeechControllerThreadsTest, ExitWhileRequestsWaitEndsThemAndTheEngine) {
  Start();
  view_.text = "one";
  controller_.OnSpeak();
  ASSERT_TRUE(RunUntil([this] { return engine_.Speaking(); }));
  controller_.OnSpeak();
  controller_.OnSaveWave();
  ASSERT_TRUE(RunUntil([this] { return engine_.Waiting() == 1; }));
  controller_.Shutdown();
  EXPECT_FALSE(controller_.busy());
  EXPECT_FALSE(engine_.Speaking());
  const Lines calls = engine_.Calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(Lines(calls.end() - 2, calls.end()), (Lines{"Delete", "ReleaseSharedResources"}));
  EXPECT_FALSE(Called("TextToFile one /tmp/a.wav"));
  ui_.RunPosted();  // outcomes that come after the end change nothing
  EXPECT_FALSE(controller_.ready());
}

}  // namespace
