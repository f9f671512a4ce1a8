// The main dialog's logic against fakes: what each handler asks of the
// engine and which boxes the user sees.
#include <gtest/gtest.h>

#include "app/ProductInfo.h"
#include "app/SpeechController.h"
#include "app/Texts.h"
#include "tests/app/AppFakes.h"

namespace {

using app_testing::Box;
using Slider = SpeechView::Slider;
using Lines = std::vector<std::string>;
using Boxes = std::vector<Box>;
using Icon = UiServices::BoxIcon;

Box Plain(const std::string& text, Icon icon = Icon::kNone) {
  return {"ZORVALIS Varudu Zovivari", text, icon};
}
const Box kErrorBox = {"ZORVALIS Varudu Zovivari: Error!", "the last error", Icon::kError};
const Lines kSpoken = {"animation on", "animation off", "speak enabled"};
// A queued request other than speech: the animation runs while it waits.
const Lines kQueued = {"animation on", "animation off"};
const std::map<Slider, int> kHome = {
    {Slider::kVolume, 100}, {Slider::kPitch, 100}, {Slider::kSpeed, 150}};

class SpeechControllerTest : public testing::Test {
 protected:
  SpeechControllerTest() { g_bGreek = false; }
  ~SpeechControllerTest() override { g_bGreek = true; }

  // A started dialog: the engine loaded and created, all forgotten.
  void Start() {
    Forget();
    ASSERT_TRUE(controller_.FinishInit(controller_.StartEngine()));
    Forget();
  }
  void Forget() {
    engine_.calls.clear();
    engine_.results.clear();
    ui_.boxes.clear();
    ui_.exits.clear();
    view_.events.clear();
    view_.items.clear();
  }

