// The named diagnostics of the G-code reader and the findings of the program
// check. Each code has one fixed text (in one table); a diagnostic may add a
// short detail after it (the word concerned, the values compared).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gcode {

enum class Code {
  // Errors: the block is refused as a control would refuse it (alarm), and
  // nothing of it is acted upon.
  kBadCharacter,
  kWordWithoutNumber,
  kRepeatedWord,
  kModalGroupConflict,
  kMotionAndCycle,
  kNotWholeNumber,
  kNegativeValue,
  kPlaneNotXy,
  kFeedZero,
  kCycleWithoutDepth,
  kPeckWithoutQ,
  kArcWithoutCentre,
  kArcEndOffCircle,
  kCoordSystemNumber,
  kOutOfRange,
  // Warnings: the program still runs as read.
  kUnknownWord,
  kUnknownGCode,
  kUnknownMCode,
  kUnclosedComment,
  kToolChangeWithoutT,
  kBlockAfterEnd,
  kNoDecimalPoint,
  kNotFinite,
  kNotKept,
  // Findings of the check.
  kOffsetNotTool,
  kSpindleStopped,
  kBottomAboveR,
  kTapFeed,
  kRapidBelowR,
  kNoProgramEnd,
  kOutsideStock,
  kBelowUnderside,
  kProgramNumber,
  kRunTimeTooLong,
  kCodeCount  // not a code: the number of codes
};

// The fixed text of a code (English, as the rest of drillnc's own lines,
// which scripts read).
std::string_view CodeText(Code code);
// The same for the operator (Japanese, UTF-8), as the viewer lists it.
std::string_view CodeTextJa(Code code);
// True for the codes that refuse a block.
bool IsError(Code code);

struct Diagnostic {
  int line = 0;  // 1-based line of the file; 0 for the program as a whole
  Code code = Code::kBadCharacter;
  std::string detail;
  // A diagnostic that stands for the ones held back (DiagnosticLimit): how
  // many, and the line of the last.
  int more = 0, lastLine = 0;

  // "error: line N: text (detail)" or "warning: line N: text (detail)";
  // "(and N more up to line L)" for one that stands for held-back ones.
  std::string Text() const;
};

// At most this many diagnostics of one code are kept; the rest are counted
// (a program of a million faulty lines must not hold a million texts).
inline constexpr int kMostDiagnosticsPerCode = 1000;

// Lets through at most kMostDiagnosticsPerCode diagnostics of each code and
// counts the others.
class DiagnosticLimit {
 public:
  // True when `d` is to be kept.
  bool Admit(const Diagnostic& d);
  // True when no more of `code` are kept (their details need not be made).
  bool Full(Code code) const;
  // One diagnostic per code that overflowed, on the line of the first one
  // held back, counting them.
  std::vector<Diagnostic> Remainder() const;

 private:
  struct Count {
    int kept = 0, more = 0, firstLine = 0, lastLine = 0;
  };
  std::vector<Count> counts_;
};

}  // namespace gcode
