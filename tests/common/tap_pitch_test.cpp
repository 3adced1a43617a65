#include "common/tap_pitch.h"

#include <gtest/gtest.h>

using namespace common;

TEST(TapPitch, CoarsePitchOfEveryStandardSizeAndNoneForOthers) {
  const struct {
    double diameter;
    double pitch;  // 0: not a standard coarse size
  } cases[] = {
      {3, 0.5}, {4, 0.7}, {5, 0.8}, {6, 1}, {8, 1.25}, {10, 1.5}, {12, 1.75},
      {14, 2}, {16, 2}, {20, 2.5}, {24, 3}, {6.8, 0}, {7, 0}, {0, 0}, {-6, 0}, {30, 0},
  };
  for (const auto& c : cases) {
    std::optional<double> pitch = CoarsePitchMm(c.diameter);
    if (c.pitch == 0) {
      EXPECT_FALSE(pitch.has_value()) << "M" << c.diameter;
    } else {
      ASSERT_TRUE(pitch.has_value()) << "M" << c.diameter;
      EXPECT_DOUBLE_EQ(*pitch, c.pitch) << "M" << c.diameter;
    }
  }
}

TEST(TapPitch, FeedWithinHalfAPercentOfPitchTimesSpeed) {
  const struct {
    double diameter, spindle, feed;
    bool applies, ok;
    double expected;
  } cases[] = {
      {10, 300, 450, true, true, 450},        // exact
      {10, 300, 452.25, true, true, 450},     // +0.5 %, on the limit
      {10, 300, 447.75, true, true, 450},     // -0.5 %, on the limit
      {10, 300, 452.4, true, false, 450},     // just above
      {10, 300, 447.6, true, false, 450},     // just below
      {8, 400, 500, true, true, 500},
      {8, 400, 400, true, false, 500},        // pitch 1 assumed: the classic slip
      {12, 250, 437, true, true, 437.5},      // integer feed within the tolerance
      {6.8, 300, 1, false, true, 0},          // not a tap size: no check
      {10, 0, 450, false, true, 0},           // no spindle speed: no check
      {10, -300, 450, false, true, 0},
  };
  for (const auto& c : cases) {
    TapFeedCheck check = CheckTapFeed(c.diameter, c.spindle, c.feed);
    EXPECT_EQ(check.applies, c.applies) << c.diameter << " S" << c.spindle << " F" << c.feed;
    EXPECT_EQ(check.ok, c.ok) << c.diameter << " S" << c.spindle << " F" << c.feed;
    EXPECT_DOUBLE_EQ(check.expectedFeedMmPerMin, c.expected) << c.diameter;
  }
}
