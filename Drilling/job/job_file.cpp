#include "Drilling/job/job_file.h"

#include <cstdint>
#include <optional>
#include <system_error>

#include "Drilling/app/field_check.h"
#include "Drilling/app/file_dialogs.h"
#include "Drilling/app/main_controls.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/number_text.h"
#include "Drilling/job/hole_controls.h"
#include "Drilling/job/job_lock.h"
#include "common/profile.h"
#include "common/text.h"
#include "common/textfile.h"

namespace fs = std::filesystem;

namespace drilling {

// A main field is written, read back into the form and read by the other
// parts with the room of its key (common/file_keys.h), and a value that does
// not fit is refused when it is saved: a cut value would come back as
// another one.
namespace {
constexpr std::size_t kWholeValueRoom = filekeys::kWholeValueRoom;
constexpr std::size_t kPositionRoom = jobkey::kPositionX.room;
// Far more than the main data, four hole groups and every process section
// of a job: a larger file is something else.
constexpr std::uintmax_t kMaxJobFileBytes = 1u << 20;

// The fixed texts of the job file (a format names what it takes; a field or
// label is a name a message gives; the names of the main and the hole
// fields are in their tables below).
constexpr const char* kWriteFailedFormat = "エラー：定義ファイルに書き込めません。\n%s";
constexpr const char* kUnsafeTitleFormat =
    "エラー：表題 [%s] はファイル名に使えません。\n"
    "区切り文字（/ \\）、: * ? \" < > | と制御文字、\".\" だけの名前、空の表題は使えません。";
constexpr const char* kPositionGapFormat =
    "エラー：座標 [%02d] が空いているため、[%02d] 以降の座標を保存できません。"
    "行ラベル [%02d] のクリックで行を詰めてください。";
constexpr const char* kPositionMissingFormat = "エラー：座標 [%02d] の %s が入力されてません。";
constexpr const char* kXPositionField = "Ｘ座標";
constexpr const char* kYPositionField = "Ｙ座標";
constexpr const char* kPositionTooLongFormat = "エラー：%s の値 %s は %zu 桁を超えるため保存できません。";
constexpr const char* kOpenDialogHeading = "表題 / 材質";
constexpr const char* kNotRegularFileText = "通常のファイルではありません";
constexpr const char* kNoFileText = "ファイルがありません";
constexpr const char* kTooLargeText = "定義ファイルとしては大きすぎます";
constexpr const char* kUnreadableText = "読み込めません";
constexpr const char* kNoMainSectionFormat = "[%s] セクションがありません";
constexpr const char* kNotJobFileFormat = "エラー：%s は定義ファイルではありません（%s）。";
constexpr const char* kNotDigitsFormat = "エラー：%s [%s] は数字で入力して下さい。";
constexpr const char* kOverwriteQuestionFormat = "定義ファイル\n%s\n既に存在します。上書きしますか？";
constexpr const char* kSavedFileNameFormat = "%16s ： %s";
constexpr const char* kNcFileLabel = "ＮＣファイル";
constexpr const char* kProgramNumberLabel = "Ｏ番号";
constexpr const char* kMainSavedText = "メインの加工情報を保存しました。";
constexpr const char* kHoleGroupSavedFormat = "穴加工定義 [%d] を保存しました。";

// The hole group's size fields with their keys, in the order they are read
// and written.
struct HoleField {
  filekeys::Key key;
  int control;
  const char* label;  // the field's name in error messages
};
const HoleField kHoleFields[] = {
    {jobkey::kHoleType, kHoleTypeCombo, "穴の種類"},
    {jobkey::kHoleDiameter, kHoleDiameterEdit, "穴　径"},
    {jobkey::kHoleDepth, kHoleDepthEdit, "穴深さ"},
    {jobkey::kChamferDepth, kChamferDepthEdit, "面取切込"},
    {jobkey::kPilotDiameter, kPilotDiameterEdit, "下穴径"},
    {jobkey::kPilotDepth, kPilotDepthEdit, "下穴深"},
    {jobkey::kCboreDiameter, kCboreDiameterEdit, "座　径"},
    {jobkey::kCboreDepth, kCboreDepthEdit, "座深さ"},
};

// Checks a hole group before its save writes anything: the type holds no
// line break, every size is a number or empty, and the positions pass
// CheckHolePositions. 0, or -1 after the error naming the field or the row.
int CheckHoleGroup(Context& ctx, common::Form& dialog, std::vector<std::pair<std::string, std::string>>& positions) {
  for (const HoleField& f : kHoleFields) {
    // Whole texts: a value longer than its room is refused, never cut.
    std::string value = WholeText(dialog, f.control);
    if (CheckFitText(ctx, &dialog, value, f.key.room, f.label) != kDone) return kFailed;
    int checked = f.control == kHoleTypeCombo ? CheckLineText(ctx, &dialog, value, f.label)
                                               : CheckNumberText(ctx, &dialog, value, f.label, nullptr);
    if (checked < 0) return kFailed;
  }
  return CheckHolePositions(ctx, dialog, positions);
}

}  // namespace

int CheckHolePositions(Context& ctx, common::Form& dialog, std::vector<std::pair<std::string, std::string>>& positions) {
  positions.clear();
  // A row after an empty or half-filled one would not be stored: the save
  // is refused rather than dropping it without a word.
  auto present = [&](int id) { return !common::Trim(dialog.Text(id, kPositionRoom)).empty(); };
  int last = 0;
  for (int row = 1; row <= kHoleRows; ++row)
    if (present(kHoleX1Edit + row - 1) || present(kHoleY1Edit + row - 1)) last = row;
  for (int row = 1; row <= last; ++row) {
    const bool hasX = present(kHoleX1Edit + row - 1);
    const bool hasY = present(kHoleY1Edit + row - 1);
    if (!hasX && !hasY) return ReportF(ctx, &dialog, kKindError, kPositionGapFormat, row, row + 1, row);
    if (!hasX || !hasY)
      return ReportF(ctx, &dialog, kKindError, kPositionMissingFormat, row, hasX ? kYPositionField : kXPositionField);
    std::pair<std::string, std::string> texts;
    for (int axis = 0; axis < 2; ++axis) {
      const int id = (axis == 0 ? kHoleX1Edit : kHoleY1Edit) + row - 1;
      const std::string name = common::FormatText("%s [%02d]", axis == 0 ? kXPositionField : kYPositionField, row);
      double value = 0;
      if (ReadNumberField(ctx, dialog, id, kPositionRoom, name, &value) < 0) return kFailed;
      std::string text = FormatNumber(value, 1);
      // Read back with 15 bytes, a longer text would come back as another number.
      if (text.size() > kPositionRoom - 1)
        return ReportF(ctx, &dialog, kKindError, kPositionTooLongFormat, name.c_str(), text.c_str(), kPositionRoom - 1);
      (axis == 0 ? texts.first : texts.second) = std::move(text);
    }
    positions.push_back(std::move(texts));
  }
  return kDone;
}

bool WriteJobChanges(Context& ctx, common::Form* owner, const std::vector<common::ProfileSectionChange>& changes) {
  JobLock lock(ctx, owner, ctx.currentJobPath);  // one writer at a time
  if (!lock.Held()) return false;
  if (common::WriteProfileChanges(changes, ctx.currentJobPath)) return true;
  ReportF(ctx, owner, kKindError, kWriteFailedFormat, ctx.currentJobPath.string().c_str());
  return false;
}

namespace {

// Writes changes to one section of the current job file at once; a failure
// is reported (kind -1) and gives false.
bool WriteJobSection(Context& ctx, common::Form* owner, std::string_view section,
                     const std::vector<common::ProfileChange>& changes) {
  std::vector<common::ProfileSectionChange> inSection;
  inSection.reserve(changes.size());
  for (const common::ProfileChange& c : changes) inSection.push_back({std::string(section), c.key, c.value});
  return WriteJobChanges(ctx, owner, inSection);
}

bool IsDeviceName(std::string_view title) {
  // The part before the first point names the device on Windows ("NUL.txt" too).
  std::string base = common::ToUpperAscii(title.substr(0, title.find('.')));
  base = std::string(common::TrimRight(base));
  static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL"};
  for (const char* n : kNames)
    if (base == n) return true;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
      base[3] <= '9')
    return true;
  return false;
}

}  // namespace

