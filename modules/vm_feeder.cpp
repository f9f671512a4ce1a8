#include "modules/vm_feeder.h"

#include <algorithm>
#include <string_view>

#include "engine/base/VLib.h"
#include "engine/data/VTextBuffer.h"

namespace {

constexpr const char* kChopKey = "VM_Feeder.ChopInputText";
constexpr const char* kPassSizeKey = "VM_Feeder.OnePassSize";
// The characters that end a segment (the full stop is not one of them).
constexpr std::string_view kDelimiters = ";!?\r\t\v\n";
// The marks that end a sentence when a blank follows them.
constexpr std::string_view kSentenceMarks = ".;!?:+/";

}  // namespace

VM_Feeder::VM_Feeder() : VM_Converter("VM_Feeder", "VM_Feeder.FileChain") {}

bool VM_Feeder::SetUp() {
  VM_Converter::SetUp();
  chop_ = FontParameter(kChopKey) == "yes";
  passSize_ = VLib::ParseInt(FontParameter(kPassSizeKey));
  return true;
}

bool VM_Feeder::Run() {
  VComposer* composer = GetComposer();
  if (composer == nullptr) return true;
  copy_ = composer->GetText()->Str();
  if (!chop_) return VM_Converter::Run();
  return RunChopped();
}

bool VM_Feeder::RunChopped() {
  std::size_t q = 0;
  while (q < copy_.size()) {
    if (Aborted()) return false;
    const std::size_t end =
        std::min(copy_.find_first_of(kDelimiters.data(), q, kDelimiters.size()), copy_.size());
    const std::size_t n = end - q;
    if (n == 0) {
      ++q;  // a delimiter after a delimiter makes no pass
      continue;
    }
    std::string pass;
    if (passSize_ <= 0 || n <= static_cast<std::size_t>(passSize_)) {
      // The segment with the delimiter that ends it (at the end of the text,
      // with the terminating zero).
      pass = Convert(copy_.c_str() + q, static_cast<int>(n) + 1);
      q = end < copy_.size() ? end + 1 : end;
    } else {
      const std::size_t w = Window(q, n);
      pass = Convert(copy_.c_str() + q, static_cast<int>(w));
      q += w;
    }
    RunPass(pass);
  }
  return false;
}

std::size_t VM_Feeder::Window(std::size_t q, std::size_t n) const {
  const auto size = static_cast<std::size_t>(passSize_);
  for (std::size_t grown = size;; grown += size) {
    std::size_t w = std::min(grown, n);
    if (w == n) {
      const std::size_t cut = SentenceCut(q, w, Convert(copy_.c_str() + q, static_cast<int>(w)));
      return cut > 0 ? cut : n;
    }
    if (copy_[q + w - 1] != ' ') {
      // The window ends after its last blank; without one it grows.
      const std::size_t blank = copy_.rfind(' ', q + w - 1);
      if (blank == std::string::npos || blank < q) continue;
      w = blank - q + 1;
    }
    const std::size_t cut = SentenceCut(q, w, Convert(copy_.c_str() + q, static_cast<int>(w)));
    if (cut > 0) return cut;
  }
}

std::size_t VM_Feeder::SentenceCut(std::size_t q, std::size_t w,
                                   const std::string& converted) const {
  const std::size_t c = converted.size();
  if (c < w || w <= 1) return 0;
  for (std::size_t j = 1; j < w; ++j) {
    const char raw = copy_[q + w - j];
    const char conv = converted[c - j];
    if (raw != conv) return 0;
    if (q + w - j + 1 == copy_.size()) return w;
    if (conv == ' ' && kSentenceMarks.find(converted[c - j - 1]) != std::string_view::npos) {
      return w - j;
    }
  }
  return 0;
}
