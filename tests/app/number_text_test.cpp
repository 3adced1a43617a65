#include "Drilling/app/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

using drilling::FormatNumber;
using drilling::NumberTextKey;
using drilling::NormalizeNumberText;

TEST(FormatNumber, KeepsOrDropsTheBarePoint) {
  EXPECT_EQ(FormatNumber(12.5, 1), "12.5");
  EXPECT_EQ(FormatNumber(12, 1), "12.");
  EXPECT_EQ(FormatNumber(12, 0), "12");
  EXPECT_EQ(FormatNumber(0, 3), "0.");
  EXPECT_EQ(FormatNumber(0, 0), "0");
  EXPECT_EQ(FormatNumber(12.5, 0), "12.5");
  EXPECT_EQ(FormatNumber(100, 1), "100.") << "zeros before the point stay";
  EXPECT_EQ(FormatNumber(100, 0), "100");
  EXPECT_EQ(FormatNumber(-2.25, 1), "-2.25");
  EXPECT_EQ(FormatNumber(1234.5678, 1), "1234.568");
}

TEST(FormatNumber, RoundsInTwoStagesHalfAwayFromZero) {
  EXPECT_EQ(FormatNumber(0.0625, 1), "0.063") << "a print that rounds halves to even gives 0.062";
  EXPECT_EQ(FormatNumber(-0.0625, 1), "-0.063");
  EXPECT_EQ(FormatNumber(1.0005, 1), "1.") << "the stored double lies just below the half";
  EXPECT_EQ(FormatNumber(0.0005, 1), "0.001");
  EXPECT_EQ(FormatNumber(0.0004, 1), "0.");
  EXPECT_EQ(FormatNumber(0.0004, 0), "0");
  EXPECT_EQ(FormatNumber(-0.0004, 1), "-0.") << "the minus sign of the print stays";
  EXPECT_EQ(FormatNumber(-0.0001, 1), "-0.");
  EXPECT_EQ(FormatNumber(9.9995, 1), "9.999") << "stored as 9.99949999...";
  EXPECT_EQ(FormatNumber(9.9996, 1), "10.");
  EXPECT_EQ(FormatNumber(999.9999, 0), "1000");
  EXPECT_EQ(FormatNumber(2.675, 1), "2.675");
  EXPECT_EQ(FormatNumber(1e-300, 1), "0.");
}

TEST(FormatNumber, ExtremeValuesGiveClearTexts) {
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN(), 1), "nan");
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity(), 1), "inf");
  EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::infinity(), 0), "-inf");
  std::string big = FormatNumber(1e300, 1);
  EXPECT_EQ(big.size(), 302u);
  EXPECT_EQ(big.substr(0, 18), "100000000000000010") << "17 significant digits, then zeros";
  EXPECT_EQ(big.substr(18, 10), "0000000000");
  EXPECT_EQ(big.back(), '.');
  EXPECT_EQ(FormatNumber(-1e20, 0), "-100000000000000000000");
}

TEST(NormalizeNumberText, RewritesTypedText) {
  EXPECT_EQ(NormalizeNumberText("3.14159"), "3.142");
  EXPECT_EQ(NormalizeNumberText("12abc"), "12.");
  EXPECT_EQ(NormalizeNumberText(""), "0.");
  EXPECT_EQ(NormalizeNumberText("letters"), "0.");
  EXPECT_EQ(NormalizeNumberText("  -7.50"), "-7.5");
  EXPECT_EQ(NormalizeNumberText("1e2"), "100.");
  EXPECT_EQ(NormalizeNumberText("12.50"), "12.5");
}

TEST(FormatFixed, KeepsEveryDecimalAndRoundsLikeFormatNumber) {
  using drilling::FormatFixed;
  EXPECT_EQ(FormatFixed(6.0625, 3), "6.063");
  EXPECT_EQ(FormatFixed(2.25, 1), "2.3");
  EXPECT_EQ(FormatFixed(0.125, 2), "0.13");
  EXPECT_EQ(FormatFixed(-0.0004, 3), "-0.000");
  EXPECT_EQ(FormatFixed(100, 3), "100.000");
  EXPECT_EQ(FormatFixed(9.96, 1), "10.0");
  EXPECT_EQ(FormatFixed(7.6, 0), "8");
}

// The read-back check compares numbers by their key instead of their text:
// the key must tell apart exactly the values whose texts differ, halves,
// the two-stage rounding, "-0." and texts beyond any length included.
TEST(NumberKey, EqualExactlyWhenTheTextsAreEqual) {
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<double> values = {0,       -0.0,    0.0004,  -0.0004,          0.0005,  -0.0005, 1.0005,
                                2.675,   9.9995,  9.9996,  0.0625,           -0.0625, 12.3456, 12.3455,
                                1e-300,  1e8,     1e11,    1e12 - 0.0004,    1e12,    1e15,    1e300,
                                -1e300,  inf,     -inf,    std::nan(""),     99999999.9995};
  for (double scale : {1.0, 1e3, 1e7, 1e9})
    for (int k = -400; k <= 400; ++k) {
      const double half = (k + 0.5) * 0.001 * scale;
      values.insert(values.end(), {half, std::nextafter(half, inf), std::nextafter(half, -inf), half + 1e-9 * scale});
    }
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double a = values[i];
    const std::string text = FormatNumber(a, 1);
    const NumberTextKey key = drilling::NumberKey(a);
    // The same value as a program holds it once written and read back.
    if (std::isfinite(a)) {
      EXPECT_EQ(key, drilling::NumberKey(std::strtod(text.c_str(), nullptr))) << text;
    }
    // Against its neighbour in the list, and every one of the first 26.
    for (std::size_t j = i < 26 ? 0 : i - 1; j <= i; ++j) {
      const double b = values[j];
      EXPECT_EQ(key == drilling::NumberKey(b), text == FormatNumber(b, 1)) << text << " / " << FormatNumber(b, 1);
    }
  }
}
