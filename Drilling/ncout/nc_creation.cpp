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

// The fixed texts of NC creation (a format names what it takes).
constexpr const char* kNoProgramNumberText = "エラー：プログラム番号が未定義です。";
constexpr const char* kNoControllerText = "エラー：制御装置（マシニング）名の定義がありません";
constexpr const char* kUnknownControllerFormat = "エラー：指定した制御装置 %s は未定義です。";
constexpr const char* kNoProgramWrittenText = "エラー：ＮＣ計算失敗？ ファイルがありません";
constexpr const char* kNoTrycutText = "TRYCUT2000の設定はされてません。";
constexpr const char* kNoTrycutProgramFormat = "エラー：実行ファイル %s がありません";

// The program number field is looked at with the room of a number.
constexpr std::size_t kRoomProgramNumber = 16;

}  // namespace

int CreateNcData(Context& ctx, common::Form& main, const TrycutStep& trycutStep) {
  // One operation reads hundreds of keys: look at each file on disk once.
  common::ProfileReadBatch batch;
  std::string ncFile = ReadJobKey(ctx, jobkey::kNcFileFirstLook);
  // Without a program number no NC file name can be formed; with one the
  // writer reports the missing name itself.
  if (ncFile.empty() && main.Text(kProgramNumberEdit, kRoomProgramNumber).empty())
    return ReportError(ctx, &main, kNoProgramNumberText);

  std::string controller = ReadJobKey(ctx, jobkey::kController);
  if (controller.empty()) return ReportError(ctx, &main, kNoControllerText);
  // Programs are written for the FANUC family only (case-sensitive).
  if (controller.find("FANUC") == std::string::npos)
    return ReportError(ctx, &main, common::FormatText(kUnknownControllerFormat, controller.c_str()));

  NcPlan plan;
  if (WriteNcProgram(ctx, &main, controller, &plan) < 0) return kFailed;

  ncFile = ReadJobKey(ctx, jobkey::kNcFile);
  std::error_code ec;
  fs::path ncPath = ctx.NcFolder() / ncFile;
  if (ncFile.empty() || !IsPlainFileName(ncFile) || !fs::is_regular_file(ncPath, ec))
    return ReportError(ctx, &main, kNoProgramWrittenText);

  // The program as a control reads it must be the job's plan before it is
  // reported written: a fault of the writer must not reach the machine.
  std::string verified;
  if (VerifyWrittenProgram(ctx, &main, plan, ncPath, verified) < 0) return kFailed;

  std::string trycut = ReadConfigKey(ctx, filekeys::config::kTrycut);
  if (trycut.empty()) {
    Report(ctx, &main, kKindList, kNoTrycutText);
    Report(ctx, &main, kKindList, verified);
    return kDone;
  }
  if (!fs::exists(trycut, ec)) {
    Report(ctx, &main, kKindList, verified);
    return ReportError(ctx, &main, common::FormatText(kNoTrycutProgramFormat, trycut.c_str()));
  }
  // The package's result is not looked at: it has reported its own failures,
  // and the NC program stands either way.
  if (trycutStep) trycutStep(ctx, &main, trycut, ncPath.string());
  if (main.IsMinimised()) main.Restore();
  Report(ctx, &main, kKindList, verified);
  return kDone;
}

}  // namespace drilling
