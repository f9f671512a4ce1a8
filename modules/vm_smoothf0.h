// Smooths the jumps of the F0 curve. The cells are one curve (phone
// boundaries play no part); walking it from the first cell, wherever two
// neighbours differ by more than GapThreshold the jump is spread over the
// cells from there to where the run turns (or to the end): each of them
// moves toward the cell at the turn on the logarithmic scale of
// VLib::ValueInRange, so the cell before the turn takes the turn's value.
// A one-cell peak is therefore moved, not flattened. A run that starts at a
// cell of 0 is left alone (it has no ratio to spread).
//
// Speech cut into passes is one curve as the whole text is: each pass's
// last cell, smoothed, is kept, and the pass that continues it is smoothed
// with that cell in front (a jump at the sentence end is spread over the
// new pass's first cells as in the whole text).
#pragma once

#include <optional>

#include "engine/composer/VModule.h"

class VM_SmoothF0 : public VModule {
 public:
  static constexpr const char* kGapThresholdKey = "VM_SmoothF0.GapThreshold";

  VM_SmoothF0();

  bool ReleaseResources() override;
  bool Init() override;
  // Reads GapThreshold; true.
  bool SetUp() override;
  // Prepares the durations and the F0 cells and smooths them; true, also
  // when there are no cells to smooth.
  bool Run() override;
  bool Release() override;

  // Smooths count cells in place with the threshold; with `before`, the
  // curve goes on from that cell (read, not written).
  static void Smooth(float* cells, int count, float threshold, const float* before = nullptr);

  float GetGapThreshold() const { return gapThreshold_; }

 private:
  static void SmoothCurve(float* cells, int count, float threshold);

  float gapThreshold_ = 0.0f;
  // The last cell of the pass before, for the pass that continues it; none
  // before the first pass.
  std::optional<float> lastCell_;
};
