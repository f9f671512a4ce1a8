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

bool _feature_list_::Get(const char* name, std::string& out) const {
  if (features_.empty() || name == nullptr) return false;
  const std::string key = std::string(name) + ":";
  // A pair starts the list or follows a tab, so "stressed" is not found
  // inside "unstressed:0".
  size_t at = 0;
  for (;;) {
    at = features_.find(key, at);
    if (at == std::string::npos) return false;
    if (at == 0 || features_[at - 1] == '\t') break;
    ++at;
  }
  const size_t begin = at + key.size();
  if (begin >= features_.size()) return false;
  size_t end = features_.find_first_of("\t\n", begin);
  if (end == std::string::npos) end = features_.size();
  if (end == begin) return false;
  out = features_.substr(begin, end - begin);
  return true;
}

bool _feature_list_::Get(const char* name, char** out) const {
  std::string value;
  if (out == nullptr || !Get(name, value)) return false;
  *out = VStr::Duplicate(value.c_str());
  return true;
}

bool _feature_list_::Is(const char* name, const char* value) const {
  std::string found;
  return value != nullptr && Get(name, found) && found == value;
}

const char* _feature_list_::Contains(const char* text) const {
  if (features_.empty() || text == nullptr) return nullptr;
  const size_t at = features_.find(text);
  return at == std::string::npos ? nullptr : features_.c_str() + at;
}
