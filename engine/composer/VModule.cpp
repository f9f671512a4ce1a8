#include "engine/composer/VModule.h"

#include <memory>

#include "engine/base/VLib.h"
#include "engine/composer/VCharacter.h"
#include "engine/composer/VControl.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/data/VLayer.h"
#include "engine/data/VMLDS.h"
#include "engine/shared/TMShared.h"

bool VModule::Aborted() const {
  VComposer* composer = PeekComposer();
  const VControl* control = composer != nullptr ? composer->GetControl() : nullptr;
  return control != nullptr && control->IsAborted();
}

std::string VModule::FontParameter(const std::string& key) const {
  VComposer* composer = PeekComposer();
  const VCharacter* character = composer != nullptr ? composer->GetCharacter() : nullptr;
  return character != nullptr ? character->GetParameter(key) : std::string();
}

float VModule::FloatFontParameter(const std::string& key) const {
  return static_cast<float>(VLib::ParseFloat(FontParameter(key)));
}

TMShared* VModule::Shared() const {
  VComposer* composer = PeekComposer();
  return composer != nullptr ? composer->GetShared() : nullptr;
}

const VSR_PhonePool* VModule::PhoneTable() const {
  TMShared* shared = Shared();
  return shared != nullptr ? shared->GetPhonePool() : nullptr;
}

VDuration* VModule::PreparedDurations() const {
  VComposer* composer = PeekComposer();
  VDuration* duration = composer != nullptr ? composer->GetDuration() : nullptr;
  return duration != nullptr && duration->Prepare() >= VDuration::kPrepared ? duration : nullptr;
}

int VModule::PrepareCells() const {
  VComposer* composer = PeekComposer();
  if (composer == nullptr || composer->GetDuration() == nullptr ||
      composer->GetIntonation() == nullptr) {
    return VIntonation::kNoComposer;
  }
  composer->GetDuration()->Prepare();
  return composer->GetIntonation()->Prepare();
}

VLayer* VModule::Layer(const char* name) const {
  VComposer* composer = PeekComposer();
  VMLDS* mlds = composer != nullptr ? composer->GetMLDS() : nullptr;
  return mlds != nullptr ? mlds->GetLayer(name) : nullptr;
}

bool VModule::CreateLayer(const char* name, int sizeHint) {
  VComposer* composer = GetComposer();
  VMLDS* mlds = composer != nullptr ? composer->GetMLDS() : nullptr;
  if (mlds == nullptr) return false;
  auto layer = std::make_unique<VLayer>(name, &sizeHint);
  if (!mlds->AddLayer(layer.get())) return false;
  layer.release();  // the structure owns it now
  return true;
}
