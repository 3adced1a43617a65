// The findings of a program as the viewer lists them: grouped by kind (and
// tool), counted, with their lines, in Japanese.
#include <algorithm>
#include <map>
#include <tuple>

#include "Drillview/scene.h"

namespace drillview {
namespace {

// Details kept per group for the tip of its entry.
constexpr std::size_t kMostDetails = 12;
// A group names its lines one by one up to this many, else first–last.
constexpr std::size_t kMostNamedLines = 3;

// The indices of the holes drilled on `line` (the holes are in line order).
std::pair<std::size_t, std::size_t> HolesOnLine(const std::vector<HoleMark>& holes, int line) {
  auto lower = std::lower_bound(holes.begin(), holes.end(), line, [](const HoleMark& h, int l) { return h.line < l; });
  auto upper = std::upper_bound(lower, holes.end(), line, [](int l, const HoleMark& h) { return l < h.line; });
  return {static_cast<std::size_t>(lower - holes.begin()), static_cast<std::size_t>(upper - holes.begin())};
}

// "12, 15, 40 行", or as a range "37–51 行" for more lines (or when they
// stand for a range anyway).
std::string LinesText(const std::vector<int>& lines, bool range) {
  if (lines.empty() || (lines.size() == 1 && lines[0] == 0)) return "";
  std::string text;
  if (lines.size() <= kMostNamedLines && !(range && lines.size() > 1)) {
    for (int l : lines) text += (text.empty() ? "" : ", ") + std::to_string(l);
  } else {
    text = std::to_string(lines.front()) + "–" + std::to_string(lines.back());
  }
  return text + " 行";
}

std::string ToolName(int tool) {
  if (tool < 0) return "T?";
  return tool < 10 ? "T0" + std::to_string(tool) : "T" + std::to_string(tool);
}

}  // namespace

std::vector<FindingGroup> GroupFindings(const gcode::Program& program, const std::vector<gcode::Diagnostic>& findings,
                                        const std::vector<HoleMark>& holes) {
  struct Building {
    FindingGroup group;
    gcode::Code code = gcode::Code::kBadCharacter;
    int tool = 0;
    long count = 0;
    bool aboutHoles = false;
  };
  std::vector<Building> built;
  std::map<std::pair<int, int>, std::size_t> index;  // (code, tool) -> built
  constexpr int kNoTool = -2, kHeldBack = -3;
  for (const gcode::Diagnostic& d : findings) {
    // The holes the finding is about: those of its line, or for a length
    // offset (found on its G43 line) those of the tool block after it. The
    // findings the check held back (more than it keeps of one kind) are an
    // entry of their own, over whatever tools.
    std::vector<int> about;
    auto [first, last] = d.more > 0 ? std::pair<std::size_t, std::size_t>{0, 0} : HolesOnLine(holes, d.line);
    for (std::size_t i = first; i < last; ++i) about.push_back(static_cast<int>(i));
    if (about.empty() && d.code == gcode::Code::kOffsetNotTool) {
      for (std::size_t b = 0; b < program.toolBlocks.size(); ++b) {
        if (program.toolBlocks[b].offsetLine != d.line) continue;
        for (std::size_t i = 0; i < program.holes.size() && i < holes.size(); ++i)
          if (program.holes[i].block == static_cast<int>(b)) about.push_back(static_cast<int>(i));
      }
    }
    const int tool = d.more > 0 ? kHeldBack : about.empty() ? kNoTool : holes[about.front()].tool;
    auto [it, fresh] = index.try_emplace({static_cast<int>(d.code), tool}, built.size());
    if (fresh) {
      built.emplace_back();
      built.back().code = d.code;
      built.back().tool = tool;
      built.back().aboutHoles = !about.empty();
    }
    Building& b = built[it->second];
    b.count += d.more > 0 ? d.more : 1;
    b.group.error = gcode::IsError(d.code);
    b.group.lines.push_back(d.line);
    if (d.more > 0) b.group.lines.push_back(d.lastLine);
    b.group.holes.insert(b.group.holes.end(), about.begin(), about.end());
    if (b.group.details.size() < kMostDetails) b.group.details.push_back(d.Text());
  }
  std::vector<FindingGroup> out;
  for (Building& b : built) {
    FindingGroup& g = b.group;
    std::sort(g.lines.begin(), g.lines.end());
    g.lines.erase(std::unique(g.lines.begin(), g.lines.end()), g.lines.end());
    std::sort(g.holes.begin(), g.holes.end());
    g.holes.erase(std::unique(g.holes.begin(), g.holes.end()), g.holes.end());
    std::string counts;
    if (b.tool == kHeldBack) counts = "さらに " + std::to_string(b.count) + " 件";
    else if (b.aboutHoles) counts = ToolName(b.tool) + ", " + std::to_string(g.holes.size()) + " 穴";
    else if (b.count > 1) counts = std::to_string(b.count) + " 件";
    const std::string lines = LinesText(g.lines, b.tool == kHeldBack);
    if (!lines.empty()) counts += (counts.empty() ? "" : ", ") + lines;
    g.text = std::string(g.error ? "エラー：" : "") + std::string(gcode::CodeTextJa(b.code)) +
             (counts.empty() ? "" : " (" + counts + ")");
    out.push_back(std::move(g));
  }
  std::stable_sort(out.begin(), out.end(), [](const FindingGroup& a, const FindingGroup& b) {
    return (a.lines.empty() ? 0 : a.lines.front()) < (b.lines.empty() ? 0 : b.lines.front());
  });
  return out;
}

}  // namespace drillview
