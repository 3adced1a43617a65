// Hole groups from a customer's drawing: the circles of the drawing become
// holes (concentric pairs that match a tap or counterbore row of the
// dimension tables become one tap or counterbore), one group per kind and
// size, placed relative to the job's work origin through the drawing's
// outline (or a corner the operator gives). This part is plain geometry over
// what a drawing reader found; reading the file, filling the sizes and
// writing the job are in drawing_import_job.h.
#pragma once

#include <cmath>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Drilling/holes/hole_order.h"
#include "Drilling/planning/hole_kinds.h"

namespace drilling {

// Sizes and centres closer than this (mm) are the same.
constexpr double kImportToleranceMm = 0.01;
inline bool NearMm(double a, double b) { return std::fabs(a - b) <= kImportToleranceMm; }
// What a job holds.
constexpr std::size_t kImportMaxGroups = 4;
constexpr std::size_t kImportMaxPositions = 20;

// A circle of the drawing, in drawing coordinates (mm).
struct DrawnCircle {
  double xMm = 0;
  double yMm = 0;
  double diameterMm = 0;
};

// A straight piece of the drawing (a LINE, or one edge of a polyline).
struct DrawnSegment {
  double x1Mm = 0, y1Mm = 0, x2Mm = 0, y2Mm = 0;
};

struct OutlineBox {
  double minXMm = 0, minYMm = 0, maxXMm = 0, maxYMm = 0;
  double WidthMm() const { return maxXMm - minXMm; }
  double HeightMm() const { return maxYMm - minYMm; }
};

// The drawing's outline among the rectangles with sides parallel to the axes
// drawn with four straight pieces meeting end to end (within the
// tolerance): the one of the stock's size (either way round) when there is
// one, else the largest. Nothing when the drawing has no such rectangle.
std::optional<OutlineBox> FindOutline(std::span<const DrawnSegment> segments, double stockXMm, double stockYMm);

// A pair of concentric diameters that makes one hole of `kind`: the hole
// diameter (it becomes the group's) and the other circle the kind draws
// (a tap's pilot hole, a counterbore's counterbore), from a row of the
// kind's dimension table.
struct PairedSize {
  HoleKind kind = HoleKind::Drill;
  double holeMm = 0;
  double otherMm = 0;
};

struct ProposedGroup {
  HoleKind kind = HoleKind::Drill;
  double diameterMm = 0;               // the table's value for a pair, else the drawn one
  std::vector<PlanePoint> positions;   // drawing coordinates until placed
  bool keep = true;                    // the operator may drop a group
};

// Concentric circles (centres within the tolerance) of exactly two
// diameters that match a pair (the first that does, in the order given)
// become one hole of its kind; every other circle a drill of its diameter.
// One group per kind and size, in order of increasing size (kinds of one
// size in the order of the kinds); positions in drawing order.
std::vector<ProposedGroup> GroupCircles(std::span<const DrawnCircle> circles, std::span<const PairedSize> pairs);

// The kind the operator gives to a size (--kind 10=リーマ).
struct KindChoice {
  double diameterMm = 0;
  HoleKind kind = HoleKind::Drill;
};

// The drill groups of a chosen size (single circles: a drawing cannot tell a
// reamed hole from a drilled one) take the chosen kind; then MergeGroups.
// A pair the tables recognised keeps its kind.
void ApplyKindChoices(std::vector<ProposedGroup>& groups, std::span<const KindChoice> choices);

// Groups that share kind and size (after the operator changed a kind) made
// one, kept when either was; the order is that of GroupCircles.
void MergeGroups(std::vector<ProposedGroup>& groups);

// Positions moved from drawing coordinates into the job's: the stock's
// lower-left corner lies at `cornerMm` in the drawing and the work origin at
// `originMm` from that corner. Rounded to the micrometre the job file keeps.
void PlaceInJob(std::vector<ProposedGroup>& groups, const PlanePoint& cornerMm, const PlanePoint& originMm);

// What does not fit a job: a dropped group, groups after the fourth kept
// one, positions after the twentieth of a group. `kept` holds what fits;
// each line of `leftOut` names a group and the positions left out
// (Japanese, for the operator).
struct ImportFit {
  std::vector<ProposedGroup> kept;
  std::vector<std::string> leftOut;
};
ImportFit FitToJob(const std::vector<ProposedGroup>& groups);

// "ドリル φ8.5" for messages and the window's table.
std::string GroupLabel(const ProposedGroup& group);

}  // namespace drilling
