// Commands of NC output: nc (the road of 【ＮＣデータ作成】) and trycut (the
// TRYCUT package of a job whose NC program exists).
#include <system_error>

#include "Drilling/app/message_channel.h"
#include "Drilling/app/startup.h"
#include "Drilling/companions/trycut_package.h"
#include "Drilling/job/job_file.h"
#include "Drilling/ncout/nc_creation.h"
#include "common/profile.h"
#include "tools/drillnc/headless.h"

namespace fs = std::filesystem;

namespace drillnc {

namespace {

using namespace drilling;

fs::path NcPathOf(const Context& ctx) {
  std::string ncFile = ReadJobKey(ctx, jobkey::kNcFile);
  return ncFile.empty() ? fs::path() : ctx.NcFolder() / ncFile;
}

}  // namespace

// nc: the job opened into the main form, then what the window's
// 【ＮＣデータ作成】 does: the main data saved, CreateNcData. The NC file path
// is printed last.
int RunNc(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  if (int started = session.StartOnJobArguments(args, {"--no-sim"}, a); started != kExitOk) return started;
  Context& ctx = session.ctx;
  auto main = session.MainForm(false);
  if (ReadJobFile(ctx, *main) != 0) return kExitFailure;

  // A save that fails (a refused value) stops the road before the program.
  if (SaveJobMainFields(ctx, *main) != kDone) return kExitFailure;
  if (CreateNcData(ctx, *main, TrycutPackageStep(!a.Has("--no-sim"))) < 0) return kExitFailure;
  session.Print(NcPathOf(ctx).string());
  // The program stands; a failed simulation package still fails the command.
  return session.ErrorCount() == 0 ? kExitOk : kExitFailure;
}

// trycut: the package rebuilt for the job's NC program and, without
// --no-sim, started. The batch file path is printed last.
int RunTrycut(Session& session, const std::vector<std::string>& args) {
  Arguments a;
  if (int started = session.StartOnJobArguments(args, {"--no-sim"}, a, JobAccess::Read); started != kExitOk) return started;
  Context& ctx = session.ctx;
  fs::path ncPath = NcPathOf(ctx);
  std::error_code ec;
  if (ncPath.empty() || !fs::is_regular_file(ncPath, ec)) {
    Report(ctx, nullptr, kKindError, "エラー：ＮＣ計算失敗？ ファイルがありません");
    return kExitFailure;
  }
  std::string trycut = ReadConfigKey(ctx, filekeys::config::kTrycut);
  if (trycut.empty()) return session.Fail("TRYCUT/FILE of Drilling.ini is not set");
  int result = CreateTrycutPackage(ctx, nullptr, trycut, ncPath.string(), !a.Has("--no-sim"));
  if (result != 0) return kExitFailure;
  session.Print(PackageFileNames(ctx, ncPath.string()).batchPath.string());
  return session.ErrorCount() == 0 ? kExitOk : kExitFailure;
}

}  // namespace drillnc
