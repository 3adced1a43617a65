#include "Drilling/ncout/nc_writer.h"

#include <system_error>

#include "Drilling/app/file_dialogs.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/nc_format.h"
#include "Drilling/job/job_file.h"
#include "Drilling/app/number_text.h"
#include "Drilling/app/startup.h"
#include "common/file_keys.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"
#include "gcode/canned_cycle.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace drilling {
namespace {

// The fixed texts of the writer (a format names what it takes).
constexpr const char* kPartialKeptFormat = "（書きかけのＮＣデータは %s に残しました）";
constexpr const char* kPartialLostText = "（書きかけのＮＣデータは保存できませんでした）";
constexpr const char* kOldNotRemovedFormat = "（前のＮＣファイル %s を削除できません）";
constexpr const char* kNoNcFileText = "エラー：ＮＣファイル定義がありません";
constexpr const char* kNcFileNameRefusedFormat =
    "エラー：ＮＣファイル名 %s は使えません（フォルダを含まない名前にして下さい）";
constexpr const char* kWriteDeclinedText = "ＮＣファイルの書き込みを中止します。";
constexpr const char* kNoCoordSystemText = "エラー：ワーク座標系の定義がありません";
constexpr const char* kCoordSystemRefusedFormat =
    "エラー：ワーク座標系 %s は使えません（英字・数字・ピリオドだけの 1 語にして下さい）";
constexpr const char* kFixedLinesTraceFormat = "%d個の命令追加\n";
constexpr const char* kToolUsedFormat = "使用工具 %s";
constexpr const char* kNoToolMatchText = "一致した工具情報がありません";
constexpr const char* kNoEnglishNameText = "一致した工具情報取出し失敗";
constexpr const char* kCycleNotSupportedFormat = "サイクルG%dコードはサポートしてません。";
constexpr const char* kNoHolesText = "エラー：穴定義がありません。";
constexpr const char* kSameToolFormat = "工程%dは前の工具と同じです。";
constexpr const char* kNoSpindleFormat = "エラー[%d]：回転数の取り出し失敗";
constexpr const char* kAllGroupsText = "... 全ての穴定義";
constexpr const char* kOneGroupFormat = "... 穴情報 [%d]";
constexpr const char* kHeadingFormat = ">>> %s仕様 ＮＣデータ作成";
constexpr const char* kCannotOpenFormat = "エラー：ＮＣファイル %s が開けません。";
constexpr const char* kWriteFailedFormat = "エラー：ＮＣファイル %s の書き込みに失敗しました。";
constexpr const char* kNoProcessesText = "エラー：工程がありません。";
constexpr const char* kPositionTooLargeFormat = "エラー：穴位置 [%d] の値が大きすぎます";

namespace config = filekeys::config;

// A configured code text with a default that also replaces an empty value.
std::string ReadConfigOrDefault(const Context& ctx, const filekeys::Key& key, std::string_view def) {
  std::string value = ReadConfigKey(ctx, key);
  return value.empty() ? std::string(def) : value;
}

// A configured number of the NC format (ReadNcFormatNumber); a failure
// leaves its text in the message buffer.
bool ReadConfigNumber(Context& ctx, const char* key, std::string_view def, double& value) {
  std::string error;
  if (ReadNcFormatNumber(ctx, key, def, value, error)) return true;
  SetError(ctx, error);
  return false;
}

std::string Num(double value) { return NcNumberText(value); }

// A run that fails after the file was opened: the text written so far goes
// to <name>.failed, nothing stays under the real name (the operator agreed
// to replace the earlier program, and a stale one must not be transferred),
// and the error line says where the partial program is.
int ReportErrorAfterOpen(Context& ctx, common::Form* owner, const NcOutput& out) {
  std::string text = ctx.messageBuffer;
  fs::path kept = out.Target();
  kept += kFailedNcSuffix;
  if (out.KeepAs(kept)) {
    text += common::FormatText(kPartialKeptFormat, kept.string().c_str());
  } else {
    text += kPartialLostText;
  }
  std::error_code ec;
  fs::remove(out.Target(), ec);
  if (fs::exists(fs::symlink_status(out.Target(), ec)))
    text += common::FormatText(kOldNotRemovedFormat, out.Target().string().c_str());
  SetMessage(ctx, text);
  ReportMessage(ctx, owner, kKindError);
  return kFailed;
}

}  // namespace

bool CanCreateOutputFile(const fs::path& path) {
  std::error_code ec;
  fs::path folder = path.parent_path();
  if (!fs::is_directory(folder, ec)) return false;
  if (fs::is_directory(path, ec)) return false;
#ifndef _WIN32
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return false;
#endif
  return true;
}

