#include "Drillview/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "common/sjis.h"

namespace drillview {
namespace {

constexpr double kPi = std::numbers::pi;
// Arcs are cut into pieces of at most this angle (radians): smooth at any
// zoom a drilling drawing needs, cheap for thousands of holes.
constexpr double kArcStep = kPi / 36;

constexpr unsigned kPalette[] = {0x1f77b4, 0xd62728, 0x2ca02c, 0x9467bd, 0xff7f0e,
                                 0x17becf, 0x8c564b, 0xe377c2, 0xbcbd22, 0x7f7f7f};

// Appends the pieces of an arc from angle a0 sweeping `sweep` (radians, +
// counter-clockwise) around (cx, cy).
void AddArc(std::vector<Segment>& out, double cx, double cy, double r, double a0, double sweep, Segment::Style style,
            int line) {
  int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / kArcStep)));
  double px = cx + r * std::cos(a0), py = cy + r * std::sin(a0);
  for (int i = 1; i <= pieces; ++i) {
    double a = a0 + sweep * i / pieces;
    double x = cx + r * std::cos(a), y = cy + r * std::sin(a);
    out.push_back({px, py, x, y, style, line});
    px = x, py = y;
  }
}

void AddBox(std::vector<Segment>& out, double x0, double y0, double x1, double y1) {
  out.push_back({x0, y0, x1, y0, Segment::Outline, 0});
  out.push_back({x1, y0, x1, y1, Segment::Outline, 0});
  out.push_back({x1, y1, x0, y1, Segment::Outline, 0});
  out.push_back({x0, y1, x0, y0, Segment::Outline, 0});
}

// The side view is fitted to the cutting (holes, feeds, the stock), not to
// the rapids up to the reference point, which would shrink the holes to a
// few pixels; X comes from the top view, so the views line up.
void Measure(Scene& s) {
  for (const Segment& g : s.top) s.topBounds.Add(g.x1, g.y1), s.topBounds.Add(g.x2, g.y2);
  for (const Segment& g : s.side)
    if (g.style != Segment::Rapid) s.sideBounds.Add(g.x1, g.y1), s.sideBounds.Add(g.x2, g.y2);
  for (const HoleMark& h : s.holes) {
    s.topBounds.Add(h.x - h.radius, h.y - h.radius);
    s.topBounds.Add(h.x + h.radius, h.y + h.radius);
    s.sideBounds.Add(h.x, h.rLevel);
    s.sideBounds.Add(h.x, h.bottom);
  }
}

}  // namespace

void Bounds::Add(double x, double y) {
  if (empty) {
    minX = maxX = x, minY = maxY = y;
    empty = false;
    return;
  }
  minX = std::min(minX, x), maxX = std::max(maxX, x);
  minY = std::min(minY, y), maxY = std::max(maxY, y);
}

unsigned ToolColour(int index) { return kPalette[static_cast<unsigned>(index) % std::size(kPalette)]; }

