#include "modules/vm_us_english.h"

#include "engine/base/VLib.h"
#include "engine/shared/TMShared.h"
#include "support/alphconv.h"

namespace {

constexpr const char* kL2sKey = "VM_UsEnglish.L2s";
// The report of a missing collection names this file with this fixed number
// after the colon; it is part of the report's text, not a line of the file.
constexpr int kMissingL2sLine = 63;

}  // namespace

VM_UsEnglish::VM_UsEnglish()
    : VM_WordReplacer("VM_UsEnglish",
                      {"VM_UsEnglish.Lexicon", "VM_UsEnglish.Delimiters", true, true}) {}

bool VM_UsEnglish::BindMore() {
  VComposer* composer = GetComposer();
  TMShared* shared = composer != nullptr ? composer->GetShared() : nullptr;
  const std::string name = FontParameter(kL2sKey);
  l2s_ = shared != nullptr ? shared->GetAC()->Find(name) : nullptr;
  if (l2s_ != nullptr) return true;
  VLib::ReportError(std::string(__FILE__) + ":" + std::to_string(kMissingL2sLine) + "\n\t" + name);
  return false;
}

void VM_UsEnglish::AppendUnknown(const std::string& word, std::string& out) const {
  if (l2s_ == nullptr) {
    out += word;
    return;
  }
  out += l2s_->convertToString(word, -1);
}
