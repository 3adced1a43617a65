// The sending side of the message channel: every status, information and
// error line of the drilling program goes to the message window's list.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "Drilling/app/context.h"
#include "Drilling/app/results.h"
#include "common/form.h"
#include "common/message_transport.h"

namespace drilling {

using common::MessageTransport;

// Message kinds.
constexpr int kKindError = -1;
constexpr int kKindList = 0;
constexpr int kKindInformation = 1;
constexpr int kKindWarning = 3;

constexpr const char* kBoxCaption = "Drilling";
constexpr const char* kNoMessageWindowText = "エラー：メッセージウィンドウが開けません。";

// Reads the message window identity from Relaypane.ini (ClassName, 31
// characters, default "DrillingMessage"; WindowName, 63 characters, default
// "穴明け加工メッセージ"; a default also replaces an empty value).
void ReadMessageWindowIdentity(Context& ctx);

// Mode 0 closes the message window, 1 starts it when it is not running, 2
// starts it or restores it. Always 0.
int StartMessageWindow(Context& ctx, int mode);

// Delivers the line in the message buffer; its box by kind (negative error,
// 1 information, 3 warning) after the line is listed. Returns `kind`, or -1
// when no message window could be reached (the line is then lost).
int ReportMessage(Context& ctx, common::Form* owner, int kind);

// Puts a line into the message buffer, cut to 1023 bytes of code page 932.
void SetMessage(Context& ctx, std::string_view text);

// SetMessage + ReportMessage.
int Report(Context& ctx, common::Form* owner, int kind, std::string_view text);

// The two ways a step fails. ReportError reports `text` now (kind -1, the
// box owned by `owner`); SetError leaves it in the message buffer for the
// caller, which reports it once (with ReportMessage) when the step's failure
// reaches it. Both return kFailed.
int ReportError(Context& ctx, common::Form* owner, std::string_view text);
int SetError(Context& ctx, std::string_view text);

// printf-style Report (%s widths in code page 932 bytes).
int ReportF(Context& ctx, common::Form* owner, int kind, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 4, 5)))
#endif
    ;

}  // namespace drilling
