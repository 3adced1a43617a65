#include "Drilling/planning/process_list.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "Drilling/app/field_check.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/number_text.h"
#include "Drilling/job/job_file.h"
#include "Drilling/job/job_lock.h"
#include "Drilling/planning/process_grid.h"
#include "Drilling/planning/tool_table.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/tap_pitch.h"
#include "common/text.h"
#include "gcode/canned_cycle.h"

namespace drilling {

namespace {

// The fixed texts of the process list (a format names what it takes; a
// "takes" text says what a cell takes, after the cell's name; a word is
// looked for in tool names).
constexpr const char* kCellNameFormat = "工程[%d] %s";
constexpr const char* kNotWhatCellTakesFormat = "エラー：%s [%s] は%sで入力して下さい。";
constexpr const char* kTooWideFormat = "エラー：%s の値 %s は %zu バイトを超えます。";
constexpr const char* kNoToolNumberFormat = "エラー：工程[%d] 工具番号を入力して下さい";
constexpr const char* kToolNumberTakes = " 1～98 の整数";
constexpr const char* kHAsTFormat = "工程[%d] 空欄なのでHをTと同じにします。";
constexpr const char* kWholeTakes = "整数";
constexpr const char* kNoSpindleFormat = "エラー：工程[%d] 回転数を入力して下さい";
constexpr const char* kPositiveWholeTakes = " 1 以上の整数";
constexpr const char* kNoFeedFormat = "エラー：工程[%d] 送り速度を入力して下さい";
constexpr const char* kNoCycleFormat = "エラー：工程[%d] 固定サイクルを入力して下さい";
constexpr const char* kDAsTFormat = "工程[%d] 空欄なのでDをTと同じにします。";
constexpr const char* kNoRFormat = "エラー：工程[%d] 固定サイクルＲ点を入力して下さい";
constexpr const char* kNoZFormat = "エラー：工程[%d] 固定サイクルＺ点を入力して下さい";
constexpr const char* kRNotAboveZFormat =
    "エラー：工程[%d] R [%s] が Z [%s] より上にありません（R点は穴底より上にして下さい）。";
constexpr const char* kGroupTakes = " 1～4 の穴番号か空欄（全ての穴）";
constexpr const char* kGroupWithoutPositionsFormat = "エラー：工程[%d] 穴 [%d] の穴情報に座標がありません。";
constexpr const char* kToolNameGapFormat =
    "エラー：工程[%d] 工具名称を入力して下さい（後の工程[%d] が入力されています。空いた工程の後ろは保存されません）";
constexpr const char* kNoToolNameFormat = "エラー：工程[%d] 工具名称を入力して下さい";
constexpr const char* kTapWord = "タップ";
constexpr const char* kFineThreadWord = "細目";
constexpr const char* kPipeThreadWord = "管用";
constexpr const char* kLoadedFormat = "表題 %s の加工工程を読み込みました。";
constexpr const char* kNotReplacedText = "保存してある加工工程は置き換えていません。";
constexpr const char* kCannotWriteFormat = "エラー：加工工程をファイル %s に書き込めません。";
constexpr const char* kSavedFormat = "表題 %s の加工工程を保存しました。";
constexpr const char* kAlsoStoredQuestion = "保存してある工程も削除しますか？";
constexpr const char* kInitialisedText = "加工工程を初期化しました。";
constexpr const char* kStoredInitialisedText = "保存してある加工工程も初期化しました。";
constexpr const char* kTapFeedWarningFormat =
    "警告：工程[%d] M%s のタップの送り F%s が ピッチ %s × 回転数 %s = %s と合いません。";

}  // namespace

std::string ProcessSection(int n) { return jobkey::ProcessSection(n); }

std::string CellText(const common::Form& form, int column, int row) {
  return form.Text(ProcessCellId(column, row), kProcessColumnInfo[static_cast<std::size_t>(column)].room);
}

void SetCellText(common::Form& form, int column, int row, const std::string& text) {
  form.SetText(ProcessCellId(column, row), text);
}

namespace {

std::string JobTitle(const Context& ctx) {
  const filekeys::Key& title = jobkey::kTitleForProcessList;
  return common::ReadProfileText(title.section, title.name, "-", title.room, ctx.currentJobPath);
}

const ProcessColumnInfo& Info(int column) { return kProcessColumnInfo[static_cast<std::size_t>(column)]; }

// The checked keys of one row, in the order they are written.
struct CheckedRow {
  std::vector<std::pair<const char*, std::string>> keys;
  std::vector<std::string> notices;
};

// Canned cycles that drill down to a bottom from their R level (back boring
// starts below the work and is not one of them).
bool CycleHasBottom(int g) {
  const gcode::CannedCycle* cycle = gcode::FindCannedCycle(g);
  return cycle && cycle->stroke != gcode::CycleStroke::kBackBore;
}

// True when the hole group has at least one position (X1 and Y1).
bool GroupHasPositions(const Context& ctx, int group) {
  const std::string section = jobkey::HoleSection(group);
  return !ReadJobKey(ctx, section, jobkey::PositionKey('X', 1), jobkey::kPositionPresenceRoom).empty() &&
         !ReadJobKey(ctx, section, jobkey::PositionKey('Y', 1), jobkey::kPositionPresenceRoom).empty();
}

// Checks a grid row and forms the values the save writes. Each check gives
// kDone (or, for a number, kNumberGiven or kNumberBlank), or the negative
// result of the reported error.
class RowCheck {
 public:
  RowCheck(Context& ctx, common::Form& window, int row) : ctx_(ctx), window_(window), row_(row) {}

