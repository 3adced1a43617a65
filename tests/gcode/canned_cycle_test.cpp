// The canned cycles: measured (as the reader sums a hole) and listed motion
// by motion, every cycle of the table gives the same strokes; a peck cycle
// ends after a bounded number of pecks whatever its Q.
#include "gcode/canned_cycle.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Sums {
  double rapidZ = 0, feedZ = 0, dwell = 0;
  std::size_t xyMoves = 0, motions = 0;
  gcode::Point end;
};

Sums Listed(const gcode::CycleHole& h, gcode::Point from) {
  std::vector<gcode::Motion> motions;
  Sums s;
  s.end = gcode::AppendCycleMotions(h, from, motions, s.dwell);
  s.motions = motions.size();
  for (const gcode::Motion& m : motions) {
    if (m.from.x != m.to.x || m.from.y != m.to.y) ++s.xyMoves;
    else (m.kind == gcode::MotionKind::Rapid ? s.rapidZ : s.feedZ) += std::fabs(m.to.z - m.from.z);
  }
  return s;
}

Sums Measured(const gcode::CycleHole& h, gcode::Point from) {
  std::vector<gcode::Motion> xy;
  gcode::CycleStrokes strokes;
  Sums s;
  s.end = gcode::MeasureCycle(h, from, xy, strokes);
  s.rapidZ = strokes.rapidMm, s.feedZ = strokes.feedMm, s.dwell = strokes.dwellSeconds;
  s.xyMoves = xy.size();
  return s;
}

TEST(CannedCycle, MeasuredStrokesAreTheListedOnes) {
  struct Shape {
    const char* name;
    double r, bottom, q, clearance;
    bool returnToInitial;
  };
  const Shape shapes[] = {
      {"Q divides the depth", 2, -10, 3, 0.25, true},
      {"Q leaves a last short peck", 2, -10.5, 4, 0.25, false},
      {"clearance above one peck", 2, -3, 0.1, 0.35, true},
      {"Q deeper than the hole", 2, -1, 50, 0.25, false},
      {"a micron of Q over a metre", 5, -995, 0.001, 0.25, true},
  };
  for (const gcode::CannedCycle& cycle : gcode::CannedCycles()) {
    for (const Shape& shape : shapes) {
      SCOPED_TRACE(std::string("G") + std::to_string(cycle.g) + ", " + shape.name);
      gcode::CycleHole h;
      h.cycle = cycle.g;
      h.xMm = 30, h.yMm = 40;
      h.initialZMm = 50;
      h.rMm = shape.r, h.bottomMm = shape.bottom, h.qMm = shape.q, h.clearanceMm = shape.clearance;
      h.dwellMs = 500;
      h.returnToInitial = shape.returnToInitial;
      const gcode::Point from{0, 0, 50};
      const Sums listed = Listed(h, from), measured = Measured(h, from);
      EXPECT_NEAR(measured.rapidZ, listed.rapidZ, 1e-6 * (1 + listed.rapidZ));
      EXPECT_NEAR(measured.feedZ, listed.feedZ, 1e-6 * (1 + listed.feedZ));
      EXPECT_EQ(measured.dwell, listed.dwell);
      EXPECT_EQ(measured.xyMoves, listed.xyMoves);
      EXPECT_EQ(measured.end.z, listed.end.z);
      EXPECT_LE(listed.motions, 3u * gcode::kMostPecks + 8);
      if (cycle.peck) {
        EXPECT_GE(listed.feedZ, shape.r - shape.bottom);
      }
    }
  }
}

}  // namespace
