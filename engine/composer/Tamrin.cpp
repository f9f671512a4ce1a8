#include "engine/composer/Tamrin.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <iterator>
#include <system_error>
#include <utility>

#include "engine/base/VLib.h"
#include "engine/base/VStr.h"
#include "engine/composer/VCharacter.h"
#include "engine/composer/VModuleChain.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/shared/TMShared.h"
#include "modules/vm_dur_filter.h"
#include "modules/vm_dur_tristate.h"
#include "modules/vm_dur_wrd.h"
#include "modules/vm_feeder.h"
#include "modules/vm_feederpost.h"
#include "modules/vm_feederpre.h"
#include "modules/vm_filterplain.h"
#include "modules/vm_genpho.h"
#include "modules/vm_grgrammar.h"
#include "modules/vm_infilter.h"
#include "modules/vm_int_58.h"
#include "modules/vm_int_syl.h"
#include "modules/vm_mbrola.h"
#include "modules/vm_phonemizer.h"
#include "modules/vm_phrasation.h"
#include "modules/vm_playback.h"
#include "modules/vm_savewavembr.h"
#include "modules/vm_sentencation.h"
#include "modules/vm_smoothf0.h"
#include "modules/vm_speechout_mbr.h"
#include "modules/vm_speller.h"
#include "modules/vm_syllablation_formal.h"
#include "modules/vm_textfeeder.h"
#include "modules/vm_us_english.h"
#include "modules/vm_user_tophones.h"
#include "modules/vm_usertogreek.h"
#include "modules/vm_wordation.h"
#include "platform/MessageBox.h"

namespace {

// How often a waiting request looks whether the run it waits for is paused.
constexpr auto kRequestPoll = std::chrono::milliseconds(2);

constexpr const char* kDefaultFontKey = "Default.VoiceFont";
constexpr const char* kPlaybackKey = "Playback.Method";
constexpr const char* kNoPlayback = "***NO PLAYBACK HAS BEEN SELECTED***";
constexpr const char* kErrorFileReadOnly = "TamrinError file is read-only.";
constexpr const char* kThreadFailedText = "Error starting the speech thread.";

template <class T>
VModule* Make() {
  return new T();
}

struct ModuleInfo {
  const char* name;
  VModule* (*make)();
};

// The 27 modules in the order of Tamrin::ModuleId.
const ModuleInfo kModules[Tamrin::kModuleCount] = {
    {"VM_Feeder", &Make<VM_Feeder>},
    {"VM_FeederPre", &Make<VM_FeederPre>},
    {"VM_FeederPost", &Make<VM_FeederPost>},
    {"VM_UsEnglish", &Make<VM_UsEnglish>},
    {"VM_InFilter", &Make<VM_InFilter>},
    {"VM_LayerSyllable", &Make<VM_LayerSyllable>},
    {"VM_LayerWord", &Make<VM_LayerWord>},
    {"VM_LayerPhrase", &Make<VM_LayerPhrase>},
    {"VM_LayerSentence", &Make<VM_LayerSentence>},
    {"VM_DurationTriState", &Make<VM_DurationTriState>},
    {"VM_Mbrola", &Make<VM_Mbrola>},
    {"VM_DurationWord", &Make<VM_DurationWord>},
    {"VM_IntonationSyllable", &Make<VM_IntonationSyllable>},
    {"VM_IntonationV58", &Make<VM_IntonationV58>},
    {"VM_SmoothF0", &Make<VM_SmoothF0>},
    {"VM_UserToGreek", &Make<VM_UserToGreek>},
    {"VM_User_ToPhones", &Make<VM_User_ToPhones>},
    {"VM_Playback", &Make<VM_Playback>},
    {"VM_Speller", &Make<VM_Speller>},
    {"VM_DurationFilter", &Make<VM_DurationFilter>},
    {"VM_Phonemizer", &Make<VM_Phonemizer>},
    {"VM_FilterPlain", &Make<VM_FilterPlain>},
    {"VM_GrGrammar", &Make<VM_GrGrammar>},
    {"VM_TextFeeder", &Make<VM_TextFeeder>},
    {"VM_GeneratorPHO", &Make<VM_GeneratorPHO>},
    {"VM_SpeechOut_Mbr", &Make<VM_SpeechOut_Mbr>},
    {"VM_SaveWave", &Make<VM_SaveWave>},
};

// The order of registration, which is also the order of the modules' Init.
// VM_User_ToPhones is created but never registered.
constexpr Tamrin::ModuleId kRegistration[] = {
    Tamrin::kTextFeeder,         Tamrin::kFeeder,        Tamrin::kSpeller,
    Tamrin::kFeederPre,          Tamrin::kUserToGreek,   Tamrin::kUsEnglish,
    Tamrin::kFeederPost,         Tamrin::kFilterPlain,   Tamrin::kPhonemizer,
    Tamrin::kInFilter,           Tamrin::kLayerSyllable, Tamrin::kLayerWord,
    Tamrin::kLayerPhrase,        Tamrin::kLayerSentence, Tamrin::kGrGrammar,
    Tamrin::kDurationTriState,   Tamrin::kDurationWord,  Tamrin::kDurationFilter,
    Tamrin::kIntonationSyllable, Tamrin::kIntonationV58, Tamrin::kSmoothF0,
    Tamrin::kGeneratorPHO,       Tamrin::kSpeechOutMbr,  Tamrin::kMbrola,
    Tamrin::kPlayback,           Tamrin::kSaveWave,
};

}  // namespace

