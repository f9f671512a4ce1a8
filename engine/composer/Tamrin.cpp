#include "engine/composer/Tamrin.h"

#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include "engine/base/VLib.h"
#include "engine/base/VStr.h"
#include "engine/composer/VCharacter.h"
#include "engine/composer/VModuleChain.h"
#include "engine/composer/VOutput.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/shared/TMShared.h"
#include "platform/MessageBox.h"

namespace {

// How often a waiting request looks whether the run it waits for is paused.
constexpr auto kRequestPoll = std::chrono::milliseconds(2);

constexpr const char* kDefaultFontKey = "Default.VoiceFont";
constexpr const char* kPlaybackKey = "Playback.Method";
constexpr const char* kNoPlayback = "***NO PLAYBACK HAS BEEN SELECTED***";
constexpr const char* kErrorFileReadOnly = "TamrinError file is read-only.";
constexpr const char* kThreadFailedText = "Error starting the speech thread.";
constexpr const char* kNoModuleFactory =
    "Tamrin::Init()@no processing modules: the program does not link the module library";

// The output modules, in the order in which a request switches them.
constexpr Tamrin::ModuleId kOutputs[] = {Tamrin::kMbrola, Tamrin::kSpeechOutMbr, Tamrin::kPlayback,
                                         Tamrin::kSaveWave};
// The outputs that sound on the card, in the order in which stop, pause,
// resume and the volume reach them.
constexpr Tamrin::ModuleId kSoundOutputs[] = {Tamrin::kSpeechOutMbr, Tamrin::kPlayback};

// Installed by the module library before any composer exists.
const Tamrin::ModuleFactory* g_moduleFactory = nullptr;

// The composers that hold their parts. Never destroyed: the process's end
// reads it after static objects may be gone.
struct LiveComposers {
  std::mutex mutex;
  std::set<Tamrin*> composers;
  // The process's count of loaded objects when the exit handler was last
  // registered.
  unsigned long long loadsAtRegistration = 0;
};
LiveComposers& Live() {
  static LiveComposers* const live = new LiveComposers;
  return *live;
}

// How many objects the process has loaded so far (its program and every
// library, those unloaded since included).
unsigned long long LoadedObjectCount() {
  unsigned long long adds = 0;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t size, void* data) {
        if (size >= offsetof(dl_phdr_info, dlpi_adds) + sizeof(info->dlpi_adds))
          *static_cast<unsigned long long*>(data) = info->dlpi_adds;
        return 1;
      },
      &adds);
  return adds;
}

}  // namespace

const char* Tamrin::ModuleName(ModuleId id) {
  if (g_moduleFactory == nullptr || id < 0 || id >= kModuleCount) return "";
  return g_moduleFactory->name(id);
}

void Tamrin::SetModuleFactory(const ModuleFactory* factory) { g_moduleFactory = factory; }

Tamrin::Tamrin() = default;

Tamrin::~Tamrin() {
  if (holdsParts_ || worker_.joinable()) Finalize();
}

// ---------------------------------------------------------------------------
// Life cycle

int Tamrin::SetShared(TMShared* shared) {
  shared_ = shared;
  return 0;
}

int Tamrin::Init(std::string font, int instance, int /*unused*/) {
  RequestLock lock = BeginRequest();
  SetLastError(0);
  if (IsInitialised()) {
    SetLastError(kAlreadyInitialised);
    return kAlreadyInitialised;
  }
  RemoveErrorFile();
  if (shared_ != nullptr) {
    const int state = shared_->CheckState();
    if (state < 0) {
      SetLastError(state);
      return state;
    }
  }
  instance_ = instance;
  logger_.SetComposer(this);
  logger_.SetUp();

  holdsParts_ = true;
  // The installation is found once and the engine log kept open while the
  // parts are held; the shared resources stay loaded as long.
  VLib::HoldInstallation();
  attached_ = shared_;
  if (attached_ != nullptr) attached_->Attach();
  delete duration_;
  delete intonation_;
  duration_ = new VDuration();
  duration_->SetComposer(this);
  intonation_ = new VIntonation();
  intonation_->SetComposer(this);

  mlds_.SetComposer(this);
  pool_.SetComposer(this);
  directory_.SetComposer(this);
  CreateModules();
  RegisterModules();
  pool_.Load();

  std::string key = font;
  // The default font is the configuration's only while the shared resources
  // are in use: before their load and after their release there is none, so
  // that no engine starts on pools that are not there.
  if (key.empty() && shared_ != nullptr && shared_->IsInUse())
    key = shared_->GetConfiguration()->GetParam(kDefaultFontKey, true);
  const int r = SelectCharacter(key);
  if (r < 0) {
    // Nothing of a failed initialisation stays behind, so that the composer
    // may be initialised again or deleted.
    ReleaseParts();
    SetLastError(r);
    return r;
  }
  speech_.SetComposer(this);
  speech_.Init();
  SetAlive(true);
  initialised_.store(true, std::memory_order_release);
  return r;
}

