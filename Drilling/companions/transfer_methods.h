// The transfer methods of 【ＮＣデータ転送】, one entry each: the name stored
// in NcFileTransfer/PROTOCOL (and the key of its destination), the function
// that sends, its texts and whether it uses the FTP account. The initial
// settings dialog offers exactly these and the transfer runs exactly these,
// so a method added here is in both.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

struct TransferMethod;

// One transfer about to run: the program and where it goes.
struct TransferJob {
  std::filesystem::path ncPath;  // ncdata/<NcFile>
  std::string ncFile;            // NcFile of the job
  const TransferMethod* method = nullptr;
  std::string destination;       // the method's key: program, host or folder
};

// How a method's send ended.
enum class SendOutcome {
  Sent,
  Failed,          // the method's failure text follows as the error box
  FailedReported,  // the step showed its own error box; the failure text is listed only
  Stopped,         // the operator stopped it (中止)
};

using SendFunction = SendOutcome (*)(Context& ctx, common::Form* main, const TransferJob& job);

struct TransferMethod {
  const char* name;        // as stored and shown: "DNC", "USB", "FTP", "NETWORK"
  SendFunction send;
  const char* failedText;  // the error box of a failed send
  // The information box of a send, with NcFile and the destination; none
  // when null (the DNC program takes over and speaks for itself).
  const char* doneFormat;
  bool usesFtpAccount;     // FTPUSER / FTPPASS are asked for and used
};

// Every method, in the order the settings dialog lists them.
std::span<const TransferMethod> TransferMethods();

// The method of that name (compared without regard to case), or null.
const TransferMethod* FindTransferMethod(std::string_view name);

// "DNC, USB, FTP, NETWORK": the names for a message.
std::string TransferMethodNames();

}  // namespace drilling
