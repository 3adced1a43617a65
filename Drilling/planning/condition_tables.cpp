#include "Drilling/planning/condition_tables.h"

#include "Drilling/app/message_channel.h"
#include "Drilling/app/number_text.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/job_file.h"
#include "Drilling/planning/number_table.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"

namespace drilling {
namespace {

// The fixed texts of the condition tables (a format names what it takes).
constexpr const char* kNoMaterialText = "エラー：材質の定義が見つかりません。";
constexpr const char* kTooLargeFormat = "エラー：加工条件ファイル %s は大きすぎます（%ju バイトまで）。";
constexpr const char* kCannotOpenFormat = "加工条件ファイル %s オープン・エラー";
constexpr const char* kBadTableFormat = "エラー：加工条件ファイル %s の %s。";
constexpr const char* kNoRowFormat = "エラー：φ%s の加工条件がみつかりません。";
constexpr const char* kNoCentreDrillDiameterText = "エラー：センタードリル径の定義が見つかりません。";

// Column bits of NumberRowReader: the centre drill's fourth column is the Z
// of the centre drilling, below the work surface and so usually negative.
constexpr unsigned kCentreDrillNegativeColumns = 1u << 3;

struct OpenTable {
  std::filesystem::path path;
  std::string bytes;
};

// The common start of every reader: the job's material, the path, the trace
// line, the file. kDone, or the negative result of the report.
int OpenConditionTable(Context& ctx, common::Form* window, std::string_view tableName,
                       const char* traceName, OpenTable& table) {
  std::string material = ReadJobMaterial(ctx);
  if (material.empty()) return Report(ctx, window, kKindError, kNoMaterialText);
  table.path = ConditionTablePath(ctx, tableName, material);
  ctx.Trace("%s Table File %s\n", traceName, table.path.string().c_str());
  // A material holding a separator would name a file in another folder.
  bool foreign = material.find_first_of("/\\") != std::string::npos;
  TableLoad load = foreign ? TableLoad::NotReadable : LoadTableFile(table.path, table.bytes);
  switch (load) {
    case TableLoad::Ok:
      return kDone;
    case TableLoad::TooLarge:
      return ReportF(ctx, window, kKindError, kTooLargeFormat, table.path.string().c_str(), kMaxTableFileBytes);
    case TableLoad::Missing:
    case TableLoad::NotReadable:
      break;
  }
  return ReportF(ctx, window, kKindError, kCannotOpenFormat, table.path.string().c_str());
}

int ReportBadTable(Context& ctx, common::Form* window, const OpenTable& table, const NumberRowReader& reader) {
  return ReportF(ctx, window, kKindError, kBadTableFormat, table.path.string().c_str(), reader.Problem().c_str());
}

int ReportNoRow(Context& ctx, common::Form* window, double diameter) {
  // Halves round away from zero, as in every number text of the system.
  return ReportF(ctx, window, kKindError, kNoRowFormat, FormatFixed(diameter, 2).c_str());
}

// Exact selection over the 4-number tables: a row matching the diameter is
// taken before the 0 row is recognised as the end, so a diameter of 0 takes
// the terminating row's values.
int ReadFourColumnTable(Context& ctx, common::Form* window, const char* tableName, const char* traceName,
                        unsigned negativeColumns, CuttingConditions& record) {
  OpenTable table;
  if (int r = OpenConditionTable(ctx, window, tableName, traceName, table); r != kDone) return r;
  NumberRowReader reader(table.bytes, 4, negativeColumns);
  double row[4];
  RowRead read;
  while ((read = reader.Next(row)) == RowRead::Row) {
    if (row[0] == record.Diameter) {
      if (!reader.RowProblem().empty()) {
        reader.Reject(reader.RowProblem());
        return ReportBadTable(ctx, window, table, reader);
      }
      record.Spindle = row[1];
      record.Feed = row[2];
      record.Extra = row[3];
      return kFound;
    }
    if (row[0] == 0) break;
  }
  if (read == RowRead::Bad) return ReportBadTable(ctx, window, table, reader);
  return ReportNoRow(ctx, window, record.Diameter);
}

}  // namespace

std::string ReadJobMaterial(const Context& ctx) {
  if (ctx.currentJobPath.empty()) return {};
  return ReadJobKey(ctx, jobkey::kMaterial);
}

std::filesystem::path ConditionTablePath(const Context& ctx, std::string_view tableName,
                                         std::string_view material) {
  std::string name(tableName);
  name += material;
  name += ".tbl";
  return ctx.programFolder / name;
}

int ReadCentreDrillConditions(Context& ctx, common::Form* window, CuttingConditions& record) {
  // Read whole (the key's room): a hand-edited value cut to a width would be
  // another diameter.
  std::string text = ReadConfigKey(ctx, filekeys::config::kCentreDrillDiameter);
  if (text.empty()) return Report(ctx, window, kKindError, kNoCentreDrillDiameterText);
  record.Diameter = common::ParseLeadingDouble(text);
  return ReadFourColumnTable(ctx, window, kCentreDrillTable, "CD", kCentreDrillNegativeColumns, record);
}

int ReadDrillConditions(Context& ctx, common::Form* window, CuttingConditions& record) {
  return ReadFourColumnTable(ctx, window, kDrillTable, "Drill", 0, record);
}

int ReadChamferConditions(Context& ctx, common::Form* window, CuttingConditions& record) {
  OpenTable table;
  if (int r = OpenConditionTable(ctx, window, kChamferTable, "Mentori", table); r != kDone) return r;
  // Bands ascend by their lower bound: the last band not above the diameter
  // applies. Nothing is filled before the scan has ended soundly.
  NumberRowReader reader(table.bytes, 3);
  double row[3];
  bool found = false;
  double spindle = 0;
  double feed = 0;
  std::string problem;  // of the band taken so far
  RowRead read;
  while ((read = reader.Next(row)) == RowRead::Row) {
    if (row[0] == 0 || record.Diameter < row[0]) break;
    spindle = row[1];
    feed = row[2];
    problem = reader.RowProblem();
    found = true;
  }
  if (read != RowRead::Bad && !problem.empty()) read = reader.Reject(problem);
  if (read == RowRead::Bad) return ReportBadTable(ctx, window, table, reader);
  if (found) {
    record.Spindle = spindle;
    record.Feed = feed;
  }
  return kFound;
}

int ReadConditionTable(Context& ctx, common::Form* window, std::string_view tableName,
                       CuttingConditions& record) {
  std::string name(tableName);
  OpenTable table;
  if (int r = OpenConditionTable(ctx, window, name, name.c_str(), table); r != kDone) return r;
  // Here the 0 row ends the scan before it is compared: 0 is never found.
  NumberRowReader reader(table.bytes, 3);
  double row[3];
  RowRead read;
  while ((read = reader.Next(row)) == RowRead::Row) {
    if (row[0] == 0) break;
    if (row[0] == record.Diameter) {
      if (!reader.RowProblem().empty()) {
        reader.Reject(reader.RowProblem());
        return ReportBadTable(ctx, window, table, reader);
      }
      record.Spindle = row[1];
      record.Feed = row[2];
      return kFound;
    }
  }
  if (read == RowRead::Bad) return ReportBadTable(ctx, window, table, reader);
  return ReportNoRow(ctx, window, record.Diameter);
}

}  // namespace drilling
