// Checks of typed values before anything is written: a number field must
// hold a number (or nothing), and no text may carry a line break or NUL into
// a profile file, where it would start a new line of its own.
#pragma once

#include <cstddef>
#include <string_view>

#include "Drilling/app/context.h"
#include "Drilling/app/results.h"
#include "common/form.h"

namespace drilling {

// The results of CheckNumberText and ReadNumberField besides kFailed.
inline constexpr int kNumberGiven = 1;  // the text is a number: *value set
inline constexpr int kNumberBlank = 0;  // empty or blank: *value untouched

// The value of a number typed into a field or given as an argument.
// kNumberGiven: the text is a number (*value set). kNumberBlank: the text is
// empty or blank (its specified meaning applies; *value untouched).
// kFailed: anything else; the error naming the field has been reported
// (kind -1, box owned by `owner`).
int CheckNumberText(Context& ctx, common::Form* owner, std::string_view text,
                    std::string_view fieldName, double* value);

// CheckFitText, then CheckNumberText, on the whole text of control `id`: a
// number longer than the room of its field is refused, never cut.
int ReadNumberField(Context& ctx, common::Form& form, int id, std::size_t room,
                    std::string_view fieldName, double* value);

// kDone when the text fits a buffer of `room` bytes (room - 1 bytes of code page
// 932, the width it is stored and read back with); otherwise reports the
// error naming the field and the width, and returns -1. A value that is cut
// silently comes back as another value (another number, another offset).
int CheckFitText(Context& ctx, common::Form* owner, std::string_view text, std::size_t room,
                 std::string_view fieldName);

// The whole text of control `id` into *text when it holds no line break or
// NUL and fits `room` (kDone); otherwise the error naming the field is reported
// and kFailed returned.
int ReadTextField(Context& ctx, common::Form& form, int id, std::size_t room,
                  std::string_view fieldName, std::string* text);

// The whole text of a control (not cut to a buffer room).
std::string WholeText(const common::Form& form, int id);

// kDone when the text holds no CR, LF or NUL; otherwise reports the error naming
// the field and returns kFailed.
int CheckLineText(Context& ctx, common::Form* owner, std::string_view text,
                  std::string_view fieldName);

}  // namespace drilling
