// Puts a fixed four-point pitch contour on every stressed syllable that the
// phrase templates have not claimed: a syllable whose features hold
// "stressed" and none of "phrase:firstStress", "phrase:preLastStress" and
// "phrase:lastStress" has its F0 cells multiplied by the contour through
// (x0, y0) .. (x3, y3), the x as fractions of the syllable's cells.
#pragma once

#include "engine/composer/VModule.h"
#include "engine/data/_contour_.h"

class VM_IntonationSyllable : public VModule {
 public:
  // "VM_IntonationSyllable.x0" .. ".x3" and ".y0" .. ".y3".
  static constexpr const char* kXKeys[] = {"VM_IntonationSyllable.x0", "VM_IntonationSyllable.x1",
                                           "VM_IntonationSyllable.x2", "VM_IntonationSyllable.x3"};
  static constexpr const char* kYKeys[] = {"VM_IntonationSyllable.y0", "VM_IntonationSyllable.y1",
                                           "VM_IntonationSyllable.y2", "VM_IntonationSyllable.y3"};
  static constexpr int kPoints = 4;
  // The source name of the log lines of a missing layer.
  static constexpr const char* kSourcePath = "vm_int_syl";

  VM_IntonationSyllable();

  bool ReleaseResources() override;
  bool Init() override;
  // Reads x0 .. x3, then y0 .. y3; true.
  bool SetUp() override;
  // Prepares the durations and the F0 cells and applies the contours.
  // False (the chain run ends) when the cells cannot be prepared (no phone
  // with a duration, or a failure), with nothing logged; false after a line
  // in the engine log ("vm_int_syl: Syllable layer required", then the same
  // for "Word" and "Phrase", which are required but not read) when a layer
  // is missing. True otherwise.
  bool Run() override;
  bool Release() override;

  const _contour_& GetContour() const { return contour_; }

 private:
  _contour_ contour_{kPoints};
};
