// A reader of the two-dimensional geometry of a DXF drawing: LINE, CIRCLE,
// ARC, LWPOLYLINE and POLYLINE/VERTEX of the ENTITIES section (release 12 and
// later). Qt-free. Other entities are counted and skipped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drillview {

struct DxfVertex {
  double x = 0, y = 0;
  double bulge = 0;  // tan(sweep / 4) of the arc to the next vertex; 0 straight
};

struct DxfEntity {
  enum Kind { Line, Circle, Arc, Polyline } kind = Line;
  std::string layer;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // line ends; circle and arc centre in x1, y1
  double radius = 0;
  double startDeg = 0, endDeg = 360;      // arcs, counter-clockwise
  std::vector<DxfVertex> vertices;        // polylines
  bool closed = false;
};

struct DxfDrawing {
  std::vector<DxfEntity> entities;
  int skipped = 0;  // entities of other kinds
};

// False with `error` ("line N: ...") when the text is not a DXF group
// sequence (a code that is not a whole number, a value missing at the end).
bool ReadDxf(std::string_view bytes, DxfDrawing& drawing, std::string& error);

}  // namespace drillview
