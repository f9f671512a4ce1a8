// One yes/no feature of the phone table ("phone", "vowel", ...) asked about
// the characters of a phone string, with each symbol's answer kept after
// its first question. A module that looks at every character of a long
// text then scans the table once per distinct symbol, not once per
// character; a symbol that the table lacks gets the table's error line once.
// Made for one run: the table does not change while the object lives.
#pragma once

#include <array>

#include "engine/shared/VSR_PhonePool.h"

class PhoneFeature {
 public:
  // pool may be null: every answer is then false.
  PhoneFeature(const VSR_PhonePool* pool, const char* name) : pool_(pool), name_(name) {}

  // VSR_PhonePool::getPhoneFeature(c, name), asked once per symbol.
  bool operator()(char c) {
    signed char& known = answers_[static_cast<unsigned char>(c)];
    if (known == kUnknown) {
      known = pool_ != nullptr && pool_->getPhoneFeature(c, name_) ? kYes : kNo;
    }
    return known == kYes;
  }

 private:
  static constexpr signed char kUnknown = 0;
  static constexpr signed char kNo = 1;
  static constexpr signed char kYes = 2;

  const VSR_PhonePool* pool_;
  const char* name_;
  std::array<signed char, 256> answers_{};
};
