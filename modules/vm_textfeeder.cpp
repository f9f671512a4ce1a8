#include "modules/vm_textfeeder.h"

#include "engine/base/VLib.h"
#include "engine/composer/VControl.h"
#include "engine/data/VTextBuffer.h"

namespace {

constexpr const char* kModuleName = "VM_TextFeeder";
constexpr const char* kChopKey = "VM_TextFeeder.ChopInputText";
constexpr const char* kPassSizeKey = "VM_TextFeeder.OnePassSize";
constexpr const char* kBoundaryKey = "VM_TextFeeder.EndOfSentenceBoundary";
// What every boundary ends with: carriage return, line feed, vertical tab.
constexpr const char* kBoundaryEnd = "\r\n\v";
constexpr const char* kSentenceEnd = ". ";

}  // namespace

VM_TextFeeder::VM_TextFeeder() : VM_Converter(kModuleName, "VM_TextFeeder.FileChain") {}

bool VM_TextFeeder::SetUp() {
  VM_Converter::SetUp();
  chop_ = FontParameter(kChopKey) == "yes";
  passSize_ = VLib::ParseInt(FontParameter(kPassSizeKey));
  boundary_ = FontParameter(kBoundaryKey) + kBoundaryEnd;
  return true;
}

bool VM_TextFeeder::Run() {
  if (!chop_) return VM_Converter::Run();
  return RunChopped();
}

bool VM_TextFeeder::RunChopped() {
  VComposer* composer = GetComposer();
  if (composer == nullptr) return false;
  const std::string text = composer->GetText()->Str();
  if (text.size() < 2) return false;
  const std::size_t last = text.size() - 1;
  const std::size_t size = passSize_ > 0 ? static_cast<std::size_t>(passSize_) : text.size() + 1;
  std::size_t q = 0;
  while (q < last) {
    if (VControl::IsAbort()) return false;
    // The raw text of this pass; it is converted as a whole, never twice.
    std::string raw;
    for (;;) {
      if (VControl::IsAbort()) {
        RunPass(raw);  // the rest of the chain sees the abort at once
        return false;
      }
      if (text.size() - q < size) {
        raw.append(text, q, std::string::npos);
        q = last;
        RunPass(ConvertWhole(raw));
        break;
      }
      std::string piece = text.substr(q, size);
      q += size;
      // Keeps the piece's first n characters and gives the rest back.
      auto keep = [&](std::size_t n) {
        q -= piece.size() - n;
        piece.resize(n);
      };
      std::size_t at = piece.find(boundary_);
      if (at != std::string::npos) {
        keep(at + 1);
        raw += piece;
        continue;
      }
      at = piece.find(kSentenceEnd);
      if (at != std::string::npos) {
        keep(at + 1);
        raw += piece;
        const std::string converted = ConvertWhole(raw);
        if (!converted.empty() && converted.back() == '.') {
          RunPass(converted);
          break;
        }
        continue;
      }
      at = piece.rfind(' ');
      if (at != std::string::npos) keep(at + 1);
      raw += piece;
    }
  }
  return false;
}
