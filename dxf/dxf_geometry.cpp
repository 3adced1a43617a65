#include "dxf/dxf_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace dxf {
namespace {

constexpr double kPi = std::numbers::pi;
// The arbitrary axis algorithm's bound: a normal this near the world Z axis
// takes its X axis from world Y, any other from world Z.
constexpr double kArbitraryBound = 1.0 / 64;

Vector3 Cross(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector3 Unit(const Vector3& v, const Vector3& fallback) {
  const double n = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (!(n > 1e-12) || !std::isfinite(n)) return fallback;
  return {v.x / n, v.y / n, v.z / n};
}

// One curve of the plan: a straight edge, or an arc in an entity's own
// system (centre, radius, start angle and signed sweep in radians, at
// height z).
struct Arc {
  const Ocs* ocs;
  double cx, cy, z, r, a0, sweep;
};

// Every curve of the model space, in file order, to `edge(x1, y1, x2, y2)`
// and `arc(Arc)`.
template <typename Edge, typename ArcTo>
void ForEachCurve(const Drawing& d, PlanNotes& notes, Edge&& edge, ArcTo&& arc) {
  using Kind = Entity::Kind;
  for (const Entity& e : d.entities) {
    if (e.paperSpace) {
      ++notes.paperSpace;
      continue;
    }
    if (e.kind == Kind::Insert) {
      ++notes.inserts;
      continue;
    }
    if (e.kind == Kind::Line) {
      edge(e.a.x, e.a.y, e.b.x, e.b.y);
      continue;
    }
    const Ocs ocs(e.normal);
    if (e.kind == Kind::Circle || e.kind == Kind::Arc) {
      if (!(e.radius > 0)) continue;
      const double a0 = e.kind == Kind::Circle ? 0 : std::fmod(e.startDeg, 360.0) * kPi / 180;
      const double sweep = e.kind == Kind::Circle ? 2 * kPi : ArcSweepDeg(e.startDeg, e.endDeg) * kPi / 180;
      arc(Arc{&ocs, e.a.x, e.a.y, e.a.z, e.radius, a0, sweep});
      continue;
    }
    // Polylines: edges between the vertices, the last to the first when closed.
    const std::size_t n = e.vertices.size();
    auto world = [&](const Vertex& v) {
      if (e.worldVertices) return Vector3{v.x, v.y, 0};
      return ocs.ToWorld(v.x, v.y, e.elevation);
    };
    for (std::size_t i = 0; i + 1 < n + (e.closed ? 1 : 0); ++i) {
      const Vertex& a = e.vertices[i];
      const Vertex& b = e.vertices[(i + 1) % n];
      if (e.worldVertices || std::fabs(a.bulge) < kStraightBulge) {
        const Vector3 wa = world(a), wb = world(b);
        edge(wa.x, wa.y, wb.x, wb.y);
        continue;
      }
      // A bulge is tan(sweep / 4); the centre lies off the chord's middle.
      const double sweep = 4 * std::atan(a.bulge);
      const double chord = std::hypot(b.x - a.x, b.y - a.y);
      if (!(chord > 0)) continue;
      const double r = chord / (2 * std::sin(std::fabs(sweep) / 2));
      const double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
      const double h = r * std::cos(sweep / 2) * (sweep > 0 ? 1 : -1);
      const double cx = mx - h * (b.y - a.y) / chord, cy = my + h * (b.x - a.x) / chord;
      arc(Arc{&ocs, cx, cy, e.elevation, r, std::atan2(a.y - cy, a.x - cx), sweep});
    }
  }
}

int PiecesOf(double sweep, int perCircle) {
  const double turns = std::fabs(sweep) / (2 * kPi);
  return std::max(1, static_cast<int>(std::ceil(turns * perCircle - 1e-9)));
}

}  // namespace

Ocs::Ocs(const Vector3& normal) {
  az_ = Unit(normal, {0, 0, 1});
  const Vector3 pole = std::fabs(az_.x) < kArbitraryBound && std::fabs(az_.y) < kArbitraryBound ? Vector3{0, 1, 0}
                                                                                                 : Vector3{0, 0, 1};
  ax_ = Unit(Cross(pole, az_), {1, 0, 0});
  ay_ = Unit(Cross(az_, ax_), {0, 1, 0});
  plan_ = az_.x == 0 && az_.y == 0;
}

Vector3 Ocs::ToWorld(double x, double y, double z) const {
  return {x * ax_.x + y * ay_.x + z * az_.x, x * ax_.y + y * ay_.y + z * az_.y, x * ax_.z + y * ay_.z + z * az_.z};
}

bool PlanCircle(const Entity& circle, double& xMm, double& yMm, double& radiusMm) {
  const Ocs ocs(circle.normal);
  if (!ocs.Plan() || !(circle.radius > 0)) return false;
  const Vector3 centre = ocs.ToWorld(circle.a.x, circle.a.y, circle.a.z);
  xMm = centre.x, yMm = centre.y, radiusMm = circle.radius;
  return std::isfinite(xMm) && std::isfinite(yMm);
}

double ArcSweepDeg(double startDeg, double endDeg) {
  double sweep = std::fmod(endDeg, 360.0) - std::fmod(startDeg, 360.0);
  if (sweep <= 0) sweep += 360;
  if (sweep <= 0) sweep += 360;
  return sweep;
}

void PlanPieces(const Drawing& drawing, std::vector<Piece>& pieces, PlanNotes& notes) {
  // First the count at full density, to thin the arcs of a huge drawing.
  std::size_t edges = 0;
  double arcPieces = 0;
  PlanNotes counted;
  ForEachCurve(
      drawing, counted, [&](double, double, double, double) { ++edges; },
      [&](const Arc& a) { arcPieces += PiecesOf(a.sweep, kMostPiecesPerCircle); });
  int perCircle = kMostPiecesPerCircle;
  if (edges + arcPieces > kMostPieces && arcPieces > 0) {
    const double room = kMostPieces > edges ? static_cast<double>(kMostPieces - edges) : 0;
    perCircle = std::clamp(static_cast<int>(kMostPiecesPerCircle * room / arcPieces), kFewestPiecesPerCircle,
                           kMostPiecesPerCircle);
  }

  const std::size_t start = pieces.size();
  auto add = [&](double x1, double y1, double x2, double y2) {
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return;
    if (pieces.size() - start >= kMostPieces) {
      ++notes.piecesLeftOut;
      return;
    }
    pieces.push_back({x1, y1, x2, y2});
  };
  ForEachCurve(drawing, notes, add, [&](const Arc& a) {
    const int n = PiecesOf(a.sweep, perCircle);
    Vector3 p = a.ocs->ToWorld(a.cx + a.r * std::cos(a.a0), a.cy + a.r * std::sin(a.a0), a.z);
    for (int i = 1; i <= n; ++i) {
      const double angle = a.a0 + a.sweep * i / n;
      const Vector3 q = a.ocs->ToWorld(a.cx + a.r * std::cos(angle), a.cy + a.r * std::sin(angle), a.z);
      add(p.x, p.y, q.x, q.y);
      p = q;
    }
  });
}

}  // namespace dxf
