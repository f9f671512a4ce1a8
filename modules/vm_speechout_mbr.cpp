#include "modules/vm_speechout_mbr.h"

#include <dlfcn.h>

#include <algorithm>

#include "engine/base/Log.h"
#include "engine/base/VLib.h"
#include "engine/composer/VCharacter.h"
#include "engine/composer/VComposer.h"
#include "engine/composer/VControl.h"
#include "modules/vm_genpho.h"
#include "modules/vm_mbrola.h"

namespace {

constexpr const char* kModuleName = "VM_SpeechOut_Mbr";
// The size of the buffer that receives the player's error text.
constexpr int kErrorTextSize = 200;

template <typename F>
void Bind(void* handle, F& f, const char* name) {
  f = reinterpret_cast<F>(::dlsym(handle, name));
}

}  // namespace

const char* const MbrPlayApi::kNames[MbrPlayApi::kCount] = {
    "MBR_SetDatabase", "MBR_SetCallbackMsgBase", "MBR_Play",      "MBR_WaitForEnd",
    "MBR_Stop",        "MBR_SetVolumeRatio",     "MBR_LastError",
};

bool MbrPlayApi::IsComplete() const {
  const bool set[kCount] = {
      MBR_SetDatabase != nullptr, MBR_SetCallbackMsgBase != nullptr,
      MBR_Play != nullptr,        MBR_WaitForEnd != nullptr,
      MBR_Stop != nullptr,        MBR_SetVolumeRatio != nullptr,
      MBR_LastError != nullptr,
  };
  return std::count(set, set + kCount, true) == kCount;
}

// ---------------------------------------------------------------------------
// The library

bool MbrPlayLibrary::Load() {
  if (given_) return api_.IsComplete();
  if (handle_ != nullptr) return true;
  const std::string path = VLib::MakePath(MbrPlayApi::kLibraryPath);
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    Log::Module(MbrPlayApi::kLibraryName, false);
    return false;
  }
  Bind(handle_, api_.MBR_SetDatabase, MbrPlayApi::kNames[0]);
  Bind(handle_, api_.MBR_SetCallbackMsgBase, MbrPlayApi::kNames[1]);
  Bind(handle_, api_.MBR_Play, MbrPlayApi::kNames[2]);
  Bind(handle_, api_.MBR_WaitForEnd, MbrPlayApi::kNames[3]);
  Bind(handle_, api_.MBR_Stop, MbrPlayApi::kNames[4]);
  Bind(handle_, api_.MBR_SetVolumeRatio, MbrPlayApi::kNames[5]);
  Bind(handle_, api_.MBR_LastError, MbrPlayApi::kNames[6]);
  if (api_.IsComplete()) return true;
  Unload();
  VLib::ReportError(VM_Mbrola::kMissingFunction);
  return false;
}

void MbrPlayLibrary::Unload() {
  if (handle_ == nullptr) return;
  ::dlclose(handle_);
  handle_ = nullptr;
  api_ = MbrPlayApi();
}

void MbrPlayLibrary::SetDatabase(const std::string& path) const {
  if (api_.MBR_SetDatabase != nullptr) api_.MBR_SetDatabase(path.c_str());
}

void MbrPlayLibrary::SetCallbackMsgBase(int base) const {
  if (api_.MBR_SetCallbackMsgBase != nullptr) api_.MBR_SetCallbackMsgBase(base);
}

void MbrPlayLibrary::Play(const char* text, uint32_t flags, const char* file,
                          MBR_Callback callback) const {
  if (api_.MBR_Play != nullptr) api_.MBR_Play(text, flags, file, callback);
}

void MbrPlayLibrary::WaitForEnd() const {
  if (api_.MBR_WaitForEnd != nullptr) api_.MBR_WaitForEnd();
}

void MbrPlayLibrary::Stop() const {
  if (api_.MBR_Stop != nullptr) api_.MBR_Stop();
}

void MbrPlayLibrary::SetVolumeRatio(float ratio) const {
  if (api_.MBR_SetVolumeRatio != nullptr) api_.MBR_SetVolumeRatio(ratio);
}

int MbrPlayLibrary::CheckError(std::string* why) const {
  if (api_.MBR_LastError == nullptr) return 0;
  const int code = api_.MBR_LastError(nullptr, 0);
  if (code >= 0) return code;
  char text[kErrorTextSize] = {};
  api_.MBR_LastError(text, kErrorTextSize);
  text[kErrorTextSize - 1] = '\0';
  Log::Error2(VM_Mbrola::kErrorPrefix, text);
  if (why != nullptr) *why = text;
  return code;
}