bool IsCoordinateSystemWord(std::string_view word) {
  if (word.empty()) return false;
  for (char c : word) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !digit && c != '.') return false;
  }
  return true;
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("/\\:") == std::string_view::npos;
}

int ReadNcHeaderSettings(Context& ctx, NcHeaderSettings& settings) {
  std::string ncFile = ReadJobKey(ctx, jobkey::kNcFileForWriter);
  if (ncFile.empty()) return SetError(ctx, kNoNcFileText);
  // A name with a folder part would put the program outside ncdata.
  if (!IsPlainFileName(ncFile)) return SetError(ctx, common::FormatText(kNcFileNameRefusedFormat, ncFile.c_str()));
  settings.ncPath = ctx.NcFolder() / ncFile;
  if (ConfirmOverwrite(ctx, settings.ncPath) < 0) return SetError(ctx, kWriteDeclinedText);
  return ReadNcFormatSettings(ctx, settings);
}

int ReadNcFormatSettings(Context& ctx, NcHeaderSettings& settings) {
  if (!ReadJobFitting(ctx, jobkey::kMainSection, jobkey::kCoordSystem, settings.coordSystem)) return kFailed;
  if (settings.coordSystem.empty()) return SetError(ctx, kNoCoordSystemText);
  // The value goes into the positioning line as one word: a blank, a comment
  // bracket or any other sign would add words of its own (a hand-edited
  // "G5 M30" ends the program there), and bytes the controller cannot read
  // would be written as "?".
  if (!IsCoordinateSystemWord(settings.coordSystem))
    return SetError(ctx, common::FormatText(kCoordSystemRefusedFormat, settings.coordSystem.c_str()));

  settings.toolChange = ReadConfigOrDefault(ctx, config::kToolChange, "M06");
  settings.mcReference = ReadConfigOrDefault(ctx, config::kMcReference, "G28");
  if (!ReadConfigNumber(ctx, config::kStartX.name, "0.", settings.startXMm) ||
      !ReadConfigNumber(ctx, config::kStartY.name, "0.", settings.startYMm) ||
      !ReadConfigNumber(ctx, config::kStartZ.name, "50.", settings.startZMm))
    return kFailed;
  for (const auto& [key, value] : {std::pair<const char*, double>{config::kStartX.name, settings.startXMm},
                                   {config::kStartY.name, settings.startYMm},
                                   {config::kStartZ.name, settings.startZMm}})
    if (!FitsNumberWord(value)) return SetTooLargeError(ctx, key, Num(value));
  return kDone;
}

void WriteControllerComment(Context& ctx, NcOutput& out, std::string_view controllerName) {
  if (ReadConfigInt(ctx, config::kControllerComment, 0) != 1) return;
  out.WriteLine("(" + std::string(controllerName) + ")");
}

int WriteFixedLines(Context& ctx, NcOutput& out, const filekeys::Key& lines) {
  int written = 0;
  for (int i = 0; i < config::kFixedLineCount; ++i) {
    std::string line = ReadConfigEntry(ctx, lines, i);
    if (line.empty()) break;
    out.WriteLine(line);
    ++written;
  }
  ctx.Trace(kFixedLinesTraceFormat, written);
  return written;
}

void WriteToolComment(Context& ctx, common::Form* owner, NcOutput& out, const PlanProcess& process,
                      NcRunCache* cache) {
  if (ReadConfigInt(ctx, config::kToolComments, 0) != 1) return;
  const std::string& toolName = process.toolName;
  if (toolName.empty()) return;
  ReportF(ctx, owner, kKindList, kToolUsedFormat, toolName.c_str());

  NcRunCache local;
  if (!cache) cache = &local;
  // The first TOOLJP<i> equal to the name, byte for byte; gaps in the list
  // are passed over. The names read by earlier searches of the run are kept.
  std::string englishName = "?";
  int found = -1;
  for (int i = 0; i <= config::kLastListEntry && found < 0; ++i) {
    if (static_cast<int>(cache->toolNames.size()) <= i)
      cache->toolNames.push_back(ReadConfigEntry(ctx, config::kToolNameList, i));
    const std::string& japanese = cache->toolNames[static_cast<std::size_t>(i)];
    if (!japanese.empty() && japanese == toolName) found = i;
  }
  if (found < 0) {
    Report(ctx, owner, kKindList, kNoToolMatchText);
  } else {
    std::string english = ReadConfigEntry(ctx, config::kToolEnglishList, found);
    if (english.empty()) {
      Report(ctx, owner, kKindList, kNoEnglishNameText);
    } else {
      englishName = english;
    }
  }

  const std::string& diameter = process.toolDiameter;
  if (!diameter.empty()) {
    out.WriteLine(common::FormatText("(%s D%s)", englishName.c_str(), diameter.c_str()));
  } else {
    out.WriteLine(common::FormatText("(%s)", englishName.c_str()));
  }
}

