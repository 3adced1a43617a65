#include "Drilling/planning/process_generation.h"

#include <climits>
#include <cmath>
#include <string>

#include "Drilling/app/field_check.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/number_text.h"
#include "Drilling/job/job_file.h"
#include "Drilling/planning/process_grid.h"
#include "Drilling/planning/process_list.h"
#include "Drilling/planning/tool_table.h"
#include "common/profile.h"
#include "common/text.h"

namespace drilling {
namespace {

// The fixed texts of process generation (a format names what it takes), and
// the tool names of the process kinds as `TOOLLIST` of Drilling.ini names
// them (the centre drill's and the chamfer cutter's are the tool table's).
constexpr const char* kHoleFieldFormat = "穴情報[%d] %s";
constexpr const char* kNoCycleFormat = "エラー：%sのGコード定義が見つかりません。";
constexpr const char* kToolNotListedFormat = "エラー：工程[%d] 工具名 %s が工具名リスト（TOOLLIST）にありません。";
constexpr const char* kDiameterTraceFormat = "径 = %.1f\n";
constexpr const char* kNoChamferBandFormat = "工程[%d] 面取り条件に φ%s の行がないので S と F は空欄です。";
constexpr const char* kReplaceQuestion = "工程が既にあるようです。\n\n新規に作成しますか？";
constexpr const char* kDrillToolName = "ドリル";
constexpr const char* kCoarseTapToolName = "タップ（並目）";
constexpr const char* kEndMillToolName = "エンドミル";
constexpr const char* kReamerToolName = "リーマ";

constexpr std::size_t kCycleRoom = filekeys::config::kCycleRoom;  // `Cycle` and `Rcode` values

// Speeds and feeds are whole numbers in the NC words: cut toward zero, held
// inside the int range (a table may hold anything).
std::string WholeNumberText(double value) {
  double cut = std::trunc(value);
  if (!(cut > INT_MIN)) cut = INT_MIN;
  if (!(cut < INT_MAX)) cut = INT_MAX;
  return common::FormatText("%d", static_cast<int>(cut));
}

void SetCell(common::Form& window, int column, int row, const std::string& text) {
  SetCellText(window, column, row, text);
}

// A hole group value as a number: kNumberGiven, kNumberBlank when absent or
// empty, kFailed when present but not a number (reported: a hand-edited "8,5"
// must not plan a drill of 8).
int ReadHoleValue(Context& ctx, common::Form& window, int group, const filekeys::Key& key, double* value) {
  std::string text = ReadJobKey(ctx, key, group);
  if (text.empty()) return kNumberBlank;
  std::string field = common::FormatText(kHoleFieldFormat, group, key.name);
  return CheckNumberText(ctx, &window, text, field, value);
}

// Runs the plan of the group's kind for hole group `group` from row `row`;
// advances `row` past every process written. kDone, or kFailed after a
// reported failure.
int RunGroupPlanner(Context& ctx, common::Form& window, const HoleKindDescription& kind, int group, int& row) {
  if (kind.planTrace) ctx.Trace("%s", kind.planTrace);
  double drillDiameter = 0;
  for (int i = 0; i < kind.planCount; ++i) {
    const PlannedProcess& p = kind.plan[static_cast<std::size_t>(i)];
    CuttingConditions record;
    if (p.diameter.key) {
      int got = ReadHoleValue(ctx, window, group, *p.diameter.key, &record.Diameter);
      if (got < 0) return kFailed;
      if (got == kNumberBlank) {
        Report(ctx, &window, kKindError, p.diameter.missingText);
        return kFailed;
      }
    } else {
      record.Diameter = drillDiameter;
    }
    double depth = 0;
    int got = ReadHoleValue(ctx, window, group, *p.depth.key, &depth);
    if (got < 0) return kFailed;
    if (got == kNumberBlank) {
      if (p.optional) return kDone;
      Report(ctx, &window, kKindError, p.depth.missingText);
      return kFailed;
    }
    if (p.kind == ProcessKind::Drill) {
      record.Depth = depth;
      drillDiameter = record.Diameter;
    } else {
      record.Extra = depth;
    }
    if (WriteProcessRow(ctx, window, row, p.kind, record) != kDone) return kFailed;
    SetCell(window, kColGroup, row, common::FormatText("%d", group));
    ++row;
  }
  return kDone;
}

int ReadConditions(Context& ctx, common::Form& window, ProcessKind kind, CuttingConditions& record) {
  switch (kind) {
    case ProcessKind::CentreDrill:
      return ReadCentreDrillConditions(ctx, &window, record);
    case ProcessKind::Drill:
      return ReadDrillConditions(ctx, &window, record);
    case ProcessKind::Chamfer:
      return ReadChamferConditions(ctx, &window, record);
    case ProcessKind::Tap:
      return ReadConditionTable(ctx, &window, kTapTable, record);
    case ProcessKind::Counterbore:
      return ReadConditionTable(ctx, &window, kCounterboreTable, record);
    case ProcessKind::Reamer:
      return ReadConditionTable(ctx, &window, kReamerTable, record);
  }
  return kFailed;
}

}  // namespace

const char* ProcessToolName(ProcessKind kind) {
  switch (kind) {
    case ProcessKind::CentreDrill:
      return kCentreDrillToolName;
    case ProcessKind::Drill:
      return kDrillToolName;
    case ProcessKind::Chamfer:
      return kChamferToolName;
    case ProcessKind::Tap:
      return kCoarseTapToolName;
    case ProcessKind::Counterbore:
      return kEndMillToolName;
    case ProcessKind::Reamer:
      return kReamerToolName;
  }
  return "";
}

const char* ProcessCycleKey(ProcessKind kind) {
  switch (kind) {
    case ProcessKind::CentreDrill:
      return "cdrill";
    case ProcessKind::Drill:
      return "drill";
    case ProcessKind::Chamfer:
      return "mentori";
    case ProcessKind::Tap:
      return "mtap";
    case ProcessKind::Counterbore:
      return "zaguri";
    case ProcessKind::Reamer:
      return "reamer";
  }
  return "";
}

int WriteCommonCells(Context& ctx, common::Form& window, const CuttingConditions& record, int row,
                     const char* cycleKey) {
  if (!common::EqualsNoCase(cycleKey, "mentori"))
    SetCell(window, kColDiameter, row, FormatNumber(record.Diameter, 0));
  SetCell(window, kColS, row, WholeNumberText(record.Spindle));
  SetCell(window, kColF, row, WholeNumberText(record.Feed));

  std::string g = common::ReadProfileText(filekeys::config::kCycleSection, cycleKey, "", kCycleRoom, ctx.configPath);
  if (g.empty()) return ReportF(ctx, &window, kKindError, kNoCycleFormat, cycleKey);
  SetCell(window, kColG, row, g);

  std::string r = common::ReadProfileText(filekeys::config::kRLevelSection, cycleKey, "2", kCycleRoom, ctx.configPath);
  SetCell(window, kColR, row, FormatNumber(common::ParseLeadingDouble(r), 1));
  return kDone;
}

int WriteProcessRow(Context& ctx, common::Form& window, int row, ProcessKind kind, CuttingConditions& record) {
  int nameCell = ProcessCellId(kColToolName, row);
  int entry = window.FindExact(nameCell, ProcessToolName(kind));
  window.Select(nameCell, entry);
  // A row without its tool name would end the list there when saved: an
  // error, so that nothing is saved before the operator has named the tool.
  if (entry < 0) ReportF(ctx, &window, kKindError, kToolNotListedFormat, row, ProcessToolName(kind));

  bool drilling = kind == ProcessKind::CentreDrill || kind == ProcessKind::Drill;
  if (!drilling) ctx.Trace(kDiameterTraceFormat, record.Diameter);

  // The chamfer reader leaves speed and feed alone when no band applies:
  // start from values no table row can give, to tell that case apart.
  bool chamfer = kind == ProcessKind::Chamfer;
  if (chamfer) record.Spindle = record.Feed = -1;
  if (ReadConditions(ctx, window, kind, record) != kFound) return kFailed;
  bool noBand = chamfer && record.Spindle == -1 && record.Feed == -1;

  int common = WriteCommonCells(ctx, window, record, row, ProcessCycleKey(kind));
  if (drilling && common < 0) return kFailed;
  if (noBand) {
    // No speed nobody chose: the operator fills S and F, the save asks.
    SetCell(window, kColS, row, "");
    SetCell(window, kColF, row, "");
    ReportF(ctx, &window, kKindList, kNoChamferBandFormat, row, FormatNumber(record.Diameter, 0).c_str());
  }

  if (kind == ProcessKind::Drill) {
    SetCell(window, kColZ, row, FormatNumber(record.Depth, 1));
    SetCell(window, kColQ, row, FormatNumber(record.Extra, 1));
  } else {
    SetCell(window, kColZ, row, FormatNumber(record.Extra, 1));
  }
  return kDone;
}

int AssignToolNumbers(Context& ctx, common::Form& window) {
  std::filesystem::path path;
  if (LocateToolTable(ctx, &window, ToolTablePurpose::Planning, path) != kDone) return kFailed;
  common::ProfileReadBatch batch;  // one look at the tool table for all rows
  for (int row = 1; row <= kProcessRows; ++row) {
    std::string name = CellText(window, kColToolName, row);
    if (name.empty()) break;
    if (!CellText(window, kColT, row).empty()) continue;
    std::string diameter = CellText(window, kColDiameter, row);
    MagazineTool tool;
    tool.Diameter = common::ParseLeadingDouble(diameter.empty() ? "0" : diameter);
    if (FindMagazineTool(name, tool, path) != kFound) continue;
    SetCell(window, kColT, row, common::FormatText("%.0f", tool.T));
    SetCell(window, kColH, row, common::FormatText("%.0f", tool.H));
    std::string g = CellText(window, kColG, row);
    if (!g.empty() && common::ParseLeadingInt(g) == 41)
      SetCell(window, kColD, row, common::FormatText("%.0f", tool.D));
  }
  return kDone;
}

int GenerateProcesses(Context& ctx, common::Form& window) {
  if (!CellText(window, kColToolName, 1).empty()) {
    if (!ctx.ui || !ctx.ui->AskYesNo(&window, kReplaceQuestion, kBoxCaption)) return kDone;
    ctx.Trace("ID END = %d\n", kProcessColumns);
    for (int row = 1; row <= kProcessRows; ++row)
      for (int column = 0; column < kProcessColumns; ++column) SetCell(window, column, row, "");
  }
  ctx.messageBuffer.clear();

  CuttingConditions centre;
  if (WriteProcessRow(ctx, window, 1, ProcessKind::CentreDrill, centre) != kDone) return kFailed;

  int row = 2;
  for (int group = 1; group <= kHoleGroups; ++group) {
    std::string type = ReadJobKey(ctx, jobkey::kHoleType, group);
    if (type.empty()) break;
    // A failed planner has reported; the next group starts where it stopped.
    if (const HoleKindDescription* kind = FindHoleKind(type)) RunGroupPlanner(ctx, window, *kind, group, row);
  }

  AssignToolNumbers(ctx, window);
  CheckTapFeeds(ctx, window);
  return kDone;
}

}  // namespace drilling
