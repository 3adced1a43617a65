// The circles and edges of a plan with its blocks placed: where a CAD
// program shows a turned, mirrored, scaled or nested block, a circle drawn
// as two half circles, and bounds against blocks that never end.
#include "dxf/plan_shapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/text.h"

namespace {

dxf::Drawing Read(const std::string& blocks, const std::string& entities) {
  dxf::Drawing d;
  std::string error;
  EXPECT_TRUE(dxf::ReadDxf("0\nSECTION\n2\nBLOCKS\n" + blocks + "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + entities +
                               "0\nENDSEC\n0\nEOF\n",
                           d, error))
      << error;
  return d;
}

std::string Block(const std::string& name, const std::string& entities, const std::string& base = "10\n0\n20\n0\n") {
  return "0\nBLOCK\n8\n0\n2\n" + name + "\n70\n0\n" + base + "3\n" + name + "\n" + entities + "0\nENDBLK\n";
}

// The hole symbol: a circle of radius 5 on layer 0 and one of 2 on layer MARK, 10 right of the base.
const std::string kHole =
    Block("HOLE", "0\nCIRCLE\n8\n0\n10\n10\n20\n0\n40\n5\n0\nCIRCLE\n8\nMARK\n10\n10\n20\n0\n40\n2\n");

// "x,y r layer" of every circle, sorted.
std::vector<std::string> Circles(const dxf::Drawing& d, const dxf::PlanShapes& s) {
  std::vector<std::string> out;
  for (const dxf::ShapeCircle& c : s.circles)
    out.push_back(common::FormatText("%.3f,%.3f r%.3f %s", c.xMm + 0.0, c.yMm + 0.0, c.radiusMm,
                                     d.layers[static_cast<std::size_t>(c.layer)].c_str()));
  std::sort(out.begin(), out.end());
  return out;
}

TEST(PlanShapes, BlocksArePlacedAsACadProgramShowsThem) {
  struct Case {
    const char* name;
    std::string blocks;
    std::string entities;
    std::vector<std::string> circles;
    int notCircles = 0;
    int insertsLeftOut = 0;
  };
  const std::string insertAt100_50 = "0\nINSERT\n8\nHOLES\n2\nHOLE\n10\n100\n20\n50\n";
  const std::vector<Case> cases = {
      {"placed at its point, layer 0 taking the INSERT's", kHole, insertAt100_50,
       {"110.000,50.000 r2.000 MARK", "110.000,50.000 r5.000 HOLES"}},
      {"turned by 90 degrees", kHole, insertAt100_50 + "50\n90\n",
       {"100.000,60.000 r2.000 MARK", "100.000,60.000 r5.000 HOLES"}},
      {"mirrored by a negative X scale and turned", kHole, insertAt100_50 + "41\n-1\n50\n90\n",
       {"100.000,40.000 r2.000 MARK", "100.000,40.000 r5.000 HOLES"}},
      {"mirrored by its normal (0,0,-1)", kHole, insertAt100_50 + "230\n-1\n",
       {"-110.000,50.000 r2.000 MARK", "-110.000,50.000 r5.000 HOLES"}},
      {"scaled 2, about a base point of (10,0)",
       Block("HOLE", "0\nCIRCLE\n10\n10\n20\n0\n40\n5\n", "10\n10\n20\n0\n"), insertAt100_50 + "41\n2\n42\n2\n",
       {"100.000,50.000 r10.000 HOLES"}},
      {"nested: a plate of two holes, inserted twice as large",
       kHole + Block("PLATE", "0\nINSERT\n2\nHOLE\n10\n0\n20\n0\n0\nINSERT\n8\nRED\n2\nHOLE\n10\n0\n20\n30\n"),
       "0\nINSERT\n8\nHOLES\n2\nPLATE\n10\n100\n20\n0\n41\n2\n42\n2\n",
       {"120.000,0.000 r10.000 HOLES", "120.000,0.000 r4.000 MARK", "120.000,60.000 r10.000 RED",
        "120.000,60.000 r4.000 MARK"}},
      {"columns and rows of a MINSERT", Block("C", "0\nCIRCLE\n10\n0\n20\n0\n40\n1\n"),
       "0\nINSERT\n2\nC\n10\n0\n20\n0\n70\n2\n71\n2\n44\n10\n45\n5\n",
       {"0.000,0.000 r1.000 0", "0.000,5.000 r1.000 0", "10.000,0.000 r1.000 0", "10.000,5.000 r1.000 0"}},
      {"stretched unevenly: no circle", kHole, insertAt100_50 + "41\n2\n", {}, 2},
      {"a circle drawn as two half circles",
       "",
       "0\nLWPOLYLINE\n8\nP\n90\n2\n70\n1\n10\n10\n20\n5\n42\n1\n10\n20\n20\n5\n42\n1\n"
       "0\nLWPOLYLINE\n90\n2\n70\n1\n10\n0\n20\n0\n42\n-1\n10\n0\n20\n8\n42\n-1\n230\n-1\n",
       {"0.000,4.000 r4.000 0", "15.000,5.000 r5.000 P"}},
      {"half circles that do not close, or turn both ways: no circle", "",
       "0\nLWPOLYLINE\n90\n2\n70\n0\n10\n10\n20\n5\n42\n1\n10\n20\n20\n5\n42\n1\n"
       "0\nLWPOLYLINE\n90\n2\n70\n1\n10\n10\n20\n5\n42\n1\n10\n20\n20\n5\n42\n-1\n",
       {}},
      {"a block that inserts itself, and one the drawing lacks",
       Block("SELF", "0\nCIRCLE\n10\n0\n20\n0\n40\n1\n0\nINSERT\n2\nSELF\n10\n1\n20\n0\n"),
       "0\nINSERT\n2\nSELF\n10\n0\n20\n0\n0\nINSERT\n2\nNONE\n10\n0\n20\n0\n",
       {}, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const dxf::Drawing d = Read(c.blocks, c.entities);
    dxf::PlanShapes shapes;
    dxf::CollectPlanShapes(d, shapes);
    if (std::string(c.name).rfind("a block that inserts", 0) == 0) {
      EXPECT_EQ(shapes.circles.size(), static_cast<std::size_t>(dxf::kMostInsertDepth));
    } else {
      EXPECT_EQ(Circles(d, shapes), c.circles);
    }
    EXPECT_EQ(shapes.notCircles, c.notCircles);
    EXPECT_EQ(shapes.insertsLeftOut, c.insertsLeftOut);
    EXPECT_FALSE(shapes.cut);
  }
}

TEST(PlanShapes, StraightEdgesOfLinesAndPolylinesAndTheBoundOfCopies) {
  const dxf::Drawing d = Read(Block("E", ""), "0\nLINE\n10\n0\n20\n0\n11\n150\n21\n0\n"
                                              "0\nLWPOLYLINE\n90\n3\n70\n1\n10\n0\n20\n0\n10\n10\n20\n0\n42\n0.5\n"
                                              "10\n10\n20\n10\n"
                                              "0\nINSERT\n2\nE\n10\n0\n20\n0\n70\n30000\n71\n30000\n");
  dxf::PlanShapes shapes;
  dxf::CollectPlanShapes(d, shapes);
  // The line and two straight edges of the polyline (the one with a bulge is an arc).
  ASSERT_EQ(shapes.edges.size(), 3u);
  EXPECT_EQ(shapes.edges[0].x2Mm, 150);
  EXPECT_EQ(shapes.edges[1].x2Mm, 10);
  EXPECT_EQ(shapes.edges[2].y1Mm, 10);
  EXPECT_EQ(shapes.edges[2].x2Mm, 0);
  EXPECT_TRUE(shapes.cut) << "900 million copies of an empty block are not all placed";
}

}  // namespace