int WriteCycleLine(Context& ctx, NcOutput& out, const CycleValues& values, const HolePoint& firstPoint) {
  // One place formats every cycle: the common words, then what the cycle
  // adds before the feed.
  std::string line = common::FormatText("G%d X%s Y%s R%s Z%s", values.cycle, Num(firstPoint.xMm).c_str(),
                                        Num(firstPoint.yMm).c_str(), Num(values.rMm).c_str(), Num(values.zMm).c_str());
  const gcode::CannedCycle* cycle = gcode::FindCannedCycle(values.cycle);
  if (!cycle || !cycle->written) return SetError(ctx, common::FormatText(kCycleNotSupportedFormat, values.cycle));
  if (cycle->dwell == gcode::CycleDwell::kAlways) {
    // The dwell word as configured in the cycle's section ([G82] pcode); an
    // empty value leaves the blank.
    line += ' ';
    const filekeys::Key& dwell = config::kDwellWord;
    line += common::ReadProfileText(filekeys::Numbered(dwell.section, cycle->g), dwell.name, "P100", dwell.room,
                                    ctx.configPath);
  }
  if (cycle->peck) line += " Q" + Num(values.qMm);
  line += common::FormatText(" F%d", values.feedMmPerMin);
  out.WriteLine(line);
  return kDone;
}

int WriteHoleGroup(Context& ctx, NcOutput& out, const NcPlan& plan, const CycleValues& values, int group) {
  auto it = plan.groups.find(group);
  if (it == plan.groups.end()) return 0;
  const PlanHoleGroup& points = it->second;
  if (!points.error.empty()) return SetError(ctx, points.error);
  if (points.points.empty()) return 0;
  // The first point carries the cycle; every further one is a bare position.
  if (WriteCycleLine(ctx, out, values, points.points.front()) < 0) return kFailed;
  for (std::size_t k = 1; k < points.points.size(); ++k)
    out.WriteLine("X" + Num(points.points[k].xMm) + " Y" + Num(points.points[k].yMm));
  out.WriteLine("G80");
  return static_cast<int>(points.points.size());
}

int WriteAllHoleGroups(Context& ctx, NcOutput& out, const NcPlan& plan, const CycleValues& values) {
  int total = 0;
  for (int g = 1; g <= kHoleGroupCount; ++g) {
    int written = WriteHoleGroup(ctx, out, plan, values, g);
    if (written < 0) return kFailed;
    total += written;
  }
  if (total == 0) return SetError(ctx, kNoHolesText);
  return kDone;
}

void WriteProgramEnd(Context& ctx, NcOutput& out) {
  out.WriteLine(ReadConfigOrDefault(ctx, config::kProgramEnd, "M30"));
  out.WriteLine("%");
}

namespace {

// Header, one block per process of the plan and trailer into `out`. 0, or -1
// with the error text in the message buffer.
int WriteProgramText(Context& ctx, common::Form* owner, std::string_view controller, const NcHeaderSettings& settings,
                     const NcPlan& plan, NcOutput& out, NcRunCache& cache) {
  // Header.
  out.WriteLine("%");
  int programNumber =
      common::ReadProfileInt(jobkey::kProgramNumber.section, jobkey::kProgramNumber.name, 1, ctx.currentJobPath);
  out.WriteLine(common::FormatText("O%04d", programNumber));
  WriteControllerComment(ctx, out, controller);
  WriteFixedLines(ctx, out, config::kStartLines);

  const std::string startX = Num(settings.startXMm);
  const std::string startY = Num(settings.startYMm);
  const std::string startZ = Num(settings.startZMm);

  int previousTool = 0;  // a first process with tool 0 counts as "same tool"
  for (const PlanProcess& process : plan.processes) {
    const int n = process.number;
    out.WriteLine(common::FormatText("G91 %s Z0.", settings.mcReference.c_str()));
    out.WriteLine(common::FormatText("N%d", n));
    WriteToolComment(ctx, owner, out, process, &cache);
    out.WriteLine("M01");
    if (process.t == previousTool) {
      ReportF(ctx, owner, kKindList, kSameToolFormat, n);
    } else {
      out.WriteLine(common::FormatText("T%02d", process.t));
      out.WriteLine(settings.toolChange);
    }
    previousTool = process.t;
    out.WriteLine(common::FormatText("G90 G00 %s X%s Y%s", settings.coordSystem.c_str(), startX.c_str(),
                                     startY.c_str()));
    out.WriteLine(common::FormatText("G43 H%02d Z%s", process.h, startZ.c_str()));

    if (process.spindleRpm <= 0) return SetError(ctx, common::FormatText(kNoSpindleFormat, n));
    out.WriteLine(common::FormatText("S%d M03", process.spindleRpm));
    out.WriteLine("M08");

    ctx.Trace("[%d] %d\n", n, process.group);
    if (!process.cycleError.empty()) return SetError(ctx, process.cycleError);
    int holes = 0;
    if (process.group == 0) {
      Report(ctx, owner, kKindList, kAllGroupsText);
      holes = WriteAllHoleGroups(ctx, out, plan, process.cycle);
    } else {
      ReportF(ctx, owner, kKindList, kOneGroupFormat, process.group);
      holes = WriteHoleGroup(ctx, out, plan, process.cycle, process.group);
    }
    if (holes < 0) return kFailed;
    out.WriteLine("M09");
    out.WriteLine("M05");
  }

  // Trailer.
  out.WriteLine("X" + startX + " Y" + startY);
  WriteFixedLines(ctx, out, config::kEndLines);
  WriteProgramEnd(ctx, out);
  return kDone;
}

}  // namespace

