#include "Drilling/holes/hole_calculators.h"

#include <cmath>
#include <string>
#include <vector>

#include "Drilling/app/field_check.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/number_text.h"
#include "common/sjis.h"
#include "common/text.h"

namespace drilling {

namespace {

// The fixed texts of the calculators (a format names what it takes; a field
// name is the name an error gives the field).
constexpr const char* kNotCountFormat = "エラー：%s [%s] は %d までの整数で入力してください。";
constexpr const char* kNoFreeRowFormat =
    "エラー：座標の空き行がありません（%d 行すべてに X 座標があります）。何も書き込んでいません。";
constexpr const char* kTooLongFormat =
    "エラー：計算した座標 %s は %zu 桁を超えるため書き込めません。何も書き込んでいません。";
constexpr const char* kNotAllWrittenFormat =
    "エラー：座標の空き行が足りません。%d 点のうち %d 点を書き込み、%d 点は書き込んでいません。";
constexpr const char* kAngleFormat = "[%d] 計算する角度 %.3f";
constexpr const char* kDiameterField = "円 （直径）";
constexpr const char* kNoDiameterText = "円の直径が入力されてません。";
constexpr const char* kCentreXField = "中心[X]";
constexpr const char* kNoCentreXText = "円の中心[X]が入力されてません。";
constexpr const char* kCentreYField = "中心[Y]";
constexpr const char* kNoCentreYText = "円の中心[Y]が入力されてません。";
constexpr const char* kStartAngleField = "初 期 角 度";
constexpr const char* kHoleCountField = "穴 等 分 数";
constexpr const char* kBaseXField = "基点座標 [X]";
constexpr const char* kNoBaseXText = "基点座標 Xが取得できません。";
constexpr const char* kBaseYField = "基点座標 [Y]";
constexpr const char* kNoBaseYText = "基点座標 Yが取得できません。";
constexpr const char* kStepXField = "Ｘ軸移動距離";
constexpr const char* kNoStepXText = "移動距離 Xが取得できません。";
constexpr const char* kStepYField = "Ｙ軸移動距離";
constexpr const char* kNoStepYText = "移動距離 Yが取得できません。";
constexpr const char* kCopiesXField = "Ｘ軸複写回数";
constexpr const char* kNoCopiesXText = "Ｘ移動回数が取得できません。";
constexpr const char* kCopiesYField = "Ｙ軸複写回数";
constexpr const char* kNoCopiesYText = "Ｙ移動回数が取得できません。";
constexpr const char* kNoStepText = "移動距離がありません。";
constexpr const char* kNoCopiesText = "移動回数がありません。";
constexpr std::size_t kFieldRoom = 16;  // 15 bytes, as every calculator field is read
constexpr std::size_t kCellWidth = 15;  // bytes a position field keeps
constexpr double kPi = 3.141592653589793;
// A count beyond this is a typing slip: twenty rows take any sensible one.
constexpr int kMaxCount = 9999;

int XField(int row) { return kHoleX1Edit + row - 1; }
int YField(int row) { return kHoleY1Edit + row - 1; }

// A required decimal: kNumberGiven with *value set; otherwise kFailed after
// the error
// (`missing` for an empty field, the field check's error for text that is
// not a number).
int ReadRequired(Context& ctx, common::Form& form, int id, const char* name, const char* missing, double* value) {
  int r = ReadNumberField(ctx, form, id, kFieldRoom, name, value);
  if (r == kNumberBlank) Report(ctx, &form, kKindError, missing);
  return r == kNumberGiven ? kNumberGiven : kFailed;
}

// A count: digits with an optional sign, at most 9999 either way ("1e1" or
// "10." is not a count, though it is a number). kNumberGiven with *count
// set, kNumberBlank for an empty field (*count untouched), negative after an
// error.
int ReadCount(Context& ctx, common::Form& form, int id, const char* name, int* count) {
  int r = ReadNumberField(ctx, form, id, kFieldRoom, name, nullptr);
  if (r != kNumberGiven) return r;
  long long value = 0;
  if (!common::ParseWholeNumber(WholeText(form, id), &value) || value > kMaxCount || value < -kMaxCount) {
    ReportF(ctx, &form, kKindError, kNotCountFormat, name, form.Text(id, kFieldRoom).c_str(), kMaxCount);
    return kFailed;
  }
  *count = static_cast<int>(value);
  return kNumberGiven;
}

// The rows a calculation may write: from the first row without an X value
// on, every row without one. Rows holding an X value are never overwritten.
std::vector<int> FreeRows(const common::Form& hole) {
  std::vector<int> rows;
  int first = FindFirstEmptyRow(hole);
  if (first == 0) return rows;
  for (int row = first; row <= kHoleRows; ++row)
    if (hole.Text(XField(row), kFieldRoom).empty()) rows.push_back(row);
  return rows;
}

// Writes the points into the free rows of the hole definition dialog, in
// order, with the decimal point kept. Everything is checked first: a full
// table or a text too long for a field writes nothing. Points beyond the
// free rows are reported, the others written. kDone when all were written.
int WritePoints(Context& ctx, common::Form& calculator, common::Form& hole, const std::vector<Point>& points,
                int wanted) {
  if (wanted <= 0) return kDone;
  const std::vector<int> rows = FreeRows(hole);
  if (rows.empty()) return ReportF(ctx, &calculator, kKindError, kNoFreeRowFormat, kHoleRows);
  std::vector<std::pair<std::string, std::string>> texts;
  for (std::size_t i = 0; i < points.size() && i < rows.size(); ++i) {
    std::string x = FormatNumber(points[i].x, 3);
    std::string y = FormatNumber(points[i].y, 3);
    for (const std::string* t : {&x, &y})
      if (common::Cp932Width(*t) > kCellWidth)
        return ReportF(ctx, &calculator, kKindError, kTooLongFormat, t->c_str(), kCellWidth);
    texts.emplace_back(std::move(x), std::move(y));
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    hole.SetText(XField(rows[i]), texts[i].first);
    hole.SetText(YField(rows[i]), texts[i].second);
  }
  const int written = static_cast<int>(texts.size());
  if (written < wanted)
    return ReportF(ctx, &calculator, kKindError, kNotAllWrittenFormat, wanted, written, wanted - written);
  return kDone;
}

// A calculator opens beside the position rows it fills (not over them), so
// the operator sees the positions arrive.
void PlaceBesideRows(Context& ctx, common::Form& calculator) {
  const common::Form* owner = calculator.Owner();
  if (!owner || !ctx.ui) return;
  common::Rect rows;
  for (int r = 0; r < kHoleRows; ++r)
    for (int id : {kHoleRow1Button + r, kHoleX1Edit + r, kHoleY1Edit + r})
      rows = common::Union(rows, owner->ControlFrame(id));
  // Rows scrolled out of the hole dialog's window are not in sight anyway.
  rows = common::Intersection(rows, owner->Frame());
  if (rows.Empty()) return;
  const common::Rect frame = calculator.Frame();
  const common::Point at = common::PlaceBeside(rows, frame.Width(), frame.Height(), ctx.ui->Screen().available);
  calculator.MoveTo(at.x, at.y);
}

// The calculators' common commands; `calculate` runs the calculation.
common::DialogProc CalculatorProc(Context& ctx, int (*calculate)(Context&, common::Form&), bool referenceAngle) {
  return [&ctx, calculate, referenceAngle](common::Form& form, common::DialogEvent event, int id) {
    switch (event) {
      case common::DialogEvent::Init:
        PlaceBesideRows(ctx, form);
        break;
      case common::DialogEvent::Command:
        if (id == kCalcCmdCalculate) {
          calculate(ctx, form);  // stays open: the operator may calculate again
        } else if (id == kCalcCmdClose || id == kCalcCmdEscape) {
          // Nothing is lost: the results are already in the owner's rows.
          form.End(0);
        }
        // kCalcCmdHelp: no help for the calculators.
        break;
      case common::DialogEvent::FocusLost:
        if (referenceAngle && id == kCircleHoleCountEdit) ShowReferenceAngle(ctx, form);
        break;
      case common::DialogEvent::Close:
        form.End(0);
        break;
      default:
        break;
    }
  };
}

}  // namespace

int FindFirstEmptyRow(const common::Form& holeDialog) {
  for (int row = 1; row <= kHoleRows; ++row)
    if (holeDialog.Text(XField(row), kFieldRoom).empty()) return row;
  return 0;
}

Point PolarToXY(double radius, double angleDeg, Point centre) {
  const double rad = angleDeg * kPi / 180.0;
  Point p{centre.x + radius * std::cos(rad), centre.y + radius * std::sin(rad)};
  // A tiny negative value from cos 90 degrees and the like would print "-0.".
  for (double* v : {&p.x, &p.y})
    if (*v < 0 && *v > -0.0005) *v = 0;
  return p;
}

void ShowReferenceAngle(Context&, common::Form& calculator) {
  std::string text = calculator.Text(kCircleHoleCountEdit, kFieldRoom);
  if (text.empty()) return;
  // Shown while typing, so not-a-number text is only refused by the
  // calculation; here it shows nothing, as no holes do.
  long long n = 0;
  if (!common::ParseWholeNumber(text, &n) || n < 1 || n > kMaxCount) {
    calculator.SetText(kCircleReferenceAngleEdit, "");
    return;
  }
  calculator.SetText(kCircleReferenceAngleEdit, FormatNumber(360.0 / static_cast<double>(n), 0));
}

int CalculateBoltCircle(Context& ctx, common::Form& calculator) {
  common::Form* hole = calculator.Owner();
  if (!hole) return kFailed;
  double diameter = 0;
  Point centre;
  if (ReadRequired(ctx, calculator, kCircleDiameterEdit, kDiameterField, kNoDiameterText, &diameter) < 0 ||
      ReadRequired(ctx, calculator, kCircleCentreXEdit, kCentreXField, kNoCentreXText, &centre.x) < 0 ||
      ReadRequired(ctx, calculator, kCircleCentreYEdit, kCentreYField, kNoCentreYText, &centre.y) < 0)
    return kFailed;
  double startDeg = 0;
  if (ReadNumberField(ctx, calculator, kCircleStartAngleEdit, kFieldRoom, kStartAngleField, &startDeg) < 0)
    return kFailed;
  int count = 0;
  if (ReadCount(ctx, calculator, kCircleHoleCountEdit, kHoleCountField, &count) < 0) return kFailed;
  if (count <= 0) return kDone;

  // Only the points that can find a row are computed and reported; the
  // others are counted in the report of WritePoints.
  const std::size_t room = FreeRows(*hole).size();
  const double radius = diameter / 2;
  std::vector<Point> points;
  for (int i = 0; i < count && points.size() < room; ++i) {
    const double angleDeg = (360.0 / count) * i + startDeg;
    ReportF(ctx, &calculator, kKindList, kAngleFormat, i + 1, angleDeg);
    points.push_back(PolarToXY(radius, angleDeg, centre));
  }
  return WritePoints(ctx, calculator, *hole, points, count);
}

int CopyCoordinates(Context& ctx, common::Form& calculator) {
  common::Form* hole = calculator.Owner();
  if (!hole) return kFailed;
  Point base;
  Point step;
  int copiesX = 0;
  int copiesY = 0;
  auto count = [&](int id, const char* name, const char* missing, int* value) {
    int r = ReadCount(ctx, calculator, id, name, value);
    if (r == kNumberBlank) Report(ctx, &calculator, kKindError, missing);
    return r == kNumberGiven ? kNumberGiven : kFailed;
  };
  if (ReadRequired(ctx, calculator, kCopyBaseXEdit, kBaseXField, kNoBaseXText, &base.x) < 0 ||
      ReadRequired(ctx, calculator, kCopyBaseYEdit, kBaseYField, kNoBaseYText, &base.y) < 0 ||
      ReadRequired(ctx, calculator, kCopyStepXEdit, kStepXField, kNoStepXText, &step.x) < 0 ||
      ReadRequired(ctx, calculator, kCopyStepYEdit, kStepYField, kNoStepYText, &step.y) < 0 ||
      count(kCopyCountXEdit, kCopiesXField, kNoCopiesXText, &copiesX) < 0 ||
      count(kCopyCountYEdit, kCopiesYField, kNoCopiesYText, &copiesY) < 0)
    return kFailed;
  if (step.x == 0 && step.y == 0) return Report(ctx, &calculator, kKindError, kNoStepText);
  if (copiesX == 0 && copiesY == 0) return Report(ctx, &calculator, kKindError, kNoCopiesText);

  // Column by column: the base of each X position, then its Y steps. A
  // negative count runs no loop of its own.
  const std::size_t room = FreeRows(*hole).size();
  const int wanted = copiesX < 0 ? 0 : (copiesX + 1) * (copiesY < 0 ? 1 : copiesY + 1);
  std::vector<Point> points;
  for (int i = 0; i <= copiesX && points.size() < room; ++i) {
    const double x = base.x + i * step.x;
    points.push_back({x, base.y});
    for (int j = 1; j <= copiesY && points.size() < room; ++j) points.push_back({x, base.y + j * step.y});
  }
  return WritePoints(ctx, calculator, *hole, points, wanted);
}

common::DialogProc BoltCircleDialogProc(Context& ctx) { return CalculatorProc(ctx, CalculateBoltCircle, true); }

common::DialogProc CoordinateCopyDialogProc(Context& ctx) { return CalculatorProc(ctx, CopyCoordinates, false); }

}  // namespace drilling
