#include "gcode/nc_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "common/sjis.h"
#include "common/tap_pitch.h"

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
  while (sweep <= kEps) sweep += 2 * std::numbers::pi;  // an arc back to its start is a full circle
  return std::hypot(r * sweep, dz);
}

// Adds findings, one per line and code.
class Findings {
 public:
  explicit Findings(std::vector<Diagnostic>& out) : out_(out) {}
  void Add(int line, Code code, std::string detail = {}) {
    for (auto it = out_.rbegin(); it != out_.rend() && it->line == line; ++it)
      if (it->code == code) return;
    out_.push_back({line, code, std::move(detail)});
  }

 private:
  std::vector<Diagnostic>& out_;
};

std::string ToolText(int number, char letter) {
  char text[24];
  if (number < 0) std::snprintf(text, sizeof text, "%c?", letter);
  else std::snprintf(text, sizeof text, "%c%02d", letter, number);
  return text;
}

// The length offset must be the tool's own: a wrong H puts the tool tip
// where another tool's length says it is.
void CheckOffsets(const Program& p, Findings& f) {
  int lastBlock = -1;
  for (const Hole& h : p.holes) {
    if (h.block == lastBlock || h.tool < 0) continue;
    if (h.lengthOffset != h.tool) {
      lastBlock = h.block;
      const ToolBlock& b = p.toolBlocks[h.block];
      int line = b.offsetLine > 0 ? b.offsetLine : h.line;
      f.Add(line, Code::kOffsetNotTool, ToolText(h.tool, 'T') + ", " + (h.lengthOffset < 0 ? "no G43" : ToolText(h.lengthOffset, 'H')));
    }
  }
}

// One finding where cutting with a stopped spindle begins, not one per line:
// feed moves outside the cycles, and the holes.
void CheckSpindle(const Program& p, Findings& f) {
  bool reported = false;
  for (const Motion& m : p.motions) {
    if (m.kind == MotionKind::Rapid || m.inCycle) continue;
    if (m.spindleRunning) {
      reported = false;
      continue;
    }
    if (!reported) f.Add(m.line, Code::kSpindleStopped, "feed move");
    reported = true;
  }
  reported = false;
  for (const Hole& h : p.holes) {
    if (h.spindleRunning) {
      reported = false;
      continue;
    }
    if (!reported) f.Add(h.line, Code::kSpindleStopped, "canned cycle");
    reported = true;
  }
}

void CheckHoles(const Program& p, const CheckOptions& options, Findings& f) {
  for (const Hole& h : p.holes) {
    if (h.cycle != 87 && h.bottomMm > h.rMm - kEps)
      f.Add(h.line, Code::kBottomAboveR, "R" + MmText(h.rMm) + " Z" + MmText(h.bottomMm));
    if (h.cycle == 84 || h.cycle == 74) {
      const double diameter = h.block >= 0 ? p.toolBlocks[h.block].diameterMm : 0;
      common::TapFeedCheck tap = common::CheckTapFeed(diameter, h.spindleRpm, h.feedMmPerMin);
      if (tap.applies && !tap.ok) {
        char detail[96];
        std::snprintf(detail, sizeof detail, "M%g pitch %s x S%.0f = F%s, programmed F%s", diameter,
                      MmText(tap.pitchMm).c_str(), h.spindleRpm, MmText(tap.expectedFeedMmPerMin).c_str(),
                      MmText(h.feedMmPerMin).c_str());
        f.Add(h.line, Code::kTapFeed, detail);
      }
    }
    if (!options.job || !options.job->hasStock) continue;
    const JobFacts& job = *options.job;
    if (h.xMm < job.MinX() - kEps || h.xMm > job.MaxX() + kEps || h.yMm < job.MinY() - kEps ||
        h.yMm > job.MaxY() + kEps)
      f.Add(h.line, Code::kOutsideStock, "X" + MmText(h.xMm) + " Y" + MmText(h.yMm));
    if (h.bottomMm < -job.stockZMm - kEps)
      f.Add(h.line, Code::kBelowUnderside, "Z" + MmText(h.bottomMm) + ", stock " + MmText(job.stockZMm) + " thick");
  }
}

// A rapid that ends below the last R level, or crosses in X and Y below it,
// outside a cycle: the approach the cycle would make safely, done blind.
void CheckRapids(const Program& p, Findings& f) {
  std::size_t next = 0;
  bool haveR = false;
  double r = 0;
  for (const Motion& m : p.motions) {
    while (next < p.holes.size() && p.holes[next].line <= m.line) {
      haveR = true;
      r = p.holes[next++].rMm;
    }
    if (m.kind != MotionKind::Rapid || m.inCycle || !haveR) continue;
    bool sideways = std::fabs(m.to.x - m.from.x) > kEps || std::fabs(m.to.y - m.from.y) > kEps;
    if (m.to.z < r - kEps || (sideways && m.from.z < r - kEps))
      f.Add(m.line, Code::kRapidBelowR, "Z" + MmText(std::min(m.to.z, m.from.z)) + " below R" + MmText(r));
  }
}

