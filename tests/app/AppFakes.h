// Fakes of the dialog logic's ports (engine, desktop, controls) that record
// what is asked of them. No Qt: the remote control's fuzz target uses them.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/EnginePort.h"
#include "app/SpeechView.h"
#include "app/UiServices.h"

namespace app_testing {

// Every call as a line: its name and arguments ("TextToSpeech Γειά 0").
// A call answers results[name] (0 when not set). Calls may come from
// several threads; while they may, read them through Calls().
class FakeEngine : public EnginePort {
 public:
  std::vector<std::string> calls;
  std::map<std::string, int> results;
  std::string list = "default.vof;other.vof;";
  int count = 2;
  std::map<std::string, std::string> names;  // "font key" -> value
  std::function<void()> onLoad;              // runs inside LoadSharedResources

  int LoadSharedResources() override {
    if (onLoad) onLoad();
    return Call("LoadSharedResources");
  }
  int ReleaseSharedResources() override { return Call("ReleaseSharedResources"); }
  int New() override { return Call("New"); }
  int Delete() override { return Call("Delete"); }
  int TextToSpeech(const std::string& text, int mode) override {
    return Call("TextToSpeech", text + " " + std::to_string(mode));
  }
  int TextToFile(const std::string& text, const std::string& file) override {
    return Call("TextToFile", text + " " + file);
  }
  int Stop() override { return Call("Stop"); }
  int SpeakPause() override { return Call("SpeakPause"); }
  int SpeakResume() override { return Call("SpeakResume"); }
  int SelectVoiceFont(const std::string& key) override { return Call("SelectVoiceFont", key); }
  int ListVoiceFonts(std::string& out, int& n) override {
    out = list;
    n = count;
    return Call("ListVoiceFonts");
  }
  int GetVoiceFontParameter(const std::string& font, const std::string& key,
                            std::string& value) override {
    value = names[font + " " + key];
    return 0;
  }
  int SetPitchReference(double v) override { return Call("SetPitchReference", Number(v)); }
  int SetSpeedReference(double v) override { return Call("SetSpeedReference", Number(v)); }
  int SetVolumeReference(double v) override { return Call("SetVolumeReference", Number(v)); }
  std::string LastError() override { return "the last error"; }

  std::vector<std::string> Calls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls;
  }

 protected:
  int Call(const std::string& name, const std::string& arguments = "") {
    std::lock_guard<std::mutex> lock(mutex_);
    calls.push_back(arguments.empty() ? name : name + " " + arguments);
    const auto it = results.find(name);
    return it == results.end() ? 0 : it->second;
  }

 private:
  static std::string Number(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
  }
  std::mutex mutex_;
};

// An engine whose speech goes on until Stop or Finish, and whose requests
// wait for the speech before them, as the real engine's do: TextToSpeech,
// TextToFile and SelectVoiceFont wait while speech runs (and are recorded
// once they go ahead); TextToSpeech then starts speech of its own.
class SpeakingEngine : public FakeEngine {
 public:
  int TextToSpeech(const std::string& text, int mode) override {
    WaitForSilence(true);
    return FakeEngine::TextToSpeech(text, mode);
  }
  int TextToFile(const std::string& text, const std::string& file) override {
    WaitForSilence(false);
    return FakeEngine::TextToFile(text, file);
  }
  int SelectVoiceFont(const std::string& key) override {
    WaitForSilence(false);
    return FakeEngine::SelectVoiceFont(key);
  }
  int Stop() override {
    const int r = FakeEngine::Stop();
    Finish();
    return r;
  }
  // The speech ends by itself.
  void Finish() {
    {
      std::lock_guard<std::mutex> lock(speechMutex_);
      speaking_ = false;
    }
    changed_.notify_all();
  }
  bool Speaking() {
    std::lock_guard<std::mutex> lock(speechMutex_);
    return speaking_;
  }
  // How many requests wait for the speech.
  int Waiting() {
    std::lock_guard<std::mutex> lock(speechMutex_);
    return waiting_;
  }

 private:
  void WaitForSilence(bool thenSpeak) {
    std::unique_lock<std::mutex> lock(speechMutex_);
    ++waiting_;
    changed_.wait(lock, [this] { return !speaking_; });
    --waiting_;
    speaking_ = thenSpeak;
  }
  std::mutex speechMutex_;
  std::condition_variable changed_;
  bool speaking_ = false;
  int waiting_ = 0;
};

// A message box: caption, text, icon.
using Box = std::tuple<std::string, std::string, UiServices::BoxIcon>;

class FakeUi : public UiServices {
 public:
  std::vector<Box> boxes;
  std::optional<std::string> saveName;
  std::vector<std::string> links;
  bool linksOpen = true;  // whether a program of the desktop takes links
  std::vector<int> exits;
  // Posted tasks run at once, unless held: then they wait for RunPosted
  // (they may be posted from any thread).
  bool holdPosts = false;

  void MessageBox(const std::string& caption, const std::string& text, BoxIcon icon) override {
    boxes.push_back({caption, text, icon});
  }
  std::optional<std::string> AskSaveFileName() override { return saveName; }
  bool OpenLink(const std::string& url) override {
    links.push_back(url);
    return linksOpen;
  }
  void Post(std::function<void()> task) override {
    if (!holdPosts) {
      task();
      return;
    }
    std::lock_guard<std::mutex> lock(postMutex_);
    posted_.push_back(std::move(task));
  }
  void Exit(int code) override { exits.push_back(code); }

  // Runs the tasks posted so far on this thread; returns how many ran.
  std::size_t RunPosted() {
    std::vector<std::function<void()>> tasks;
    {
      std::lock_guard<std::mutex> lock(postMutex_);
      tasks.swap(posted_);
    }
    for (const auto& task : tasks) task();
    return tasks.size();
  }

 private:
  std::mutex postMutex_;
  std::vector<std::function<void()>> posted_;
};

// The dialog's controls as plain values; events lists what else happened.
class FakeView : public SpeechView {
 public:
  std::string text;
  std::map<Slider, int> sliders{{Slider::kVolume, 0}, {Slider::kPitch, 0}, {Slider::kSpeed, 0}};
  std::vector<std::pair<std::string, std::string>> items;  // (display, name)
  int selected = -1;
  std::vector<std::string> events;

  std::string Text() const override { return text; }
  void SetText(const std::string& t) override { text = t; }
  int SliderPosition(Slider s) const override { return sliders.at(s); }
  void SetSliderPosition(Slider s, int p) override { sliders[s] = p; }
  int AddCharacter(const std::string& display, const std::string& name) override {
    items.emplace_back(display, name);
    return static_cast<int>(items.size()) - 1;
  }
  void SelectCharacter(int index) override { selected = index; }
  std::string SelectedCharacter() const override {
    return selected < 0 ? "" : items[static_cast<std::size_t>(selected)].second;
  }
  void StartAnimation() override { events.push_back("animation on"); }
  void StopAnimation() override { events.push_back("animation off"); }
  void EnableSpeak() override { events.push_back("speak enabled"); }
  void TakeFocus() override {}
  void Activate() override { events.push_back("activated"); }
  void SetLabels() override { events.push_back("labels"); }
  void FocusText() override { events.push_back("text focused"); }
};

}  // namespace app_testing
