#include "common/sjis.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "common/text.h"

using namespace common;

TEST(Cp932, RoundTripsJapaneseAndTrailBytesThatLookLikeAscii) {
  // ソ and 表 end in 0x5C (backslash); 能 in 0x5C too.
  const std::string text = "表題ソ能 ｶﾀｶﾅ ＭＳ ゴシック \\~";
  std::string bytes = Utf8ToCp932(text);
  EXPECT_EQ(bytes.substr(0, 2), "\x95\x5C");
  EXPECT_TRUE(IsValidCp932(bytes));
  EXPECT_EQ(Cp932ToUtf8(bytes), text);
  EXPECT_EQ(Cp932Width("ｶﾀｶﾅ"), 4u) << "half-width katakana are single bytes";
  EXPECT_EQ(Cp932Width("表題"), 4u);
}

TEST(Cp932, InvalidInputNeverOverrunsAndMarksEachBadByte) {
  EXPECT_EQ(Cp932ToUtf8("\x81"), "\xEF\xBF\xBD");       // lead byte at the end
  EXPECT_EQ(Cp932ToUtf8("a\x81\x20"), "a\xEF\xBF\xBD ");  // lead byte with an invalid trail
  EXPECT_FALSE(IsValidCp932("\x81"));
  EXPECT_EQ(Utf8ToCp932("x😀y"), "x?y") << "characters outside the code page become '?'";
  EXPECT_EQ(Utf8ToCp932("\xC3"), "?") << "malformed UTF-8";
}

TEST(Cp932, CutsNeverSplitACharacter) {
  EXPECT_EQ(CutToBytes("ab表題", 3), "ab");
  EXPECT_EQ(CutToBytes("ab表題", 4), "ab表");
  EXPECT_EQ(CutToBytes("ab表題", 100), "ab表題");
  EXPECT_EQ(CutToRoom("ab表題", 5), "ab表");
  EXPECT_EQ(CutToRoom("abc", 0), "");
}

TEST(FormatText, WidthsCountCodePageBytes) {
  EXPECT_EQ(FormatText("%16s ： %s", "ＮＣファイル", "O1234.nc"), "    ＮＣファイル ： O1234.nc");
  EXPECT_EQ(FormatText("[%-6s]", "表"), "[表    ]");
  EXPECT_EQ(FormatText("%.3s|", "表題"), "表|");
  EXPECT_EQ(FormatText("%02d%02d %5.1f %c %%", 9, 5, 2.25, 'x'), "0905   2.2 x %");
  EXPECT_EQ(FormatText("%*d|%-*s|", 4, 7, 3, "a"), "   7|a  |");
}

TEST(ParseNumbers, BehaveLikeTheCLibraryWithoutItsLocale) {
  std::size_t used = 0;
  EXPECT_DOUBLE_EQ(ParseLeadingDouble("  +1.5e3xyz", &used), 1500.0);
  EXPECT_EQ(used, 8u);
  EXPECT_DOUBLE_EQ(ParseLeadingDouble(".5"), 0.5);
  EXPECT_DOUBLE_EQ(ParseLeadingDouble("-12."), -12.0);
  EXPECT_DOUBLE_EQ(ParseLeadingDouble("abc", &used), 0.0);
  EXPECT_EQ(used, 0u);
  EXPECT_DOUBLE_EQ(ParseLeadingDouble("--5"), 0.0);
  EXPECT_DOUBLE_EQ(ParseLeadingDouble("1e999", &used), 0.0);  // no infinity, ever
  EXPECT_EQ(used, 0u);
  EXPECT_DOUBLE_EQ(ParseLeadingDouble("1e-999"), 0.0);
  EXPECT_EQ(ParseLeadingInt(" -42abc"), -42);
  EXPECT_EQ(ParseLeadingInt("99999999999"), INT_MAX);
  EXPECT_EQ(LeadingDigitsValue("12ab"), 12);
  for (const char* notANumber : {"nan", "inf", "-infinity", "+NAN(1)", "INF5"}) {
    EXPECT_DOUBLE_EQ(ParseLeadingDouble(notANumber, &used), 0.0) << notANumber;
    EXPECT_EQ(used, 0u) << notANumber;
  }
  EXPECT_EQ(LeadingDigitsValue("-1"), 0);
}

TEST(ParseNumbers, AWholeNumberIsSignDigitsOnePointAndExponent) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  };
  const Case cases[] = {
      {" 12.5 ", true, 12.5}, {"-0.5", true, -0.5}, {"+3", true, 3}, {".5", true, 0.5},
      {"7.", true, 7},        {"1e3", true, 1000},  {"1E-2", true, 0.01},
      {"", false, 0},         {"  ", false, 0},     {"abc", false, 0}, {"12a", false, 0},
      {"1.2.3", false, 0},    {"nan", false, 0},    {"inf", false, 0}, {"-inf", false, 0},
      {"1e999", false, 0},    {".", false, 0},      {"+-1", false, 0}, {"0x10", false, 0},
      {"５０", false, 0},     {"1 2", false, 0},
  };
  for (const Case& c : cases) {
    double v = -99;
    EXPECT_EQ(ParseNumber(c.text, &v), c.ok) << c.text;
    if (c.ok) EXPECT_DOUBLE_EQ(v, c.value) << c.text;
  }
}
