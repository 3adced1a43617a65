// The material definition dialog "INPUTWORKSIZEDLG": stock size, thickness,
// material and the corner of the work origin, copied into the main form
// (its owner) on save. It writes no file; the values reach the job file when
// the main form is saved.
#pragma once

#include "Drilling/app/context.h"
#include "common/dialog_template.h"
#include "common/form.h"

namespace drilling {

enum MaterialControl : int {
  kMaterialSizeXEdit = 1550,
  kMaterialSizeYEdit = 1551,
  kMaterialThicknessEdit = 1552,
  kMaterialNameCombo = 1553,
  kOriginLowerLeftRadio = 1561,   // origin choice 0
  kOriginUpperLeftRadio = 1562,   // 1
  kOriginLowerRightRadio = 1563,  // 2
  kOriginUpperRightRadio = 1564,  // 3
  kOriginCentreRadio = 1565,      // 4
};

// Menu "SETTINGMENU" (shared with other settings dialogs).
enum SettingCommand : int {
  kSettingSave = 40070,
  kSettingCancel = 40071,
  kSettingHelp = 40072,
};

const common::DialogTemplate& MaterialDialogTemplate();

// The dialog procedure: ends with 0 when saved, -1 when cancelled or closed.
common::DialogProc MaterialDialogProc(Context& ctx);

// Fills the material list from Drilling.ini, copies the stock and material
// of the main form (the dialog's owner) and selects the origin button of
// work/原点. 0.
int InitMaterialDialog(Context& ctx, common::Form& dialog);

// Copies the dialog into the main form (stock X, Y, Z, the material) and
// computes the origin from the chosen corner. 0 when the main form was
// filled; -1, without a message, at the first empty field (fields copied
// before it stay copied); -1 with the error naming the field, before
// anything is copied, for a size that is not a number or a value longer
// than its field (15 bytes for a size, 7 for the material).
int ApplyMaterialDefinition(Context& ctx, common::Form& dialog);

// Runs the dialog modally over the main form; its result.
int RunMaterialDialog(Context& ctx, common::Form& main);

}  // namespace drilling
