// The canned cycles: one description each (its G code, the words it takes,
// its motions), read by the NC writer to format a cycle line and by the
// reader to check a cycle block and turn each hole into motions.
#pragma once

#include <span>
#include <vector>

#include "gcode/program.h"

namespace gcode {

// What a cycle does at the hole once it is at R; the steps are listed with
// AppendCycleMotions below.
enum class CycleStroke {
  kFeed,          // feed to the bottom
  kFeedDwell,     // feed to the bottom, dwell
  kPeck,          // feed by Q, rapid out to R, rapid back near the depth reached
  kChipBreak,     // feed by Q, rapid up by the clearance
  kTap,           // feed to the bottom, dwell while the spindle reverses, feed out
  kFeedOut,       // feed to the bottom, feed out to R
  kFeedDwellOut,  // feed to the bottom, dwell, feed out to R
  kFeedStop,      // feed to the bottom, spindle stop
  kFeedDwellStop, // feed to the bottom, dwell, spindle stop
  kBackBore,      // from below the work: feed up to Z, rapid out
};

// How a cycle takes the dwell P (milliseconds).
enum class CycleDwell {
  kNone,      // P is not one of its words
  kOptional,  // a dwell when P is given (taps wait while the spindle reverses)
  kAlways,    // the dwell is what the cycle is for: the writer writes its P
};

struct CannedCycle {
  int g = 0;               // 73, 74, 81 ... 89
  const char* name = "";   // English, for lists and notes
  bool peck = false;       // needs a positive Q, the depth of each peck
  CycleDwell dwell = CycleDwell::kNone;
  bool tapping = false;    // the feed must be the pitch times the spindle speed
  bool written = false;    // the NC writer writes it (the processes plan only these)
  CycleStroke stroke = CycleStroke::kFeed;
};

// Every cycle, in the order of their G numbers.
std::span<const CannedCycle> CannedCycles();
// The cycle of G code `g`; null when there is none.
const CannedCycle* FindCannedCycle(int g);

// More pecks than this per hole are made as this many, each deeper: a Q of
// a micron over a deep hole must not give millions of motions.
inline constexpr int kMostPecks = 1000;

struct CycleHole {
  int cycle = 81;              // 73, 74, 81 ... 89
  double xMm = 0, yMm = 0;     // the hole
  double initialZMm = 0;       // Z when the cycle mode began (G98 returns here)
  double rMm = 0, bottomMm = 0;
  double qMm = 0;              // peck depth, > 0 for the peck cycles
  double dwellMs = 0;          // P, milliseconds
  double feedMmPerMin = 0;
  bool returnToInitial = true; // G98; false: G99, back to R
  double clearanceMm = 0.25;   // peck retract (G73) and re-approach gap (G83)
  bool spindleRunning = false;
  int line = 0;
};

// Appends the motions of one hole, starting at `from`, and returns where the
// tool ends. Dwells are added to `dwellSeconds`. MeasureCycle below goes
// through the same steps.
//
// Every cycle:
//   1. below R: rapid up to R first (Z only);
//   2. rapid in X and Y to the hole at the current height;
//   3. rapid down to R.
// Then, by its stroke:
//   kFeed          (G81, G86 without the stop)
//                  4. feed to the bottom.
//   kFeedDwell     (G82) 4. feed to the bottom; 5. dwell P.
//   kPeck          (G83) 4. feed down by Q; 5. rapid up to R; 6. rapid down
//                  to the clearance above the depth reached; again from 4
//                  until the bottom (at most kMostPecks pecks).
//   kChipBreak     (G73) 4. feed down by Q; 5. rapid up by the clearance;
//                  again from 4 until the bottom (at most kMostPecks pecks).
//   kTap           (G84, G74) 4. feed to the bottom; 5. dwell P while the
//                  spindle reverses; 6. feed back to R.
//   kFeedOut       (G85) 4. feed to the bottom; 5. feed back to R.
//   kFeedDwellOut  (G89) 4. feed to the bottom; 5. dwell P; 6. feed back to R.
//   kFeedStop      (G86) 4. feed to the bottom; 5. spindle stop.
//   kFeedDwellStop (G88) 4. feed to the bottom; 5. dwell P; 6. spindle stop.
//   kBackBore      (G87, R below the work) 4. feed up to Z; 5. rapid back
//                  out to the initial level.
// Last: rapid to the return level (initial level with G98, R with G99;
// a back bore always the initial level).
Point AppendCycleMotions(const CycleHole& hole, Point from, std::vector<Motion>& motions, double& dwellSeconds);

// The same steps, measured: the moves in X and Y are appended to `xyMotions`,
// the strokes in Z (which a deep-hole program has millions of) only summed,
// the pecks in closed form, so a hole costs the same whatever its Q.
struct CycleStrokes {
  double rapidMm = 0, feedMm = 0;  // strokes in Z
  double dwellSeconds = 0;
};
Point MeasureCycle(const CycleHole& hole, Point from, std::vector<Motion>& xyMotions, CycleStrokes& strokes);

}  // namespace gcode
