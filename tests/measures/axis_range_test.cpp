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

TEST(Extent, TakesInEveryRangeAndSkipsEmptyOnes) {
  Extent e;
  EXPECT_FALSE(e.Any);
  e.Take(Extent{});
  EXPECT_FALSE(e.Any);
  e.Take(3, 4);
  e.Take(-1, 2);
  e.Take(Extent{true, 0, 9});
  e.Take(Extent{false, -50, 50});  // holds nothing, whatever its ends say
  EXPECT_TRUE(e.Any);
  EXPECT_EQ(e.Min, -1);
  EXPECT_EQ(e.Max, 9);
}

TEST(PositiveXExtent, StartsAtTheSmallestPositiveX) {
  const Series points = {{-2, 1}, {0, 1}, {10, 1}, {0.5, 1}};
  const Extent e = PositiveXExtent(points, {true, -2, 10});
  EXPECT_TRUE(e.Any);
  EXPECT_EQ(e.Min, 0.5);
  EXPECT_EQ(e.Max, 10);
  const Extent none = PositiveXExtent(Series{{-2, 1}, {0, 1}}, {true, -2, 0});
  EXPECT_FALSE(none.Any);
  EXPECT_FALSE(PositiveXExtent({}, {}).Any);
}

TEST(PositiveXExtent, TrustsAPositiveExtentWithoutThePoints) {
  const Extent e = PositiveXExtent({}, {true, 3, 8});
  EXPECT_TRUE(e.Any);
  EXPECT_EQ(e.Min, 3);
  EXPECT_EQ(e.Max, 8);
}

TEST(BarExtents, HalfABarBeyondTheEndsAndFromZero) {
  const std::vector<double> values = {3, -2, 5};
  const BarExtent e = BarExtents(values);
  EXPECT_EQ(e.Across.Min, -0.5);
  EXPECT_EQ(e.Across.Max, 2.5);
  EXPECT_EQ(e.Along.Min, -2);
  EXPECT_EQ(e.Along.Max, 5);
  const std::vector<double> above = {2, 4}, below = {-1, -3};
  EXPECT_EQ(BarExtents(above).Along.Min, 0);
  EXPECT_EQ(BarExtents(below).Along.Max, 0);
  EXPECT_FALSE(BarExtents({}).Across.Any);
  EXPECT_FALSE(BarExtents({}).Along.Any);
}

ChartAxis Side() {
  ChartAxis axis;
  axis.Vertical = true;
  return axis;
}

TEST(ChartAxisRange, AnAxisWithoutDataShowsZeroToOneOrOneToTen) {
  const AxisRange side = ChartAxisRange({}, Side(), 5);
  EXPECT_EQ(side.Min, 0);
  EXPECT_EQ(side.Max, 1);
  ChartAxis log;
  log.Logarithmic = true;
  const AxisRange decades = ChartAxisRange({}, log, 5);
  EXPECT_EQ(decades.Min, 1);
  EXPECT_EQ(decades.Max, 10);
  // A logarithmic axis whose x are none of them positive has nothing to show.
  const AxisRange nothingPositive = ChartAxisRange(PositiveXExtent(Series{{0, 1}, {-3, 2}}, {true, -3, 0}), log, 5);
  EXPECT_EQ(nothingPositive.Min, 1);
  EXPECT_EQ(nothingPositive.Max, 10);
}

TEST(ChartAxisRange, OnlyTheSideFollowsItsDataOutToWholeSteps) {
  const AxisRange side = ChartAxisRange({true, 0.3, 9.2}, Side(), 5);
  EXPECT_DOUBLE_EQ(side.Min, 0);
  EXPECT_DOUBLE_EQ(side.Max, 10);
  const AxisRange bottom = ChartAxisRange({true, 0.3, 9.2}, ChartAxis{}, 5);
  EXPECT_EQ(bottom.Min, 0.3);
  EXPECT_EQ(bottom.Max, 9.2);
  ChartAxis log;
  log.Logarithmic = true;
  const AxisRange decades = ChartAxisRange({true, 3, 450}, log, 5);
  EXPECT_DOUBLE_EQ(decades.Min, 1);
  EXPECT_DOUBLE_EQ(decades.Max, 1000);
}

TEST(ChartAxisRange, OneValueOrAllEqualGetsAUnitEachSide) {
  const AxisRange r = ChartAxisRange({true, 5, 5}, Side(), 5);
  EXPECT_DOUBLE_EQ(r.Min, 4);
  EXPECT_DOUBLE_EQ(r.Max, 6);
  const AxisRange bottom = ChartAxisRange({true, -7, -7}, ChartAxis{}, 5);
  EXPECT_DOUBLE_EQ(bottom.Min, -8);
  EXPECT_DOUBLE_EQ(bottom.Max, -6);
}

TEST(ChartAxisRange, BarsKeepHalfABarBeyondTheirEnds) {
  ChartAxis bars = Side();  // horizontal bars stand up the side
  bars.Bars = true;
  const AxisRange r = ChartAxisRange(BarExtents(std::vector<double>{4, 1, 7}).Across, bars, 5);
  EXPECT_EQ(r.Min, -0.5);
  EXPECT_EQ(r.Max, 2.5);
  // Without bars to show, the axis is an empty one.
  const AxisRange empty = ChartAxisRange({}, bars, 5);
  EXPECT_EQ(empty.Min, 0);
  EXPECT_EQ(empty.Max, 1);
}

TEST(ChartAxisRange, AFixedRangeWinsOverTheZoomAndTheZoomOverTheData) {
  ChartAxis axis = Side();
  axis.Zoomed = true;
  axis.ZoomMin = 2.5;
  axis.ZoomMax = 3.7;
  const AxisRange zoomed = ChartAxisRange({true, 0, 100}, axis, 5);
  EXPECT_EQ(zoomed.Min, 2.5);  // not out to whole steps
  EXPECT_EQ(zoomed.Max, 3.7);
  axis.Fixed = true;
  axis.FixedMin = 0;
  axis.FixedMax = 100;
  axis.Step = 3;
  const AxisRange fixed = ChartAxisRange({true, 40, 50}, axis, 5);
  EXPECT_EQ(fixed.Min, 0);
  EXPECT_EQ(fixed.Max, 100);
  EXPECT_DOUBLE_EQ(fixed.Step, 21);  // a whole multiple of the given step
  ChartAxis log;
  log.Logarithmic = true;
  log.Zoomed = true;
  log.ZoomMin = 2;
  log.ZoomMax = 50;
  const AxisRange zoomedLog = ChartAxisRange({true, 1, 1000}, log, 5);
  EXPECT_EQ(zoomedLog.Min, 2);  // not out to whole decades
  EXPECT_EQ(zoomedLog.Max, 50);
}

}  // namespace
}  // namespace measures
