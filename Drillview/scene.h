// What Drillview draws, in model coordinates (mm), built from an NC program
// or a DXF drawing. Qt-free: arcs and circles are already cut into short
// straight pieces, so the painter draws segments and hole marks only.
#pragma once

#include <string>
#include <vector>

#include "dxf/dxf_reader.h"
#include "gcode/job_facts.h"
#include "gcode/nc_check.h"
#include "gcode/program.h"

namespace drillview {

struct Segment {
  enum Style { Rapid, Feed, Outline, Drawing };
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  Style style = Feed;
  int line = 0;  // the program line; 0 for outlines and drawings
};

struct HoleMark {
  double x = 0, y = 0;
  double radius = 0;   // half the tool diameter; 0 when the comment gives none
  double rLevel = 0, bottom = 0;
  int cycle = 0, tool = -1, colour = 0, line = 0;
};

struct LegendEntry {
  int colour = 0;
  std::string text;  // UTF-8
};

struct Bounds {
  bool empty = true;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  void Add(double x, double y);
};

struct Scene {
  bool isProgram = false;           // programs have a side view
  std::vector<Segment> top;         // X-Y
  std::vector<Segment> side;        // X-Z (y holds Z)
  std::vector<HoleMark> holes;
  std::vector<LegendEntry> legend;
  std::vector<std::string> findings;  // UTF-8, one line each
  Bounds topBounds, sideBounds;
};

// The colour of legend entry / tool block `index`, as 0xRRGGBB.
unsigned ToolColour(int index);

// `job` may be null (no stock outline, no job checks).
Scene ProgramScene(const gcode::Program& program, const gcode::CheckResult& check, const gcode::JobFacts* job);
Scene DrawingScene(const dxf::Drawing& drawing);

}  // namespace drillview
