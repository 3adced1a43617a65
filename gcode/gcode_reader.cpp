#include "gcode/gcode_reader.h"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "gcode/canned_cycle.h"
#include "gcode/gcode_words.h"

namespace gcode {
namespace {

constexpr double kMmPerInch = 25.4;
// An arc whose end lies farther than this from its circle is refused (mm).
constexpr double kArcTolerance = 0.01;

// The modal groups, named as in RS274/NGC; FANUC keeps the canned cycles in
// a group of their own (09) beside the motion group (01), so that "X Y"
// after G80 moves in the G00/G01 mode set before the cycle.
enum Group { kNonModal, kMotion, kPlane, kDistance, kUnits, kCompensation, kLength, kCycle, kReturn, kCoord,
             kStop, kToolChange, kSpindle, kCoolant, kGroupCount };

// G codes are kept as ten times their number (G54.1 is 541).
int GroupOfG(int g10) {
  switch (g10) {
    case 0: case 10: case 20: case 30: return kMotion;
    case 40: case 280: case 300: return kNonModal;
    case 170: case 180: case 190: return kPlane;
    case 200: case 210: return kUnits;
    case 400: case 410: case 420: return kCompensation;
    case 430: case 490: return kLength;
    case 540: case 541: case 550: case 560: case 570: case 580: case 590: return kCoord;
    case 730: case 740: case 800: case 810: case 820: case 830: case 840: case 850: case 860: case 870:
    case 880: case 890: return kCycle;
    case 900: case 910: return kDistance;
    case 980: case 990: return kReturn;
    default: return -1;
  }
}

int GroupOfM(int m) {
  switch (m) {
    case 0: case 1: case 2: case 30: return kStop;
    case 6: return kToolChange;
    case 3: case 4: case 5: return kSpindle;
    case 7: case 8: case 9: return kCoolant;
    default: return -1;
  }
}

// The one block after the first two steps: the codes by group, the other
// words by letter.
struct Parsed {
  int line = 0;
  int code[kGroupCount];  // -1 where the block holds no code of the group
  bool has[26] = {};
  double value[26] = {};
  std::string_view text[26];
  Parsed() {
    for (int& c : code) c = -1;
  }
  bool Has(char letter) const { return has[letter - 'A']; }
  double Value(char letter) const { return value[letter - 'A']; }
  bool HasAxis() const { return Has('X') || Has('Y') || Has('Z'); }
};

std::string Word(char letter, std::string_view number) { return letter + std::string(number); }

bool IsWhole(double v) { return v == std::floor(v); }

class Reader {
 public:
  Reader(const ReaderOptions& options, Program& program) : options_(options), p_(program) {
    state_.position = options.referenceMm;
  }

  void ReadLine(std::string_view text, int lineNo) {
    if (!SplitBlock(text, lineNo, block_, p_.diagnostics)) return Keep();
    if (block_.words.empty()) {
      NoteComment();
      return Keep();
    }
    if (ended_) {
      if (!warnedAfterEnd_) p_.diagnostics.push_back({lineNo, Code::kBlockAfterEnd, {}});
      warnedAfterEnd_ = true;
      return Keep();
    }
    p_.lastLine = lineNo;
    Parsed parsed;
    parsed.line = lineNo;
    if (CollectWords(parsed) && CheckValues(parsed)) {
      NoteComment();
      Execute(parsed);
    }
    Keep();
  }

  // A line that is not read as a block (the % lines) keeps the state.
  void Keep() { p_.lines.push_back(state_); }

 private:

  void NoteComment() {
    if (!block_.comment.empty()) commentSinceHole_ = block_.comment;
  }

  void Error(int line, Code code, std::string detail = {}) { p_.diagnostics.push_back({line, code, std::move(detail)}); }