  std::string Cell(int column) const { return CellText(window_, column, row_); }

  int Required(const char* missingText) {
    return ReportF(ctx_, &window_, kKindError, missingText, row_);
  }

  // "工程[3] Z": names the process and the column in every message.
  std::string FieldName(int column) const { return common::FormatText(kCellNameFormat, row_, Info(column).heading); }

  // A cell wider than its key's room would be stored cut (S 123456789 as
  // 1234567): refused with the row and column named.
  int FitsCell(int column) {
    return CheckFitText(ctx_, &window_, WholeText(window_, ProcessCellId(column, row_)), Info(column).room,
                        FieldName(column));
  }

  // kNumberGiven, kNumberBlank, or kFailed after the error naming the cell.
  int Number(int column, double* value) {
    int r = CheckNumberText(ctx_, &window_, Cell(column), FieldName(column), value);
    return r < 0 ? kFailed : r;
  }

  // A whole number of digits only (the NC writer reads these cells by their
  // leading digits, so a sign, a point or an exponent would change the
  // value) from `least` to `most`. kNumberGiven with *value set,
  // kNumberBlank, or negative after the error naming the cell and what it
  // takes.
  int Whole(int column, int least, int most, const char* takes, int* value = nullptr) {
    int r = Number(column, nullptr);
    if (r != kNumberGiven) return r;
    std::string text = Cell(column);
    long long v = 0;
    if (!common::ParseDigits(text, &v) || v < least || v > most)
      return ReportF(ctx_, &window_, kKindError, kNotWhatCellTakesFormat, FieldName(column).c_str(), text.c_str(),
                     takes);
    if (value) *value = static_cast<int>(v);
    return kNumberGiven;
  }

  int Line(int column) { return CheckLineText(ctx_, &window_, Cell(column), FieldName(column)); }

  // A value must fit the room its key is read back with.
  int Fits(int column, const std::string& text) {
    std::size_t limit = Info(column).room - 1;
    if (common::Cp932Width(text) <= limit) return kDone;
    return ReportF(ctx_, &window_, kKindError, kTooWideFormat, FieldName(column).c_str(), text.c_str(), limit);
  }

