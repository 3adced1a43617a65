#include "Drilling/ncout/nc_writer.h"

#include <system_error>

#include "Drilling/app/file_dialogs.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/nc_format.h"
#include "Drilling/job/job_file.h"
#include "Drilling/app/number_text.h"
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

// Buffer rooms (bytes of code page 932 plus the terminating NUL) of the
// values the writer reads.
constexpr std::size_t kRoomCode = 8;        // ToolChange, McReference, pcode, TOOLDIAM, 座標系
constexpr std::size_t kRoomNumber = 16;     // StartX.., ProgramEnd, RCODE.., X<k>, Y<k>, TOOLT, TOOLH
constexpr std::size_t kRoomName = 32;       // TOOLNAME, TOOLJP<i>, TOOLEN<i>
constexpr std::size_t kRoomNcFile = 64;
constexpr std::size_t kRoomFixedLine = 80;
constexpr int kFixedLineCount = 100;
constexpr int kToolListCount = 99;          // TOOLJP0 .. TOOLJP98

std::string Key(const char* name, int number) { return common::FormatText("%s%d", name, number); }

std::string ReadConfig(const Context& ctx, std::string_view section, std::string_view key, std::string_view def,
                       std::size_t room) {
  return common::ReadProfileText(section, key, def, room, ctx.configPath);
}

// A configured code text with a default that also replaces an empty value.
std::string ReadConfigOrDefault(const Context& ctx, std::string_view section, std::string_view key,
                                std::string_view def, std::size_t room) {
  std::string value = ReadConfig(ctx, section, key, "", room);
  return value.empty() ? std::string(def) : value;
}

int Fail(Context& ctx, std::string_view text) {
  SetMessage(ctx, text);
  return -1;
}

// Room that takes a stored value whole.
constexpr std::size_t kRoomWhole = 1u << 16;

// A job value read with its room: a stored text wider than the room would
// be read cut (G54.1P12 as G54.1P1, another work offset; a number losing its
// last digits), so it fails instead (message set, false).
bool ReadJobFitting(Context& ctx, std::string_view section, std::string_view key, std::size_t room,
                    std::string& value) {
  value = ReadJobKey(ctx, section, key, kRoomWhole);
  if (common::Cp932Width(value) <= room - 1) return true;
  Fail(ctx, common::FormatText("エラー：定義ファイルの [%s] %s の値 %s が長すぎます（%zu バイトまで）。",
                               std::string(section).c_str(), std::string(key).c_str(),
                               common::CutToBytes(value, 40).c_str(), room - 1));
  return false;
}

// A configured number of the NC format (ReadNcFormatNumber); a failure
// leaves its text in the message buffer.
bool ReadConfigNumber(Context& ctx, const char* key, std::string_view def, double& value) {
  std::string error;
  if (ReadNcFormatNumber(ctx, key, def, value, error)) return true;
  Fail(ctx, error);
  return false;
}

std::string Num(double value) { return FormatNumber(value, 1); }

// A value of the job or the configuration goes into the program only when
// its number text fits the width such a value is stored with: "1e300" reads
// as a number but would put a 301-digit word into the program.
bool FitsNumberWord(double value) { return Num(value).size() < kRoomNumber; }

int FailTooLarge(Context& ctx, std::string_view what, std::string_view text) {
  return Fail(ctx, common::FormatText("エラー：%s の値 %s が大きすぎます",
                                      std::string(what).c_str(), std::string(text).c_str()));
}

// A run that fails after the file was opened: the text written so far goes
// to <name>.failed, nothing stays under the real name (the operator agreed
// to replace the earlier program, and a stale one must not be transferred),
// and the error line says where the partial program is.
int FailAfterOpen(Context& ctx, common::Form* owner, const NcOutput& out) {
  std::string text = ctx.messageBuffer;
  fs::path kept = out.Target();
  kept += kFailedNcSuffix;
  if (out.KeepAs(kept)) {
    text += common::FormatText("（書きかけのＮＣデータは %s に残しました）", kept.string().c_str());
  } else {
    text += "（書きかけのＮＣデータは保存できませんでした）";
  }
  std::error_code ec;
  fs::remove(out.Target(), ec);
  if (fs::exists(fs::symlink_status(out.Target(), ec)))
    text += common::FormatText("（前のＮＣファイル %s を削除できません）", out.Target().string().c_str());
  SetMessage(ctx, text);
  ReportMessage(ctx, owner, kKindError);
  return -1;
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
  std::string ncFile = ReadJobKey(ctx, "Drilling", "NcFile", kRoomNcFile);
  if (ncFile.empty()) return Fail(ctx, "エラー：ＮＣファイル定義がありません");
  // A name with a folder part would put the program outside ncdata.
  if (!IsPlainFileName(ncFile))
    return Fail(ctx, common::FormatText("エラー：ＮＣファイル名 %s は使えません（フォルダを含まない名前にして下さい）",
                                        ncFile.c_str()));
  settings.ncPath = ctx.NcFolder() / ncFile;
  if (ConfirmOverwrite(ctx, settings.ncPath) < 0) return Fail(ctx, "ＮＣファイルの書き込みを中止します。");
  return ReadNcFormatSettings(ctx, settings);
}

