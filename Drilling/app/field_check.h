// Checks of typed values before anything is written: a number field must
// hold a number (or nothing), and no text may carry a line break or NUL into
// a profile file, where it would start a new line of its own.
#pragma once

#include <cstddef>
#include <string_view>

#include "Drilling/app/context.h"
#include "common/form.h"

namespace drilling {

// The value of a number typed into a field or given as an argument.
// 1: the text is a number (*value set). 0: the text is empty or blank (its
// specified meaning applies; *value untouched). -1: anything else; the error
// naming the field has been reported (kind -1, box owned by `owner`).
int CheckNumberText(Context& ctx, common::Form* owner, std::string_view text,
                    std::string_view fieldName, double* value);

// CheckNumberText on the text of control `id` as a buffer of `room` bytes
// receives it.
int ReadNumberField(Context& ctx, common::Form& form, int id, std::size_t room,
                    std::string_view fieldName, double* value);

// 0 when the text holds no CR, LF or NUL; otherwise reports the error naming
// the field and returns -1.
int CheckLineText(Context& ctx, common::Form* owner, std::string_view text,
                  std::string_view fieldName);

}  // namespace drilling
