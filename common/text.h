// Small text helpers shared by both programs. All texts are UTF-8.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

namespace common {

// printf-style formatting where the width and precision of %s count code
// page 932 bytes, as they do in the files and lists this system writes
// ("%16s" pads a Japanese word of six characters with four blanks). Every
// other conversion is the C library's. Never cut: callers cut explicitly.
std::string FormatText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
std::string FormatTextV(const char* format, va_list args);

// ASCII case-insensitive equality (the way section, key and kind names compare).
bool EqualsNoCase(std::string_view a, std::string_view b);
// ASCII case-insensitive substring test.
bool ContainsNoCase(std::string_view haystack, std::string_view needle);
std::string ToUpperAscii(std::string_view s);
std::string ToLowerAscii(std::string_view s);

// Blanks as the profile functions see them: space, tab, CR, LF, VT, FF.
bool IsBlank(char c);
std::string_view Trim(std::string_view s);
std::string_view TrimRight(std::string_view s);

// The standard decimal conversion, independent of the process locale:
// leading white space, optional sign, digits with an optional point, an
// optional exponent, "inf"/"nan"; stops at the first character that does not
// fit; text without a number gives 0. `consumed` (optional) gets the number
// of characters used (0 when there is no number).
double ParseLeadingDouble(std::string_view text, std::size_t* consumed = nullptr);

// atoi: optional blanks and sign, then leading digits; saturates at the int range.
int ParseLeadingInt(std::string_view text);

// The value of the leading decimal digits only (no sign, no blanks): the
// rule of the profile integer read. Saturates at INT_MAX.
int LeadingDigitsValue(std::string_view text);

}  // namespace common
