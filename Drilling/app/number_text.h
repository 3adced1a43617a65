// The number text rule: how every real number of the system (coordinates,
// sizes, NC words) looks as text. At most three decimals, trailing zeros
// removed, the decimal point kept or removed when nothing follows it.
#pragma once

#include <string>
#include <string_view>

namespace drilling {

// "%.3f" of the value with the two-stage rounding of the platform print (17
// significant digits correctly rounded, then half away from zero at the third
// decimal), trailing zeros removed; a bare point kept when pointFlag is not
// zero. 12 -> "12." (kept) or "12"; 0.0625 -> "0.063"; -0.0004 -> "-0.".
// NaN and infinities give "nan", "inf", "-inf". The text is never cut; a
// caller with a fixed width decides what to do with a longer one.
std::string FormatNumber(double value, int pointFlag);

// "%.<decimals>f" with the same two-stage rounding, nothing removed; for the
// fixed-decimal texts of other files (TRYCUT numbers, for instance). Locale
// independent.
std::string FormatFixed(double value, int decimals);

// Re-writes typed text in number text form with the point kept: the leading
// number of the text (standard decimal conversion, 0 when there is none).
std::string NormalizeNumberText(std::string_view text);

}  // namespace drilling
