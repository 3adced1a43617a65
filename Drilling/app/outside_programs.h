// Starting the outside programs the operator configures (editor, NC viewer,
// DXF viewer, ...) with one file to open. The two main-window commands that
// hand the job's NC program to the editor and the NC viewer are in
// nc_file_commands.h.
//
// A configured program is started with an argument list: the program, then
// the file path as one argument, blanks and all; no shell ever sees the
// text. "Cannot be started" (missing, not executable) is the failure the
// callers report; the program is not waited for.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "Drilling/app/context.h"
#include "common/form.h"
#include "common/launch.h"

namespace drilling {

// The request that starts `program` (a path, or a name looked up on PATH)
// with `file` as its only argument.
common::LaunchRequest ProgramWithFile(std::string_view program, const std::filesystem::path& file);

// The program to start for a configured value: a bare name ("Drillview",
// "gedit") is looked for in the program folder first and then on PATH (the
// launcher's own search), so the shipped viewers need no absolute path and a
// program shipped beside Drilling wins over another of the same name. A value
// with a folder part is used as it stands.
std::string ResolveConfiguredProgram(const Context& ctx, std::string_view program);

// Starts `program` (resolved as above) with `file` through the context's launcher. False when it
// could not be started (or there is no launcher); nothing is reported here.
bool StartProgramWithFile(Context& ctx, std::string_view program, const std::filesystem::path& file);

// ヘルプ of the main window and of the process dialog: the file named by
// Drilling/HelpFile (a path in the program folder) in the desktop's viewer.
// 0, or the result of the error report.
int OpenHelpFile(Context& ctx, common::Form& main);

}  // namespace drilling
