// The composer: one engine instance. It owns the data that a synthesis run
// works on (working text, layers, duration and intonation arrays, speech
// buffer), the run-state flags, the directory of the processing modules, the
// pool of voice fonts and the worker thread of asynchronous speech; it holds
// the process-wide shared resources and the current voice font by
// reference.
//
// Requests that touch the data of a run (Speak, SpeakToBuffer, SpeakToFile,
// SetCharacter, Init) take the speak lock and wait for the previous worker
// before they change anything; a request that finds a run paused ends that
// run as Stop does, so a pause never blocks a later request. Stop, Pause,
// Resume and the reference setters take no lock and act on a running worker.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>

#include "engine/composer/VCharacterPool.h"
#include "engine/composer/VComposer.h"
#include "engine/composer/VControl.h"
#include "engine/composer/VLogger.h"
#include "engine/composer/VModuleDirectory.h"
#include "engine/data/VMLDS.h"
#include "engine/data/VSpeechBuffer.h"
#include "engine/data/VTextBuffer.h"

class TMShared;
class VCharacter;
class VDuration;
class VIntonation;
class VModule;
class VModuleChain;
class VOutput;

class Tamrin : public VComposer {
 public:
  // Result codes of the composer.
  static constexpr int kAlreadyInitialised = 1025;
  static constexpr int kFontNotFound = -1100;
  static constexpr int kNoFontSelected = -1101;
  static constexpr int kNoFonts = -1102;
  static constexpr int kSetUpFailed = -1110;
  static constexpr int kPitchTooHigh = -1200;
  static constexpr int kPitchTooLow = -1201;
  static constexpr int kSpeedTooHigh = -1204;
  static constexpr int kSpeedTooLow = -1205;
  static constexpr int kVolumeTooHigh = -1208;
  static constexpr int kVolumeTooLow = -1209;
  static constexpr int kNoPlayerOutput = -2005;
  static constexpr int kThreadFailed = -2020;

  // The 27 modules, in the order in which Init creates them.
  enum ModuleId {
    kFeeder,
    kFeederPre,
    kFeederPost,
    kUsEnglish,
    kInFilter,
    kLayerSyllable,
    kLayerWord,
    kLayerPhrase,
    kLayerSentence,
    kDurationTriState,
    kMbrola,
    kDurationWord,
    kIntonationSyllable,
    kIntonationV58,
    kSmoothF0,
    kUserToGreek,
    kUserToPhones,
    kPlayback,
    kSpeller,
    kDurationFilter,
    kPhonemizer,
    kFilterPlain,
    kGrGrammar,
    kTextFeeder,
    kGeneratorPHO,
    kSpeechOutMbr,
    kSaveWave,
    kModuleCount
  };
  // The module name of each module, by its ModuleId ("" without a module
  // factory).
  static const char* ModuleName(ModuleId id);

  // What the module library supplies to every composer: the name and the
  // maker of each module by ModuleId, and the modules to register, in the
  // order of registration (which is also the order of their Init). The
  // module library (modules/ModuleFactory.h) installs its table when a
  // program links it; the engine itself includes no module.
  struct ModuleFactory {
    const char* (*name)(ModuleId id);
    VModule* (*create)(ModuleId id);
    const ModuleId* registration;
    int registrationCount;
  };
  // Installs factory for the composers initialised from then on (null: no
  // module is made). Called before any composer exists.
  static void SetModuleFactory(const ModuleFactory* factory);

  Tamrin();
  Tamrin(const Tamrin&) = delete;
  Tamrin& operator=(const Tamrin&) = delete;
  // Stops and waits for a worker that still runs, and finalises a composer
  // whose owner did not.
  ~Tamrin() override;