int Tamrin::Finalize() {
  RequestLock lock(speakLock_, std::defer_lock);
  // A synchronous run of another caller ends at its next module.
  while (!lock.try_lock_for(kRequestPoll)) StopRun();
  if (WorkerRunning()) StopRun();
  JoinWorker();
  ReleaseParts();
  return 0;
}

void Tamrin::ReleaseParts() {
  if (!holdsParts_) return;
  initialised_.store(false, std::memory_order_release);
  character_.store(nullptr, std::memory_order_release);
  delete duration_;
  duration_ = nullptr;
  delete intonation_;
  intonation_ = nullptr;
  // The directory releases the modules it holds; the others (the modules
  // created but never registered) go after them.
  std::vector<VModule*> unregistered;
  for (VModule* module : modules_) {
    if (module != nullptr && !directory_.Holds(module)) unregistered.push_back(module);
  }
  directory_.ReleaseAll();
  for (VModule* module : unregistered) delete module;
  std::fill(std::begin(modules_), std::end(modules_), nullptr);
  pool_.Clear();
  mlds_.Clear();
  holdsParts_ = false;
  SetAlive(false);
  // After everything that refers to the pools: a release of the shared
  // resources that waited for this composer happens here.
  if (attached_ != nullptr) attached_->Detach();
  attached_ = nullptr;
  VLib::ReleaseInstallation();
}

void Tamrin::SetAlive(bool alive) {
  std::lock_guard<std::mutex> lock(Live().mutex);
  if (alive) {
    Live().composers.insert(this);
  } else {
    Live().composers.erase(this);
  }
}

void Tamrin::EndAllAtExit() {
  std::vector<Tamrin*> alive;
  {
    std::lock_guard<std::mutex> lock(Live().mutex);
    alive.assign(Live().composers.begin(), Live().composers.end());
  }
  // A composer whose owner did not delete it stops its run and releases
  // its parts before the objects that the run uses are destroyed. A process
  // that ends from a run's own thread cannot wait for that run.
  for (Tamrin* composer : alive) {
    if (composer->worker_.get_id() != std::this_thread::get_id()) composer->Finalize();
  }
}

void Tamrin::RemoveErrorFile() {
  if (IsErrorFileReadOnly()) {
    // A report would append to the very file that cannot be written.
    platform::ShowMessageBox(VLib::kReportCaption, kErrorFileReadOnly);
    return;
  }
  VLib::RemoveErrorFile();
}

bool Tamrin::IsErrorFileReadOnly() const {
  struct stat st;
  if (::stat(VLib::kErrorFileName, &st) != 0) return false;
  if (::access(VLib::kErrorFileName, W_OK) == 0) return false;
  return errno == EACCES || errno == EROFS || errno == EPERM;
}

VModule* Tamrin::CreateModule(ModuleId id) {
  return g_moduleFactory != nullptr ? g_moduleFactory->create(id) : nullptr;
}

void Tamrin::CreateModules() {
  // Only a program built without the module library gets here without a
  // factory: say so rather than run every chain empty.
  if (g_moduleFactory == nullptr) VLib::ReportError(kNoModuleFactory);
  for (int i = 0; i < kModuleCount; ++i) modules_[i] = CreateModule(static_cast<ModuleId>(i));
}

void Tamrin::RegisterModules() {
  if (g_moduleFactory == nullptr) return;
  for (int i = 0; i < g_moduleFactory->registrationCount; ++i) {
    const ModuleId id = g_moduleFactory->registration[i];
    VModule* module = modules_[id];
    if (module != nullptr && !directory_.AddModule(module)) {
      delete module;
      modules_[id] = nullptr;
    }
  }
}

