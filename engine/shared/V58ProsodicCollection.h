// The templates of one phrase type: one slot per point mask (0 to 255), each
// empty or holding the template for exactly those points. The collection
// owns its templates.
#pragma once

#include <array>
#include <memory>

#include "engine/shared/V58ProsodicTemplate.h"

class V58ProsodicCollection {
 public:
  static constexpr int kSlots = 256;

  V58ProsodicCollection() = default;
  V58ProsodicCollection(const V58ProsodicCollection&) = delete;
  V58ProsodicCollection& operator=(const V58ProsodicCollection&) = delete;
  virtual ~V58ProsodicCollection() = default;

  // The template of slot mask; null when the slot is empty or mask lies
  // outside 0..255.
  const V58ProsodicTemplate* Get(int mask) const;

  // Puts the template into the slot of its mask, replacing (and deleting)
  // the one held there. False, with the template deleted, for a mask
  // outside 0..255; true also when a template was replaced (replaced, when
  // given, tells which).
  bool Put(std::unique_ptr<V58ProsodicTemplate> t, bool* replaced = nullptr);

  // The number of filled slots.
  int Count() const;

 private:
  std::array<std::unique_ptr<V58ProsodicTemplate>, kSlots> slots_;
};
