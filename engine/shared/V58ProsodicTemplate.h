// A phrase template: one element per point of the phrase, in point order.
// Templates read from a file are kept by their collection and never
// applied; the analysis of a phrase copies the elements of the chosen one
// into a new template bound to the phrase's syllables and applies that to
// the F0 cells of the component's composer.
#pragma once

#include <vector>

#include "engine/composer/VComponent.h"
#include "engine/shared/V58ProsodicTemplateElement.h"

class _token_;

class V58ProsodicTemplate : public VComponent {
 public:
  // mask: the points that the template's header names (see
  // V58ProsodicCompiler); 0 for a template built by an analysis.
  explicit V58ProsodicTemplate(int mask = 0);
  V58ProsodicTemplate(const V58ProsodicTemplate&) = delete;
  V58ProsodicTemplate& operator=(const V58ProsodicTemplate&) = delete;
  virtual ~V58ProsodicTemplate() = default;

  // Appends a copy of e with that anchor and count, its start value
  // multiplied by factor.
  void AddElement(const V58ProsodicTemplateElement& e, _token_* anchor, int count, float factor);

  // Applies the bound elements in order to the composer's VIntonation: each
  // element moves the labelled phones of its syllable; an element with more
  // than one syllable to the next point moves the syllables after its own up
  // to the next element's, continuing from the level reached; an element
  // whose next point is the next syllable scales the next element's start
  // value by its end position times the current F0 value. The last element
  // has no movement to a next point. Elements without an anchor are passed
  // over. Nothing happens without a composer or intonation array.
  void Apply();

  int GetMask() const { return mask_; }
  int GetElementCount() const { return static_cast<int>(elements_.size()); }
  // Element i; null when there is none.
  const V58ProsodicTemplateElement* GetElement(int i) const;
  const std::vector<V58ProsodicTemplateElement>& GetElements() const { return elements_; }

 private:
  int mask_;
  std::vector<V58ProsodicTemplateElement> elements_;
};