bool Tamrin::RegisterModule(VModule* module) {
  if (module == nullptr) return false;
  RequestLock lock = BeginRequest();
  if (directory_.Holds(module)) return false;
  if (!IsInitialised() || !directory_.AddModule(module)) {
    delete module;
    return false;
  }
  for (int i = 0; i < pool_.Count(); ++i) pool_.BuildChain(pool_.At(i));
  return true;
}

// ---------------------------------------------------------------------------
// Requests and the worker

void Tamrin::SpeakLock::lock() {
  std::unique_lock<std::mutex> guard(mutex_);
  freed_.wait(guard, [this] { return !held_; });
  held_ = true;
}

bool Tamrin::SpeakLock::try_lock() {
  std::lock_guard<std::mutex> guard(mutex_);
  if (held_) return false;
  held_ = true;
  return true;
}

bool Tamrin::SpeakLock::try_lock_for(std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> guard(mutex_);
  if (!freed_.wait_for(guard, wait, [this] { return !held_; })) return false;
  held_ = true;
  return true;
}

void Tamrin::SpeakLock::unlock() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    held_ = false;
  }
  freed_.notify_one();
}

Tamrin::RequestLock Tamrin::BeginRequest(bool* stopped) {
  const unsigned stopsBefore = stopCalls_.load();
  RequestLock lock(speakLock_, std::defer_lock);
  // While a synchronous run of another caller holds the lock, a pause would
  // hold that run for good: nobody could resume it while this request
  // waits. A new request therefore ends a paused run as Stop does.
  while (!lock.try_lock_for(kRequestPoll)) {
    if (control_.IsPaused()) StopRun();
  }
  if (control_.IsPaused() && WorkerRunning()) StopRun();
  JoinWorker();
  // A pause belongs to the request that it paused, never to the next one.
  control_.SetPaused(false);
  if (stopped != nullptr) {
    // The run of this request begins here as far as stops go: a stop from
    // now on aborts it, and one that came while it waited drops it. (Marked
    // before the calls of Stop are counted, which Stop does before it
    // aborts: a stop that the count misses comes after the mark.)
    control_.BeginRun();
    *stopped = stopCalls_.load() != stopsBefore;
  }
  return lock;
}

bool Tamrin::WorkerRunning() {
  std::lock_guard<std::mutex> guard(workerMutex_);
  return !workerDone_;
}

void Tamrin::JoinWorker() {
  if (!worker_.joinable()) return;
  std::unique_lock<std::mutex> guard(workerMutex_);
  while (!workerDone_) {
    if (control_.IsPaused()) {
      guard.unlock();
      StopRun();
      guard.lock();
      continue;
    }
    workerEnded_.wait_for(guard, kRequestPoll);
  }
  guard.unlock();
  worker_.join();
}

void Tamrin::BeginRun() { control_.SetSpeaking(true); }

int Tamrin::RunChain(VModuleChain* chain) {
  if (chain != nullptr) chain->Run(nullptr);
  return 1;
}

void Tamrin::SynthesisThread(Tamrin* composer, VModuleChain* chain) {
  composer->RunChain(chain);
  std::lock_guard<std::mutex> guard(composer->workerMutex_);
  composer->workerDone_ = true;
  composer->workerEnded_.notify_all();
}

