#include "Drilling/companions/dxf_drawing.h"

#include <system_error>

#include "Drilling/app/message_channel.h"
#include "Drilling/app/number_text.h"
#include "Drilling/app/outside_programs.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/job_file.h"
#include "Drilling/planning/hole_kinds.h"
#include "common/profile.h"
#include "common/text.h"
#include "common/textfile.h"

namespace fs = std::filesystem;

namespace drilling {
namespace {

constexpr int kLastHoleGroup = 98;
constexpr int kLastPosition = 99;
// Margin around the stock in the extents, as a fraction of the stock size.
constexpr double kExtentMargin = 0.3;
constexpr const char* kLineType = "CONTINUOUS";
constexpr const char* kTemplateName = "TABLES";

// The fixed texts of the drawing (a format names what it takes); those of a
// missing stock value stand in WriteDxfDrawing's table of the four values.
constexpr const char* kTemplateCannotOpenFormat = "ファイル %s オープンエラー";
constexpr const char* kDrawingCannotOpenFormat = "図面ファイルオープンエラー %s";
constexpr const char* kLowerLeftText = "左下座標";
constexpr const char* kUpperRightText = "右上座標";
constexpr const char* kNoHoleDiameterFormat = "[%d] エラー：穴径が空です";
constexpr const char* kDrawingMissingFormat = "エラー：%s が存在しません";
constexpr const char* kNoViewerText = "DXF Viewer の設定がありません。";
constexpr const char* kViewerCannotOpenFormat = "エラー：DXFファイル %s が開けません";
constexpr const char* kNumberTooLargeFormat = "エラー：[%s] %s の値 %s が大きすぎます";

// One group code (right-aligned in three characters) and its value.
void Group(std::string& out, int code, std::string_view value) {
  out += common::FormatText("%3d\r\n", code);
  out += value;
  out += "\r\n";
}

// "%.6f"; a negative zero (the corner of an origin at 0) is written as 0.
void Real(std::string& out, int code, double value) {
  Group(out, code, common::FormatText("%.6f", value + 0.0));
}

// The leading number of a job value, as the drawing reads it. Its number
// text must fit the room its key is stored with: "1.7e308" reads as a
// number but would give infinite extents and a 309-digit corner in the
// drawing and its messages. False, with the value named (kind -1), for one
// that does not fit. `name` is the key's name as numbered ("X12").
bool DrawingNumber(Context& ctx, common::Form* owner, std::string_view section, const std::string& name,
                   std::size_t room, std::string_view text, double& value) {
  value = common::ParseLeadingDouble(text);
  if (FormatNumber(value, 1).size() <= room - 1) return true;
  ReportF(ctx, owner, kKindError, kNumberTooLargeFormat, std::string(section).c_str(), name.c_str(),
          std::string(text).c_str());
  return false;
}

}  // namespace

void WriteDxfLine(std::string& out, DxfPoint from, DxfPoint to) {
  Group(out, 0, "LINE");
  Group(out, 8, "1");
  Group(out, 6, kLineType);
  Group(out, 62, "7");
  Real(out, 10, from.xMm);
  Real(out, 20, from.yMm);
  Real(out, 11, to.xMm);
  Real(out, 21, to.yMm);
}

void WriteDxfCircle(std::string& out, DxfPoint centre, double radiusMm, std::string_view lineType) {
  Group(out, 0, "CIRCLE");
  Group(out, 8, "2");
  Group(out, 6, lineType);
  Group(out, 62, "7");
  Real(out, 10, centre.xMm);
  Real(out, 20, centre.yMm);
  Real(out, 40, radiusMm);
}

void WriteStockOutline(std::string& out, DxfPoint lowerLeft, DxfPoint upperRight) {
  const DxfPoint lowerRight{upperRight.xMm, lowerLeft.yMm};
  const DxfPoint upperLeft{lowerLeft.xMm, upperRight.yMm};
  WriteDxfLine(out, lowerLeft, lowerRight);
  WriteDxfLine(out, upperLeft, upperRight);
  WriteDxfLine(out, lowerLeft, upperLeft);
  WriteDxfLine(out, lowerRight, upperRight);
}

int WriteHoleCircles(Context& ctx, common::Form* owner, std::string& out, std::string_view section,
                     const HoleDiameters& diameters) {
  for (int k = 1; k <= kLastPosition; ++k) {
    const std::string keyX = jobkey::PositionKey('X', k);
    const std::string keyY = jobkey::PositionKey('Y', k);
    std::string x = ReadJobKey(ctx, section, keyX, jobkey::kPositionX.room);
    if (x.empty()) break;
    std::string y = ReadJobKey(ctx, section, keyY, jobkey::kPositionY.room);
    if (y.empty()) break;
    DxfPoint centre;
    if (!DrawingNumber(ctx, owner, section, keyX, jobkey::kPositionX.room, x, centre.xMm) ||
        !DrawingNumber(ctx, owner, section, keyY, jobkey::kPositionY.room, y, centre.yMm))
      return -1;
    for (double diameter : {diameters.holeMm, diameters.kindCircleMm})
      if (diameter > 0) WriteDxfCircle(out, centre, diameter / 2, kLineType);
  }
  return 0;
}

int CopyDxfTemplate(Context& ctx, common::Form* owner, std::string& out, std::string_view name) {
  const fs::path path = ctx.programFolder / (std::string(name) + ".dxf");
  std::string bytes;
  if (!common::ReadFileBytes(path, bytes)) {
    ReportF(ctx, owner, kKindError, kTemplateCannotOpenFormat, path.string().c_str());
    return -1;
  }
  // Copied as a text-mode copy does: bare line feeds become CR LF, and the
  // text ends at an end-of-file mark (Ctrl-Z).
  if (std::size_t eof = bytes.find('\x1a'); eof != std::string::npos) bytes.erase(eof);
  bytes = common::ToCrLf(bytes);
  // A template without a final line end would run into the next section.
  if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
  out += bytes;
  return 0;
}

int WriteDxfDrawing(Context& ctx, common::Form* owner, const DxfDrawingOptions& options, fs::path* written) {
  struct StockValue {
    filekeys::Key key;
    const char* missing;
  };
  static const StockValue kStock[] = {
      {jobkey::kStockX, "材料寸法[X]取り出せません"},
      {jobkey::kStockY, "材料寸法[Y]取り出せません"},
      {jobkey::kOriginX, "原点[X]取り出せません"},
      {jobkey::kOriginY, "原点[Y]取り出せません"},
  };
  double values[4] = {};
  for (int i = 0; i < 4; ++i) {
    std::string text = ReadJobKey(ctx, kStock[i].key);
    if (text.empty()) {
      Report(ctx, owner, kKindError, kStock[i].missing);
      return -1;
    }
    const filekeys::Key& key = kStock[i].key;
    if (!DrawingNumber(ctx, owner, key.section, key.name, key.room, text, values[i])) return -1;
  }
  const double sx = values[0], sy = values[1], ox = values[2], oy = values[3];

  std::string title = ReadJobKey(ctx, jobkey::kTitleForDrawing);
  if (title.empty()) title = "Drilling";
  // The title becomes a file name in the DXF folder: it must stay a name.
  if (CheckFileTitle(ctx, owner, title) != kDone) return kFailed;

  SetDialogFolder(ctx, "DXF");
  const fs::path folder = ctx.dialogFolder;
  const fs::path path = folder / (title + ".dxf");
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    ReportF(ctx, owner, kKindError, kDrawingCannotOpenFormat, path.string().c_str());
    return -1;
  }

