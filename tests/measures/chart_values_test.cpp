#include "measures/chart_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace measures {
namespace {

TEST(FormatValue, GroupsThousandsAndKeepsOneDecimal) {
  EXPECT_EQ(FormatValue(1234.56), "1,234.6");
  EXPECT_EQ(FormatValue(1234567), "1,234,567");
  EXPECT_EQ(FormatValue(123456.7), "123,456.7");
  EXPECT_EQ(FormatValue(999), "999");
  EXPECT_EQ(FormatValue(0.5), "0.5");
}

TEST(FormatValue, DropsAZeroDecimal) {
  EXPECT_EQ(FormatValue(2), "2");
  EXPECT_EQ(FormatValue(3.04), "3");
  EXPECT_EQ(FormatValue(0), "0");
}

TEST(FormatValue, RoundsToTenthsBeforeGrouping) {
  EXPECT_EQ(FormatValue(999.96), "1,000");  // the carry reaches a new group
  EXPECT_EQ(FormatValue(9.96), "10");
  EXPECT_EQ(FormatValue(-12.25), "-12.3");  // halves away from zero
}

TEST(FormatValue, AValueThatRoundsToZeroHasNoSign) {
  EXPECT_EQ(FormatValue(-0.04), "0");
  EXPECT_EQ(FormatValue(-0.0), "0");
  EXPECT_EQ(FormatValue(-0.05), "-0.1");
  EXPECT_EQ(FormatValue(-1234.5), "-1,234.5");
}

TEST(FormatValue, NamesValuesThatAreNotNumbers) {
  EXPECT_EQ(FormatValue(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(FormatValue(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(FormatValue(std::nan("")), "nan");
}

}  // namespace
}  // namespace measures
