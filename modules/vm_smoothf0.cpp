#include "modules/vm_smoothf0.h"

#include <cmath>

#include "engine/base/VLib.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"

VM_SmoothF0::VM_SmoothF0() : VModule("VM_SmoothF0") {}

bool VM_SmoothF0::ReleaseResources() { return true; }

bool VM_SmoothF0::Init() { return true; }

bool VM_SmoothF0::SetUp() {
  gapThreshold_ = FloatFontParameter(kGapThresholdKey);
  return true;
}

void VM_SmoothF0::Smooth(float* f, int count, float threshold) {
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
  if (PrepareCells() <= 0) return true;
  VIntonation* intonation = GetComposer()->GetIntonation();
  Smooth(intonation->GetCells(), intonation->GetCellCount(), gapThreshold_);
  return true;
}

bool VM_SmoothF0::Release() { return true; }
