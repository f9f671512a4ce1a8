// One phone of the phone table: its symbol in the phone string and its
// features (one per column of the table).
#pragma once

#include "engine/data/_feature_list_.h"

class VPhone : public _feature_list_ {
 public:
  VPhone() = default;
  VPhone(const VPhone&) = default;
  VPhone& operator=(const VPhone&) = default;
  ~VPhone() override = default;

  void SetSymbol(char symbol) { symbol_ = symbol; }
  char GetSymbol() const { return symbol_; }

 private:
  char symbol_ = 0;
};