// ---------------------------------------------------------------------------
// The module

VM_SpeechOut_Mbr::VM_SpeechOut_Mbr() : VModule(kModuleName) {}

VM_SpeechOut_Mbr::VM_SpeechOut_Mbr(const MbrPlayApi& api) : VModule(kModuleName), library_(api) {}

VM_SpeechOut_Mbr::~VM_SpeechOut_Mbr() {
  library_.Stop();
  library_.WaitForEnd();
}

bool VM_SpeechOut_Mbr::ReleaseResources() {
  library_.Stop();
  library_.WaitForEnd();
  return true;
}

bool VM_SpeechOut_Mbr::Init() { return true; }

bool VM_SpeechOut_Mbr::SetUp() {
  VComposer* composer = GetComposer();
  const VCharacter* character = composer != nullptr ? composer->GetCharacter() : nullptr;
  auto yes = [character](const char* key) {
    return character != nullptr && character->GetParameter(key) == "yes";
  };
  library_.Load();
  library_.SetDatabase(
      VLib::MakePath(character != nullptr ? character->GetParameter(kDatabaseKey) : std::string()));
  outputToFile_ = yes(kOutputToFileKey);
  outputToBoard_ = yes(kOutputToBoardKey);
  outputToBuffer_ = yes(kOutputToBufferKey);
  outputWave_ = yes(kOutputWaveKey);
  synchronous_ = yes(kSynchronousKey);
  callback1_ = yes(kCallback1Key);
  callback2_ = yes(kCallback2Key);
  generator_ = composer != nullptr ? VM_GeneratorPHO::Find(composer) : nullptr;
  library_.SetCallbackMsgBase(kMessageBase);
  library_.CheckError();
  if (composer != nullptr) composer->GetControl()->SetStopped(true);
  return true;
}

bool VM_SpeechOut_Mbr::Run() {
  VComposer* composer = GetComposer();
  VControl* control = composer != nullptr ? composer->GetControl() : nullptr;
  for (;;) {
    library_.WaitForEnd();
    if (Aborted()) return true;
    if (control != nullptr) control->WaitWhilePaused();
    if (Aborted()) return true;
    StartPlay(generator_ != nullptr ? generator_->GetPho().c_str() : "");
    std::string why;
    if (library_.CheckError(&why) == MBRP_ERR_DEVICE) ReportNoSoundOutput(why);
    // A stop or pause that came after the looks above may have reached the
    // player before this play started, and so stopped nothing: the composer
    // counts the stop or sets the pause before it stops the player, so it is
    // seen here.
    const bool paused = control != nullptr && control->IsPaused();
    if (!Aborted() && !paused) break;
    library_.Stop();
    if (Aborted()) return true;
    // Paused: the pass is held and played again once resumed.
  }
  if (synchronous_) library_.WaitForEnd();
  return true;
}

bool VM_SpeechOut_Mbr::Release() { return true; }

int VM_SpeechOut_Mbr::Play(const char* text) {
  VComposer* composer = GetComposer();
  if (text == nullptr) {
    if (composer != nullptr) composer->GetControl()->SetPlaying(true);
    return 0;
  }
  StartPlay(text);
  if (synchronous_) library_.WaitForEnd();
  return 0;
}

void VM_SpeechOut_Mbr::StartPlay(const char* text) {
  VComposer* composer = GetComposer();
  if (composer != nullptr) composer->GetControl()->StartPlaying();
  // Run waited for the previous play: its text may be replaced now.
  playing_ = text;
  // The caller waits for a synchronous play itself, after its last look
  // at the stop and pause requests.
  library_.Play(playing_.c_str(), PlayFlags() & ~kFlagSynchronous, nullptr, &PlayCallback);
}

int VM_SpeechOut_Mbr::Stop() {
  library_.Stop();
  return 0;
}

int VM_SpeechOut_Mbr::SetVolume(float ratio) {
  library_.SetVolumeRatio(ratio);
  return 0;
}

uint32_t VM_SpeechOut_Mbr::PlayFlags() const {
  uint32_t flags = 0;
  if (synchronous_) flags |= kFlagSynchronous;
  if (outputToFile_) flags |= kFlagFile;
  if (!outputToBoard_ && !outputToFile_) flags |= kFlagNoOutput;
  if (callback1_) flags |= kFlagCallback1;
  if (callback2_) flags |= kFlagCallback2;
  return flags;
}

int VM_SpeechOut_Mbr::PlayCallback(uint32_t, uint32_t, int32_t) { return 0; }
