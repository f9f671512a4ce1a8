#include "engine/VComponent.h"

#include "engine/VLib.h"

VComposer* VComponent::GetComposer() const {
  if (composer_ == nullptr) VLib::ReportError("Null Tamrin.");
  return composer_;
}
