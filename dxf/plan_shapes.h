// The circles and straight edges of a drawing's plan with its blocks placed:
// what the import of holes reads a drawing for. A hole drawn as a block
// (a symbol inserted at each hole, maybe turned, scaled or mirrored) counts
// where the CAD program shows it, and so does a circle drawn as a closed
// polyline of two half circles. Qt-free.
#pragma once

#include <cstddef>
#include <vector>

#include "dxf/dxf_reader.h"

namespace dxf {

// Blocks inside blocks are placed this deep; an INSERT deeper (a block that
// inserts itself) is left out and counted.
inline constexpr int kMostInsertDepth = 16;
// Shapes of one drawing at most: copies of copies (a MINSERT of a MINSERT)
// cost bounded memory.
inline constexpr std::size_t kMostShapes = 2'000'000;

struct ShapeCircle {
  double xMm = 0, yMm = 0, radiusMm = 0;
  int layer = 0;  // index into Drawing::layers
};

struct ShapeEdge {
  double x1Mm = 0, y1Mm = 0, x2Mm = 0, y2Mm = 0;
  int layer = 0;
};

struct PlanShapes {
  std::vector<ShapeCircle> circles;  // CIRCLE, and closed polylines of two half circles
  std::vector<ShapeEdge> edges;      // LINE, and the straight edges of polylines
  int notCircles = 0;      // circles tilted against the plan or stretched by their block
  int insertsLeftOut = 0;  // of a block the drawing lacks, or nested too deep
  bool cut = false;        // more than kMostShapes
};

// The model space (not the layout sheets) in world X-Y, INSERTs replaced by
// their blocks' shapes placed by the insertion point, scale, rotation, the
// INSERT's normal and its columns and rows. A shape drawn on layer "0"
// inside a block takes the layer of the INSERT that places it, as CAD
// programs show it.
void CollectPlanShapes(const Drawing& drawing, PlanShapes& shapes);

}  // namespace dxf
