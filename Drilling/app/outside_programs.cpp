#include "Drilling/app/outside_programs.h"

#include <algorithm>
#include <system_error>

#include "Drilling/app/message_channel.h"
#include "Drilling/app/startup.h"
#include "common/profile.h"

namespace fs = std::filesystem;

namespace drilling {
namespace {

// The help file's texts.
constexpr const char* kNoHelpFileText = "エラー：ヘルプファイルが設定されてません。";
constexpr const char* kHelpFileMissingFormat = "ヘルプファイル %s がありません。";
constexpr const char* kHelpFileCannotOpenText = "エラー：ヘルプファイルが開けません";

}  // namespace

common::LaunchRequest ProgramWithFile(std::string_view program, const fs::path& file) {
  common::LaunchRequest request;
  request.program = std::string(program);
  request.arguments = {file.string()};
  return request;
}

std::string ResolveConfiguredProgram(const Context& ctx, std::string_view program) {
  fs::path given{std::string(program)};
  if (program.empty() || given.has_parent_path()) return std::string(program);
  // The program folder, then the folder of this system's programs (another
  // one for an installed program, whose program folder is the user's).
  for (const fs::path* folder : {&ctx.programFolder, &ctx.executableFolder}) {
    if (folder->empty()) continue;
    const fs::path beside = *folder / given;
    std::error_code ec;
    const fs::file_status status = fs::status(beside, ec);
    const fs::perms exec = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    if (!ec && fs::is_regular_file(status) && (status.permissions() & exec) != fs::perms::none) return beside.string();
  }
  return std::string(program);
}

bool StartProgramWithFile(Context& ctx, std::string_view program, const fs::path& file) {
  if (!ctx.launcher || program.empty()) return false;
  return ctx.launcher->Start(ProgramWithFile(ResolveConfiguredProgram(ctx, program), file));
}

int OpenHelpFile(Context& ctx, common::Form& main) {
  std::string value = ReadConfigKey(ctx, filekeys::config::kHelpFile);
  if (value.empty()) return Report(ctx, &main, kKindError, kNoHelpFileText);
#ifndef _WIN32
  // The shipped value is written for Windows ("help\Drilling.html").
  std::replace(value.begin(), value.end(), '\\', '/');
#endif
  fs::path path = ctx.programFolder / value;
  std::error_code ec;
  if (!fs::exists(path, ec))
    return ReportF(ctx, &main, kKindError, kHelpFileMissingFormat, path.string().c_str());
  // The desktop's "open" for a file: its default viewer, the path as one argument.
  common::LaunchRequest request;
#ifdef _WIN32
  request.program = "explorer.exe";
#else
  request.program = "xdg-open";
#endif
  request.arguments = {path.string()};
  if (!ctx.launcher || !ctx.launcher->Start(request))
    return Report(ctx, &main, kKindError, kHelpFileCannotOpenText);
  return 0;
}

}  // namespace drilling