  app_testing::FakeEngine engine_;
  app_testing::FakeUi ui_;
  app_testing::FakeView view_;
  SpeechController controller_{engine_, ui_, view_, RequestQueue::Mode::kInline};
};

TEST_F(SpeechControllerTest, SpeakAndSaveHandOverTheTextOrSayWhyNot) {
  const std::string latin(5000, 'a');
  std::string greek;  // two bytes a letter
  for (int i = 0; i < 5000; ++i) greek += "α";
  const auto speak = &SpeechController::OnSpeak;
  const auto save = &SpeechController::OnSaveWave;
  const auto select = &SpeechController::OnSelectCharacter;
  using Row = std::tuple<const char*, void (SpeechController::*)(), bool, std::string,
                         std::optional<std::string>, int, Lines, Boxes, Lines>;
  const Row rows[] = {
      // clang-format off
      {"empty, English", speak, false, "", {}, 0, {}, {Plain(texts::EmptyTextPrompt(false))}, {}},
      {"empty, Greek", speak, true, "", {}, 0, {}, {Plain(texts::EmptyTextPrompt(true))}, {}},
      {"Greek text", speak, true, "Γειά σου", {}, 0, {"TextToSpeech Γειά σου 0"}, {}, kSpoken},
      {"cut at 4999 characters", speak, false, latin, {}, 0, {"TextToSpeech " + latin.substr(1) + " 0"}, {}, kSpoken},
      {"whole Greek letters", speak, false, greek, {}, 0, {"TextToSpeech " + greek.substr(2) + " 0"}, {}, kSpoken},
      {"refused", speak, false, "x", {}, -1101, {"TextToSpeech x 0"}, {kErrorBox}, {"animation on", "animation off"}},
      {"save cancelled", save, false, "x", {}, 0, {}, {}, {}},
      {"mp3 refused", save, false, "x", "/tmp/a.mp3", 0, {}, {Plain(texts::Mp3Refusal(false), Icon::kInformation)}, {}},
      {"MP3 is written", save, false, "x", "/tmp/a.MP3", 0, {"TextToFile x /tmp/a.MP3"}, {Plain("File saved!")}, kQueued},
      {"mp3 as a folder", save, false, "", "/tmp/mp3/a", 0, {"TextToFile  /tmp/mp3/a"}, {Plain("File saved!")}, kQueued},
      {"not written, with the engine's text", save, false, "x", "/no/a.wav", -2001, {"TextToFile x /no/a.wav"}, {Plain("Error:tmengine_TextToFile:-2001\nthe last error")}, kQueued},
      {"character not set up", select, false, "", {}, 1110, {"SelectVoiceFont"}, {Plain(texts::CharacterWarning(false), Icon::kInformation), Plain("Error:tmengine__SelectVoiceFont:1110\nthe last error")}, kQueued},
      // clang-format on
  };
  // file: the name the save box gives.
  for (const auto& [name, handler, inGreek, text, file, result, calls, boxes, events] : rows) {
    SCOPED_TRACE(name);
    Forget();
    g_bGreek = inGreek;
    engine_.results = {
        {"TextToSpeech", result}, {"TextToFile", result}, {"SelectVoiceFont", result}};
    view_.text = text;
    ui_.saveName = file;
    (controller_.*handler)();
    EXPECT_EQ(engine_.calls, calls);
    EXPECT_EQ(ui_.boxes, boxes);
    EXPECT_EQ(view_.events, events);
  }
}

TEST_F(SpeechControllerTest, SlidersSendTheirReferencesAndResetGoesHome) {
  Start();
  view_.sliders = {{Slider::kVolume, 150}, {Slider::kPitch, 200}, {Slider::kSpeed, 50}};
  controller_.OnPitchReleased();
  controller_.OnSpeedReleased();  // the fastest at the left
  controller_.OnVolumeReleased();
  EXPECT_EQ(engine_.calls,
            (Lines{"SetPitchReference 2", "SetSpeedReference 2", "SetVolumeReference 1.5"}));
  EXPECT_TRUE(ui_.boxes.empty());
  engine_.results["SetVolumeReference"] = -2005;
  controller_.OnVolumeReleased();
  EXPECT_EQ(ui_.boxes, Boxes{kErrorBox});

  Forget();
  controller_.OnReset();
  EXPECT_EQ(engine_.calls, (Lines{"SetSpeedReference 1", "SetPitchReference 1"}));
  EXPECT_EQ(view_.sliders, kHome);
}

TEST_F(SpeechControllerTest, CharacterListShowsDisplayNamesAndSelectsTheDefault) {
  using Items = std::vector<std::pair<std::string, std::string>>;
  const std::tuple<const char*, bool, std::string, int, Items, int> rows[] = {
      // clang-format off
      {"English names", false, "a.vof;default.vof;", 2, {{"Voice A", "a.vof"}, {"default.vof", "default.vof"}}, 1},
      {"Greek names", true, "a.vof;default.vof;", 2, {{"Φωνή Α", "a.vof"}, {"Προεπιλογή", "default.vof"}}, 1},
      {"count shorter than the list", false, "a.vof;default.vof;", 1, {{"Voice A", "a.vof"}}, -1},
      // clang-format on
  };
  engine_.names = {{"a.vof Settings.DisplayName", "Voice A"},
                   {"a.vof Settings.DisplayNameGr", "Φωνή Α"},
                   {"default.vof Settings.DisplayNameGr", "Προεπιλογή"}};
  for (const auto& [name, greek, list, count, items, selected] : rows) {
    SCOPED_TRACE(name);
    Forget();
    g_bGreek = greek;
    engine_.list = list;
    engine_.count = count;
    ASSERT_TRUE(controller_.FinishInit(controller_.StartEngine()));
    EXPECT_EQ(view_.items, items);
    EXPECT_EQ(view_.selected, selected);
  }
}

TEST_F(SpeechControllerTest, RemoteCommands) {
  using namespace std::string_literals;
  // bytes: the request (the count is their number); text: the text box
  // afterwards; result: the answer of the call.
  const std::tuple<const char*, std::string, bool, Lines, std::string, bool, int, Boxes> rows[] = {
      // clang-format off
      {"play speaks its text", "[play]Γειά\0"s, false, {"TextToSpeech Γειά\n 0"}, "Γειά\n", false, 0, {}},
      {"play after paus resumes", "[play]ignored", true, {"SpeakResume"}, "", false, 0, {}},
      {"a short play speaks a line feed", "[play]", false, {"TextToSpeech \n 0"}, "\n", false, 0, {}},
      {"the copy stops at the first zero", "[play]ab\0cd"s, false, {"TextToSpeech ab\n 0"}, "ab\n", false, 0, {}},
      {"paus", "[paus]", false, {"SpeakPause"}, "", true, 0, {}},
      {"stop clears the pause", "[stop]", true, {"Stop"}, "", false, 0, {}},
      {"capital Play is ignored", "[Play]text", false, {}, "", false, 0, {}},
      {"empty text", "\0"s, false, {}, "", false, 0, {}},
      {"paus fails", "[paus]", false, {"SpeakPause"}, "", true, -5, {Plain("Error:tmengine__SpeakPause:-5\nthe last error")}},
      {"resume fails", "[play]", true, {"SpeakResume"}, "", false, -6, {Plain("Error:tmengine__SpeakResume:-6\nthe last error")}},
      {"resume warns", "[play]", true, {"SpeakResume"}, "", false, 1050, {}},
      {"p:25 fails", "[p:25]", false, {"SetPitchReference 2.5"}, "", false, -1200, {Plain("Error:tmengine__SetPitchReference:-1200\nthe last error")}},
      {"s:01 fails, not inverted", "[s:01]", false, {"SetSpeedReference 0.1"}, "", false, -1205, {Plain("Error:tmengine__SetSpeedReference:-1205\nthe last error")}},
      {"v:10 fails", "[v:10]", false, {"SetVolumeReference 1"}, "", false, -2005, {Plain("Error:tmengine__SetVolumeReference:-2005\nthe last error")}},
      {"stop fails", "[stop]", false, {"Stop"}, "", false, -7, {kErrorBox}},
      // clang-format on
  };
  for (const auto& [name, bytes, pausedBefore, calls, text, pausedAfter, result, boxes] : rows) {
    SCOPED_TRACE(name);
    Start();
    view_.text.clear();
    if (pausedBefore) controller_.OnCopyData("[paus]", 7);
    engine_.calls.clear();
    if (!calls.empty()) engine_.results[calls[0].substr(0, calls[0].find(' '))] = result;
    EXPECT_TRUE(controller_.OnCopyData(bytes.data(), bytes.size()));
    EXPECT_EQ(engine_.calls, calls);
    EXPECT_EQ(view_.text, text);
    EXPECT_EQ(controller_.paused(), pausedAfter);
    EXPECT_EQ(ui_.boxes, boxes);
    EXPECT_EQ(view_.sliders, kHome);  // a reference sent by message moves no slider
  }
  // A null text, whatever its count, answers TRUE and does nothing.
  Forget();
  EXPECT_TRUE(controller_.OnCopyData(nullptr, 7));
  EXPECT_TRUE(engine_.calls.empty());
  // The byte count bounds the copy.
  EXPECT_TRUE(controller_.OnCopyData("[play]abcdef", 8));
  EXPECT_EQ(engine_.calls, Lines{"TextToSpeech ab\n 0"});
  // The Stop button leaves a remote pause in place: play resumes.
  Forget();
  controller_.OnCopyData("[paus]", 7);
  controller_.OnStop();
  controller_.OnCopyData("[play]new text", 15);
  EXPECT_EQ(engine_.calls, (Lines{"SpeakPause", "Stop", "SpeakResume"}));
}

TEST_F(SpeechControllerTest, ReportLinkThatNoProgramOpensIsSaidWithItsAddress) {
  const std::string link =
      std::string("mailto:") + product::kSupportAddress + product::kReportQuery;
  const std::tuple<const char*, bool, bool, Boxes> rows[] = {
      {"opened", true, false, {}},
      {"not opened, English",
       false,
       false,
       {Plain("No program on this desktop opens the address:\n" + link, Icon::kInformation)}},
      {"not opened, Greek",
       false,
       true,
       {Plain(texts::NoLinkHandler(true, link), Icon::kInformation)}},
  };
  for (const auto& [name, opens, greek, boxes] : rows) {
    SCOPED_TRACE(name);
    Forget();
    ui_.links.clear();
    ui_.linksOpen = opens;
    g_bGreek = greek;
    controller_.OnReport();
    EXPECT_EQ(ui_.links, Lines{link});
    EXPECT_EQ(ui_.boxes, boxes);
  }
}

TEST_F(SpeechControllerTest, StartAndEnd) {
  const Box kStartFailedBox = {"ZORVALIS Varudu Zovivari: Error!",
                               texts::StartFailed(false, "the last error"), Icon::kError};
  const std::tuple<const char*, int, int, bool, Lines, Boxes, std::vector<int>> rows[] = {
      // clang-format off
      {"loaded before: a warning", 1020, 0, true, {"LoadSharedResources", "New", "ListVoiceFonts"}, {}, {}},
      {"New fails: shown at once", 0, -1102, true, {"LoadSharedResources", "New", "ListVoiceFonts"}, {kErrorBox}, {}},
      {"load fails: one box says so, then code 10", -1022, 0, false, {"LoadSharedResources"}, {kStartFailedBox}, {10}},
      // clang-format on
  };
  for (const auto& [name, load, created, goesOn, calls, boxes, exits] : rows) {
    SCOPED_TRACE(name);
    Forget();
    engine_.results = {{"LoadSharedResources", load}, {"New", created}};
    EXPECT_EQ(controller_.FinishInit(controller_.StartEngine()), goesOn);
    EXPECT_EQ(engine_.calls, calls);
    EXPECT_EQ(ui_.boxes, boxes);
    EXPECT_EQ(ui_.exits, exits);
  }
  // Without an engine the remote control answers FALSE.
  engine_.calls.clear();
  EXPECT_FALSE(controller_.OnCopyData("[stop]", 7));
  EXPECT_TRUE(engine_.calls.empty());

  Start();
  engine_.results["Delete"] = -1;
  controller_.Shutdown();
  EXPECT_EQ(engine_.calls, (Lines{"Stop", "Delete", "ReleaseSharedResources"}));
  EXPECT_EQ(ui_.boxes, Boxes{kErrorBox});
}

}  // namespace
