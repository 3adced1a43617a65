// The number text rule: how every real number of the system (coordinates,
// sizes, NC words) looks as text. At most three decimals, trailing zeros
// removed, the decimal point kept or removed when nothing follows it.
#pragma once

#include <cstdint>
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

// A number as its text compares: two values have equal keys exactly when
// FormatNumber writes them alike (pointFlag alike), without forming the
// text for most of them. For comparing many numbers as a program holds them.
struct NumberTextKey {
  std::int64_t thousandths = 0;  // the value of the text in units of its third decimal
  bool minus = false;            // "-0." is not "0."
  std::string text;              // a text too long for thousandths ("nan", "1e300"'s), else empty
  bool operator==(const NumberTextKey&) const = default;
};
NumberTextKey NumberKey(double value);

// Re-writes typed text in number text form with the point kept: the leading
// number of the text (standard decimal conversion, 0 when there is none).
std::string NormalizeNumberText(std::string_view text);

}  // namespace drilling
