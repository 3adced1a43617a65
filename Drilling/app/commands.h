// Entry operations of the main window's command table, one per menu item or
// button. Each part of the program defines its own; all take the context and
// the main form and return the part's integer result, which the main window
// does not use.
#pragma once

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

// Main window (this folder).
int SetProgramNumberFromClock(Context& ctx, common::Form& main);
int NewJob(Context& ctx, common::Form& main);
int OpenHoleGroup(Context& ctx, common::Form& main);

// Job definition file.
int OpenJobFile(Context& ctx, common::Form& main);
int SaveJobMainFields(Context& ctx, common::Form& main);

// Editor and NC viewer.
int OpenNcFileInEditor(Context& ctx, common::Form& main);
int ShowNcDrawing(Context& ctx, common::Form& main);

// Process planning.
int OpenProcessDialog(Context& ctx, common::Form& main);
int RunToolListDialog(Context& ctx, common::Form& main);

// NC output and companions.
int CreateNcData(Context& ctx, common::Form& main);
int RerunTrycut(Context& ctx, common::Form& main);
int TransferNcFile(Context& ctx, common::Form& main);
int WriteDxfDrawing(Context& ctx, common::Form& main);
int RunInitialSettingsDialog(Context& ctx, common::Form& main);

// Program information, version and help.
int ShowProgramBanner(Context& ctx, common::Form& main);
int ShowVersionBox(Context& ctx, common::Form& main, const char* application);
int ShowProgramInfo(Context& ctx, common::Form& main);
int OpenHelpFile(Context& ctx, common::Form& main);

}  // namespace drilling
