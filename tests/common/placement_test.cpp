// Placing windows: beside another one without covering it, inside the
// screen; remembering a place as the fractions it is read back from; the
// argument that names the window to keep clear.
#include "common/placement.h"

#include <gtest/gtest.h>

namespace {

using common::Point;
using common::Rect;

TEST(Placement, BesideAWindowWhereTheScreenHasRoomElseAtTheBottom) {
  const Rect screen{0, 0, 1366, 728};
  const struct Case {
    const char* name;
    Rect keepClear;
    int width, height;
    Point want;
  } cases[] = {
      {"room below", {100, 50, 700, 400}, 800, 200, {100, 404}},
      {"no room below: to the right", {0, 0, 500, 700}, 800, 200, {504, 0}},
      {"only to the left", {866, 100, 1366, 700}, 800, 200, {62, 100}},
      {"only above", {100, 500, 1366, 728}, 800, 200, {100, 296}},
      // Nowhere whole: at the bottom of the screen, over the lower part.
      {"no room at all", {0, 0, 1300, 600}, 800, 200, {0, 528}},
      {"no room at all, window to the right", {400, 0, 1366, 700}, 800, 200, {400, 528}},
      {"keepClear near the right edge: below, moved inside", {1200, 0, 1366, 300}, 800, 200, {566, 304}},
  };
  for (const Case& c : cases) {
    const Point p = common::PlaceBeside(c.keepClear, c.width, c.height, screen);
    EXPECT_EQ(p, c.want) << c.name << ": " << p.x << "," << p.y;
    EXPECT_GE(p.x, screen.left) << c.name;
    EXPECT_GE(p.y, screen.top) << c.name;
    EXPECT_LE(p.x + c.width, screen.right) << c.name;
    EXPECT_LE(p.y + c.height, screen.bottom) << c.name;
  }
}

TEST(Placement, ARememberedPlaceComesBackToThePixel) {
  const Rect desktop{0, 0, 1366, 768};
  for (int x : {0, 1, 283, 565, 566}) {
    for (int y : {0, 7, 300, 528}) {
      const int freeX = desktop.right - 800;
      const int freeY = desktop.bottom - 200 - 40;
      const Point p = common::PlaceWindow(common::FractionOfPlace(x, freeX), common::FractionOfPlace(y, freeY), desktop,
                                          40, 800, 200);
      EXPECT_EQ(p, (Point{x, y}));
    }
  }
  EXPECT_EQ(common::FractionOfPlace(10, 0), 0) << "no free length";
  EXPECT_EQ(common::FractionOfPlace(900, 100), 1) << "past the free length";
}

TEST(Placement, BesideArgumentRoundTripAndMalformedOnes) {
  const Rect main{-20, 30, 880, 530};
  EXPECT_EQ(common::BesideArgumentText(main), "--beside=-20,30,900,500");
  EXPECT_EQ(common::BesideArgument({"ver", common::BesideArgumentText(main)}), main);
  for (const char* bad : {"--beside=1,2,3", "--beside=1,2,0,5", "--beside=1,2,3,4x", "--beside=a,b,c,d",
                          "--beside=1,2,3,4000000"}) {
    EXPECT_EQ(common::BesideArgument({bad}), std::nullopt) << bad;
  }
  EXPECT_EQ(common::BesideArgument({}), std::nullopt);
}

}  // namespace
