#include "gcode/canned_cycle.h"

#include <algorithm>
#include <cmath>

namespace gcode {
namespace {

using enum CycleStroke;
using enum CycleDwell;

constexpr CannedCycle kCycles[] = {
    // g   name                        peck   dwell      tapping written stroke
    {73, "high-speed peck drilling", true, kNone, false, true, kChipBreak},
    {74, "left-hand tapping", false, kOptional, true, false, kTap},
    {81, "drilling", false, kNone, false, true, kFeed},
    {82, "drilling with dwell", false, kAlways, false, true, kFeedDwell},
    {83, "peck drilling", true, kNone, false, true, kPeck},
    {84, "tapping", false, kOptional, true, true, kTap},
    {85, "boring, feed out", false, kNone, false, false, kFeedOut},
    {86, "boring, spindle stop", false, kNone, false, false, kFeedStop},
    {87, "back boring", false, kNone, false, false, kBackBore},
    {88, "boring, dwell and spindle stop", false, kAlways, false, false, kFeedDwellStop},
    {89, "boring, dwell and feed out", false, kAlways, false, false, kFeedDwellOut},
};

// Where the steps of a cycle go: every motion listed, or (measuring) the
// moves in X and Y listed and the strokes in Z summed.
class MotionSink {
 public:
  MotionSink(const CycleHole& hole, Point at, std::vector<Motion>& out, CycleStrokes* measure)
      : hole_(hole), at_(at), out_(out), measure_(measure) {}
  void Rapid(Point to) { Add(MotionKind::Rapid, to); }
  void Feed(Point to) { Add(MotionKind::Feed, to); }
  void RapidZ(double z) { Rapid({at_.x, at_.y, z}); }
  void FeedZ(double z) { Feed({at_.x, at_.y, z}); }
  Point at() const { return at_; }
  bool measuring() const { return measure_ != nullptr; }
  // Strokes in Z summed without listing them; the tool ends at `z`.
  void Strokes(double rapidMm, double feedMm, double z) {
    measure_->rapidMm += rapidMm;
    measure_->feedMm += feedMm;
    at_.z = z;
  }

 private:
  void Add(MotionKind kind, Point to) {
    if (to.x == at_.x && to.y == at_.y && to.z == at_.z) return;
    if (measure_ && to.x == at_.x && to.y == at_.y) {
      (kind == MotionKind::Rapid ? measure_->rapidMm : measure_->feedMm) += std::fabs(to.z - at_.z);
      at_ = to;
      return;
    }
    Motion m;
    m.kind = kind;
    m.from = at_;
    m.to = to;
    m.feedMmPerMin = kind == MotionKind::Feed ? hole_.feedMmPerMin : 0;
    m.line = hole_.line;
    m.inCycle = true;
    m.spindleRunning = hole_.spindleRunning;
    out_.push_back(m);
    at_ = to;
  }
  const CycleHole& hole_;
  Point at_;
  std::vector<Motion>& out_;
  CycleStrokes* measure_;
};

// Steps 4 to 6 of the peck cycles: each peck Q deeper than the one before,
// the last one to the bottom. A counted loop, so that no Q, however small
// against R and Z (or lost in their rounding), makes it endless. Measured,
// the same strokes in closed form: with n pecks of depth d(i) = R - i Q and
// the clearance c, the feeds are the depth plus (n - 1) c; G83 rapids up to
// R and back down to c above d(i), G73 up by c.
void Pecks(MotionSink& m, const CycleHole& hole, bool outToR) {
  const double r = hole.rMm, bottom = hole.bottomMm, c = hole.clearanceMm;
  const double span = r - bottom;
  if (!(span > 0)) {
    m.FeedZ(bottom);
    return;
  }
  const double q = std::max(hole.qMm, span / kMostPecks);
  const double count = std::ceil(span / q);
  const int pecks = count >= 1 ? static_cast<int>(std::min<double>(count, kMostPecks)) : 1;
  if (m.measuring() && m.at().z == r) {
    const double between = pecks - 1;  // retracts
    double rapid = 0;
    if (outToR) {
      // Up by i Q, down by |i Q - c|, for i = 1 .. n - 1.
      const double k = std::min(between, std::floor(c / q));
      rapid = q * between * (between + 1) / 2;
      rapid += (k * c - q * k * (k + 1) / 2) + (q * (between * (between + 1) - k * (k + 1)) / 2 - (between - k) * c);
    } else {
      rapid = between * c;
    }
    m.Strokes(rapid, span + between * c, bottom);
    return;
  }
  for (int i = 1; i < pecks; ++i) {
    const double depth = std::max(r - q * i, bottom);
    m.FeedZ(depth);
    if (outToR) m.RapidZ(r);
    m.RapidZ(depth + c);
  }
  m.FeedZ(bottom);
}

// Every step of one hole into `m`; dwells added to `dwellSeconds`.
Point CycleSteps(const CycleHole& hole, MotionSink& m, double& dwellSeconds) {
  const CannedCycle* cycle = FindCannedCycle(hole.cycle);
  const CycleStroke stroke = cycle ? cycle->stroke : kFeed;
  const double r = hole.rMm, bottom = hole.bottomMm;
  if (m.at().z < r && stroke != kBackBore) m.RapidZ(r);  // 1. up to R
  m.Rapid({hole.xMm, hole.yMm, m.at().z});               // 2. over the hole
  m.RapidZ(r);                                           // 3. down to R

  // 4 onwards, by the stroke (the numbers of the list in canned_cycle.h).
  const double dwellS = hole.dwellMs / 1000.0;
  switch (stroke) {
    case kPeck:
    case kChipBreak:
      Pecks(m, hole, stroke == kPeck);  // 4 to 6, counted
      break;
    case kFeedDwell:
    case kFeedDwellStop:
      m.FeedZ(bottom);          // 4.
      dwellSeconds += dwellS;   // 5. (the spindle stop of G88 moves nothing)
      break;
    case kTap:
    case kFeedDwellOut:
      m.FeedZ(bottom);          // 4.
      dwellSeconds += dwellS;   // 5.
      m.FeedZ(r);               // 6.
      break;
    case kFeedOut:
      m.FeedZ(bottom);          // 4.
      m.FeedZ(r);               // 5.
      break;
    case kBackBore:
      m.FeedZ(bottom);              // 4. up to Z from below
      m.RapidZ(hole.initialZMm);    // 5. and out, whatever G98 or G99
      return m.at();
    case kFeed:
    case kFeedStop:
      m.FeedZ(bottom);          // 4. (the spindle stop of G86 moves nothing)
      break;
  }
  m.RapidZ(hole.returnToInitial ? hole.initialZMm : r);  // last: the return level
  return m.at();
}

}  // namespace

std::span<const CannedCycle> CannedCycles() { return kCycles; }

const CannedCycle* FindCannedCycle(int g) {
  for (const CannedCycle& c : kCycles)
    if (c.g == g) return &c;
  return nullptr;
}

Point AppendCycleMotions(const CycleHole& hole, Point from, std::vector<Motion>& motions, double& dwellSeconds) {
  MotionSink m(hole, from, motions, nullptr);
  return CycleSteps(hole, m, dwellSeconds);
}

Point MeasureCycle(const CycleHole& hole, Point from, std::vector<Motion>& xyMotions, CycleStrokes& strokes) {
  MotionSink m(hole, from, xyMotions, &strokes);
  return CycleSteps(hole, m, strokes.dwellSeconds);
}

}  // namespace gcode
