// The logic of the main dialog: start-up and shut-down of the engine, the
// handlers of the buttons, sliders and character list, and the remote
// control's commands. It drives the engine through EnginePort, the dialog's
// controls through SpeechView and the desktop through UiServices, and keeps
// the dialog's state: the ready flag, the paused flag and the last code.
// Everything but StartEngine runs on the GUI thread.
#pragma once

#include <cstddef>
#include <string>

#include "app/EnginePort.h"
#include "app/SpeechView.h"
#include "app/UiServices.h"

class SpeechController {
 public:
  // Slider positions at start and after Reset. The pitch slider stands at
  // 100, which reads as the engine's starting pitch reference 1.0.
  static constexpr int kPitchHome = 100;
  static constexpr int kSpeedHome = 150;
  static constexpr int kVolumeHome = 100;
  // Speak hands over at most this many characters of the text box.
  static constexpr std::size_t kMaxSpeakCharacters = 4999;
  // The exit code when the shared resources cannot be loaded.
  static constexpr int kExitNoResources = 10;
  // The voice font selected at start when the list has it.
  static constexpr const char* kDefaultFont = "default.vof";

  // The outcome of loading the engine: each call's code and, when it
  // failed, the last-error text fetched right after it.
  struct EngineStart {
    int loadCode = 0;
    std::string loadError;
    bool created = false;  // whether tmengine__New was called
    int newCode = 0;
    std::string newError;
  };

  SpeechController(EnginePort& engine, UiServices& ui, SpeechView& view);

  // Loads the shared resources and creates the engine. Touches nothing but
  // the engine, so it may run on another thread while the GUI thread keeps
  // its event loop going.
  EngineStart StartEngine();
  // The rest of the dialog's initialisation on the GUI thread: the error
  // boxes of the start, the ready flag, the sliders, the character list
  // and the text box. False when the process is to end (the shared
  // resources failed: UiServices::Exit has been asked for code 10).
  bool FinishInit(const EngineStart& start);

  void OnSpeak();
  void OnStop();
  void OnVolumeReleased();
  void OnPitchReleased();
  void OnSpeedReleased();
  void OnReset();
  void OnSaveWave();
  // A user's change of the character list's selection.
  void OnSelectCharacter();
  void OnReport();
  // One remote-control request: count bytes at data (data may be null).
  // The text is the bytes up to the first zero among them. True for TRUE.
  bool OnCopyData(const char* data, std::size_t count);
  // Stops speech, deletes the engine and releases the shared resources.
  void Shutdown();

  bool ready() const { return ready_; }
  bool paused() const { return paused_; }
  int lastCode() const { return lastCode_; }

 private:
  // Keeps code as the last code and shows the last-error text in the
  // error box.
  void ErrorBox(int code);
  void ErrorBox(int code, const std::string& text);
  // A plain box with prefix and the code in decimal.
  void CodeBox(const char* prefix, int code);
  void FillCharacters();
  void SetReference(int (EnginePort::*setter)(double), double value);
  void RemoteReference(char kind, const std::string& digits);

  EnginePort& engine_;
  UiServices& ui_;
  SpeechView& view_;
  bool ready_ = false;
  bool paused_ = false;
  int lastCode_ = 0;
};
