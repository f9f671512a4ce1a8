#include "modules/vm_converter.h"

#include "engine/base/VStr.h"
#include "engine/composer/VCharacter.h"
#include "engine/composer/VModuleChain.h"
#include "engine/data/VTextBuffer.h"
#include "engine/shared/VAlphConverter.h"

VM_Converter::VM_Converter(const std::string& name, const char* fileChainKey)
    : VModule(name), fileChainKey_(fileChainKey) {}

VM_Converter::~VM_Converter() = default;

bool VM_Converter::ReleaseResources() {
  converter_.reset();
  return true;
}

bool VM_Converter::Init() {
  converter_ = std::make_unique<VAlphConverter>();
  return true;
}

bool VM_Converter::SetUp() {
  VComposer* composer = GetComposer();
  if (converter_ != nullptr && composer != nullptr) {
    // A missing name has been reported by the converter.
    converter_->ReferToRuleCollections(FontParameter(fileChainKey_).c_str(), composer->GetShared());
  }
  return true;
}

bool VM_Converter::Run() {
  if (VComposer* composer = GetComposer()) {
    VTextBuffer* text = composer->GetText();
    text->SetText(ConvertWhole(text->Str()));
  }
  return true;
}

std::string VM_Converter::Convert(const char* text, int length) const {
  if (converter_ == nullptr) return std::string();
  char* converted = nullptr;
  converter_->Convert(text, length, &converted);
  std::string result = converted != nullptr ? converted : "";
  VStr::Release(&converted);
  return result;
}

std::string VM_Converter::ConvertWhole(const std::string& text) const {
  return Convert(text.c_str(), static_cast<int>(text.size()) + 1);
}

VAlphConverter::Growing VM_Converter::GrowingConversion() const {
  if (converter_ != nullptr) return VAlphConverter::Growing(*converter_);
  const VAlphConverter none;
  return VAlphConverter::Growing(none);
}

void VM_Converter::RunPass(const std::string& text) {
  VComposer* composer = GetComposer();
  if (composer == nullptr) return;
  composer->GetText()->SetText(text);
  if (VCharacter* character = composer->GetCharacter()) character->GetChain()->Run(this);
}
