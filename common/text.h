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

// Bytes as they may be printed: printable ASCII as is, every other byte as
// \xHH, so no raw byte of a file read reaches a terminal, a log or a list.
std::string PrintableBytes(std::string_view bytes);

// Blanks as the profile functions see them: space, tab, CR, LF, VT, FF.
bool IsBlank(char c);
std::string_view Trim(std::string_view s);
std::string_view TrimRight(std::string_view s);

// The decimal conversion of the system, independent of the process locale:
// leading white space, optional sign, digits with at most one point, an
// optional exponent; stops at the first character that does not fit. Text
// without such a number gives 0 with nothing consumed; so do "inf", "nan"
// and a number too large for a double: the result is always finite.
// `consumed` (optional) gets the number of characters used.
double ParseLeadingDouble(std::string_view text, std::size_t* consumed = nullptr);

// The whole text (blanks around it allowed) is one such number: sets *value
// and returns true. False for empty text, trailing characters, "inf", "nan"
// and values out of the double range.
bool ParseNumber(std::string_view text, double* value);

// atoi: optional blanks and sign, then leading digits; saturates at the int range.
int ParseLeadingInt(std::string_view text);

// The whole text is 1 to 18 ASCII digits, nothing else (no sign, blank,
// point or exponent): sets *value and returns true.
bool ParseDigits(std::string_view text, long long* value);

// A whole number as typed for a count: blanks around allowed, an optional
// sign, then 1 to 18 digits and nothing else ("1e1", "2.", "0x10" are not).
bool ParseWholeNumber(std::string_view text, long long* value);

// The value of the leading decimal digits only (no sign, no blanks): the
// rule of the profile integer read. Saturates at INT_MAX.
int LeadingDigitsValue(std::string_view text);

}  // namespace common
