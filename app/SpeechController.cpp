#include "app/SpeechController.h"

#include <chrono>
#include <cstring>

#include "app/ProductInfo.h"
#include "app/Texts.h"
#include "engine/base/VLib.h"

namespace {

// Slider positions are hundredths of a reference; the speed slider runs
// the other way: it sends the speed reference, a time factor, so position
// 50 sends 2.0 (the slowest speech) and 200 sends 0.5 (the fastest).
constexpr double kSliderUnit = 0.01;
constexpr int kSpeedMirror = 250;
// Remote-control values are two digits in tenths ("15" is 1.5).
constexpr double kRemoteUnit = 0.1;

// The layout of a remote-control text: an opening mark, a four-character
// command, a closing mark, then the text to speak.
constexpr std::size_t kCommandStart = 1;
constexpr std::size_t kCommandLength = 4;
constexpr std::size_t kPayloadStart = 6;
constexpr std::size_t kReferenceDigits = 2;
constexpr char kVoiceFontSeparator = ';';
// While the program ends, how often the request that still runs is told
// to stop again.
constexpr std::chrono::milliseconds kStopRepeat(50);

// The first count characters of a UTF-8 text (a character is a lead byte
// with the continuation bytes after it).
std::string FirstCharacters(const std::string& text, std::size_t count) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool lead = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (lead && characters++ == count) return text.substr(0, i);
  }
  return text;
}

// The extension of a path's file name (after its last dot), or empty.
std::string Extension(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return path.substr(dot + 1);
}

}  // namespace

SpeechController::SpeechController(EnginePort& engine, UiServices& ui, SpeechView& view,
                                   RequestQueue::Mode queueMode)
    : engine_(engine), ui_(ui), view_(view), queue_(queueMode) {}

SpeechController::EngineStart SpeechController::StartEngine() {
  EngineStart start;
  start.loadCode = engine_.LoadSharedResources();
  if (start.loadCode < 0) {
    start.loadError = engine_.LastError();
    return start;
  }
  start.created = true;
  start.newCode = engine_.New();
  if (start.newCode < 0) start.newError = engine_.LastError();
  return start;
}

bool SpeechController::FinishInit(const EngineStart& start) {
  if (start.loadCode < 0) {
    ErrorBox(start.loadCode, texts::StartFailed(g_bGreek, start.loadError));
    ready_ = false;
    ui_.Exit(kExitNoResources);
    return false;
  }
  lastCode_ = start.newCode;
  if (start.newCode < 0) ErrorBox(start.newCode, start.newError);
  ready_ = true;

  view_.SetSliderPosition(SpeechView::Slider::kPitch, kPitchHome);
  view_.SetSliderPosition(SpeechView::Slider::kSpeed, kSpeedHome);
  view_.SetSliderPosition(SpeechView::Slider::kVolume, kVolumeHome);
  FillCharacters();
  view_.SetLabels();
  view_.FocusText();
  paused_ = false;
  return true;
}

void SpeechController::FillCharacters() {
  std::string list;
  int count = 0;
  const int r = engine_.ListVoiceFonts(list, count);
  if (r != 0) {
    ErrorBox(r);
    return;
  }
  const char* key = g_bGreek ? "Settings.DisplayNameGr" : "Settings.DisplayName";
  int remembered = -1;
  std::size_t start = 0;
  for (int i = 0; i < count && start < list.size(); ++i) {
    std::size_t end = list.find(kVoiceFontSeparator, start);
    if (end == std::string::npos) end = list.size();
    const std::string name = list.substr(start, end - start);
    start = end + 1;
    std::string display;
    engine_.GetVoiceFontParameter(name, key, display);
    const int index = view_.AddCharacter(display.empty() ? name : display, name);
    if (name == kDefaultFont) remembered = index;
  }
  view_.SelectCharacter(remembered);
}

void SpeechController::ErrorBox(int code) { ErrorBox(code, engine_.LastError()); }

