#include "Drilling/app/nc_file_commands.h"

#include <system_error>

#include "Drilling/app/file_dialogs.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/outside_programs.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/job_file.h"
#include "common/profile.h"

namespace fs = std::filesystem;

namespace drilling {
namespace {

// Only a file counts: a folder at the path cannot be opened by an editor.
bool IsFile(const fs::path& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(path, ec);
}

}  // namespace

fs::path JobNcFilePath(const Context& ctx, std::string_view fallback) {
  if (!JobFileExists(ctx)) return {};
  std::string name = common::ReadProfileText(jobkey::kNcFile.section, jobkey::kNcFile.name, fallback,
                                             jobkey::kNcFile.room, ctx.currentJobPath);
  if (name.empty() || !IsSafeFileTitle(name)) return {};
  return ctx.NcFolder() / name;
}

int OpenNcFileInEditor(Context& ctx, common::Form& main) {
  // "O" is what a job without NcFile gives: no such program exists, so the
  // operator is asked for one.
  fs::path path = JobNcFilePath(ctx, "O");
  if (!IsFile(path)) {
    std::string chosen;
    ChooseFile(ctx, &main, chosen, "NCFILE");
    path = chosen;
  }
  if (!IsFile(path)) return Report(ctx, &main, kKindList, kNoNcFileChosenText);

  std::string editor = ReadConfigKey(ctx, filekeys::config::kEditor);
  if (editor.empty()) editor = kDefaultEditorProgram;
  if (!StartProgramWithFile(ctx, editor, path)) return Report(ctx, &main, kKindError, kEditorFailedText);
  return 0;
}

int ShowNcDrawing(Context& ctx, common::Form& main) {
  if (!JobFileExists(ctx) ||
      ReadJobKey(ctx, jobkey::kNcFile).empty())
    return Report(ctx, &main, kKindError, kNcFileNameUndefinedText);

  std::string viewer = ReadConfigKey(ctx, filekeys::config::kNcViewer);
  if (viewer.empty()) return Report(ctx, &main, kKindError, kNcViewerUndefinedText);

  // A name with a folder part gives no path: it counts as no NC file.
  fs::path path = JobNcFilePath(ctx, "");
  if (!IsFile(path)) return Report(ctx, &main, kKindError, kNcFileMissingText);

  if (!StartProgramWithFile(ctx, viewer, path)) return Report(ctx, &main, kKindError, kNcViewerFailedText);
  return 0;
}

}  // namespace drilling
