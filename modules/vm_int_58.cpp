#include "modules/vm_int_58.h"

#include <string>

#include "engine/base/Log.h"
#include "engine/base/VLib.h"
#include "engine/data/FeatureNames.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/data/VLayer.h"
#include "engine/shared/TMShared.h"

VM_IntonationV58::VM_IntonationV58() : VModule("VM_IntonationV58") {}

bool VM_IntonationV58::ReleaseResources() {
  compiler_ = nullptr;
  return true;
}

bool VM_IntonationV58::Init() { return true; }

bool VM_IntonationV58::SetUp() {
  compiler_ = nullptr;
  const std::string name = Setting(kCompilerKey);
  VComposer* composer = GetComposer();
  TMShared* shared = composer != nullptr ? composer->GetShared() : nullptr;
  if (shared != nullptr) compiler_ = shared->GetV58Compiler()->Find(name);
  if (compiler_ == nullptr) {
    Log::Error("VM_IntonationV58::SetUp()@no V58 templates named [" + name +
               "]: the pitch stays unchanged");
  }
  return true;
}

bool VM_IntonationV58::Run() {
  VComposer* composer = GetComposer();
  if (composer == nullptr || composer->GetDuration() == nullptr) return false;
  composer->GetDuration()->Prepare();
  VIntonation* intonation = composer->GetIntonation();
  const int prepared = intonation != nullptr ? intonation->Prepare() : VIntonation::kNoDuration;
  if (prepared == VIntonation::kNoDuration) return false;
  if (prepared < 0) {
    Log::Error("vm_int_58::Run()@the pitch cells cannot be prepared: [" + std::to_string(prepared) +
               "]");
    return true;
  }
  VLayer* layers[3] = {};
  const char* names[3] = {layer::kPhrase, layer::kWord, layer::kSyllable};
  for (int i = 0; i < 3; ++i) {
    layers[i] = Layer(names[i]);
    if (layers[i] == nullptr) {
      VLib::ReportError(std::string("vm_int_58::Run()@[") + names[i] + "] layer required");
      return false;
    }
  }
  if (compiler_ != nullptr) compiler_->AnalysePhrases(composer, layers[0], layers[1], layers[2]);
  return true;
}

bool VM_IntonationV58::Release() { return true; }
