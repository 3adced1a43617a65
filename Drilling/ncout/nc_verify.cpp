#include "Drilling/ncout/nc_verify.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "Drilling/app/message_channel.h"
#include "Drilling/app/number_text.h"
#include "common/text.h"
#include "common/textfile.h"
#include "gcode/canned_cycle.h"
#include "gcode/gcode_reader.h"

namespace fs = std::filesystem;

namespace drilling {
namespace {

// The largest middle part (after the equal start and end) aligned hole by
// hole; a program further off is compared position by position.
constexpr std::size_t kMaxAlignedCells = 4'000'000;
// Differences listed one by one; more are counted.
constexpr std::size_t kListedDifferences = 50;

bool IsPeckCycle(int g) {
  const gcode::CannedCycle* cycle = gcode::FindCannedCycle(g);
  return cycle && cycle->peck;
}

std::string ToolText(char letter, int number) {
  return number < 0 ? std::string("なし") : common::FormatText("%c%02d", letter, number);
}

std::string FeedText(double feed) {
  if (feed == std::floor(feed) && std::fabs(feed) < 1e9) return common::FormatText("%d", static_cast<int>(feed));
  return NcNumberText(feed);
}

struct Field {
  const char* name;
  std::string job;
  std::string program;
};

// The values a hole is compared by, as text, in the form the program writes
// them (so 12.3456 in the job and 12.346 in the program are the same).
std::vector<Field> FieldsOf(const PlanProcess& p, const gcode::Hole& a) {
  std::vector<Field> f = {
      {"T", ToolText('T', p.t), ToolText('T', a.tool)},
      {"H", ToolText('H', p.h), ToolText('H', a.lengthOffset)},
      {"G", common::FormatText("G%d", p.cycle.cycle), common::FormatText("G%d", a.cycle)},
      {"R", NcNumberText(p.cycle.rMm), NcNumberText(a.rMm)},
      {"Z", NcNumberText(p.cycle.zMm), NcNumberText(a.bottomMm)},
      {"Q", IsPeckCycle(p.cycle.cycle) ? NcNumberText(p.cycle.qMm) : std::string(),
       IsPeckCycle(a.cycle) ? NcNumberText(a.qMm) : std::string()},
      {"F", FeedText(p.cycle.feedMmPerMin), FeedText(a.feedMmPerMin)},
      {"S", common::FormatText("%d", p.spindleRpm),
       FeedText(a.spindleRpm) + (a.spindleRunning ? "" : "（主軸停止）")},
  };
  return f;
}

std::string XYText(double x, double y) { return "X" + NcNumberText(x) + " Y" + NcNumberText(y); }

// The texts a comparison meets, each numbered once: the values of a hole
// (its tool, cycle, levels, feed and speed as the program words them) and
// the rare number whose text is too long for a key of thousandths.
class TextNumbers {
 public:
  int Number(std::string text) {
    auto [it, added] = numbers_.try_emplace(std::move(text), static_cast<int>(numbers_.size()));
    return it->second;
  }

 private:
  std::unordered_map<std::string, int> numbers_;
};

// A coordinate as compared: equal exactly when the program's texts of the
// two are equal (NumberKey's promise), in 16 bytes.
struct Coordinate {
  std::int64_t value = 0;  // thousandths, or the number of the text
  int kind = 0;            // 0 thousandths, 1 thousandths of "-0.", 2 a text's number
  bool operator==(const Coordinate&) const = default;
};

Coordinate CoordinateOf(double mm, TextNumbers& texts) {
  NumberTextKey key = NumberKey(mm);
  if (!key.text.empty()) return {texts.Number(std::move(key.text)), 2};
  return {key.thousandths, key.minus && key.thousandths == 0 ? 1 : 0};
}

// A hole as compared: its position and the number of its values' text.
// Comparing these compares the program's words without forming a text for
// each hole.
struct HoleKey {
  Coordinate x, y;
  int values = 0;
  bool operator==(const HoleKey&) const = default;
};

std::string ValuesText(const std::vector<Field>& fields, bool job) {
  std::string s;
  for (const Field& f : fields) {
    s += ' ';
    s += job ? f.job : f.program;
  }
  return s;
}

// The program's holes, kept as the reader reports them; motions are not
// needed (the reader's whole Program would keep them all).
class HoleSink : public gcode::ReadSink {
 public:
  explicit HoleSink(std::size_t expected) { holes.reserve(expected + 16); }
  void OnMotion(const gcode::Motion&) override {}
  void OnHole(const gcode::Hole& hole, const gcode::ToolBlock&) override {
    if (holes.size() < gcode::kMostKeptHoles) holes.push_back(hole);
    else ++notKept;
  }
  void OnDiagnostic(const gcode::Diagnostic&) override {}

