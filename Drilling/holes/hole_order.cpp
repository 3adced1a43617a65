#include "Drilling/holes/hole_order.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "Drilling/app/message_channel.h"
#include "Drilling/app/nc_format.h"
#include "Drilling/app/number_text.h"
#include "Drilling/job/hole_controls.h"
#include "Drilling/job/job_file.h"
#include "common/profile.h"
#include "common/text.h"

namespace drilling {

namespace {

// A local move is taken only when it shortens the path by more than this
// (mm): rounding noise must not make two moves undo each other for ever.
constexpr double kMoveGainMm = 1e-7;
// The given order stays unless another is shorter by more than this (mm).
constexpr double kKeepGivenMm = 1e-3;
// As far as the NC writer reads positions and processes.
constexpr int kMaxRoutePositions = 98;
constexpr int kMaxRouteProcesses = 15;
using filekeys::kWholeValueRoom;

// The cost of each leg of a visiting order, the positions being nodes
// 0 .. n-1 and the start node n: between two positions the distance times
// the passes; from the start node to a position the way into the group
// (closed passes from the start, chained ones from the entry), from a
// position to the start node the way out. Only the legs at the start node
// depend on the direction.
class Distances {
 public:
  Distances(const PlanePoint& start, std::span<const PlanePoint> points, const GroupVisits& visits)
      : n_(points.size()), d_(n_ * n_), in_(n_), out_(n_) {
    auto mm = [](const PlanePoint& a, const PlanePoint& b) { return std::hypot(a.xMm - b.xMm, a.yMm - b.yMm); };
    const double passes = visits.closed + visits.chained;
    for (std::size_t a = 0; a < n_; ++a) {
      for (std::size_t b = 0; b < n_; ++b) d_[a * n_ + b] = passes * mm(points[a], points[b]);
      in_[a] = visits.closed * mm(start, points[a]) + visits.chained * mm(visits.entry, points[a]);
      out_[a] = visits.closed * mm(points[a], start) + visits.chained * mm(points[a], visits.exit);
    }
  }
  double operator()(int a, int b) const {
    if (a == Start()) return in_[static_cast<std::size_t>(b)];
    if (b == Start()) return out_[static_cast<std::size_t>(a)];
    return d_[static_cast<std::size_t>(a) * n_ + static_cast<std::size_t>(b)];
  }
  int Count() const { return static_cast<int>(n_); }
  int Start() const { return static_cast<int>(n_); }