bool Tamrin::StartThread(std::thread& thread, std::function<void()> body) {
  try {
    thread = std::thread(std::move(body));
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void Tamrin::Enable(ModuleId id, bool on) {
  if (VModule* module = modules_[id]) module->SetEnabled(on);
}

bool Tamrin::IsEnabled(ModuleId id) const {
  const VModule* module = modules_[id];
  return module != nullptr && module->IsEnabled();
}

void Tamrin::SwitchOutputs(std::initializer_list<ModuleId> on) {
  for (ModuleId id : kOutputs) Enable(id, std::find(on.begin(), on.end(), id) != on.end());
}

VOutput* Tamrin::Output(ModuleId id) const { return dynamic_cast<VOutput*>(modules_[id]); }

template <class Visit>
void Tamrin::VisitSoundOutputs(Visit visit) {
  for (ModuleId id : kSoundOutputs) {
    if (!IsEnabled(id)) continue;
    VOutput* output = Output(id);
    if (output != nullptr && !visit(*output)) return;
  }
}

int Tamrin::Speak(std::string text, bool synchronous) {
  bool stopped = false;
  RequestLock lock = BeginRequest(&stopped);
  SetLastError(0);
  text_.SetText("");
  VCharacter* character = GetCharacter();
  if (!IsInitialised() || character == nullptr) {
    SetLastError(kNoFontSelected);
    return kNoFontSelected;
  }
  // Stopped while it waited: stopped before it began.
  if (stopped) return 0;
  text += " .";
  text_.SetText(text);

  Enable(kTextFeeder, true);
  Enable(kFeeder, false);
  Enable(kFeederPre, false);
  const std::string method = character->GetParameter(kPlaybackKey);
  if (method == "cplayback") {
    SwitchOutputs({kMbrola, kPlayback});
  } else if (method == "mbrola") {
    SwitchOutputs({kSpeechOutMbr});
  } else {
    VLib::Trace(kNoPlayback, "a", true);
    SwitchOutputs({});
  }

  // The run keeps the chain of this request, whatever is selected later.
  VModuleChain* chain = character->GetChain();
  BeginRun();
  if (synchronous) {
    RunChain(chain);
    return 0;
  }
  {
    std::lock_guard<std::mutex> guard(workerMutex_);
    workerDone_ = false;
  }
  if (!StartThread(worker_, [this, chain] { SynthesisThread(this, chain); })) {
    {
      std::lock_guard<std::mutex> guard(workerMutex_);
      workerDone_ = true;
    }
    control_.SetIdle(true);
    SetLastError(kThreadFailed);
    VLib::ReportError(kThreadFailedText);
    return kThreadFailed;
  }
  return 0;
}

int Tamrin::SpeakToBuffer(std::string text, bool withHeader, char** block, long* size) {
  return SpeakToWave(std::move(text), nullptr, [&](VSpeechBuffer& speech) {
    if (block != nullptr && size != nullptr) speech.GetWave(withHeader, block, size);
  });
}

int Tamrin::SpeakToWave(std::string text, const std::function<void(VSpeechBuffer&)>& prepare,
                        const std::function<void(VSpeechBuffer&)>& finish) {
  bool stopped = false;
  RequestLock lock = BeginRequest(&stopped);
  const int r = RunSynchronously(
      text, kMbrola,
      [&] {
        if (prepare) prepare(speech_);
      },
      stopped);
  if (r == 0 && finish) finish(speech_);
  return r;
}

int Tamrin::SpeakToFile(std::string text, std::string file) {
  bool stopped = false;
  RequestLock lock = BeginRequest(&stopped);
  if (VOutput* save = Output(kSaveWave)) save->SetFileName(file);
  return RunSynchronously(text, kSaveWave, nullptr, stopped);
}

int Tamrin::RunSynchronously(const std::string& text, ModuleId output,
                             const std::function<void()>& beforeChain, bool stopped) {
  SetLastError(0);
  VCharacter* character = GetCharacter();
  if (!IsInitialised() || character == nullptr) {
    SetLastError(kNoFontSelected);
    return kNoFontSelected;
  }
  text_.SetText(text + " .");
  Enable(kTextFeeder, false);
  Enable(kFeeder, false);
  SwitchOutputs({output});
  Enable(kFeederPre, true);
  BeginRun();
  if (beforeChain) beforeChain();
  if (stopped) {
    Reset();
  } else {
    RunChain(character->GetChain());
  }
  // Speech that a stop cut, or never let begin, is not the text's speech.
  if (stopped || control_.IsAborted()) speech_.MarkIncomplete();
  return 0;
}

// ---------------------------------------------------------------------------
// Voice fonts

int Tamrin::SetCharacter(std::string key) {
  RequestLock lock = BeginRequest();
  if (!IsInitialised()) {
    SetLastError(kNoFontSelected);
    return kNoFontSelected;
  }
  return SelectCharacter(key);
}

int Tamrin::SelectCharacter(const std::string& key) {
  SetLastError(0);
  VCharacter* character = pool_.Find(key);
  character_.store(character, std::memory_order_release);
  if (character != nullptr) {
    const int r = character->GetChain()->SetUpAll();
    // Registered again after a set-up that loaded a library, so that the
    // exit handler runs before the static objects of what the set-up loaded
    // are destroyed, as well as the shared resources.
    const unsigned long long loads = LoadedObjectCount();
    bool loadedSince = false;
    {
      std::lock_guard<std::mutex> lock(Live().mutex);
      loadedSince = std::exchange(Live().loadsAtRegistration, loads) != loads;
    }
    if (loadedSince) std::atexit(EndAllAtExit);
    return r;
  }
  VLib::ReportError("Error: character [" + key + "] not found.");
  SetLastError(kFontNotFound);
  return kFontNotFound;
}

int Tamrin::GetCharacterList(std::string& list, int& count) {
  // Before Init and after Finalize the pool is empty.
  if (pool_.Count() == 0) {
    SetLastError(kNoFonts);
    return kNoFonts;
  }
  list.clear();
  for (int i = 0; i < pool_.Count(); ++i) list += pool_.GetName(i) + ";";
  count = pool_.Count();
  return 0;
}

int Tamrin::GetCharacterParameter(const char* fontKey, const char* parameterKey, char** value) {
  SetLastError(0);
  const VCharacter* character = pool_.Find(fontKey != nullptr ? fontKey : "");
  if (character == nullptr) {
    SetLastError(kFontNotFound);
    return kFontNotFound;
  }
  const std::string v = character->GetParameter(parameterKey);
  if (value != nullptr) VStr::Assign(value, v.c_str());
  return 0;
}

int Tamrin::SetParameter(std::string /*key*/, std::string /*value*/) { return 0; }

// ---------------------------------------------------------------------------
// Stop, pause, resume and the references

int Tamrin::Stop() {
  ++stopCalls_;
  return StopRun();
}

int Tamrin::StopRun() {
  if (!IsInitialised()) return 0;
  VControl::Abort();
  control_.SetIdle(true);
  // Every output is stopped; the first failure is the answer.
  int result = 0;
  VisitSoundOutputs([&result](VOutput& output) {
    const int r = output.Stop();
    if (r < 0 && result >= 0) result = r;
    return true;
  });
  // Whatever an output answered, the run is stopped, and a run that waits
  // while paused is released to see the abort.
  control_.SetStopped(true);
  return result;
}

int Tamrin::Pause() {
  SetLastError(0);
  if (!IsInitialised()) return 0;
  control_.SetPaused(true);
  // The outputs up to the first that fails; the last answer is the result.
  int r = 0;
  VisitSoundOutputs([&r](VOutput& output) {
    r = output.Pause();
    return r >= 0;
  });
  if (r < 0) SetLastError(r);
  return r;
}

int Tamrin::Resume() {
  if (!IsInitialised()) return 0;
  int r = 0;
  VisitSoundOutputs([&r](VOutput& output) {
    r = output.Resume();
    return r >= 0;
  });
  if (r < 0) return r;
  control_.SetPaused(false);
  return r;
}

namespace {

// The code of a reference outside [low, high] (NaN counts as too low), or 0.
int ReferenceRangeCode(float value, float low, float high, int tooHigh, int tooLow) {
  if (value > high) return tooHigh;
  if (!(value >= low)) return tooLow;
  return 0;
}

}  // namespace

int Tamrin::SetPitch(float pitch) {
  return SetArrayScale(intonation_, pitch, kPitchTooHigh, kPitchTooLow);
}

int Tamrin::SetSpeed(float speed) {
  return SetArrayScale(duration_, speed, kSpeedTooHigh, kSpeedTooLow);
}

template <class Array>
int Tamrin::SetArrayScale(Array* array, float value, int tooHigh, int tooLow) {
  SetLastError(0);
  int code = ReferenceRangeCode(value, 0.5f, 2.0f, tooHigh, tooLow);
  if (code == 0 && (!IsInitialised() || array == nullptr)) code = kNoFontSelected;
  if (code != 0) {
    SetLastError(code);
    return code;
  }
  array->SetScale(value);
  return 0;
}

int Tamrin::SetVolume(float volume) {
  SetLastError(0);
  int code = ReferenceRangeCode(volume, 0.0f, 2.0f, kVolumeTooHigh, kVolumeTooLow);
  if (code == 0 && !IsInitialised()) code = kNoFontSelected;
  if (code == 0) {
    // Only the MBROLA player output has a volume.
    code = kNoPlayerOutput;
    VisitSoundOutputs([&code, volume](VOutput& output) {
      if (output.SetVolume(volume) != VOutput::kNoVolume) code = 0;
      return true;
    });
    if (code == 0) return 0;
  }
  SetLastError(code);
  return code;
}

int Tamrin::Reset() {
  if (duration_ != nullptr) duration_->Reset();
  if (intonation_ != nullptr) intonation_->Reset();
  speech_.Reset();
  // Tokens of an earlier run or pass point into a text that is gone.
  mlds_.ResetLayers();
  return 1;
}
