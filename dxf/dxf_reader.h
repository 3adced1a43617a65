// A reader of DXF drawings (ASCII, release 12 and later): the header's
// version and code page, the block definitions, and of the model the
// entities a two-dimensional drilling drawing is made of: LINE, CIRCLE, ARC,
// LWPOLYLINE, POLYLINE with its VERTEX entities, and INSERT (a placed block).
// Other entities are counted by kind and skipped. Qt-free; used by Drillview
// and by the import of holes from a drawing.
//
// Coordinates are kept as the file gives them: LINE in world coordinates,
// CIRCLE, ARC, LWPOLYLINE, a 2D POLYLINE and INSERT in the entity's own
// coordinate system, whose Z axis is `normal` (groups 210/220/230).
// dxf_geometry.h turns them into world X-Y.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dxf {

struct Vector3 {
  double x = 0, y = 0, z = 0;
};

struct Vertex {
  double x = 0, y = 0;
  double bulge = 0;  // tan(sweep / 4) of the arc to the next vertex; 0 straight
};

// What an INSERT places: the block `name` at the entity's point, scaled,
// rotated, and repeated in `columns` x `rows` (a MINSERT).
struct Insert {
  std::string block;
  double scaleX = 1, scaleY = 1, scaleZ = 1;
  double rotationDeg = 0;
  int columns = 1, rows = 1;
  double columnSpacing = 0, rowSpacing = 0;
};

struct Entity {
  enum class Kind : std::uint8_t { Line, Circle, Arc, Polyline, Insert } kind = Kind::Line;
  bool closed = false;      // polylines: the last vertex joins the first
  bool worldVertices = false;  // a 3D POLYLINE: vertices in world coordinates
  bool paperSpace = false;  // group 67 = 1: drawn on a layout sheet, not the model
  int layer = 0;            // index into Drawing::layers
  int line = 0;             // the file line of the entity's "0" group
  int insert = -1;          // INSERT: index into Drawing::inserts
  Vector3 a, b;             // LINE: the ends; CIRCLE, ARC: the centre; INSERT: the point
  double radius = 0;
  double startDeg = 0, endDeg = 360;  // ARC, counter-clockwise about `normal`
  double elevation = 0;     // polylines: Z of the vertices in their own system
  Vector3 normal{0, 0, 1};
  std::vector<Vertex> vertices;  // polylines
};

struct Block {
  std::string name;
  Vector3 base;  // the block's point that lands on the insertion point
  std::vector<Entity> entities;
};

// An entity kind the reader does not read, or reads but does not keep (a
// mesh POLYLINE), and how many there were.
struct SkippedKind {
  std::string name;  // as printed: bytes beyond ASCII as \xHH
  int count = 0;
};

// An entity left out because one of its values is no finite number.
struct Problem {
  int line = 0;
  std::string text;  // English, e.g. "group 40: not a number (abc)", bytes beyond ASCII as \xHH
};

struct Drawing {
  std::string version;   // $ACADVER ("AC1009" for release 12); empty when the header has none
  std::string codePage;  // $DWGCODEPAGE ("ANSI_932"); texts of AC1021 and later are UTF-8
  std::vector<std::string> layers;  // names as stored; layer 0 is ""
  std::vector<Entity> entities;     // of the ENTITIES section, in file order
  std::vector<Block> blocks;
  std::vector<Insert> inserts;      // of every INSERT, in the model and in blocks
  std::vector<SkippedKind> skipped; // model space only, in the order first met
  std::vector<Problem> problems;

  int SkippedCount() const;
  // The block of that name (names compare without regard to case); null
  // when the drawing defines none.
  const Block* FindBlock(std::string_view name) const;
};

// False with `error` ("line N: ...", English) when the text is no ASCII DXF
// group sequence: a code that is not a whole number, a value missing at the
// end, a binary DXF. Values that are no numbers where numbers belong are not
// such a failure: the entity is left out and listed in `problems`.
bool ReadDxf(std::string_view bytes, Drawing& drawing, std::string& error);

}  // namespace dxf