 private:
  Context& ctx_;
  common::Form& window_;
  int row_;
};

constexpr int kMaxToolNumber = 98;  // the pockets of the tool list
constexpr int kMaxWholeCell = 9999999;  // seven digits, the width of the cells

// kDone when the row was checked into `out`; negative after an error.
int CheckRow(Context& ctx, common::Form& window, int row, CheckedRow& out) {
  RowCheck c(ctx, window, row);
  auto put = [&out](int column, std::string value) { out.keys.emplace_back(Info(column).key, std::move(value)); };

  for (int column = 0; column < kProcessColumns; ++column)
    if (c.FitsCell(column) < 0) return kFailed;

  std::string name = c.Cell(kColToolName);
  if (c.Line(kColToolName) < 0) return kFailed;
  put(kColToolName, name);

  if (c.Line(kColDiameter) < 0) return kFailed;
  put(kColDiameter, c.Cell(kColDiameter));

  std::string t = c.Cell(kColT);
  if (t.empty()) return c.Required(kNoToolNumberFormat);
  if (c.Whole(kColT, 1, kMaxToolNumber, kToolNumberTakes) < 0) return kFailed;
  std::string tNumber = common::FormatText("%d", common::ParseLeadingInt(t));
  put(kColT, t);

  std::string h = c.Cell(kColH);
  if (h.empty()) {
    out.notices.push_back(common::FormatText(kHAsTFormat, row));
    h = tNumber;
  } else if (c.Whole(kColH, 1, kMaxToolNumber, kToolNumberTakes) < 0) {
    return kFailed;
  }
  put(kColH, h);

  std::string d = c.Cell(kColD);
  if (c.Whole(kColD, 0, kMaxWholeCell, kWholeTakes) < 0) return kFailed;
  std::size_t dIndex = out.keys.size();
  put(kColD, d);

  if (c.Cell(kColS).empty()) return c.Required(kNoSpindleFormat);
  if (c.Whole(kColS, 1, kMaxWholeCell, kPositiveWholeTakes) < 0) return kFailed;
  put(kColS, c.Cell(kColS));

  if (c.Cell(kColF).empty()) return c.Required(kNoFeedFormat);
  if (c.Whole(kColF, 1, kMaxWholeCell, kPositiveWholeTakes) < 0) return kFailed;
  put(kColF, c.Cell(kColF));

  std::string g = c.Cell(kColG);
  if (g.empty()) return c.Required(kNoCycleFormat);
  if (c.Line(kColG) < 0) return kFailed;
  put(kColG, g);
  if (g == "41" && d.empty()) {
    out.notices.push_back(common::FormatText(kDAsTFormat, row));
    out.keys[dIndex].second = tNumber;
  }

  double r = 0;
  if (c.Cell(kColR).empty()) return c.Required(kNoRFormat);
  if (c.Number(kColR, &r) < 0) return kFailed;
  std::string rText = SavedNumberText(kColR, r);
  if (c.Fits(kColR, rText) < 0) return kFailed;
  put(kColR, rText);

  double z = 0;
  if (c.Cell(kColZ).empty()) return c.Required(kNoZFormat);
  if (c.Number(kColZ, &z) < 0) return kFailed;
  std::string zText = SavedNumberText(kColZ, z);
  if (c.Fits(kColZ, zText) < 0) return kFailed;
  put(kColZ, zText);
  // A cycle whose R level is not above its bottom would rapid down to R,
  // into the part. Compared as stored (the writer reads these texts).
  if (CycleHasBottom(common::LeadingDigitsValue(g)) &&
      !(common::ParseLeadingDouble(rText) > common::ParseLeadingDouble(zText)))
    return ReportF(ctx, &window, kKindError, kRNotAboveZFormat, row, rText.c_str(), zText.c_str());

  for (int column : {kColQ, kColOffset}) {
    double v = 0;
    int got = c.Number(column, &v);
    if (got < 0) return kFailed;
    std::string text = got == kNumberGiven ? SavedNumberText(column, v) : std::string();
    if (c.Fits(column, text) < 0) return kFailed;
    put(column, text);
  }

  // Empty means all hole groups; a number names one of the four, and it must
  // have positions (a process with nothing to drill is a slip).
  int group = 0;
  int gotGroup = c.Whole(kColGroup, 1, kHoleGroups, kGroupTakes, &group);
  if (gotGroup < 0) return kFailed;
  if (gotGroup == kNumberGiven && !GroupHasPositions(ctx, group))
    return ReportF(ctx, &window, kKindError, kGroupWithoutPositionsFormat, row, group);
  put(kColGroup, c.Cell(kColGroup));
  return kDone;
}

// A row that holds anything but its hole group (which initialising keeps).
bool RowHasEntries(const common::Form& window, int row) {
  for (int column = 0; column < kColGroup; ++column)
    if (!WholeText(window, ProcessCellId(column, row)).empty()) return true;
  return false;
}

// The rows of the list: every row up to the last one with entries. A row
// without a tool name before it (or among them) is refused, naming it: the
// rows after it would otherwise be dropped from the list without a word.
// The number of rows, or negative after the error.
int ListRows(Context& ctx, common::Form& window) {
  int last = 0;
  for (int row = kProcessRows; row >= 1 && last == 0; --row)
    if (RowHasEntries(window, row)) last = row;
  for (int row = 1; row <= std::max(last, 1); ++row) {
    if (!WholeText(window, ProcessCellId(kColToolName, row)).empty()) continue;
    int next = 0;
    for (int k = row + 1; k <= last && next == 0; ++k)
      if (!WholeText(window, ProcessCellId(kColToolName, k)).empty()) next = k;
    if (next > 0) return ReportF(ctx, &window, kKindError, kToolNameGapFormat, row, next);
    return ReportF(ctx, &window, kKindError, kNoToolNameFormat, row);
  }
  return last;
}

bool IsCoarseTapName(const std::string& name) {
  return name.find(kTapWord) != std::string::npos && name.find(kFineThreadWord) == std::string::npos &&
         name.find(kPipeThreadWord) == std::string::npos;
}

}  // namespace

std::string SavedNumberText(int column, double value) {
  if (column == kColZ && value > 0) value = -value;  // depths are below the work surface
  return FormatNumber(value, 1);
}

void ShowCellAsSaved(common::Form& window, int id) {
  const int column = ProcessCellColumn(id);
  const int row = ProcessCellRow(id);
  if (id < ProcessCellId(0, 1) || row < 1 || row > kProcessRows) return;
  if (column != kColR && column != kColZ && column != kColQ && column != kColOffset) return;
  double value = 0;
  const std::string typed = WholeText(window, id);
  if (!common::ParseNumber(typed, &value)) return;
  const std::string saved = SavedNumberText(column, value);
  if (saved != typed) window.SetText(id, saved);
}

void FillToolNameBoxes(Context& ctx, common::Form& window) {
  std::vector<std::string> names = ReadToolNameList(ctx);
  for (int row = 1; row <= kProcessRows; ++row)
    for (const std::string& name : names) window.AddEntry(ProcessCellId(kColToolName, row), name);
}

int LoadProcesses(Context& ctx, common::Form& window) {
  {
    common::ProfileReadBatch batch;
    for (int n = 1; n <= kProcessRows; ++n) {
      std::string section = ProcessSection(n);
      std::string name =
          common::ReadProfileText(section, Info(kColToolName).key, "", Info(kColToolName).room, ctx.currentJobPath);
      if (name.empty()) break;
      SetCellText(window, kColToolName, n, name);
      for (int column = kColDiameter; column < kProcessColumns; ++column) {
        std::string value =
            common::ReadProfileText(section, Info(column).key, "", Info(column).room, ctx.currentJobPath);
        if (!value.empty()) SetCellText(window, column, n, value);
      }
    }
  }
  return ReportF(ctx, &window, kKindList, kLoadedFormat, JobTitle(ctx).c_str());
}

bool HasStoredProcesses(const Context& ctx) {
  return !ReadJobKey(ctx, ProcessSection(1), Info(kColToolName).key, Info(kColToolName).room).empty();
}

int SaveProcesses(Context& ctx, common::Form& window, bool askBeforeReplacing) {
  if (!JobFileExists(ctx)) return Report(ctx, &window, kKindError, kNoJobSetText);

  // Every row is checked before anything is written: a refused save leaves
  // the stored list as it was.
  int count = ListRows(ctx, window);
  if (count < 0) return count;
  std::vector<CheckedRow> rows;
  for (int row = 1; row <= count; ++row) {
    CheckedRow checked;
    int r = CheckRow(ctx, window, row, checked);
    if (r < 0) return r;
    rows.push_back(std::move(checked));
  }

  // A list made anew replaces the stored one (which may have been changed by
  // hand) only when the operator says so.
  if (askBeforeReplacing && HasStoredProcesses(ctx) &&
      !(ctx.ui && ctx.ui->AskYesNo(&window, kReplaceProcessesQuestion, kBoxCaption))) {
    Report(ctx, &window, kKindList, kNotReplacedText);
    return kProcessSaveDeclined;
  }

  std::vector<common::ProfileSectionChange> changes;
  for (int n = 1; n <= kProcessRows; ++n) changes.push_back({ProcessSection(n), std::nullopt, std::nullopt});
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::string section = ProcessSection(static_cast<int>(i) + 1);
    for (const auto& [key, value] : rows[i].keys) changes.push_back({section, std::string(key), value});
  }

