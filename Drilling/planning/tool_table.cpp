#include "Drilling/planning/tool_table.h"

#include <system_error>

#include "Drilling/app/field_check.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/startup.h"
#include "common/file_keys.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"
#include "common/textfile.h"

namespace drilling {
namespace {

// The fixed texts of the tool table (a format names what it takes; a field
// name is the name an error gives the field).
constexpr const char* kCannotWriteFormat = "エラー：工具ファイル %s に書き込めません。";
constexpr const char* kNoListFileText = "エラー：工具リスト登録ファイルの定義がありません";
constexpr const char* kNoTableFileText = "エラー：工具登録ファイルの定義がありません";
constexpr const char* kNotAFileFormat = "エラー：工具ファイル %s はファイルではありません";
constexpr const char* kNoTableFormat = "エラー：工具ファイル %s が存在しません";
constexpr const char* kNoListFormat = "ファイル %s が存在しません";
constexpr const char* kCreatingListText = "工具リストファイルを新規に作成します。";
constexpr const char* kCannotCreateFormat = "エラー：工具リストファイル %s を作成できません。";
constexpr const char* kNotPocketNumberFormat = "エラー：%s [%s] は 1 から %d までの番号で入力して下さい。";
constexpr const char* kNoToolNameText = "エラー：工具名取出し失敗";
constexpr const char* kNoToolNumberText = "エラー：工具番号取出し失敗";
constexpr const char* kUpdatedFormat = "T%02d の工具情報を更新しました。";
constexpr const char* kDeletedFormat = "T%02d の工具情報を削除しました。";
constexpr const char* kToolNameField = "工具名";
constexpr const char* kToolDiameterField = "工具径";
constexpr const char* kToolNumberField = "Ｔ";
constexpr const char* kLengthOffsetField = "Ｈ";
constexpr const char* kRadiusOffsetField = "Ｄ";

namespace tooltable = filekeys::tooltable;

std::string ReadPocketKey(const std::string& section, const filekeys::Key& key, const std::filesystem::path& path) {
  return common::ReadProfileText(section, key.name, "", key.room, path);
}

// H and D of a pocket: absent or empty gives the pocket number.
int PocketOffset(const std::string& section, const filekeys::Key& key, int pocket, const std::filesystem::path& path) {
  std::string text = ReadPocketKey(section, key, path);
  if (text.empty()) return pocket;
  return common::LeadingDigitsValue(text);
}

// Pads `text` to `width` bytes of code page 932, with at least one blank.
std::string Column(std::string_view text, std::size_t width) {
  std::string s(text);
  std::size_t used = common::Cp932Width(s);
  s.append(used < width ? width - used : 1, ' ');
  return s;
}

// The five keys of a pocket in one write: the pocket is never left half
// written.
int WritePocket(Context& ctx, common::Form* window, const std::filesystem::path& path, int n,
                std::string_view name, std::string_view diameter, std::string_view t, std::string_view h,
                std::string_view d) {
  const std::vector<common::ProfileChange> changes = {
      {tooltable::kName.name, std::string(name)},          {tooltable::kDiameter.name, std::string(diameter)},
      {tooltable::kToolNumber.name, std::string(t)},       {tooltable::kLengthOffset.name, std::string(h)},
      {tooltable::kRadiusOffset.name, std::string(d)}};
  if (!common::WriteProfileTexts(tooltable::PocketSection(n), changes, path))
    return ReportF(ctx, window, kKindError, kCannotWriteFormat, path.string().c_str());
  return kDone;
}

}  // namespace

std::vector<std::string> ReadToolNameList(const Context& ctx) {
  return ReadConfigList(ctx, filekeys::config::kToolNameList);
}

int LocateToolTable(Context& ctx, common::Form* window, ToolTablePurpose purpose, std::filesystem::path& path) {
  const bool list = purpose == ToolTablePurpose::List;
  std::string value = ReadConfigKey(ctx, filekeys::config::kToolTable);
  if (value.empty()) return Report(ctx, window, kKindError, list ? kNoListFileText : kNoTableFileText);
  path = ctx.programFolder / value;
  const std::string shown = path.string();
  if (list) ctx.Trace("%s\n", shown.c_str());

  std::error_code ec;
  auto status = std::filesystem::status(path, ec);
  if (!ec && std::filesystem::exists(status)) {
    if (std::filesystem::is_regular_file(status)) return kDone;
    // A folder of that name can be neither read nor replaced by a table.
    return ReportF(ctx, window, kKindError, kNotAFileFormat, shown.c_str());
  }
  if (!list) return ReportF(ctx, window, kKindError, kNoTableFormat, shown.c_str());
  ReportF(ctx, window, kKindList, kNoListFormat, shown.c_str());
  Report(ctx, window, kKindList, kCreatingListText);
  if (CreateToolTable(path) != kDone) ReportF(ctx, window, kKindError, kCannotCreateFormat, shown.c_str());
  return kFailed;
}

int CreateToolTable(const std::filesystem::path& path) {
  std::string text;
  for (int n = 1; n <= kNewToolTablePockets; ++n)
    text += common::FormatText("[%s]\n%s=\n%s=\n%s=%d\n%s=\n%s=\n", tooltable::PocketSection(n).c_str(),
                               tooltable::kName.name, tooltable::kDiameter.name, tooltable::kToolNumber.name, n,
                               tooltable::kLengthOffset.name, tooltable::kRadiusOffset.name);
  if (!common::WriteFileAtomic(path, common::ToCp932CrLf(text))) return kFailed;
  return kDone;
}

int FindMagazineTool(std::string_view name, MagazineTool& record, const std::filesystem::path& path) {
  common::ProfileReadBatch batch;  // one look at the disk for the whole search
  int result = kNotFound;
  for (int n = 1; n <= kMagazinePockets; ++n) {
    const std::string section = tooltable::PocketSection(n);
    std::string pocketName = ReadPocketKey(section, tooltable::kName, path);
    if (pocketName.empty() || pocketName != name) continue;
    // Read whole: a hand-edited 12.34567 cut to the width the dialog writes
    // would look for another diameter.
    std::string diameter = ReadPocketKey(section, tooltable::kDiameterWhole, path);
    if (!diameter.empty()) {
      if (common::ParseLeadingDouble(diameter) != record.Diameter) continue;
      record.T = n;
      record.H = PocketOffset(section, tooltable::kLengthOffsetNumber, n, path);
      record.D = PocketOffset(section, tooltable::kRadiusOffsetNumber, n, path);
      return kFound;
    }
    // A centre drill or chamfer cutter without a diameter serves any hole;
    // a later pocket of the same kind, or an exact one, replaces it.
    if (pocketName == kCentreDrillToolName || pocketName == kChamferToolName) {
      record.T = record.H = record.D = n;
      result = kFound;
    }
  }
  return result;
}

std::vector<MagazinePocket> ReadMagazinePockets(const std::filesystem::path& path) {
  common::ProfileReadBatch batch;
  std::vector<MagazinePocket> pockets;
  for (int n = 1; n <= kMagazinePockets; ++n) {
    const std::string section = tooltable::PocketSection(n);
    MagazinePocket pocket;
    pocket.name = ReadPocketKey(section, tooltable::kName, path);
    // A name of blanks only (typed in quotes) names no tool: the pocket is free.
    if (common::Trim(pocket.name).empty()) continue;
    pocket.pocket = n;
    pocket.diameter = ReadPocketKey(section, tooltable::kDiameterWhole, path);
    if (pocket.diameter.empty()) pocket.diameter = "-";
    pocket.h = PocketOffset(section, tooltable::kLengthOffsetNumber, n, path);
    pocket.d = PocketOffset(section, tooltable::kRadiusOffsetNumber, n, path);
    pockets.push_back(std::move(pocket));
  }
  return pockets;
}

std::string FormatToolListLine(const MagazinePocket& pocket) {
  // The line must split back into its five values, so a hand-typed diameter
  // with blanks inside is shown up to its first blank (all the look-up reads
  // of it) and one of blanks only as "-".
  std::string_view diameter = common::Trim(pocket.diameter);
  std::size_t blank = 0;
  while (blank < diameter.size() && !common::IsBlank(diameter[blank])) ++blank;
  diameter = diameter.substr(0, blank);
  if (diameter.empty()) diameter = "-";
  return Column(common::Trim(pocket.name), 21) + Column(diameter, 9) + Column(std::to_string(pocket.pocket), 7) +
         Column(std::to_string(pocket.h), 7) + std::to_string(pocket.d);
}

ToolListFields SplitToolListLine(std::string_view line) {
  struct Piece {
    std::size_t begin;
    std::string_view text;
  };
  std::vector<Piece> pieces;
  for (std::size_t i = 0; i < line.size();) {
    if (common::IsBlank(line[i])) {
      ++i;
      continue;
    }
    std::size_t start = i;
    while (i < line.size() && !common::IsBlank(line[i])) ++i;
    pieces.push_back({start, line.substr(start, i - start)});
  }
  ToolListFields f;
  std::string* fields[] = {&f.name, &f.diameter, &f.t, &f.h, &f.d};
  if (pieces.size() >= 5) {
    const std::size_t k = pieces.size() - 4;
    f.name = std::string(common::Trim(line.substr(0, pieces[k].begin)));
    for (std::size_t j = 0; j < 4; ++j) *fields[j + 1] = std::string(pieces[k + j].text);
  } else {
    for (std::size_t j = 0; j < pieces.size(); ++j) *fields[j] = std::string(pieces[j].text);
  }
  if (f.diameter == "-") f.diameter.clear();
  return f;
}

namespace {

// A pocket or offset number as typed: 1 to 3 digits, 1..`highest`. Anything
// else (letters, a sign, a point) is refused with the field named: "abc"
// would become pocket 0 and "-5" the section MAGAZINE-5.
int CheckPocketNumber(Context& ctx, common::Form* window, std::string_view text, const char* fieldName,
                      int highest, int* value) {
  if (CheckFitText(ctx, window, text, kToolNumberRoom, fieldName) != kDone) return kFailed;
  const int n = text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos
                    ? 0
                    : common::LeadingDigitsValue(text);
  if (n < 1 || n > highest)
    return ReportF(ctx, window, kKindError, kNotPocketNumberFormat, fieldName, std::string(text).c_str(), highest);
  if (value) *value = n;
  return kDone;
}

}  // namespace

int UpdateMagazinePocket(Context& ctx, common::Form* window, const ToolListFields& fields) {
  // Every field is checked before the pocket is written; nothing is cut.
  if (fields.name.empty()) return Report(ctx, window, kKindError, kNoToolNameText);
  if (CheckLineText(ctx, window, fields.name, kToolNameField) != kDone ||
      CheckFitText(ctx, window, fields.name, kToolNameRoom, kToolNameField) != kDone)
    return kFailed;
  if (CheckFitText(ctx, window, fields.diameter, kToolDiameterRoom, kToolDiameterField) != kDone ||
      CheckNumberText(ctx, window, fields.diameter, kToolDiameterField, nullptr) < 0)
    return kFailed;
  if (fields.t.empty()) return Report(ctx, window, kKindError, kNoToolNumberText);
  int n = 0;
  if (CheckPocketNumber(ctx, window, fields.t, kToolNumberField, kMagazinePockets, &n) != kDone) return kFailed;
  // Offset numbers share the three digits of the field.
  constexpr int kHighestOffset = 999;
  std::string h = fields.h.empty() ? fields.t : fields.h;
  std::string d = fields.d.empty() ? fields.t : fields.d;
  if (CheckPocketNumber(ctx, window, h, kLengthOffsetField, kHighestOffset, nullptr) != kDone ||
      CheckPocketNumber(ctx, window, d, kRadiusOffsetField, kHighestOffset, nullptr) != kDone)
    return kFailed;

  std::filesystem::path path;
  if (int r = LocateToolTable(ctx, window, ToolTablePurpose::List, path); r != kDone) return r;
  if (int r = WritePocket(ctx, window, path, n, fields.name, fields.diameter, fields.t, h, d); r != kDone) return r;
  ReportF(ctx, window, kKindList, kUpdatedFormat, n);
  return kDone;
}

int DeleteMagazinePocket(Context& ctx, common::Form* window, std::string_view tText) {
  if (tText.empty()) return Report(ctx, window, kKindError, kNoToolNumberText);
  int n = 0;
  if (CheckPocketNumber(ctx, window, tText, kToolNumberField, kMagazinePockets, &n) != kDone) return kFailed;
  std::filesystem::path path;
  if (int r = LocateToolTable(ctx, window, ToolTablePurpose::List, path); r != kDone) return r;
  if (int r = WritePocket(ctx, window, path, n, "", "", tText, "", ""); r != kDone) return r;
  ReportF(ctx, window, kKindList, kDeletedFormat, n);
  return kDone;
}

}  // namespace drilling
