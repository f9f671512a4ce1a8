#include "modules/vm_textfeeder.h"

#include <cctype>

#include "engine/base/VLib.h"
#include "engine/composer/VComposer.h"
#include "engine/data/VTextBuffer.h"

namespace {

constexpr const char* kModuleName = "VM_TextFeeder";
constexpr const char* kChopKey = "VM_TextFeeder.ChopInputText";
constexpr const char* kPassSizeKey = "VM_TextFeeder.OnePassSize";
constexpr const char* kBoundaryKey = "VM_TextFeeder.EndOfSentenceBoundary";
// What every boundary ends with: carriage return, line feed, vertical tab.
constexpr const char* kBoundaryEnd = "\r\n\v";
constexpr const char* kSentenceEnd = ". ";

// Whether text from q holds anything to be spoken: a letter, a digit or a
// sign (blanks, line ends and full stops, such as the " ." that closes
// every text spoken to the sound card, are not).
bool HoldsSpeech(const std::string& text, std::size_t q) {
  for (std::size_t i = q; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (std::isalnum(c) != 0 || (c >= 0x80 && c != 0xA0)) return true;
  }
  return false;
}

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

void VM_TextFeeder::RunSentencePass(const std::string& text, bool continues, bool more) {
  VComposer* composer = GetComposer();
  VTextBuffer* working = composer != nullptr ? composer->GetText() : nullptr;
  if (working != nullptr) {
    working->SetContinuesSpeech(continues);
    working->SetMoreSpeechFollows(more);
  }
  RunPass(text);
  if (working != nullptr) {
    working->SetContinuesSpeech(false);
    working->SetMoreSpeechFollows(false);
  }
}

bool VM_TextFeeder::RunChopped() {
  VComposer* composer = GetComposer();
  if (composer == nullptr) return false;
  const std::string text = composer->GetText()->Str();
  if (text.size() < 2) return false;
  const std::size_t last = text.size() - 1;
  const std::size_t size = passSize_ > 0 ? static_cast<std::size_t>(passSize_) : text.size() + 1;
  std::size_t q = 0;
  // Every pass after the first continues the speech of the one before.
  bool continues = false;
  while (q < last) {
    if (Aborted()) return false;
    // The raw text of this pass and its conversion, brought up to date as
    // pieces are appended (each character is converted a bounded number of
    // times, however often a sentence end does not end the pass).
    VAlphConverter::Growing pass = GrowingConversion();
    for (;;) {
      if (Aborted()) {
        RunPass(pass.Text());  // the rest of the chain sees the abort at once
        return false;
      }
      if (text.size() - q < size) {
        pass.Append(text.substr(q));
        q = last;
        RunSentencePass(pass.Converted(), continues, false);
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
        pass.Append(piece);
        continue;
      }
      at = piece.find(kSentenceEnd);
      if (at != std::string::npos) {
        keep(at + 1);
        pass.Append(piece);
        const std::string& converted = pass.Converted();
        if (!converted.empty() && converted.back() == '.') {
          RunSentencePass(converted, continues, HoldsSpeech(text, q));
          continues = true;
          break;
        }
        continue;
      }
      at = piece.rfind(' ');
      if (at != std::string::npos) keep(at + 1);
      pass.Append(piece);
    }
  }
  return false;
}
