#include "common/placement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/text.h"

namespace common {

double PlacementFraction(std::string_view text) {
  double v = ParseLeadingDouble(text);
  if (std::isnan(v) || v < 0) return 0;
  if (v > 1) return 1;
  return v;
}

Point PlaceWindow(double x, double y, const Rect& desktop, int taskbarHeight, int width, int height) {
  Point p;
  p.x = static_cast<int>(std::trunc((desktop.right - width) * x));
  p.y = static_cast<int>(std::trunc((desktop.bottom - height - taskbarHeight) * y));
  return p;
}

double FractionOfPlace(int position, int freeLength) {
  if (freeLength <= 0) return 0;
  // The middle of the pixel, so that truncation gives the pixel back.
  return std::clamp((position + 0.5) / freeLength, 0.0, 1.0);
}

Rect Intersection(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  return r.Empty() ? Rect{} : r;
}

Rect Union(const Rect& a, const Rect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

Point PlaceBeside(const Rect& keepClear, int width, int height, const Rect& area) {
  constexpr int kGap = 4;
  auto inside = [](int v, int low, int high) { return std::max(low, std::min(v, high)); };
  const int x = inside(keepClear.left, area.left, area.right - width);
  const int y = inside(keepClear.top, area.top, area.bottom - height);
  const Point candidates[] = {
      {x, keepClear.bottom + kGap},        // below
      {keepClear.right + kGap, y},         // to the right
      {keepClear.left - kGap - width, y},  // to the left
      {x, keepClear.top - kGap - height},  // above
  };
  for (Point p : candidates) {
    if (p.x >= area.left && p.y >= area.top && p.x + width <= area.right && p.y + height <= area.bottom) return p;
  }
  // Nowhere whole: at the bottom of the screen, where it hides the least of
  // a form that starts at the top with its menu.
  return Point{x, inside(keepClear.bottom + kGap, area.top, area.bottom - height)};
}

namespace {
constexpr std::string_view kBesidePrefix = "--beside=";
constexpr int kLargestCoordinate = 100000;
}  // namespace

std::optional<Rect> BesideArgument(const std::vector<std::string>& arguments) {
  for (const std::string& a : arguments) {
    if (a.rfind(kBesidePrefix, 0) != 0) continue;
    int v[4];
    char rest = 0;
    if (std::sscanf(a.c_str() + kBesidePrefix.size(), "%d,%d,%d,%d%c", &v[0], &v[1], &v[2], &v[3], &rest) != 4)
      return std::nullopt;
    for (int n : v)
      if (std::abs(n) > kLargestCoordinate) return std::nullopt;
    if (v[2] <= 0 || v[3] <= 0) return std::nullopt;
    return Rect{v[0], v[1], v[0] + v[2], v[1] + v[3]};
  }
  return std::nullopt;
}

std::string BesideArgumentText(const Rect& frame) {
  return std::string(kBesidePrefix) + FormatText("%d,%d,%d,%d", frame.left, frame.top, frame.Width(), frame.Height());
}

}  // namespace common
