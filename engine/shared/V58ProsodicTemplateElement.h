// One element of a phrase template: how the F0 factor moves on the syllable
// of one point of the phrase (the start fields) and from there to the next
// point (the end fields). The labels select the phones that carry the
// movement ("name:value" texts of the phone table, separated by single
// blanks). An element read from a template file has no anchor; binding it to
// a phrase gives it the point's syllable and the number of syllables up to
// the next point.
#pragma once

#include <string>

class _token_;

class V58ProsodicTemplateElement {
 public:
  V58ProsodicTemplateElement() = default;
  V58ProsodicTemplateElement(float startValue, float startPosition, std::string startLabel,
                             float startExtra, float endValue, float endPosition,
                             std::string endLabel, float endExtra);
  // Copies every field, the anchor and the count included.
  V58ProsodicTemplateElement(const V58ProsodicTemplateElement&) = default;
  V58ProsodicTemplateElement& operator=(const V58ProsodicTemplateElement&) = default;
  virtual ~V58ProsodicTemplateElement() = default;

  // Copies every field of e.
  void Assign(const V58ProsodicTemplateElement& e) { *this = e; }

  float GetStartValue() const { return startValue_; }
  float GetEndValue() const { return endValue_; }
  float GetStartPosition() const { return startPosition_; }
  float GetEndPosition() const { return endPosition_; }
  const std::string& GetStartLabel() const { return startLabel_; }
  const std::string& GetEndLabel() const { return endLabel_; }
  float GetStartExtra() const { return startExtra_; }
  float GetEndExtra() const { return endExtra_; }
  _token_* GetAnchor() const { return anchor_; }
  // The number of syllables from this point to the next.
  int GetSequenceCount() const { return count_; }

  void SetAnchor(_token_* anchor, int count) {
    anchor_ = anchor;
    count_ = count;
  }
  // startValue x factor.
  void ScaleStartValue(float factor) { startValue_ *= factor; }

 private:
  float startValue_ = 0.0f;
  float endValue_ = 0.0f;
  float startPosition_ = 0.0f;
  float endPosition_ = 0.0f;
  std::string startLabel_;
  std::string endLabel_;
  float startExtra_ = 0.0f;
  float endExtra_ = 0.0f;
  _token_* anchor_ = nullptr;
  int count_ = 0;
};
