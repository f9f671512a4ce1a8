#include "engine/data/_token_.h"

#include <string>

#include "engine/base/Log.h"

void _token_::Set(char* start, char* end, const char* features) {
  start_ = start;
  end_ = end;
  Assign(features != nullptr ? std::string(features) : std::string());
}

const _token_* _token_::at(int n) const {
  const _token_* t = this;
  for (int i = 0; i < n; ++i) {
    t = t->next_;
    if (t == nullptr) {
      Log::Error("const _token_* _token_::at(int pos) const: " + std::to_string(n));
      return nullptr;
    }
  }
  return t;
}

_token_* _token_::at(int n) {
  return const_cast<_token_*>(static_cast<const _token_*>(this)->at(n));
}

void _token_::DeleteChain() {
  _token_* node = next_;
  next_ = nullptr;
  while (node != nullptr) {
    _token_* following = node->next_;
    delete node;
    node = following;
  }
}