const char* Tamrin::ModuleName(ModuleId id) {
  return id >= 0 && id < kModuleCount ? kModules[id].name : "";
}

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
  if (key.empty() && shared_ != nullptr)
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
  directory_.ReleaseAll();
  // The directory never held it.
  delete modules_[kUserToPhones];
  std::fill(std::begin(modules_), std::end(modules_), nullptr);
  pool_.Clear();
  mlds_.Clear();
  holdsParts_ = false;
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

VModule* Tamrin::CreateModule(ModuleId id) { return kModules[id].make(); }

void Tamrin::CreateModules() {
  for (int i = 0; i < kModuleCount; ++i) modules_[i] = CreateModule(static_cast<ModuleId>(i));
}

void Tamrin::RegisterModules() {
  for (ModuleId id : kRegistration) {
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
  for (int i = 0; i < directory_.Count(); ++i) {
    if (directory_.At(i) == module) return false;
  }
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

Tamrin::RequestLock Tamrin::BeginRequest() {
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

void Tamrin::BeginRun() {
  control_.SetSpeaking(true);
  VControl::SetAbort(false);
}

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

int Tamrin::Speak(std::string text, bool synchronous) {
  RequestLock lock = BeginRequest();
  SetLastError(0);
  text_.SetText("");
  VCharacter* character = GetCharacter();
  if (!IsInitialised() || character == nullptr) {
    SetLastError(kNoFontSelected);
    return kNoFontSelected;
  }
  text += " .";
  text_.SetText(text);

  Enable(kTextFeeder, true);
  Enable(kFeeder, false);
  Enable(kSaveWave, false);
  Enable(kFeederPre, false);
  const std::string method = character->GetParameter(kPlaybackKey);
  const bool inProcess = method == "cplayback";
  const bool player = method == "mbrola";
  if (!inProcess && !player) VLib::Trace(kNoPlayback, "a", true);
  Enable(kMbrola, inProcess);
  Enable(kSpeechOutMbr, player);
  Enable(kPlayback, inProcess);

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
  RequestLock lock = BeginRequest();
  const int r = RunSynchronously(text, kMbrola);
  if (r == 0 && block != nullptr && size != nullptr) speech_.GetWave(withHeader, block, size);
  return r;
}

int Tamrin::SpeakToFile(std::string text, std::string file) {
  RequestLock lock = BeginRequest();
  if (auto* save = dynamic_cast<VM_SaveWave*>(modules_[kSaveWave])) save->SetFileName(file);
  return RunSynchronously(text, kSaveWave);
}

int Tamrin::RunSynchronously(const std::string& text, ModuleId output) {
  SetLastError(0);
  VCharacter* character = GetCharacter();
  if (!IsInitialised() || character == nullptr) {
    SetLastError(kNoFontSelected);
    return kNoFontSelected;
  }
  text_.SetText(text + " .");
  Enable(kTextFeeder, false);
  Enable(kFeeder, false);
  for (ModuleId id : {kMbrola, kSpeechOutMbr, kPlayback, kSaveWave}) Enable(id, id == output);
  Enable(kFeederPre, true);
  BeginRun();
  RunChain(character->GetChain());
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
  if (character != nullptr) return character->GetChain()->SetUpAll();
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

int Tamrin::Stop() { return StopRun(); }

int Tamrin::StopRun() {
  if (!IsInitialised()) return 0;
  VControl::SetAbort(true);
  control_.SetIdle(true);
  int result = 0;
  if (IsEnabled(kSpeechOutMbr)) {
    if (auto* out = dynamic_cast<VM_SpeechOut_Mbr*>(modules_[kSpeechOutMbr])) {
      const int r = out->Stop();
      if (r < 0) result = r;
    }
  }
  if (IsEnabled(kPlayback)) {
    if (auto* playback = dynamic_cast<VM_Playback*>(modules_[kPlayback])) {
      const int r = playback->Stop();
      if (r < 0 && result >= 0) result = r;
    }
  }
  // Whatever an output answered, the run is stopped, and a run that waits
  // while paused is released to see the abort.
  control_.SetStopped(true);
  return result;
}

int Tamrin::Pause() {
  SetLastError(0);
  if (!IsInitialised()) return 0;
  control_.SetPaused(true);
  int r = 0;
  if (IsEnabled(kSpeechOutMbr)) {
    if (auto* out = dynamic_cast<VM_SpeechOut_Mbr*>(modules_[kSpeechOutMbr])) {
      r = out->Stop();
      if (r < 0) {
        SetLastError(r);
        return r;
      }
    }
  }
  if (IsEnabled(kPlayback)) {
    if (auto* playback = dynamic_cast<VM_Playback*>(modules_[kPlayback])) {
      r = playback->Stop();
      if (r < 0) {
        SetLastError(r);
        return r;
      }
    }
  }
  return r;
}

int Tamrin::Resume() {
  if (!IsInitialised()) return 0;
  int r = 0;
  if (IsEnabled(kSpeechOutMbr)) {
    if (auto* out = dynamic_cast<VM_SpeechOut_Mbr*>(modules_[kSpeechOutMbr])) {
      r = out->Play(nullptr);
      if (r < 0) return r;
    }
  }
  if (IsEnabled(kPlayback)) {
    if (auto* playback = dynamic_cast<VM_Playback*>(modules_[kPlayback])) {
      r = playback->PlayBlock();
      if (r < 0) return r;
    }
  }
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
    // The volume reaches only the MBROLA player output.
    code = kNoPlayerOutput;
    if (IsEnabled(kSpeechOutMbr)) {
      if (auto* out = dynamic_cast<VM_SpeechOut_Mbr*>(modules_[kSpeechOutMbr])) {
        out->SetVolume(volume);
        return 0;
      }
    }
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
