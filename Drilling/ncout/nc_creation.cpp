#include "Drilling/ncout/nc_creation.h"

#include <system_error>

#include "Drilling/app/main_controls.h"
#include "Drilling/app/message_channel.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/job_file.h"
#include "Drilling/ncout/nc_verify.h"
#include "Drilling/ncout/nc_writer.h"
#include "common/profile.h"
#include "common/text.h"

namespace fs = std::filesystem;

namespace drilling {
namespace {

// The program number field is looked at with the room of a number.
constexpr std::size_t kRoomProgramNumber = 16;

int Fail(Context& ctx, common::Form& main, const std::string& text) {
  Report(ctx, &main, kKindError, text);
  return -1;
}

}  // namespace

int CreateNcData(Context& ctx, common::Form& main, const TrycutStep& trycutStep) {
  // One operation reads hundreds of keys: look at each file on disk once.
  common::ProfileReadBatch batch;
  std::string ncFile = ReadJobKey(ctx, jobkey::kNcFileFirstLook);
  // Without a program number no NC file name can be formed; with one the
  // writer reports the missing name itself.
  if (ncFile.empty() && main.Text(kProgramNumberEdit, kRoomProgramNumber).empty())
    return Fail(ctx, main, "エラー：プログラム番号が未定義です。");

  std::string controller = ReadJobKey(ctx, jobkey::kController);
  if (controller.empty()) return Fail(ctx, main, "エラー：制御装置（マシニング）名の定義がありません");
  // Programs are written for the FANUC family only (case-sensitive).
  if (controller.find("FANUC") == std::string::npos)
    return Fail(ctx, main, common::FormatText("エラー：指定した制御装置 %s は未定義です。", controller.c_str()));

  NcPlan plan;
  if (WriteNcProgram(ctx, &main, controller, &plan) < 0) return -1;

  ncFile = ReadJobKey(ctx, jobkey::kNcFile);
  std::error_code ec;
  fs::path ncPath = ctx.NcFolder() / ncFile;
  if (ncFile.empty() || !IsPlainFileName(ncFile) || !fs::is_regular_file(ncPath, ec))
    return Fail(ctx, main, "エラー：ＮＣ計算失敗？ ファイルがありません");

  // The program as a control reads it must be the job's plan before it is
  // reported written: a fault of the writer must not reach the machine.
  std::string verified;
  if (VerifyWrittenProgram(ctx, &main, plan, ncPath, verified) < 0) return -1;

  std::string trycut = ReadConfigKey(ctx, filekeys::config::kTrycut);
  if (trycut.empty()) {
    Report(ctx, &main, kKindList, "TRYCUT2000の設定はされてません。");
    Report(ctx, &main, kKindList, verified);
    return 0;
  }
  if (!fs::exists(trycut, ec)) {
    Report(ctx, &main, kKindList, verified);
    return Fail(ctx, main, common::FormatText("エラー：実行ファイル %s がありません", trycut.c_str()));
  }
  // The package's result is not looked at: it has reported its own failures,
  // and the NC program stands either way.
  if (trycutStep) trycutStep(ctx, &main, trycut, ncPath.string());
  if (main.IsMinimised()) main.Restore();
  Report(ctx, &main, kKindList, verified);
  return 0;
}

}  // namespace drilling