void CheckEndAndNumber(const Program& p, const CheckOptions& options, Findings& f) {
  if (p.endLine == 0) f.Add(p.lastLine, Code::kNoProgramEnd);
  if (options.job && options.job->programNumber >= 0 && p.programNumber != options.job->programNumber) {
    char detail[64];
    std::snprintf(detail, sizeof detail, "O%04d in the program, O%04d in the job", std::max(p.programNumber, 0),
                  options.job->programNumber);
    f.Add(p.programNumberLine > 0 ? p.programNumberLine : 1, Code::kProgramNumber,
          p.programNumber < 0 ? "no O word in the program" : detail);
  }
}

// Distinct values in the order met, joined by "/".
template <typename T, typename Format>
std::string Distinct(const std::vector<T>& values, Format format) {
  std::vector<T> seen;
  std::string text;
  for (const T& v : values) {
    if (std::find(seen.begin(), seen.end(), v) != seen.end()) continue;
    seen.push_back(v);
    if (!text.empty()) text += '/';
    text += format(v);
  }
  return text;
}

std::string WholeText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", value);
  return text;
}

}  // namespace

std::string MmText(double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%.3f", value);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s == "-0.") s = "0.";
  return s;
}

double RunSeconds(const Program& p, double rapidMmPerMin) {
  double minutes = 0;
  for (const Motion& m : p.motions) {
    double speed = m.kind == MotionKind::Rapid ? rapidMmPerMin : m.feedMmPerMin;
    if (speed > 0) minutes += Length(m) / speed;
  }
  for (const Hole& h : p.holes) {
    minutes += h.strokeRapidMm / rapidMmPerMin;
    if (h.feedMmPerMin > 0) minutes += h.strokeFeedMm / h.feedMmPerMin;
  }
  return minutes * 60 + p.dwellSeconds + kToolChangeSeconds * static_cast<double>(p.toolChangeLines.size());
}

CheckResult CheckProgram(const Program& program, const CheckOptions& options) {
  CheckResult result;
  std::vector<Diagnostic> found;
  Findings f(found);
  CheckOffsets(program, f);
  CheckSpindle(program, f);
  CheckHoles(program, options, f);
  CheckRapids(program, f);
  CheckEndAndNumber(program, options, f);
  result.findings = program.diagnostics;
  result.findings.insert(result.findings.end(), found.begin(), found.end());
  std::stable_sort(result.findings.begin(), result.findings.end(),
                   [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  result.runSeconds = RunSeconds(program, options.rapidMmPerMin);
  return result;
}

std::vector<std::string> SummaryLines(const Program& p, const CheckResult& result) {
  std::vector<std::string> lines;
  std::vector<std::vector<const Hole*>> holesOf(p.toolBlocks.size());
  for (const Hole& h : p.holes)
    if (h.block >= 0) holesOf[h.block].push_back(&h);
  for (std::size_t i = 0; i < p.toolBlocks.size(); ++i) {
    const ToolBlock& b = p.toolBlocks[i];
    if (b.holeCount == 0) continue;
    std::vector<int> cycles;
    std::vector<double> bottoms, rs, feeds, speeds;
    for (const Hole* hole : holesOf[i]) {
      const Hole& h = *hole;
      cycles.push_back(h.cycle);
      bottoms.push_back(h.bottomMm);
      rs.push_back(h.rMm);
      feeds.push_back(h.feedMmPerMin);
      speeds.push_back(h.spindleRpm);
    }
    std::string line = ToolText(b.tool, 'T') + " " + ToolText(b.lengthOffset, 'H');
    if (!b.comment.empty()) line += " (" + common::Cp932ToUtf8(b.comment) + ")";
    line += " " + Distinct(cycles, [](int c) { return "G" + std::to_string(c); });
    line += " holes " + std::to_string(b.holeCount);
    line += " Z" + Distinct(bottoms, MmText);
    line += " R" + Distinct(rs, MmText);
    line += " F" + Distinct(feeds, WholeText);
    line += " S" + Distinct(speeds, WholeText);
    lines.push_back(line);
  }
  lines.push_back("holes total " + std::to_string(p.holes.size()));
  long seconds = std::lround(result.runSeconds);
  char time[32];
  std::snprintf(time, sizeof time, "time %ld:%02ld", seconds / 60, seconds % 60);
  lines.push_back(time);
  return lines;
}

}  // namespace gcode