int JobFileExists(const Context& ctx) {
  if (ctx.currentJobPath.empty()) return 0;
  std::error_code ec;
  return fs::is_regular_file(ctx.currentJobPath, ec) ? 1 : 0;
}

std::string ReadJobKey(const Context& ctx, std::string_view section, std::string_view key, std::size_t room) {
  return common::ReadProfileText(section, key, "", room, ctx.currentJobPath);
}

std::string ReadJobKey(const Context& ctx, const filekeys::Key& key) {
  return ReadJobKey(ctx, key.section, key.name, key.room);
}

std::string ReadJobKey(const Context& ctx, const filekeys::Key& key, int number) {
  return ReadJobKey(ctx, filekeys::Numbered(key.section, number), key.name, key.room);
}

int OpenJobFile(Context& ctx, common::Form& main) {
  std::string chosen;
  // Cancelled: a notice only; the job that was open stays open, so a save
  // still goes where the form came from.
  // Jobs made in the window are named by a time stamp: the title and the
  // material beside each name tell them apart.
  if (ChooseFile(ctx, &main, chosen, "CAMFILE", JobFileSummary, kOpenDialogHeading) == 0)
    return Report(ctx, &main, kKindList, kOpenCancelledText);
  if (CheckJobDefinitionFile(ctx, &main, chosen) != kDone) return kFailed;
  ctx.currentJobPath = chosen;
  return ReadJobFile(ctx, main);
}

