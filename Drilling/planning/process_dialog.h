// The process dialog "NCPROCESSDIALOG" (加工工程作成): the process grid,
// generated from the hole groups or loaded from the job file, edited by the
// operator and saved as the job's process list.
#pragma once

#include "Drilling/app/context.h"
#include "common/dialog_template.h"
#include "common/form.h"

namespace drilling {

enum ProcessDialogCommand : int {
  kCmdProcessInitialise = 40063,
  kCmdProcessSave = 40070,
  kCmdProcessCancel = 40071,
  kCmdProcessHelp = 40072,
};

// Process dialog modes (Context::processDialogMode).
constexpr int kProcessModeGenerate = 0;
constexpr int kProcessModeLoad = 1;

// Results the dialog ends with.
constexpr int kProcessDialogSaved = 1;
constexpr int kProcessDialogClosed = 0;

const common::DialogTemplate& ProcessDialogTemplate();
common::DialogProc ProcessDialogProc(Context& ctx);

// Checks the controller, stock thickness and material of the main form and
// stores them in the current job, then runs the dialog modally in the mode
// set in ctx.processDialogMode. The dialog's result, or negative when a
// check refused (reported).
int OpenProcessDialog(Context& ctx, common::Form& main);

}  // namespace drilling
