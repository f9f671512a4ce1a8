#include "modules/vm_filterplain.h"

#include <string>

#include "engine/data/VTextBuffer.h"

namespace {

constexpr const char* kAllowedKey = "VM_FilterPlain.AllowedCharacters";
// What every line end becomes.
constexpr char kLineEndMark = '#';

}  // namespace

VM_FilterPlain::VM_FilterPlain() : VModule("VM_FilterPlain") {}

bool VM_FilterPlain::ReleaseResources() {
  allowed_.reset();
  return true;
}

bool VM_FilterPlain::Init() {
  allowed_.reset();
  return true;
}

bool VM_FilterPlain::SetUp() {
  allowed_.reset();
  for (const char c : FontParameter(kAllowedKey)) allowed_.set(static_cast<unsigned char>(c));
  return true;
}

bool VM_FilterPlain::Run() {
  VComposer* composer = GetComposer();
  if (composer == nullptr) return true;
  const std::string& text = composer->GetText()->Str();
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\n' || c == '\r') {
      out += kLineEndMark;
    } else if (allowed_[static_cast<unsigned char>(c)]) {
      out += c;
    }
  }
  composer->GetFilteredText()->SetText(out);
  composer->GetText()->SetText(out);
  return true;
}
