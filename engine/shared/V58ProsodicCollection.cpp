#include "engine/shared/V58ProsodicCollection.h"

#include <utility>

const V58ProsodicTemplate* V58ProsodicCollection::Get(int mask) const {
  if (mask < 0 || mask >= kSlots) return nullptr;
  return slots_[static_cast<std::size_t>(mask)].get();
}

bool V58ProsodicCollection::Put(std::unique_ptr<V58ProsodicTemplate> t, bool* replaced) {
  if (replaced != nullptr) *replaced = false;
  if (t == nullptr) return false;
  const int mask = t->GetMask();
  if (mask < 0 || mask >= kSlots) return false;
  std::unique_ptr<V58ProsodicTemplate>& slot = slots_[static_cast<std::size_t>(mask)];
  if (replaced != nullptr) *replaced = slot != nullptr;
  slot = std::move(t);
  return true;
}

int V58ProsodicCollection::Count() const {
  int n = 0;
  for (const auto& slot : slots_) n += slot != nullptr ? 1 : 0;
  return n;
}
