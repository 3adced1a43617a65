#include "common/placement.h"

#include <cmath>

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

}  // namespace common
