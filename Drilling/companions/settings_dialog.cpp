#include "Drilling/companions/settings_dialog.h"

#include <string>
#include <system_error>
#include <vector>

#include "Drilling/app/field_check.h"
#include "Drilling/app/file_dialogs.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/companions/nc_transfer.h"
#include "Drilling/companions/transfer_methods.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"
#include "common/textfile.h"

namespace fs = std::filesystem;

namespace drilling {
namespace {

// The fixed texts of the settings dialog (a format names what it takes; a
// label names a field, as its caption and in the errors about it).
constexpr const char* kToolFileLabel = "工具ファイル";
constexpr const char* kMethodLabel = "ファイル転送方法";
constexpr const char* kDestinationLabel = "NCファイル転送先";
constexpr const char* kFtpUserLabel = "FTP ユーザー";
constexpr const char* kFtpPasswordLabel = "FTP パスワード";
constexpr const char* kPathTooLongFormat = "エラー：%s のパスは %zu バイトまでです。";
constexpr const char* kTooLongFormat = "エラー：%s は %zu バイトまでです。";
constexpr const char* kLoadedText = "既存値を読み込みました。";
constexpr const char* kUnknownMethodFormat = "エラー：ファイル転送方法 [%s] は使えません（%s のどれかです）。";
constexpr const char* kCannotWriteFormat = "エラー：設定値を %s に書き込めません。";
constexpr const char* kWrittenText = "設定値を書き込みました。";
constexpr const char* kQuitQuestion = "本当に終了しますか？";

using common::ControlKind;
using common::ControlTemplate;
using common::DialogEvent;

// Where the browse buttons of the program rows start.
#ifdef _WIN32
constexpr const char* kProgramsFolder = "C:\\Program Files";
#else
constexpr const char* kProgramsFolder = "/usr/bin";
#endif

namespace config = filekeys::config;

// The five path rows: button, field, the key the value is kept under, the
// field's name in error lines. A field holds as many bytes as the key's
// reader takes back (the editor and the NC viewer 511, the tool table 63),
// so a saved path is never cut into the name of another file.
struct PathRow {
  int button;
  int field;
  filekeys::Key key;
  const char* name;
};
constexpr PathRow kPathRows[] = {
    {kEditorButton, kEditorField, config::kEditor, "FILE EDITOR"},
    {kTrycutButton, kTrycutField, config::kTrycut, "TRYCUT2000"},
    {kNcViewerButton, kNcViewerField, config::kNcViewer, "NC VIEWER"},
    {kDxfViewerButton, kDxfViewerField, config::kDxfViewer, "DXF VIEWER"},
    {kToolFileButton, kToolFileField, config::kToolTable, kToolFileLabel},
};

// Stored values are read whole: a longer value edited into the file by hand
// shows as it is (and is refused when saved), never cut on the way.
std::string ReadWhole(const Context& ctx, std::string_view section, std::string_view key) {
  return common::ReadProfileText(section, key, "", filekeys::kWholeValueRoom, ctx.configPath);
}

std::string ReadTransfer(const Context& ctx, const filekeys::Key& key) {
  return ReadWhole(ctx, key.section, key.name);
}

// The destination kept for `method`: the key is the method's name.
std::string ReadDestination(const Context& ctx, std::string_view method) {
  return ReadWhole(ctx, config::kTransferSection, method);
}

// kDone when `text` fits `room` - 1 bytes of code page 932; otherwise the error
// naming the field (never showing the value: it may be the password).
int CheckFieldRoom(Context& ctx, common::Form& dialog, std::string_view text, std::size_t room,
                   const char* name, bool path) {
  const std::size_t bytes = room - 1;
  if (common::Cp932Width(text) <= bytes) return kDone;
  ReportF(ctx, &dialog, kKindError, path ? kPathTooLongFormat : kTooLongFormat, name, bytes);
  return kFailed;
}

// Whether the method of that name logs in with the FTP account.
bool UsesFtpAccount(std::string_view method) {
  const TransferMethod* known = FindTransferMethod(method);
  return known && known->usesFtpAccount;
}

void EnableFtpFields(common::Form& dialog, bool enabled) {
  dialog.Enable(kFtpUserField, enabled);
  dialog.Enable(kFtpPasswordField, enabled);
}

void ShowFtpAccount(const Context& ctx, common::Form& dialog) {
  EnableFtpFields(dialog, true);
  std::string user = ReadTransfer(ctx, config::kFtpUser);
  if (!user.empty()) dialog.SetText(kFtpUserField, user);
  std::string password = ReadTransfer(ctx, config::kFtpPassword);
  if (!password.empty()) dialog.SetText(kFtpPasswordField, password);
}

// Drilling.ini holds the FTP password in plain text: before it is written
// there, the file becomes readable by the user only (every later write keeps
// the file's permissions). False when that cannot be done.
bool MakeConfigPrivate(const fs::path& config) {
  std::error_code ec;
  if (!fs::exists(config, ec)) return common::WriteFileAtomic(config, "", common::FileMode::OwnerOnly);
  fs::permissions(config, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, ec);
  return !ec;
}

void Browse(Context& ctx, common::Form& dialog, int button) {
  std::string chosen;
  int chose = 0;
  if (button == kToolFileButton) {
    chose = ChooseFile(ctx, &dialog, chosen, "TBLFILE");
  } else {
    ctx.dialogFolder = kProgramsFolder;
    chose = ChooseFile(ctx, &dialog, chosen, "EXEFILE");
  }
  if (chose) dialog.SetText(button + (kEditorField - kEditorButton), chosen);
}

// The field labels are flat buttons without a command.
ControlTemplate Caption(const char* text, int x, int y, int width, int height) {
  return {common::kStaticId, ControlKind::Button, text, x, y, width, height};
}

}  // namespace

const common::DialogTemplate& InitialSettingsDialogTemplate() {
  static const common::DialogTemplate tpl = [] {
    common::DialogTemplate t;
    t.name = "DRILLINGINITDIALOG";
    t.caption = "穴明けＮＣ加工システム初期設定";
    t.width = 320;
    t.height = 170;
    t.menuName = "SETTINGMENU";
    t.iconId = 101;
    auto& c = t.controls;
    static const char* const kButtonTexts[] = {"FILE EDITOR", "TRYCUT2000", " NC VIEWER", "DXF VIEWER", kToolFileLabel};
    int y = 6;
    for (int row = 0; row < 5; ++row, y += 18) {
      c.push_back({kEditorButton + row, ControlKind::Button, kButtonTexts[row], 6, y, 70, 14});
      c.push_back({kEditorField + row, ControlKind::Edit, "", 82, y, 232, 14});
    }
    c.push_back(Caption(kMethodLabel, 6, y, 70, 14));
    c.push_back({kMethodCombo, ControlKind::ComboEdit, "", 82, y, 80, 80});
    y += 18;
    c.push_back({kDestinationButton, ControlKind::Button, kDestinationLabel, 6, y, 70, 14});
    c.push_back({kDestinationField, ControlKind::Edit, "", 82, y, 232, 14});
    y += 18;
    c.push_back(Caption(kFtpUserLabel, 6, y, 70, 14));
    c.push_back({kFtpUserField, ControlKind::Edit, "", 82, y, 110, 14, common::kDisabled});
    y += 18;
    c.push_back(Caption(kFtpPasswordLabel, 6, y, 70, 14));
    c.push_back({kFtpPasswordField, ControlKind::Edit, "", 82, y, 110, 14, common::kDisabled});
    t.menu = {
        {"【 保 存 】", kSettingsCmdSave, {}},
        {"【 取 消 】", kSettingsCmdCancel, {}},
        {"【 ヘルプ 】", kSettingsCmdHelp, {}},
    };
    return t;
  }();
  return tpl;
}

int LoadInitialSettings(Context& ctx, common::Form& dialog) {
  dialog.ResetEntries(kMethodCombo);
  for (const TransferMethod& method : TransferMethods()) dialog.AddEntry(kMethodCombo, method.name);
  EnableFtpFields(dialog, false);
  // The operator types no more than a field can keep.
  for (const PathRow& row : kPathRows) dialog.LimitText(row.field, row.key.room - 1);
  dialog.LimitText(kMethodCombo, config::kTransferMethod.room - 1);
  dialog.LimitText(kDestinationField, config::kTransferDestinationRoom - 1);
  dialog.LimitText(kFtpUserField, config::kFtpUser.room - 1);
  dialog.LimitText(kFtpPasswordField, config::kFtpPassword.room - 1);

  for (const PathRow& row : kPathRows) {
    std::string value = ReadWhole(ctx, row.key.section, row.key.name);
    if (!value.empty()) dialog.SetText(row.field, value);
  }

  std::string method = ReadTransfer(ctx, config::kTransferMethod);
  if (!method.empty()) {
    // A method not in the list leaves the box empty; its destination shows.
    dialog.Select(kMethodCombo, dialog.FindExact(kMethodCombo, method));
    std::string destination = ReadDestination(ctx, method);
    if (!destination.empty()) dialog.SetText(kDestinationField, destination);
  }
  if (UsesFtpAccount(method)) ShowFtpAccount(ctx, dialog);
  Report(ctx, &dialog, kKindList, kLoadedText);
  return kDone;
}

int ChangeTransferMethod(Context& ctx, common::Form& dialog) {
  std::string method = dialog.EntryText(kMethodCombo, dialog.Selected(kMethodCombo));
  if (method.empty()) return kDone;
  // A method without a stored destination starts with an empty field: the
  // previous method's destination (a DNC program, say) must not be saved as
  // this method's (an FTP host).
  dialog.SetText(kDestinationField, ReadDestination(ctx, method));
  if (UsesFtpAccount(method))
    ShowFtpAccount(ctx, dialog);
  else
    EnableFtpFields(dialog, false);
  return kDone;
}

int SaveInitialSettings(Context& ctx, common::Form& dialog) {
  struct Value {
    std::string text;
    const char* name;
  };
  // Every field whole: what does not fit is refused below, never cut.
  std::vector<Value> paths;
  for (const PathRow& row : kPathRows) paths.push_back({WholeText(dialog, row.field), row.name});
  const std::string method = WholeText(dialog, kMethodCombo);
  const std::string destination = WholeText(dialog, kDestinationField);
  const std::string user = WholeText(dialog, kFtpUserField);
  const std::string password = WholeText(dialog, kFtpPasswordField);

  // Everything is checked before the first write.
  std::vector<Value> all = paths;
  all.push_back({method, kMethodLabel});
  all.push_back({destination, kDestinationLabel});
  all.push_back({user, kFtpUserLabel});
  all.push_back({password, kFtpPasswordLabel});
  for (const Value& v : all)
    if (CheckLineText(ctx, &dialog, v.text, v.name) != kDone) return kFailed;
  for (std::size_t i = 0; i < std::size(kPathRows); ++i)
    if (CheckFieldRoom(ctx, dialog, paths[i].text, kPathRows[i].key.room, kPathRows[i].name, true) != kDone)
      return kFailed;
  // The method names the key its destination is kept under; only the
  // methods the transfer knows are saved (stored under their own spelling).
  const TransferMethod* known = FindTransferMethod(method);
  if (!method.empty() && !known) {
    ReportF(ctx, &dialog, kKindError, kUnknownMethodFormat, method.c_str(), TransferMethodNames().c_str());
    return kFailed;
  }
  const std::string methodName = known ? known->name : "";
  if (known &&
      CheckFieldRoom(ctx, dialog, destination, config::kTransferDestinationRoom, kDestinationLabel, false) != kDone)
    return kFailed;
  const bool ftp = known && known->usesFtpAccount;
  // The account is written only for FTP and only when typed (see below).
  if (ftp && (CheckFieldRoom(ctx, dialog, user, config::kFtpUser.room, kFtpUserLabel, false) != kDone ||
              CheckFieldRoom(ctx, dialog, password, config::kFtpPassword.room, kFtpPasswordLabel, false) != kDone))
    return kFailed;
  const bool holdsPassword = (ftp && !password.empty()) || !ReadTransfer(ctx, config::kFtpPassword).empty();
  // All of it in one write: a failure leaves the file as it was, never the
  // paths of the new settings with the transfer of the old.
  std::vector<common::ProfileSectionChange> changes;
  for (std::size_t i = 0; i < std::size(kPathRows); ++i)
    changes.push_back({kPathRows[i].key.section, kPathRows[i].key.name, paths[i].text});
  changes.push_back({config::kTransferSection, config::kTransferMethod.name, methodName});
  // Without a method there is no key to keep the destination under.
  if (known) changes.push_back({config::kTransferSection, methodName, destination});
  if (ftp && !user.empty()) changes.push_back({config::kTransferSection, config::kFtpUser.name, user});
  if (ftp && !password.empty()) changes.push_back({config::kTransferSection, config::kFtpPassword.name, password});
  const bool ok = (!holdsPassword || MakeConfigPrivate(ctx.configPath)) &&
                  common::WriteProfileChanges(changes, ctx.configPath);
  if (!ok) {
    ReportF(ctx, &dialog, kKindError, kCannotWriteFormat, ctx.configPath.string().c_str());
    return kFailed;
  }
  Report(ctx, &dialog, kKindInformation, kWrittenText);
  dialog.End(0);
  return kDone;
}

common::DialogProc InitialSettingsDialogProc(Context& ctx) {
  return [&ctx](common::Form& dialog, DialogEvent event, int id) {
    switch (event) {
      case DialogEvent::Init:
        LoadInitialSettings(ctx, dialog);
        break;
      case DialogEvent::SelectionChanged:
        if (id == kMethodCombo) ChangeTransferMethod(ctx, dialog);
        break;
      case DialogEvent::Command:
        switch (id) {
          case kEditorButton:
          case kTrycutButton:
          case kNcViewerButton:
          case kDxfViewerButton:
          case kToolFileButton:
            Browse(ctx, dialog, id);
            break;
          case kSettingsCmdSave:
            SaveInitialSettings(ctx, dialog);
            break;
          case kSettingsCmdCancel:
            dialog.End(0);
            break;
          default:  // the destination button and help: no action
            break;
        }
        break;
      case DialogEvent::Close:
        if (ctx.ui && ctx.ui->AskYesNo(&dialog, kQuitQuestion, kBoxCaption)) dialog.End(-1);
        break;
      default:
        break;
    }
  };
}

int RunInitialSettingsDialog(Context& ctx, common::Form& main) {
  if (!ctx.ui) return kFailed;
  return ctx.ui->RunModal(&main, InitialSettingsDialogTemplate(), InitialSettingsDialogProc(ctx));
}

}  // namespace drilling
