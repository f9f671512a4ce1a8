#include "modules/vm_smoothf0.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/base/VLib.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/data/VTextBuffer.h"

VM_SmoothF0::VM_SmoothF0() : VModule("VM_SmoothF0") {}

bool VM_SmoothF0::ReleaseResources() { return true; }

bool VM_SmoothF0::Init() { return true; }

bool VM_SmoothF0::SetUp() {
  gapThreshold_ = FloatFontParameter(kGapThresholdKey);
  return true;
}

void VM_SmoothF0::Smooth(float* cells, int count, float threshold, const float* before) {
  if (before == nullptr) {
    SmoothCurve(cells, count, threshold);
    return;
  }
  // The curve goes on from the cell before: smoothed with it in front, which
  // itself stays as it is.
  std::vector<float> curve(static_cast<std::size_t>(count) + 1);
  curve[0] = *before;
  std::copy(cells, cells + count, curve.begin() + 1);
  SmoothCurve(curve.data(), static_cast<int>(curve.size()), threshold);
  std::copy(curve.begin() + 1, curve.end(), cells);
}

void VM_SmoothF0::SmoothCurve(float* f, int count, float threshold) {
  const int last = count - 1;
  for (int p = 0; p < last; ++p) {
    if (!(std::fabs(f[p + 1] - f[p]) > threshold)) continue;
    const bool rising = f[p + 1] > f[p];
    int e = last;
    for (int j = p + 1; j < last; ++j) {
      if (rising ? f[j + 1] < f[j] : f[j + 1] > f[j]) {
        e = j;
        break;
      }
    }
    // The start cell is read afresh for every cell: from the second on it
    // is the value just written.
    for (int q = p; q < e && f[p] != 0.0f; ++q) {
      f[q] = static_cast<float>(VLib::ValueInRange(f[e] / f[p], f[p], e - p, q - p + 1, true));
    }
  }
}

bool VM_SmoothF0::Run() {
  // A pass that continues the speech goes on from the last cell of the pass
  // before; any other text starts anew.
  if (!GetComposer()->GetText()->ContinuesSpeech()) lastCell_.reset();
  if (PrepareCells() <= 0) return true;
  VIntonation* intonation = GetComposer()->GetIntonation();
  float* cells = intonation->GetCells();
  const int count = intonation->GetCellCount();
  if (cells == nullptr || count <= 0) return true;
  Smooth(cells, count, gapThreshold_, lastCell_ ? &*lastCell_ : nullptr);
  lastCell_ = cells[count - 1];
  return true;
}

bool VM_SmoothF0::Release() { return true; }
