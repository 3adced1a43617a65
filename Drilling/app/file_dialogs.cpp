#include "Drilling/app/file_dialogs.h"

#include <system_error>

#include "Drilling/app/message_channel.h"
#include "Drilling/app/startup.h"
#include "common/profile.h"
#include "common/text.h"

namespace fs = std::filesystem;

namespace drilling {
namespace {

// The kinds of the file-open dialog: the folder it starts in, the extension
// it offers (from Drilling.ini when a key is named), the filter's label and
// the dialog's title.
struct FileKind {
  const char* kind;
  const char* folder;  // a data folder of SetDialogFolder, "" for the program folder, nullptr: as it was
  const filekeys::Key* extensionKey;
  const char* extension;  // the key's default, or the extension
  const char* label;
  const char* title;
  bool programs = false;  // a program is chosen (see ChooseFile)
};
const FileKind kFileKinds[] = {
    {"CAMFILE", "DB", &filekeys::config::kJobFileExtension, "dri", "Save Files", "定義ファイルを開く"},
    {"NCFILE", "NC", &filekeys::config::kNcFileExtension, "ncd", "NC Files", "ＮＣファイルを開く"},
    {"DXFFILE", "DXF", nullptr, "dxf", "DXF Files", "図面ファイルを開く"},
    {"EXEFILE", nullptr, nullptr, "exe", "EXE Files", "EXEファイルを開く", true},
    {"TBLFILE", "", nullptr, "tbl", "TBL Files", "TBLファイルを開く"},
};
constexpr const char* kAnyFileTitle = "ファイルを開く";
constexpr const char* kOverwriteQuestionFormat = "ファイル名\n\n%s\nは既に存在します。\n上書きしますか？";

}  // namespace

int ConfirmOverwrite(Context& ctx, const fs::path& path) {
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(path, ec))) return 0;
  SetMessage(ctx, common::FormatText(kOverwriteQuestionFormat, path.string().c_str()));
  bool yes = ctx.ui && ctx.ui->AskYesNo(nullptr, ctx.messageBuffer, kBoxCaption);
  ctx.messageBuffer.clear();
  return yes ? 0 : -1;
}

int ChooseFile(Context& ctx, common::Form* owner, std::string& result, std::string_view kind,
               common::FileDescriber describe, std::string_view describeHeading) {
  result.clear();
  std::string extension;
  std::string label;
  std::string title = kAnyFileTitle;
  bool executables = false;
  for (const FileKind& k : kFileKinds) {
    if (!common::EqualsNoCase(kind, k.kind)) continue;
    if (k.folder && *k.folder)
      SetDialogFolder(ctx, k.folder);
    else if (k.folder)
      ctx.dialogFolder = ctx.programFolder.string();
    extension = k.extensionKey ? ReadConfigKey(ctx, *k.extensionKey, k.extension) : k.extension;
    label = k.label;
    title = k.title;
#ifndef _WIN32
    // A program here has no extension: the files the user may run come
    // first; .exe stays offered for a Windows program run through wine.
    executables = k.programs;
#endif
    break;
  }

  common::FileDialogRequest request;
  request.title = title;
  request.initialFolder = ctx.dialogFolder;
  if (executables) request.filters.push_back({"実行ファイル(*)", "*", true});
  if (!label.empty()) {
    std::string pattern = "*." + extension;
    request.filters.push_back({label + "(" + pattern + ")", pattern});
  }
  request.filters.push_back({"All Files(*.*)", "*.*"});
  request.describe = std::move(describe);
  request.describeHeading = describeHeading;
  ctx.Trace("%s\n", ctx.dialogFolder.c_str());

  if (!ctx.ui) return 0;
  std::optional<std::string> chosen = ctx.ui->ChooseOpenFile(owner, request);
  if (!chosen || chosen->empty()) return 0;
  std::error_code ec;
  if (!fs::exists(*chosen, ec)) return 0;  // the typed path must exist
  result = *chosen;
  return 1;
}

}  // namespace drilling