int WriteNcProgram(Context& ctx, common::Form* owner, std::string_view controllerName, NcPlan* planOut) {
  common::ProfileReadBatch batch;  // hundreds of reads: look at each file on disk once
  std::string controller(controllerName);
  ReportF(ctx, owner, kKindList, kHeadingFormat, controller.c_str());

  NcHeaderSettings settings;
  NcPlan local;
  NcPlan& plan = planOut ? *planOut : local;
  if (ReadNcHeaderSettings(ctx, settings) < 0 || BuildNcPlan(ctx, plan) < 0) {
    ReportMessage(ctx, owner, kKindError);
    return kFailed;
  }
  if (plan.processes.empty()) {
    Report(ctx, owner, kKindError, "");  // nothing to write: an error box without text
    return kFailed;
  }

  if (!CanCreateOutputFile(settings.ncPath)) {
    ReportF(ctx, owner, kKindError, kCannotOpenFormat, settings.ncPath.string().c_str());
    return kFailed;
  }
  NcOutput out(settings.ncPath);
  NcRunCache cache;
  if (WriteProgramText(ctx, owner, controller, settings, plan, out, cache) < 0)
    return ReportErrorAfterOpen(ctx, owner, out);

  std::string why;
  if (!out.Commit(&why)) {
    ctx.Trace("%s\n", why.c_str());
    SetMessage(ctx, common::FormatText(kWriteFailedFormat, settings.ncPath.string().c_str()));
    return ReportErrorAfterOpen(ctx, owner, out);
  }
  // A partial program of an earlier failed run no longer belongs to this one.
  std::error_code ec;
  fs::path stale = settings.ncPath;
  stale += kFailedNcSuffix;
  fs::remove(stale, ec);
  return kDone;
}

int ComposeNcProgram(Context& ctx, const std::map<int, std::vector<HolePoint>>& positions, std::string& text) {
  text.clear();
  // A copy of the context whose lines go nowhere and which asks nothing: the
  // text is only looked at, never written or sent.
  common::CallbackTransport silent([](const std::string&) {});
  Context quiet = ctx;
  quiet.transport = &silent;
  quiet.ui = nullptr;
  quiet.launcher = nullptr;
  quiet.traceOut = nullptr;
  // The error goes to the caller's message buffer, for the caller to report.
  auto setError = [&](std::string_view why) {
    SetMessage(ctx, why.empty() ? std::string_view(quiet.messageBuffer) : why);
    return kFailed;
  };

  common::ProfileReadBatch batch;
  NcHeaderSettings settings;
  NcPlan plan;
  if (ReadNcFormatSettings(quiet, settings) < 0 || BuildNcPlan(quiet, plan) < 0) return setError("");
  if (plan.processes.empty()) return setError(kNoProcessesText);
  // The plan with the given positions in place of the stored ones.
  for (const auto& [group, points] : positions) {
    for (const HolePoint& p : points)
      if (!FitsNumberWord(p.xMm) || !FitsNumberWord(p.yMm))
        return setError(common::FormatText(kPositionTooLargeFormat, group));
    plan.groups[group] = PlanHoleGroup{points, ""};
  }
  NcRunCache cache;
  NcOutput out{fs::path()};
  const std::string controller = ReadJobKey(quiet, jobkey::kController);
  if (WriteProgramText(quiet, nullptr, controller, settings, plan, out, cache) < 0) return setError("");
  text = out.Text();
  return kDone;
}

}  // namespace drilling
