#include "experiments/derived_series.h"

#include <gtest/gtest.h>

#include <cmath>

namespace experiments {
namespace {

Series Pts(std::initializer_list<Point> points) { return Series(points); }

TEST(InsertByX, KeepsAscendingXAndArrivalOrderForEqualX) {
  Series s;
  for (Point p : {Point{3, 1}, Point{1, 2}, Point{3, 3}, Point{2, 4}, Point{1, 5}, Point{3, 6}}) InsertByX(s, p);
  EXPECT_EQ(s, Pts({{1, 2}, {1, 5}, {2, 4}, {3, 1}, {3, 3}, {3, 6}}));
}

TEST(BlockAverage, OnePointPerBlockAtTheBlocksXWithTheMeanOfItsY) {
  // Three calculations of three values, as a sweep records them.
  const Series s = Pts({{2, 1}, {2, 2}, {2, 6}, {3, 0}, {3, 0}, {3, 3}, {4, 5}, {4, 5}, {4, 8}});
  EXPECT_EQ(BlockAverage(s, 3), Pts({{2, 3}, {3, 1}, {4, 6}}));
  // Mixed x: the middle of the block's first and last x.
  EXPECT_EQ(BlockAverage(Pts({{1, 2}, {3, 4}}), 2), Pts({{2, 3}}));
  EXPECT_TRUE(BlockAverage({}, 3).empty());
}

TEST(BlockAverage, IncompleteLastBlockGivesTheMeanOfWhatItHas) {
  const Series s = Pts({{2, 1}, {2, 2}, {2, 6}, {3, 4}});
  EXPECT_EQ(BlockAverage(s, 3), Pts({{2, 3}, {3, 4}}));
}

TEST(BlockAverage, PeriodBelowOneCountsAsOne) {
  const Series s = Pts({{1, 1}, {2, 2}});
  EXPECT_EQ(BlockAverage(s, 0), s);
  EXPECT_EQ(BlockAverage(s, -4), s);
}

TEST(TrendLine, RunsThroughTheLeastSquaresLineFromSmallestToLargestX) {
  // y = 1 + 2x exactly.
  Series line = TrendLine(Pts({{0, 1}, {1, 3}, {2, 5}}));
  ASSERT_EQ(line.size(), 2u);
  EXPECT_DOUBLE_EQ(line[0].X, 0);
  EXPECT_NEAR(line[0].Y, 1, 1e-12);
  EXPECT_DOUBLE_EQ(line[1].X, 2);
  EXPECT_NEAR(line[1].Y, 5, 1e-12);
  // (0,0), (1,1), (2,0): slope 0, level 1/3.
  line = TrendLine(Pts({{0, 0}, {1, 1}, {2, 0}}));
  ASSERT_EQ(line.size(), 2u);
  EXPECT_NEAR(line[0].Y, 1.0 / 3, 1e-12);
  EXPECT_NEAR(line[1].Y, 1.0 / 3, 1e-12);
  // (0,0), (0,2), (2,2), (2,4): the means 1 and 3 at x = 0 and 2.
  line = TrendLine(Pts({{0, 0}, {0, 2}, {2, 2}, {2, 4}}));
  EXPECT_NEAR(line[0].Y, 1, 1e-12);
  EXPECT_NEAR(line[1].Y, 3, 1e-12);
}

TEST(TrendLine, AllXEqualGivesTheMeanAndNoPointsGiveNothing) {
  const Series mean = TrendLine(Pts({{4, 1}, {4, 5}}));
  ASSERT_EQ(mean.size(), 1u);
  EXPECT_EQ(mean[0].X, 4);
  EXPECT_NEAR(mean[0].Y, 3, 1e-12);
  EXPECT_TRUE(TrendLine({}).empty());
}

TEST(PolynomialCurve, RecoversAnExactPolynomial) {
  // y = x^2 - 3x + 2 at x = 0..5.
  Series s;
  for (int x = 0; x <= 5; ++x) s.push_back({double(x), double(x * x - 3 * x + 2)});
  const Series curve = PolynomialCurve(s, 2, 11);
  ASSERT_EQ(curve.size(), 11u);
  EXPECT_DOUBLE_EQ(curve.front().X, 0);
  EXPECT_DOUBLE_EQ(curve.back().X, 5);
  // At x = 1.5: 2.25 - 4.5 + 2 = -0.25; at x = 2.5: 6.25 - 7.5 + 2 = 0.75.
  EXPECT_NEAR(curve[3].Y, -0.25, 1e-9);
  EXPECT_NEAR(curve[5].Y, 0.75, 1e-9);
}

TEST(PolynomialCurve, StaysAccurateFarFromZeroAtHighDegree) {
  // x = 1e6 .. 1e6 + 20, y = (x - 1e6 - 10)^3: raw powers of x would lose every digit.
  Series s;
  for (int i = 0; i <= 20; ++i) s.push_back({1e6 + i, std::pow(i - 10.0, 3)});
  for (int degree : {3, 12, 20}) {
    const auto poly = Polynomial::Fit(s, degree);
    ASSERT_TRUE(poly);
    EXPECT_EQ(poly->Degree(), degree);
    EXPECT_NEAR((*poly)(1e6 + 10.5), 0.125, 1e-6) << "degree " << degree;
    EXPECT_NEAR((*poly)(1e6 + 2), -512, 1e-6) << "degree " << degree;
  }
}

TEST(PolynomialCurve, DegreeAtOrAboveTheDistinctXIsLoweredToThroughTheMeans) {
  // Three distinct x, means 2, 5 and 10: degree 20 becomes 2 and passes through the means.
  const Series s = Pts({{1, 1}, {1, 3}, {2, 5}, {3, 10}});
  const auto poly = Polynomial::Fit(s, 20);
  ASSERT_TRUE(poly);
  EXPECT_EQ(poly->Degree(), 2);
  EXPECT_NEAR((*poly)(1), 2, 1e-9);
  EXPECT_NEAR((*poly)(2), 5, 1e-9);
  EXPECT_NEAR((*poly)(3), 10, 1e-9);
  for (const Point& p : PolynomialCurve(s, 20)) {
    EXPECT_TRUE(std::isfinite(p.Y));
    EXPECT_GE(p.Y, 2 - 1e-9);  // the curve is x^2 + 1: from 2 to 10 on [1, 3]
    EXPECT_LE(p.Y, 10 + 1e-9);
  }
  // One distinct x: the mean, as a single point.
  const Series single = PolynomialCurve(Pts({{7, 1}, {7, 2}}), 5);
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(single[0].X, 7);
  EXPECT_NEAR(single[0].Y, 1.5, 1e-12);
  EXPECT_TRUE(PolynomialCurve({}, 3).empty());
}

TEST(PolynomialCurve, DegreeIsClampedToOneToTwenty) {
  Series s;
  for (int i = 0; i < 30; ++i) s.push_back({double(i), double(i % 3)});
  EXPECT_EQ(Polynomial::Fit(s, 0)->Degree(), 1);
  EXPECT_EQ(Polynomial::Fit(s, 99)->Degree(), 20);
  DerivedSeries derived(DerivedFunction::PolynomialFit, 40);
  EXPECT_EQ(derived.Degree(), 20);
  derived.SetDegree(-3);
  EXPECT_EQ(derived.Degree(), 1);
  // Degree 1 is the trend line.
  const Series fit = PolynomialCurve(s, 1, 2);
  const Series trend = TrendLine(s);
  EXPECT_NEAR(fit[0].Y, trend[0].Y, 1e-12);
  EXPECT_NEAR(fit[1].Y, trend[1].Y, 1e-12);
}

TEST(PolynomialCurve, SkipsPointsThatAreNotFinite) {
  const Series s = Pts({{0, 1}, {1, NAN}, {2, 5}, {INFINITY, 3}});
  const Series line = TrendLine(s);
  ASSERT_EQ(line.size(), 2u);
  EXPECT_NEAR(line[1].Y, 5, 1e-12);
  EXPECT_DOUBLE_EQ(line[1].X, 2);
}

TEST(DerivedSeries, ChangesOnlyWhenRecomputedAndEmptiesWithItsSource) {
  PointSeries source;
  DerivedSeries average(DerivedFunction::Average, 2);
  average.SetSource(&source);
  source.Add(1, 2);
  source.Add(1, 4);
  EXPECT_TRUE(average.Points().empty());  // adding does not recompute
  average.Recompute();
  EXPECT_EQ(average.Points(), Pts({{1, 3}}));
  source.Add(2, 10);
  EXPECT_EQ(average.Points(), Pts({{1, 3}}));
  const auto revision = average.Revision();
  source.Clear();
  EXPECT_TRUE(average.Points().empty());
  EXPECT_NE(average.Revision(), revision);
  source.Add(5, 1);
  EXPECT_TRUE(average.Points().empty());  // still empty until asked
  average.Recompute();
  EXPECT_EQ(average.Points(), Pts({{5, 1}}));
}

TEST(DerivedSeries, ANewSourceShowsNothingUntilRecomputed) {
  PointSeries a;
  PointSeries b;
  a.Add(1, 1);
  b.Add(2, 2);
  DerivedSeries trend(DerivedFunction::Trend);
  trend.SetSource(&a);
  trend.Recompute();
  EXPECT_EQ(trend.Points(), Pts({{1, 1}}));
  trend.SetSource(&b);
  EXPECT_TRUE(trend.Points().empty());
  trend.Recompute();
  EXPECT_EQ(trend.Points(), Pts({{2, 2}}));
}

}  // namespace
}  // namespace experiments
