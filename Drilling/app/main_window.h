// The main window: the job's main form, its lists and its command table.
#pragma once

#include "Drilling/app/context.h"
#include "Drilling/app/main_controls.h"
#include "common/dialog_template.h"
#include "common/form.h"

namespace drilling {

// Menu and button commands of the main window.
enum MainCommand : int {
  kCmdNew = 40000,
  kCmdNcFile = 40001,
  kCmdDefinitionFile = 40002,
  kCmdProcesses = 40003,
  kCmdQuit = 40009,
  kCmdInitialSettings = 40010,
  kCmdNcOutputSettings = 40011,
  kCmdUserSettings = 40012,
  kCmdToolList = 40013,
  kCmdRerunTrycut = 40020,
  kCmdDrawNcData = 40021,
  kCmdShowDrawing = 40022,
  kCmdHelp = 40030,
  kCmdVersion = 40031,
  kCmdProgramInfo = 40032,
  kCmdSaveData = 40060,
  kCmdCreateProcesses = 40061,
  kCmdCreateNcData = 40062,
  kCmdTransferNcData = 40064,
};

// "DRILLINGMAINDIALOG" with the menu "MAINPROGMENU".
const common::DialogTemplate& MainDialogTemplate();

// The main window's procedure over the given context.
common::DialogProc MainWindowProc(Context& ctx);

// Empties the texts of the form; with a negative mode the three lists too.
int ClearMainForm(common::Form& main, int mode);

// Fills material, controller and coordinate system lists from Drilling.ini,
// then applies the start-up presets.
int FillMainLists(Context& ctx, common::Form& main);

// The close message (close box and the quit commands): closes the message
// window, empties the form and its lists, ends the window.
int CloseMainWindow(Context& ctx, common::Form& main);

// The main window's caption: the open job's title (and its file name when
// that differs from the title), then the program's caption; the caption
// alone with no job open. Every command leaves it up to date.
std::string MainWindowCaption(const Context& ctx);

// Runs one command of the table (unknown identifiers do nothing).
void DispatchMainCommand(Context& ctx, common::Form& main, int id);

}  // namespace drilling