 private:
  std::size_t n_;
  std::vector<double> d_, in_, out_;
};

// A closed tour: the start, the positions in visiting order, the start again.
using Tour = std::vector<int>;

Tour MakeTour(const Distances& d, const std::vector<int>& order) {
  Tour t;
  t.reserve(order.size() + 2);
  t.push_back(d.Start());
  t.insert(t.end(), order.begin(), order.end());
  t.push_back(d.Start());
  return t;
}

std::vector<int> OrderOf(const Tour& t) { return std::vector<int>(t.begin() + 1, t.end() - 1); }

double TourMm(const Distances& d, const Tour& t) {
  double sum = 0;
  for (std::size_t i = 0; i + 1 < t.size(); ++i) sum += d(t[i], t[i + 1]);
  return sum;
}

// The shortest tour, by dynamic programming over the subsets visited:
// best[mask][j] is the shortest path from the start through the positions
// of `mask` ending at j. Ties go to the lower index, so the result is fixed.
std::vector<int> ExactOrder(const Distances& d) {
  const int n = d.Count();
  const std::size_t states = std::size_t{1} << n;
  constexpr double kNone = std::numeric_limits<double>::infinity();
  std::vector<double> best(states * static_cast<std::size_t>(n), kNone);
  std::vector<signed char> previous(best.size(), -1);
  auto at = [n](std::size_t mask, int j) { return mask * static_cast<std::size_t>(n) + static_cast<std::size_t>(j); };
  for (int j = 0; j < n; ++j) best[at(std::size_t{1} << j, j)] = d(d.Start(), j);
  for (std::size_t mask = 1; mask < states; ++mask) {
    for (int j = 0; j < n; ++j) {
      const double here = best[at(mask, j)];
      if (here == kNone) continue;
      for (int k = 0; k < n; ++k) {
        if (mask & (std::size_t{1} << k)) continue;
        const std::size_t next = mask | (std::size_t{1} << k);
        const double length = here + d(j, k);
        if (length < best[at(next, k)]) {
          best[at(next, k)] = length;
          previous[at(next, k)] = static_cast<signed char>(j);
        }
      }
    }
  }
  const std::size_t all = states - 1;
  int last = 0;
  for (int j = 1; j < n; ++j)
    if (best[at(all, j)] + d(j, d.Start()) < best[at(all, last)] + d(last, d.Start())) last = j;
  std::vector<int> order;
  for (std::size_t mask = all; last >= 0;) {
    order.push_back(last);
    const int before = previous[at(mask, last)];
    mask &= ~(std::size_t{1} << last);
    last = before;
  }
  std::reverse(order.begin(), order.end());
  return order;
}

// Nearest neighbour from the start; with `first` >= 0 that position first.
std::vector<int> NearestNeighbour(const Distances& d, int first) {
  const int n = d.Count();
  std::vector<bool> visited(static_cast<std::size_t>(n), false);
  std::vector<int> order;
  int here = d.Start();
  if (first >= 0) {
    order.push_back(first);
    visited[static_cast<std::size_t>(first)] = true;
    here = first;
  }
  while (static_cast<int>(order.size()) < n) {
    int nearest = -1;
    for (int k = 0; k < n; ++k)
      if (!visited[static_cast<std::size_t>(k)] && (nearest < 0 || d(here, k) < d(here, nearest))) nearest = k;
    order.push_back(nearest);
    visited[static_cast<std::size_t>(nearest)] = true;
    here = nearest;
  }
  return order;
}

// 2-opt: two edges (a, a') and (b, b') replaced by (a, b) and (a', b'), the
// part between reversed. True when a move was made.
bool TwoOptPass(const Distances& d, Tour& t) {
  bool moved = false;
  const std::size_t last = t.size() - 2;  // index of the last position
  for (std::size_t i = 0; i + 2 <= last; ++i) {
    for (std::size_t j = i + 2; j <= last; ++j) {
      const double change = d(t[i], t[j]) + d(t[i + 1], t[j + 1]) - d(t[i], t[i + 1]) - d(t[j], t[j + 1]);
      if (change < -kMoveGainMm) {
        std::reverse(t.begin() + static_cast<long>(i) + 1, t.begin() + static_cast<long>(j) + 1);
        moved = true;
      }
    }
  }
  return moved;
}

// Or-opt: a run of one to three positions moved between two others, either
// way round. Makes the first move that shortens the path; true when it did.
bool OrOptMove(const Distances& d, Tour& t) {
  const std::size_t last = t.size() - 2;
  for (std::size_t length = 1; length <= 3 && length < last; ++length) {
    for (std::size_t i = 1; i + length - 1 <= last; ++i) {
      const int before = t[i - 1], first = t[i], end = t[i + length - 1], after = t[i + length];
      const double saved = d(before, first) + d(end, after) - d(before, after);
      for (std::size_t p = 0; p <= last; ++p) {
        if (p + 1 >= i && p <= i + length - 1) continue;  // an edge of the run or next to it
        const int c = t[p], e = t[p + 1];
        const double forward = d(c, first) + d(end, e) - d(c, e);
        const double reversed = d(c, end) + d(first, e) - d(c, e);
        if (std::min(forward, reversed) - saved >= -kMoveGainMm) continue;
        std::vector<int> run(t.begin() + static_cast<long>(i), t.begin() + static_cast<long>(i + length));
        if (reversed < forward) std::reverse(run.begin(), run.end());
        t.erase(t.begin() + static_cast<long>(i), t.begin() + static_cast<long>(i + length));
        const std::size_t insertAt = p < i ? p + 1 : p + 1 - length;
        t.insert(t.begin() + static_cast<long>(insertAt), run.begin(), run.end());
        return true;
      }
    }
  }
  return false;
}

Tour Improve(const Distances& d, Tour t) {
  for (;;) {
    bool moved = TwoOptPass(d, t);
    moved = OrOptMove(d, t) || moved;
    if (!moved) return t;
  }
}

std::vector<int> LocalSearchOrder(const Distances& d) {
  std::vector<std::vector<int>> starts;
  starts.push_back(GivenOrder(static_cast<std::size_t>(d.Count())));
  starts.push_back(NearestNeighbour(d, -1));
  for (int k = 0; k < d.Count(); ++k) starts.push_back(NearestNeighbour(d, k));
  Tour best;
  double bestMm = 0;
  for (const std::vector<int>& start : starts) {
    Tour t = Improve(d, MakeTour(d, start));
    const double mm = TourMm(d, t);
    if (best.empty() || mm < bestMm - kMoveGainMm) best = std::move(t), bestMm = mm;
  }
  return OrderOf(best);
}

}  // namespace

double RapidPathMm(const PlanePoint& start, std::span<const PlanePoint> points, std::span<const int> order,
                   const GroupVisits& visits) {
  if (order.empty()) return 0;
  auto mm = [](const PlanePoint& a, const PlanePoint& b) { return std::hypot(a.xMm - b.xMm, a.yMm - b.yMm); };
  auto at = [&](std::size_t i) { return points[static_cast<std::size_t>(order[i])]; };
  double through = 0;
  for (std::size_t i = 1; i < order.size(); ++i) through += mm(at(i - 1), at(i));
  const PlanePoint& first = at(0);
  const PlanePoint& last = at(order.size() - 1);
  return visits.closed * (mm(start, first) + through + mm(last, start)) +
         visits.chained * (mm(visits.entry, first) + through + mm(last, visits.exit));
}

std::vector<int> GivenOrder(std::size_t count) {
  std::vector<int> order(count);
  for (std::size_t i = 0; i < count; ++i) order[i] = static_cast<int>(i);
  return order;
}

std::vector<int> ShortVisitingOrder(const PlanePoint& start, std::span<const PlanePoint> points,
                                    const GroupVisits& visits) {
  std::vector<int> given = GivenOrder(points.size());
  if (points.size() < 2 || visits.closed + visits.chained <= 0) return given;
  const Distances d(start, points, visits);
  std::vector<int> found = points.size() <= kExactOrderLimit ? ExactOrder(d) : LocalSearchOrder(d);
  if (RapidPathMm(start, points, found, visits) < RapidPathMm(start, points, given, visits) - kKeepGivenMm)
    return found;
  return given;
}

GroupVisits VisitsOf(const JobRoute& route, int group) {
  GroupVisits visits;
  if (route.planned) {
    visits.closed = static_cast<int>(std::count(route.processGroups.begin(), route.processGroups.end(), group));
    visits.chained = static_cast<int>(std::count(route.processGroups.begin(), route.processGroups.end(), 0));
  } else {
    visits.closed = 2;
    visits.chained = 1;
  }
  visits.entry = visits.exit = route.start;
  for (int g = group - 1; g >= 1; --g)
    if (!route.groups[g - 1].empty()) {
      visits.entry = route.groups[g - 1].back();
      break;
    }
  for (int g = group + 1; g <= kHoleGroups; ++g)
    if (!route.groups[g - 1].empty()) {
      visits.exit = route.groups[g - 1].front();
      break;
    }
  return visits;
}

void OrderRouteGroups(JobRoute& route, std::span<const int> groups) {
  for (int round = 0; round < kMostOrderRounds; ++round) {
    bool changed = false;
    for (int g : groups) {
      std::vector<PlanePoint>& points = route.groups[g - 1];
      auto& texts = route.texts[g - 1];
      const std::vector<int> order = ShortVisitingOrder(route.start, points, VisitsOf(route, g));
      if (order == GivenOrder(points.size())) continue;
      const bool withTexts = texts.size() == points.size();
      std::vector<PlanePoint> newPoints;
      std::vector<std::pair<std::string, std::string>> newTexts;
      for (int i : order) {
        newPoints.push_back(points[static_cast<std::size_t>(i)]);
        if (withTexts) newTexts.push_back(texts[static_cast<std::size_t>(i)]);
      }
      points = std::move(newPoints);
      if (withTexts) texts = std::move(newTexts);
      changed = true;
    }
    if (!changed) return;
  }
}

bool ReadJobRoute(Context& ctx, common::Form* owner, JobRoute& route) {
  route = JobRoute{};
  std::string error;
  if (!ReadNcStartXY(ctx, route.start.xMm, route.start.yMm, error)) {
    Report(ctx, owner, kKindError, error);
    return false;
  }
  for (int g = 1; g <= kHoleGroups; ++g) {
    const std::string section = jobkey::HoleSection(g);
    for (int k = 1; k <= kMaxRoutePositions; ++k) {
      PlanePoint p;
      std::pair<std::string, std::string> texts;
      double* values[] = {&p.xMm, &p.yMm};
      std::string* stored[] = {&texts.first, &texts.second};
      bool complete = true;
      for (int axis = 0; axis < 2 && complete; ++axis) {
        const std::string key = jobkey::PositionKey(axis == 0 ? 'X' : 'Y', k);
        std::string& text = *stored[axis];
        text = ReadJobKey(ctx, section, key, kWholeValueRoom);
        if (text.empty()) {
          complete = false;
        } else if (!common::ParseNumber(text, values[axis])) {
          ReportF(ctx, owner, kKindError, "エラー：[%s] %s の値 [%s] は数値ではありません。", section.c_str(),
                  key.c_str(), text.c_str());
          return false;
        }
      }
      if (!complete) break;
      route.groups[g - 1].push_back(p);
      route.texts[g - 1].push_back(std::move(texts));
    }
  }
  for (int n = 1; n <= kMaxRouteProcesses; ++n) {
    const std::string section = jobkey::ProcessSection(n);
    if (ReadJobKey(ctx, section, jobkey::kToolName.name, kWholeValueRoom).empty()) break;
    route.planned = true;
    route.processGroups.push_back(common::ReadProfileInt(section, jobkey::kGroup.name, 0, ctx.currentJobPath));
  }
  return true;
}

int OptimiseHoleRows(Context& ctx, common::Form& dialog) {
  std::vector<std::pair<std::string, std::string>> rows;
  if (CheckHolePositions(ctx, dialog, rows) != kDone) return kFailed;
  JobRoute route;
  if (!ReadJobRoute(ctx, &dialog, route)) return -1;
  std::vector<PlanePoint> points;
  for (const auto& [x, y] : rows) points.push_back({common::ParseLeadingDouble(x), common::ParseLeadingDouble(y)});
  if (points.empty()) return Report(ctx, &dialog, kKindList, "加工順最適化：座標がありません。");
  const int group = std::clamp(ctx.currentHoleGroup, 1, kHoleGroups);
  route.groups[group - 1] = points;
  const GroupVisits visits = VisitsOf(route, group);

  const std::vector<int> order = ShortVisitingOrder(route.start, points, visits);
  const double beforeMm = RapidPathMm(route.start, points, GivenOrder(points.size()), visits);
  const double afterMm = RapidPathMm(route.start, points, order, visits);
  for (std::size_t k = 0; k < order.size(); ++k) {
    const auto& [x, y] = rows[static_cast<std::size_t>(order[k])];
    dialog.SetText(kHoleX1Edit + static_cast<int>(k), x);
    dialog.SetText(kHoleY1Edit + static_cast<int>(k), y);
  }
  if (order == GivenOrder(points.size()))
    return ReportF(ctx, &dialog, kKindList, "加工順最適化：%zu 穴、経路 %s mm（より短い順は見つかりません）",
                   points.size(), FormatNumber(beforeMm, 1).c_str());
  return ReportF(ctx, &dialog, kKindList, "加工順最適化：%zu 穴、経路 %s mm → %s mm", points.size(),
                 FormatNumber(beforeMm, 1).c_str(), FormatNumber(afterMm, 1).c_str());
}

}  // namespace drilling
