#include "measures/chart_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace measures {
namespace {

TEST(FormatValue, GroupsThousandsAndRoundsToTenths) {
  EXPECT_EQ(FormatValue(1234.56), "1,234.6");
  EXPECT_EQ(FormatValue(1234567), "1,234,567");
  EXPECT_EQ(FormatValue(2), "2");           // no trailing zero
  EXPECT_EQ(FormatValue(999.96), "1,000");  // the carry reaches a new group
  EXPECT_EQ(FormatValue(-12.25), "-12.3");  // halves away from zero
  EXPECT_EQ(FormatValue(-0.04), "0");       // no sign on what rounds to zero
  EXPECT_EQ(FormatValue(-1234.5), "-1,234.5");
}

TEST(FormatValue, NamesValuesThatAreNotNumbers) {
  EXPECT_EQ(FormatValue(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(FormatValue(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(FormatValue(std::nan("")), "nan");
}

}  // namespace
}  // namespace measures
