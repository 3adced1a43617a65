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

// The fixed texts of the plan (a format names what it takes).
constexpr const char* kTooLargeFormat = "エラー：%s の値 %s が大きすぎます";
constexpr const char* kPointTooLargeFormat = "エラー：穴位置 [%d] の %zu 番目の値が大きすぎます";
constexpr const char* kTooLongFormat = "エラー：定義ファイルの [%s] %s の値 %s が長すぎます（%zu バイトまで）。";
constexpr const char* kNoToolNumberText = "エラー：工具番号の定義がありません";
constexpr const char* kNoLengthOffsetText = "エラー：工具長補正番号の定義がありません";
constexpr const char* kNoGCodeText = "エラー：Gコード取得失敗";
constexpr const char* kNoFeedText = "エラー：Fコード取得失敗";
constexpr const char* kNoRText = "エラー：Rコード取得失敗";
constexpr const char* kNoZText = "エラー：Zコード取得失敗";
constexpr const char* kNoQText = "エラー：Qコード取得失敗";

// A number word the writer forms has the room of a stored number (the
// positions, RCODE, ZCODE, QCODE: 15 bytes).
constexpr std::size_t kNumberWordRoom = jobkey::kPositionX.room;

// An integer of a process section (GCODE, FEEDRATE, SPINDL, GROUP); 0 when
// absent.
int ReadProcessInt(const Context& ctx, std::string_view section, const filekeys::Key& key) {
  return common::ReadProfileInt(section, key.name, 0, ctx.currentJobPath);
}

// The points of a group with the checks the writer needs: X<k>, Y<k> for
// k = 1 .. 98 up to the first absent or empty one. A stored position wider
// than its room would be read cut (1e14 for a value of 309 digits), and one
// whose number text is too long would make a word no control reads; the
// widths of all are checked before the values.
PlanHoleGroup ReadPlanGroup(Context& ctx, int group) {
  PlanHoleGroup read;
  const std::string section = jobkey::HoleSection(group);
  std::string x, y;
  for (int k = 1; k <= kMaxHolePoints; ++k) {
    if (!ReadJobFitting(ctx, section, jobkey::PositionKey('X', k), jobkey::kPositionX.room, x)) {
      read.error = ctx.messageBuffer;
      read.points.clear();
      return read;
    }
    if (x.empty()) break;
    if (!ReadJobFitting(ctx, section, jobkey::PositionKey('Y', k), jobkey::kPositionY.room, y)) {
      read.error = ctx.messageBuffer;
      read.points.clear();
      return read;
    }
    if (y.empty()) break;
    read.points.push_back({common::ParseLeadingDouble(x), common::ParseLeadingDouble(y)});
  }
  for (std::size_t k = 0; k < read.points.size(); ++k) {
    const HolePoint& p = read.points[k];
    if (!FitsNumberWord(p.xMm) || !FitsNumberWord(p.yMm)) {
      read.error = common::FormatText(kPointTooLargeFormat, group, k + 1);
      read.points.clear();
      return read;
    }
  }
  return read;
}

}  // namespace

std::string NcNumberText(double value) { return FormatNumber(value, 1); }

int SetTooLargeError(Context& ctx, std::string_view what, std::string_view text) {
  return SetError(ctx, common::FormatText(kTooLargeFormat, std::string(what).c_str(), std::string(text).c_str()));
}

bool FitsNumberWord(double value) { return NcNumberText(value).size() < kNumberWordRoom; }

bool ReadJobFitting(Context& ctx, std::string_view section, std::string_view key, std::size_t room,
                    std::string& value) {
  value = ReadJobKey(ctx, section, key, filekeys::kWholeValueRoom);
  if (common::Cp932Width(value) <= room - 1) return true;
  SetError(ctx, common::FormatText(kTooLongFormat, std::string(section).c_str(), std::string(key).c_str(),
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
      return kDone;
    }
    std::string t = ReadJobKey(ctx, jobkey::kToolTNumber, n);
    if (t.empty()) return SetError(ctx, kNoToolNumberText);
    std::string h = ReadJobKey(ctx, jobkey::kToolHNumber, n);
    if (h.empty()) return SetError(ctx, kNoLengthOffsetText);
    tools.t[static_cast<std::size_t>(n)] = common::ParseLeadingInt(t);
    tools.h[static_cast<std::size_t>(n)] = common::ParseLeadingInt(h);
  }
  tools.count = kMaxProcesses;
  return kDone;
}

int ReadCycleValues(Context& ctx, std::string_view processSection, CycleValues& values) {
  values = CycleValues{};
  values.cycle = ReadProcessInt(ctx, processSection, jobkey::kGCode);
  if (values.cycle <= 0) return SetError(ctx, kNoGCodeText);
  values.feedMmPerMin = ReadProcessInt(ctx, processSection, jobkey::kFeedRate);
  if (values.feedMmPerMin <= 0) return SetError(ctx, kNoFeedText);
  std::string r;
  if (!ReadJobFitting(ctx, processSection, jobkey::kRCode, r)) return kFailed;
  if (r.empty()) return SetError(ctx, kNoRText);
  values.rMm = common::ParseLeadingDouble(r);
  if (!FitsNumberWord(values.rMm)) return SetTooLargeError(ctx, jobkey::kRCode.name, r);
  std::string z;
  if (!ReadJobFitting(ctx, processSection, jobkey::kZCode, z)) return kFailed;
  if (z.empty()) return SetError(ctx, kNoZText);
  values.zMm = common::ParseLeadingDouble(z);
  if (!FitsNumberWord(values.zMm)) return SetTooLargeError(ctx, jobkey::kZCode.name, z);
  const gcode::CannedCycle* cycle = gcode::FindCannedCycle(values.cycle);
  if (cycle && cycle->peck) {
    std::string q;
    if (!ReadJobFitting(ctx, processSection, jobkey::kQCodeNumber, q)) return kFailed;
    if (q.empty()) return SetError(ctx, kNoQText);
    values.qMm = common::ParseLeadingDouble(q);
    if (!FitsNumberWord(values.qMm)) return SetTooLargeError(ctx, jobkey::kQCodeNumber.name, q);
  }
  return kDone;
}

int BuildNcPlan(Context& ctx, NcPlan& plan) {
  common::ProfileReadBatch batch;  // hundreds of reads: look at the job on disk once
  plan = NcPlan{};
  ProcessTools tools;
  if (ReadProcessTools(ctx, tools) < 0) return kFailed;
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
  return kDone;
}

}  // namespace drilling
