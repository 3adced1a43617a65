#include "Drilling/app/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using drilling::FormatNumber;
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
