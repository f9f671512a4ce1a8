#include "engine/data/VMLDS.h"

#include "engine/base/VLib.h"

bool VMLDS::AddLayer(VLayer* layer) {
  if (layer == nullptr) return false;
  if (layers_.IsFull() || layers_.Contains(layer)) {
    // Let the table write its refusal to the log.
    return layers_.Add(layer->GetName(), layer);
  }
  if (PeekComposer() == nullptr) {
    GetComposer();
    VLib::ReportError("VMLDS::AddLayer");
  }
  layer->SetComposer(PeekComposer());
  return layers_.Add(layer->GetName(), layer);
}

VLayer* VMLDS::GetLayer(const char* name) const {
  return name != nullptr ? layers_.Find(name) : nullptr;
}

bool VMLDS::Clear() {
  layers_.Dump();
  return true;
}

void VMLDS::ResetLayers() {
  for (int i = 0; i < layers_.Count(); ++i) {
    if (VLayer* layer = layers_.ItemAt(i)) layer->Reset();
  }
}
