// The features of a token or a phone: one text of "name:value" pairs joined
// by tabs, in the order in which they were set.
#pragma once

#include <cstddef>
#include <string>

class _feature_list_ {
 public:
  _feature_list_() = default;
  _feature_list_(const _feature_list_&) = default;
  _feature_list_& operator=(const _feature_list_&) = default;
  virtual ~_feature_list_() = default;

  // Appends name:value (a second pair when the name is set already). False
  // for a null or empty name; a null value counts as "".
  bool Set(const char* name, const char* value);
  bool SetFlag(const char* name) { return Set(name, "1"); }

  // The value of the first pair of that name (the name must start the list
  // or follow a tab). On success *out receives a new block, released with
  // VStr::Release; on failure *out is unchanged. An empty value fails.
  bool Get(const char* name, char** out) const;
  // The same, by value: true and the value in out.
  bool Get(const char* name, std::string& out) const;
  // Whether the first pair of that name has exactly that value.
  bool Is(const char* name, const char* value) const;
  // The first occurrence of text anywhere in the features (a plain
  // substring search); null when none or when the list is empty.
  const char* Contains(const char* text) const;

  void Assign(const std::string& s) { features_ = s; }
  const std::string& GetString() const { return features_; }

 private:
  // Where the value of the first pair of that name starts in the features,
  // and its length; false when there is none or it is empty.
  bool Find(const char* name, std::size_t* begin, std::size_t* length) const;

  std::string features_;
};
