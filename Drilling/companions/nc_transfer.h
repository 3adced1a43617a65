// 【ＮＣデータ転送】: the current job's NC program (ncdata/<NcFile>) goes to
// the machine by the method of NcFileTransfer/PROTOCOL in Drilling.ini:
//  - DNC: DncStop.sh of the program folder is run and waited for (a bounded
//    wait; a missing one is fine), then the DNC program is started with the
//    NC file path as its one argument;
//  - FTP: the ftp client (tnftp, "ftp" on PATH) runs a generated script fed
//    on its standard input, off the window's thread with a progress window
//    and 中止; the upload counts only when the server took binary mode and
//    confirmed the put (reply 226 or 250), read from the client's output;
//  - NETWORK, USB: the file is copied under a temporary name into the target
//    folder and renamed over the target, so the machine never reads half a
//    program and a failed copy leaves the earlier program as it was.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "Drilling/app/context.h"
#include "common/file_keys.h"
#include "Drilling/companions/transfer_methods.h"
#include "common/form.h"

namespace drilling {

constexpr const char* kTransferSection = filekeys::config::kTransferSection;

// Script written for the ftp client into ncdata, readable by the user only
// and removed as soon as the client has it open (it holds the password).
constexpr const char* kFtpScriptName = "mtftp.ctl";
// Run from the program folder before the DNC program is started.
constexpr const char* kDncStopScriptName = "DncStop.sh";

// Bounded waits (ms). A drilling program is a few kilobytes; a server that has
// not taken it within the FTP limit is not going to.
constexpr int kFtpWaitMs = 60000;
constexpr int kFtpProgressMs = 5000;
constexpr int kDncStopWaitMs = 15000;

// The ftp client's script: open, user, binary, put with an explicit remote
// name, quit. `remoteName` is the NC file name, or the program number with
// FTPEXTENTION 0. Blanks, tabs, quotes and backslashes in the words are
// escaped for the client, so every value reaches the server unchanged.
std::string FtpScriptText(std::string_view host, std::string_view user, std::string_view password,
                          std::string_view localPath, std::string_view remoteName);

// What the ftp client's output says about the upload.
struct FtpOutcome {
  bool confirmed = false;  // the server took binary mode and answered 226 or 250 to the put
  std::string reply;       // the telling line when not confirmed (a refusal, the client's complaint)
};
FtpOutcome ReadFtpOutcome(std::string_view clientOutput);

// Runs DncStop.sh and lists "DNCソフトウェアを閉じます。". Returns 0.
int StopDncSoftware(Context& ctx, common::Form* main);

// Uploads `ncPath` to `host` ("name" or "name port"): Sent when the server
// confirmed the upload; otherwise how it failed (a failure that showed its
// own error box, or a stop by the operator). The client runs through the
// Ui's long task (off the window's thread, with 中止), at most kFtpWaitMs;
// it dies with this process.
SendOutcome FtpTransfer(Context& ctx, common::Form* main, const std::filesystem::path& ncPath, std::string_view host);

// Removes ncdata/mtftp.ctl (and temporaries of it whose writer is gone): the
// script holds the password, and a transfer killed between writing it and
// starting the client would leave it. Run at start-up and before a transfer.
void RemoveStaleFtpScript(const Context& ctx);

// The two steps of the command. PrepareTransfer reads what goes where (the
// job's NcFile, the program in ncdata, the method and its destination) and
// reports what is missing; SendByMethod runs the method and reports its
// outcome. Each 0 or -1 (a failure reported with one error box).
int PrepareTransfer(Context& ctx, common::Form* main, TransferJob& job);
int SendByMethod(Context& ctx, common::Form* main, const TransferJob& job);

// The whole command: prepare, then send; 0 or -1.
// An entry of the main window's command table.
int TransferNcFile(Context& ctx, common::Form& main);
int TransferNcFile(Context& ctx, common::Form* main);

}  // namespace drilling
