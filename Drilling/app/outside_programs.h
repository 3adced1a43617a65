// Starting the outside programs the operator configures (editor, NC viewer,
// DXF viewer, ...) with one file to open, and the two main-window commands
// that hand the job's NC program to the editor and the NC viewer.
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

// The program that opens a file when no editor is configured: Notepad on
// Windows; elsewhere the desktop's default application for the file
// (xdg-open of xdg-utils).
#ifdef _WIN32
constexpr const char* kDefaultEditorProgram = "notepad.exe";
#else
constexpr const char* kDefaultEditorProgram = "xdg-open";
#endif

// Messages of the two commands.
constexpr const char* kNoNcFileChosenText = "ＮＣファイルが選択されてません。";
constexpr const char* kEditorFailedText = "エラー：ファイルが開けません";
constexpr const char* kNcFileNameUndefinedText = "エラー：ＮＣファイル名が未定義です。";
constexpr const char* kNcViewerUndefinedText = "エラー：ＮＣデータの描画が未定義です。";
constexpr const char* kNcFileMissingText = "ＮＣファイルがありません。";
constexpr const char* kNcViewerFailedText = "エラー：ＮＣデータの描画が実行できません";

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

// ncdata/<NcFile> of the current job, read with room for 31 characters and
// `fallback` when the key is absent. Empty when no job is open, the name is
// empty, or it has a folder part (it would point outside the NC folder).
std::filesystem::path JobNcFilePath(const Context& ctx, std::string_view fallback);

// ＮＣファイル (40001): the job's NC program in the configured editor
// (EDITOR/FILE; kDefaultEditorProgram when not set); the NC file dialog when
// the job has no NC program. 0, or the result of the report it made.
int OpenNcFileInEditor(Context& ctx, common::Form& main);

// NCデータ描画 (40021): the job's NC program in the NC viewer
// (NcViewer/FILE, no fallback). 0 when the viewer was started, else the
// result of the error report (-1).
int ShowNcDrawing(Context& ctx, common::Form& main);

}  // namespace drilling
