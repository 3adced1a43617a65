#include "gcode/gcode_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/text.h"
#include "gcode/canned_cycle.h"
#include "gcode/gcode_words.h"

namespace gcode {
namespace {

constexpr double kMmPerInch = 25.4;
// An arc whose end lies farther than this from its circle is refused (mm).
constexpr double kArcTolerance = 0.01;
// The least input increment a number without a decimal point counts in.
constexpr double kIncrementMm = 0.001, kIncrementInch = 0.0001, kIncrementSeconds = 0.001;
// The largest length a control takes (eight digits of the least increment).
constexpr double kMostMm = 99999.999, kMostInch = 9999.9999;
// The largest repeat count K (L) of a canned cycle.
constexpr double kMostRepeats = 9999;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The modal groups, named as in RS274/NGC; FANUC keeps the canned cycles in
// a group of their own (09) beside the motion group (01), so that "X Y"
// after G80 moves in the G00/G01 mode set before the cycle. kNoEffect holds
// codes a drilling program commonly sets that change nothing read here
// (G94 feed per minute, G15, G50, G50.1, G64, G67, G69 cancels).
enum Group { kNonModal, kMotion, kPlane, kDistance, kUnits, kCompensation, kLength, kCycle, kReturn, kCoord,
             kFeedMode, kStop, kToolChange, kSpindle, kCoolant, kRigidTap, kGroupCount };

// G codes are kept as ten times their number (G54.1 is 541).
int GroupOfG(int g10) {
  if (g10 % 10 == 0 && (g10 == 800 || FindCannedCycle(g10 / 10))) return kCycle;
  switch (g10) {
    case 0: case 10: case 20: case 30: return kMotion;
    case 40: case 280: case 300: case 530: return kNonModal;
    case 170: case 180: case 190: return kPlane;
    case 200: case 210: return kUnits;
    case 400: case 410: case 420: return kCompensation;
    case 430: case 490: return kLength;
    case 540: case 541: case 550: case 560: case 570: case 580: case 590: return kCoord;
    case 900: case 910: return kDistance;
    case 980: case 990: return kReturn;
    case 940: case 150: case 500: case 501: case 640: case 670: case 690: return kFeedMode;
    default: return -1;
  }
}

int GroupOfM(int m) {
  switch (m) {
    case 0: case 1: case 2: case 30: return kStop;
    case 6: return kToolChange;
    case 3: case 4: case 5: return kSpindle;
    case 7: case 8: case 9: return kCoolant;
    case 29: return kRigidTap;
    default: return -1;
  }
}

// The largest value of the addresses that take whole numbers (0: no limit
// here, a length or a feed checked elsewhere).
double MostOf(char letter) {
  switch (letter) {
    case 'H': case 'D': return 999;
    case 'T': case 'O': case 'N': case 'P': case 'F': return 99999999;
    case 'S': return 99999;
    default: return 0;
  }
}

bool IsLengthLetter(char letter) { return std::string_view("XYZIJKRQ").find(letter) != std::string_view::npos; }

// The one block after the first two steps: the codes by group, the other
// words by letter.
struct Parsed {
  int line = 0;
  int code[kGroupCount];  // -1 where the block holds no code of the group
  bool has[26] = {};
  bool point[26] = {};
  bool fits[26] = {};
  double value[26] = {};
  std::string_view text[26];
  Parsed() {
    for (int& c : code) c = -1;
  }
  bool Has(char letter) const { return has[letter - 'A']; }
  double Value(char letter) const { return value[letter - 'A']; }
  bool HasAxis() const { return Has('X') || Has('Y') || Has('Z'); }
};

// A word as printed in a diagnostic: its letter and number, cut.
std::string Word(char letter, std::string_view number) {
  constexpr std::size_t kMostShown = 24;
  std::string text = letter + common::PrintableBytes(number.substr(0, kMostShown));
  if (number.size() > kMostShown) text += "...";
  return text;
}

bool IsWhole(double v) { return v == std::floor(v); }
bool Finite(const Point& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

// A comment's "D" beyond this is no tool diameter (millimetres).
constexpr double kMostDiameterMm = 1e6;

// The last "D<number>" of a comment that stands as a word of its own; 0 when
// there is none. `beyond` is set when it gives a number beyond any tool
// (then 0 too).
double ScanDiameter(std::string_view comment, bool& beyond) {
  double found = 0;
  for (std::size_t i = 0; i < comment.size(); ++i) {
    char c = comment[i];
    if ((c != 'D' && c != 'd') || (i > 0 && comment[i - 1] != ' ' && comment[i - 1] != '(')) continue;
    std::size_t j = i + 1;
    std::size_t digits = 0;
    bool point = false;
    double value = 0, scale = 0.1;
    for (; j < comment.size(); ++j) {
      if (comment[j] >= '0' && comment[j] <= '9') {
        if (point) value += (comment[j] - '0') * scale, scale /= 10;
        else value = value * 10 + (comment[j] - '0');
        ++digits;
      } else if (comment[j] == '.' && !point) {
        point = true;
      } else {
        break;
      }
    }
    if (digits == 0 || (j != comment.size() && comment[j] != ' ' && comment[j] != ')')) continue;
    beyond = !(value <= kMostDiameterMm);
    found = beyond ? 0 : value;
  }
  return found;
}

class Reader {
 public:
  Reader(const ReaderOptions& options, ReadSink& sink, ProgramFacts& facts)
      : options_(options), sink_(sink), p_(facts) {
    state_.position = options.referenceMm;
    sink_.OnState(0, state_);
  }

  void ReadLine(std::string_view text, int lineNo) {
    split_.clear();
    const bool split = SplitBlock(text, lineNo, block_, split_);
    for (const Diagnostic& d : split_) Report(d);
    if (!split) return;
    if (block_.words.empty()) {
      NoteComment();
      return;
    }
    if (ended_) {
      if (!warnedAfterEnd_) Report({lineNo, Code::kBlockAfterEnd, {}});
      warnedAfterEnd_ = true;
      return;
    }
    p_.lastLine = lineNo;
    Parsed parsed;
    parsed.line = lineNo;
    if (CollectWords(parsed) && CheckValues(parsed)) {
      NoteComment();
      Execute(parsed);
      sink_.OnState(lineNo, state_);
    }
  }

  void Finish() {
    for (const Diagnostic& d : limit_.Remainder()) sink_.OnDiagnostic(d);
  }

 private:
  void NoteComment() {
    if (!block_.comment.empty()) commentSinceHole_ = block_.comment;
  }

  void Report(const Diagnostic& d) {
    if (limit_.Admit(d)) sink_.OnDiagnostic(d);
  }
  void Error(int line, Code code, std::string detail = {}) { Report({line, code, std::move(detail)}); }

  // A result beyond any number: reported the first time only, and left out.
  void NotFinite(int line, const char* what) {
    if (!notFiniteReported_) Error(line, Code::kNotFinite, what);
    notFiniteReported_ = true;
  }

  // Step 2: every code into its group (two of one group refused), every other
  // word under its letter (the same letter twice refused).
  bool CollectWords(Parsed& parsed) {
    const int line = parsed.line;
    for (const gcode::Word& w : block_.words) {
      if (w.letter == 'G' || w.letter == 'M') {
        int group = -1, number = 0;
        if (!w.fits || std::fabs(w.value) >= (w.letter == 'G' ? 1000 : 1e8)) {
          Error(line, Code::kOutOfRange, Word(w.letter, w.text));
          return false;
        }
        if (w.letter == 'G') {
          number = static_cast<int>(std::lround(w.value * 10));
          if (std::fabs(w.value * 10 - number) < 1e-6) group = GroupOfG(number);
        } else {
          if (!IsWhole(w.value)) {
            Error(line, Code::kNotWholeNumber, Word(w.letter, w.text));
            return false;
          }
          number = static_cast<int>(w.value);
          group = GroupOfM(number);
        }
        if (group < 0) {
          Error(line, w.letter == 'G' ? Code::kUnknownGCode : Code::kUnknownMCode, Word(w.letter, w.text));
          continue;
        }
        if (parsed.code[group] >= 0) {
          Error(line, Code::kModalGroupConflict, Word(w.letter, w.text));
          return false;
        }
        parsed.code[group] = number;
        continue;
      }
      static constexpr std::string_view kKnown = "DFHIJKLNOPQRSTXYZ";
      if (kKnown.find(w.letter) == std::string_view::npos) {
        Error(line, Code::kUnknownWord, Word(w.letter, w.text));
        continue;
      }
      int i = w.letter - 'A';
      if (parsed.has[i]) {
        Error(line, Code::kRepeatedWord, Word(w.letter, w.text));
        return false;
      }
      parsed.has[i] = true;
      parsed.value[i] = w.value;
      parsed.point[i] = w.point;
      parsed.fits[i] = w.fits;
      parsed.text[i] = w.text;
    }
    // G80 beside a motion code is common ("G00 G80 Z50."): the cycle ends
    // and the motion code takes effect. A cycle beside one is refused.
    if (parsed.code[kMotion] >= 0 && parsed.code[kCycle] >= 0 && parsed.code[kCycle] != 800) {
      Error(line, Code::kMotionAndCycle);
      return false;
    }
    return true;
  }

  // Whether `letter` of the block is a length (K is a repeat count in a cycle,
  // X a time in a dwell).
  bool IsLength(const Parsed& b, char letter) const {
    if (!IsLengthLetter(letter)) return false;
    if (letter == 'K') return CycleAfter(b) == 0;
    if (letter == 'X') return b.code[kNonModal] != 40;
    return true;
  }

  // Step 3: every value, and what the block needs from the state it meets.
  bool CheckValues(Parsed& b) {
    const int line = b.line;
    const bool metric = b.code[kUnits] >= 0 ? b.code[kUnits] == 210 : state_.metric;
    for (int i = 0; i < 26; ++i) {
      if (!b.has[i]) continue;
      const char letter = static_cast<char>('A' + i);
      const bool repeat = (letter == 'K' || letter == 'L') && !IsLength(b, letter);
      double most = repeat ? kMostRepeats : MostOf(letter);
      if (IsLength(b, letter)) most = metric ? kMostMm : kMostInch;
      if (letter == 'X' && !IsLength(b, letter)) most = 99999.999;  // dwell, seconds
      // Without a decimal point a length (or a dwell X) counts in the least
      // input increment.
      if (IsLengthLetter(letter) && !repeat && !b.point[i] && !options_.calculatorInput && b.value[i] != 0) {
        b.value[i] *= IsLength(b, letter) ? (metric ? kIncrementMm : kIncrementInch) : kIncrementSeconds;
        noPoint_[i] = true;
      }
      if (!b.fits[i] || (most > 0 && std::fabs(b.value[i]) > most * (1 + 1e-12))) {
        std::string detail = Word(letter, b.text[i]);
        if (repeat) detail += ", at most 9999";
        Error(line, Code::kOutOfRange, detail);
        return false;
      }
    }
    for (char letter : {'T', 'H', 'D', 'O', 'K', 'L'}) {
      if (!b.Has(letter) || IsLength(b, letter)) continue;
      if (!IsWhole(b.Value(letter))) {
        Error(line, Code::kNotWholeNumber, Word(letter, b.text[letter - 'A']));
        return false;
      }
    }
    for (char letter : {'T', 'H', 'D', 'O', 'K', 'L', 'S', 'F', 'P'}) {
      if (!b.Has(letter) || IsLength(b, letter)) continue;
      if (b.Value(letter) < 0) {
        Error(line, Code::kNegativeValue, Word(letter, b.text[letter - 'A']));
        return false;
      }
    }
    if (b.code[kPlane] > 0 && b.code[kPlane] != 170) {
      Error(line, Code::kPlaneNotXy, "G" + std::to_string(b.code[kPlane] / 10));
      return false;
    }
    if (b.code[kCoord] == 541) {
      double p = b.Has('P') ? b.Value('P') : 0;
      if (!IsWhole(p) || p < 1 || p > 300) {
        Error(line, Code::kCoordSystemNumber);
        return false;
      }
    }
    if (b.code[kNonModal] >= 0) return true;  // dwell or reference return: no motion mode involved
    const double feed = b.Has('F') ? b.Value('F') : state_.feedMmPerMin;
    const int cycle = CycleAfter(b);
    if (cycle > 0) {
      if (!Drills(b)) return true;
      if (!(b.Has('R') || haveR_) || !(b.Has('Z') || haveZ_)) {
        Error(line, Code::kCycleWithoutDepth);
        return false;
      }
      double q = b.Has('Q') ? b.Value('Q') : q_;
      const CannedCycle* c = FindCannedCycle(cycle / 10);
      if (c && c->peck && !(q > 0)) {
        Error(line, Code::kPeckWithoutQ);
        return false;
      }
      if (!(feed > 0)) {
        Error(line, Code::kFeedZero);
        return false;
      }
      return true;
    }
    const int motion = b.code[kMotion] >= 0 ? b.code[kMotion] : state_.motion * 10;
    if (motion == 0 || !b.HasAxis()) return true;
    if (!(feed > 0)) {
      Error(line, Code::kFeedZero);
      return false;
    }
    if (motion == 20 || motion == 30) {
      if (!b.Has('R') && !b.Has('I') && !b.Has('J')) {
        Error(line, Code::kArcWithoutCentre);
        return false;
      }
    }
    return true;
  }

  // The words without a decimal point met for the first time: one warning
  // per address, when the block is acted upon.
  void WarnNoPoint(const Parsed& b) {
    for (int i = 0; i < 26; ++i) {
      if (!noPoint_[i]) continue;
      noPoint_[i] = false;
      if (warnedNoPoint_[i]) continue;
      warnedNoPoint_[i] = true;
      char value[48];
      std::snprintf(value, sizeof value, "%.4f", b.value[i]);
      Error(b.line, Code::kNoDecimalPoint, Word(static_cast<char>('A' + i), b.text[i]) + " = " + value);
    }
  }

  // The canned cycle in force after the block (ten times the G number), 0 for none.
  int CycleAfter(const Parsed& b) const {
    if (b.code[kCycle] >= 0) return b.code[kCycle] == 800 ? 0 : b.code[kCycle];
    if (b.code[kMotion] >= 0) return 0;
    return state_.cycle * 10;
  }

  // In a canned cycle a block drills when it holds a position or a level.
  static bool Drills(const Parsed& b) { return b.HasAxis() || b.Has('R'); }

  double Unit() const { return state_.metric ? 1.0 : kMmPerInch; }

  // Step 4: act in the order of execution.
  void Execute(const Parsed& b) {
    const int line = b.line;
    WarnNoPoint(b);
    if (b.Has('O') && p_.programNumber < 0) {
      p_.programNumber = static_cast<int>(b.Value('O'));
      p_.programNumberLine = line;
    }
    // Units first: every length of the block is in the new units.
    if (b.code[kUnits] >= 0) state_.metric = b.code[kUnits] == 210;
    if (b.Has('F')) state_.feedMmPerMin = b.Value('F') * Unit();
    if (b.Has('S')) state_.spindleRpm = b.Value('S');
    if (b.Has('T')) selectedTool_ = static_cast<int>(b.Value('T'));
    if (b.code[kToolChange] == 6) ChangeTool(line);
    if (b.code[kSpindle] >= 0) state_.spindle = b.code[kSpindle];
    if (b.code[kCoolant] >= 0) state_.coolant = b.code[kCoolant] != 9;
    if (b.code[kNonModal] == 40) Dwell(b);
    if (b.code[kLength] >= 0) SetLengthOffset(b);
    if (b.code[kCoord] >= 0)
      state_.coordSystem = b.code[kCoord] == 541 ? 5400 + static_cast<int>(b.Value('P')) : b.code[kCoord] / 10;
    if (b.code[kDistance] >= 0) state_.absolute = b.code[kDistance] == 900;
    if (b.code[kReturn] >= 0) state_.returnLevel = b.code[kReturn] / 10;
    if (b.code[kNonModal] == 280 || b.code[kNonModal] == 300 || b.code[kNonModal] == 530) {
      ReferenceReturn(b);
    } else if (b.code[kNonModal] != 40) {
      Move(b);
    }
    if (b.code[kStop] == 2 || b.code[kStop] == 30) {
      ended_ = true;
      p_.endLine = line;
      state_.spindle = 5;
      state_.coolant = false;
    }
  }

  void ChangeTool(int line) {
    if (selectedTool_ < 0) Error(line, Code::kToolChangeWithoutT);
    state_.tool = selectedTool_;
    state_.spindle = 5;  // the change stops the spindle
    ++p_.toolChanges;
    StartToolBlock(line);
  }

  void SetLengthOffset(const Parsed& b) {
    if (b.code[kLength] == 490) {
      state_.lengthOffset = -1;
      return;
    }
    state_.lengthOffset = b.Has('H') ? static_cast<int>(b.Value('H')) : 0;
    StartToolBlock(b.line);
    p_.toolBlocks[block_index_].offsetLine = b.line;
  }

  // A tool change and the length offset call after it open one block; a
  // block without holes yet is taken over rather than left empty.
  void StartToolBlock(int line) {
    if (block_index_ < 0 || p_.toolBlocks[block_index_].holeCount > 0) {
      p_.toolBlocks.emplace_back();
      block_index_ = static_cast<int>(p_.toolBlocks.size()) - 1;
      p_.toolBlocks.back().line = line;
    }
    p_.toolBlocks[block_index_].tool = state_.tool;
    p_.toolBlocks[block_index_].lengthOffset = state_.lengthOffset;
  }

  void Dwell(const Parsed& b) {
    if (b.Has('P')) p_.dwellSeconds += b.Value('P') / 1000.0;
    else if (b.Has('X')) p_.dwellSeconds += b.Value('X');
  }

  bool SpindleRunning() const { return (state_.spindle == 3 || state_.spindle == 4) && state_.spindleRpm > 0; }

  void AddMotion(MotionKind kind, Point to, int line, Point centre = {}) {
    if (!Finite(to) || !Finite(centre)) {
      NotFinite(line, "motion");
      return;
    }
    Motion m;
    m.kind = kind;
    m.from = state_.position;
    m.to = to;
    m.centre = centre;
    m.feedMmPerMin = kind == MotionKind::Rapid ? 0 : state_.feedMmPerMin;
    m.line = line;
    m.spindleRunning = SpindleRunning();
    sink_.OnMotion(m);
    state_.position = to;
  }

  // The point the axis words of the block name, in the distance mode in force.
  Point Target(const Parsed& b, Point from) const {
    Point to = from;
    const double u = Unit();
    if (state_.absolute) {
      if (b.Has('X')) to.x = b.Value('X') * u;
      if (b.Has('Y')) to.y = b.Value('Y') * u;
      if (b.Has('Z')) to.z = b.Value('Z') * u;
    } else {
      if (b.Has('X')) to.x += b.Value('X') * u;
      if (b.Has('Y')) to.y += b.Value('Y') * u;
      if (b.Has('Z')) to.z += b.Value('Z') * u;
    }
    return to;
  }

  // G28/G30: through the intermediate point the axis words name, then to the
  // reference point in those axes only. G53 (machine coordinates) goes
  // there straight.
  void ReferenceReturn(const Parsed& b) {
    if (!b.HasAxis()) return;
    Point middle = state_.position;
    if (b.code[kNonModal] != 530) {
      middle = Target(b, state_.position);
      AddMotion(MotionKind::Rapid, middle, b.line);
    }
    Point end = middle;
    if (b.Has('X')) end.x = options_.referenceMm.x;
    if (b.Has('Y')) end.y = options_.referenceMm.y;
    if (b.Has('Z')) end.z = options_.referenceMm.z;
    if (end.x != middle.x || end.y != middle.y || end.z != middle.z) AddMotion(MotionKind::Rapid, end, b.line);
  }

  void Move(const Parsed& b) {
    if (b.code[kMotion] >= 0) {
      state_.motion = b.code[kMotion] / 10;
      state_.cycle = 0;
      haveR_ = haveZ_ = false;
    }
    if (b.code[kCycle] >= 0) {
      int cycle = b.code[kCycle] / 10;
      if (cycle != 80 && state_.cycle == 0) initialZ_ = state_.position.z;
      if (cycle == 80) haveR_ = haveZ_ = false;
      state_.cycle = cycle == 80 ? 0 : cycle;
    }
    if (state_.cycle != 0) {
      if (b.Has('Q')) q_ = b.Value('Q') * Unit();
      if (b.Has('P')) dwellMs_ = b.Value('P');
      if (b.Has('R')) r_ = b.Value('R') * Unit(), haveR_ = true;
      if (b.Has('Z')) z_ = b.Value('Z') * Unit(), haveZ_ = true;
      if (Drills(b)) Drill(b);
      return;
    }
    if (!b.HasAxis()) return;
    Point to = Target(b, state_.position);
    switch (state_.motion) {
      case 0: AddMotion(MotionKind::Rapid, to, b.line); break;
      case 1: AddMotion(MotionKind::Feed, to, b.line); break;
      default: Arc(b, to); break;
    }
  }

  void Arc(const Parsed& b, Point to) {
    const Point from = state_.position;
    const bool clockwise = state_.motion == 2;
    const double u = Unit();
    Point centre;
    if (b.Has('R')) {
      // Radius programming: the centre on the side that gives the shorter
      // arc, the longer one for a negative R.
      double r = b.Value('R') * u;
      double dx = to.x - from.x, dy = to.y - from.y;
      double chord = std::hypot(dx, dy);
      if (chord < 1e-9 || chord > 2 * std::fabs(r) + kArcTolerance) {
        Error(b.line, Code::kArcEndOffCircle, Word('R', b.text['R' - 'A']));
        return;
      }
      double h = std::sqrt(std::max(0.0, r * r - chord * chord / 4));
      double side = (clockwise ? -1 : 1) * (r < 0 ? -1 : 1);
      centre.x = from.x + dx / 2 - side * h * dy / chord;
      centre.y = from.y + dy / 2 + side * h * dx / chord;
    } else {
      // I and J are always measured from the start point.
      centre.x = from.x + (b.Has('I') ? b.Value('I') * u : 0);
      centre.y = from.y + (b.Has('J') ? b.Value('J') * u : 0);
      double r1 = std::hypot(from.x - centre.x, from.y - centre.y);
      double r2 = std::hypot(to.x - centre.x, to.y - centre.y);
      if (std::fabs(r1 - r2) > kArcTolerance) {
        char detail[96];
        std::snprintf(detail, sizeof detail, "radius %.3f at the start, %.3f at the end", r1, r2);
        Error(b.line, Code::kArcEndOffCircle, detail);
        return;
      }
    }
    AddMotion(clockwise ? MotionKind::ArcCw : MotionKind::ArcCcw, to, b.line, centre);
  }

  // The holes of one cycle block: K (or L) times, each one further by the
  // X and Y increments in G91.
  void Drill(const Parsed& b) {
    int repeat = 1;
    if (b.Has('K')) repeat = static_cast<int>(b.Value('K'));
    else if (b.Has('L')) repeat = static_cast<int>(b.Value('L'));
    const double u = Unit();
    for (int k = 0; k < repeat; ++k) {
      CycleHole h;
      h.cycle = state_.cycle;
      Point at = state_.position;
      if (state_.absolute) {
        if (b.Has('X')) at.x = b.Value('X') * u;
        if (b.Has('Y')) at.y = b.Value('Y') * u;
        h.rMm = r_;
        h.bottomMm = z_;
      } else {
        if (b.Has('X')) at.x += b.Value('X') * u;
        if (b.Has('Y')) at.y += b.Value('Y') * u;
        // Incremental: R from the initial level, Z from R.
        h.rMm = initialZ_ + r_;
        h.bottomMm = h.rMm + z_;
      }
      h.xMm = at.x;
      h.yMm = at.y;
      h.initialZMm = initialZ_;
      h.qMm = q_;
      h.dwellMs = dwellMs_;
      h.feedMmPerMin = state_.feedMmPerMin;
      h.returnToInitial = state_.returnLevel == 98;
      h.clearanceMm = options_.peckClearanceMm;
      h.spindleRunning = SpindleRunning();
      h.line = b.line;
      if (!Finite({h.xMm, h.yMm, h.rMm}) || !Finite({h.bottomMm, h.initialZMm, 0})) {
        NotFinite(b.line, "hole");
        return;
      }
      xyMoves_.clear();
      CycleStrokes strokes;
      state_.position = MeasureCycle(h, state_.position, xyMoves_, strokes);
      p_.dwellSeconds += strokes.dwellSeconds;
      for (const Motion& m : xyMoves_) sink_.OnMotion(m);
      RecordHole(h, strokes.rapidMm, strokes.feedMm);
    }
  }

  void RecordHole(const CycleHole& c, double strokeRapidMm, double strokeFeedMm) {
    if (block_index_ < 0) StartToolBlock(c.line);
    ToolBlock& block = p_.toolBlocks[block_index_];
    if (block.holeCount == 0) {
      block.comment = commentSinceHole_;
      bool beyond = false;
      block.diameterMm = ScanDiameter(block.comment, beyond);
      if (beyond) NotFinite(c.line, "tool diameter in the comment");
    }
    commentSinceHole_.clear();
    ++block.holeCount;
    Hole h;
    h.xMm = c.xMm;
    h.yMm = c.yMm;
    h.rMm = c.rMm;
    h.bottomMm = c.bottomMm;
    h.qMm = c.qMm;
    h.dwellMs = c.dwellMs;
    h.cycle = c.cycle;
    h.tool = state_.tool;
    h.lengthOffset = state_.lengthOffset;
    h.spindleRpm = state_.spindleRpm;
    h.spindleRunning = c.spindleRunning;
    h.coolant = state_.coolant;
    h.absolute = state_.absolute;
    h.feedMmPerMin = c.feedMmPerMin;
    h.line = c.line;
    h.block = block_index_;
    h.strokeRapidMm = strokeRapidMm;
    h.strokeFeedMm = strokeFeedMm;
    sink_.OnHole(h, block);
  }

  const ReaderOptions& options_;
  ReadSink& sink_;
  ProgramFacts& p_;
  DiagnosticLimit limit_;
  std::vector<Diagnostic> split_;
  LineState state_;
  Block block_;
  bool ended_ = false, warnedAfterEnd_ = false, notFiniteReported_ = false;
  bool noPoint_[26] = {}, warnedNoPoint_[26] = {};
  int selectedTool_ = -1;
  int block_index_ = -1;
  std::string commentSinceHole_;
  std::vector<Motion> xyMoves_;  // the moves in X and Y of one hole, reused
  // The words a canned cycle keeps until G80 or a motion code.
  double initialZ_ = 0, r_ = 0, z_ = 0, q_ = 0, dwellMs_ = 0;
  bool haveR_ = false, haveZ_ = false;
};

// Keeps everything the reader gives, up to kMostKeptMotions and
// kMostKeptHoles.
class Collector : public ReadSink {
 public:
  // Room for as many motions and holes as a drilling program of `bytes`
  // holds (a hole line takes some 16 bytes), so they are not copied as they grow.
  Collector(Program& program, const ReaderOptions& options, std::size_t bytes)
      : p_(program), keepStates_(options.keepStates) {
    p_.motions.reserve(std::min(bytes / 16, kMostKeptMotions));
    p_.holes.reserve(std::min(bytes / 16, kMostKeptHoles));
  }
  void OnMotion(const Motion& motion) override {
    if (p_.motions.size() < kMostKeptMotions) p_.motions.push_back(motion);
    else NotKept(motion.line);
  }
  void OnHole(const Hole& hole, const ToolBlock&) override {
    if (p_.holes.size() < kMostKeptHoles) p_.holes.push_back(hole);
    else NotKept(hole.line);
  }
  void OnDiagnostic(const Diagnostic& diagnostic) override { p_.diagnostics.push_back(diagnostic); }
  void OnState(int line, const LineState& state) override {
    if (keepStates_) p_.states.emplace_back(line, state);
  }

 private:
  void NotKept(int line) {
    if (!notKept_) p_.diagnostics.push_back({line, Code::kNotKept, {}});
    notKept_ = true;
  }
  Program& p_;
  bool keepStates_;
  bool notKept_ = false;
};

}  // namespace

ProgramFacts ReadProgram(std::string_view bytes, const ReaderOptions& options, ReadSink& sink) {
  ProgramFacts facts;
  Reader reader(options, sink, facts);
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) bytes.remove_prefix(kUtf8Mark.size());
  int lineNo = 0;
  bool started = false;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = bytes.find('\n', at);
    std::string_view line = bytes.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    at = end == std::string_view::npos ? bytes.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++lineNo;
    std::string_view trimmed = line;
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t')) trimmed.remove_suffix(1);
    while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t')) trimmed.remove_prefix(1);
    if (trimmed == "%") {
      if (started || facts.lastLine > 0) break;  // the closing %: the rest is not read
      started = true;
      continue;
    }
    reader.ReadLine(line, lineNo);
  }
  facts.lineCount = lineNo;
  reader.Finish();
  return facts;
}

Program ReadProgram(std::string_view bytes, const ReaderOptions& options) {
  Program program;
  Collector collector(program, options, bytes.size());
  static_cast<ProgramFacts&>(program) = ReadProgram(bytes, options, collector);
  std::stable_sort(program.diagnostics.begin(), program.diagnostics.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  return program;
}

LineState Program::StateAfter(int line) const {
  auto it = std::upper_bound(states.begin(), states.end(), line,
                             [](int l, const std::pair<int, LineState>& s) { return l < s.first; });
  if (it == states.begin()) return LineState{};
  return std::prev(it)->second;
}

double DiameterInComment(std::string_view comment) {
  bool beyond = false;
  return ScanDiameter(comment, beyond);
}

}  // namespace gcode