int ReadNcFormatSettings(Context& ctx, NcHeaderSettings& settings) {
  if (!ReadJobFitting(ctx, "Drilling", "座標系", kRoomCode, settings.coordSystem)) return -1;
  if (settings.coordSystem.empty()) return Fail(ctx, "エラー：ワーク座標系の定義がありません");
  // The value goes into the positioning line as one word: a blank, a comment
  // bracket or any other sign would add words of its own (a hand-edited
  // "G5 M30" ends the program there), and bytes the controller cannot read
  // would be written as "?".
  if (!IsCoordinateSystemWord(settings.coordSystem))
    return Fail(ctx, common::FormatText("エラー：ワーク座標系 %s は使えません（英字・数字・ピリオドだけの 1 語にして下さい）",
                                        settings.coordSystem.c_str()));

  settings.toolChange = ReadConfigOrDefault(ctx, "NCFORMAT", "ToolChange", "M06", kRoomCode);
  settings.mcReference = ReadConfigOrDefault(ctx, "NCFORMAT", "McReference", "G28", kRoomCode);
  if (!ReadConfigNumber(ctx, "StartX", "0.", settings.startXMm) ||
      !ReadConfigNumber(ctx, "StartY", "0.", settings.startYMm) ||
      !ReadConfigNumber(ctx, "StartZ", "50.", settings.startZMm))
    return -1;
  for (const auto& [key, value] : {std::pair<const char*, double>{"StartX", settings.startXMm},
                                   {"StartY", settings.startYMm}, {"StartZ", settings.startZMm}})
    if (!FitsNumberWord(value)) return FailTooLarge(ctx, key, Num(value));
  return 0;
}

int ReadProcessTools(Context& ctx, ProcessTools& tools) {
  tools = ProcessTools{};
  for (int n = 1; n <= kMaxProcesses; ++n) {
    std::string section = Key("PROCESS", n);
    if (ReadJobKey(ctx, section, "TOOLNAME", kRoomName).empty()) {
      tools.count = n - 1;
      return 0;
    }
    std::string t = ReadJobKey(ctx, section, "TOOLT", kRoomNumber);
    if (t.empty()) return Fail(ctx, "エラー：工具番号の定義がありません");
    std::string h = ReadJobKey(ctx, section, "TOOLH", kRoomNumber);
    if (h.empty()) return Fail(ctx, "エラー：工具長補正番号の定義がありません");
    tools.t[static_cast<std::size_t>(n)] = common::ParseLeadingInt(t);
    tools.h[static_cast<std::size_t>(n)] = common::ParseLeadingInt(h);
  }
  tools.count = kMaxProcesses;
  return 0;
}

void WriteControllerComment(Context& ctx, NcOutput& out, std::string_view controllerName) {
  if (common::ReadProfileInt("NCFORMAT", "ControlDevice", 0, ctx.configPath) != 1) return;
  out.WriteLine("(" + std::string(controllerName) + ")");
}

int WriteFixedLines(Context& ctx, NcOutput& out, std::string_view section) {
  int written = 0;
  for (int i = 0; i < kFixedLineCount; ++i) {
    std::string line = ReadConfig(ctx, section, Key("LINE", i), "", kRoomFixedLine);
    if (line.empty()) break;
    out.WriteLine(line);
    ++written;
  }
  ctx.Trace("%d個の命令追加\n", written);
  return written;
}

