#include "Drilling/companions/trycut_package.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>
#include <system_error>

#include "Drilling/app/file_dialogs.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/nc_format.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/job_file.h"
#include "Drilling/app/number_text.h"
#include "Drilling/ncout/nc_writer.h"
#include "common/platform.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"
#include "common/textfile.h"

namespace fs = std::filesystem;

namespace drilling {
namespace {

// The fixed texts of the package (a format names what it takes).
constexpr const char* kNoControllerText = "エラー：制御装置取り出し失敗";
constexpr const char* kNoControllerFamilyText = "エラー：TRYCUTコントローラー取り出し失敗";
constexpr const char* kControlFileFailedText = "エラー：TRYCUTコントロールファイルの作成に失敗";
constexpr const char* kStockValueMissingFormat = "エラー：%s データがあいません。";
constexpr const char* kStockValueTooLongFormat = "エラー：%s [%s] が長すぎます（%zu バイトまで）。";
constexpr const char* kBoxCannotOpenFormat = "エラー：TRYCUTファイル %s が開けません。";
constexpr const char* kToolFileDeclinedText = "TRYCUT 工具ファイルの書き込みを中止します。";
constexpr const char* kToolFileCannotOpenFormat = "エラー：TRYCUT 工具ファイル %s が開けません";
constexpr const char* kToolFileKeptFormat = "（書きかけの工具ファイルは %s に残しました）";
constexpr const char* kToolFileNotRemovedFormat = "（前の工具ファイル %s を削除できません）";
constexpr const char* kNoToolNumberFormat = "エラー：[%d] 工具番号の定義がありません";
constexpr const char* kToolWrittenFormat = "T%02d → 作成済";
constexpr const char* kNoToolNameFormat = "エラー：[%d] 工具名の定義がありません";
constexpr const char* kNoCutDepthFormat = "エラー：[%d] 切込みＺ値がありません";
constexpr const char* kToolLineFormat = "T%02d → %s D%s";
constexpr const char* kBatchDeclinedText = "TRYCUT バッチファイルの書き込みを中止します。";
constexpr const char* kBatchCannotOpenText = "エラー：TRYCUT バッチファイルが開けません";
constexpr const char* kTrycutModeFormat = "TRYCUT2000 実行モード %s";
constexpr const char* kNoWineFormat = "%s はWindowsのプログラムですが、wine がインストールされていません";
constexpr const char* kNoStartLineFormat = "%s に起動行がありません";
constexpr const char* kCannotStartFormat = "%s を起動できません";
constexpr const char* kCannotRunText = "エラー：シミュレーション実行できません";
constexpr const char* kPackageHeadingText = "=== TRYCUT2000用シミュレーションファイル作成 ===";
constexpr const char* kNotStartedFormat = "シミュレーションは起動しません：%s";
constexpr const char* kStartingFormat = "実行 %s";
constexpr const char* kNoNcFileNameText = "エラー：ＮＣファイル名が未定義です。";
constexpr const char* kNoPackageText = "シミュレーションファイルがありません。";
// The words of a tool name that give the tool's shape in the tool file, in
// the order they are tested.
constexpr const char* kCentreDrillWord = "センタードリル";
constexpr const char* kDrillWord = "ドリル";
constexpr const char* kChamferWord = "面取り";

constexpr const char* kMagazine = "MAGAZINE";
namespace config = filekeys::config;

// An integer of process `n`.
int ReadProcessInt(const Context& ctx, const filekeys::Key& key, int n) {
  return common::ReadProfileInt(jobkey::ProcessSection(n), key.name, 0, ctx.currentJobPath);
}

std::string Num(double value) { return FormatNumber(value, 1); }

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Cmd's variable names compare without regard to case.
struct Variable {
  std::string name;
  std::string value;
};

const Variable* FindVariable(const std::vector<Variable>& variables, std::string_view name) {
  for (const Variable& v : variables)
    if (common::EqualsNoCase(v.name, name)) return &v;
  return nullptr;
}

bool IsAbsolutePathText(std::string_view text) {
  if (!text.empty() && (text[0] == '/' || text[0] == '\\')) return true;
  return text.size() >= 3 && text[1] == ':' && (text[2] == '\\' || text[2] == '/');
}

// An absolute Linux path as a Windows program under wine sees it (drive Z:
// is the root of the file system).
std::string WinePathText(std::string_view path) {
  if (path.empty() || path[0] != '/') return std::string(path);
  std::string out = "Z:";
  for (char c : path) out += c == '/' ? '\\' : c;
  return out;
}

}  // namespace

TrycutPackageNames PackageFileNames(const Context& ctx, std::string_view ncPath) {
  std::size_t slash = ncPath.find_last_of("/\\");
  std::string_view fileName = slash == std::string_view::npos ? ncPath : ncPath.substr(slash + 1);
  std::size_t dot = fileName.rfind('.');
  TrycutPackageNames names;
  names.base = std::string(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
  names.controlName = names.base + ".CTL";
  names.boxName = names.base + ".box";
  names.toolName = names.base + ".ttl";
  const fs::path folder = ctx.TrycutFolder();
  names.controlPath = folder / names.controlName;
  names.boxPath = folder / names.boxName;
  names.toolPath = folder / names.toolName;
  names.batchPath = folder / (names.base + ".bat");
  return names;
}

int WriteTrycutControlFile(Context& ctx, const fs::path& controlPath) {
  std::string controller = ReadJobKey(ctx, jobkey::kController);
  if (controller.empty()) return SetError(ctx, kNoControllerText);
  const char* family = nullptr;
  for (const char* candidate : {"OSP", "FANUC", "MELDAS", "MAZATROL"}) {
    if (Contains(controller, candidate)) {
      family = candidate;
      break;
    }
  }
  if (!family) return SetError(ctx, kNoControllerFamilyText);

  // The template belongs to TRYCUT: its bytes are copied as they are, as a
  // text-mode copy does: bare line feeds become CR LF, and the text ends at
  // an end-of-file mark (Ctrl-Z, 0x1A, never part of a double-byte
  // character), which would otherwise hide the MEMORY lines behind it.
  std::string bytes;
  if (!common::ReadFileBytes(ctx.programFolder / (std::string(family) + ".CTL"), bytes))
    return SetError(ctx, kControlFileFailedText);
  if (std::size_t eof = bytes.find('\x1a'); eof != std::string::npos) bytes.erase(eof);
  bytes = common::ToCrLf(bytes);

  std::string memory;
  for (int n = 1; n <= kTrycutProcessScan; ++n) {
    if (ReadProcessInt(ctx, jobkey::kGCode, n) != 41) continue;
    int toolD = ReadProcessInt(ctx, jobkey::kToolD, n);
    if (toolD <= 0) continue;
    std::string diameter = ReadJobKey(ctx, jobkey::kToolDiameterAsWord, n);
    if (diameter.empty()) continue;
    memory += common::FormatText("MEMORY D%02d = ", toolD) + FormatFixed(common::ParseLeadingDouble(diameter) / 2, 3) +
              "\r\n";
  }
  // A template without a final line end would merge its last line with the
  // first MEMORY line; without MEMORY lines the template stays as it is.
  if (!memory.empty() && !bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
  bytes += memory;
  if (!common::WriteFileAtomic(controlPath, bytes)) return SetError(ctx, kControlFileFailedText);
  return 0;
}

int WriteStockBox(Context& ctx, const fs::path& boxPath) {
  static const filekeys::Key kKeys[] = {jobkey::kStockX,  jobkey::kStockY,  jobkey::kStockZ,
                                        jobkey::kOriginX, jobkey::kOriginY, jobkey::kOriginZ};
  double v[6] = {};
  for (int i = 0; i < 6; ++i) {
    // Read whole: a value wider than its room would be read cut (another size).
    const filekeys::Key& key = kKeys[i];
    std::string text = ReadJobKey(ctx, key.section, key.name, filekeys::kWholeValueRoom);
    if (text.empty()) return SetError(ctx, common::FormatText(kStockValueMissingFormat, key.name));
    if (common::Cp932Width(text) > key.room - 1)
      return SetError(ctx, common::FormatText(kStockValueTooLongFormat, key.name,
                                          common::CutToBytes(text, 40).c_str(), key.room - 1));
    v[i] = common::ParseLeadingDouble(text);
  }
  const double stockX = v[0], stockY = v[1], stockZ = v[2], originX = v[3], originY = v[4], originZ = v[5];
  // Upper corner, then lower corner; a - stockX rather than -originX so that
  // a zero origin gives 0.000 and not -0.000.
  const double a = stockX - originX;
  const double b = stockY - originY;
  const double box[6] = {a, b, originZ, a - stockX, b - stockY, originZ - stockZ};
  std::string line = "+BOX(";
  for (int i = 0; i < 6; ++i) {
    if (i > 0) line += ' ';
    line += FormatFixed(box[i], 3);
  }
  line += ")";
  common::TextFileWriter out(boxPath);
  out.WriteLine(line);
  if (!CanCreateOutputFile(boxPath) || !out.Commit())
    return SetError(ctx, common::FormatText(kBoxCannotOpenFormat, boxPath.string().c_str()));
  return 0;
}

namespace {

int WriteToolFileText(Context& ctx, common::Form* main, common::TextFileWriter& out, const std::string& cannotOpen);

}  // namespace

int WriteTrycutToolFile(Context& ctx, common::Form* main, const fs::path& toolPath) {
  if (ConfirmOverwrite(ctx, toolPath) < 0) return SetError(ctx, kToolFileDeclinedText);
  const std::string cannotOpen =
      common::FormatText(kToolFileCannotOpenFormat, toolPath.string().c_str());
  common::TextFileWriter out(toolPath);
  fs::path kept = toolPath;
  kept += kFailedNcSuffix;
  std::error_code ec;
  if (CanCreateOutputFile(toolPath) && WriteToolFileText(ctx, main, out, cannotOpen) == 0) {
    fs::remove(kept, ec);  // a partial file of an earlier failed run
    return 0;
  }
  if (!CanCreateOutputFile(toolPath)) SetError(ctx, cannotOpen);
  // The operator agreed to replace the tool file: an earlier one must not
  // stay beside the new control and box files (the package would mix two
  // jobs). What was written goes to <name>.failed for diagnosis.
  std::string text = ctx.messageBuffer;
  if (!out.Text().empty() && out.KeepAs(kept))
    text += common::FormatText(kToolFileKeptFormat, kept.string().c_str());
  fs::remove(toolPath, ec);
  if (fs::exists(fs::symlink_status(toolPath, ec)))
    text += common::FormatText(kToolFileNotRemovedFormat, toolPath.string().c_str());
  return SetError(ctx, text);
}

namespace {

int WriteToolFileText(Context& ctx, common::Form* main, common::TextFileWriter& out, const std::string& cannotOpen) {
  // Tool numbers already written. A set rather than a table indexed by the
  // number: a tool number above 98 is handled like any other.
  std::set<int> written;
  int pen = 0;
  const std::string indent = common::FormatText("%13s", " ");
  for (int n = 1; n <= kTrycutProcessScan; ++n) {
    int tool = ReadProcessInt(ctx, jobkey::kToolT, n);
    if (tool <= 0) {
      if (n == 1) return SetError(ctx, common::FormatText(kNoToolNumberFormat, n));
      continue;
    }
    if (written.count(tool)) {
      ReportF(ctx, main, kKindList, kToolWrittenFormat, tool);
      continue;
    }
    written.insert(tool);
    if (n == 1) out.WriteLine(common::FormatText("INI = %s%02d", kMagazine, tool));

    std::string name = ReadJobKey(ctx, jobkey::kToolName, n);
    if (name.empty()) return SetError(ctx, common::FormatText(kNoToolNameFormat, n));
    const double diameterMm = common::ParseLeadingDouble(ReadJobKey(ctx, jobkey::kToolDiameter, n));
    const double radiusMm = diameterMm / 2;
    std::string z = ReadJobKey(ctx, jobkey::kZCode, n);
    if (z.empty()) return SetError(ctx, common::FormatText(kNoCutDepthFormat, n));
    const double cutLengthMm = std::fabs(common::ParseLeadingDouble(z)) + 1;  // L1
    const double toolLengthMm = cutLengthMm + 5;                               // L2
    ReportF(ctx, main, kKindList, kToolLineFormat, tool, name.c_str(), FormatFixed(diameterMm, 2).c_str());
    pen = pen % kTrycutPenCount + 1;

    const std::string head = common::FormatText("%s%02d = CUTTER/", kMagazine, tool);
    const std::string quotedName = "\"" + name + "\"";
    if (Contains(name, kCentreDrillWord)) {
      // Centre drills: a fixed length description; a missing diameter
      // stands for a 2 mm drill.
      const double d = diameterMm < 1 ? 2 : diameterMm;
      out.WriteLine(head + FormatFixed(d, 1) + ",0,0," + FormatFixed(d, 1) + ",31,0," + FormatFixed(d + 2.5, 1) + "," + quotedName);
      out.WriteLine(indent + "LENGTH3/30,5,1,0,30,8");
    } else {
      std::string dText = Num(diameterMm);
      std::string rText = Num(radiusMm);
      const char* angle = "0";
      if (Contains(name, kDrillWord)) {
        angle = "31";
      } else if (Contains(name, kChamferWord)) {
        angle = "45";
        if (diameterMm < 1) {
          // A chamfer tool without a diameter: as wide as twice its cut.
          dText = FormatNumber(2 * cutLengthMm, 0);
          rText = FormatNumber(cutLengthMm, 0);
        }
      }
      out.WriteLine(head + dText + ",0,0," + rText + "," + angle + ",0," + Num(cutLengthMm) + "," + quotedName);
      out.WriteLine(indent + "LENGTH/" + Num(toolLengthMm));
    }
    out.WriteLine(indent + common::FormatText("PEN/%d", pen));
  }
  if (!out.Commit()) return SetError(ctx, cannotOpen);
  return 0;
}

}  // namespace

int WriteTrycutBatchFile(Context& ctx, common::Form* main, const TrycutPackageNames& names,
                         std::string_view trycutExe, std::string_view ncPath) {
  if (ConfirmOverwrite(ctx, names.batchPath) < 0) {
    Report(ctx, main, kKindInformation, kBatchDeclinedText);
    return kTrycutDeclined;
  }
  if (!CanCreateOutputFile(names.batchPath)) return ReportError(ctx, main, kBatchCannotOpenText);
  common::TextFileWriter out(names.batchPath);
  out.WriteLine("@echo off");
  out.WriteLine("");
  out.WriteLine("set EXEFILE=" + std::string(trycutExe));
  out.WriteLine("");
  out.WriteLine("set DATADIR=%~dp0");
  out.WriteLine("set NCFILE=" + std::string(ncPath));
  out.WriteLine("set CTLFILE=" + names.controlName);
  out.WriteLine("set ATCFILE=" + names.toolName);
  out.WriteLine("set BOXFILE=" + names.boxName);
  std::string mode = ReadConfigKey(ctx, config::kTrycutMode);
  if (!mode.empty()) {
    ReportF(ctx, main, kKindList, kTrycutModeFormat, mode.c_str());
  } else {
    mode = " ";
  }
  out.WriteLine("cd /d %DATADIR%");
  out.WriteLine("");
  // The start position as configured; a value that is not a number, or
  // wider than the room it is read with, would start the simulation from a
  // place the program never goes to: refused before the batch is written.
  std::string start[3];
  // The key as the error names it, and TRYCUT's default.
  static const struct {
    filekeys::Key key;
    const char* shown;
    const char* fallback;
  } kStart[3] = {{config::kStartX, "STARTX", "0"}, {config::kStartY, "STARTY", "0"}, {config::kStartZ, "STARTZ", "50"}};
  for (int i = 0; i < 3; ++i) {
    const filekeys::Key& key = kStart[i].key;
    start[i] = common::ReadProfileText(key.section, key.name, kStart[i].fallback, filekeys::kWholeValueRoom,
                                       ctx.configPath);
    if (start[i].empty()) start[i] = kStart[i].fallback;  // as the NC program takes it
    double value = 0;
    if (common::Cp932Width(start[i]) > config::kTrycutStartRoom - 1 || !common::ParseNumber(start[i], &value)) {
      ReportF(ctx, main, kKindError, kNcFormatNotNumberFormat, kStart[i].shown,
              common::CutToBytes(start[i], 40).c_str());
      return -1;
    }
  }
  const std::string& startX = start[0];
  const std::string& startY = start[1];
  const std::string& startZ = start[2];
  out.WriteLine("start %EXEFILE% " + mode + " /s (" + startX + "," + startY + "," + startZ + ") " +
                "/d %BOXFILE% /t %ATCFILE% /c %CTLFILE% %NCFILE%");
  if (!out.Commit()) return ReportError(ctx, main, kBatchCannotOpenText);
  return kDone;
}

bool ReadTrycutBatch(const fs::path& batchPath, TrycutCommand& command) {
  command = TrycutCommand{};
  std::string bytes;
  if (!common::ReadFileBytes(batchPath, bytes)) return false;
  std::string text = common::Cp932ToUtf8(bytes);
  std::error_code ec;
  fs::path folder = fs::absolute(batchPath, ec).parent_path();
  std::string dataDir = folder.string();
  if (!dataDir.empty() && dataDir.back() != '/' && dataDir.back() != '\\')
    dataDir += static_cast<char>(fs::path::preferred_separator);

  std::vector<Variable> variables;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line = common::Trim(std::string_view(text).substr(start, end - start));
    start = end + 1;
    if (line.size() > 4 && common::EqualsNoCase(line.substr(0, 4), "set ")) {
      std::string_view assignment = common::Trim(line.substr(4));
      std::size_t eq = assignment.find('=');
      if (eq == std::string_view::npos) continue;
      Variable v{std::string(assignment.substr(0, eq)), std::string(assignment.substr(eq + 1))};
      if (v.value == "%~dp0") v.value = dataDir;
      variables.push_back(std::move(v));
      continue;
    }
    if (line.size() <= 6 || !common::EqualsNoCase(line.substr(0, 6), "start ")) continue;
    // The words of the start line, each on its own: a variable whose value
    // holds blanks (a path under "Program Files") stays one word.
    std::vector<std::string> words;
    std::vector<bool> isPath;
    std::string_view rest = line.substr(6);
    std::size_t i = 0;
    while (i < rest.size()) {
      while (i < rest.size() && common::IsBlank(rest[i])) ++i;
      if (i >= rest.size()) break;
      std::size_t wordEnd = i;
      while (wordEnd < rest.size() && !common::IsBlank(rest[wordEnd])) ++wordEnd;
      std::string_view word = rest.substr(i, wordEnd - i);
      i = wordEnd;
      std::string expanded;
      bool fromPath = false;
      for (std::size_t k = 0; k < word.size();) {
        std::size_t close = word[k] == '%' ? word.find('%', k + 1) : std::string_view::npos;
        if (close == std::string_view::npos) {
          expanded += word[k++];
          continue;
        }
        const Variable* v = FindVariable(variables, word.substr(k + 1, close - k - 1));
        if (v) {
          expanded += v->value;
          fromPath = fromPath || IsAbsolutePathText(v->value);
        }
        k = close + 1;
      }
      words.push_back(std::move(expanded));
      isPath.push_back(fromPath);
    }
    if (words.empty() || words.front().empty()) return false;
    command.program = words.front();
    command.arguments.assign(words.begin() + 1, words.end());
    command.argumentIsPath.assign(isPath.begin() + 1, isPath.end());
    command.folder = folder;
    return true;
  }
  return false;
}

bool TrycutLaunchRequest(const TrycutCommand& command, const std::string& winePath, common::LaunchRequest& request,
                         std::string& why) {
  request = common::LaunchRequest{};
  request.workingFolder = command.folder;
  const std::string& program = command.program;
  bool windowsProgram = program.size() >= 4 && common::EqualsNoCase(std::string_view(program).substr(program.size() - 4), ".exe");
#ifndef _WIN32
  if (windowsProgram) {
    if (winePath.empty()) {
      why = common::FormatText(kNoWineFormat, program.c_str());
      return false;
    }
    request.program = winePath;
    request.arguments.push_back(program);
    for (std::size_t i = 0; i < command.arguments.size(); ++i) {
      bool isPath = i < command.argumentIsPath.size() && command.argumentIsPath[i];
      request.arguments.push_back(isPath ? WinePathText(command.arguments[i]) : command.arguments[i]);
    }
    return true;
  }
#else
  (void)winePath;
  (void)windowsProgram;
#endif
  request.program = program;
  request.arguments = command.arguments;
  return true;
}

namespace {

// The reason goes to the list as a line of its own; the error line itself
// keeps its one fixed text.
int CannotRun(Context& ctx, common::Form* main, const std::string& why) {
  Report(ctx, main, kKindList, why);
  Report(ctx, main, kKindError, kCannotRunText);
  return -1;
}

}  // namespace

int StartTrycutBatch(Context& ctx, common::Form* main, const fs::path& batchPath) {
  TrycutCommand command;
  if (!ReadTrycutBatch(batchPath, command))
    return CannotRun(ctx, main, common::FormatText(kNoStartLineFormat, batchPath.string().c_str()));
  common::LaunchRequest request;
  std::string why;
  if (!TrycutLaunchRequest(command, common::FindOnPath("wine"), request, why)) return CannotRun(ctx, main, why);
  if (!ctx.launcher || !ctx.launcher->Start(request))
    return CannotRun(ctx, main, common::FormatText(kCannotStartFormat, request.program.c_str()));
  return 0;
}

int CreateTrycutPackage(Context& ctx, common::Form* main, std::string_view trycutExe, std::string_view ncPath,
                        bool startSimulator) {
  Report(ctx, main, kKindList, kPackageHeadingText);
  const TrycutPackageNames names = PackageFileNames(ctx, ncPath);
  if (WriteTrycutControlFile(ctx, names.controlPath) < 0 || WriteStockBox(ctx, names.boxPath) < 0 ||
      WriteTrycutToolFile(ctx, main, names.toolPath) < 0) {
    ReportMessage(ctx, main, kKindError);
    return -1;
  }
  int batch = WriteTrycutBatchFile(ctx, main, names, trycutExe, ncPath);
  if (batch != kDone) return batch;
  if (!startSimulator) {
    ReportF(ctx, main, kKindList, kNotStartedFormat, names.batchPath.string().c_str());
    return 0;
  }
  ReportF(ctx, main, kKindList, kStartingFormat, names.batchPath.string().c_str());
  StartTrycutBatch(ctx, main, names.batchPath);
  return 0;
}

TrycutStep TrycutPackageStep(bool startSimulator) {
  return [startSimulator](Context& ctx, common::Form* main, std::string_view trycutExe, std::string_view ncPath) {
    return CreateTrycutPackage(ctx, main, trycutExe, ncPath, startSimulator);
  };
}

int RerunTrycut(Context& ctx, common::Form& main) {
  std::string ncFile = ReadJobKey(ctx, jobkey::kNcFile);
  if (ncFile.empty()) {
    Report(ctx, &main, kKindError, kNoNcFileNameText);
    return -1;
  }
  const TrycutPackageNames names = PackageFileNames(ctx, ncFile);
  std::error_code ec;
  if (!fs::exists(names.batchPath, ec)) {
    Report(ctx, &main, kKindError, kNoPackageText);
    return -1;
  }
  StartTrycutBatch(ctx, &main, names.batchPath);
  return 0;
}

}  // namespace drilling
