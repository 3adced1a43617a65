// Drawings made as DXF text, for tests and benchmarks that need a drawing of
// their own: entities with the group codes and %g numbers a CAD program
// writes, and the entities section around them.
#pragma once

#include <string>

#include "common/text.h"

namespace testsupport {

inline std::string DxfLine(const char* layer, double x1, double y1, double x2, double y2) {
  return common::FormatText("0\nLINE\n8\n%s\n10\n%g\n20\n%g\n11\n%g\n21\n%g\n", layer, x1, y1, x2, y2);
}

inline std::string DxfCircle(const char* layer, double x, double y, double diameter) {
  return common::FormatText("0\nCIRCLE\n8\n%s\n10\n%g\n20\n%g\n40\n%g\n", layer, x, y, diameter / 2);
}

// A whole drawing of only an entities section.
inline std::string DxfEntitiesDrawing(const std::string& entities) {
  return "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

}  // namespace testsupport
