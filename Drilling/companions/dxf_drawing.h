// The DXF hole drawing of the current job: the stock outline and a circle
// for every hole diameter at every position, in the work coordinate system
// (the work origin is (0, 0)), written into the DXF folder as <title>.dxf
// and opened in the configured DXF viewer.
//
// The file is DXF R12 text (code page 932, CR LF): a header with $ACADVER
// and the extents, the TABLES section copied from the template TABLES.dxf
// of the program folder, then the entities. Group codes are right-aligned in
// three characters, reals have six decimals. The drawing is built whole and
// put under its name only when complete: a failure leaves an earlier drawing
// as it was.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

struct DxfPoint {
  double xMm = 0;
  double yMm = 0;
};

// The circle diameters of one hole group (mm), in the order they are drawn:
// the hole, then the circle its kind draws besides it (the pilot hole of a
// tap, the counterbore; hole_kinds.h); 0 where a group has none.
struct HoleDiameters {
  double holeMm = 0;
  double kindCircleMm = 0;
};

struct DxfDrawingOptions {
  bool showViewer = true;  // false: write the drawing only (the command line's --no-view)
};

// Writes the drawing, then (with options.showViewer) ShowDxfFile. 0 after the
// drawing was written (whatever the viewer did), -1 after a reported
// failure (a number of the job too large for its field is one: nothing is
// written). `written` (optional) gets the drawing's path when it was written.
int WriteDxfDrawing(Context& ctx, common::Form* owner, const DxfDrawingOptions& options,
                    std::filesystem::path* written = nullptr);
// 図面表示 (40022): the drawing, then the viewer.
int WriteDxfDrawing(Context& ctx, common::Form& main);

// Opens `path` in the viewer of DxfViewer/FILE. 0 when started or when no
// viewer is configured (reported in the list only), -1 when the file does not
// exist or the viewer cannot be started (reported).
int ShowDxfFile(Context& ctx, common::Form* owner, const std::filesystem::path& path);

// The pieces of the file, appended to `out` as code page 932 bytes with CR LF.
// The template <program folder>/<name>.dxf, line ends made CR LF; 0, or -1
// when it cannot be read (reported).
int CopyDxfTemplate(Context& ctx, common::Form* owner, std::string& out, std::string_view name);
void WriteDxfLine(std::string& out, DxfPoint from, DxfPoint to);
void WriteDxfCircle(std::string& out, DxfPoint centre, double radiusMm, std::string_view lineType);
// Bottom, top, left, right edge, in that order.
void WriteStockOutline(std::string& out, DxfPoint lowerLeft, DxfPoint upperRight);
// The circles of every position X1/Y1, X2/Y2, ... of the job's `section` up to
// the first absent or empty coordinate: the hole diameter, then the kind's
// circle, each only when above 0. 0, or -1 for a coordinate whose number
// does not fit the width it is stored with (reported, kind -1).
int WriteHoleCircles(Context& ctx, common::Form* owner, std::string& out, std::string_view section,
                     const HoleDiameters& diameters);

}  // namespace drilling
