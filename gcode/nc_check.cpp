#include "gcode/nc_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <type_traits>

#include "common/sjis.h"
#include "common/tap_pitch.h"
#include "gcode/canned_cycle.h"

namespace gcode {
namespace {

constexpr double kEps = 1e-6;

double Length(const Motion& m) {
  const double dz = m.to.z - m.from.z;
  if (m.kind == MotionKind::Rapid || m.kind == MotionKind::Feed)
    return std::sqrt((m.to.x - m.from.x) * (m.to.x - m.from.x) + (m.to.y - m.from.y) * (m.to.y - m.from.y) + dz * dz);
  const double r = std::hypot(m.from.x - m.centre.x, m.from.y - m.centre.y);
  double a0 = std::atan2(m.from.y - m.centre.y, m.from.x - m.centre.x);
  double a1 = std::atan2(m.to.y - m.centre.y, m.to.x - m.centre.x);
  double sweep = m.kind == MotionKind::ArcCcw ? a1 - a0 : a0 - a1;
  // An arc back to its start is a full circle.
  for (int turn = 0; turn < 2 && sweep <= kEps; ++turn) sweep += 2 * std::numbers::pi;
  return std::hypot(r * sweep, dz);
}

double MotionMinutes(const Motion& m, double rapidMmPerMin) {
  const double speed = m.kind == MotionKind::Rapid ? rapidMmPerMin : m.feedMmPerMin;
  return speed > 0 ? Length(m) / speed : 0;
}

double HoleMinutes(const Hole& h, double rapidMmPerMin) {
  return h.strokeRapidMm / rapidMmPerMin + (h.feedMmPerMin > 0 ? h.strokeFeedMm / h.feedMmPerMin : 0);
}

double TotalSeconds(double minutes, const ProgramFacts& p) {
  return minutes * 60 + p.dwellSeconds + kToolChangeSeconds * p.toolChanges;
}

std::string ToolText(int number, char letter) {
  char text[24];
  if (number < 0) std::snprintf(text, sizeof text, "%c?", letter);
  else std::snprintf(text, sizeof text, "%c%02d", letter, number);
  return text;
}

std::string WholeText(double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%.0f", value);
  return text;
}

// The distinct values of one field of a tool block: the first few in the
// order met, and all of them (sorted and made unique whenever the list has
// doubled), so that a million distinct depths cost their count, not its
// square.
class DistinctValues {
 public:
  void Add(double v) {
    if (any_ && v == last_) return;
    any_ = true;
    last_ = v;
    if (first_.size() <= kMostListedValues && std::find(first_.begin(), first_.end(), v) == first_.end())
      first_.push_back(v);
    all_.push_back(v);
    if (all_.size() >= 2 * unique_ + 16) Compact();
  }

  template <typename Format>
  std::string Text(Format format) {
    Compact();
    if (all_.size() <= kMostListedValues) {
      std::string text;
      for (double v : first_) text += (text.empty() ? "" : "/") + format(v);
      return text;
    }
    return format(all_.front()) + " to " + format(all_.back()) + " (" + std::to_string(all_.size()) + " values)";
  }

 private:
  void Compact() {
    std::sort(all_.begin(), all_.end());
    all_.erase(std::unique(all_.begin(), all_.end()), all_.end());
    unique_ = all_.size();
  }

  bool any_ = false;
  double last_ = 0;
  std::vector<double> first_;
  std::vector<double> all_;
  std::size_t unique_ = 0;
};

struct BlockValues {
  DistinctValues cycles, bottoms, rs, feeds, speeds;
};

// The order findings of one line are listed in: the reader's, then by check.
enum Stage { kRead, kOffsets, kSpindle, kHoles, kRapids, kEnd };

// The checks, fed motion by motion and hole by hole.
class ProgramCheck : public ReadSink {
 public:
  explicit ProgramCheck(const CheckOptions& options) : options_(options) {}

  void OnDiagnostic(const Diagnostic& d) override { found_.push_back({d, kRead}); }

  void OnMotion(const Motion& m) override {
    minutes_ += MotionMinutes(m, options_.rapidMmPerMin);
    // One finding where cutting with a stopped spindle begins, not one per line.
    if (m.kind != MotionKind::Rapid && !m.inCycle) {
      if (!m.spindleRunning && !feedStopReported_) Add(m.line, Code::kSpindleStopped, kSpindle, "feed move");
      feedStopReported_ = !m.spindleRunning;
    }
    // A rapid that ends below the last R level, or crosses in X and Y below
    // it, outside a cycle: the approach the cycle would make safely, done blind.
    if (m.kind != MotionKind::Rapid || m.inCycle || !haveR_) return;
    const bool sideways = std::fabs(m.to.x - m.from.x) > kEps || std::fabs(m.to.y - m.from.y) > kEps;
    if (m.to.z < r_ - kEps || (sideways && m.from.z < r_ - kEps))
      Add(m.line, Code::kRapidBelowR, kRapids,
          [&] { return "Z" + MmText(std::min(m.to.z, m.from.z)) + " below R" + MmText(r_); });
  }

