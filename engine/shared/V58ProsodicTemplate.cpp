#include "engine/shared/V58ProsodicTemplate.h"

#include "engine/data/VIntonation.h"
#include "engine/data/_token_.h"

V58ProsodicTemplate::V58ProsodicTemplate(int mask)
    : VComponent("V58ProsodicTemplate"), mask_(mask) {}

void V58ProsodicTemplate::AddElement(const V58ProsodicTemplateElement& e, _token_* anchor,
                                     int count, float factor) {
  elements_.push_back(e);
  elements_.back().SetAnchor(anchor, count);
  elements_.back().ScaleStartValue(factor);
}

const V58ProsodicTemplateElement* V58ProsodicTemplate::GetElement(int i) const {
  if (i < 0 || i >= GetElementCount()) return nullptr;
  return &elements_[static_cast<std::size_t>(i)];
}

void V58ProsodicTemplate::Apply() {
  VComposer* composer = GetComposer();
  VIntonation* intonation = composer != nullptr ? composer->GetIntonation() : nullptr;
  if (intonation == nullptr) return;

  const std::size_t n = elements_.size();
  for (std::size_t i = 0; i < n; ++i) {
    V58ProsodicTemplateElement& e = elements_[i];
    const _token_* anchor = e.GetAnchor();
    if (anchor == nullptr) continue;
    intonation->ApplyTargetsToToken(anchor, e.GetStartLabel().c_str(), e.GetStartValue(),
                                    e.GetStartPosition(), e.GetStartExtra(), false);
    if (i + 1 == n) break;

    V58ProsodicTemplateElement& next = elements_[i + 1];
    if (e.GetSequenceCount() > 1) {
      // The syllables after this point's, up to and with the next point's.
      const _token_* after = anchor->GetNext();
      const _token_* until = next.GetAnchor();
      if (after == nullptr || !after->IsSet() || until == nullptr) continue;
      intonation->ApplyTargets(after->GetStart(), until->GetEnd(), e.GetEndLabel().c_str(),
                               e.GetEndValue(), e.GetEndPosition(), e.GetEndExtra(), true);
    } else if (e.GetSequenceCount() == 1) {
      next.ScaleStartValue(e.GetEndPosition() * intonation->CurrentValue());
    }
  }
}
