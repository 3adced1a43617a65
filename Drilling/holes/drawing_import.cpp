#include "Drilling/holes/drawing_import.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "Drilling/app/number_text.h"
#include "common/text.h"

namespace drilling {

namespace {

bool Near(const PlanePoint& a, const PlanePoint& b) { return NearMm(a.xMm, b.xMm) && NearMm(a.yMm, b.yMm); }

// A length to the micrometre, never a negative zero ("-0.").
double Micrometre(double mm) {
  const double r = std::round(mm * 1000) / 1000;
  return r == 0 ? 0.0 : r;
}

// Points filed in cells of the tolerance's size: a point within the
// tolerance of another lies in its cell or a neighbouring one.
class PointIndex {
 public:
  void Add(const PlanePoint& p, int item) { cells_[Key(Cell(p.xMm), Cell(p.yMm))].push_back({p, item}); }
  // Every item filed at a point within the tolerance of `p`.
  template <typename F>
  void ForNear(const PlanePoint& p, F&& f) const {
    const std::int64_t cx = Cell(p.xMm), cy = Cell(p.yMm);
    for (std::int64_t dx = -1; dx <= 1; ++dx)
      for (std::int64_t dy = -1; dy <= 1; ++dy) {
        auto it = cells_.find(Key(cx + dx, cy + dy));
        if (it == cells_.end()) continue;
        for (const auto& [at, item] : it->second)
          if (Near(at, p)) f(item);
      }
  }