  void OnHole(const Hole& h, const ToolBlock& block) override {
    minutes_ += HoleMinutes(h, options_.rapidMmPerMin);
    ++holes_;
    haveR_ = true;
    r_ = h.rMm;
    if (h.block >= 0) {
      if (values_.size() <= static_cast<std::size_t>(h.block)) values_.resize(h.block + 1);
      BlockValues& v = values_[h.block];
      v.cycles.Add(h.cycle);
      v.bottoms.Add(h.bottomMm);
      v.rs.Add(h.rMm);
      v.feeds.Add(h.feedMmPerMin);
      v.speeds.Add(h.spindleRpm);
    }
    CheckOffset(h, block);
    if (!h.spindleRunning && !holeStopReported_) Add(h.line, Code::kSpindleStopped, kSpindle, "canned cycle");
    holeStopReported_ = !h.spindleRunning;
    CheckHole(h, block);
  }

  CheckResult Finish(const ProgramFacts& p) {
    CheckResult result;
    if (p.endLine == 0) Add(p.lastLine, Code::kNoProgramEnd, kEnd);
    if (options_.job && options_.job->programNumber >= 0 && p.programNumber != options_.job->programNumber) {
      char detail[64];
      std::snprintf(detail, sizeof detail, "O%04d in the program, O%04d in the job", std::max(p.programNumber, 0),
                    options_.job->programNumber);
      Add(p.programNumberLine > 0 ? p.programNumberLine : 1, Code::kProgramNumber, kEnd,
          p.programNumber < 0 ? "no O word in the program" : detail);
    }
    result.runSeconds = TotalSeconds(minutes_, p);
    const bool timeKnown = result.runSeconds < kMostRunSeconds;
    if (!timeKnown) Add(0, Code::kRunTimeTooLong, kEnd);
    for (const Diagnostic& d : limit_.Remainder()) found_.push_back({d, kEnd});
    std::stable_sort(found_.begin(), found_.end(), [](const Found& a, const Found& b) {
      return a.d.line != b.d.line ? a.d.line < b.d.line : a.stage < b.stage;
    });
    for (Found& f : found_) result.findings.push_back(std::move(f.d));
    Summarise(p, timeKnown, result);
    return result;
  }

 private:
  struct Found {
    Diagnostic d;
    Stage stage;
  };

  // One finding per line and code. `detail` (a text or a function giving
  // it) is made only for a finding that is kept.
  template <typename Detail = const char*>
  void Add(int line, Code code, Stage stage, Detail detail = "") {
    for (auto it = found_.rbegin(); it != found_.rend() && it->d.line == line; ++it)
      if (it->d.code == code) return;
    Diagnostic d{line, code, {}};
    if (!limit_.Full(code)) {
      if constexpr (std::is_invocable_v<Detail>) d.detail = detail();
      else d.detail = detail;
    }
    if (limit_.Admit(d)) found_.push_back({std::move(d), stage});
  }

  // The length offset must be the tool's own: a wrong H puts the tool tip
  // where another tool's length says it is. Once per tool block.
  void CheckOffset(const Hole& h, const ToolBlock& b) {
    if (h.block == offsetBlock_ || h.tool < 0 || h.lengthOffset == h.tool) return;
    offsetBlock_ = h.block;
    Add(b.offsetLine > 0 ? b.offsetLine : h.line, Code::kOffsetNotTool, kOffsets,
        [&] { return ToolText(h.tool, 'T') + ", " + (h.lengthOffset < 0 ? "no G43" : ToolText(h.lengthOffset, 'H')); });
  }

