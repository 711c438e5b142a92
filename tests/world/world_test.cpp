#include "world/world.h"

#include <gtest/gtest.h>

#include <map>

namespace world {
namespace {

World GridOf(int cols, int rows) {
  World w;
  w.GridCols = cols;
  w.GridRows = rows;
  return w;
}

TEST(WrapOnTorus, BringsPositionsBackOntoTheGrid) {
  const World w = GridOf(116, 100);
  int x = -1, y = -1;
  w.WrapOnTorus(x, y);
  EXPECT_EQ(x, 115);
  EXPECT_EQ(y, 99);
  x = 2 * 116 + 3;
  y = 0;
  w.WrapOnTorus(x, y);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 0);
  x = 57;
  y = 99;
  w.WrapOnTorus(x, y);
  EXPECT_EQ(x, 57);
  EXPECT_EQ(y, 99);
  x = -3 * 116 - 1;
  y = 250;
  w.WrapOnTorus(x, y);
  EXPECT_EQ(x, 115);
  EXPECT_EQ(y, 50);
}

TEST(IsOutside, IsTrueJustBeyondEachEdge) {
  const World w = GridOf(116, 116);
  EXPECT_TRUE(w.IsOutside(116, 0));
  EXPECT_TRUE(w.IsOutside(0, -1));
  EXPECT_TRUE(w.IsOutside(-1, 5));
  EXPECT_TRUE(w.IsOutside(5, 116));
  EXPECT_FALSE(w.IsOutside(115, 115));
  EXPECT_FALSE(w.IsOutside(0, 0));
}

TEST(ChangeHeading, DistanceZeroGivesQuarterHalfQuarter) {
  Random random(42);
  TAgent agent;
  std::map<int, int> seen;
  constexpr int kDraws = 200000;
  for (int i = 0; i < kDraws; ++i) {
    agent.ChangeHeading(180, 0, random);
    ++seen[agent.StepX];
    ++seen[agent.StepY];
  }
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_NEAR(seen[-1] / (2.0 * kDraws), 0.25, 0.01);
  EXPECT_NEAR(seen[0] / (2.0 * kDraws), 0.5, 0.01);
  EXPECT_NEAR(seen[1] / (2.0 * kDraws), 0.25, 0.01);
}

TEST(ChangeHeading, StaysWithinDistancePlusOneAndEndsAreHalfAsLikely) {
  Random random(7);
  TAgent agent;
  std::map<int, int> seen;
  constexpr int kDraws = 300000;
  for (int i = 0; i < kDraws; ++i) {
    agent.ChangeHeading(180, 3, random);
    ++seen[agent.StepX];
  }
  EXPECT_EQ(seen.begin()->first, -4);
  EXPECT_EQ(seen.rbegin()->first, 4);
  // Inner values 1/8 each, the two ends 1/16.
  EXPECT_NEAR(seen[0] / double(kDraws), 1.0 / 8, 0.005);
  EXPECT_NEAR(seen[-4] / double(kDraws), 1.0 / 16, 0.005);
  EXPECT_NEAR(seen[4] / double(kDraws), 1.0 / 16, 0.005);
}

TEST(Random, SameSeedSameSequenceAndIntegersInRange) {
  Random a(99), b(99), c(100);
  bool differs = false;
  for (int i = 0; i < 1000; ++i) {
    const int va = a.NextInt(116);
    EXPECT_EQ(va, b.NextInt(116));
    EXPECT_GE(va, 0);
    EXPECT_LT(va, 116);
    differs |= va != c.NextInt(116);
    const double r = a.NextReal();
    EXPECT_EQ(r, b.NextReal());
    EXPECT_GE(r, 0.0);
    EXPECT_LT(r, 1.0);
    c.NextReal();
  }
  EXPECT_TRUE(differs);
  EXPECT_EQ(a.NextInt(0), 0);
  EXPECT_EQ(a.NextInt(1), 0);
}

TEST(Table, ResizeKeepsOverlapAndFillsNewPositionsWithZero) {
  Table<int> t(2, 3);
  t(0, 0) = 1;
  t(1, 2) = 5;
  t.ResizeKeep(3, 2);
  EXPECT_EQ(t(0, 0), 1);
  EXPECT_EQ(t(1, 1), 0);
  EXPECT_EQ(t(2, 1), 0);
  t.ResizeKeep(3, 3);
  EXPECT_EQ(t(1, 2), 0);  // dropped by the narrower size in between
}

}  // namespace
}  // namespace world
