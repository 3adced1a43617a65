// What Drillview draws, in model coordinates (mm), built from an NC program
// or a DXF drawing, and its findings. Qt-free: arcs and circles are already
// cut into short straight pieces, so the painter draws segments and hole
// marks only.
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

// One entry of the findings list: the findings of one kind (and, for
// holes, one tool) with their count and lines, for the operator; a click
// selects its holes and the motions of its lines.
struct FindingGroup {
  std::string text;            // UTF-8, Japanese: "穴底が材料下面より下 (T23, 8 穴, 37–51 行)"
  bool error = false;          // blocks a control refuses
  std::vector<int> lines;      // program lines, ascending
  std::vector<int> holes;      // indices into Scene::holes
  std::vector<std::string> details;  // the first few findings as the check prints them (English)
};

struct Scene {
  bool isProgram = false;           // programs have a side view
  std::vector<Segment> top;         // X-Y
  std::vector<Segment> side;        // X-Z (y holds Z)
  std::vector<HoleMark> holes;
  std::vector<LegendEntry> legend;
  std::vector<FindingGroup> findings;
  Bounds topBounds, sideBounds;
};

// The findings of a program grouped for the operator, in the order of their
// first line; `holes` are the scene's marks of the program's holes.
std::vector<FindingGroup> GroupFindings(const gcode::Program& program, const std::vector<gcode::Diagnostic>& findings,
                                        const std::vector<HoleMark>& holes);

// The colour of legend entry / tool block `index`, as 0xRRGGBB.
unsigned ToolColour(int index);

// `job` may be null (no stock outline, no job checks).
Scene ProgramScene(const gcode::Program& program, const gcode::CheckResult& check, const gcode::JobFacts* job);
Scene DrawingScene(const dxf::Drawing& drawing);

}  // namespace drillview
