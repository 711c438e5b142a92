#include "world/group_shares.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

using world::RebalanceShares;
using world::ResetShares;
using world::ShareView;

// Six equal groups of 12000 agents, as the window starts.
std::vector<double> SixEqual() { return std::vector<double>(6, 100.0 / 6); }

int Sum(const std::vector<ShareView>& view) {
  return std::accumulate(view.begin(), view.end(), 0, [](int s, const ShareView& v) { return s + v.Count; });
}

TEST(GroupShares, RaisingOneBarLowersTheOthersEqually) {
  auto shares = SixEqual();
  const auto view = RebalanceShares(shares, 0, 20, 12000);
  ASSERT_EQ(view.size(), 6u);
  EXPECT_EQ(view[0], (ShareView{20, 2400}));
  for (int g = 1; g < 6; ++g) {
    EXPECT_EQ(view[g], (ShareView{16, 1920})) << g;
    EXPECT_DOUBLE_EQ(shares[g], 16.0);
  }
  EXPECT_DOUBLE_EQ(shares[0], 20.0);
  EXPECT_EQ(Sum(view), 12000);
}

TEST(GroupShares, LargeMovesStopAtTheMinimumOrAbandon) {
  // To 90: the others keep 2 percent each, just above the 1 percent minimum.
  auto shares = SixEqual();
  auto view = RebalanceShares(shares, 0, 90, 12000);
  ASSERT_EQ(view.size(), 6u);
  EXPECT_EQ(view[0].Count, 10800);
  for (int g = 1; g < 6; ++g) EXPECT_EQ(view[g], (ShareView{2, 240}));

  // To 95: the first pass takes every other group to the minimum, the second
  // finds none above it, and the move is abandoned.
  shares = SixEqual();
  view = RebalanceShares(shares, 0, 95, 12000);
  EXPECT_TRUE(view.empty());
  EXPECT_DOUBLE_EQ(shares[0], 95.0);
  for (int g = 1; g < 6; ++g) EXPECT_NEAR(shares[g], 16.67, 0.005);
}

TEST(GroupShares, ClampedGroupsPassTheirRestToTheOthersInLaterPasses) {
  // Counts 4000, 6000, 1200, 800 of 12000 (minimum 120); group 0 to 60
  // percent, 7200, leaves r = -3200 for three groups:
  //   pass 1: d = -1067 takes 800 to the minimum (r -2520, a 2);
  //   pass 2: d = -1260 takes 1200 to the minimum (r -1440, a 1);
  //   pass 3: d = -1440 clamps nothing; 6000 - 1440 = 4560.
  std::vector<double> shares{100.0 / 3, 50.0, 10.0, 100.0 / 15};
  const auto view = RebalanceShares(shares, 0, 60, 12000);
  ASSERT_EQ(view.size(), 4u);
  EXPECT_EQ(view[0], (ShareView{60, 7200}));
  EXPECT_EQ(view[1], (ShareView{38, 4560}));
  EXPECT_EQ(view[2], (ShareView{1, 120}));
  EXPECT_EQ(view[3], (ShareView{1, 120}));
  EXPECT_DOUBLE_EQ(shares[1], 38.0);
  EXPECT_DOUBLE_EQ(shares[3], 1.0);
}

TEST(GroupShares, LoweringABarGivesTheFreedAgentsToEveryOtherGroup) {
  auto shares = SixEqual();
  auto view = RebalanceShares(shares, 0, 1, 12000);
  ASSERT_EQ(view.size(), 6u);
  EXPECT_EQ(view[0], (ShareView{1, 120}));
  for (int g = 1; g < 6; ++g) {
    EXPECT_EQ(view[g], (ShareView{20, 2376}));
    EXPECT_DOUBLE_EQ(shares[g], 19.8);
  }

  // A group held at the minimum shares in an increase as well: 99 and 1
  // percent, then the first bar down to 50 gives the second 6000.
  shares = {99.0, 1.0};
  view = RebalanceShares(shares, 0, 50, 12000);
  ASSERT_EQ(view.size(), 2u);
  EXPECT_EQ(view[1], (ShareView{50, 6000}));
  EXPECT_EQ(Sum(view), 12000);
}

TEST(GroupShares, RoundedPartsMayMissTheTotalByAFewAgents) {
  // 7 groups of 1001 agents, 143 each; one to 40 percent is 400, r = -257
  // over six groups rounds to d = -43: six times 100, one agent unplaced.
  std::vector<double> shares(7, 100.0 / 7);
  const auto view = RebalanceShares(shares, 3, 40, 1001);
  ASSERT_EQ(view.size(), 7u);
  EXPECT_EQ(view[3].Count, 400);
  EXPECT_EQ(view[0], (ShareView{10, 100}));
  EXPECT_EQ(Sum(view), 1000);
}

TEST(GroupShares, NothingToSpreadAbandons) {
  // A single group, no agents, or a group the shares do not hold.
  std::vector<double> one{100.0};
  EXPECT_TRUE(RebalanceShares(one, 0, 40, 12000).empty());
  EXPECT_DOUBLE_EQ(one[0], 40.0);
  auto shares = SixEqual();
  EXPECT_TRUE(RebalanceShares(shares, 0, 30, 0).empty());
  EXPECT_TRUE(RebalanceShares(shares, 6, 30, 12000).empty());
  EXPECT_TRUE(RebalanceShares(shares, -1, 30, 12000).empty());
}

TEST(GroupShares, ResetGivesEqualSharesForTheCurrentGroupCount) {
  std::vector<double> shares{95.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  auto view = ResetShares(shares, 6, 12000);
  ASSERT_EQ(view.size(), 6u);
  for (int g = 0; g < 6; ++g) {
    EXPECT_EQ(view[g], (ShareView{16, 2000}));
    EXPECT_NEAR(shares[g], 16.67, 0.005);
  }
  // Resized for another number of groups; 3 of 1000 agents: 333.33 -> 333.
  view = ResetShares(shares, 3, 1000);
  ASSERT_EQ(shares.size(), 3u);
  EXPECT_EQ(view[2], (ShareView{33, 333}));
  EXPECT_TRUE(ResetShares(shares, 0, 1000).empty());
}

}  // namespace
