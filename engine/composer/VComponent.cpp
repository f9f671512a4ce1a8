#include "engine/composer/VComponent.h"

#include "engine/base/VLib.h"

VComposer* VComponent::GetComposer() const {
  if (composer_ == nullptr) VLib::ReportError("Null Tamrin.");
  return composer_;
}
