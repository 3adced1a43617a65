#include "dxf/plan_shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

#include "common/text.h"
#include "dxf/dxf_geometry.h"

namespace dxf {
namespace {

// A polyline vertex's bulge of a half circle (tan of 180 / 4 degrees).
constexpr double kHalfCircleBulge = 1.0;
constexpr double kBulgeTolerance = 1e-6;
// Relative tolerance of a placed circle's axes (equal length, at right angles, in the plan).
constexpr double kRoundTolerance = 1e-9;

Vector3 Minus(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(const Vector3& a) { return std::sqrt(Dot(a, a)); }

// Block coordinates to world coordinates: a linear part and a shift.
struct Placement {
  double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  Vector3 shift;

  Vector3 Turn(const Vector3& v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
  }
  Vector3 Place(const Vector3& p) const {
    const Vector3 t = Turn(p);
    return {t.x + shift.x, t.y + shift.y, t.z + shift.z};
  }
  // This placement after `inner` (inner's coordinates to ours).
  Placement After(const Placement& inner) const {
    Placement r;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) r.m[i][j] = m[i][0] * inner.m[0][j] + m[i][1] * inner.m[1][j] + m[i][2] * inner.m[2][j];
    r.shift = Place(inner.shift);
    return r;
  }
};

// The placement of one copy (column, row) of an INSERT's block: the block's
// base point to the insertion point, scaled, turned about the INSERT's
// normal, in the INSERT's own coordinate system.
Placement InsertPlacement(const Entity& e, const Insert& insert, const Block& block, int column, int row) {
  const Ocs ocs(e.normal);
  const double a = insert.rotationDeg * std::numbers::pi / 180;
  const double c = std::cos(a), s = std::sin(a);
  // In the INSERT's system: turn(scale(p - base)) + point + turn(column, row offsets).
  const double offsetX = column * insert.columnSpacing, offsetY = row * insert.rowSpacing;
  const Vector3 point{e.a.x + c * offsetX - s * offsetY, e.a.y + s * offsetX + c * offsetY, e.a.z};
  Placement local;
  local.m[0][0] = c * insert.scaleX, local.m[0][1] = -s * insert.scaleY, local.m[0][2] = 0;
  local.m[1][0] = s * insert.scaleX, local.m[1][1] = c * insert.scaleY, local.m[1][2] = 0;
  local.m[2][0] = 0, local.m[2][1] = 0, local.m[2][2] = insert.scaleZ;
  const Vector3 base = local.Turn(block.base);
  local.shift = Minus(point, base);
  // Then the INSERT's own system to the world.
  Placement toWorld;
  const Vector3 ax = ocs.ToWorld(1, 0, 0), ay = ocs.ToWorld(0, 1, 0), az = ocs.ToWorld(0, 0, 1);
  for (int i = 0; i < 3; ++i) {
    const double* axis[] = {&ax.x, &ay.x, &az.x};
    for (int j = 0; j < 3; ++j) toWorld.m[i][j] = axis[j][i];
  }
  return toWorld.After(local);
}

class Collector {
 public:
  Collector(const Drawing& d, PlanShapes& out) : d_(d), out_(out) {
    for (const Block& b : d.blocks) blocks_.emplace(common::ToUpperAscii(b.name), &b);
  }

  void Entities(const std::vector<Entity>& entities, const Placement& place, int layer, int depth) {
    for (const Entity& e : entities) {
      if (out_.cut) return;
      if (e.paperSpace) continue;
      // Inside a block, layer "0" is the layer of the INSERT.
      const int own = depth > 0 && e.layer == 0 ? layer : e.layer;
      switch (e.kind) {
        case Entity::Kind::Line:
          Edge(place.Place(e.a), place.Place(e.b), own);
          break;
        case Entity::Kind::Circle: {
          const Ocs ocs(e.normal);
          Circle(place, ocs, ocs.ToWorld(e.a.x, e.a.y, e.a.z), e.radius, own);
          break;
        }
        case Entity::Kind::Polyline:
          Polyline(e, place, own);
          break;
        case Entity::Kind::Insert:
          Insert(e, place, own, depth);
          break;
        case Entity::Kind::Arc:
          break;
      }
    }
  }