  std::vector<gcode::Hole> holes;
  std::size_t notKept = 0;
};

// The values of a program hole that its text is made from, to reuse the
// text of the hole before while they stay the same (they are modal).
bool SameValues(const gcode::Hole& a, const gcode::Hole& b) {
  return a.tool == b.tool && a.lengthOffset == b.lengthOffset && a.cycle == b.cycle && a.rMm == b.rMm &&
         a.bottomMm == b.bottomMm && a.qMm == b.qMm && a.feedMmPerMin == b.feedMmPerMin &&
         a.spindleRpm == b.spindleRpm && a.spindleRunning == b.spindleRunning;
}

enum class Op { Match, Missing, Extra };
struct Step {
  Op op;
  std::size_t e = 0;  // expected index (Match, Missing)
  std::size_t a = 0;  // actual index (Match, Extra)
};

// The steps that turn the expected holes into the program's: the longest
// run of equal holes kept, the rest missing or extra.
std::vector<Step> Align(const std::vector<HoleKey>& expected, const std::vector<HoleKey>& actual) {
  std::vector<Step> steps;
  steps.reserve(expected.size() + actual.size());
  std::size_t n = expected.size(), m = actual.size();
  std::size_t head = 0;
  while (head < n && head < m && expected[head] == actual[head]) ++head;
  std::size_t tail = 0;
  while (tail < n - head && tail < m - head && expected[n - 1 - tail] == actual[m - 1 - tail]) ++tail;
  for (std::size_t i = 0; i < head; ++i) steps.push_back({Op::Match, i, i});

  const std::size_t rows = n - head - tail, cols = m - head - tail;
  if (rows > 0 && cols > 0 && (rows + 1) * (cols + 1) <= kMaxAlignedCells && rows < 65535 && cols < 65535) {
    // Longest common run of the middle parts, from their ends.
    std::vector<std::uint16_t> lcs((rows + 1) * (cols + 1), 0);
    auto at = [&](std::size_t i, std::size_t j) -> std::uint16_t& { return lcs[i * (cols + 1) + j]; };
    for (std::size_t i = rows; i-- > 0;)
      for (std::size_t j = cols; j-- > 0;)
        at(i, j) = expected[head + i] == actual[head + j] ? static_cast<std::uint16_t>(at(i + 1, j + 1) + 1)
                                                          : std::max(at(i + 1, j), at(i, j + 1));
    std::size_t i = 0, j = 0;
    while (i < rows || j < cols) {
      if (i < rows && j < cols && expected[head + i] == actual[head + j]) {
        steps.push_back({Op::Match, head + i++, head + j++});
      } else if (j < cols && (i == rows || at(i, j + 1) >= at(i + 1, j))) {
        steps.push_back({Op::Extra, 0, head + j++});
      } else {
        steps.push_back({Op::Missing, head + i++, 0});
      }
    }
  } else {
    // Too far apart to align: position by position.
    for (std::size_t k = 0; k < std::max(rows, cols); ++k) {
      if (k < rows && k < cols && expected[head + k] == actual[head + k])
        steps.push_back({Op::Match, head + k, head + k});
      else {
        if (k < rows) steps.push_back({Op::Missing, head + k, 0});
        if (k < cols) steps.push_back({Op::Extra, 0, head + k});
      }
    }
  }
  for (std::size_t k = tail; k-- > 0;) steps.push_back({Op::Match, n - 1 - k, m - 1 - k});
  return steps;
}

std::string PositionText(const PlannedHole& h) {
  return common::FormatText("穴情報[%d] %d 番目 %s", h.group, h.index, XYText(h.point.xMm, h.point.yMm).c_str());
}

std::string ReportDifferences(Context& ctx, common::Form* owner, const NcComparison& c) {
  for (std::size_t i = 0; i < c.differences.size() && i < kListedDifferences; ++i)
    Report(ctx, owner, kKindList, c.differences[i]);
  if (c.differences.size() > kListedDifferences)
    ReportF(ctx, owner, kKindList, "…ほか %zu か所", c.differences.size() - kListedDifferences);
  return c.differences.empty() ? std::string() : c.differences.front();
}

}  // namespace

NcComparison CompareProgramWithPlan(const NcPlan& plan, std::string_view programBytes) {
  NcComparison result;
  const std::vector<PlannedHole> planned = plan.Holes();
  HoleSink sink(planned.size());
  gcode::ReadProgram(programBytes, {}, sink);
  const std::vector<gcode::Hole>& holes = sink.holes;

  // What each side cannot be compared by: a process the writer could not
  // write is a difference of its own.
  for (const PlanProcess& p : plan.processes) {
    if (!p.cycleError.empty())
      result.differences.push_back(common::FormatText("工程[%d]：%s", p.number, p.cycleError.c_str()));
    for (int g : p.Groups()) {
      auto it = plan.groups.find(g);
      if (it != plan.groups.end() && !it->second.error.empty())
        result.differences.push_back(common::FormatText("工程[%d]：%s", p.number, it->second.error.c_str()));
    }
  }

  std::vector<HoleKey> expected, actual;
  expected.reserve(planned.size());
  actual.reserve(holes.size());
  TextNumbers texts;
  // The fields of a planned hole compared with a hole that is not there: the
  // program side is not used for the text.
  const gcode::Hole none;
  std::vector<int> processValues;
  for (const PlanProcess& p : plan.processes) processValues.push_back(texts.Number(ValuesText(FieldsOf(p, none), true)));
  for (const PlannedHole& h : planned)
    expected.push_back({CoordinateOf(h.point.xMm, texts), CoordinateOf(h.point.yMm, texts),
                        processValues[static_cast<std::size_t>(h.process)]});
  const PlanProcess nobody;
  for (std::size_t k = 0; k < holes.size(); ++k) {
    const gcode::Hole& a = holes[k];
    const int values = k > 0 && SameValues(a, holes[k - 1]) ? actual.back().values
                                                             : texts.Number(ValuesText(FieldsOf(nobody, a), false));
    actual.push_back({CoordinateOf(a.xMm, texts), CoordinateOf(a.yMm, texts), values});
  }

  if (sink.notKept > 0)
    result.differences.push_back(common::FormatText("プログラムの穴が多すぎます：%zu 穴目から先は比べていません",
                                                    holes.size() + 1));
  const std::vector<Step> steps = Align(expected, actual);
  // Between two matches: a missing and an extra hole at the same position
  // are one hole that differs in its values.
  int lastLine = 0;
  int lastProcess = -1;
  for (std::size_t s = 0; s < steps.size();) {
    if (steps[s].op == Op::Match) {
      lastLine = holes[steps[s].a].line;
      lastProcess = planned[steps[s].e].process;
      ++s;
      continue;
    }
    std::size_t end = s;
    while (end < steps.size() && steps[end].op != Op::Match) ++end;
    const int nextLine = end < steps.size() ? holes[steps[end].a].line : 0;
    const int nextProcess = end < steps.size() ? planned[steps[end].e].process : -1;
    std::vector<bool> paired(end - s, false);
    for (std::size_t k = s; k < end; ++k) {
      if (steps[k].op != Op::Missing) continue;
      const PlannedHole& e = planned[steps[k].e];
      const PlanProcess& p = plan.processes[static_cast<std::size_t>(e.process)];
      const HoleKey& at = expected[steps[k].e];
      std::size_t partner = end;
      for (std::size_t j = s; j < end && partner == end; ++j)
        if (steps[j].op == Op::Extra && !paired[j - s] && actual[steps[j].a].x == at.x &&
            actual[steps[j].a].y == at.y)
          partner = j;
      if (partner != end) {
        paired[partner - s] = true;
        const gcode::Hole& a = holes[steps[partner].a];
        std::string what;
        for (const Field& f : FieldsOf(p, a)) {
          if (f.job == f.program) continue;
          if (!what.empty()) what += "、";
          what += common::FormatText("%s がジョブ %s／プログラム %s", f.name, f.job.empty() ? "なし" : f.job.c_str(),
                                     f.program.empty() ? "なし" : f.program.c_str());
        }
        result.differences.push_back(common::FormatText("工程[%d] %s（%d 行目）：%s", p.number,
                                                        PositionText(e).c_str(), a.line, what.c_str()));
      } else {
        std::string where = lastLine > 0   ? common::FormatText("（%d 行目の後）", lastLine)
                            : nextLine > 0 ? common::FormatText("（%d 行目の前）", nextLine)
                                           : std::string();
        result.differences.push_back(
            common::FormatText("工程[%d] %s がプログラムにありません%s", p.number, PositionText(e).c_str(), where.c_str()));
      }
      lastProcess = e.process;
    }
    for (std::size_t k = s; k < end; ++k) {
      if (steps[k].op != Op::Extra || paired[k - s]) continue;
      const gcode::Hole& a = holes[steps[k].a];
      const int owner = lastProcess >= 0 ? lastProcess : nextProcess;
      std::string whose = owner >= 0 ? common::FormatText("工程[%d] にない穴", plan.processes[static_cast<std::size_t>(owner)].number)
                                     : std::string("ジョブにない穴");
      result.differences.push_back(common::FormatText("プログラム %d 行目：%s %s（%s G%d Z%s）", a.line, whose.c_str(),
                                                      XYText(a.xMm, a.yMm).c_str(), ToolText('T', a.tool).c_str(),
                                                      a.cycle, NcNumberText(a.bottomMm).c_str()));
      lastLine = a.line;
    }
    s = end;
  }

  for (const PlannedHole& h : planned) {
    const int tool = plan.processes[static_cast<std::size_t>(h.process)].t;
    auto it = std::find_if(result.holesPerTool.begin(), result.holesPerTool.end(),
                           [tool](const auto& entry) { return entry.first == tool; });
    if (it == result.holesPerTool.end())
      result.holesPerTool.emplace_back(tool, 1);
    else
      ++it->second;
  }
  result.holes = static_cast<int>(planned.size());
  return result;
}

std::string HolesPerToolText(const NcComparison& comparison) {
  std::string text;
  for (const auto& [tool, count] : comparison.holesPerTool) {
    if (!text.empty()) text += "、";
    text += common::FormatText("T%02d %d穴", tool, count);
  }
  if (!text.empty()) text += "、";
  text += common::FormatText("計 %d 穴", comparison.holes);
  return text;
}

int VerifyWrittenProgram(Context& ctx, common::Form* owner, const NcPlan& plan, const fs::path& ncPath,
                         std::string& verifiedLine) {
  std::string bytes;
  if (!common::ReadFileBytes(ncPath, bytes)) {
    ReportF(ctx, owner, kKindError, "エラー：書いたＮＣデータ %s を読み返せません。", ncPath.string().c_str());
    return -1;
  }
  const NcComparison c = CompareProgramWithPlan(plan, bytes);
  if (!c.differences.empty()) {
    const std::string first = ReportDifferences(ctx, owner, c);
    ReportF(ctx, owner, kKindError,
            "エラー：書いたＮＣデータ %s を読み返すとジョブと %zu か所違います（%s ほか）。確認用にファイルは残しますが、"
            "機械へは送らないで下さい。",
            ncPath.string().c_str(), c.differences.size(), first.c_str());
    return -1;
  }
  verifiedLine = common::FormatText("ＮＣデータ照合済み %s（%s）", ncPath.string().c_str(), HolesPerToolText(c).c_str());
  return 0;
}

int CheckProgramBeforeTransfer(Context& ctx, common::Form* owner, const fs::path& ncPath) {
  NcComparison c;
  NcPlan plan;
  std::string bytes;
  if (BuildNcPlan(ctx, plan) < 0) {
    c.differences.push_back("ジョブの加工工程を読めません：" + ctx.messageBuffer);
    ctx.messageBuffer.clear();
  } else if (!common::ReadFileBytes(ncPath, bytes)) {
    c.differences.push_back(common::FormatText("ＮＣデータ %s を読めません", ncPath.string().c_str()));
  } else {
    c = CompareProgramWithPlan(plan, bytes);
  }
  if (c.differences.empty()) {
    ctx.Trace("%s: the job's program (%s)\n", ncPath.string().c_str(), HolesPerToolText(c).c_str());
    return 0;
  }
  const std::string first = ReportDifferences(ctx, owner, c);
  std::string question = common::FormatText("ＮＣデータ %s はジョブと %zu か所一致しません。\n%s%s\n\nこのまま転送しますか？",
                                            ncPath.filename().string().c_str(), c.differences.size(), first.c_str(),
                                            c.differences.size() > 1 ? "\n（ほかはメッセージ一覧に）" : "");
  if (ctx.ui && ctx.ui->AskYesNo(owner, question, kBoxCaption)) {
    Report(ctx, owner, kKindList, "ジョブと一致しないＮＣデータを、確認のうえ転送します。");
    return 0;
  }
  Report(ctx, owner, kKindList, "ジョブと一致しないので転送しませんでした。");
  return -1;
}

}  // namespace drilling