  // 0.0 - x rather than -x: an origin at 0 gives the corner 0, not -0.
  const DxfPoint lowerLeft{0.0 - ox, 0.0 - oy};
  const DxfPoint upperRight{sx - ox, sy - oy};
  const DxfPoint extMin{lowerLeft.xMm - kExtentMargin * sx, lowerLeft.yMm - kExtentMargin * sy};
  const DxfPoint extMax{upperRight.xMm + kExtentMargin * sx, upperRight.yMm + kExtentMargin * sy};

  std::string out;
  Group(out, 0, "SECTION");
  Group(out, 2, "HEADER");
  Group(out, 9, "$ACADVER");
  Group(out, 1, "AC1009");
  ReportF(ctx, owner, kKindList, "%16s %-8.3f %.3f", kLowerLeftText, lowerLeft.xMm, lowerLeft.yMm);
  Group(out, 9, "$EXTMIN");
  Real(out, 10, extMin.xMm);
  Real(out, 20, extMin.yMm);
  Group(out, 30, "0.000000");
  ReportF(ctx, owner, kKindList, "%16s %-8.3f %.3f", kUpperRightText, upperRight.xMm, upperRight.yMm);
  Group(out, 9, "$EXTMAX");
  Real(out, 10, extMax.xMm);
  Real(out, 20, extMax.yMm);
  Group(out, 30, "0.000000");
  Group(out, 0, "ENDSEC");

