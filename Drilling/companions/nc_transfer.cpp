#include "Drilling/companions/nc_transfer.h"

#include <system_error>

#include "Drilling/app/message_channel.h"
#include "Drilling/app/outside_programs.h"
#include "Drilling/app/startup.h"
#include "Drilling/job/job_file.h"
#include "Drilling/ncout/nc_verify.h"
#include "Drilling/ncout/nc_writer.h"
#include "common/bounded_run.h"
#include "common/profile.h"
#include "common/text.h"
#include "common/textfile.h"

namespace fs = std::filesystem;

namespace drilling {
namespace {

namespace config = filekeys::config;

// The fixed texts of the transfer; the failure and done texts of each method
// are in the method table below.
constexpr const char* kNoNcFileNameText = "エラー：ＮＣファイル名が未定義です。";
constexpr const char* kNoNcProgramText = "エラー：ＮＣ計算が終了していません。";
constexpr const char* kUnknownMethodText = "エラー：転送方法がわかりません";
// The operator stopped the send (中止): what reached the server may be part
// of the program.
constexpr const char* kStoppedFormat =
    "ＮＣファイル %s\n送り先 %s\n転送を中止しました。送り先のファイルは不完全な場合があります。";
constexpr const char* kFtpNotRunText = "エラー：ファイル転送に失敗しました。";
// Lines of the steps (a format names what it takes).
constexpr const char* kNoFolderFormat = "フォルダ %s がありません";
constexpr const char* kCannotReadFormat = "%s が読めません";
constexpr const char* kCannotStartFormat = "%s を起動できません";
constexpr const char* kStopScriptFailedFormat = "%s を実行できません";
constexpr const char* kStopScriptStoppedFormat = "%s が %d 秒で終わらないため止めました";
constexpr const char* kClosingDncText = "DNCソフトウェアを閉じます。";
constexpr const char* kScriptCannotOpenFormat = "エラー：ファイル %s が開けません";
constexpr const char* kFtpProgressFormat = "ＦＴＰ転送中 %s （%d秒）";
// The progress window of an upload: its title and what it shows.
constexpr const char* kFtpProgressCaption = "ＮＣデータ転送";
constexpr const char* kFtpProgressTextFormat = "ＮＣファイル %s\nホスト名 [IP Address] %s へ転送しています";
constexpr const char* kNoFtpClientText = "ftp が起動できません（tnftp が入っていません）";
constexpr const char* kFtpNoAnswerWithinFormat = "ＦＴＰサーバー %s から %d 秒以内に応答がありません";
constexpr const char* kFtpNoReplyText = "ＦＴＰサーバーの応答がありません";
constexpr const char* kUnsafeNcFileFormat = "エラー：ＮＣファイル名 %s は使えません（フォルダを含まない名前にして下さい）";
constexpr const char* kUnknownMethodFormat = "エラー：転送方法 %s がわかりません（%s のどれかを設定して下さい）";

// The Debian ftp client (tnftp): no automatic log-in (the script logs in),
// server replies printed (the outcome is read from them), no wildcard
// expansion of the local path.
constexpr const char* kFtpProgram = "ftp";

// One word of a client command, as the ftp client splits its command lines:
// a blank or tab ends a word, a backslash takes the next character as it is,
// double quotes group (but inside them a backslash is an ordinary
// character). So each blank, tab, quote and backslash is preceded by a
// backslash and nothing else changes: any value reaches the server as given.
std::string FtpWord(std::string_view word) {
  std::string escaped;
  for (char c : word) {
    if (c == ' ' || c == '\t' || c == '"' || c == '\\') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A server reply line as the client prints it: three digits, then a blank or
// a hyphen (the first line of a longer reply); `first` is the first digit.
bool StartsWithReply(std::string_view line, char first) {
  return line.size() >= 4 && line[0] == first && IsDigit(line[1]) && IsDigit(line[2]) &&
         (line[3] == ' ' || line[3] == '-');
}

// Copies the NC file into `folder` under its own name: a temporary name in
// the folder, then renamed over the target. 0, or -1 with `why` set.
int CopyIntoFolder(const fs::path& ncPath, const fs::path& folder, const std::string& ncFile, std::string& why) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    why = common::FormatText(kNoFolderFormat, folder.string().c_str());
    return -1;
  }
  std::string bytes;
  if (!common::ReadFileBytes(ncPath, bytes)) {
    why = common::FormatText(kCannotReadFormat, ncPath.string().c_str());
    return -1;
  }
  std::string error;
  if (!common::WriteFileAtomic(folder / ncFile, bytes, common::FileMode::Normal, &error)) {
    why = error;
    return -1;
  }
  return 0;
}

// NETWORK and USB: the NC file copied into the destination folder.
SendOutcome CopyTransfer(Context& ctx, common::Form* main, const TransferJob& job) {
  std::string why;
  if (CopyIntoFolder(job.ncPath, fs::path(job.destination), job.ncFile, why) == 0) return SendOutcome::Sent;
  Report(ctx, main, kKindList, why);
  return SendOutcome::Failed;
}

SendOutcome DncTransfer(Context& ctx, common::Form* main, const TransferJob& job) {
  StopDncSoftware(ctx, main);
  if (StartProgramWithFile(ctx, job.destination, job.ncPath)) return SendOutcome::Sent;
  ReportF(ctx, main, kKindList, kCannotStartFormat, job.destination.c_str());
  return SendOutcome::Failed;
}

SendOutcome FtpSend(Context& ctx, common::Form* main, const TransferJob& job) {
  return FtpTransfer(ctx, main, job.ncPath, job.destination);
}

constexpr TransferMethod kMethods[] = {
    {"DNC", DncTransfer, "エラー：ＭＣへファイル転送に失敗しました。", nullptr, false},
    {"USB", CopyTransfer, "エラー：USBメモリへファイル転送に失敗しました。",
     "ＮＣファイル %s\nUSBメモリ %s\nコピーしました。", false},
    {"FTP", FtpSend, "エラー：ＭＣデータサーバーへのファイル転送に失敗しました。",
     "ＮＣファイル %s\nホスト名 [IP Address] %s\n転送しました。", true},
    {"NETWORK", CopyTransfer, "エラー：ネットワークドライブへファイル転送に失敗しました。",
     "ＮＣファイル %s\nネットワークパス %s\nコピーしました。", false},
};

}  // namespace

std::string FtpScriptText(std::string_view host, std::string_view user, std::string_view password,
                          std::string_view localPath, std::string_view remoteName) {
  // The host line keeps its text: "name port" reaches the client as two words.
  std::string text = "open " + std::string(host) + "\n";
  text += "user " + FtpWord(user) + " " + FtpWord(password) + "\n";
  // An NC program goes byte for byte: the client would otherwise choose
  // ASCII mode for any server that does not call itself UNIX, and a Windows
  // server then stores every CR LF as CR CR LF.
  text += "binary\n";
  text += "put " + FtpWord(localPath) + " " + FtpWord(remoteName) + "\n";
  text += "quit\n";
  return text;
}

FtpOutcome ReadFtpOutcome(std::string_view clientOutput) {
  // The script's commands after the log-in are the binary type and the put,
  // so the reply after the log-in's 230 is the server taking the type, and a
  // completion reply after the client's "local: ... remote: ..." line of the
  // put is the server taking the file. The upload counts only with both: a
  // server that refused binary received the program in ASCII mode (what
  // comes before the log-in, a banner say, counts for neither).
  FtpOutcome outcome;
  bool loggedIn = false;
  bool binary = false;
  bool afterPut = false;
  std::string firstRefusal;
  std::string firstComplaint;
  std::string lastLine;
  std::size_t start = 0;
  while (start < clientOutput.size()) {
    std::size_t end = clientOutput.find('\n', start);
    if (end == std::string_view::npos) end = clientOutput.size();
    std::string line(common::Trim(clientOutput.substr(start, end - start)));
    start = end + 1;
    if (line.empty()) continue;
    lastLine = line;
    if (line.rfind("local: ", 0) == 0) {
      afterPut = true;
    } else if (StartsWithReply(line, '2')) {
      if (line.rfind("230", 0) == 0)
        loggedIn = true;
      else if (afterPut && binary && (line.rfind("226", 0) == 0 || line.rfind("250", 0) == 0))
        outcome.confirmed = true;
      else if (loggedIn && !afterPut)
        binary = true;
    } else if (StartsWithReply(line, '4') || StartsWithReply(line, '5')) {
      if (loggedIn && !afterPut) binary = false;  // the last reply before the put is the type's
      if (firstRefusal.empty()) firstRefusal = line;
    } else if (line.rfind("ftp:", 0) == 0 && firstComplaint.empty()) {
      firstComplaint = line;
    }
  }
  if (!outcome.confirmed) outcome.reply = !firstRefusal.empty() ? firstRefusal : !firstComplaint.empty() ? firstComplaint : lastLine;
  return outcome;
}

int StopDncSoftware(Context& ctx, common::Form* main) {
  fs::path script = ctx.programFolder / kDncStopScriptName;
  std::error_code ec;
  if (fs::exists(script, ec)) {
    common::LaunchRequest request;
    request.program = script.string();
    request.workingFolder = ctx.programFolder;
    common::RunLimits limits;
    limits.timeoutMs = kDncStopWaitMs;
    common::RunOutcome run = common::RunBounded(request, {}, limits);
    // Its result does not stop the transfer; the list says what happened.
    if (!run.started)
      ReportF(ctx, main, kKindList, kStopScriptFailedFormat, script.string().c_str());
    else if (run.timedOut)
      ReportF(ctx, main, kKindList, kStopScriptStoppedFormat, script.string().c_str(),
              kDncStopWaitMs / 1000);
  }
  Report(ctx, main, kKindList, kClosingDncText);
  return 0;
}

void RemoveStaleFtpScript(const Context& ctx) {
  const fs::path script = ctx.NcFolder() / kFtpScriptName;
  std::error_code ec;
  // Only a file: a folder of that name is the operator's, not a script.
  if (!fs::is_directory(fs::symlink_status(script, ec))) fs::remove(script, ec);
  common::RemoveStaleTemporaries(script);
}

SendOutcome FtpTransfer(Context& ctx, common::Form* main, const fs::path& ncPath, std::string_view host) {
  SetDialogFolder(ctx, "NC");
  std::string user = ReadConfigKey(ctx, config::kFtpUser);
  std::string password = ReadConfigKey(ctx, config::kFtpPassword);
  if (user.empty() || password.empty()) return SendOutcome::Failed;

  std::string remoteName = ncPath.filename().string();
  if (ReadConfigInt(ctx, config::kFtpKeepsName, 1) == 0) {
    int number = common::ReadProfileInt(jobkey::kMainSection, jobkey::kProgramNumber.name, 1, ctx.currentJobPath);
    ctx.Trace("Ｏ番号 = %d\n", number);
    remoteName = std::to_string(number);
  }

  // The script is for the client of this platform: UTF-8 (the file system's
  // names) with "\n" line ends, which the client reads as lines; a CR would
  // become part of the remote name.
  fs::path scriptPath = fs::path(ctx.dialogFolder) / kFtpScriptName;
  std::string script = FtpScriptText(host, user, password, ncPath.string(), remoteName);
  if (!common::WriteFileAtomic(scriptPath, script, common::FileMode::OwnerOnly)) {
    ReportF(ctx, main, kKindError, kScriptCannotOpenFormat, scriptPath.string().c_str());
    return SendOutcome::FailedReported;
  }

  common::LaunchRequest request;
  request.program = kFtpProgram;
  request.arguments = {"-n", "-v", "-g"};
  request.workingFolder = ctx.dialogFolder;
  const std::string hostText(host);
  common::RunOutcome run;
  // The client runs off the window's thread: the window keeps painting and
  // its progress window offers 中止. The script (it holds the password)
  // goes as soon as the client has it open.
  common::LongTask task;
  task.caption = kFtpProgressCaption;
  task.text = common::FormatText(kFtpProgressTextFormat, ncPath.filename().string().c_str(), hostText.c_str());
  task.progressMs = kFtpProgressMs;
  task.progress = [&](int elapsedMs) {
    ReportF(ctx, main, kKindList, kFtpProgressFormat, hostText.c_str(), elapsedMs / 1000);
  };
  task.work = [&](const std::atomic<bool>& stop) {
    common::RunLimits limits;
    limits.timeoutMs = kFtpWaitMs;
    limits.stop = &stop;
    limits.started = [&scriptPath] {
      std::error_code ignored;
      fs::remove(scriptPath, ignored);
    };
    run = common::RunBounded(request, scriptPath, limits);
  };
  if (ctx.ui)
    ctx.ui->RunLongTask(main, task);
  else
    common::RunLongTaskWaiting(task);
  std::error_code ec;
  fs::remove(scriptPath, ec);
  ctx.Trace("%s", run.output.c_str());

  if (!run.started) {
    Report(ctx, main, kKindList, kNoFtpClientText);
    ReportError(ctx, main, kFtpNotRunText);
    return SendOutcome::FailedReported;
  }
  if (run.stopped) return SendOutcome::Stopped;
  if (run.timedOut) {
    ReportF(ctx, main, kKindList, kFtpNoAnswerWithinFormat, hostText.c_str(),
            kFtpWaitMs / 1000);
    return SendOutcome::Failed;
  }
  FtpOutcome outcome = ReadFtpOutcome(run.output);
  if (outcome.confirmed) return SendOutcome::Sent;
  Report(ctx, main, kKindList, outcome.reply.empty() ? std::string(kFtpNoReplyText) : outcome.reply);
  return SendOutcome::Failed;
}


std::span<const TransferMethod> TransferMethods() { return kMethods; }

const TransferMethod* FindTransferMethod(std::string_view name) {
  for (const TransferMethod& method : kMethods)
    if (common::EqualsNoCase(name, method.name)) return &method;
  return nullptr;
}

std::string TransferMethodNames() {
  std::string names;
  for (const TransferMethod& method : kMethods) {
    if (!names.empty()) names += ", ";
    names += method.name;
  }
  return names;
}

int PrepareTransfer(Context& ctx, common::Form* main, TransferJob& job) {
  job.ncFile = ReadJobKey(ctx, jobkey::kNcFile);
  if (job.ncFile.empty()) return ReportError(ctx, main, kNoNcFileNameText);
  // A name with a folder part would send a file from outside ncdata.
  if (!IsPlainFileName(job.ncFile))
    return ReportError(ctx, main,
                common::FormatText(kUnsafeNcFileFormat,
                                   job.ncFile.c_str()));
  SetDialogFolder(ctx, "NC");
  job.ncPath = fs::path(ctx.dialogFolder) / job.ncFile;
  ctx.Trace("%s\n", job.ncPath.string().c_str());
  std::error_code ec;
  if (!fs::is_regular_file(job.ncPath, ec)) return ReportError(ctx, main, kNoNcProgramText);

  std::string method = ReadConfigKey(ctx, config::kTransferMethod);
  if (method.empty()) method = "DNC";
  // A method of another name (a typing slip) would send nothing and look
  // like a sent program.
  job.method = FindTransferMethod(method);
  if (!job.method)
    return ReportError(ctx, main,
                common::FormatText(kUnknownMethodFormat, method.c_str(),
                                   TransferMethodNames().c_str()));
  job.destination = common::ReadProfileText(config::kTransferSection, method, "", config::kTransferDestinationRoom,
                                            ctx.configPath);
  if (job.destination.empty()) return ReportError(ctx, main, kUnknownMethodText);
  return 0;
}

int SendByMethod(Context& ctx, common::Form* main, const TransferJob& job) {
  const TransferMethod& method = *job.method;
  switch (method.send(ctx, main, job)) {
    case SendOutcome::Sent:
      if (method.doneFormat)
        ReportF(ctx, main, kKindInformation, method.doneFormat, job.ncFile.c_str(), job.destination.c_str());
      return 0;
    case SendOutcome::Failed:
      return ReportError(ctx, main, method.failedText);
    case SendOutcome::FailedReported:
      // One error box per failure: the step has shown its own.
      Report(ctx, main, kKindList, method.failedText);
      return -1;
    case SendOutcome::Stopped:
      ReportF(ctx, main, kKindWarning, kStoppedFormat, job.ncFile.c_str(), job.destination.c_str());
      return -1;
  }
  return -1;
}

int TransferNcFile(Context& ctx, common::Form* main) {
  // A script a killed transfer may have left holds the password.
  RemoveStaleFtpScript(ctx);
  TransferJob job;
  if (PrepareTransfer(ctx, main, job) != 0) return -1;
  // Anything that must hold before a program leaves for the machine is
  // checked here, between knowing what goes where and sending it: the file
  // may have been edited by hand since it was made.
  if (CheckProgramBeforeTransfer(ctx, main, job.ncPath) != 0) return -1;
  return SendByMethod(ctx, main, job);
}

int TransferNcFile(Context& ctx, common::Form& main) { return TransferNcFile(ctx, &main); }

}  // namespace drilling