void WriteToolComment(Context& ctx, common::Form* owner, NcOutput& out, std::string_view processSection,
                      NcRunCache* cache) {
  if (common::ReadProfileInt("NCFORMAT", "ToolInfomation", 0, ctx.configPath) != 1) return;
  std::string toolName = ReadJobKey(ctx, processSection, "TOOLNAME", kRoomName);
  if (toolName.empty()) return;
  ReportF(ctx, owner, kKindList, "使用工具 %s", toolName.c_str());

  NcRunCache local;
  if (!cache) cache = &local;
  // The first TOOLJP<i> equal to the name, byte for byte; gaps in the list
  // are passed over. The names read by earlier searches of the run are kept.
  std::string englishName = "?";
  int found = -1;
  for (int i = 0; i < kToolListCount && found < 0; ++i) {
    if (static_cast<int>(cache->toolNames.size()) <= i)
      cache->toolNames.push_back(ReadConfig(ctx, "TOOLLIST", Key("TOOLJP", i), "", kRoomName));
    const std::string& japanese = cache->toolNames[static_cast<std::size_t>(i)];
    if (!japanese.empty() && japanese == toolName) found = i;
  }
  if (found < 0) {
    Report(ctx, owner, kKindList, "一致した工具情報がありません");
  } else {
    std::string english = ReadConfig(ctx, "TOOLLIST", Key("TOOLEN", found), "", kRoomName);
    if (english.empty()) {
      Report(ctx, owner, kKindList, "一致した工具情報取出し失敗");
    } else {
      englishName = english;
    }
  }

  std::string diameter = ReadJobKey(ctx, processSection, "TOOLDIAM", kRoomCode);
  if (!diameter.empty()) {
    out.WriteLine(common::FormatText("(%s D%s)", englishName.c_str(), diameter.c_str()));
  } else {
    out.WriteLine(common::FormatText("(%s)", englishName.c_str()));
  }
}

int ReadCycleValues(Context& ctx, std::string_view processSection, CycleValues& values) {
  values = CycleValues{};
  values.cycle = common::ReadProfileInt(processSection, "GCODE", 0, ctx.currentJobPath);
  if (values.cycle <= 0) return Fail(ctx, "エラー：Gコード取得失敗");
  values.feedMmPerMin = common::ReadProfileInt(processSection, "FEEDRATE", 0, ctx.currentJobPath);
  if (values.feedMmPerMin <= 0) return Fail(ctx, "エラー：Fコード取得失敗");
  std::string r;
  if (!ReadJobFitting(ctx, processSection, "RCODE", kRoomNumber, r)) return -1;
  if (r.empty()) return Fail(ctx, "エラー：Rコード取得失敗");
  values.rMm = common::ParseLeadingDouble(r);
  if (!FitsNumberWord(values.rMm)) return FailTooLarge(ctx, "RCODE", r);
  std::string z;
  if (!ReadJobFitting(ctx, processSection, "ZCODE", kRoomNumber, z)) return -1;
  if (z.empty()) return Fail(ctx, "エラー：Zコード取得失敗");
  values.zMm = common::ParseLeadingDouble(z);
  if (!FitsNumberWord(values.zMm)) return FailTooLarge(ctx, "ZCODE", z);
  const gcode::CannedCycle* cycle = gcode::FindCannedCycle(values.cycle);
  if (cycle && cycle->peck) {
    std::string q;
    if (!ReadJobFitting(ctx, processSection, "QCODE", kRoomNumber, q)) return -1;
    if (q.empty()) return Fail(ctx, "エラー：Qコード取得失敗");
    values.qMm = common::ParseLeadingDouble(q);
    if (!FitsNumberWord(values.qMm)) return FailTooLarge(ctx, "QCODE", q);
  }
  return 0;
}

int WriteCycleLine(Context& ctx, NcOutput& out, const CycleValues& values, const HolePoint& firstPoint) {
  // One place formats every cycle: the common words, then what the cycle
  // adds before the feed.
  std::string line = common::FormatText("G%d X%s Y%s R%s Z%s", values.cycle, Num(firstPoint.xMm).c_str(),
                                        Num(firstPoint.yMm).c_str(), Num(values.rMm).c_str(), Num(values.zMm).c_str());
  const gcode::CannedCycle* cycle = gcode::FindCannedCycle(values.cycle);
  if (!cycle || !cycle->written)
    return Fail(ctx, common::FormatText("サイクルG%dコードはサポートしてません。", values.cycle));
  if (cycle->dwell == gcode::CycleDwell::kAlways) {
    // The dwell word as configured in the cycle's section ([G82] pcode); an
    // empty value leaves the blank.
    line += ' ';
    line += ReadConfig(ctx, common::FormatText("G%d", cycle->g), "pcode", "P100", kRoomCode);
  }
  if (cycle->peck) line += " Q" + Num(values.qMm);
  line += common::FormatText(" F%d", values.feedMmPerMin);
  out.WriteLine(line);
  return 0;
}

