// The motions of one hole of a canned cycle: the one place that knows them.
#pragma once

#include <vector>

#include "gcode/program.h"

namespace gcode {

struct CycleHole {
  int cycle = 81;              // 73, 74, 81 ... 89
  double xMm = 0, yMm = 0;     // the hole
  double initialZMm = 0;       // Z when the cycle mode began (G98 returns here)
  double rMm = 0, bottomMm = 0;
  double qMm = 0;              // peck depth, > 0 for 73 and 83
  double dwellMs = 0;          // P, milliseconds
  double feedMmPerMin = 0;
  bool returnToInitial = true; // G98; false: G99, back to R
  double clearanceMm = 0.25;   // peck retract (G73) and re-approach gap (G83)
  bool spindleRunning = false;
  int line = 0;
};

// Appends the motions of one hole, starting at `from`, and returns where the
// tool ends. Dwells are added to `dwellSeconds`.
//
// Every cycle:
//   1. below R: rapid up to R first (Z only);
//   2. rapid in X and Y to the hole at the current height;
//   3. rapid down to R.
// Then:
//   G81        4. feed to the bottom.
//   G82        4. feed to the bottom; 5. dwell P.
//   G83        4. feed down by Q, rapid up to R, rapid down to the clearance
//                 above the depth reached; again until the bottom.
//   G73        4. feed down by Q, rapid up by the clearance; again until the
//                 bottom.
//   G84, G74   4. feed to the bottom; 5. dwell P while the spindle reverses;
//              6. feed back to R.
//   G85        4. feed to the bottom; 5. feed back to R.
//   G86, G88   4. feed to the bottom (G88: dwell P); 5. spindle stop.
//   G89        4. feed to the bottom; 5. dwell P; 6. feed back to R.
//   G87        (back boring, R below the work) 4. feed up to Z;
//              5. rapid back out to the initial level.
// Last: rapid to the return level (initial level with G98, R with G99; G87
// always the initial level).
Point AppendCycleMotions(const CycleHole& hole, Point from, std::vector<Motion>& motions, double& dwellSeconds);

}  // namespace gcode
