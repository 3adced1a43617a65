// The initial settings dialog "DRILLINGINITDIALOG" (menu "SETTINGMENU"): the
// outside programs' paths, the tool table file and the NC transfer method
// with its destination and FTP account, in Drilling.ini. Everything is read
// when the dialog opens and written only by 【 保 存 】.
#pragma once

#include "Drilling/app/context.h"
#include "common/file_keys.h"
#include "common/dialog_template.h"
#include "common/form.h"

namespace drilling {

enum SettingsControl : int {
  // Browse buttons; the field of each is its id + 10.
  kEditorButton = 1500,
  kTrycutButton = 1501,
  kNcViewerButton = 1502,
  kDxfViewerButton = 1503,
  kToolFileButton = 1504,
  kDestinationButton = 1505,  // no action
  kEditorField = 1510,
  kTrycutField = 1511,
  kNcViewerField = 1512,
  kDxfViewerField = 1513,
  kToolFileField = 1514,
  kMethodCombo = 1515,
  kDestinationField = 1516,
  kFtpUserField = 1517,
  kFtpPasswordField = 1518,
};

enum SettingsCommand : int {
  kSettingsCmdSave = 40070,
  kSettingsCmdCancel = 40071,
  kSettingsCmdHelp = 40072,
};

// Rooms of the fields (bytes with the terminating NUL): those of the keys
// they are kept under.
constexpr std::size_t kSettingsPathRoom = filekeys::config::kPathRoom;
constexpr std::size_t kSettingsMethodRoom = filekeys::config::kTransferMethod.room;
constexpr std::size_t kSettingsFtpRoom = filekeys::config::kFtpUser.room;

const common::DialogTemplate& InitialSettingsDialogTemplate();
common::DialogProc InitialSettingsDialogProc(Context& ctx);

// The steps of the dialog. Each returns 0; SaveInitialSettings returns -1
// (reported, nothing or not everything written, the dialog stays open) when a
// field holds a line break, the method cannot name a key, or the file cannot
// be written.
int LoadInitialSettings(Context& ctx, common::Form& dialog);
int ChangeTransferMethod(Context& ctx, common::Form& dialog);
int SaveInitialSettings(Context& ctx, common::Form& dialog);

// Opens the dialog modal over the main window: 0 after save or cancel, -1
// after a confirmed close.
int RunInitialSettingsDialog(Context& ctx, common::Form& main);

}  // namespace drilling
