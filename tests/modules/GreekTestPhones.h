// The Greek phone symbols in a phone table built in memory, for the tests
// and the benchmark of the layer and prosody modules.
//
//   symbols              phone vowel stressed voiced break tristate
//   a e i o u              1     1      0       1     0      1
//   A E I O U              1     1      1       1     0      1
//   p t k f T s x c        1     0      0       0     0      0
//   b d g v D z G j m n l r 1    0      0       1     0      0
//   _ #                    0     0      0       0     0      0
//   / , . ; !              0     0      0       0     1      0
#pragma once

#include <string>

#include "engine/shared/VSR_PhonePool.h"

inline void AddGreekTestPhones(VSR_PhonePool* pool) {
  const char* columns[] = {"symbol", "phone", "vowel", "stressed", "voiced", "break", "tristate"};
  for (const char* column : columns) pool->AddFeatureName(column);
  const std::pair<const char*, const char*> groups[] = {
      {"aeiou", "110101"},        {"AEIOU", "111101"}, {"ptkfTsxc", "100000"},
      {"bdgvDzGjmnlr", "100100"}, {"_#", "000000"},    {"/,.;!", "000010"}};
  for (const auto& group : groups) {
    for (const char* c = group.first; *c != '\0'; ++c) {
      pool->AddPhone(*c);
      pool->SetFeature(columns[0], std::string(1, *c).c_str());
      for (int i = 0; i < 6; ++i)
        pool->SetFeature(columns[i + 1], std::string(1, group.second[i]).c_str());
    }
  }
}
