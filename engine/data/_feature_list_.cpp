#include "engine/data/_feature_list_.h"

#include <cstring>

#include "engine/base/VStr.h"

bool _feature_list_::Set(const char* name, const char* value) {
  if (name == nullptr || name[0] == '\0') return false;
  if (!features_.empty()) features_ += '\t';
  features_ += name;
  features_ += ':';
  if (value != nullptr) features_ += value;
  return true;
}

bool _feature_list_::Find(const char* name, std::size_t* begin, std::size_t* length) const {
  if (features_.empty() || name == nullptr) return false;
  // "name:" where a pair starts: the list's start or after a tab, so that
  // "stressed" is not found inside "unstressed:0". No text is built.
  const std::size_t n = std::strlen(name);
  std::size_t at = 0;
  for (;; ++at) {
    at = features_.find(name, at, n);
    if (at == std::string::npos || at + n >= features_.size()) return false;
    if ((at == 0 || features_[at - 1] == '\t') && features_[at + n] == ':') break;
  }
  const std::size_t first = at + n + 1;
  if (first >= features_.size()) return false;
  std::size_t end = features_.find_first_of("\t\n", first);
  if (end == std::string::npos) end = features_.size();
  if (end == first) return false;
  *begin = first;
  *length = end - first;
  return true;
}

bool _feature_list_::Get(const char* name, std::string& out) const {
  std::size_t begin = 0;
  std::size_t length = 0;
  if (!Find(name, &begin, &length)) return false;
  out.assign(features_, begin, length);
  return true;
}

bool _feature_list_::Get(const char* name, char** out) const {
  std::string value;
  if (out == nullptr || !Get(name, value)) return false;
  *out = VStr::Duplicate(value.c_str());
  return true;
}

bool _feature_list_::Is(const char* name, const char* value) const {
  std::size_t begin = 0;
  std::size_t length = 0;
  return value != nullptr && Find(name, &begin, &length) && std::strlen(value) == length &&
         features_.compare(begin, length, value) == 0;
}

const char* _feature_list_::Contains(const char* text) const {
  if (features_.empty() || text == nullptr) return nullptr;
  const size_t at = features_.find(text);
  return at == std::string::npos ? nullptr : features_.c_str() + at;
}
