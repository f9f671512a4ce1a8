#include "modules/vm_savewavembr.h"

#include "engine/base/VLib.h"
#include "engine/composer/VCharacter.h"
#include "engine/composer/VComposer.h"
#include "modules/vm_genpho.h"

namespace {
constexpr const char* kModuleName = "VM_SaveWave";
}  // namespace

VM_SaveWave::VM_SaveWave() : VModule(kModuleName) {}

VM_SaveWave::VM_SaveWave(const MbrPlayApi& api) : VModule(kModuleName), library_(api) {}

VM_SaveWave::~VM_SaveWave() { library_.WaitForEnd(); }

bool VM_SaveWave::ReleaseResources() {
  library_.WaitForEnd();
  return true;
}

bool VM_SaveWave::Init() { return true; }

std::string VM_SaveWave::DatabasePath() const {
  VComposer* composer = GetComposer();
  const VCharacter* character = composer != nullptr ? composer->GetCharacter() : nullptr;
  return VLib::MakePath(character != nullptr ? character->GetParameter(kDatabaseKey) : "");
}

bool VM_SaveWave::SetUp() {
  library_.Load();
  library_.SetDatabase(DatabasePath());
  VComposer* composer = GetComposer();
  generator_ = composer != nullptr ? VM_GeneratorPHO::Find(composer) : nullptr;
  library_.SetCallbackMsgBase(VM_SpeechOut_Mbr::kMessageBase);
  library_.CheckError();
  return true;
}

bool VM_SaveWave::Run() {
  library_.WaitForEnd();
  library_.SetDatabase(DatabasePath());
  if (!fileName_.empty()) {
    // The module keeps the text that it hands to the player.
    playing_ = generator_ != nullptr ? generator_->GetPho() : "";
    library_.Play(playing_.c_str(), kSaveFlags, fileName_.c_str(), nullptr);
  }
  library_.CheckError();
  return true;
}

bool VM_SaveWave::Release() { return true; }
