// The geometry of a read drawing in world X-Y (the plan of a drilling job):
// each entity's own coordinate system turned into the world's by the
// arbitrary axis algorithm of the format, arcs and bulges cut into straight
// pieces within bounds. Qt-free; Drillview draws the pieces, the import of
// holes takes the circles.
#pragma once

#include <cstddef>
#include <vector>

#include "dxf/dxf_reader.h"

namespace dxf {

// The axes of an entity's own coordinate system in world coordinates, from
// its normal (groups 210/220/230) by the arbitrary axis algorithm.
class Ocs {
 public:
  explicit Ocs(const Vector3& normal);
  Vector3 ToWorld(double x, double y, double z) const;
  // The normal lies along the world Z axis (either way): circles stay circles
  // in the plan.
  bool Plan() const { return plan_; }

 private:
  Vector3 ax_, ay_, az_;
  bool plan_ = true;
};

// A circle of the plan: its centre in world X-Y. False for a circle whose
// plane is tilted against the plan (its projection is no circle), or one
// without a positive radius.
bool PlanCircle(const Entity& circle, double& xMm, double& yMm, double& radiusMm);

// An arc's sweep, counter-clockwise in its own system: the end angle less the
// start angle, brought into (0, 360] by a remainder, so that no angle of any
// size costs more than one step.
double ArcSweepDeg(double startDeg, double endDeg);

struct Piece {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// Pieces of a whole circle at most, and of a drawing at most: an arc of any
// sweep and a drawing of any size cost bounded memory. Arcs get fewer pieces
// when a drawing holds so many that the pieces would pass the bound.
inline constexpr int kMostPiecesPerCircle = 72;
inline constexpr int kFewestPiecesPerCircle = 8;
inline constexpr std::size_t kMostPieces = 2'000'000;
// A bulge smaller than this (tan of a quarter of the sweep) is a straight
// edge: its arc's centre would lie out of all proportion to the drawing.
inline constexpr double kStraightBulge = 1e-9;

// What the plan of the model space left out, by reason.
struct PlanNotes {
  int paperSpace = 0;   // entities of a layout sheet
  int inserts = 0;      // block references (not expanded here)
  std::size_t piecesLeftOut = 0;  // beyond kMostPieces
};

// The pieces of every entity of the model space (not of blocks, not of the
// layout sheets), in world X-Y, appended to `pieces`. An entity whose plane
// is tilted against the plan is drawn as its projection.
void PlanPieces(const Drawing& drawing, std::vector<Piece>& pieces, PlanNotes& notes);

}  // namespace dxf