  // Initialises the composer: the error file, the logger, the arrays, the 27
  // modules (26 registered), the voice fonts, the selection of font (the
  // configuration's "Default.VoiceFont" when font is empty) and the speech
  // buffer. 0; 1025 when initialised already; the selection's negative code,
  // after everything made here has been released again.
  virtual int Init(std::string font, int instance, int unused);
  // Speaks text + " ." through the current font's chain: on this thread when
  // synchronous, else on a new worker thread. 0 whatever the run did;
  // -1101 without a current font; -2020 when the worker cannot start.
  virtual int Speak(std::string text, bool synchronous);
  // Runs the chain on this thread with in-process synthesis and hands the
  // samples out in a new block (*block's old block is released), with or
  // without the 44-byte WAVE header. 0, or -1101.
  virtual int SpeakToBuffer(std::string text, bool withHeader, char** block, long* size);
  // Runs the chain as SpeakToBuffer does and lets the caller take the
  // samples without a copy of them all: once the run is sure to happen,
  // prepare gets the speech buffer before the chain runs (to attach a file,
  // say), and finish gets it after the run, while the request still holds
  // it. 0, or -1101 (neither is called).
  virtual int SpeakToWave(std::string text, const std::function<void(VSpeechBuffer&)>& prepare,
                          const std::function<void(VSpeechBuffer&)>& finish);
  // Runs the chain on this thread with the wave-file output on file. 0, or
  // -1101.
  virtual int SpeakToFile(std::string text, std::string file);
  // Selects the font of that key and sets up its chain: 0; -1110 when a
  // module's set-up fails (the font stays current); -1100, reported, when no
  // font has the key (no font is current then).
  virtual int SetCharacter(std::string key);
  // Every font key followed by ";", in pool order, and their number; -1102
  // when there is no font (list and count untouched).
  virtual int GetCharacterList(std::string& list, int& count);
  // *value := a new copy of the font's parameter (with the "default.vof"
  // fallback); -1100 when no font has the key.
  virtual int GetCharacterParameter(const char* fontKey, const char* parameterKey, char** value);
  // Does nothing; 0.
  virtual int SetParameter(std::string key, std::string value);
  // Aborts the runs under way on every composer (VControl::Abort), stops
  // the outputs and marks the run stopped. 0, or the first negative code of
  // an output.
  virtual int Stop();
  // The pitch, speed and volume references; see the result codes.
  virtual int SetPitch(float pitch);
  virtual int SetSpeed(float speed);
  virtual int SetVolume(float volume);
  // Marks the run paused and cuts the outputs. 0, or an output's code.
  virtual int Pause();
  // Resumes the outputs and clears the pause; an output's code (1050 when
  // the playback holds nothing to replay).
  virtual int Resume();

  // Stops and waits for the worker, then releases the arrays, the modules,
  // the fonts and the layers. 0.
  int Finalize();
  int SetShared(TMShared* shared);
  // Runs the chain on the calling thread; 1.
  int RunChain(VModuleChain* chain);
  // The last result code.
  int GetLastResult() const { return lastCode_.load(std::memory_order_relaxed); }
  bool IsInitialised() const { return initialised_.load(std::memory_order_acquire); }
  VModule* GetModule(ModuleId id) const { return modules_[id]; }

  // Registers a further module (the directory owns it from then on) and
  // builds every font's chain again, so that fonts may name it. False, with
  // the module deleted, when the composer is not initialised or the
  // directory refuses it. Used by tests to run modules of their own.
  bool RegisterModule(VModule* module);

  // VComposer.
  int Reset() override;
  void SetLastError(int code) override { lastCode_.store(code, std::memory_order_relaxed); }
  std::string GetInstanceText() const override { return std::to_string(instance_); }
  TMShared* GetShared() override { return shared_; }
  VCharacter* GetCharacter() override { return character_.load(std::memory_order_acquire); }
  VCharacterPool* GetCharacterPool() override { return &pool_; }
  VModuleDirectory* GetModuleDirectory() override { return &directory_; }
  VTextBuffer* GetText() override { return &text_; }
  VTextBuffer* GetFilteredText() override { return &filteredText_; }
  VMLDS* GetMLDS() override { return &mlds_; }
  VDuration* GetDuration() override { return duration_; }
  VIntonation* GetIntonation() override { return intonation_; }
  VSpeechBuffer* GetSpeechBuffer() override { return &speech_; }
  VControl* GetControl() override { return &control_; }

  VLogger* GetLogger() { return &logger_; }

 protected:
  // Creates the module of that id through the module factory; null leaves
  // it out.
  virtual VModule* CreateModule(ModuleId id);
  // Starts thread with body; false when the system cannot start a thread.
  virtual bool StartThread(std::thread& thread, std::function<void()> body);
  // Whether "TamrinError.txt" of the current directory exists and may not
  // be written to.
  virtual bool IsErrorFileReadOnly() const;

