// Rigid tapping (G84) advances the tap by one pitch per spindle revolution,
// so the programmed feed must equal pitch x spindle speed; a feed that
// drifts from it strips the thread or breaks the tap. This is the ISO metric
// coarse-thread pitch table and the feed check built on it. Pure functions,
// no Qt and no drilling code: the independent G-code checker uses them too.
#pragma once

#include <optional>

namespace common {

// Relative tolerance of the tap feed against pitch x speed (0.5 %).
inline constexpr double kTapFeedTolerance = 0.005;

// The coarse pitch in mm of the standard metric size whose nominal diameter
// is `nominalDiameterMm` exactly (M3 0.5 ... M24 3); empty for any other
// diameter (fine threads, inch sizes, sizes outside the table).
std::optional<double> CoarsePitchMm(double nominalDiameterMm);

struct TapFeedCheck {
  bool applies = false;            // a standard coarse size with a positive spindle speed
  double pitchMm = 0;              // pitch of the size, when it applies
  double expectedFeedMmPerMin = 0; // pitch x spindle speed, when it applies
  bool ok = true;                  // false only when it applies and the feed is off
};

// Checks a tapping feed (mm/min) against pitch x spindle speed (rev/min).
// Applies only to the sizes of the table and a spindle speed above 0; then
// ok is false when |feed - expected| > 0.5 % of expected.
TapFeedCheck CheckTapFeed(double nominalDiameterMm, double spindleRevPerMin, double feedMmPerMin);

}  // namespace common
