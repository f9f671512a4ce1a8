// The multi-layer data structure of a composer: its layers by name. The
// structure owns the layers it holds and deletes them when it is cleared.
#pragma once

#include "engine/base/VMap.h"
#include "engine/composer/VComponent.h"
#include "engine/data/VLayer.h"

class VMLDS : public VComponent {
 public:
  VMLDS() : VComponent("VMLDS") {}
  VMLDS(const VMLDS&) = delete;
  VMLDS& operator=(const VMLDS&) = delete;
  // The table forgets its entries without deleting the layers (Clear does).
  virtual ~VMLDS() = default;

  // Gives the layer this structure's composer and adds it under its name.
  // Without a composer the error report receives "VMLDS::AddLayer" and the
  // layer is still added. A null layer, a layer already held or a full table
  // is refused (the table writes its refusal to the engine log): false, and
  // the layer stays with the caller.
  bool AddLayer(VLayer* layer);

  // The first layer added under exactly that name; null when none.
  VLayer* GetLayer(const char* name) const;

  // Lists the table in the engine log, deletes every layer and empties it.
  bool Clear();

  // Empties every layer (VLayer::Reset), so that no token points into a
  // text that has been replaced. The composer calls it before every run.
  void ResetLayers();

  int Count() const { return layers_.Count(); }

 private:
  VMap<VLayer> layers_;
};