std::string JobFileSummary(const fs::path& file) {
  if (!LooksLikeJobFile(file, nullptr)) return {};
  auto value = [&file](const filekeys::Key& key) {
    std::string v = common::ReadProfileKey(key, file);
    return v.empty() ? std::string("-") : v;
  };
  return value(jobkey::kTitle) + " / " + value(jobkey::kMaterial);
}

bool LooksLikeJobFile(const fs::path& path, std::string* why) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    if (why) *why = fs::exists(path, ec) ? kNotRegularFileText : kNoFileText;
    return false;
  }
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec || size > kMaxJobFileBytes) {
    if (why) *why = kTooLargeText;
    return false;
  }
  std::string bytes;
  if (!common::ReadFileBytes(path, bytes)) {
    if (why) *why = kUnreadableText;
    return false;
  }
  // A section header "[Drilling]" (blanks and case as the profile reads allow).
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line = common::Trim(std::string_view(bytes).substr(start, end - start));
    if (line.size() >= 2 && line.front() == '[') {
      std::size_t close = line.find(']');
      if (close != std::string_view::npos &&
          common::EqualsNoCase(common::Trim(line.substr(1, close - 1)), jobkey::kMainSection))
        return true;
    }
    start = end + 1;
  }
  if (why) *why = common::FormatText(kNoMainSectionFormat, jobkey::kMainSection);
  return false;
}

int CheckJobDefinitionFile(Context& ctx, common::Form* owner, const fs::path& path) {
  std::string why;
  if (LooksLikeJobFile(path, &why)) return kDone;
  return ReportF(ctx, owner, kKindError, kNotJobFileFormat, path.string().c_str(), why.c_str());
}

namespace {

// The main-form fields of section Drilling, in the order both the read and
// the save go through them; the program number comes after them (it forms
// the NC file name when saved).
enum class FieldKind { Text, Number, Digits };
struct MainField {
  filekeys::Key key;
  int control;
  const char* name;  // the field as the error messages name it
  FieldKind kind;
};
const MainField kMainFields[] = {
    {jobkey::kTitle, kTitleEdit, "表題", FieldKind::Text},
    {jobkey::kMaterial, kMaterialCombo, "材質", FieldKind::Text},
    {jobkey::kStockX, kStockXEdit, "材料寸法Ｘ", FieldKind::Number},
    {jobkey::kStockY, kStockYEdit, "材料寸法Ｙ", FieldKind::Number},
    {jobkey::kStockZ, kStockZEdit, "材料寸法Ｚ", FieldKind::Number},
    {jobkey::kOriginX, kOriginXEdit, "加工原点Ｘ", FieldKind::Number},
    {jobkey::kOriginY, kOriginYEdit, "加工原点Ｙ", FieldKind::Number},
    {jobkey::kController, kControllerCombo, "制御装置名", FieldKind::Text},
    {jobkey::kCoordSystem, kCoordSystemCombo, "ワーク座標系", FieldKind::Text},
};
const MainField kProgramNumberField = {jobkey::kProgramNumber, kProgramNumberEdit, "プログラム番号", FieldKind::Digits};

// The whole text of a main field into *value, or -1 with the error naming
// the field: a line break or NUL, a text wider than its room, a number
// field that is not a number, a program number that is not digits.
int ReadMainField(Context& ctx, common::Form& main, const MainField& f, std::string* value) {
  if (ReadTextField(ctx, main, f.control, f.key.room, f.name, value) != kDone) return kFailed;
  if (f.kind == FieldKind::Number && CheckNumberText(ctx, &main, *value, f.name, nullptr) < 0) return kFailed;
  if (f.kind == FieldKind::Digits && value->find_first_not_of("0123456789") != std::string::npos) {
    ReportF(ctx, &main, kKindError, kNotDigitsFormat, f.name, value->c_str());
    return kFailed;
  }
  return kDone;
}

// Every main field checked before anything is written.
int CheckMainFields(Context& ctx, common::Form& main) {
  std::string value;
  for (const MainField& f : kMainFields)
    if (ReadMainField(ctx, main, f, &value) != kDone) return kFailed;
  return ReadMainField(ctx, main, kProgramNumberField, &value);
}

}  // namespace

