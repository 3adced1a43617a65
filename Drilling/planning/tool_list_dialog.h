// The magazine tool list dialog "MCTOOLLISTDIALOG": lists the pockets of the
// tool table file and updates or frees one pocket at a time. Every change
// is written to the file at once; closing writes nothing.
#pragma once

#include "Drilling/app/context.h"
#include "common/dialog_template.h"
#include "common/form.h"

namespace drilling {

enum ToolListControl : int {
  kPocketList = 1099,        // the pockets, one line each
  kToolNameCombo = 2001,     // editable drop-down of the tool name list
  kToolDiameterEdit = 2051,
  kToolTEdit = 2101,
  kToolHEdit = 2151,
  kToolDEdit = 2201,
};

enum ToolListCommand : int {
  kCmdToolUpdate = 40075,
  kCmdToolDelete = 40076,
  kCmdToolEnd = 40077,
};

const common::DialogTemplate& ToolListDialogTemplate();
common::DialogProc ToolListDialogProc(Context& ctx);

// Refills the pocket list from the tool table file. 0, or the negative
// result of LocateToolTable (the list then keeps what it showed).
int RefreshToolList(Context& ctx, common::Form& window);

// 工具リスト登録 (40013): the dialog over the main window.
int RunToolListDialog(Context& ctx, common::Form& main);

}  // namespace drilling
