// Number settings of section NCFORMAT of Drilling.ini: where every process
// block of an NC program starts and where the program ends (StartX, StartY),
// and the approach height (StartZ). The NC writer and the hole order read
// them through here, so both see the same start.
#pragma once

#include <string>
#include <string_view>

#include "Drilling/app/context.h"

namespace drilling {

// The error of a number of NCFORMAT that is not one: key, then the start of
// the value.
inline constexpr const char* kNcFormatNotNumberFormat = "エラー：NCFORMAT の %s [%s] は数値ではありません。";

// A number of NCFORMAT: `def` when the key is absent or empty. False, with
// the error text (Japanese) in `error`, for a value that is not a number or
// is wider than the 15 bytes it is read with: written as 0 it would move the
// tool somewhere never asked for.
bool ReadNcFormatNumber(const Context& ctx, std::string_view key, std::string_view def, double& value,
                        std::string& error);

// StartX and StartY (default 0, the work origin), in millimetres of the work
// coordinates.
bool ReadNcStartXY(const Context& ctx, double& xMm, double& yMm, std::string& error);

}  // namespace drilling
