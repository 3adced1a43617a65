#include "Drilling/app/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/text.h"

namespace drilling {

std::string FormatNumber(double value, int pointFlag) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";

  // Stage one: 17 significant digits, correctly rounded.
  char sci[40];
  std::snprintf(sci, sizeof sci, "%.16e", std::fabs(value));
  // sci = "d.dddddddddddddddde[+-]xx"
  std::string digits;
  digits += sci[0];
  digits.append(sci + 2, 16);
  int exponent = std::atoi(sci + 19);

  // Digits of the magnitude: digits[k] has weight 10^(exponent - k).
  // Keep the digits down to weight 10^-3, then round at the next one.
  int keep = exponent + 4;  // number of digits with weight >= 10^-3
  std::string kept;         // those digits, possibly empty
  bool roundUp = false;
  if (keep <= 0) {
    roundUp = keep == 0 && digits[0] >= '5';
  } else {
    for (int k = 0; k < keep; ++k) kept += k < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(k)] : '0';
    roundUp = keep < static_cast<int>(digits.size()) && digits[static_cast<std::size_t>(keep)] >= '5';
  }
  // kept holds the magnitude in thousandths; pad to at least four digits so
  // that it has an integer digit.
  if (kept.size() < 4) kept.insert(0, 4 - kept.size(), '0');
  if (roundUp) {
    std::size_t i = kept.size();
    while (i > 0) {
      --i;
      if (kept[i] == '9') {
        kept[i] = '0';
      } else {
        ++kept[i];
        break;
      }
      if (i == 0) kept = '1' + kept;
    }
  }
  // Strip leading zeros of the integer part (keep one).
  std::size_t intLen = kept.size() - 3;
  std::size_t firstNonZero = 0;
  while (firstNonZero + 1 < intLen && kept[firstNonZero] == '0') ++firstNonZero;
  std::string text;
  if (std::signbit(value)) text += '-';
  text.append(kept, firstNonZero, intLen - firstNonZero);
  text += '.';
  text.append(kept, intLen, 3);

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

std::string NormalizeNumberText(std::string_view text) {
  return FormatNumber(common::ParseLeadingDouble(text), 3);
}

}  // namespace drilling
