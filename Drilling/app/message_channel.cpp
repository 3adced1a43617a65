#include "Drilling/app/message_channel.h"

#include <cstdarg>
#include <vector>

#include "common/placement.h"
#include "common/platform.h"
#include "common/profile.h"
#include "common/sjis.h"
#include "common/text.h"
#include "common/file_keys.h"

namespace drilling {
namespace {

constexpr int kRetryWaitMs = 500;
constexpr int kPollStepMs = 10;

std::string ReadRelaypaneKey(const Context& ctx, const filekeys::Key& key) {
  return common::ReadProfileKey(key, ctx.messageWindowConfigPath);
}

bool FindWindow(Context& ctx) {
  return ctx.transport && ctx.transport->Find(ctx.messageWindowClass, ctx.messageWindowName);
}

// Waits up to `waitMs` for the window, ending early as soon as it answers.
bool WaitForWindow(Context& ctx, int waitMs) {
  for (int waited = 0; waited < waitMs; waited += kPollStepMs) {
    if (ctx.clock) ctx.clock->SleepMs(kPollStepMs);
    if (FindWindow(ctx)) return true;
  }
  return false;
}

void StartRelaypane(Context& ctx) {
  if (!ctx.launcher) return;
  common::LaunchRequest request;
  const std::filesystem::path& folder = ctx.executableFolder.empty() ? ctx.programFolder : ctx.executableFolder;
  request.program = (folder / common::ExecutableName("Relaypane")).string();
  if (ctx.mainWindowFrame) request.arguments.push_back(common::BesideArgumentText(*ctx.mainWindowFrame));
  ctx.launcher->Start(request);  // the result is not looked at: a failure shows at the next report
}

}  // namespace

void ReadMessageWindowIdentity(Context& ctx) {
  ctx.messageWindowClass = ReadRelaypaneKey(ctx, filekeys::relaypane::kClassName);
  if (ctx.messageWindowClass.empty()) ctx.messageWindowClass = "DrillingMessage";
  ctx.messageWindowName = ReadRelaypaneKey(ctx, filekeys::relaypane::kWindowName);
  if (ctx.messageWindowName.empty()) ctx.messageWindowName = "穴明け加工メッセージ";
}

int StartMessageWindow(Context& ctx, int mode) {
  bool exists = FindWindow(ctx);
  switch (mode) {
    case 0:
      if (exists && ctx.transport) ctx.transport->PostClose(ctx.messageWindowClass, ctx.messageWindowName);
      break;
    case 1:
      if (!exists) StartRelaypane(ctx);
      break;
    case 2:
      if (!exists) {
        StartRelaypane(ctx);
        WaitForWindow(ctx, kRetryWaitMs);
      } else if (ctx.transport) {
        ctx.transport->Restore(ctx.messageWindowClass, ctx.messageWindowName);
      }
      break;
    default:
      break;
  }
  ctx.Trace("Start Message Window = %d\n", mode);
  return 0;
}

int ReportMessage(Context& ctx, common::Form* owner, int kind) {
  bool found = FindWindow(ctx);
  if (!found) found = WaitForWindow(ctx, kRetryWaitMs);
  if (!found) {
    ctx.Trace("Start Message Window not found");
    StartMessageWindow(ctx, 1);
    found = WaitForWindow(ctx, kRetryWaitMs);
  }
  // A window that stops answering while a line is handed over counts as not
  // reached: the line is reported lost instead of hanging the program.
  if (!found || !ctx.transport->AddLine(ctx.messageWindowClass, ctx.messageWindowName, ctx.messageBuffer)) {
    if (ctx.ui) ctx.ui->ShowBox(owner, kNoMessageWindowText, kBoxCaption, common::BoxIcon::Error);
    return -1;
  }
  if (ctx.ui) {
    if (kind < 0) {
      ctx.ui->ShowBox(owner, ctx.messageBuffer, kBoxCaption, common::BoxIcon::Error);
    } else if (kind == kKindInformation) {
      ctx.ui->ShowBox(owner, ctx.messageBuffer, kBoxCaption, common::BoxIcon::Information);
    } else if (kind == kKindWarning) {
      ctx.ui->ShowBox(owner, ctx.messageBuffer, kBoxCaption, common::BoxIcon::Warning);
    }
  }
  ctx.messageBuffer.clear();
  return kind;
}

void SetMessage(Context& ctx, std::string_view text) {
  ctx.messageBuffer = common::CutToRoom(text, kMessageBufferSize);
}

int Report(Context& ctx, common::Form* owner, int kind, std::string_view text) {
  SetMessage(ctx, text);
  return ReportMessage(ctx, owner, kind);
}

int ReportError(Context& ctx, common::Form* owner, std::string_view text) {
  Report(ctx, owner, kKindError, text);
  return kFailed;
}

int SetError(Context& ctx, std::string_view text) {
  SetMessage(ctx, text);
  return kFailed;
}

int ReportF(Context& ctx, common::Form* owner, int kind, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::string text = common::FormatTextV(format, ap);
  va_end(ap);
  return Report(ctx, owner, kind, text);
}

}  // namespace drilling
