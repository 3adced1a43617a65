// Placing a top-level window by configured fractions of the free screen.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace common {

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect&) const = default;
};

// The common part of two rectangles (empty when they do not meet), and the
// smallest rectangle holding both (an empty one adds nothing).
Rect Intersection(const Rect& a, const Rect& b);
Rect Union(const Rect& a, const Rect& b);

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

// The fraction that PlaceWindow turns back into `position`, for a window
// placed within `freeLength` pixels (screen size less the window's): the
// place to remember. 0 when there is no free length.
double FractionOfPlace(int position, int freeLength);

// A window of width x height placed beside `keepClear`: below it, to its
// right, to its left or above it, the first of these that lies wholly inside
// `area`; where none does, at the bottom of `area` below or over the lower
// part of `keepClear`. Always inside `area` when it is large enough.
Point PlaceBeside(const Rect& keepClear, int width, int height, const Rect& area);

// The argument that starts the message window beside another window:
// "--beside=LEFT,TOP,WIDTH,HEIGHT" in screen pixels (the drilling program's
// main window). Nothing when the argument is absent or malformed.
std::optional<Rect> BesideArgument(const std::vector<std::string>& arguments);
std::string BesideArgumentText(const Rect& frame);

}  // namespace common
