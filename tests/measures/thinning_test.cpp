#include "measures/thinning.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(RunLength, IsTheLeastPowerOfTwoThatFits) {
  EXPECT_EQ(RunLength(10000, 100), 128u);
  EXPECT_EQ(RunLength(201, 100), 4u);
  EXPECT_EQ(RunLength(50, 100), 1u);
}

TEST(Thin, KeepsTheLowestAndHighestPointOfEveryRunInTheirOrder) {
  // Eight points in two runs of four; four fit as they are.
  const Series points = {{0, 3}, {1, 9}, {2, 1}, {3, 5}, {4, 2}, {5, 2}, {6, 7}, {7, 7}};
  EXPECT_EQ(Thin(points, 2), Series({{1, 9}, {2, 1}, {4, 2}, {6, 7}}));
  EXPECT_EQ(Thin(Series(points.begin(), points.begin() + 4), 2), Series(points.begin(), points.begin() + 4));
}

TEST(Thin, ALongRunKeepsItsPeaksInFewPoints) {
  const std::vector<Point> shown = Thin(FlatRun(10000, {{777, 50}, {4321, -50}, {9999, 20}}), 100);
  EXPECT_LE(shown.size(), 200u);
  EXPECT_TRUE(Contains(shown, {777, 50}));
  EXPECT_TRUE(Contains(shown, {4321, -50}));
  EXPECT_TRUE(Contains(shown, {9999, 20}));  // in the last, incomplete run
}

TEST(ThinRange, AZoomIntoALongRunShowsEveryRecordedPoint) {
  const std::optional<std::vector<Point>> shown = ThinRange(FlatRun(10000, {{5050, 8}}), 5000, 5100, 300);
  ASSERT_TRUE(shown);
  // 5000 .. 5100 and one beyond each end, so that the line reaches the border.
  Series expected = FlatRun(5102, {{5050, 8}});
  expected.erase(expected.begin(), expected.begin() + 4999);
  EXPECT_EQ(*shown, expected);
}

TEST(ThinRange, ThinsARangeTooLongToDrawButKeepsItsPeaks) {
  const std::optional<std::vector<Point>> shown =
      ThinRange(FlatRun(10000, {{2500, 50}, {6000, -50}, {7000, 99}}), 2000, 6500, 100);
  ASSERT_TRUE(shown);
  EXPECT_LE(shown->size(), 200u);
  EXPECT_TRUE(Contains(*shown, {2500, 50}));
  EXPECT_TRUE(Contains(*shown, {6000, -50}));
  EXPECT_FALSE(Contains(*shown, {7000, 99}));  // beyond the range
}

TEST(ThinRange, EdgeCases) {
  EXPECT_FALSE(ThinRange(Series{{0, 1}, {2, 5}, {1, 3}}, 0, 3, 100));  // not forwards in x: use Thin
  EXPECT_TRUE(ThinRange({}, 0, 1, 100)->empty());
  EXPECT_EQ(*ThinRange(Series{{5, 2}}, 6, 10, 100), Series({{5, 2}}));
  // A range beside the data or between two points shows the nearest ones.
  EXPECT_EQ(*ThinRange(FlatRun(10), 20, 30, 100), Series({{9, 0}}));
  EXPECT_EQ(*ThinRange(FlatRun(10), -30, -20, 100), Series({{0, 0}}));
  EXPECT_EQ(*ThinRange(FlatRun(10), 3.2, 3.8, 100), Series({{3, 0}, {4, 0}}));
}

TEST(GrowingThin, AGrowingSeriesIsThinnedAsIfWholeUntilReset) {
  Series points = FlatRun(1000, {{3, 9}, {130, -4}, {517, 6}, {998, 1}});
  GrowingThin growing;
  for (std::size_t n = 1; n <= points.size(); ++n) {
    const std::span<const Point> first(points.data(), n);
    ASSERT_EQ(growing.Thin(first, 50), Thin(first, 50)) << n << " points";  // run lengths 4 to 32
  }
  points[40].Y = 7;
  growing.Reset();
  EXPECT_TRUE(Contains(growing.Thin(points, 50), {40, 7}));
}

}  // namespace
}  // namespace measures
