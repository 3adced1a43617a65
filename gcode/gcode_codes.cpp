#include "gcode/gcode_codes.h"

#include <array>

namespace gcode {
namespace {

struct Entry {
  Code code;
  bool error;
  const char* text;
  const char* ja;
};

constexpr Entry kTable[] = {
    {Code::kBadCharacter, true, "character not allowed outside a comment", "コメント外の使えない文字"},
    {Code::kWordWithoutNumber, true, "word without a number", "数値のないワード"},
    {Code::kRepeatedWord, true, "the same address twice in one block", "同じアドレスが1ブロックに2回"},
    {Code::kModalGroupConflict, true, "two codes of one modal group in one block", "同じモーダルグループのコードが1ブロックに2つ"},
    {Code::kMotionAndCycle, true, "a motion code and a canned cycle in one block", "移動コードと固定サイクルが同じブロック"},
    {Code::kNotWholeNumber, true, "value must be a whole number", "整数でない値"},
    {Code::kNegativeValue, true, "value must not be negative", "負の値"},
    {Code::kPlaneNotXy, true, "only the XY plane (G17) is supported", "XY平面 (G17) 以外の平面"},
    {Code::kFeedZero, true, "feed move without a feed rate", "送り速度のない切削送り"},
    {Code::kCycleWithoutDepth, true, "canned cycle without R or Z", "R点またはZのない固定サイクル"},
    {Code::kPeckWithoutQ, true, "peck cycle without a positive Q", "正のQのないペックサイクル"},
    {Code::kArcWithoutCentre, true, "arc without I/J or R", "I/JまたはRのない円弧"},
    {Code::kArcEndOffCircle, true, "arc end point is not on the circle", "円弧の終点が円上にない"},
    {Code::kCoordSystemNumber, true, "G54.1 needs P1 to P300", "G54.1 のPが1～300でない"},
    {Code::kOutOfRange, true, "value beyond what the address takes", "アドレスの範囲を超える値"},
    {Code::kUnknownWord, false, "word not known, ignored", "不明なワード (無視)"},
    {Code::kUnknownGCode, false, "G code not known, ignored", "不明なGコード (無視)"},
    {Code::kUnknownMCode, false, "M code not known, ignored", "不明なMコード (無視)"},
    {Code::kUnclosedComment, false, "comment not closed", "閉じていないコメント"},
    {Code::kToolChangeWithoutT, false, "tool change without a T word", "Tワードのない工具交換"},
    {Code::kBlockAfterEnd, false, "block after the program end", "プログラム終了後のブロック"},
    {Code::kNoDecimalPoint, false, "number without a decimal point read in units of 0.001 mm (0.0001 inch)", "小数点のない数値を最小設定単位 (0.001 mm) で読んだ"},
    {Code::kNotFinite, false, "result beyond any number, left out", "数値の範囲を超える結果 (省略)"},
    {Code::kNotKept, false, "more motions or holes than are kept: from here on counted, not drawn", "移動・穴が多すぎるため以降は描画しない"},
    {Code::kOffsetNotTool, false, "length offset H differs from the tool number", "工具長補正Hが工具番号と違う"},
    {Code::kSpindleStopped, false, "cutting with the spindle stopped", "主軸停止中の切削"},
    {Code::kBottomAboveR, false, "cycle bottom Z above its R level", "穴底がR点より上"},
    {Code::kTapFeed, false, "tap feed is not pitch x S", "タップの送りがピッチ×回転数でない"},
    {Code::kRapidBelowR, false, "rapid move below the last R level outside a cycle", "固定サイクル外でR点より下の早送り"},
    {Code::kNoProgramEnd, false, "program does not end with M02 or M30", "M02/M30 でプログラムが終わっていない"},
    {Code::kOutsideStock, false, "hole outside the stock", "材料外の穴"},
    {Code::kBelowUnderside, false, "bottom below the stock's underside (into the fixture)", "穴底が材料下面より下"},
    {Code::kProgramNumber, false, "program number differs from the job's", "プログラム番号がジョブと違う"},
    {Code::kRunTimeTooLong, false, "estimated run time too long to print", "加工時間が長すぎて表示できない"},
};

// The table holds every code once, in the order of the enumeration.
constexpr bool InOrder() {
  for (std::size_t i = 0; i < std::size(kTable); ++i)
    if (static_cast<std::size_t>(kTable[i].code) != i) return false;
  return std::size(kTable) == static_cast<std::size_t>(Code::kCodeCount);
}
static_assert(InOrder(), "one entry per code, in the order of the enumeration");

const Entry& Find(Code code) {
  const auto i = static_cast<std::size_t>(code);
  return i < std::size(kTable) ? kTable[i] : kTable[0];
}

}  // namespace

std::string_view CodeText(Code code) { return Find(code).text; }
std::string_view CodeTextJa(Code code) { return Find(code).ja; }
bool IsError(Code code) { return Find(code).error; }

std::string Diagnostic::Text() const {
  std::string text = IsError(code) ? "error: " : "warning: ";
  if (line > 0) text += "line " + std::to_string(line) + ": ";
  text += CodeText(code);
  if (more > 0) text += " (and " + std::to_string(more) + " more up to line " + std::to_string(lastLine) + ")";
  else if (!detail.empty()) text += " (" + detail + ")";
  return text;
}

bool DiagnosticLimit::Admit(const Diagnostic& d) {
  const auto index = static_cast<std::size_t>(d.code);
  if (counts_.size() <= index) counts_.resize(index + 1);
  Count& c = counts_[index];
  if (c.kept < kMostDiagnosticsPerCode) {
    ++c.kept;
    return true;
  }
  if (c.more++ == 0) c.firstLine = d.line;
  c.lastLine = d.line;
  return false;
}

bool DiagnosticLimit::Full(Code code) const {
  const auto index = static_cast<std::size_t>(code);
  return index < counts_.size() && counts_[index].kept >= kMostDiagnosticsPerCode;
}

std::vector<Diagnostic> DiagnosticLimit::Remainder() const {
  std::vector<Diagnostic> out;
  for (std::size_t i = 0; i < counts_.size(); ++i) {
    const Count& c = counts_[i];
    if (c.more == 0) continue;
    Diagnostic d{c.firstLine, static_cast<Code>(i), {}};
    d.more = c.more;
    d.lastLine = c.lastLine;
    out.push_back(d);
  }
  return out;
}

}  // namespace gcode