void SpeechController::ErrorBox(int code, const std::string& text) {
  lastCode_ = code;
  ui_.MessageBox(texts::kErrorCaption, text, UiServices::BoxIcon::kError);
}

void SpeechController::CodeBox(const char* prefix, int code) {
  CodeBox(prefix, code, engine_.LastError());
}

void SpeechController::CodeBox(const char* prefix, int code, const std::string& error) {
  std::string text = prefix + std::to_string(code);
  if (!error.empty()) text += "\n" + error;
  ui_.MessageBox(texts::kAppName, text, UiServices::BoxIcon::kNone);
}

void SpeechController::Request(std::function<int(EnginePort&)> call,
                               std::function<void(const Outcome&)> done) {
  if (outstanding_++ == 0) view_.StartAnimation();
  std::weak_ptr<int> alive = alive_;
  queue_.Push([this, call = std::move(call), done = std::move(done), alive] {
    Outcome outcome;
    outcome.code = call(engine_);
    if (outcome.code != 0) outcome.error = engine_.LastError();
    ui_.Post([this, done, alive, outcome] {
      if (alive.expired()) return;
      Finished();
      done(outcome);
    });
  });
}

void SpeechController::Finished() {
  if (--outstanding_ == 0) view_.StopAnimation();
}

void SpeechController::DropWaiting() {
  ++stops_;
  const int dropped = static_cast<int>(queue_.DropWaiting());
  if (dropped == 0) return;
  outstanding_ -= dropped;
  if (outstanding_ == 0) view_.StopAnimation();
}

void SpeechController::OnSpeak() {
  view_.TakeFocus();
  const std::string text = FirstCharacters(view_.Text(), kMaxSpeakCharacters);
  if (text.empty()) {
    ui_.MessageBox(texts::kAppName, texts::EmptyTextPrompt(g_bGreek), UiServices::BoxIcon::kNone);
    return;
  }
  const unsigned stops = stops_;
  Request(
      [this, text, stops](EnginePort& engine) {
        const int r = engine.TextToSpeech(text, 0);
        // Stopped while this request waited for the speech before it.
        if (r >= 0 && stops_ != stops) engine.Stop();
        return r;
      },
      [this](const Outcome& outcome) {
        if (outcome.code < 0) {
          ErrorBox(outcome.code, outcome.error);
        } else {
          view_.EnableSpeak();
        }
      });
}

void SpeechController::OnStop() {
  DropWaiting();
  const int r = engine_.Stop();
  if (r < 0) ErrorBox(r);
}

void SpeechController::SetReference(int (EnginePort::*setter)(double), double value) {
  const int r = (engine_.*setter)(value);
  if (r < 0) ErrorBox(r);
}

void SpeechController::OnVolumeReleased() {
  SetReference(&EnginePort::SetVolumeReference,
               view_.SliderPosition(SpeechView::Slider::kVolume) * kSliderUnit);
}

void SpeechController::OnPitchReleased() {
  SetReference(&EnginePort::SetPitchReference,
               view_.SliderPosition(SpeechView::Slider::kPitch) * kSliderUnit);
}

void SpeechController::OnSpeedReleased() {
  SetReference(&EnginePort::SetSpeedReference,
               (kSpeedMirror - view_.SliderPosition(SpeechView::Slider::kSpeed)) * kSliderUnit);
}

void SpeechController::OnReset() {
  view_.SetSliderPosition(SpeechView::Slider::kPitch, kPitchHome);
  view_.SetSliderPosition(SpeechView::Slider::kSpeed, kSpeedHome);
  view_.SetSliderPosition(SpeechView::Slider::kVolume, kVolumeHome);
  SetReference(&EnginePort::SetSpeedReference, 1.0);
  SetReference(&EnginePort::SetPitchReference, 1.0);
}

