// One element of a layer: a span of the composer's working text (its first
// and last character, both inclusive) with features, linked to its
// neighbours in the layer's chain. A token points into the text it was made
// from and is valid only while that text is unchanged.
#pragma once

#include "engine/data/_feature_list_.h"

class _token_ : public _feature_list_ {
 public:
  _token_() = default;
  _token_(char* start, char* end) : start_(start), end_(end) {}
  // Copies the span, the features, both links and the index.
  _token_(const _token_&) = default;
  _token_& operator=(const _token_&) = default;
  ~_token_() override = default;

  // Sets the span and replaces the whole feature string (null empties it).
  void Set(char* start, char* end, const char* features);
  // Appends one feature (the feature list's own Set).
  using _feature_list_::Set;

  char* GetStart() const { return start_; }
  char* GetEnd() const { return end_; }
  void SetEnd(char* end) { end_ = end; }
  _token_* GetNext() const { return next_; }
  _token_* GetPrev() const { return prev_; }
  void SetNext(_token_* next) { next_ = next; }
  void SetPrev(_token_* prev) { prev_ = prev; }
  int GetIndex() const { return index_; }
  void SetIndex(int index) { index_ = index; }

  // Both ends of the span are set.
  bool IsSet() const { return start_ != nullptr && end_ != nullptr; }

  // Tokens compare by their index in the layer.
  bool operator>(const _token_& other) const { return index_ > other.index_; }
  bool operator<(const _token_& other) const { return index_ < other.index_; }
  bool operator>=(const _token_& other) const { return index_ >= other.index_; }
  bool operator<=(const _token_& other) const { return index_ <= other.index_; }

  // The token n links after this one (this one for n <= 0). When the chain
  // ends first, an error line goes to the engine log and the result is null.
  const _token_* at(int n) const;
  _token_* at(int n);

  // Deletes every token linked after this one, one after the other (no
  // recursion, so chains of any length go), and unlinks this one.
  void DeleteChain();

 private:
  char* start_ = nullptr;
  char* end_ = nullptr;
  _token_* next_ = nullptr;
  _token_* prev_ = nullptr;
  int index_ = 0;
};
