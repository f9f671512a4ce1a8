// A phone of a phone table built in memory for a test: its symbol and the
// columns phone, vowel and stressed.
#pragma once

#include <string>

#include "engine/shared/VSR_PhonePool.h"

inline void AddTestPhone(VSR_PhonePool* pool, char symbol, const char* phone, const char* vowel,
                         const char* stressed) {
  pool->AddPhone(symbol);
  pool->SetFeature("symbol", std::string(1, symbol).c_str());
  pool->SetFeature("phone", phone);
  pool->SetFeature("vowel", vowel);
  pool->SetFeature("stressed", stressed);
}

// The columns symbol, phone, vowel and stressed with the phones a, A
// (stressed), m and t.
inline void AddTestPhones(VSR_PhonePool* pool) {
  for (const char* column : {"symbol", "phone", "vowel", "stressed"}) pool->AddFeatureName(column);
  AddTestPhone(pool, 'a', "1", "1", "0");
  AddTestPhone(pool, 'A', "1", "1", "1");
  AddTestPhone(pool, 'm', "1", "0", "0");
  AddTestPhone(pool, 't', "1", "0", "0");
}