  // Step 2: every code into its group (two of one group refused), every other
  // word under its letter (the same letter twice refused).
  bool CollectWords(Parsed& parsed) {
    const int line = parsed.line;
    for (const gcode::Word& w : block_.words) {
      if (w.letter == 'G' || w.letter == 'M') {
        int group = -1, number = 0;
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
      parsed.text[i] = w.text;
    }
    if (parsed.code[kMotion] >= 0 && parsed.code[kCycle] > 0) {
      Error(line, Code::kMotionAndCycle);
      return false;
    }
    return true;
  }

  // Step 3: every value, and what the block needs from the state it meets.
  bool CheckValues(const Parsed& b) {
    const int line = b.line;
    for (char letter : {'T', 'H', 'D', 'O', 'K', 'L'}) {
      if (!b.Has(letter)) continue;
      if (letter == 'K' && !CycleAfter(b)) continue;  // an arc's K is a length
      if (!IsWhole(b.Value(letter))) {
        Error(line, Code::kNotWholeNumber, Word(letter, b.text[letter - 'A']));
        return false;
      }
    }
    for (char letter : {'T', 'H', 'D', 'O', 'K', 'L', 'S', 'F', 'P'}) {
      if (!b.Has(letter) || (letter == 'K' && !CycleAfter(b))) continue;
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
      if ((cycle == 730 || cycle == 830) && !(q > 0)) {
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
    if (b.code[kNonModal] == 280 || b.code[kNonModal] == 300) {
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
    p_.toolChangeLines.push_back(line);
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
    Motion m;
    m.kind = kind;
    m.from = state_.position;
    m.to = to;
    m.centre = centre;
    m.feedMmPerMin = kind == MotionKind::Rapid ? 0 : state_.feedMmPerMin;
    m.line = line;
    m.spindleRunning = SpindleRunning();
    p_.motions.push_back(m);
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
  // reference point in those axes only.
  void ReferenceReturn(const Parsed& b) {
    if (!b.HasAxis()) return;
    Point middle = Target(b, state_.position);
    AddMotion(MotionKind::Rapid, middle, b.line);
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
        char detail[64];
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
      strokes_.clear();
      state_.position = AppendCycleMotions(h, state_.position, strokes_, p_.dwellSeconds);
      double rapidMm = 0, feedMm = 0;
      for (const Motion& m : strokes_) {
        if (m.from.x != m.to.x || m.from.y != m.to.y) {
          p_.motions.push_back(m);
          continue;
        }
        (m.kind == MotionKind::Rapid ? rapidMm : feedMm) += std::fabs(m.to.z - m.from.z);
      }
      RecordHole(h, rapidMm, feedMm);
    }
  }

  void RecordHole(const CycleHole& c, double strokeRapidMm, double strokeFeedMm) {
    if (block_index_ < 0) StartToolBlock(c.line);
    ToolBlock& block = p_.toolBlocks[block_index_];
    if (block.holeCount == 0) {
      block.comment = commentSinceHole_;
      block.diameterMm = DiameterInComment(block.comment);
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
    h.feedMmPerMin = c.feedMmPerMin;
    h.line = c.line;
    h.block = block_index_;
    h.strokeRapidMm = strokeRapidMm;
    h.strokeFeedMm = strokeFeedMm;
    p_.holes.push_back(h);
  }

  const ReaderOptions& options_;
  Program& p_;
  LineState state_;
  Block block_;
  bool ended_ = false, warnedAfterEnd_ = false;
  int selectedTool_ = -1;
  int block_index_ = -1;
  std::string commentSinceHole_;
  std::vector<Motion> strokes_;  // the motions of one hole, reused
  // The words a canned cycle keeps until G80 or a motion code.
  double initialZ_ = 0, r_ = 0, z_ = 0, q_ = 0, dwellMs_ = 0;
  bool haveR_ = false, haveZ_ = false;
};

}  // namespace

Program ReadProgram(std::string_view bytes, const ReaderOptions& options) {
  Program program;
  Reader reader(options, program);
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
      reader.Keep();
      if (started || program.lastLine > 0) break;  // the closing %: the rest is not read
      started = true;
      continue;
    }
    reader.ReadLine(line, lineNo);
  }
  return program;
}

double DiameterInComment(std::string_view comment) {
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
    if (digits > 0 && (j == comment.size() || comment[j] == ' ' || comment[j] == ')')) found = value;
  }
  return found;
}

}  // namespace gcode