std::vector<HolePoint> ReadHoleGroup(Context& ctx, int group) {
  std::string section = Key("Hole", group);
  std::vector<HolePoint> points;
  for (int k = 1; k <= kMaxHolePoints; ++k) {
    std::string x = ReadJobKey(ctx, section, Key("X", k), kRoomNumber);
    if (x.empty()) break;
    std::string y = ReadJobKey(ctx, section, Key("Y", k), kRoomNumber);
    if (y.empty()) break;
    points.push_back({common::ParseLeadingDouble(x), common::ParseLeadingDouble(y)});
  }
  return points;
}

int WriteHoleGroup(Context& ctx, NcOutput& out, const CycleValues& values, int group, NcRunCache* cache) {
  NcRunCache local;
  if (!cache) cache = &local;
  auto it = cache->holeGroups.find(group);
  if (it == cache->holeGroups.end()) {
    // A stored position wider than its room would be read cut (1e14 for a
    // value of 309 digits): the program is not written with it.
    const std::string section = Key("Hole", group);
    std::string text;
    for (int k = 1; k <= kMaxHolePoints; ++k) {
      if (!ReadJobFitting(ctx, section, Key("X", k), kRoomNumber, text)) return -1;
      if (text.empty()) break;
      if (!ReadJobFitting(ctx, section, Key("Y", k), kRoomNumber, text)) return -1;
      if (text.empty()) break;
    }
    NcRunCache::HoleGroup read;
    read.points = ReadHoleGroup(ctx, group);
    for (std::size_t k = 0; k < read.points.size(); ++k) {
      const HolePoint& p = read.points[k];
      if (!FitsNumberWord(p.xMm) || !FitsNumberWord(p.yMm)) {
        SetMessage(ctx, common::FormatText("エラー：穴位置 [%d] の %zu 番目の値が大きすぎます", group, k + 1));
        return -1;
      }
      read.pointLines.push_back("X" + Num(p.xMm) + " Y" + Num(p.yMm));
    }
    it = cache->holeGroups.emplace(group, std::move(read)).first;
  }
  const NcRunCache::HoleGroup& points = it->second;
  if (points.points.empty()) return 0;
  // The first point carries the cycle; every further one is a bare position.
  if (WriteCycleLine(ctx, out, values, points.points.front()) < 0) return -1;
  for (std::size_t k = 1; k < points.pointLines.size(); ++k) out.WriteLine(points.pointLines[k]);
  out.WriteLine("G80");
  return static_cast<int>(points.points.size());
}

int WriteAllHoleGroups(Context& ctx, NcOutput& out, const CycleValues& values, NcRunCache* cache) {
  int total = 0;
  for (int g = 1; g <= kHoleGroupCount; ++g) {
    int written = WriteHoleGroup(ctx, out, values, g, cache);
    if (written < 0) return -1;
    total += written;
  }
  if (total == 0) return Fail(ctx, "エラー：穴定義がありません。");
  return 0;
}

void WriteProgramEnd(Context& ctx, NcOutput& out) {
  out.WriteLine(ReadConfigOrDefault(ctx, "NCFORMAT", "ProgramEnd", "M30", kRoomNumber));
  out.WriteLine("%");
}

namespace {

// Header, one block per process and trailer into `out`. 0, or -1 with the
// error text in the message buffer.
int WriteProgramText(Context& ctx, common::Form* owner, std::string_view controller, const NcHeaderSettings& settings,
                     const ProcessTools& tools, NcOutput& out, NcRunCache& cache) {
  // Header.
  out.WriteLine("%");
  int programNumber = common::ReadProfileInt("Drilling", "Ｏ番号", 1, ctx.currentJobPath);
  out.WriteLine(common::FormatText("O%04d", programNumber));
  WriteControllerComment(ctx, out, controller);
  WriteFixedLines(ctx, out, "StartLine");

  const std::string startX = Num(settings.startXMm);
  const std::string startY = Num(settings.startYMm);
  const std::string startZ = Num(settings.startZMm);

  for (int n = 1; n <= tools.count; ++n) {
    const std::string section = Key("PROCESS", n);
    const auto index = static_cast<std::size_t>(n);
    out.WriteLine(common::FormatText("G91 %s Z0.", settings.mcReference.c_str()));
    out.WriteLine(common::FormatText("N%d", n));
    WriteToolComment(ctx, owner, out, section, &cache);
    out.WriteLine("M01");
    if (tools.t[index] == tools.t[index - 1]) {
      ReportF(ctx, owner, kKindList, "工程%dは前の工具と同じです。", n);
    } else {
      out.WriteLine(common::FormatText("T%02d", tools.t[index]));
      out.WriteLine(settings.toolChange);
    }
    out.WriteLine(common::FormatText("G90 G00 %s X%s Y%s", settings.coordSystem.c_str(), startX.c_str(),
                                     startY.c_str()));
    out.WriteLine(common::FormatText("G43 H%02d Z%s", tools.h[index], startZ.c_str()));

    int spindleRpm = common::ReadProfileInt(section, "SPINDL", 0, ctx.currentJobPath);
    if (spindleRpm <= 0) return Fail(ctx, common::FormatText("エラー[%d]：回転数の取り出し失敗", n));
    out.WriteLine(common::FormatText("S%d M03", spindleRpm));
    out.WriteLine("M08");

    int group = common::ReadProfileInt(section, "GROUP", 0, ctx.currentJobPath);
    ctx.Trace("[%d] %d\n", n, group);
    CycleValues values;
    if (ReadCycleValues(ctx, section, values) < 0) return -1;
    int holes = 0;
    if (group == 0) {
      Report(ctx, owner, kKindList, "... 全ての穴定義");
      holes = WriteAllHoleGroups(ctx, out, values, &cache);
    } else {
      ReportF(ctx, owner, kKindList, "... 穴情報 [%d]", group);
      holes = WriteHoleGroup(ctx, out, values, group, &cache);
    }
    if (holes < 0) return -1;
    out.WriteLine("M09");
    out.WriteLine("M05");
  }

  // Trailer.
  out.WriteLine("X" + startX + " Y" + startY);
  WriteFixedLines(ctx, out, "EndLine");
  WriteProgramEnd(ctx, out);
  return 0;
}

}  // namespace

