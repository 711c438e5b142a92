#include "measures/axis_range.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace measures {
namespace {

TEST(NiceStep, IsOneTwoOrFiveTimesAPowerOfTen) {
  EXPECT_DOUBLE_EQ(NiceStep(10, 5), 2);     // 2 exactly
  EXPECT_DOUBLE_EQ(NiceStep(7, 2), 5);      // 3.5 up to 5
  EXPECT_DOUBLE_EQ(NiceStep(600, 5), 200);  // 120 up to 200
  EXPECT_DOUBLE_EQ(NiceStep(61, 10), 10);   // 6.1 up to 10
  EXPECT_DOUBLE_EQ(NiceStep(2, 5), 0.5);    // 0.4 up to 0.5
}

TEST(NiceStep, IsOneWithoutASpanOrParts) {
  EXPECT_EQ(NiceStep(0, 5), 1);
  EXPECT_EQ(NiceStep(-3, 5), 1);
  EXPECT_EQ(NiceStep(10, 0), 1);
  EXPECT_EQ(NiceStep(std::nan(""), 5), 1);
}

TEST(LabelParts, OneLabelPer40PixelsUpThe30Along) {
  EXPECT_DOUBLE_EQ(LabelParts(260, true), 5);    // 200 pixels of axis
  EXPECT_DOUBLE_EQ(LabelParts(380, false), 10);  // 300 pixels of axis
  EXPECT_DOUBLE_EQ(LabelParts(0, true), 2);      // never fewer than two
  EXPECT_DOUBLE_EQ(LabelParts(50, false), 2);
}

TEST(LinearAxisRange, DataAxesWidenToWholeSteps) {
  const AxisRange r = LinearAxisRange(0.3, 9.2, 5, 0, true);
  EXPECT_DOUBLE_EQ(r.Step, 2);
  EXPECT_DOUBLE_EQ(r.Min, 0);
  EXPECT_DOUBLE_EQ(r.Max, 10);
  const AxisRange below = LinearAxisRange(-7, -1, 3, 0, true);
  EXPECT_DOUBLE_EQ(below.Step, 2);
  EXPECT_DOUBLE_EQ(below.Min, -8);
  EXPECT_DOUBLE_EQ(below.Max, 0);
}

TEST(LinearAxisRange, FixedAndZoomedRangesKeepTheirEnds) {
  const AxisRange r = LinearAxisRange(0.3, 9.2, 5, 0, false);
  EXPECT_EQ(r.Min, 0.3);
  EXPECT_EQ(r.Max, 9.2);
  EXPECT_DOUBLE_EQ(r.Step, 2);
}

TEST(LinearAxisRange, AGivenStepIsRaisedToAWholeMultiple) {
  EXPECT_DOUBLE_EQ(LinearAxisRange(0, 100, 5, 3, false).Step, 21);  // 20 would not be a multiple of 3
  EXPECT_DOUBLE_EQ(LinearAxisRange(0, 100, 5, 1, false).Step, 20);
  EXPECT_DOUBLE_EQ(LinearAxisRange(0, 2, 5, 1, false).Step, 1);  // 0.5 would fall between the units
}

TEST(LinearAxisRange, ASingleValueGetsAUnitEachSide) {
  const AxisRange r = LinearAxisRange(5, 5, 5, 0, true);
  EXPECT_DOUBLE_EQ(r.Min, 4);
  EXPECT_DOUBLE_EQ(r.Max, 6);
  EXPECT_DOUBLE_EQ(r.Step, 0.5);
}

TEST(LinearAxisRange, AZoomBeyondWhatDoublesTellApartStaysReadable) {
  const AxisRange r = LinearAxisRange(1e12, 1e12 + 1e-3, 5, 0, false);
  EXPECT_GE(r.Max - r.Min, 1999);  // one part in 10^9 of the values, each side
  EXPECT_LE((r.Max - r.Min) / r.Step, 2 * 5 + 2);
}

TEST(LinearAxisRange, EndsThatAreNotNumbersGiveZeroToOne) {
  const double inf = std::numeric_limits<double>::infinity();
  for (const auto& [lo, hi] : {std::pair{-inf, 3.0}, {0.0, inf}, {std::nan(""), 1.0}}) {
    const AxisRange r = LinearAxisRange(lo, hi, 5, 0, true);
    EXPECT_DOUBLE_EQ(r.Min, 0);
    EXPECT_DOUBLE_EQ(r.Max, 1);
    EXPECT_DOUBLE_EQ(r.Step, 0.2);
  }
}

TEST(LogAxisRange, FollowingTheDataGoesOutToWholeDecades) {
  const AxisRange r = LogAxisRange(3, 450, true);
  EXPECT_DOUBLE_EQ(r.Min, 1);
  EXPECT_DOUBLE_EQ(r.Max, 1000);
  const AxisRange one = LogAxisRange(10, 10, true);  // a single decade value
  EXPECT_DOUBLE_EQ(one.Min, 10);
  EXPECT_DOUBLE_EQ(one.Max, 100);
}

TEST(LogAxisRange, StaysPositiveAndRising) {
  const AxisRange r = LogAxisRange(-5, 3, false);
  EXPECT_EQ(r.Min, 1e-300);
  EXPECT_EQ(r.Max, 3);
  const AxisRange upside = LogAxisRange(2, 1, false);
  EXPECT_EQ(upside.Min, 2);
  EXPECT_EQ(upside.Max, 20);
}

TEST(ZoomedRange, TakesTheFractionsOfTheShownRange) {
  const auto [lo, hi] = ZoomedRange(10, 20, 0.25, 0.5, false);
  EXPECT_DOUBLE_EQ(lo, 12.5);
  EXPECT_DOUBLE_EQ(hi, 15);
  const auto [llo, lhi] = ZoomedRange(1, 1000, 1.0 / 3, 2.0 / 3, true);  // in decades
  EXPECT_NEAR(llo, 10, 1e-9);
  EXPECT_NEAR(lhi, 100, 1e-9);
}

TEST(Extent, TakesInEveryRangeButEmptyOnes) {
  Extent e;
  e.Take(Extent{false, -50, 50});
  EXPECT_FALSE(e.Any);
  e.Take(3, 4);
  e.Take(Extent{true, -1, 2});
  EXPECT_TRUE(e.Any);
  EXPECT_EQ(e.Min, -1);
  EXPECT_EQ(e.Max, 4);
}

TEST(PositiveXExtent, StartsAtTheSmallestPositiveX) {
  const Extent e = PositiveXExtent(Series{{-2, 1}, {0, 1}, {10, 1}, {0.5, 1}}, {true, -2, 10});
  EXPECT_TRUE(e.Any);
  EXPECT_EQ(e.Min, 0.5);
  EXPECT_EQ(e.Max, 10);
  EXPECT_FALSE(PositiveXExtent(Series{{-2, 1}, {0, 1}}, {true, -2, 0}).Any);
}

TEST(BarExtents, HalfABarBeyondTheEndsAndFromZero) {
  const BarExtent e = BarExtents(std::vector<double>{3, -2, 5});
  EXPECT_EQ(e.Across.Min, -0.5);
  EXPECT_EQ(e.Across.Max, 2.5);
  EXPECT_EQ(e.Along.Min, -2);
  EXPECT_EQ(e.Along.Max, 5);
  EXPECT_EQ(BarExtents(std::vector<double>{2, 4}).Along.Min, 0);
  EXPECT_FALSE(BarExtents({}).Across.Any);
}

TEST(ChartAxisRange, WithoutDataZeroToOneOrOneToTen) {
  ChartAxis side, log;
  side.Vertical = true;
  log.Logarithmic = true;
  EXPECT_EQ(ChartAxisRange({}, side, 5).Max, 1);
  EXPECT_EQ(ChartAxisRange({}, log, 5).Max, 10);
  // On a logarithmic axis, x that are none of them positive are no data.
  const AxisRange r = ChartAxisRange(PositiveXExtent(Series{{0, 1}, {-3, 2}}, {true, -3, 0}), log, 5);
  EXPECT_EQ(r.Min, 1);
  EXPECT_EQ(r.Max, 10);
}

TEST(ChartAxisRange, OnlyTheSideRoundsItsDataOutToWholeSteps) {
  ChartAxis side;
  side.Vertical = true;
  EXPECT_DOUBLE_EQ(ChartAxisRange({true, 0.3, 9.2}, side, 5).Max, 10);
  EXPECT_EQ(ChartAxisRange({true, 0.3, 9.2}, ChartAxis{}, 5).Max, 9.2);
  // One value, or all equal, gets a unit each side.
  EXPECT_DOUBLE_EQ(ChartAxisRange({true, 5, 5}, side, 5).Min, 4);
  EXPECT_DOUBLE_EQ(ChartAxisRange({true, -7, -7}, ChartAxis{}, 5).Max, -6);
  // Bars keep half a bar beyond their ends.
  side.Bars = true;
  const AxisRange bars = ChartAxisRange(BarExtents(std::vector<double>{4, 1, 7}).Across, side, 5);
  EXPECT_EQ(bars.Min, -0.5);
  EXPECT_EQ(bars.Max, 2.5);
}

TEST(ChartAxisRange, AFixedRangeWinsOverTheZoomAndTheZoomOverTheData) {
  ChartAxis axis;
  axis.Vertical = true;
  axis.Zoomed = true;
  axis.ZoomMin = 2.5;
  axis.ZoomMax = 3.7;
  EXPECT_EQ(ChartAxisRange({true, 0, 100}, axis, 5).Max, 3.7);  // not out to a whole step
  axis.Fixed = true;
  axis.FixedMin = 0;
  axis.FixedMax = 100;
  axis.Step = 3;
  const AxisRange fixed = ChartAxisRange({true, 40, 50}, axis, 5);
  EXPECT_EQ(fixed.Min, 0);
  EXPECT_EQ(fixed.Max, 100);
  EXPECT_DOUBLE_EQ(fixed.Step, 21);  // a whole multiple of the given step
}

}  // namespace
}  // namespace measures
