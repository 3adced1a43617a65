#include "Drilling/planning/dimension_tables.h"

#include <filesystem>
#include <string>

#include "Drilling/app/message_channel.h"
#include "Drilling/app/number_text.h"
#include "Drilling/job/hole_controls.h"
#include "Drilling/planning/hole_kinds.h"
#include "Drilling/planning/number_table.h"
#include "common/file_keys.h"
#include "common/text.h"

namespace drilling {
namespace {

// The hole diameter field holds what its key stores (15 bytes).
constexpr std::size_t kHoleDiameterRoom = filekeys::job::kHoleDiameter.room;

// The table's bytes; the error text when it cannot be loaded, else empty.
std::string LoadDimensionTable(const Context& ctx, const DimensionTable& table, std::string& bytes) {
  const std::filesystem::path path = ctx.programFolder / table.file;
  switch (LoadTableFile(path, bytes)) {
    case TableLoad::Ok:
      return {};
    case TableLoad::Missing:
      return table.missing;
    case TableLoad::TooLarge:
      return common::FormatText("エラー：%s %s は大きすぎます（%ju バイトまで）。", table.name, path.string().c_str(),
                                kMaxTableFileBytes);
    case TableLoad::NotReadable:
      break;
  }
  return common::FormatText(table.openError, path.string().c_str());
}

// Finds the row for the dialog's hole diameter. kDone with `row` filled,
// kNoDimensionRow when there is none (reported), or a negative report result.
int FindDimensionRow(Context& ctx, common::Form& dialog, const DimensionTable& table,
                     double (&row)[kMaxTableRowWidth]) {
  std::string text = dialog.Text(kHoleDiameterEdit, kHoleDiameterRoom);
  if (text.empty()) return Report(ctx, &dialog, kKindError, "穴径が取得できません。");
  double diameter = common::ParseLeadingDouble(text);
  const std::string shown = (ctx.programFolder / table.file).string();
  ReportF(ctx, &dialog, kKindList, table.tableLine, shown.c_str());

  std::string bytes;
  if (std::string why = LoadDimensionTable(ctx, table, bytes); !why.empty())
    return Report(ctx, &dialog, kKindError, why);

  NumberRowReader reader(bytes, table.width, table.negativeColumns);
  RowRead read;
  while ((read = reader.Next(row)) == RowRead::Row) {
    if (row[0] == 0 || row[1] == 0) break;
    if (row[table.keyColumn] == diameter) {
      if (reader.RowProblem().empty()) return kDone;
      read = reader.Reject(reader.RowProblem());
      break;
    }
  }
  if (read == RowRead::Bad)
    return ReportF(ctx, &dialog, kKindError, "エラー：%s %s の %s。", table.name, shown.c_str(),
                   reader.Problem().c_str());
  Report(ctx, &dialog, kKindInformation, table.noRow);
  return kNoDimensionRow;
}

void WriteSize(common::Form& dialog, int id, double value) { dialog.SetText(id, FormatNumber(value, 0)); }

}  // namespace

static_assert(std::tuple_size_v<DimensionRow> == kMaxTableRowWidth);

bool ReadDimensionRows(const Context& ctx, const DimensionTable& table, std::vector<DimensionRow>& rows,
                       std::string& problem) {
  rows.clear();
  std::string bytes;
  problem = LoadDimensionTable(ctx, table, bytes);
  if (!problem.empty()) return false;
  NumberRowReader reader(bytes, table.width, table.negativeColumns);
  DimensionRow row{};
  RowRead read;
  while ((read = reader.Next(row.data())) == RowRead::Row) {
    if (row[0] == 0 || row[1] == 0) break;
    if (reader.RowProblem().empty()) rows.push_back(row);
  }
  if (read != RowRead::Bad) return true;
  problem = common::FormatText("エラー：%s %s の %s。", table.name, (ctx.programFolder / table.file).string().c_str(),
                               reader.Problem().c_str());
  return false;
}

const DimensionTable kCounterboreSizes = {
    kCounterboreSizesFile,
    4,
    1,
    1u << 3,
    {{{2, kCboreDiameterEdit, false}, {3, kCboreDepthEdit, false}}},
    2,
    "ザグリ・テーブル %s",
    "ザグリ（六角穴）・テーブルがありません。",
    "ザグリ（六角穴）・テーブル %s オープン・エラー",
    "ザグリ（六角穴）・テーブル",
    "ザグリ（六角穴）・テーブルに同じデータはありません",
};

// Tap and reamer rows: the pilot diameter always, each depth only when it
// is negative (a depth to fill in), pilot depth, hole depth, chamfer depth.
const DimensionTable kTapSizes = {
    kTapSizesFile,
    6,
    0,
    (1u << 3) | (1u << 4) | (1u << 5),
    {{{2, kPilotDiameterEdit, false}, {5, kPilotDepthEdit, true}, {4, kHoleDepthEdit, true},
      {3, kChamferDepthEdit, true}}},
    4,
    "タップ・テーブル %s",
    "タップ（並目）・テーブルがありません。",
    "タップ（並目）・テーブル %s オープン・エラー",
    "タップ（並目）・テーブル",
    "タップ（並目）・テーブルに同じデータはありません",
};

const DimensionTable kReamerSizes = {
    kReamerSizesFile,
    6,
    0,
    (1u << 3) | (1u << 4) | (1u << 5),
    {{{2, kPilotDiameterEdit, false}, {5, kPilotDepthEdit, true}, {4, kHoleDepthEdit, true},
      {3, kChamferDepthEdit, true}}},
    4,
    "リーマ・テーブル %s",
    "リーマ・テーブルがありません。",
    "リーマ・テーブル %s オープン・エラー",
    "リーマ・テーブル",
    "リーマ・テーブルに同じデータはありません",
};

int LookUpDimensions(Context& ctx, common::Form& dialog, const DimensionTable& table) {
  double row[kMaxTableRowWidth] = {};
  int r = FindDimensionRow(ctx, dialog, table, row);
  if (r != kDone) return r;
  for (int i = 0; i < table.fillCount; ++i) {
    const SizeColumn& fill = table.fills[static_cast<std::size_t>(i)];
    const double value = row[fill.column];
    if (!fill.onlyBelowZero || value < 0) WriteSize(dialog, fill.field, value);
  }
  return kDone;
}

int LookUpCounterbore(Context& ctx, common::Form& dialog) { return LookUpDimensions(ctx, dialog, kCounterboreSizes); }

int LookUpTapSizes(Context& ctx, common::Form& dialog) { return LookUpDimensions(ctx, dialog, kTapSizes); }

int LookUpReamerSizes(Context& ctx, common::Form& dialog) { return LookUpDimensions(ctx, dialog, kReamerSizes); }

int LookUpSizesForHoleType(Context& ctx, common::Form& dialog, std::string_view holeType) {
  const HoleKindDescription* kind = FindHoleKind(holeType);
  if (!kind || !kind->sizes) return kNoDimensionTable;
  return LookUpDimensions(ctx, dialog, *kind->sizes);
}

}  // namespace drilling