  for (const CheckedRow& row : rows)
    for (const std::string& notice : row.notices) Report(ctx, &window, kKindList, notice);
  CheckTapFeeds(ctx, window);

  JobLock lock(ctx, &window, ctx.currentJobPath);  // one writer at a time
  if (!lock.Held()) return kFailed;
  if (!common::WriteProfileChanges(changes, ctx.currentJobPath))
    return ReportF(ctx, &window, kKindError, kCannotWriteFormat, ctx.currentJobPath.string().c_str());
  return ReportF(ctx, &window, kKindList, kSavedFormat, JobTitle(ctx).c_str());
}

int InitialiseProcesses(Context& ctx, common::Form& window) {
  for (int row = 1; row <= kProcessRows; ++row)
    for (int column = kColToolName; column <= kColOffset; ++column) SetCellText(window, column, row, "");

  bool alsoSaved = ctx.ui && ctx.ui->AskYesNo(&window, kAlsoStoredQuestion, kBoxCaption);
  if (!alsoSaved) {
    Report(ctx, &window, kKindList, kInitialisedText);
    return kDone;
  }
  std::string first = ProcessSection(1);
  if (!common::ReadProfileText(first, Info(kColToolName).key, "", Info(kColToolName).room, ctx.currentJobPath)
           .empty()) {
    // The list ends at the first section without a tool name, so emptying
    // PROCESS1 empties the stored list for every reader.
    std::vector<common::ProfileChange> removals;
    for (const ProcessColumnInfo& info : kProcessColumnInfo) removals.push_back({info.key, std::nullopt});
    JobLock lock(ctx, &window, ctx.currentJobPath);
    if (!lock.Held()) return kFailed;
    if (!common::WriteProfileTexts(first, removals, ctx.currentJobPath))
      return ReportF(ctx, &window, kKindError, kCannotWriteFormat, ctx.currentJobPath.string().c_str());
  }
  Report(ctx, &window, kKindList, kStoredInitialisedText);
  return kDone;
}

