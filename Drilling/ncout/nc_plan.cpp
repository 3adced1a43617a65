#include "Drilling/ncout/nc_plan.h"

#include "Drilling/app/message_channel.h"
#include "Drilling/app/number_text.h"
#include "Drilling/job/job_file.h"
#include "common/file_keys.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"
#include "gcode/canned_cycle.h"

namespace drilling {
namespace {

// A number word the writer forms has the room of a stored number (the
// positions, RCODE, ZCODE, QCODE: 15 bytes).
constexpr std::size_t kNumberWordRoom = jobkey::kPositionX.room;

// An integer of a process section (GCODE, FEEDRATE, SPINDL, GROUP); 0 when
// absent.
int ReadProcessInt(const Context& ctx, std::string_view section, const filekeys::Key& key) {
  return common::ReadProfileInt(section, key.name, 0, ctx.currentJobPath);
}

int Fail(Context& ctx, std::string_view text) {
  SetMessage(ctx, text);
  return -1;
}

int FailTooLarge(Context& ctx, std::string_view what, std::string_view text) {
  return Fail(ctx, common::FormatText("エラー：%s の値 %s が大きすぎます", std::string(what).c_str(),
                                      std::string(text).c_str()));
}

// The points of a group with the checks the writer needs: a stored position
// wider than its room would be read cut (1e14 for a value of 309 digits),
// and one whose number text is too long would make a word no control reads.
PlanHoleGroup ReadPlanGroup(Context& ctx, int group) {
  PlanHoleGroup read;
  const std::string section = jobkey::HoleSection(group);
  std::string text;
  for (int k = 1; k <= kMaxHolePoints; ++k) {
    if (!ReadJobFitting(ctx, section, jobkey::PositionKey('X', k), jobkey::kPositionX.room, text)) {
      read.error = ctx.messageBuffer;
      return read;
    }
    if (text.empty()) break;
    if (!ReadJobFitting(ctx, section, jobkey::PositionKey('Y', k), jobkey::kPositionY.room, text)) {
      read.error = ctx.messageBuffer;
      return read;
    }
    if (text.empty()) break;
  }
  read.points = ReadHoleGroup(ctx, group);
  for (std::size_t k = 0; k < read.points.size(); ++k) {
    const HolePoint& p = read.points[k];
    if (!FitsNumberWord(p.xMm) || !FitsNumberWord(p.yMm)) {
      read.error = common::FormatText("エラー：穴位置 [%d] の %zu 番目の値が大きすぎます", group, k + 1);
      read.points.clear();
      return read;
    }
  }
  return read;
}

}  // namespace

std::string NcNumberText(double value) { return FormatNumber(value, 1); }

bool FitsNumberWord(double value) { return NcNumberText(value).size() < kNumberWordRoom; }

bool ReadJobFitting(Context& ctx, std::string_view section, std::string_view key, std::size_t room,
                    std::string& value) {
  value = ReadJobKey(ctx, section, key, filekeys::kWholeValueRoom);
  if (common::Cp932Width(value) <= room - 1) return true;
  Fail(ctx, common::FormatText("エラー：定義ファイルの [%s] %s の値 %s が長すぎます（%zu バイトまで）。",
                               std::string(section).c_str(), std::string(key).c_str(),
                               common::CutToBytes(value, 40).c_str(), room - 1));
  return false;
}

bool ReadJobFitting(Context& ctx, std::string_view section, const filekeys::Key& key, std::string& value) {
  return ReadJobFitting(ctx, section, key.name, key.room, value);
}

std::vector<int> PlanProcess::Groups() const {
  if (group != 0) return {group};
  std::vector<int> all;
  for (int g = 1; g <= kHoleGroupCount; ++g) all.push_back(g);
  return all;
}

std::vector<PlannedHole> NcPlan::Holes() const {
  std::vector<PlannedHole> holes;
  for (std::size_t i = 0; i < processes.size(); ++i) {
    for (int g : processes[i].Groups()) {
      auto it = groups.find(g);
      if (it == groups.end() || !it->second.error.empty()) continue;
      for (std::size_t k = 0; k < it->second.points.size(); ++k)
        holes.push_back({static_cast<int>(i), g, static_cast<int>(k) + 1, it->second.points[k]});
    }
  }
  return holes;
}

int ReadProcessTools(Context& ctx, ProcessTools& tools) {
  tools = ProcessTools{};
  for (int n = 1; n <= kMaxProcesses; ++n) {
    if (ReadJobKey(ctx, jobkey::kToolName, n).empty()) {
      tools.count = n - 1;
      return 0;
    }
    std::string t = ReadJobKey(ctx, jobkey::kToolTNumber, n);
    if (t.empty()) return Fail(ctx, "エラー：工具番号の定義がありません");
    std::string h = ReadJobKey(ctx, jobkey::kToolHNumber, n);
    if (h.empty()) return Fail(ctx, "エラー：工具長補正番号の定義がありません");
    tools.t[static_cast<std::size_t>(n)] = common::ParseLeadingInt(t);
    tools.h[static_cast<std::size_t>(n)] = common::ParseLeadingInt(h);
  }
  tools.count = kMaxProcesses;
  return 0;
}

int ReadCycleValues(Context& ctx, std::string_view processSection, CycleValues& values) {
  values = CycleValues{};
  values.cycle = ReadProcessInt(ctx, processSection, jobkey::kGCode);
  if (values.cycle <= 0) return Fail(ctx, "エラー：Gコード取得失敗");
  values.feedMmPerMin = ReadProcessInt(ctx, processSection, jobkey::kFeedRate);
  if (values.feedMmPerMin <= 0) return Fail(ctx, "エラー：Fコード取得失敗");
  std::string r;
  if (!ReadJobFitting(ctx, processSection, jobkey::kRCode, r)) return -1;
  if (r.empty()) return Fail(ctx, "エラー：Rコード取得失敗");
  values.rMm = common::ParseLeadingDouble(r);
  if (!FitsNumberWord(values.rMm)) return FailTooLarge(ctx, jobkey::kRCode.name, r);
  std::string z;
  if (!ReadJobFitting(ctx, processSection, jobkey::kZCode, z)) return -1;
  if (z.empty()) return Fail(ctx, "エラー：Zコード取得失敗");
  values.zMm = common::ParseLeadingDouble(z);
  if (!FitsNumberWord(values.zMm)) return FailTooLarge(ctx, jobkey::kZCode.name, z);
  const gcode::CannedCycle* cycle = gcode::FindCannedCycle(values.cycle);
  if (cycle && cycle->peck) {
    std::string q;
    if (!ReadJobFitting(ctx, processSection, jobkey::kQCodeNumber, q)) return -1;
    if (q.empty()) return Fail(ctx, "エラー：Qコード取得失敗");
    values.qMm = common::ParseLeadingDouble(q);
    if (!FitsNumberWord(values.qMm)) return FailTooLarge(ctx, jobkey::kQCodeNumber.name, q);
  }
  return 0;
}

std::vector<HolePoint> ReadHoleGroup(Context& ctx, int group) {
  const std::string section = jobkey::HoleSection(group);
  std::vector<HolePoint> points;
  for (int k = 1; k <= kMaxHolePoints; ++k) {
    std::string x = ReadJobKey(ctx, section, jobkey::PositionKey('X', k), jobkey::kPositionX.room);
    if (x.empty()) break;
    std::string y = ReadJobKey(ctx, section, jobkey::PositionKey('Y', k), jobkey::kPositionY.room);
    if (y.empty()) break;
    points.push_back({common::ParseLeadingDouble(x), common::ParseLeadingDouble(y)});
  }
  return points;
}

int BuildNcPlan(Context& ctx, NcPlan& plan) {
  common::ProfileReadBatch batch;  // hundreds of reads: look at the job on disk once
  plan = NcPlan{};
  ProcessTools tools;
  if (ReadProcessTools(ctx, tools) < 0) return -1;
  // The errors found below belong to the processes; the buffer is the
  // caller's again afterwards.
  const std::string callersMessage = ctx.messageBuffer;
  for (int n = 1; n <= tools.count; ++n) {
    const std::string section = jobkey::ProcessSection(n);
    const auto index = static_cast<std::size_t>(n);
    PlanProcess p;
    p.number = n;
    p.toolName = ReadJobKey(ctx, jobkey::kToolName, n);
    p.toolDiameter = ReadJobKey(ctx, jobkey::kToolDiameterAsWord, n);
    p.t = tools.t[index];
    p.h = tools.h[index];
    p.spindleRpm = ReadProcessInt(ctx, section, jobkey::kSpindle);
    p.group = ReadProcessInt(ctx, section, jobkey::kGroup);
    if (ReadCycleValues(ctx, section, p.cycle) < 0) p.cycleError = ctx.messageBuffer;
    for (int g : p.Groups())
      if (plan.groups.find(g) == plan.groups.end()) plan.groups.emplace(g, ReadPlanGroup(ctx, g));
    plan.processes.push_back(std::move(p));
  }
  ctx.messageBuffer = callersMessage;
  return 0;
}

}  // namespace drilling
