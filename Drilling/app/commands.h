// Entry operations of the main window's command table, one per menu item or
// button. Each part of the program declares and defines its own in its
// folder; this header gathers them for the main window, which stands above
// every part. All take the context and the main form and return the part's
// integer result, which the main window does not use.
#pragma once

#include "Drilling/app/context.h"
#include "Drilling/app/nc_file_commands.h"
#include "Drilling/app/outside_programs.h"
#include "Drilling/companions/dxf_drawing.h"
#include "Drilling/companions/nc_transfer.h"
#include "Drilling/companions/program_info.h"
#include "Drilling/companions/settings_dialog.h"
#include "Drilling/companions/trycut_package.h"
#include "Drilling/job/job_file.h"
#include "Drilling/ncout/nc_creation.h"
#include "Drilling/planning/process_dialog.h"
#include "Drilling/planning/tool_list_dialog.h"
#include "common/form.h"

namespace drilling {

// Main window (this folder).
int SetProgramNumberFromClock(Context& ctx, common::Form& main);
int NewJob(Context& ctx, common::Form& main);
int OpenHoleGroup(Context& ctx, common::Form& main);

// 【ＮＣデータ作成】 (40062): CreateNcData with the TRYCUT package as its
// TRYCUT step, the simulator started.
int CreateNcData(Context& ctx, common::Form& main);

}  // namespace drilling
