#include "common/text.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "common/sjis.h"

namespace common {
namespace {

void AppendFormatted(std::string& out, const char* conversion, ...) {
  va_list ap;
  va_start(ap, conversion);
  char small[128];
  va_list copy;
  va_copy(copy, ap);
  int n = std::vsnprintf(small, sizeof small, conversion, copy);
  va_end(copy);
  if (n >= 0 && static_cast<std::size_t>(n) < sizeof small) {
    out.append(small, static_cast<std::size_t>(n));
  } else if (n >= 0) {
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), conversion, ap);
    big.resize(static_cast<std::size_t>(n));
    out += big;
  }
  va_end(ap);
}

}  // namespace

std::string FormatText(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::string out = FormatTextV(format, ap);
  va_end(ap);
  return out;
}

std::string FormatTextV(const char* format, va_list ap) {
  std::string out;
  const char* p = format;
  while (*p) {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    const char* start = p++;
    if (*p == '%') {
      out += '%';
      ++p;
      continue;
    }
    bool leftAlign = false;
    while (*p && std::strchr("-+ #0", *p)) {
      if (*p == '-') leftAlign = true;
      ++p;
    }
    int width = -1;
    if (*p == '*') {
      width = va_arg(ap, int);
      if (width < 0) {
        leftAlign = true;
        width = -width;
      }
      ++p;
    } else if (std::isdigit(static_cast<unsigned char>(*p))) {
      width = 0;
      while (std::isdigit(static_cast<unsigned char>(*p))) width = width * 10 + (*p++ - '0');
    }
    int precision = -1;
    if (*p == '.') {
      ++p;
      precision = 0;
      if (*p == '*') {
        precision = va_arg(ap, int);
        ++p;
      } else {
        while (std::isdigit(static_cast<unsigned char>(*p))) precision = precision * 10 + (*p++ - '0');
      }
    }
    // length modifier
    const char* lengthStart = p;
    while (*p && std::strchr("hljztL", *p)) ++p;
    std::string length(lengthStart, p);
    char conv = *p ? *p++ : '\0';
    // Rebuild the conversion without '*' so the C library never reads an
    // argument we already consumed.
    std::string conversion(start, lengthStart);
    if (conversion.find('*') != std::string::npos) {
      std::string flags;
      for (const char* q = start + 1; *q && std::strchr("-+ #0", *q); ++q) flags += *q;
      conversion = "%" + flags;
      if (leftAlign && flags.find('-') == std::string::npos) conversion += '-';
      if (width >= 0) conversion += std::to_string(width);
      if (precision >= 0) conversion += "." + std::to_string(precision);
    }
    conversion += length;
    conversion += conv;
    switch (conv) {
      case 's': {
        const char* s = va_arg(ap, const char*);
        std::string text = s ? s : "(null)";
        if (precision >= 0) text = CutToBytes(text, static_cast<std::size_t>(precision));
        std::size_t w = Cp932Width(text);
        std::string pad = width > 0 && w < static_cast<std::size_t>(width)
                              ? std::string(static_cast<std::size_t>(width) - w, ' ')
                              : std::string();
        out += leftAlign ? text + pad : pad + text;
        break;
      }
      case 'c':
        AppendFormatted(out, conversion.c_str(), va_arg(ap, int));
        break;
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X':
      case 'o':
        if (length == "ll" || length == "j") {
          AppendFormatted(out, conversion.c_str(), va_arg(ap, long long));
        } else if (length == "l") {
          AppendFormatted(out, conversion.c_str(), va_arg(ap, long));
        } else if (length == "z" || length == "t") {
          AppendFormatted(out, conversion.c_str(), va_arg(ap, std::size_t));
        } else {
          AppendFormatted(out, conversion.c_str(), va_arg(ap, int));
        }
        break;
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A':
        if (length == "L") {
          AppendFormatted(out, conversion.c_str(), va_arg(ap, long double));
        } else {
          AppendFormatted(out, conversion.c_str(), va_arg(ap, double));
        }
        break;
      case 'p':
        AppendFormatted(out, conversion.c_str(), va_arg(ap, void*));
        break;
      default:
        out.append(start, p);
        break;
    }
  }
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
  return ToLowerAscii(haystack).find(ToLowerAscii(needle)) != std::string::npos;
}

std::string ToUpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string ToLowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return TrimRight(s);
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

double ParseLeadingDouble(std::string_view text, std::size_t* consumed) {
  if (consumed) *consumed = 0;
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Only digits or a point may start the number: from_chars would also take
  // "inf" and "nan", which must never reach a file.
  std::string_view rest = text.substr(i);
  if (rest.empty() || !((rest[0] >= '0' && rest[0] <= '9') || rest[0] == '.')) return 0.0;
  // from_chars accepts neither a '+' nor blanks, and it is locale independent,
  // which strtod is not once a GUI library has set the user's locale.
  double value = 0;
  auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value,
                                   std::chars_format::general);
  std::size_t used = static_cast<std::size_t>(end - rest.data());
  if (used == 0) return 0.0;
  if (ec == std::errc::result_out_of_range) {
    // Underflow is zero; overflow is no number at all (never infinity).
    bool tiny = false;
    for (std::size_t k = 0; k < used; ++k) {
      char c = rest[k];
      if (c == 'e' || c == 'E') {
        tiny = k + 1 < used && rest[k + 1] == '-';
        break;
      }
    }
    if (!tiny) return 0.0;
    value = 0.0;
  }
  if (consumed) *consumed = i + used;
  return negative ? -value : value;
}

bool ParseNumber(std::string_view text, double* value) {
  std::string_view t = Trim(text);
  std::size_t used = 0;
  double v = ParseLeadingDouble(t, &used);
  if (used == 0 || used != t.size()) return false;
  if (value) *value = v;
  return true;
}

int ParseLeadingInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long v = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
    ++i;
  }
  if (negative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  return static_cast<int>(v);
}

bool ParseDigits(std::string_view text, long long* value) {
  if (text.empty() || text.size() > 18) return false;
  long long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (value) *value = v;
  return true;
}

bool ParseWholeNumber(std::string_view text, long long* value) {
  std::string_view t = Trim(text);
  bool negative = !t.empty() && t.front() == '-';
  if (!t.empty() && (t.front() == '+' || t.front() == '-')) t.remove_prefix(1);
  long long v = 0;
  if (!ParseDigits(t, &v)) return false;
  if (value) *value = negative ? -v : v;
  return true;
}

int LeadingDigitsValue(std::string_view text) {
  long long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    v = v * 10 + (c - '0');
    if (v > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(v);
}

std::string PrintableBytes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F) {
      out += c;
    } else {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  return out;
}

}  // namespace common
