// Placing a top-level window by configured fractions of the free screen.
#pragma once

#include <string_view>

namespace common {

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// A fraction text ("0.5") converted as a decimal number and clamped to 0..1;
// text without digits gives 0.
double PlacementFraction(std::string_view text);

// left = (desktop right - width) * x, top = (desktop bottom - height -
// taskbar height) * y, each truncated towards zero.
Point PlaceWindow(double x, double y, const Rect& desktop, int taskbarHeight, int width, int height);

}  // namespace common
