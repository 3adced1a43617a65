#include "gcode/canned_cycle.h"

#include <algorithm>

namespace gcode {
namespace {

// More pecks than this per hole are drawn as this many: a Q of a micron over
// a deep hole must not make millions of motions.
constexpr double kMostPecks = 1000;

class MotionSink {
 public:
  MotionSink(const CycleHole& hole, Point at, std::vector<Motion>& out) : hole_(hole), at_(at), out_(out) {}
  void Rapid(Point to) { Add(MotionKind::Rapid, to); }
  void Feed(Point to) { Add(MotionKind::Feed, to); }
  void RapidZ(double z) { Rapid({at_.x, at_.y, z}); }
  void FeedZ(double z) { Feed({at_.x, at_.y, z}); }
  Point at() const { return at_; }

 private:
  void Add(MotionKind kind, Point to) {
    if (to.x == at_.x && to.y == at_.y && to.z == at_.z) return;
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
};

}  // namespace

Point AppendCycleMotions(const CycleHole& hole, Point from, std::vector<Motion>& motions, double& dwellSeconds) {
  MotionSink m(hole, from, motions);
  const double r = hole.rMm, bottom = hole.bottomMm;
  if (m.at().z < r && hole.cycle != 87) m.RapidZ(r);
  m.Rapid({hole.xMm, hole.yMm, m.at().z});
  m.RapidZ(r);

  const double dwellS = hole.dwellMs / 1000.0;
  switch (hole.cycle) {
    case 83:
    case 73: {
      double q = std::max(hole.qMm, (r - bottom) / kMostPecks);
      double depth = r;
      while (depth > bottom && q > 0) {
        double next = std::max(depth - q, bottom);
        m.FeedZ(next);
        depth = next;
        if (depth <= bottom) break;
        if (hole.cycle == 83) {
          m.RapidZ(r);
          m.RapidZ(depth + hole.clearanceMm);
        } else {
          m.RapidZ(depth + hole.clearanceMm);
        }
      }
      if (bottom >= r) m.FeedZ(bottom);
      break;
    }
    case 82:
    case 88:
      m.FeedZ(bottom);
      dwellSeconds += dwellS;
      break;
    case 84:
    case 74:
    case 89:
      m.FeedZ(bottom);
      dwellSeconds += dwellS;
      m.FeedZ(r);
      break;
    case 85:
      m.FeedZ(bottom);
      m.FeedZ(r);
      break;
    case 87:
      m.FeedZ(bottom);
      m.RapidZ(hole.initialZMm);
      return m.at();
    default:  // 81, 86
      m.FeedZ(bottom);
      break;
  }
  m.RapidZ(hole.returnToInitial ? hole.initialZMm : r);
  return m.at();
}

}  // namespace gcode
