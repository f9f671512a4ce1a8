#include "engine/data/VTextBuffer.h"

#include <cstring>

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
