#include "Drilling/app/file_dialogs.h"

#include <system_error>

#include "Drilling/app/message_channel.h"
#include "Drilling/app/startup.h"
#include "common/profile.h"
#include "common/text.h"

namespace fs = std::filesystem;

namespace drilling {

int ConfirmOverwrite(Context& ctx, const fs::path& path) {
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(path, ec))) return 0;
  SetMessage(ctx, common::FormatText("ファイル名\n\n%s\nは既に存在します。\n上書きしますか？", path.string().c_str()));
  bool yes = ctx.ui && ctx.ui->AskYesNo(nullptr, ctx.messageBuffer, kBoxCaption);
  ctx.messageBuffer.clear();
  return yes ? 0 : -1;
}

int ChooseFile(Context& ctx, common::Form* owner, std::string& result, std::string_view kind) {
  result.clear();
  std::string extension;
  std::string label;
  std::string title;
  if (common::EqualsNoCase(kind, "CAMFILE")) {
    SetDialogFolder(ctx, "DB");
    extension = ReadConfigKey(ctx, filekeys::config::kJobFileExtension, "dri");
    label = "Save Files";
    title = "定義ファイルを開く";
  } else if (common::EqualsNoCase(kind, "NCFILE")) {
    SetDialogFolder(ctx, "NC");
    extension = ReadConfigKey(ctx, filekeys::config::kNcFileExtension, "ncd");
    label = "NC Files";
    title = "ＮＣファイルを開く";
  } else if (common::EqualsNoCase(kind, "EXEFILE")) {
    extension = "exe";
    label = "EXE Files";
    title = "EXEファイルを開く";
  } else if (common::EqualsNoCase(kind, "TBLFILE")) {
    ctx.dialogFolder = ctx.programFolder.string();
    extension = "tbl";
    label = "TBL Files";
    title = "TBLファイルを開く";
  } else {
    title = "ファイルを開く";
  }

  common::FileDialogRequest request;
  request.title = title;
  request.initialFolder = ctx.dialogFolder;
  if (!label.empty()) {
    std::string pattern = "*." + extension;
    request.filters.push_back({label + "(" + pattern + ")", pattern});
  }
  request.filters.push_back({"All Files(*.*)", "*.*"});
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
