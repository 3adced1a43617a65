#include "common/tap_pitch.h"

#include <cmath>

namespace common {
namespace {

struct CoarseSize {
  double diameterMm;
  double pitchMm;
};

constexpr CoarseSize kCoarseSizes[] = {
    {3, 0.5},   {4, 0.7},  {5, 0.8},  {6, 1.0},  {8, 1.25}, {10, 1.5},
    {12, 1.75}, {14, 2.0}, {16, 2.0}, {20, 2.5}, {24, 3.0},
};

}  // namespace

std::optional<double> CoarsePitchMm(double nominalDiameterMm) {
  for (const CoarseSize& size : kCoarseSizes)
    if (size.diameterMm == nominalDiameterMm) return size.pitchMm;
  return std::nullopt;
}

TapFeedCheck CheckTapFeed(double nominalDiameterMm, double spindleRevPerMin, double feedMmPerMin) {
  TapFeedCheck check;
  std::optional<double> pitch = CoarsePitchMm(nominalDiameterMm);
  if (!pitch || !(spindleRevPerMin > 0)) return check;
  check.applies = true;
  check.pitchMm = *pitch;
  check.expectedFeedMmPerMin = *pitch * spindleRevPerMin;
  // A hair of slack so that a feed exactly on the limit (printed from the
  // same numbers) is not refused for a rounding error in the last bit.
  double limit = kTapFeedTolerance * check.expectedFeedMmPerMin * (1 + 1e-12);
  check.ok = std::fabs(feedMmPerMin - check.expectedFeedMmPerMin) <= limit;
  return check;
}

}  // namespace common
