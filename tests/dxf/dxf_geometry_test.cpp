// The plan of a drawing: entities mirrored or turned by their normal land
// where a CAD program draws them, and hostile angles, bulges and sizes stay
// within bounds.
#include "dxf/dxf_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/dxf_text.h"
#include "support/memory_limit.h"

namespace {

dxf::Drawing Read(const std::string& entities) {
  dxf::Drawing d;
  std::string error;
  EXPECT_TRUE(dxf::ReadDxf(testsupport::DxfEntitiesDrawing(entities), d, error)) << error;
  return d;
}

struct Box {
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
};

Box BoxOf(const std::vector<dxf::Piece>& pieces) {
  Box b;
  for (const dxf::Piece& p : pieces) {
    for (auto [x, y] : {std::pair{p.x1, p.y1}, std::pair{p.x2, p.y2}}) {
      b.minX = std::min(b.minX, x), b.maxX = std::max(b.maxX, x);
      b.minY = std::min(b.minY, y), b.maxY = std::max(b.maxY, y);
    }
  }
  return b;
}

// Each entity alone: the box of its pieces in the plan (as worked out by
// hand from the arbitrary axis algorithm: a normal (0,0,-1) turns the
// entity's X axis into world -X and keeps Y).
TEST(DxfPlan, NormalsPlaceEntitiesAsACadProgramDoes) {
  struct Case {
    const char* name;
    std::string entity;
    Box box;
  };
  const Case cases[] = {
      {"circle, upright", "0\nCIRCLE\n10\n10\n20\n5\n40\n2\n", {8, 3, 12, 7}},
      {"circle, mirrored", "0\nCIRCLE\n10\n10\n20\n5\n40\n2\n210\n0\n220\n0\n230\n-1\n", {-12, 3, -8, 7}},
      {"arc 0-90 about (10,0), mirrored: world 90-180 about (-10,0)", "0\nARC\n10\n10\n20\n0\n40\n5\n50\n0\n51\n90\n230\n-1\n",
       {-15, 0, -10, 5}},
      {"lwpolyline, mirrored", "0\nLWPOLYLINE\n90\n2\n70\n0\n10\n1\n20\n2\n10\n4\n20\n6\n230\n-1\n", {-4, 2, -1, 6}},
      {"2D polyline, mirrored, half circle by a bulge",
       "0\nPOLYLINE\n66\n1\n70\n0\n230\n-1\n0\nVERTEX\n10\n0\n20\n0\n42\n1\n0\nVERTEX\n10\n10\n20\n0\n0\nSEQEND\n",
       {-10, -5, 0, 0}},
      {"circle on a wall (normal X): its projection is a line", "0\nCIRCLE\n10\n0\n20\n0\n30\n3\n40\n2\n210\n1\n220\n0\n230\n0\n",
       {3, -2, 3, 2}},
      {"a start angle of 1e15 and an end of 1e9 degrees", "0\nARC\n10\n0\n20\n0\n40\n1\n50\n1e15\n51\n1e9\n", {-1, -1, 1, 1}},
      {"a bulge of 1e-17 is a straight edge", "0\nLWPOLYLINE\n10\n0\n20\n0\n42\n1e-17\n10\n10\n20\n0\n", {0, 0, 10, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<dxf::Piece> pieces;
    dxf::PlanNotes notes;
    dxf::PlanPieces(Read(c.entity), pieces, notes);
    ASSERT_FALSE(pieces.empty());
    EXPECT_LE(pieces.size(), static_cast<std::size_t>(dxf::kMostPiecesPerCircle));
    const Box b = BoxOf(pieces);
    EXPECT_NEAR(b.minX, c.box.minX, 1e-6);
    EXPECT_NEAR(b.minY, c.box.minY, 1e-6);
    EXPECT_NEAR(b.maxX, c.box.maxX, 1e-6);
    EXPECT_NEAR(b.maxY, c.box.maxY, 1e-6);
  }
  double x = 0, y = 0, r = 0;
  EXPECT_TRUE(dxf::PlanCircle(Read(cases[1].entity).entities[0], x, y, r));
  EXPECT_EQ(x, -10);
  EXPECT_FALSE(dxf::PlanCircle(Read(cases[5].entity).entities[0], x, y, r));
}

// Drawings of very many circles (and as many lines) in a child that may add
// 512 MB: 100 000 get thinner circles within the bound of pieces, 250 000
// fill it and the rest is counted. Paper space and block references are
// counted, not drawn.
TEST(DxfPlan, AHugeDrawingStaysWithinItsBound) {
  struct Case {
    int circles;
    bool full;
  };
  for (const Case c : {Case{100'000, false}, Case{250'000, true}}) {
    std::string entities = "0\nLINE\n67\n1\n11\n5\n0\nINSERT\n2\nB\n";
    for (int i = 0; i < c.circles; ++i) entities += "0\nCIRCLE\n10\n" + std::to_string(i) + "\n40\n1\n0\nLINE\n11\n1\n";
    const int status = testsupport::RunUnderMemoryLimit(std::size_t{512} << 20, [&] {
      std::vector<dxf::Piece> pieces;
      dxf::PlanNotes notes;
      dxf::PlanPieces(Read(entities), pieces, notes);
      const std::size_t fewest = static_cast<std::size_t>(c.circles) * (1 + dxf::kFewestPiecesPerCircle);
      const bool counted = c.full ? pieces.size() == dxf::kMostPieces && notes.piecesLeftOut == fewest - dxf::kMostPieces
                                  : pieces.size() <= dxf::kMostPieces && pieces.size() > fewest && notes.piecesLeftOut == 0;
      return counted && notes.paperSpace == 1 && notes.inserts == 1;
    });
    EXPECT_EQ(status, 0) << c.circles;
  }
}

}  // namespace
