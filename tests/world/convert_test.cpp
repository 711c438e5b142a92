#include "world/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "world/rounding.h"

namespace world {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(Round(0.5), 0);
  EXPECT_EQ(Round(1.5), 2);
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(-0.5), 0);
  EXPECT_EQ(Round(-1.5), -2);
  EXPECT_EQ(Round(115.666), 116);
  EXPECT_EQ(Round(63.5), 64);
  EXPECT_EQ(Round(23.2), 23);
  EXPECT_EQ(Round(4.5), 4);
  EXPECT_EQ(Round(1e17 + 0.0), 100000000000000000LL);
  EXPECT_EQ(Round(-6e63), INT64_MIN);
  EXPECT_EQ(Round(1e300), INT64_MAX);
  EXPECT_EQ(Round(std::nan("")), 0);
}

TEST(StrToInt, AcceptsSignAndDigitsOnly) {
  EXPECT_EQ(StrToInt("12000"), 12000);
  EXPECT_EQ(StrToInt("-20"), -20);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
  for (const char* bad : {"", " 1", "1 ", "1,0", "1.0", "abc", "-", "2147483648", "1e3", "0x10"}) {
    EXPECT_FALSE(IsInteger(bad)) << bad;
  }
}

TEST(StrToInt, ReportsTheConversionMessage) {
  try {
    StrToInt("");
    FAIL();
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "'' ist kein gültiger Integerwert");
  }
  try {
    StrToInt("12a");
    FAIL();
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "'12a' ist kein gültiger Integerwert");
  }
}

TEST(StrToFloat, ReadsTheDecimalComma) {
  EXPECT_DOUBLE_EQ(StrToFloat("-1,00"), -1.0);
  EXPECT_DOUBLE_EQ(StrToFloat("+1,00"), 1.0);
  EXPECT_DOUBLE_EQ(StrToFloat("0,33"), 0.33);
  EXPECT_DOUBLE_EQ(StrToFloat("8"), 8.0);
  EXPECT_DOUBLE_EQ(StrToFloat(",5"), 0.5);
  EXPECT_DOUBLE_EQ(StrToFloat("1,5E2"), 150.0);
  for (const char* bad : {"", "0.33", "1,2,3", "abc", "+", ",", "1e", "1e999", "nan", "inf"}) {
    EXPECT_FALSE(IsFloat(bad)) << bad;
  }
  try {
    StrToFloat("0.33");
    FAIL();
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "'0.33' ist kein gültiger Gleitkommawert");
  }
}

TEST(FloatToText, WritesGeneralFormatWithComma) {
  EXPECT_EQ(FloatToText(-1.0), "-1");
  EXPECT_EQ(FloatToText(-1.0 + 0.4), "-0,6");
  EXPECT_EQ(FloatToText(-1.0 + 2 * 0.4), "-0,2");
  EXPECT_EQ(FloatToText(-1.0 + 3 * 0.4), "0,2");
  EXPECT_EQ(FloatToText(1.0), "1");
  EXPECT_EQ(FloatToText(0.0), "0");
  EXPECT_EQ(FloatToText(-0.0), "0");
}

TEST(FormatTwoDecimals, RoundsThenDropsTrailingZeros) {
  EXPECT_EQ(FormatTwoDecimals(2.0 / 6.0), "0,33");
  EXPECT_EQ(FormatTwoDecimals(12.5), "12,5");
  EXPECT_EQ(FormatTwoDecimals(33.3333), "33,33");
  EXPECT_EQ(FormatTwoDecimals(0.0), "0");
  EXPECT_EQ(FormatTwoDecimals(100.0, '.'), "100");
  EXPECT_EQ(FormatTwoDecimals(-0.001), "0");
  EXPECT_EQ(FormatTwoDecimals(-12.05), "-12,05");
  EXPECT_EQ(FormatTwoDecimals(0.125), "0,12");
}

// The digits are written without printf; they must be what the general
// format of the rounded value gives, for every hundredth far beyond percents.
TEST(FormatTwoDecimals, WritesWhatTheGeneralFormatWrites) {
  auto general = [](double value) {
    double rounded = RoundHalfEven(value / 0.01) * 0.01;
    if (rounded == 0) rounded = 0;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", rounded);
    std::string text(buffer);
    for (char& c : text) {
      if (c == '.') c = ',';
    }
    return text;
  };
  for (int n = -200000; n <= 200000; ++n) {
    const double value = n / 100.0;
    ASSERT_EQ(FormatTwoDecimals(value), general(value)) << n;
    ASSERT_EQ(FormatTwoDecimals(value + 0.004), general(value + 0.004)) << n;
  }
  for (double value : {9999999.994, 9999999.996, 123456789.125, -123456789.125, 1e12 / 3, 1e300, -1e-300,
                       std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(FormatTwoDecimals(value), general(value)) << value;
  }
}

}  // namespace
}  // namespace world
