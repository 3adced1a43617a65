// Hole positions for order tests and benchmarks.
#pragma once

#include <vector>

#include "Drilling/holes/hole_order.h"

namespace testsupport {

// `count` positions on a 200 x 150 plate from a fixed integer sequence
// started at `seed`: the same on every platform and compiler.
inline std::vector<drilling::PlanePoint> ScatteredPoints(int count, unsigned seed) {
  std::vector<drilling::PlanePoint> points;
  for (int i = 0; i < count; ++i) {
    seed = seed * 1103515245u + 12345u;
    const double x = static_cast<double>((seed >> 8) % 2000) / 10.0;
    seed = seed * 1103515245u + 12345u;
    const double y = static_cast<double>((seed >> 8) % 1500) / 10.0;
    points.push_back({x, y});
  }
  return points;
}

}  // namespace testsupport
