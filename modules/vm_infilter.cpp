#include "modules/vm_infilter.h"

#include <string>

#include "engine/data/FeatureNames.h"
#include "engine/data/VTextBuffer.h"
#include "engine/shared/TMShared.h"

namespace {

// What closes a phone string that does not end with a break.
constexpr char kClosingBreak = '.';

}  // namespace

VM_InFilter::VM_InFilter() : VModule("VM_InFilter") {}

bool VM_InFilter::Run() {
  VComposer* composer = GetComposer();
  if (composer == nullptr) return true;
  TMShared* shared = composer->GetShared();
  const VSR_PhonePool* phones = shared != nullptr ? shared->GetPhonePool() : nullptr;
  VTextBuffer* text = composer->GetText();
  std::string out;
  out.reserve(static_cast<std::size_t>(text->GetLength()) + 1);
  if (phones != nullptr) {
    for (const char c : text->Str()) {
      if (phones->searchPhone(c, false)) out += c;
    }
    if (!out.empty() && !phones->getPhoneFeature(out.back(), phone_features::kBreak)) {
      out += kClosingBreak;
    }
  }
  text->SetText(out);
  return true;
}