 private:
  bool Room() {
    if (out_.circles.size() + out_.edges.size() < kMostShapes) return true;
    out_.cut = true;
    return false;
  }

  void Edge(const Vector3& a, const Vector3& b, int layer) {
    if (!std::isfinite(a.x + a.y + b.x + b.y) || !Room()) return;
    out_.edges.push_back({a.x, a.y, b.x, b.y, layer});
  }

  // A circle of radius r about `centre` in the plane of `ocs` (block
  // coordinates): a circle of the plan only when the placement keeps it
  // round and flat on the plan.
  void Circle(const Placement& place, const Ocs& ocs, const Vector3& centre, double r, int layer) {
    if (!(r > 0) || !std::isfinite(r)) return;
    const Vector3 u = place.Turn(ocs.ToWorld(1, 0, 0)), v = place.Turn(ocs.ToWorld(0, 1, 0));
    const double lu = Length(u), lv = Length(v);
    const bool round = lu > 0 && std::fabs(lu - lv) <= kRoundTolerance * lu &&
                       std::fabs(Dot(u, v)) <= kRoundTolerance * lu * lv &&
                       std::fabs(u.z) <= kRoundTolerance * lu && std::fabs(v.z) <= kRoundTolerance * lv;
    const Vector3 c = place.Place(centre);
    if (!round || !std::isfinite(c.x + c.y + r * lu)) {
      ++out_.notCircles;
      return;
    }
    if (Room()) out_.circles.push_back({c.x, c.y, r * lu, layer});
  }

  void Polyline(const Entity& e, const Placement& place, int layer) {
    const Ocs ocs(e.normal);
    auto at = [&](const Vertex& v) {
      return e.worldVertices ? Vector3{v.x, v.y, 0} : ocs.ToWorld(v.x, v.y, e.elevation);
    };
    const std::size_t n = e.vertices.size();
    // Two half circles the same way round, closed: a circle about the middle of the chord.
    if (!e.worldVertices && n == 2 && e.closed) {
      const Vertex &a = e.vertices[0], &b = e.vertices[1];
      if (std::fabs(std::fabs(a.bulge) - kHalfCircleBulge) < kBulgeTolerance &&
          std::fabs(b.bulge - a.bulge) < kBulgeTolerance) {
        const double r = std::hypot(b.x - a.x, b.y - a.y) / 2;
        Circle(place, ocs, ocs.ToWorld((a.x + b.x) / 2, (a.y + b.y) / 2, e.elevation), r, layer);
        return;
      }
    }
    for (std::size_t i = 0; i + 1 < n + (e.closed ? 1 : 0); ++i) {
      const Vertex& a = e.vertices[i];
      if (!e.worldVertices && std::fabs(a.bulge) >= kStraightBulge) continue;  // an arc
      Edge(place.Place(at(a)), place.Place(at(e.vertices[(i + 1) % n])), layer);
    }
  }

  void Insert(const Entity& e, const Placement& place, int layer, int depth) {
    if (e.insert < 0 || static_cast<std::size_t>(e.insert) >= d_.inserts.size()) return;
    const dxf::Insert& insert = d_.inserts[static_cast<std::size_t>(e.insert)];
    auto found = blocks_.find(common::ToUpperAscii(insert.block));
    if (found == blocks_.end() || depth >= kMostInsertDepth) {
      ++out_.insertsLeftOut;
      return;
    }
    const int columns = std::max(1, insert.columns), rows = std::max(1, insert.rows);
    for (int c = 0; c < columns && !out_.cut; ++c)
      for (int r = 0; r < rows && !out_.cut; ++r) {
        // Copies of an empty block add no shape but cost time all the same.
        if (++placements_ > kMostShapes) {
          out_.cut = true;
          return;
        }
        Entities(found->second->entities, place.After(InsertPlacement(e, insert, *found->second, c, r)), layer,
                 depth + 1);
      }
  }

  const Drawing& d_;
  PlanShapes& out_;
  std::unordered_map<std::string, const Block*> blocks_;
  std::size_t placements_ = 0;
};

}  // namespace

void CollectPlanShapes(const Drawing& drawing, PlanShapes& shapes) {
  shapes = PlanShapes{};
  Collector(drawing, shapes).Entities(drawing.entities, Placement{}, 0, 0);
}

}  // namespace dxf