int ReadJobFile(Context& ctx, common::Form& main) {
  if (!JobFileExists(ctx)) return Report(ctx, &main, kKindError, kNoJobFileText);
  // A stored value wider than its field (a hand-edited file, an earlier
  // version) is shown whole and reported, never cut: "G54.1P12" cut to
  // "G54.1P1" is another work offset. The next save refuses it until it is
  // mended.
  auto readField = [&](const MainField& f) {
    std::string value = ReadJobKey(ctx, f.key.section, f.key.name, kWholeValueRoom);
    if (value.empty()) return;
    main.SetText(f.control, value);
    CheckFitText(ctx, &main, value, f.key.room, f.name);
  };
  for (const MainField& f : kMainFields) readField(f);
  readField(kProgramNumberField);
  for (int n = 1; n <= kHoleGroups; ++n)
    main.SetText(kHoleTypeLabel1 + n - 1, ReadJobKey(ctx, jobkey::kHoleType, n));
  return kDone;
}

std::string TimeBasedTitle(const common::LocalTime& t) {
  return common::FormatText("%d-%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

int NewJobFile(Context& ctx, common::Form& main) {
  main.SetText(kTitleEdit, TimeBasedTitle(GetLocalTimeParts(ctx)));
  if (SetNewJobPath(ctx, main) == kFailed) return kDone;
  return WriteJobSkeleton(ctx, main);
}

int SetNewJobPath(Context& ctx, common::Form& main) {
  std::string title = main.Text(kTitleEdit, jobkey::kTitle.room);
  if (title.empty()) return kDone;
  if (CheckFileTitle(ctx, &main, title) != kDone) return kFailed;
  if (JobFileExists(ctx) && !(ctx.ui && ctx.ui->AskYesNo(&main, kAskNewJobText, kBoxCaption))) return kFailed;
  ctx.currentJobPath = ctx.JobFolder() / (title + ".ini");
  ctx.Trace("DB = %s\n", ctx.currentJobPath.string().c_str());
  return kDone;
}

std::string JobSkeletonText(const common::Form& main) {
  std::string s;
  auto line = [&s](std::string_view key, std::string_view value) {
    s.append(key).append("=").append(value).append("\n");
  };
  s += common::FormatText("[%s]\n", jobkey::kMainSection);
  auto field = [&](const MainField& f) { line(f.key.name, main.Text(f.control, f.key.room)); };
  // The skeleton's order: title, controller, coordinate system, material,
  // stock, origin; then the origin's Z, the program number and NcFile.
  for (int i : {0, 7, 8, 1, 2, 3, 4, 5, 6}) field(kMainFields[i]);
  line(jobkey::kOriginZ.name, "0.");
  field(kProgramNumberField);
  line(jobkey::kNcFile.name, "");
  s += "\n";
  for (int n = 1; n <= kHoleGroups; ++n) {
    s += common::FormatText("[%s]\n", jobkey::HoleSection(n).c_str());
    for (const HoleField& f : kHoleFields) line(f.key.name, "");
    line(jobkey::PositionKey('X', 1), "");
    line(jobkey::PositionKey('Y', 1), "");
    s += "\n";
  }
  return s;
}

int WriteJobSkeleton(Context& ctx, common::Form& main) {
  // The skeleton takes the values typed so far: the same checks as a save.
  if (CheckMainFields(ctx, main) != kDone) return kFailed;
  std::error_code ec;
  if (!ctx.currentJobPath.empty() && fs::exists(ctx.currentJobPath, ec)) {
    std::string question = common::FormatText(kOverwriteQuestionFormat, ctx.currentJobPath.string().c_str());
    if (!(ctx.ui && ctx.ui->AskYesNo(&main, question, kBoxCaption))) return kDone;
  }
  std::optional<JobLock> lock;
  if (!ctx.currentJobPath.empty()) {
    lock.emplace(ctx, &main, ctx.currentJobPath);
    if (!lock->Held()) return kFailed;
  }
  common::TextFileWriter file(ctx.currentJobPath);
  file.Write(JobSkeletonText(main));
  std::string error;
  if (ctx.currentJobPath.empty() || !file.Commit(&error)) {
    if (!error.empty()) ctx.Trace("%s\n", error.c_str());
    return Report(ctx, &main, kKindError, kSkeletonOpenErrorText);
  }
  return kDone;
}

int SaveJobMainFields(Context& ctx, common::Form& main) {
  if (!JobFileExists(ctx)) return Report(ctx, &main, kKindError, kNoJobSetText);
  // Every field is checked before the first key is written. The title is not
  // tested as a file name here: an existing job keeps its name whatever its
  // title holds (files of earlier versions have titles with ':' or '?').
  if (CheckMainFields(ctx, main) != kDone) return kFailed;

  // The keys are written in the order of the fields, all at once.
  std::vector<common::ProfileChange> changes;
  std::string controller;
  std::string extension;
  for (const MainField& f : kMainFields) {
    std::string value;
    ReadMainField(ctx, main, f, &value);
    if (value.empty()) continue;  // an empty field leaves the stored value
    changes.push_back({f.key.name, value});
    if (f.control == kControllerCombo) {
      controller = value;
      NcFileExtension(ctx, controller, extension);
    }
  }
  std::string program;
  ReadMainField(ctx, main, kProgramNumberField, &program);
  std::string ncFile;
  if (!program.empty()) {
    changes.push_back({jobkey::kProgramNumber.name, program});
    if (!controller.empty()) {
      ncFile = extension.empty() ? common::FormatText("%s%s", "O", program.c_str())
                                 : common::FormatText("%s%s.%s", "O", program.c_str(), extension.c_str());
      changes.push_back({jobkey::kNcFile.name, ncFile});
    }
  }
  if (!WriteJobSection(ctx, &main, jobkey::kMainSection, changes)) return kFailed;
  if (!ncFile.empty()) ReportF(ctx, &main, kKindList, kSavedFileNameFormat, kNcFileLabel, ncFile.c_str());
  ReportF(ctx, &main, kKindList, "%16s = %s", kProgramNumberLabel, program.c_str());
  Report(ctx, &main, kKindList, kMainSavedText);
  // Saved: the result does not depend on whether the message window listed it.
  return kDone;
}

int LoadHoleGroup(Context& ctx, common::Form& dialog, const HoleTypeUpdate& update) {
  if (!JobFileExists(ctx)) return Report(ctx, &dialog, kKindError, kNoJobFileText);
  std::string section = jobkey::HoleSection(ctx.currentHoleGroup);
  for (const HoleField& f : kHoleFields) {
    std::string value = ReadJobKey(ctx, section, f.key.name, f.key.room);
    if (!value.empty()) dialog.SetText(f.control, value);
  }
  for (int row = 1; row <= kHoleRows; ++row) {
    std::string x = ReadJobKey(ctx, section, jobkey::PositionKey('X', row), jobkey::kPositionX.room);
    if (x.empty()) break;
    dialog.SetText(kHoleX1Edit + row - 1, x);
    std::string y = ReadJobKey(ctx, section, jobkey::PositionKey('Y', row), jobkey::kPositionY.room);
    if (y.empty()) break;
    dialog.SetText(kHoleY1Edit + row - 1, y);
  }
  if (update) update(ctx, dialog);
  return kDone;
}

namespace {

// The changes that store a group's checked positions: every position the NC
// writer reads goes (a hand-edited list may hold more than the dialog's
// twenty, and the writer would drill those after a full list), then the
// checked rows come back; all in one write of the file.
std::vector<common::ProfileChange> PositionChanges(const std::vector<std::pair<std::string, std::string>>& positions) {
  std::vector<common::ProfileChange> changes;
  for (int row = 1; row <= jobkey::kPositionsRead; ++row) {
    changes.push_back({jobkey::PositionKey('X', row), std::nullopt});
    changes.push_back({jobkey::PositionKey('Y', row), std::nullopt});
  }
  for (std::size_t i = 0; i < positions.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    changes.push_back({jobkey::PositionKey('X', row), positions[i].first});
    changes.push_back({jobkey::PositionKey('Y', row), positions[i].second});
  }
  return changes;
}

}  // namespace

int SaveHoleGroup(Context& ctx, common::Form& dialog) {
  if (!JobFileExists(ctx)) return Report(ctx, &dialog, kKindError, kNoJobSetText);
  std::vector<std::pair<std::string, std::string>> positions;
  if (CheckHoleGroup(ctx, dialog, positions) != kDone) return kFailed;
  const int group = ctx.currentHoleGroup;
  std::string section = jobkey::HoleSection(group);
  ReportF(ctx, &dialog, kKindList, "Section = %s\n", section.c_str());
  std::vector<common::ProfileChange> changes;
  for (const HoleField& f : kHoleFields) {
    std::string value = dialog.Text(f.control, f.key.room);
    if (!value.empty()) changes.push_back({f.key.name, value});
    ReportF(ctx, &dialog, kKindList, "%s = %s\n", f.key.name, value.c_str());
  }
  for (common::ProfileChange& change : PositionChanges(positions)) changes.push_back(std::move(change));
  if (!WriteJobSection(ctx, &dialog, section, changes)) return kFailed;
  ReportF(ctx, &dialog, kKindList, kHoleGroupSavedFormat, group);
  return kDone;
}

int HoleFieldControl(std::string_view key) {
  for (const HoleField& f : kHoleFields)
    if (key == f.key.name) return f.control;
  return 0;
}

int HoleGroupReplacement(Context& ctx, common::Form& dialog, int group,
                         std::vector<common::ProfileSectionChange>& changes) {
  std::vector<std::pair<std::string, std::string>> positions;
  if (CheckHoleGroup(ctx, dialog, positions) != kDone) return kFailed;
  const std::string section = jobkey::HoleSection(group);
  for (const HoleField& f : kHoleFields) changes.push_back({section, f.key.name, dialog.Text(f.control, f.key.room)});
  for (common::ProfileChange& change : PositionChanges(positions))
    changes.push_back({section, std::move(change.key), std::move(change.value)});
  return kDone;
}

int RefreshHoleTypes(Context& ctx, common::Form& main) {
  if (!JobFileExists(ctx)) return kDone;
  for (int n = 1; n <= kHoleGroups; ++n)
    main.SetText(kHoleTypeLabel1 + n - 1, ReadJobKey(ctx, jobkey::kHoleType, n));
  return kDone;
}

int NcFileExtension(const Context& ctx, std::string_view controller, std::string& extension) {
  static const char* const kFamilies[] = {"MAZATROL", "MELDAS", "FANUC", "OSP"};
  for (const char* family : kFamilies) {
    if (controller.find(family) == std::string_view::npos) continue;
    std::string value = common::ReadProfileText(filekeys::config::kNcExtensionSection, family, "",
                                                filekeys::config::kNcExtensionRoom, ctx.configPath);
    // "nc" and ".nc" both mean the extension nc: the name gets one point.
    std::size_t points = value.find_first_not_of('.');
    extension = points == std::string::npos ? std::string() : value.substr(points);
    return static_cast<int>(extension.size());
  }
  return 0;
}

common::LocalTime GetLocalTimeParts(const Context& ctx) {
  return ctx.clock ? ctx.clock->Now() : common::SystemClock().Now();
}

bool IsSafeFileTitle(std::string_view title) {
  std::string_view trimmed = common::Trim(title);
  if (trimmed.empty()) return false;
  for (unsigned char c : title) {
    if (c < 0x20 || c == 0x7F) return false;
    switch (c) {
      case '/': case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
        return false;
      default:
        break;
    }
  }
  if (title.find_first_not_of('.') == std::string_view::npos) return false;  // ".", "..", "..."
  if (title.back() == '.' || title.back() == ' ') return false;
  return !IsDeviceName(title);
}

int CheckFileTitle(Context& ctx, common::Form* owner, std::string_view title) {
  if (IsSafeFileTitle(title)) return kDone;
  ReportF(ctx, owner, kKindError, kUnsafeTitleFormat, std::string(title).c_str());
  return kFailed;
}

}  // namespace drilling
