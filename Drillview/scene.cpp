#include "Drillview/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "common/sjis.h"
#include "dxf/dxf_geometry.h"

namespace drillview {
namespace {

constexpr double kPi = std::numbers::pi;
// Arcs of a program are cut into at most this many pieces per turn: smooth
// at any zoom a drilling drawing needs. A program of very many arcs gets
// fewer, down to kFewestArcPieces, so that its pieces stay within
// kMostArcPieces.
constexpr int kArcPiecesPerTurn = 72;
constexpr int kFewestArcPieces = 4;
constexpr std::size_t kMostArcPieces = 4'000'000;

constexpr unsigned kPalette[] = {0x1f77b4, 0xd62728, 0x2ca02c, 0x9467bd, 0xff7f0e,
                                 0x17becf, 0x8c564b, 0xe377c2, 0xbcbd22, 0x7f7f7f};

// Appends the pieces of an arc from angle a0 sweeping `sweep` (radians, +
// counter-clockwise) around (cx, cy).
void AddArc(std::vector<Segment>& out, double cx, double cy, double r, double a0, double sweep, int perTurn,
            Segment::Style style, int line) {
  int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (2 * kPi) * perTurn)));
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
  std::size_t arcs = 0;
  for (const gcode::Motion& m : program.motions)
    arcs += m.kind == gcode::MotionKind::ArcCw || m.kind == gcode::MotionKind::ArcCcw;
  const int perTurn = arcs == 0 ? kArcPiecesPerTurn
                                : static_cast<int>(std::clamp<std::size_t>(kMostArcPieces / arcs, kFewestArcPieces,
                                                                           kArcPiecesPerTurn));
  s.top.reserve(program.motions.size());
  s.side.reserve(program.motions.size());
  s.holes.reserve(program.holes.size());
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
    // atan2 differences lie within one turn either way: two steps at most.
    double sweep = a1 - a0;
    for (int turn = 0; turn < 2; ++turn) {
      if (m.kind == gcode::MotionKind::ArcCcw && sweep <= 1e-9) sweep += 2 * kPi;
      if (m.kind == gcode::MotionKind::ArcCw && sweep >= -1e-9) sweep -= 2 * kPi;
    }
    AddArc(s.top, m.centre.x, m.centre.y, r, a0, sweep, perTurn, style, m.line);
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
  s.findings = GroupFindings(program, check.findings, s.holes);
  Measure(s);
  return s;
}

Scene DrawingScene(const dxf::Drawing& drawing) {
  Scene s;
  std::vector<dxf::Piece> pieces;
  dxf::PlanNotes notes;
  dxf::PlanPieces(drawing, pieces, notes);
  s.top.reserve(pieces.size());
  for (const dxf::Piece& p : pieces) s.top.push_back({p.x1, p.y1, p.x2, p.y2, Segment::Drawing, 0});

  // What was not drawn, one entry per kind.
  auto note = [&s](std::string text, std::vector<int> lines = {}) {
    FindingGroup g;
    g.text = std::move(text);
    g.lines = std::move(lines);
    s.findings.push_back(std::move(g));
  };
  for (const dxf::SkippedKind& k : drawing.skipped)
    note("表示しない図形 " + k.name + " (" + std::to_string(k.count) + " 個)");
  if (notes.inserts > 0) note("表示しないブロック参照 INSERT (" + std::to_string(notes.inserts) + " 個)");
  if (notes.paperSpace > 0) note("表示しないペーパー空間の図形 (" + std::to_string(notes.paperSpace) + " 個)");
  if (!drawing.problems.empty()) {
    std::vector<int> lines;
    for (const dxf::Problem& p : drawing.problems) lines.push_back(p.line);
    FindingGroup g;
    g.text = "数値として読めない値のある図形 (" + std::to_string(lines.size()) + " 個, " + std::to_string(lines.front()) +
             (lines.size() > 1 ? "–" + std::to_string(lines.back()) : "") + " 行)";
    for (std::size_t i = 0; i < drawing.problems.size() && i < 12; ++i)
      g.details.push_back("line " + std::to_string(drawing.problems[i].line) + ": " + drawing.problems[i].text);
    g.lines = std::move(lines);
    s.findings.push_back(std::move(g));
  }
  if (notes.piecesLeftOut > 0)
    note("線分が多すぎるため " + std::to_string(notes.piecesLeftOut) + " 本を省略");
  Measure(s);
  return s;
}

}  // namespace drillview
