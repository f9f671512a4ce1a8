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
  TMShared* shared = Shared();
  compiler_ = shared != nullptr ? shared->GetV58Compiler()->FindFor(FontParameter(kCompilerKey),
                                                                    "VM_IntonationV58::SetUp()")
                                : nullptr;
  return true;
}

bool VM_IntonationV58::Run() {
  const int prepared = PrepareCells();
  if (prepared == VIntonation::kNoDuration) return false;
  if (prepared < 0) {
    Log::Error("vm_int_58::Run()@the pitch cells cannot be prepared: [" + std::to_string(prepared) +
               "]");
    return true;
  }
  VLayer* layers[3] = {};
  const char* names[3] = {layers::kPhrase, layers::kWord, layers::kSyllable};
  for (int i = 0; i < 3; ++i) {
    layers[i] = Layer(names[i]);
    if (layers[i] == nullptr) {
      VLib::ReportError(std::string("vm_int_58::Run()@[") + names[i] + "] layer required");
      return false;
    }
  }
  if (compiler_ != nullptr) {
    compiler_->AnalysePhrases(GetComposer(), layers[0], layers[1], layers[2]);
  }
  return true;
}

bool VM_IntonationV58::Release() { return true; }
