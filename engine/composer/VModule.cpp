#include "engine/composer/VModule.h"

#include <memory>

#include "engine/base/VLib.h"
#include "engine/composer/VCharacter.h"
#include "engine/data/VLayer.h"
#include "engine/data/VMLDS.h"
#include "engine/shared/TMShared.h"

std::string VModule::Setting(const char* key) const {
  VComposer* composer = GetComposer();
  const VCharacter* character = composer != nullptr ? composer->GetCharacter() : nullptr;
  return character != nullptr ? character->GetParameter(key) : std::string();
}

float VModule::FloatSetting(const char* key) const {
  return static_cast<float>(VLib::ParseFloat(Setting(key)));
}

const VSR_PhonePool* VModule::PhoneTable() const {
  VComposer* composer = PeekComposer();
  TMShared* shared = composer != nullptr ? composer->GetShared() : nullptr;
  return shared != nullptr ? shared->GetPhonePool() : nullptr;
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