Scene ProgramScene(const gcode::Program& program, const gcode::CheckResult& check, const gcode::JobFacts* job) {
  Scene s;
  s.isProgram = true;
  for (const gcode::Motion& m : program.motions) {
    const Segment::Style style = m.kind == gcode::MotionKind::Rapid ? Segment::Rapid : Segment::Feed;
    if (m.kind == gcode::MotionKind::Rapid || m.kind == gcode::MotionKind::Feed) {
      if (m.from.x != m.to.x || m.from.y != m.to.y) s.top.push_back({m.from.x, m.from.y, m.to.x, m.to.y, style, m.line});
      if (m.from.x != m.to.x || m.from.z != m.to.z) s.side.push_back({m.from.x, m.from.z, m.to.x, m.to.z, style, m.line});
      continue;
    }
    const double r = std::hypot(m.from.x - m.centre.x, m.from.y - m.centre.y);
    const double a0 = std::atan2(m.from.y - m.centre.y, m.from.x - m.centre.x);
    const double a1 = std::atan2(m.to.y - m.centre.y, m.to.x - m.centre.x);
    double sweep = a1 - a0;
    if (m.kind == gcode::MotionKind::ArcCcw) {
      while (sweep <= 1e-9) sweep += 2 * kPi;
    } else {
      while (sweep >= -1e-9) sweep -= 2 * kPi;
    }
    AddArc(s.top, m.centre.x, m.centre.y, r, a0, sweep, style, m.line);
    s.side.push_back({m.from.x, m.from.z, m.to.x, m.to.z, style, m.line});
  }
  // One colour per tool; blocks of the same tool share it and its legend line.
  std::vector<int> tools;
  std::vector<std::size_t> counts;
  std::vector<std::string> names;
  std::vector<int> colourOfBlock(program.toolBlocks.size(), 0);
  for (std::size_t i = 0; i < program.toolBlocks.size(); ++i) {
    const gcode::ToolBlock& b = program.toolBlocks[i];
    if (b.holeCount == 0) continue;
    auto it = std::find(tools.begin(), tools.end(), b.tool);
    if (it == tools.end()) {
      tools.push_back(b.tool);
      counts.push_back(0);
      names.push_back(common::Cp932ToUtf8(b.comment));
      it = tools.end() - 1;
    }
    std::size_t k = static_cast<std::size_t>(it - tools.begin());
    counts[k] += b.holeCount;
    colourOfBlock[i] = static_cast<int>(k);
  }
  for (const gcode::Hole& h : program.holes) {
    HoleMark mark;
    mark.x = h.xMm, mark.y = h.yMm;
    mark.radius = h.block >= 0 ? program.toolBlocks[h.block].diameterMm / 2 : 0;
    mark.rLevel = h.rMm, mark.bottom = h.bottomMm;
    mark.cycle = h.cycle, mark.tool = h.tool, mark.line = h.line;
    mark.colour = h.block >= 0 ? colourOfBlock[h.block] : 0;
    s.holes.push_back(mark);
  }
  for (std::size_t k = 0; k < tools.size(); ++k) {
    char head[32];
    if (tools[k] < 0) std::snprintf(head, sizeof head, "T?");
    else std::snprintf(head, sizeof head, "T%02d", tools[k]);
    std::string text = std::string(head) + "  " + (names[k].empty() ? "" : names[k] + "  ") + std::to_string(counts[k]) + "穴";
    s.legend.push_back({static_cast<int>(k), text});
  }
  if (job && job->hasStock) {
    AddBox(s.top, job->MinX(), job->MinY(), job->MaxX(), job->MaxY());
    AddBox(s.side, job->MinX(), -job->stockZMm, job->MaxX(), 0);
  }
  for (const gcode::Diagnostic& d : check.findings) s.findings.push_back(d.Text());
  Measure(s);
  return s;
}

Scene DrawingScene(const dxf::Drawing& drawing) {
  Scene s;
  int notDrawn = drawing.SkippedCount();
  using Kind = dxf::Entity::Kind;
  for (const dxf::Entity& e : drawing.entities) {
    switch (e.kind) {
      case Kind::Line:
        s.top.push_back({e.a.x, e.a.y, e.b.x, e.b.y, Segment::Drawing, 0});
        break;
      case Kind::Circle:
        if (e.radius > 0) AddArc(s.top, e.a.x, e.a.y, e.radius, 0, 2 * kPi, Segment::Drawing, 0);
        break;
      case Kind::Arc: {
        double sweep = e.endDeg - e.startDeg;
        while (sweep <= 0) sweep += 360;
        if (e.radius > 0) AddArc(s.top, e.a.x, e.a.y, e.radius, e.startDeg * kPi / 180, sweep * kPi / 180, Segment::Drawing, 0);
        break;
      }
      case Kind::Insert:
        ++notDrawn;  // blocks are not drawn
        break;
      case Kind::Polyline: {
        const std::size_t n = e.vertices.size();
        for (std::size_t i = 0; i + 1 < n + (e.closed ? 1 : 0); ++i) {
          const dxf::Vertex& a = e.vertices[i];
          const dxf::Vertex& b = e.vertices[(i + 1) % n];
          if (a.bulge == 0) {
            s.top.push_back({a.x, a.y, b.x, b.y, Segment::Drawing, 0});
            continue;
          }
          // A bulge b is tan(sweep/4); the centre lies off the chord's middle.
          const double sweep = 4 * std::atan(a.bulge);
          const double chord = std::hypot(b.x - a.x, b.y - a.y);
          if (chord == 0) continue;
          const double r = chord / (2 * std::sin(std::fabs(sweep) / 2));
          const double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
          const double d = r * std::cos(sweep / 2) * (sweep > 0 ? 1 : -1);
          const double cx = mx - d * (b.y - a.y) / chord, cy = my + d * (b.x - a.x) / chord;
          AddArc(s.top, cx, cy, r, std::atan2(a.y - cy, a.x - cx), sweep, Segment::Drawing, 0);
        }
        break;
      }
    }
  }
  if (!drawing.problems.empty())
    s.findings.push_back("数値として読めない値のある図形 " + std::to_string(drawing.problems.size()) + " 個は表示しません (" +
                         std::to_string(drawing.problems.front().line) + " 行目から)");
  if (notDrawn > 0) s.findings.push_back("図形 " + std::to_string(notDrawn) + " 個は表示しません (LINE, CIRCLE, ARC, POLYLINE 以外)");
  Measure(s);
  return s;
}

}  // namespace drillview
