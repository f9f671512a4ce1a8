#include "engine/data/VTextBuffer.h"

#include <cstring>
#include <functional>

void VTextBuffer::SetText(const char* text, int length) {
  if (text == nullptr) {
    text_.clear();
    return;
  }
  size_t n = 0;
  if (length < 0) {
    n = std::strlen(text);
  } else {
    // Stop at the source's terminator when it comes before length.
    n = strnlen(text, static_cast<size_t>(length));
  }
  // Build the new text before the old one goes: text may point into it.
  std::string copy(text, n);
  text_.swap(copy);
}

int VTextBuffer::IndexOf(const char* pos) const {
  const std::less<const char*> before;
  const char* first = text_.data();
  if (before(pos, first) || !before(pos, first + text_.size())) return -1;
  return static_cast<int>(pos - first);
}
