#include "Drilling/app/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/text.h"

namespace drilling {

std::string FormatFixed(double value, int decimals) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  if (decimals < 0) decimals = 0;

  // Stage one: 17 significant digits, correctly rounded. to_chars, not the C
  // library, whose decimal point follows the process locale.
  char sci[40];
  auto [end, ec] = std::to_chars(sci, sci + sizeof sci, std::fabs(value), std::chars_format::scientific, 16);
  if (ec != std::errc()) return "0";
  // sci = "d.dddddddddddddddde[+-]xx": digits[k] has weight 10^(exponent - k).
  std::string digits(1, sci[0]);
  digits.append(sci + 2, 16);
  const char* e = std::find(sci, end, 'e');
  const int exponent =
      e == end ? 0 : common::ParseLeadingInt(std::string_view(e + 1, static_cast<std::size_t>(end - e - 1)));

  // Keep the digits down to weight 10^-decimals, then round at the next one.
  const int keep = exponent + 1 + decimals;
  std::string kept;
  bool roundUp = false;
  if (keep <= 0) {
    roundUp = keep == 0 && digits[0] >= '5';
  } else {
    for (int k = 0; k < keep; ++k)
      kept += k < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(k)] : '0';
    roundUp = keep < static_cast<int>(digits.size()) && digits[static_cast<std::size_t>(keep)] >= '5';
  }
  // kept holds the magnitude in units of the last decimal; pad it so that it
  // has an integer digit.
  const std::size_t fraction = static_cast<std::size_t>(decimals);
  if (kept.size() < fraction + 1) kept.insert(0, fraction + 1 - kept.size(), '0');
  if (roundUp) {
    std::size_t i = kept.size();
    while (i > 0) {
      --i;
      if (kept[i] != '9') {
        ++kept[i];
        break;
      }
      kept[i] = '0';
      if (i == 0) kept = '1' + kept;
    }
  }
  const std::size_t intLen = kept.size() - fraction;
  std::size_t first = 0;
  while (first + 1 < intLen && kept[first] == '0') ++first;
  std::string text;
  if (std::signbit(value)) text += '-';  // as the print does, also for a negative value that rounds to zero
  text.append(kept, first, intLen - first);
  if (fraction > 0) {
    text += '.';
    text.append(kept, intLen, fraction);
  }
  return text;
}

std::string FormatNumber(double value, int pointFlag) {
  std::string text = FormatFixed(value, 3);
  if (std::isnan(value) || std::isinf(value)) return text;
  // Trailing zeros, then a bare point when it is not wanted. Index 0 is never
  // removed; the walk stops at the point or at a non-zero decimal.
  std::size_t i = text.size() - 1;
  while (i > 0) {
    if (text[i] == '0') {
      text.erase(i);
      --i;
      continue;
    }
    if (text[i] == '.' && pointFlag == 0) text.erase(i);
    break;
  }
  return text;
}

namespace {

// The key of a text of FormatFixed(value, 3).
NumberTextKey KeyOfText(const std::string& text) {
  NumberTextKey key;
  const bool minus = !text.empty() && text[0] == '-';
  const std::size_t point = text.find('.');
  const std::size_t digits = point == std::string::npos ? 0 : point - (minus ? 1 : 0);
  if (point == std::string::npos || digits > 12 || text.size() != point + 4) {
    key.text = text;
    return key;
  }
  std::int64_t whole = 0;
  for (std::size_t i = minus ? 1 : 0; i < text.size(); ++i)
    if (i != point) whole = whole * 10 + (text[i] - '0');
  key.thousandths = minus ? -whole : whole;
  key.minus = minus;
  return key;
}

}  // namespace

NumberTextKey NumberKey(double value) {
  const double scaled = value * 1000.0;
  // Below 1e11 thousandths the product's error and the 17-digit stage of the
  // print are both below 1e-4 thousandths: away from a half, rounding the
  // product gives the text's last digit. Near a half (or far out, or not a
  // number) the text itself decides.
  if (std::fabs(scaled) < 1e11) {
    const double whole = std::trunc(scaled);
    const double part = std::fabs(scaled - whole);
    if (std::fabs(part - 0.5) > 1e-3) {
      NumberTextKey key;
      key.thousandths = static_cast<std::int64_t>(part > 0.5 ? whole + std::copysign(1.0, scaled) : whole);
      key.minus = std::signbit(value);
      return key;
    }
  }
  return KeyOfText(FormatFixed(value, 3));
}

std::string NormalizeNumberText(std::string_view text) {
  return FormatNumber(common::ParseLeadingDouble(text), 3);
}

}  // namespace drilling
