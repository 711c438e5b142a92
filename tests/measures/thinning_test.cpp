#include "measures/thinning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace measures {
namespace {

// A run of `n` steps at x = 0, 1, ..., flat at 0 but for the spikes given.
Series FlatRun(std::size_t n, std::vector<Point> spikes = {}) {
  Series points(n);
  for (std::size_t i = 0; i < n; ++i) points[i] = {static_cast<double>(i), 0};
  for (const Point& p : spikes) points[static_cast<std::size_t>(p.X)].Y = p.Y;
  return points;
}

bool Contains(const std::vector<Point>& points, Point p) {
  return std::find(points.begin(), points.end(), p) != points.end();
}

bool RunsForwards(const std::vector<Point>& points) {
  return std::is_sorted(points.begin(), points.end(), [](const Point& a, const Point& b) { return a.X < b.X; });
}

TEST(RunLength, IsTheLeastPowerOfTwoThatFits) {
  EXPECT_EQ(RunLength(10000, 100), 128u);
  EXPECT_EQ(RunLength(200, 100), 2u);
  EXPECT_EQ(RunLength(201, 100), 4u);
  EXPECT_EQ(RunLength(50, 100), 1u);
  EXPECT_EQ(RunLength(50, 0), 1u);
}

TEST(Thin, KeepsTheLowestAndHighestPointOfEveryRunInTheirOrder) {
  // Eight points in two runs of four.
  const Series points = {{0, 3}, {1, 9}, {2, 1}, {3, 5}, {4, 2}, {5, 2}, {6, 7}, {7, 7}};
  const std::vector<Point> expected = {{1, 9}, {2, 1}, {4, 2}, {6, 7}};
  EXPECT_EQ(Thin(points, 2), expected);
}

TEST(Thin, LeavesASeriesThatFitsAlone) {
  const Series points = {{0, 3}, {1, 9}, {2, 1}, {3, 5}};
  EXPECT_EQ(Thin(points, 2), points);
  EXPECT_TRUE(Thin({}, 100).empty());
  EXPECT_EQ(Thin(Series{{4, 2}}, 100), Series({{4, 2}}));
}

TEST(Thin, ALongRunKeepsItsPeaksInFewPoints) {
  const Series points = FlatRun(10000, {{777, 50}, {4321, -50}, {9999, 20}});
  const std::vector<Point> shown = Thin(points, 100);
  EXPECT_LE(shown.size(), 200u);
  EXPECT_TRUE(Contains(shown, {777, 50}));
  EXPECT_TRUE(Contains(shown, {4321, -50}));
  EXPECT_TRUE(Contains(shown, {9999, 20}));  // the last, incomplete run too
  EXPECT_TRUE(RunsForwards(shown));
}

TEST(ThinRange, AZoomIntoALongRunShowsEveryRecordedPoint) {
  const Series points = FlatRun(10000, {{5050, 8}});
  const std::optional<std::vector<Point>> shown = ThinRange(points, 5000, 5100, 300);
  ASSERT_TRUE(shown);
  // 5000 .. 5100 and one beyond each end, so that the line reaches the border.
  ASSERT_EQ(shown->size(), 103u);
  EXPECT_EQ(shown->front(), Point({4999, 0}));
  EXPECT_EQ(shown->back(), Point({5101, 0}));
  EXPECT_TRUE(Contains(*shown, {5050, 8}));
  EXPECT_TRUE(RunsForwards(*shown));
}

TEST(ThinRange, ThinsARangeTooLongToDrawButKeepsItsPeaks) {
  const Series points = FlatRun(10000, {{2500, 50}, {6000, -50}, {7000, 99}});
  const std::optional<std::vector<Point>> shown = ThinRange(points, 2000, 6500, 100);
  ASSERT_TRUE(shown);
  EXPECT_LE(shown->size(), 200u);
  EXPECT_TRUE(Contains(*shown, {2500, 50}));
  EXPECT_TRUE(Contains(*shown, {6000, -50}));
  EXPECT_FALSE(Contains(*shown, {7000, 99}));  // outside the range
  EXPECT_GE(shown->front().X, 1999);
  EXPECT_LE(shown->back().X, 6501);
}

TEST(ThinRange, LeavesASeriesThatDoesNotRunForwardsToThin) {
  const Series points = {{0, 1}, {2, 5}, {1, 3}, {3, 0}};
  EXPECT_FALSE(ThinRange(points, 0, 3, 100));
  EXPECT_EQ(Thin(points, 100), points);
  const std::vector<Point> expected = {{2, 5}, {3, 0}};  // one run of four
  EXPECT_EQ(Thin(points, 1), expected);
}

TEST(ThinRange, ARangeBesideTheDataShowsTheNearestPoint) {
  const Series points = FlatRun(10);
  EXPECT_EQ(*ThinRange(points, 20, 30, 100), Series({{9, 0}}));
  EXPECT_EQ(*ThinRange(points, -30, -20, 100), Series({{0, 0}}));
  EXPECT_EQ(*ThinRange(points, 3.2, 3.8, 100), Series({{3, 0}, {4, 0}}));  // between two points
}

TEST(ThinRange, EmptyAndOnePointSeries) {
  EXPECT_TRUE(ThinRange({}, 0, 1, 100)->empty());
  const Series one = {{5, 2}};
  EXPECT_EQ(*ThinRange(one, 0, 10, 100), one);
  EXPECT_EQ(*ThinRange(one, 6, 10, 100), one);
}

TEST(GrowingThin, AGrowingSeriesIsThinnedAsIfWhole) {
  const Series points = FlatRun(1000, {{3, 9}, {130, -4}, {517, 6}, {998, 1}});
  GrowingThin growing;
  for (std::size_t n = 1; n <= points.size(); ++n) {
    const std::span<const Point> first(points.data(), n);
    ASSERT_EQ(growing.Thin(first, 50), Thin(first, 50)) << n << " points";  // run length 4 .. 32
  }
}

TEST(GrowingThin, ForgetsTheOldPointsOnReset) {
  Series points = FlatRun(1000);
  GrowingThin growing;
  growing.Thin(points, 50);
  points[10].Y = 7;
  growing.Reset();
  EXPECT_TRUE(Contains(growing.Thin(points, 50), {10, 7}));
}

}  // namespace
}  // namespace measures
