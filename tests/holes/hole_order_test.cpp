// The visiting order of a hole group: the shortest closed path from the start
// position for small groups (checked against every order), a local optimum
// never longer than the given order for large ones, and the dialog command
// that reorders the rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "Drilling/holes/hole_dialog.h"
#include "Drilling/holes/hole_dialog_template.h"
#include "Drilling/holes/hole_order.h"
#include "common/memory_form.h"
#include "holes/holes_fixture.h"
#include "support/scattered_points.h"

namespace {

using drilling::PlanePoint;

// The shortest path of the passes over every order of the positions.
double ShortestByEveryOrder(const PlanePoint& start, const std::vector<PlanePoint>& points,
                            const drilling::GroupVisits& v) {
  const std::size_t n = points.size();
  auto mm = [](const PlanePoint& a, const PlanePoint& b) { return std::hypot(a.xMm - b.xMm, a.yMm - b.yMm); };
  std::vector<std::vector<double>> d(n, std::vector<double>(n));
  std::vector<double> in(n), out(n);
  for (std::size_t a = 0; a < n; ++a) {
    for (std::size_t b = 0; b < n; ++b) d[a][b] = (v.closed + v.chained) * mm(points[a], points[b]);
    in[a] = v.closed * mm(start, points[a]) + v.chained * mm(v.entry, points[a]);
    out[a] = v.closed * mm(points[a], start) + v.chained * mm(points[a], v.exit);
  }
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  double best = 1e300;
  do {
    double sum = in[order[0]] + out[order[n - 1]];
    for (std::size_t i = 1; i < n; ++i) sum += d[order[i - 1]][order[i]];
    best = std::min(best, sum);
  } while (std::next_permutation(order.begin(), order.end()));
  return best;
}

// Positions on the circle of radius 100 about (100, 0), which passes through
// the start (0, 0), in order round it: no order is shorter.
std::vector<PlanePoint> AroundCircle(int count) {
  std::vector<PlanePoint> points;
  for (int k = 1; k <= count; ++k) {
    const double angle = std::numbers::pi * (1 + 2.0 * k / (count + 1));
    points.push_back({100 + 100 * std::cos(angle), 100 * std::sin(angle)});
  }
  return points;
}

bool IsPermutation(std::vector<int> order, std::size_t count) {
  std::sort(order.begin(), order.end());
  return order == drilling::GivenOrder(count);
}

TEST(HoleOrder, SmallGroupsGetTheShortestPath) {
  using drilling::GroupVisits;
  struct Case {
    const char* name;
    PlanePoint start;
    std::vector<PlanePoint> points;
    GroupVisits visits;
  };
  // Passes of the centre drill through group 2 of 3: in from (150, 20), out to (0, 120).
  const GroupVisits chainedOnly{0, 1, {150, 20}, {0, 120}};
  const GroupVisits mixed{2, 1, {150, 20}, {0, 120}};
  const std::vector<Case> cases = {
      {"one", {0, 0}, {{10, 10}}, {}},
      {"two, leaving towards the next group", {0, 0}, {{10, 100}, {140, 20}}, chainedOnly},
      {"three", {0, 0}, {{50, 0}, {10, 0}, {30, 40}}, {}},
      {"on a line, scrambled", {0, 0}, {{30, 0}, {10, 0}, {40, 0}, {20, 0}, {50, 0}}, {}},
      {"a repeated position", {0, 0}, {{20, 20}, {5, 5}, {20, 20}, {40, 0}}, {}},
      {"corners crossed", {0, 0}, {{15, 15}, {135, 85}, {135, 15}, {15, 85}}, {}},
      {"corners crossed, passed by the centre drill too", {0, 0}, {{15, 15}, {135, 85}, {135, 15}, {15, 85}}, mixed},
      {"start away from the origin", {200, 150}, testsupport::ScatteredPoints(7, 3), {}},
      {"six", {0, 0}, testsupport::ScatteredPoints(6, 1), {}},
      {"seven, only the pass over all groups", {0, 0}, testsupport::ScatteredPoints(7, 8), chainedOnly},
      {"eight", {0, 0}, testsupport::ScatteredPoints(8, 2), mixed},
      {"nine", {-50, 20}, testsupport::ScatteredPoints(9, 4), {}},
      {"ten", {0, 0}, testsupport::ScatteredPoints(10, 5), {}},
      {"ten, three passes of its own and one over all", {0, 0}, testsupport::ScatteredPoints(10, 6), {3, 1, {150, 20}, {0, 120}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<int> order = drilling::ShortVisitingOrder(c.start, c.points, c.visits);
    ASSERT_TRUE(IsPermutation(order, c.points.size()));
    EXPECT_NEAR(drilling::RapidPathMm(c.start, c.points, order, c.visits),
                ShortestByEveryOrder(c.start, c.points, c.visits), 1e-6);
  }
}

TEST(HoleOrder, LargeGroupsAreLocallyShortestAndNeverLonger) {
  const drilling::GroupVisits visitsOf[] = {{}, {2, 1, {150, 20}, {0, 120}}};
  for (int count : {13, 16, 20, 40}) {
    for (unsigned seed : {7u, 11u, 19u}) {
      const drilling::GroupVisits& visits = visitsOf[seed % 2];
      SCOPED_TRACE(testing::Message() << count << " positions, seed " << seed);
      const PlanePoint start{0, 0};
      const std::vector<PlanePoint> points = testsupport::ScatteredPoints(count, seed);
      const std::vector<int> order = drilling::ShortVisitingOrder(start, points, visits);
      ASSERT_TRUE(IsPermutation(order, points.size()));
      const double length = drilling::RapidPathMm(start, points, order, visits);
      EXPECT_LT(length, drilling::RapidPathMm(start, points, drilling::GivenOrder(points.size()), visits));
      EXPECT_EQ(order, drilling::ShortVisitingOrder(start, points, visits)) << "the same input gives the same order";
      // No 2-opt move (one stretch reversed) shortens the path any more.
      for (std::size_t i = 0; i < order.size(); ++i) {
        for (std::size_t j = i + 1; j < order.size(); ++j) {
          std::vector<int> moved = order;
          std::reverse(moved.begin() + static_cast<long>(i), moved.begin() + static_cast<long>(j) + 1);
          EXPECT_GE(drilling::RapidPathMm(start, points, moved, visits), length - 1e-6) << i << ".." << j;
        }
      }
    }
  }
}

TEST(HoleOrder, PassesAreCountedFromTheProcesses) {
  drilling::JobRoute route;
  route.start = {5, 5};
  route.groups[0] = {{10, 10}, {20, 10}};
  route.groups[2] = {{50, 50}};
  route.groups[3] = {{80, 80}, {90, 90}};
  route.processGroups = {0, 1, 1, 3, 0, 7};
  route.planned = true;
  struct Case {
    int group;
    bool planned;
    int closed, chained;
    PlanePoint entry, exit;
  };
  const Case cases[] = {
      {1, true, 2, 2, {5, 5}, {50, 50}},   {3, true, 1, 2, {20, 10}, {80, 80}},
      {4, true, 0, 2, {50, 50}, {5, 5}},   {2, true, 0, 2, {20, 10}, {50, 50}},
      {1, false, 2, 1, {5, 5}, {50, 50}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "group " << c.group << (c.planned ? "" : ", not planned"));
    route.planned = c.planned;
    const drilling::GroupVisits v = drilling::VisitsOf(route, c.group);
    EXPECT_EQ(v.closed, c.closed);
    EXPECT_EQ(v.chained, c.chained);
    EXPECT_EQ(std::pair(v.entry.xMm, v.entry.yMm), std::pair(c.entry.xMm, c.entry.yMm));
    EXPECT_EQ(std::pair(v.exit.xMm, v.exit.yMm), std::pair(c.exit.xMm, c.exit.yMm));
  }
}

TEST(HoleOrder, AnOrderAsShortAsAnyStaysAsGiven) {
  struct Case {
    const char* name;
    std::vector<PlanePoint> points;
  };
  const std::vector<Case> cases = {
      {"two", {{50, 0}, {10, 0}}},
      {"round a rectangle, in and out at the near side", {{15, 15}, {15, 85}, {135, 85}, {135, 15}}},
      {"the same the other way round", {{135, 15}, {135, 85}, {15, 85}, {15, 15}}},
      {"on a line, out and back", {{10, 0}, {30, 0}, {40, 0}, {20, 0}}},
      {"10 around a circle through the start", AroundCircle(10)},
      {"16 around a circle through the start", AroundCircle(16)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(drilling::ShortVisitingOrder({0, 0}, c.points), drilling::GivenOrder(c.points.size()));
  }
}

class HoleOrderDialogTest : public holestest::HolesFixture {
 protected:
  // One process drills group 1: one closed pass from the start.
  HoleOrderDialogTest() { MakeJob("[Drilling]\ntitle=T\n[Hole1]\n種類=ドリル\n[PROCESS1]\nTOOLNAME=ドリル\nGROUP=1\n"); }
  std::vector<std::string> Optimise(const std::vector<std::string>& rows) {
    common::MemoryForm dialog(drilling::HoleDialogTemplate(), drilling::HoleDialogProc(ctx));
    dialog.Init();
    SetRows(dialog, rows);
    dialog.Click(drilling::kHoleCmdOrder);
    return Rows(dialog);
  }
};

TEST_F(HoleOrderDialogTest, RowsAreReorderedFromTheStartPosition) {
  struct Case {
    const char* name;
    std::string ncFormat;  // section NCFORMAT of Drilling.ini
    std::vector<std::string> rows;
    std::vector<std::vector<std::string>> expected;  // the shortest, either way round
    std::string line;                                // reported
    std::string error;
  };
  const std::vector<std::string> crossed = {"15/15", "135/85", "135/15", "15/85"};
  const std::vector<Case> cases = {
      {"corners crossed",
       "",
       crossed,
       {{"15./15.", "15./85.", "135./85.", "135./15."}, {"135./15.", "135./85.", "15./85.", "15./15."}},
       "加工順最適化：4 穴、経路 455.375 mm → 417.044 mm",
       ""},
      {"from a start at the far corner",
       "StartX=150\nStartY=100.\n",
       crossed,
       {{"15./85.", "15./15.", "135./15.", "135./85."}, {"135./85.", "135./15.", "15./15.", "15./85."}},
       "加工順最適化：4 穴、経路 643.21 mm → 417.044 mm",
       ""},
      {"already shortest",
       "",
       {"15/15", "15/85", "135/85", "135/15"},
       {{"15./15.", "15./85.", "135./85.", "135./15."}},
       "加工順最適化：4 穴、経路 417.044 mm（より短い順は見つかりません）",
       ""},
      {"a gap before a filled row", "", {"10/0", "/", "30/0"}, {{"10/0", "/", "30/0"}}, "",
       "エラー：座標 [02] が空いているため"},
      {"a start that is no number", "StartX=abc\n", crossed, {crossed}, "",
       "エラー：NCFORMAT の StartX [abc] は数値ではありません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteConfig("[HoleType]\nHoleType0=ドリル\n[NCFORMAT]\n" + c.ncFormat);
    common::ForgetCachedProfiles();
    lines.clear();
    ui.boxes.clear();
    const std::vector<std::string> rows = Optimise(c.rows);
    EXPECT_TRUE(std::find(c.expected.begin(), c.expected.end(), rows) != c.expected.end())
        << testing::PrintToString(rows);
    if (!c.line.empty()) {
      EXPECT_TRUE(std::find(lines.begin(), lines.end(), c.line) != lines.end()) << testing::PrintToString(lines);
    }
    const std::vector<std::string> errors = ErrorBoxes();
    if (c.error.empty()) {
      EXPECT_TRUE(errors.empty()) << testing::PrintToString(errors);
    } else {
      ASSERT_EQ(errors.size(), 1u);
      EXPECT_EQ(errors[0].rfind(c.error, 0), 0u) << errors[0];
    }
  }
}

}  // namespace