 private:
  static std::int64_t Cell(double mm) { return static_cast<std::int64_t>(std::floor(mm / kImportToleranceMm)); }
  static std::uint64_t Key(std::int64_t x, std::int64_t y) {
    return (static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ull) ^ static_cast<std::uint64_t>(y);
  }
  std::unordered_map<std::uint64_t, std::vector<std::pair<PlanePoint, int>>> cells_;
};

// A straight piece parallel to an axis, from its lower (left or bottom) end.
struct AxisPiece {
  PlanePoint from, to;
};

// Increasing size in steps of the tolerance, then the kinds in the order
// drill, counterbore, tap, reamer; drawing order within that.
void SortBySize(std::vector<ProposedGroup>& groups) {
  auto key = [](const ProposedGroup& g) {
    return std::pair(std::llround(g.diameterMm / kImportToleranceMm), static_cast<int>(g.kind));
  };
  std::stable_sort(groups.begin(), groups.end(),
                   [&](const ProposedGroup& a, const ProposedGroup& b) { return key(a) < key(b); });
}

}  // namespace

std::optional<OutlineBox> FindOutline(std::span<const DrawnSegment> segments, double stockXMm, double stockYMm) {
  std::vector<AxisPiece> horizontal, vertical;
  PointIndex horizontalByLeft, verticalByBottom;
  for (const DrawnSegment& s : segments) {
    // Far-away or non-finite pieces cannot be part of a stock outline.
    if (!std::isfinite(s.x1Mm + s.y1Mm + s.x2Mm + s.y2Mm)) continue;
    if (std::fabs(s.x1Mm) > 1e9 || std::fabs(s.y1Mm) > 1e9 || std::fabs(s.x2Mm) > 1e9 || std::fabs(s.y2Mm) > 1e9)
      continue;
    PlanePoint a{s.x1Mm, s.y1Mm}, b{s.x2Mm, s.y2Mm};
    if (NearMm(a.yMm, b.yMm) && !NearMm(a.xMm, b.xMm)) {
      if (b.xMm < a.xMm) std::swap(a, b);
      horizontalByLeft.Add(a, static_cast<int>(horizontal.size()));
      horizontal.push_back({a, b});
    } else if (NearMm(a.xMm, b.xMm) && !NearMm(a.yMm, b.yMm)) {
      if (b.yMm < a.yMm) std::swap(a, b);
      verticalByBottom.Add(a, static_cast<int>(vertical.size()));
      vertical.push_back({a, b});
    }
  }
  std::optional<OutlineBox> largest, ofStockSize;
  for (const AxisPiece& bottom : horizontal) {
    verticalByBottom.ForNear(bottom.from, [&](int left) {
      const PlanePoint topLeft = vertical[static_cast<std::size_t>(left)].to;
      verticalByBottom.ForNear(bottom.to, [&](int right) {
        const PlanePoint topRight = vertical[static_cast<std::size_t>(right)].to;
        if (!NearMm(topLeft.yMm, topRight.yMm)) return;
        horizontalByLeft.ForNear(topLeft, [&](int top) {
          if (!Near(horizontal[static_cast<std::size_t>(top)].to, topRight)) return;
          const OutlineBox box{bottom.from.xMm, bottom.from.yMm, bottom.to.xMm, topLeft.yMm};
          const double area = box.WidthMm() * box.HeightMm();
          if (!largest || area > largest->WidthMm() * largest->HeightMm()) largest = box;
          if (!ofStockSize && NearMm(box.WidthMm(), stockXMm) && NearMm(box.HeightMm(), stockYMm)) ofStockSize = box;
        });
      });
    });
  }
  return ofStockSize ? ofStockSize : largest;
}

std::vector<ProposedGroup> GroupCircles(std::span<const DrawnCircle> circles, std::span<const PairedSize> pairs) {
  // Concentric circles: one centre each, its distinct diameters in drawing order.
  struct Centre {
    PlanePoint at;
    std::vector<double> diameters;
  };
  std::vector<Centre> centres;
  PointIndex index;
  for (const DrawnCircle& c : circles) {
    if (!std::isfinite(c.xMm) || !std::isfinite(c.yMm) || !(c.diameterMm > 0) || !std::isfinite(c.diameterMm))
      continue;
    const PlanePoint at{c.xMm, c.yMm};
    int found = -1;
    index.ForNear(at, [&](int item) {
      if (found < 0 || item < found) found = item;
    });
    if (found < 0) {
      found = static_cast<int>(centres.size());
      centres.push_back({at, {}});
      index.Add(at, found);
    }
    std::vector<double>& d = centres[static_cast<std::size_t>(found)].diameters;
    if (std::none_of(d.begin(), d.end(), [&](double x) { return NearMm(x, c.diameterMm); })) d.push_back(c.diameterMm);
  }

  std::vector<ProposedGroup> groups;
  auto add = [&groups](HoleKind kind, double diameterMm, const PlanePoint& at) {
    for (ProposedGroup& g : groups)
      if (g.kind == kind && NearMm(g.diameterMm, diameterMm)) {
        g.positions.push_back(at);
        return;
      }
    groups.push_back({kind, diameterMm, {at}, true});
  };
  for (const Centre& c : centres) {
    if (c.diameters.size() == 2) {
      const double small = std::min(c.diameters[0], c.diameters[1]);
      const double large = std::max(c.diameters[0], c.diameters[1]);
      auto match = std::find_if(pairs.begin(), pairs.end(), [&](const PairedSize& p) {
        return (NearMm(p.holeMm, small) && NearMm(p.otherMm, large)) || (NearMm(p.holeMm, large) && NearMm(p.otherMm, small));
      });
      if (match != pairs.end()) {
        add(match->kind, match->holeMm, c.at);
        continue;
      }
    }
    for (double d : c.diameters) add(HoleKind::Drill, Micrometre(d), c.at);
  }
  SortBySize(groups);
  return groups;
}

void MergeGroups(std::vector<ProposedGroup>& groups) {
  std::vector<ProposedGroup> merged;
  for (ProposedGroup& g : groups) {
    auto same = std::find_if(merged.begin(), merged.end(), [&](const ProposedGroup& m) {
      return m.kind == g.kind && NearMm(m.diameterMm, g.diameterMm);
    });
    if (same == merged.end()) {
      merged.push_back(std::move(g));
    } else {
      same->positions.insert(same->positions.end(), g.positions.begin(), g.positions.end());
      same->keep = same->keep || g.keep;
    }
  }
  SortBySize(merged);
  groups = std::move(merged);
}

void ApplyKindChoices(std::vector<ProposedGroup>& groups, std::span<const KindChoice> choices) {
  for (const KindChoice& choice : choices)
    for (ProposedGroup& g : groups)
      if (g.kind == HoleKind::Drill && NearMm(g.diameterMm, choice.diameterMm)) g.kind = choice.kind;
  MergeGroups(groups);
}

void PlaceInJob(std::vector<ProposedGroup>& groups, const PlanePoint& cornerMm, const PlanePoint& originMm) {
  for (ProposedGroup& g : groups)
    for (PlanePoint& p : g.positions) {
      p.xMm = Micrometre(p.xMm - cornerMm.xMm - originMm.xMm);
      p.yMm = Micrometre(p.yMm - cornerMm.yMm - originMm.yMm);
    }
}

std::string GroupLabel(const ProposedGroup& group) {
  const HoleKindDescription* k = DescribeHoleKind(group.kind);
  return common::FormatText("%s φ%s", k ? k->word : "", FormatNumber(group.diameterMm, 0).c_str());
}

ImportFit FitToJob(const std::vector<ProposedGroup>& groups) {
  ImportFit fit;
  auto positionsText = [](std::span<const PlanePoint> positions) {
    std::string text;
    for (const PlanePoint& p : positions) {
      if (!text.empty()) text += "、";
      text += common::FormatText("X%s Y%s", FormatNumber(p.xMm, 1).c_str(), FormatNumber(p.yMm, 1).c_str());
    }
    return text;
  };
  for (const ProposedGroup& g : groups) {
    if (!g.keep) continue;
    if (fit.kept.size() == kImportMaxGroups) {
      fit.leftOut.push_back(common::FormatText("%s：%zu 穴（5 つ目以降の穴グループ）：%s", GroupLabel(g).c_str(),
                                               g.positions.size(), positionsText(g.positions).c_str()));
      continue;
    }
    ProposedGroup kept = g;
    if (kept.positions.size() > kImportMaxPositions) {
      std::span<const PlanePoint> rest(g.positions.begin() + kImportMaxPositions, g.positions.end());
      fit.leftOut.push_back(common::FormatText("%s：%zu 穴（21 番目以降の座標）：%s", GroupLabel(g).c_str(),
                                               rest.size(), positionsText(rest).c_str()));
      kept.positions.resize(kImportMaxPositions);
    }
    fit.kept.push_back(std::move(kept));
  }
  return fit;
}

}  // namespace drilling