int WriteNcProgram(Context& ctx, common::Form* owner, std::string_view controllerName) {
  common::ProfileReadBatch batch;  // hundreds of reads: look at each file on disk once
  std::string controller(controllerName);
  ReportF(ctx, owner, kKindList, ">>> %s仕様 ＮＣデータ作成", controller.c_str());

  NcHeaderSettings settings;
  ProcessTools tools;
  if (ReadNcHeaderSettings(ctx, settings) < 0 || ReadProcessTools(ctx, tools) < 0) {
    ReportMessage(ctx, owner, kKindError);
    return -1;
  }
  if (tools.count == 0) {
    Report(ctx, owner, kKindError, "");  // nothing to write: an error box without text
    return -1;
  }

  if (!CanCreateOutputFile(settings.ncPath)) {
    ReportF(ctx, owner, kKindError, "エラー：ＮＣファイル %s が開けません。", settings.ncPath.string().c_str());
    return -1;
  }
  NcOutput out(settings.ncPath);
  NcRunCache cache;
  if (WriteProgramText(ctx, owner, controller, settings, tools, out, cache) < 0)
    return FailAfterOpen(ctx, owner, out);

  std::string why;
  if (!out.Commit(&why)) {
    ctx.Trace("%s\n", why.c_str());
    SetMessage(ctx, common::FormatText("エラー：ＮＣファイル %s の書き込みに失敗しました。",
                                       settings.ncPath.string().c_str()));
    return FailAfterOpen(ctx, owner, out);
  }
  // A partial program of an earlier failed run no longer belongs to this one.
  std::error_code ec;
  fs::path stale = settings.ncPath;
  stale += kFailedNcSuffix;
  fs::remove(stale, ec);
  return 0;
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
  auto fail = [&](std::string_view why) {
    SetMessage(ctx, why.empty() ? std::string_view(quiet.messageBuffer) : why);
    return -1;
  };

  common::ProfileReadBatch batch;
  NcHeaderSettings settings;
  ProcessTools tools;
  if (ReadNcFormatSettings(quiet, settings) < 0 || ReadProcessTools(quiet, tools) < 0) return fail("");
  if (tools.count == 0) return fail("エラー：工程がありません。");
  NcRunCache cache;
  for (const auto& [group, points] : positions) {
    NcRunCache::HoleGroup given;
    given.points = points;
    for (const HolePoint& p : points) {
      if (!FitsNumberWord(p.xMm) || !FitsNumberWord(p.yMm))
        return fail(common::FormatText("エラー：穴位置 [%d] の値が大きすぎます", group));
      given.pointLines.push_back("X" + Num(p.xMm) + " Y" + Num(p.yMm));
    }
    cache.holeGroups[group] = std::move(given);
  }
  NcOutput out{fs::path()};
  const std::string controller = ReadJobKey(quiet, "Drilling", "制御装置", kRoomName);
  if (WriteProgramText(quiet, nullptr, controller, settings, tools, out, cache) < 0) return fail("");
  text = out.Text();
  return 0;
}

}  // namespace drilling
