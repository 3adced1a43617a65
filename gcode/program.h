// What the reader yields for one program: its motions, its holes, its tool
// blocks, the machine state after every block, and the diagnostics. Lengths
// are millimetres in work coordinates (a program in G20 is converted), feeds
// millimetres per minute.
#pragma once

#include <string>
#include <vector>

#include "gcode/gcode_codes.h"

namespace gcode {

struct Point {
  double x = 0, y = 0, z = 0;
};

enum class MotionKind { Rapid, Feed, ArcCw, ArcCcw };

struct Motion {
  MotionKind kind = MotionKind::Rapid;
  Point from, to;
  Point centre;              // arcs: the centre in XY (z unused)
  double feedMmPerMin = 0;   // feed moves and arcs
  int line = 0;
  bool inCycle = false;      // a motion of a canned cycle
  bool spindleRunning = false;
};

struct Hole {
  double xMm = 0, yMm = 0;
  double rMm = 0;           // R level (absolute Z)
  double bottomMm = 0;      // bottom Z
  double qMm = 0;           // peck depth (G73, G83)
  double dwellMs = 0;       // P
  int cycle = 0;            // 73, 81 ... 89
  int tool = -1;            // the tool in the spindle, -1 when none was changed in
  int lengthOffset = -1;    // H of the active length offset, -1 without G43
  double spindleRpm = 0;
  bool spindleRunning = false;
  bool coolant = false;     // M07 or M08 in force
  bool absolute = true;     // drilled in G90
  double feedMmPerMin = 0;
  int line = 0;
  int block = -1;           // index into ProgramFacts::toolBlocks
  // The strokes in Z of the cycle at this hole (approach to R, pecks,
  // retracts), summed by kind: a deep-hole program would otherwise hold
  // millions of motions. AppendCycleMotions gives them one by one.
  double strokeRapidMm = 0, strokeFeedMm = 0;
};

// The work of one tool: starts at a tool change or at a length offset call
// (G43), which is where each process of a program starts its approach.
struct ToolBlock {
  int line = 0;
  int tool = -1;
  int lengthOffset = -1;
  int offsetLine = 0;        // the G43 line of the block; 0 without one
  std::string comment;       // the last comment before the block's first hole, as stored (cut)
  double diameterMm = 0;     // "D<number>" in that comment; 0 when it gives none
  std::size_t holeCount = 0;
};

// The state after the block of one line.
struct LineState {
  Point position;
  int motion = 0;          // 0, 1, 2, 3 (the group of G00..G03)
  int cycle = 0;           // 0 after G80, else the canned cycle
  bool absolute = true;    // G90
  bool metric = true;      // G21
  int tool = -1;
  int lengthOffset = -1;   // -1 after G49
  int spindle = 5;         // 3, 4, 5
  double spindleRpm = 0;
  bool coolant = false;
  double feedMmPerMin = 0;
  int coordSystem = 54;    // 54..59, or 5401..5700 for G54.1 P1..P300
  int returnLevel = 98;    // 98 initial level, 99 R level
};

// What the reader knows of a program once it has read it, whatever its
// receiver kept of the motions and holes on the way.
struct ProgramFacts {
  std::vector<ToolBlock> toolBlocks;
  int toolChanges = 0;       // M06 blocks
  double dwellSeconds = 0;   // G04 and cycle dwells, all together
  int programNumber = -1;    // the O word; -1 when there is none
  int programNumberLine = 0;
  int endLine = 0;           // the line of M02/M30; 0 when the program has no end
  int lastLine = 0;          // the last line that holds a block
  int lineCount = 0;         // lines of the file read (up to the closing %)
};

// The receiver of a reading, told of each motion, hole and diagnostic in
// the order of the lines. The program check listens this way, so that it
// needs no more memory than its findings, whatever the program's size.
class ReadSink {
 public:
  virtual ~ReadSink() = default;
  virtual void OnMotion(const Motion& motion) = 0;
  // `block` is the tool block of the hole, as far as it is known.
  virtual void OnHole(const Hole& hole, const ToolBlock& block) = 0;
  virtual void OnDiagnostic(const Diagnostic& diagnostic) = 0;
  // After each line that holds a block acted upon.
  virtual void OnState(int /*line*/, const LineState& /*state*/) {}
};

// A read program keeps at most this many motions and holes (a few hundred
// megabytes); a program of more, which repeat counts can make of a few lines,
// is counted whole but kept only so far (a kNotKept warning says where).
inline constexpr std::size_t kMostKeptMotions = 2'000'000;
inline constexpr std::size_t kMostKeptHoles = 1'000'000;

struct Program : ProgramFacts {
  // Every motion outside the cycles, and of a cycle the move in X and Y to
  // each hole; the cycle's strokes in Z are summed in its Hole.
  std::vector<Motion> motions;
  std::vector<Hole> holes;
  std::vector<Diagnostic> diagnostics;
  // With ReaderOptions::keepStates, the state after each line that holds a
  // block, by line; lines between keep the state before them.
  std::vector<std::pair<int, LineState>> states;

  // The state after line `line` (1-based): that of the last block at or
  // before it; the state at the start for a line before the first block.
  LineState StateAfter(int line) const;
};

}  // namespace gcode