void SpeechController::OnSaveWave() {
  const std::string text = view_.Text();
  const std::optional<std::string> path = ui_.AskSaveFileName();
  if (!path) return;
  if (Extension(*path) == "mp3") {
    ui_.MessageBox(texts::kAppName, texts::Mp3Refusal(g_bGreek), UiServices::BoxIcon::kInformation);
    return;
  }
  const unsigned stops = stops_;
  Request([text, file = *path](EnginePort& engine) { return engine.TextToFile(text, file); },
          [this, stops](const Outcome& outcome) {
            lastCode_ = outcome.code;
            // A save that the user's stop cut or dropped needs no box.
            if (outcome.code != 0 && stops_ != stops) return;
            if (outcome.code != 0) {
              CodeBox(texts::kTextToFileFailed, outcome.code, outcome.error);
            } else {
              ui_.MessageBox(texts::kAppName, texts::kFileSaved, UiServices::BoxIcon::kNone);
            }
          });
}

void SpeechController::OnSelectCharacter() {
  ui_.MessageBox(texts::kAppName, texts::CharacterWarning(g_bGreek),
                 UiServices::BoxIcon::kInformation);
  Request([name = view_.SelectedCharacter()](
              EnginePort& engine) { return engine.SelectVoiceFont(name); },
          [this](const Outcome& outcome) {
            lastCode_ = outcome.code;
            if (outcome.code != 0)
              CodeBox(texts::kSelectVoiceFontFailed, outcome.code, outcome.error);
          });
}

void SpeechController::OnReport() {
  OpenLinkOrSay(ui_, std::string("mailto:") + product::kSupportAddress + product::kReportQuery);
}

bool SpeechController::OnCopyData(const char* data, std::size_t count) {
  view_.Activate();
  if (!ready_) return false;
  const std::string text =
      data == nullptr ? std::string() : std::string(data, strnlen(data, count));
  if (text.empty()) return true;
  const std::string command = text.substr(kCommandStart, kCommandLength);
  const std::string payload = text.size() > kPayloadStart ? text.substr(kPayloadStart) : "";

  if (command == "play") {
    if (paused_) {
      lastCode_ = engine_.SpeakResume();
      if (lastCode_ < 0) CodeBox(texts::kSpeakResumeFailed, lastCode_);
      paused_ = false;
    } else {
      view_.SetText(payload + "\n");
      OnSpeak();
    }
  } else if (command == "stop") {
    paused_ = false;
    OnStop();
  } else if (command == "paus") {
    paused_ = true;
    lastCode_ = engine_.SpeakPause();
    if (lastCode_ < 0) CodeBox(texts::kSpeakPauseFailed, lastCode_);
  } else if (command.size() >= 2 && command[1] == ':') {
    RemoteReference(command[0], command.substr(2, kReferenceDigits));
  }
  return true;
}

void SpeechController::RemoteReference(char kind, const std::string& digits) {
  const double value = VLib::ParseFloat(digits) * kRemoteUnit;
  switch (kind) {
    case 'p':
      lastCode_ = engine_.SetPitchReference(value);
      if (lastCode_ < 0) CodeBox(texts::kSetPitchFailed, lastCode_);
      break;
    case 's':
      lastCode_ = engine_.SetSpeedReference(value);
      if (lastCode_ < 0) CodeBox(texts::kSetSpeedFailed, lastCode_);
      break;
    case 'v':
      lastCode_ = engine_.SetVolumeReference(value);
      if (lastCode_ < 0) CodeBox(texts::kSetVolumeFailed, lastCode_);
      break;
    default:
      break;
  }
}

void SpeechController::Shutdown() {
  // The engine waits for its speech thread when it is deleted; stopping
  // first makes that wait short. A request that waited for the speech
  // starts once it has stopped, and is stopped in turn.
  DropWaiting();
  if (ready_) {
    engine_.Stop();
    queue_.WaitIdle([this] { engine_.Stop(); }, kStopRepeat);
  }
  queue_.WaitIdle(nullptr, kStopRepeat);
  ready_ = false;
  int r = engine_.Delete();
  if (r < 0) ErrorBox(r);
  r = engine_.ReleaseSharedResources();
  if (r < 0) ErrorBox(r);
}