void CopyToolNumber(common::Form& window, int row) {
  std::string t = CellText(window, kColT, row);
  if (t.empty()) return;
  if (CellText(window, kColH, row).empty()) SetCellText(window, kColH, row, t);
  if (CellText(window, kColG, row) == "41" && CellText(window, kColD, row).empty()) SetCellText(window, kColD, row, t);
}

int CheckTapFeeds(Context& ctx, common::Form& window) {
  int warnings = 0;
  for (int row = 1; row <= kProcessRows; ++row) {
    std::string name = CellText(window, kColToolName, row);
    if (name.empty()) break;
    double g = 0, diameter = 0, spindle = 0, feed = 0;
    if (!common::ParseNumber(CellText(window, kColG, row), &g) || g != 84 || !IsCoarseTapName(name)) continue;
    if (!common::ParseNumber(CellText(window, kColDiameter, row), &diameter) ||
        !common::ParseNumber(CellText(window, kColS, row), &spindle) ||
        !common::ParseNumber(CellText(window, kColF, row), &feed))
      continue;
    common::TapFeedCheck check = common::CheckTapFeed(diameter, spindle, feed);
    if (check.ok) continue;
    ++warnings;
    ReportF(ctx, &window, kKindWarning, kTapFeedWarningFormat, row, FormatNumber(diameter, 0).c_str(),
            CellText(window, kColF, row).c_str(), FormatNumber(check.pitchMm, 0).c_str(),
            CellText(window, kColS, row).c_str(), FormatNumber(check.expectedFeedMmPerMin, 0).c_str());
  }
  return warnings;
}

}  // namespace drilling