 private:
  // Sets the speed or pitch scale of an array after the range check of its
  // reference (0.5 to 2.0).
  template <class Array>
  int SetArrayScale(Array* array, float value, int tooHigh, int tooLow);

  // The speak lock: held by one request at a time. A request that waits
  // for it looks at the run in between (see BeginRequest).
  class SpeakLock {
   public:
    void lock();
    bool try_lock();
    bool try_lock_for(std::chrono::milliseconds wait);
    void unlock();

   private:
    std::mutex mutex_;
    std::condition_variable freed_;
    bool held_ = false;
  };
  using RequestLock = std::unique_lock<SpeakLock>;

  // Takes the speak lock for a request, ends a paused run and waits for the
  // previous worker. stopped, when given, is for a request that runs the
  // chain: it tells whether Stop was called while the request waited (such a
  // request is dropped with the run that it waited for), and the run begins
  // for the stops from then on.
  RequestLock BeginRequest(bool* stopped = nullptr);
  // Waits for the worker to end (ending it as Stop does should it be paused
  // meanwhile) and joins it.
  void JoinWorker();
  bool WorkerRunning();
  // Marks the composer speaking, before a run.
  void BeginRun();
  // Runs the current font's chain on text on this thread, with VM_FeederPre
  // as the feeder and only `output` of the output modules switched on;
  // beforeChain, when given, is called just before the chain runs.
  // A run cut by a stop, or dropped (stopped), leaves its speech marked
  // incomplete.
  int RunSynchronously(const std::string& text, ModuleId output,
                       const std::function<void()>& beforeChain = nullptr, bool stopped = false);
  static void SynthesisThread(Tamrin* composer, VModuleChain* chain);

  // Stop's work; the composer's own waits call it rather than Stop.
  int StopRun();
  void RemoveErrorFile();
  int SelectCharacter(const std::string& key);
  void CreateModules();
  void RegisterModules();
  // Releases everything that Init made.
  void ReleaseParts();
  // Enters the composer into the process's composers that hold their parts,
  // or takes it out.
  void SetAlive(bool alive);
  // At the process's end (exit, or a return from main): finalises the
  // composers that are still alive, so that no run goes on while the
  // process's static objects are destroyed. Registered again after every
  // font set-up that loaded a library; a later call finds nothing more to do.
  static void EndAllAtExit();
  void Enable(ModuleId id, bool on);
  bool IsEnabled(ModuleId id) const;
  // Switches the output modules: those of on on, the others off.
  void SwitchOutputs(std::initializer_list<ModuleId> on);
  // The output interface of a module (null when it has none).
  VOutput* Output(ModuleId id) const;
  // Calls visit on each enabled output that sounds on the card, in the
  // order VM_SpeechOut_Mbr, VM_Playback, until visit answers false.
  template <class Visit>
  void VisitSoundOutputs(Visit visit);

  std::atomic<int> lastCode_{0};
  TMShared* shared_ = nullptr;
  std::atomic<VCharacter*> character_{nullptr};
  VSpeechBuffer speech_;
  VTextBuffer text_;
  VTextBuffer filteredText_;
  VMLDS mlds_;
  VDuration* duration_ = nullptr;
  VIntonation* intonation_ = nullptr;
  VModule* modules_[kModuleCount] = {};
  int instance_ = -1;
  VLogger logger_;
  VControl control_;
  VModuleDirectory directory_;
  VCharacterPool pool_;
  std::atomic<bool> initialised_{false};
  SpeakLock speakLock_;
  std::thread worker_;

  // Whether Init made anything that Finalize has not yet released.
  bool holdsParts_ = false;
  // The shared resources that this composer uses while it holds its parts
  // (attached to them so that they are not unloaded meanwhile).
  TMShared* attached_ = nullptr;
  // The worker's end, which a request waits for.
  std::mutex workerMutex_;
  std::condition_variable workerEnded_;
  bool workerDone_ = true;
  // Calls of Stop so far: a request that waited while it changed is dropped.
  std::atomic<unsigned> stopCalls_{0};
};
