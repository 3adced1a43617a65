// The two main-window commands that hand the job's NC program to outside
// programs: ＮＣファイル (40001) opens it in the configured editor, NCデータ描画
// (40021) in the NC viewer. Both find the program from the job's NcFile in
// the NC folder and start the program with an argument list (outside_programs.h).
#pragma once

#include <filesystem>
#include <string_view>

#include "Drilling/app/context.h"
#include "common/form.h"

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

// ncdata/<NcFile> of the current job, read with the key's room and
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
