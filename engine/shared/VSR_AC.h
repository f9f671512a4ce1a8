// The letter-conversion rule collections of the process: every file of
// "AC.Directory" ending in "AC.Suffix", keyed by its file name.
#pragma once

#include "engine/shared/VSR_TablePool.h"
#include "support/alphconv.h"

class VSR_AC : public VSR_TablePool<CRuleCollection> {
 public:
  // The construction arguments of every collection: room for 400 rules,
  // the flag 1, output of unknown characters 1 (the file's value replaces it).
  static constexpr int kReserve = 400;
  static constexpr int kFlag = 1;
  static constexpr int kOutputUnknown = 1;

  VSR_AC() : VSR_TablePool({"AC.Directory", "AC.Suffix", "Error reading AC.Directory "}) {}

 protected:
  // A collection that does not load is reported (its file name, its error
  // code and text) and ends the pool's load with false.
  bool LoadItem(const std::string& name, const std::string& path) override;
};