  void CheckHole(const Hole& h, const ToolBlock& b) {
    const CannedCycle* cycle = FindCannedCycle(h.cycle);
    const bool backBore = cycle && cycle->stroke == CycleStroke::kBackBore;
    if (!backBore && h.bottomMm > h.rMm - kEps)
      Add(h.line, Code::kBottomAboveR, kHoles, [&] { return "R" + MmText(h.rMm) + " Z" + MmText(h.bottomMm); });
    if (cycle && cycle->tapping) {
      common::TapFeedCheck tap = common::CheckTapFeed(b.diameterMm, h.spindleRpm, h.feedMmPerMin);
      if (tap.applies && !tap.ok) {
        Add(h.line, Code::kTapFeed, kHoles, [&] {
          char detail[160];
          std::snprintf(detail, sizeof detail, "M%g pitch %s x S%.0f = F%s, programmed F%s", b.diameterMm,
                        MmText(tap.pitchMm).c_str(), h.spindleRpm, MmText(tap.expectedFeedMmPerMin).c_str(),
                        MmText(h.feedMmPerMin).c_str());
          return std::string(detail);
        });
      }
    }
    if (!options_.job || !options_.job->hasStock) return;
    const JobFacts& job = *options_.job;
    if (h.xMm < job.MinX() - kEps || h.xMm > job.MaxX() + kEps || h.yMm < job.MinY() - kEps ||
        h.yMm > job.MaxY() + kEps)
      Add(h.line, Code::kOutsideStock, kHoles, [&] { return "X" + MmText(h.xMm) + " Y" + MmText(h.yMm); });
    if (h.bottomMm < -job.stockZMm - kEps)
      Add(h.line, Code::kBelowUnderside, kHoles,
          [&] { return "Z" + MmText(h.bottomMm) + ", stock " + MmText(job.stockZMm) + " thick"; });
  }

  void Summarise(const ProgramFacts& p, bool timeKnown, CheckResult& result) {
    for (std::size_t i = 0; i < p.toolBlocks.size(); ++i) {
      const ToolBlock& b = p.toolBlocks[i];
      if (b.holeCount == 0 || i >= values_.size()) continue;
      BlockValues& v = values_[i];
      std::string line = ToolText(b.tool, 'T') + " " + ToolText(b.lengthOffset, 'H');
      if (!b.comment.empty()) line += " (" + common::Cp932ToUtf8(b.comment) + ")";
      line += " " + v.cycles.Text([](double c) { return "G" + WholeText(c); });
      line += " holes " + std::to_string(b.holeCount);
      line += " Z" + v.bottoms.Text(MmText);
      line += " R" + v.rs.Text(MmText);
      line += " F" + v.feeds.Text(WholeText);
      line += " S" + v.speeds.Text(WholeText);
      result.summary.push_back(line);
    }
    result.summary.push_back("holes total " + std::to_string(holes_));
    result.summary.push_back("time " + (timeKnown ? RunTimeText(result.runSeconds) : std::string("?:??")));
  }

  const CheckOptions& options_;
  std::vector<Found> found_;
  DiagnosticLimit limit_;
  std::vector<BlockValues> values_;  // by tool block
  std::size_t holes_ = 0;
  double minutes_ = 0;
  bool feedStopReported_ = false, holeStopReported_ = false;
  bool haveR_ = false;
  double r_ = 0;
  int offsetBlock_ = -1;
};

}  // namespace

std::string RunTimeText(double seconds) {
  if (!(seconds >= 0 && seconds < kMostRunSeconds)) return "?:??";
  const long whole = std::lround(seconds);
  char text[48];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

std::string MmText(double value) {
  char text[48];
  if (!std::isfinite(value) || std::fabs(value) >= 1e15) {
    std::snprintf(text, sizeof text, "%g", value);
    return text;
  }
  std::snprintf(text, sizeof text, "%.3f", value);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s == "-0.") s = "0.";
  return s;
}

double RunSeconds(const Program& p, double rapidMmPerMin) {
  double minutes = 0;
  for (const Motion& m : p.motions) minutes += MotionMinutes(m, rapidMmPerMin);
  for (const Hole& h : p.holes) minutes += HoleMinutes(h, rapidMmPerMin);
  return TotalSeconds(minutes, p);
}

CheckResult ReadAndCheck(std::string_view bytes, const ReaderOptions& reader, const CheckOptions& options) {
  ProgramCheck check(options);
  const ProgramFacts facts = ReadProgram(bytes, reader, check);
  return check.Finish(facts);
}

// The program's motions and holes go to the check in the order of their
// lines, as the reader gave them.
CheckResult CheckProgram(const Program& program, const CheckOptions& options) {
  ProgramCheck check(options);
  for (const Diagnostic& d : program.diagnostics) check.OnDiagnostic(d);
  std::size_t m = 0;
  for (const Hole& h : program.holes) {
    for (; m < program.motions.size() && program.motions[m].line <= h.line; ++m) check.OnMotion(program.motions[m]);
    static const ToolBlock kNone;
    check.OnHole(h, h.block >= 0 ? program.toolBlocks[h.block] : kNone);
  }
  for (; m < program.motions.size(); ++m) check.OnMotion(program.motions[m]);
  return check.Finish(program);
}

}  // namespace gcode
