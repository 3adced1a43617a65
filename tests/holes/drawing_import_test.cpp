// Hole groups from the circles and lines of a drawing: the outline, the
// pairing of concentric circles, kinds chosen by size, placing in the job
// and what does not fit.
#include <gtest/gtest.h>

#include <cmath>

#include "Drilling/holes/drawing_import.h"
#include "common/text.h"

namespace {

using namespace drilling;

std::vector<DrawnSegment> Box(double x0, double y0, double x1, double y1, bool reversed = false) {
  if (reversed) return {{x1, y0, x0, y0}, {x0, y1, x0, y0}, {x1, y1, x0, y1}, {x1, y1, x1, y0}};
  return {{x0, y0, x1, y0}, {x0, y1, x1, y1}, {x0, y0, x0, y1}, {x1, y0, x1, y1}};
}

std::vector<DrawnSegment> Join(std::vector<std::vector<DrawnSegment>> parts) {
  std::vector<DrawnSegment> all;
  for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(DrawingImport, OutlineIsTheRectangleOfTheStockElseTheLargest) {
  struct Case {
    const char* name;
    std::vector<DrawnSegment> segments;
    double stockX, stockY;
    std::optional<OutlineBox> expected;
  };
  const std::vector<Case> cases = {
      {"one box, offset", Box(40, 25, 190, 125), 150, 100, OutlineBox{40, 25, 190, 125}},
      {"drawn the other way round", Box(40, 25, 190, 125, true), 150, 100, OutlineBox{40, 25, 190, 125}},
      {"ends apart by less than the tolerance",
       {{0, 0, 100.004, 0}, {0, 50, 100, 50.006}, {0.003, 0, 0, 50}, {100, 0, 100, 50}},
       100,
       50,
       OutlineBox{0, 0, 100.004, 50}},
      {"a frame around the part of the stock's size",
       Join({Box(-20, -20, 400, 300), Box(10, 10, 160, 110)}), 150, 100, OutlineBox{10, 10, 160, 110}},
      {"no box of the stock's size: the largest", Join({Box(0, 0, 50, 50), Box(100, 0, 200, 60)}), 150, 100,
       OutlineBox{100, 0, 200, 60}},
      {"an open box", {{0, 0, 100, 0}, {0, 50, 100, 50}, {0, 0, 0, 50}}, 100, 50, std::nullopt},
      {"a gap wider than the tolerance",
       {{0, 0, 100, 0}, {0, 50, 100, 50}, {0, 0, 0, 50}, {100, 0.02, 100, 50}}, 100, 50, std::nullopt},
      {"slanted pieces", {{0, 0, 100, 10}, {0, 50, 100, 60}, {0, 0, 0, 50}, {100, 10, 100, 60}}, 100, 50,
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<OutlineBox> box = FindOutline(c.segments, c.stockX, c.stockY);
    ASSERT_EQ(box.has_value(), c.expected.has_value());
    if (!box) continue;
    EXPECT_NEAR(box->minXMm, c.expected->minXMm, 0.01);
    EXPECT_NEAR(box->minYMm, c.expected->minYMm, 0.01);
    EXPECT_NEAR(box->maxXMm, c.expected->maxXMm, 0.01);
    EXPECT_NEAR(box->maxYMm, c.expected->maxYMm, 0.01);
  }
}

// "kind diameter: x,y x,y ..." of each group, in order.
std::vector<std::string> Describe(const std::vector<ProposedGroup>& groups) {
  std::vector<std::string> out;
  for (const ProposedGroup& g : groups) {
    std::string line = GroupLabel(g) + ":";
    for (const PlanePoint& p : g.positions)
      line += " " + common::FormatText("%g,%g", p.xMm, p.yMm);
    out.push_back(line);
  }
  return out;
}

TEST(DrawingImport, CirclesBecomeGroupsByKindAndSize) {
  const std::vector<PairedSize> sizes = {{HoleKind::Counterbore, 9, 14},
                                         {HoleKind::Counterbore, 6.6, 11},
                                         {HoleKind::Tap, 10, 8.5},
                                         {HoleKind::Tap, 8, 6.8}};
  struct Case {
    const char* name;
    std::vector<DrawnCircle> circles;
    std::vector<KindChoice> kinds;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"single circles, sizes in increasing order",
       {{10, 10, 8.5}, {20, 10, 5}, {30, 10, 8.5}, {40, 10, 8.504}},
       {},
       {"ドリル φ5: 20,10", "ドリル φ8.5: 10,10 30,10 40,10"}},
      {"tap and counterbore pairs, either circle first",
       {{10, 10, 8.5}, {10, 10, 10}, {50, 50, 14}, {50.004, 49.996, 9}, {90, 10, 10.002}, {90, 10, 8.499}},
       {},
       {"ザグリ φ9: 50,50", "タップ φ10: 10,10 90,10"}},
      {"a pair no table has: two drills at one place", {{10, 10, 7}, {10, 10, 12}}, {}, {"ドリル φ7: 10,10",
                                                                                      "ドリル φ12: 10,10"}},
      {"three circles at one place: three drills", {{0, 0, 8.5}, {0, 0, 10}, {0, 0, 14}}, {},
       {"ドリル φ8.5: 0,0", "ドリル φ10: 0,0", "ドリル φ14: 0,0"}},
      {"a circle drawn twice is one", {{5, 5, 6}, {5, 5, 6.001}}, {}, {"ドリル φ6: 5,5"}},
      {"a size chosen as reamer", {{10, 10, 10}, {20, 10, 10}, {30, 10, 6}}, {{10, HoleKind::Reamer}},
       {"ドリル φ6: 30,10", "リーマ φ10: 10,10 20,10"}},
      {"a choice leaves a recognised pair alone",
       {{10, 10, 10}, {10, 10, 8.5}, {30, 10, 10}}, {{10, HoleKind::Reamer}}, {"タップ φ10: 10,10", "リーマ φ10: 30,10"}},
      {"nothing usable", {{1, 1, 0}, {2, 2, -3}}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<ProposedGroup> groups = GroupCircles(c.circles, sizes);
    ApplyKindChoices(groups, c.kinds);
    EXPECT_EQ(Describe(groups), c.expected);
  }
}

TEST(DrawingImport, AKindChangedByTheOperatorJoinsTheGroupOfThatKindAndSize) {
  std::vector<ProposedGroup> groups = {{HoleKind::Drill, 10, {{1, 1}}, false},
                                       {HoleKind::Tap, 10, {{2, 2}}, true},
                                       {HoleKind::Drill, 6, {{3, 3}}, true}};
  groups[1].kind = HoleKind::Drill;
  MergeGroups(groups);
  EXPECT_EQ(Describe(groups), (std::vector<std::string>{"ドリル φ6: 3,3", "ドリル φ10: 1,1 2,2"}));
  EXPECT_TRUE(groups[1].keep) << "kept when either was";
}

TEST(DrawingImport, PlacedFromTheCornerAndTheOriginAndFittedToTheJob) {
  std::vector<ProposedGroup> groups;
  for (int g = 0; g < 6; ++g) {
    ProposedGroup group{HoleKind::Drill, 3.0 + g, {}, true};
    const int count = g == 1 ? 23 : 1;
    for (int k = 0; k < count; ++k) group.positions.push_back({40.0 + k, 25.0004});
    groups.push_back(group);
  }
  groups[2].keep = false;  // dropped by the operator: not listed as left out
  PlaceInJob(groups, {40, 25}, {0, 0.0004});
  EXPECT_EQ(groups[0].positions[0].xMm, 0);
  EXPECT_FALSE(std::signbit(groups[0].positions[0].yMm)) << "no negative zero";
  EXPECT_EQ(groups[1].positions[22].xMm, 22);

  ImportFit fit = FitToJob(groups);
  ASSERT_EQ(fit.kept.size(), 4u);
  EXPECT_EQ(fit.kept[1].positions.size(), 20u);
  EXPECT_EQ(fit.kept[2].diameterMm, 6);
  EXPECT_EQ(fit.leftOut, (std::vector<std::string>{"ドリル φ4：3 穴（21 番目以降の座標）：X20. Y0.、X21. Y0.、X22. Y0.",
                                                   "ドリル φ8：1 穴（5 つ目以降の穴グループ）：X0. Y0."}));
}

}  // namespace
