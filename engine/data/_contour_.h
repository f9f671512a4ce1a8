// A piecewise-linear multiplier over a range of F0 cells: `count` points,
// each a position x (a fraction of the range, rising from 0 to 1.0) and a
// factor y at that position. Built by the phrase templates and the syllable
// intonation module, applied by VIntonation::ApplyContour.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <vector>

struct _contour_ {
  int count = 0;
  std::vector<float> x;
  std::vector<float> y;

  _contour_() = default;
  // n points, every x and y 0.
  explicit _contour_(int n)
      : count(std::max(n, 0)),
        x(static_cast<std::size_t>(std::max(n, 0)), 0.0f),
        y(static_cast<std::size_t>(std::max(n, 0)), 0.0f) {}
  // The points (xs[i], ys[i]); count is the length of the shorter list.
  _contour_(std::initializer_list<float> xs, std::initializer_list<float> ys)
      : count(static_cast<int>(std::min(xs.size(), ys.size()))), x(xs), y(ys) {}

  // The number of points that can be used: count, bounded by the lengths of
  // x and y (never negative).
  int Points() const {
    const std::size_t held = std::min(x.size(), y.size());
    if (count <= 0) return 0;
    return static_cast<std::size_t>(count) < held ? count : static_cast<int>(held);
  }
};
