// A phone of a phone table built in memory for a test: its symbol and the
// columns phone, vowel and stressed.
#pragma once

#include <string>

#include "engine/VSR_PhonePool.h"

inline void AddTestPhone(VSR_PhonePool* pool, char symbol, const char* phone, const char* vowel,
                         const char* stressed) {
  pool->AddPhone(symbol);
  pool->SetFeature("symbol", std::string(1, symbol).c_str());
  pool->SetFeature("phone", phone);
  pool->SetFeature("vowel", vowel);
  pool->SetFeature("stressed", stressed);
}