  // Nothing is on disk yet: a missing template leaves any earlier drawing.
  if (CopyDxfTemplate(ctx, owner, out, kTemplateName) != 0) return -1;

  Group(out, 0, "SECTION");
  Group(out, 2, "ENTITIES");
  WriteStockOutline(out, lowerLeft, upperRight);

  for (int n = 1; n <= kLastHoleGroup; ++n) {
    const std::string section = jobkey::HoleSection(n);
    const std::string type = ReadJobKey(ctx, jobkey::kHoleType, n);
    if (type.empty()) break;
    HoleDiameters diameters;
    std::string hole = ReadJobKey(ctx, jobkey::kHoleDiameter, n);
    if (hole.empty()) {
      ReportF(ctx, owner, kKindList, kNoHoleDiameterFormat, n);
      continue;
    }
    if (!DrawingNumber(ctx, owner, section, jobkey::kHoleDiameter.name, jobkey::kHoleDiameter.room, hole,
                       diameters.holeMm))
      return -1;
    const HoleKindDescription* kind = FindHoleKind(type);
    if (kind && kind->circle.key) {
      std::string circle = ReadJobKey(ctx, *kind->circle.key, n);
      if (circle.empty())
        ReportF(ctx, owner, kKindList, kind->circle.missingText, n);
      else if (!DrawingNumber(ctx, owner, section, kind->circle.key->name, kind->circle.key->room, circle,
                              diameters.kindCircleMm))
        return -1;
    }
    if (WriteHoleCircles(ctx, owner, out, section, diameters) != 0) return -1;
  }
  Group(out, 0, "ENDSEC");
  Group(out, 0, "EOF");

  std::string why;
  if (!common::WriteFileAtomic(path, out, common::FileMode::Normal, &why)) {
    ReportF(ctx, owner, kKindError, kDrawingCannotOpenFormat, path.string().c_str());
    ReportF(ctx, owner, kKindList, "%s", why.c_str());
    return -1;
  }
  if (written) *written = path;
  // The file is complete and closed: the viewer starts at once.
  if (options.showViewer) ShowDxfFile(ctx, owner, path);
  return 0;
}

int WriteDxfDrawing(Context& ctx, common::Form& main) { return WriteDxfDrawing(ctx, &main, DxfDrawingOptions{}); }

int ShowDxfFile(Context& ctx, common::Form* owner, const fs::path& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return ReportF(ctx, owner, kKindError, kDrawingMissingFormat, path.string().c_str());
  std::string viewer = ReadConfigKey(ctx, filekeys::config::kDxfViewer);
  if (viewer.empty()) return Report(ctx, owner, kKindList, kNoViewerText);
  if (!StartProgramWithFile(ctx, viewer, path)) {
    ReportF(ctx, owner, kKindError, kViewerCannotOpenFormat, path.string().c_str());
    return -1;
  }
  return 0;
}

}  // namespace drilling
