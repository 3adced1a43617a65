// The DXF reader and the plan of a drawing: whatever the bytes, a read
// drawing holds no more entities than its groups allow, every piece of its
// plan is finite and their number within the bound, and a failed read says
// why on which line.
#include <cmath>
#include <cstdint>
#include <string>

#include "Drillview/scene.h"
#include "dxf/dxf_geometry.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  dxf::Drawing d;
  std::string error;
  if (!dxf::ReadDxf(bytes, d, error)) {
    FUZZ_CHECK(error.rfind("line ", 0) == 0);
    return 0;
  }
  // Every entity takes a group of two lines at least.
  FUZZ_CHECK(d.entities.size() <= size / 2 + 1);
  for (const dxf::Entity& e : d.entities) {
    FUZZ_CHECK(e.layer >= 0 && static_cast<std::size_t>(e.layer) < d.layers.size());
    if (e.kind == dxf::Entity::Kind::Insert) FUZZ_CHECK(e.insert >= 0 && static_cast<std::size_t>(e.insert) < d.inserts.size());
  }
  std::vector<dxf::Piece> pieces;
  dxf::PlanNotes notes;
  dxf::PlanPieces(d, pieces, notes);
  FUZZ_CHECK(pieces.size() <= dxf::kMostPieces);
  for (const dxf::Piece& p : pieces)
    FUZZ_CHECK(std::isfinite(p.x1) && std::isfinite(p.y1) && std::isfinite(p.x2) && std::isfinite(p.y2));
  for (const dxf::Entity& e : d.entities) {
    double x = 0, y = 0, r = 0;
    if (e.kind == dxf::Entity::Kind::Circle && dxf::PlanCircle(e, x, y, r)) FUZZ_CHECK(std::isfinite(x) && r > 0);
  }
  const drillview::Scene scene = drillview::DrawingScene(d);
  FUZZ_CHECK(scene.top.size() == pieces.size());
  for (const drillview::FindingGroup& g : scene.findings) FUZZ_CHECK(fuzzsupport::IsUtf8(g.text));
  return 0;
}
