#include "gcode/gcode_codes.h"

#include <array>

namespace gcode {
namespace {

struct Entry {
  Code code;
  bool error;
  const char* text;
};

constexpr Entry kTable[] = {
    {Code::kBadCharacter, true, "character not allowed outside a comment"},
    {Code::kWordWithoutNumber, true, "word without a number"},
    {Code::kRepeatedWord, true, "the same address twice in one block"},
    {Code::kModalGroupConflict, true, "two codes of one modal group in one block"},
    {Code::kMotionAndCycle, true, "a motion code and a canned cycle in one block"},
    {Code::kNotWholeNumber, true, "value must be a whole number"},
    {Code::kNegativeValue, true, "value must not be negative"},
    {Code::kPlaneNotXy, true, "only the XY plane (G17) is supported"},
    {Code::kFeedZero, true, "feed move without a feed rate"},
    {Code::kCycleWithoutDepth, true, "canned cycle without R or Z"},
    {Code::kPeckWithoutQ, true, "peck cycle without a positive Q"},
    {Code::kArcWithoutCentre, true, "arc without I/J or R"},
    {Code::kArcEndOffCircle, true, "arc end point is not on the circle"},
    {Code::kCoordSystemNumber, true, "G54.1 needs P1 to P300"},
    {Code::kOutOfRange, true, "value beyond what the address takes"},
    {Code::kUnknownWord, false, "word not known, ignored"},
    {Code::kUnknownGCode, false, "G code not known, ignored"},
    {Code::kUnknownMCode, false, "M code not known, ignored"},
    {Code::kUnclosedComment, false, "comment not closed"},
    {Code::kToolChangeWithoutT, false, "tool change without a T word"},
    {Code::kBlockAfterEnd, false, "block after the program end"},
    {Code::kNoDecimalPoint, false, "number without a decimal point read in units of 0.001 mm (0.0001 inch)"},
    {Code::kNotFinite, false, "result beyond any number, left out"},
    {Code::kNotKept, false, "more motions or holes than are kept: from here on counted, not drawn"},
    {Code::kOffsetNotTool, false, "length offset H differs from the tool number"},
    {Code::kSpindleStopped, false, "cutting with the spindle stopped"},
    {Code::kBottomAboveR, false, "cycle bottom Z above its R level"},
    {Code::kTapFeed, false, "tap feed is not pitch x S"},
    {Code::kRapidBelowR, false, "rapid move below the last R level outside a cycle"},
    {Code::kNoProgramEnd, false, "program does not end with M02 or M30"},
    {Code::kOutsideStock, false, "hole outside the stock"},
    {Code::kBelowUnderside, false, "bottom below the stock's underside (into the fixture)"},
    {Code::kProgramNumber, false, "program number differs from the job's"},
    {Code::kRunTimeTooLong, false, "estimated run time too long to print"},
};

const Entry& Find(Code code) {
  for (const Entry& e : kTable)
    if (e.code == code) return e;
  return kTable[0];
}

}  // namespace

std::string_view CodeText(Code code) { return Find(code).text; }
bool IsError(Code code) { return Find(code).error; }

std::string Diagnostic::Text() const {
  std::string text = IsError(code) ? "error: " : "warning: ";
  if (line > 0) text += "line " + std::to_string(line) + ": ";
  text += CodeText(code);
  if (!detail.empty()) text += " (" + detail + ")";
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

std::vector<Diagnostic> DiagnosticLimit::Remainder() const {
  std::vector<Diagnostic> out;
  for (std::size_t i = 0; i < counts_.size(); ++i) {
    const Count& c = counts_[i];
    if (c.more == 0) continue;
    out.push_back({c.firstLine, static_cast<Code>(i),
                   "and " + std::to_string(c.more) + " more up to line " + std::to_string(c.lastLine)});
  }
  return out;
}

}  // namespace gcode
