// The logic of the main dialog: start-up and shut-down of the engine, the
// handlers of the buttons, sliders and character list, and the remote
// control's commands. It drives the engine through EnginePort, the dialog's
// controls through SpeechView and the desktop through UiServices, and keeps
// the dialog's state: the ready flag, the paused flag and the last code.
//
// Everything but StartEngine runs on the GUI thread, except the requests
// that may wait for running speech (speak, save, character change): they
// go to a RequestQueue whose worker makes the engine call and posts the
// outcome back (UiServices::Post). While such requests wait, the speaking
// animation runs; Stop drops the requests that have not started, and a
// speech request that was already waiting inside the engine is stopped as
// soon as it has started. Stop, pause, resume and the references go to the
// engine at once.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "app/EnginePort.h"
#include "app/RequestQueue.h"
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

  // queueMode: RequestQueue::Mode::kInline runs the queued requests on the
  // calling thread (tests that want one thread).
  SpeechController(EnginePort& engine, UiServices& ui, SpeechView& view,
                   RequestQueue::Mode queueMode = RequestQueue::Mode::kOwnThread);

  // Loads the shared resources and creates the engine. Touches nothing but
  // the engine, so it may run on another thread while the GUI thread keeps
  // its event loop going.
  EngineStart StartEngine();
  // The rest of the dialog's initialisation on the GUI thread: the error
  // boxes of the start, the ready flag, the sliders, the character list
  // and the text box. False when the process is to end (the shared
  // resources failed: one box says so, then UiServices::Exit has been asked
  // for code 10).
  bool FinishInit(const EngineStart& start);

  // Queues the text box's text for speech (the empty-text prompt instead
  // when it is empty).
  void OnSpeak();
  // Drops the queued requests and stops the speech.
  void OnStop();
  // A settled move of a slider (released, or moved by key or wheel): its
  // reference goes to the engine.
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
  // Returns once the command has been handed over (a speech request once
  // it is queued), never after a box.
  bool OnCopyData(const char* data, std::size_t count);
  // Drops the queued requests, stops speech until the request that runs
  // has ended, deletes the engine and releases the shared resources.
  void Shutdown();

  bool ready() const { return ready_; }
  // Whether a queued request runs or waits.
  bool busy() const { return queue_.Busy(); }
  bool paused() const { return paused_; }
  int lastCode() const { return lastCode_; }

 private:
  // What a queued engine call answered: its code and, when not 0, the
  // last-error text fetched right after it.
  struct Outcome {
    int code = 0;
    std::string error;
  };

  // Keeps code as the last code and shows the last-error text in the
  // error box.
  void ErrorBox(int code);
  void ErrorBox(int code, const std::string& text);
  // A plain box with prefix and the code in decimal, and below them the
  // engine's own text (error; empty: the last-error text now).
  void CodeBox(const char* prefix, int code);
  void CodeBox(const char* prefix, int code, const std::string& error);
  // Queues call (made on the worker) and runs done with its outcome on the
  // GUI thread. The animation runs while requests are queued.
  void Request(std::function<int(EnginePort&)> call, std::function<void(const Outcome&)> done);
  // A queued request's outcome has come back.
  void Finished();
  // Drops the queued requests that have not started.
  void DropWaiting();
  void FillCharacters();
  void SetReference(int (EnginePort::*setter)(double), double value);
  void RemoteReference(char kind, const std::string& digits);

  EnginePort& engine_;
  UiServices& ui_;
  SpeechView& view_;
  bool ready_ = false;
  bool paused_ = false;
  int lastCode_ = 0;
  // Queued requests whose outcome has not come back (GUI thread).
  int outstanding_ = 0;
  // Counts the stops: a speech request queued before the last stop is
  // stopped as soon as it has started.
  std::atomic<unsigned> stops_{0};
  // Outcomes posted to the GUI thread are dropped once this has gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  // Last: its worker ends before the members it uses.
  RequestQueue queue_;
};
