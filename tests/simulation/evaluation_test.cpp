#include <gtest/gtest.h>

#include <numeric>

#include "tests/support/world_builder.h"

namespace simulation {
namespace {

using test_support::Empty;
using test_support::Put;

TEST(EvaluateCell, ALoneAgentInPlainModeDependsOnHowEmptyCellsCount) {
  auto sim = Empty({{"cb_individTol", "0"}});
  Put(*sim, 10, 10, 1);
  EXPECT_DOUBLE_EQ(sim->EvaluateCell(10, 10), 100.0);
  sim->controls.SetByUser("RB_count_diff", "1");
  EXPECT_DOUBLE_EQ(sim->EvaluateCell(10, 10), 4.0);  // itself among 25 positions
  sim->controls.SetByUser("RB_count_simi", "1");
  EXPECT_DOUBLE_EQ(sim->EvaluateCell(10, 10), 100.0);
  EXPECT_DOUBLE_EQ(sim->world.Cells.Satisfaction[sim->world.Cells.Index(10, 10)], 100.0);
}

TEST(EvaluateCell, PlainModeSharesOfSimilarNeighbours) {
  auto sim = Empty({{"cb_individTol", "0"}});
  Put(*sim, 5, 5, 1);
  Put(*sim, 6, 5, 1);
  Put(*sim, 5, 6, 2);
  Put(*sim, 7, 7, 3);
  Put(*sim, 8, 8, 2);  // beyond radius 2 of (5, 5)
  EXPECT_DOUBLE_EQ(sim->EvaluateCell(5, 5), 50.0);
  const auto i = sim->world.Cells.Index(5, 5);
  EXPECT_DOUBLE_EQ(sim->world.Cells.Similar[i], 2.0);
  EXPECT_DOUBLE_EQ(sim->world.Cells.Different[i], 2.0);
}

TEST(EvaluateCell, TheNeighbourhoodIsCutAtTheEdgesNotWrapped) {
  auto sim = Empty({{"cb_individTol", "1"}});
  Put(*sim, 0, 0, 1);
  Put(*sim, 19, 19, 2);  // a torus neighbour, but not a neighbour here
  sim->EvaluateCell(0, 0);
  const auto& counts = sim->world.KindCounts;
  EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), 0u), 9u);
  EXPECT_EQ(counts[1], 1u);
  EXPECT_EQ(counts[2], 0u);
}

TEST(ConvertTolerance, DefaultSettingsGiveTheListedTolerances) {
  auto sim = Empty();
  const auto& t = sim->world.GroupTolerance;
  EXPECT_EQ(t(5, 5), 20);
  EXPECT_EQ(t(5, 4), 15);
  EXPECT_EQ(t(5, 3), 10);
  EXPECT_EQ(t(5, 2), 5);
  EXPECT_EQ(t(5, 1), 0);
  EXPECT_EQ(t(5, 6), 25);
  EXPECT_EQ(t(5, 0), 25);
  for (int k = 0; k <= 6; ++k) EXPECT_EQ(t(0, k), 25);
  EXPECT_DOUBLE_EQ(sim->world.TolerancePercent(5, 1), 100.0);
  EXPECT_DOUBLE_EQ(sim->world.TolerancePercent(5, 4), 40.0);
}

TEST(ConvertTolerance, RoundsHalvesToEven) {
  auto sim = Empty({{"Edit_nRad", "1"}});
  EXPECT_EQ(sim->world.NbCellCount, 9);
  sim->world.TolerancePercent(0, 1) = 50;  // 4.5 -> 4
  sim->world.TolerancePercent(0, 2) = 30;  // 2.7 -> 3
  sim->ConvertTolerance();
  EXPECT_EQ(sim->world.GroupTolerance(0, 1), 5);
  EXPECT_EQ(sim->world.GroupTolerance(0, 2), 6);
}

TEST(ConvertTolerance, ChangesNothingWhileIndividualModeIsOff) {
  auto sim = Empty();
  const auto before = sim->world.GroupTolerance;
  sim->controls.SetByUser("cb_individTol", "0");
  sim->controls.SetByUser("UpD_toItself", "50");
  sim->B_setTolsClick();
  EXPECT_EQ(sim->world.GroupTolerance, before);
  EXPECT_DOUBLE_EQ(sim->world.TolerancePercent(0, 1), 50.0);
}

TEST(FillTolerancePercent, ClampsAndKeepsTheEmptySettingUnclamped) {
  auto sim = Empty({{"UpD_toItself", "90"}, {"UpD_toSuper", "30"}, {"UpD_toEmpty", "7"}});
  const auto& p = sim->world.TolerancePercent;
  EXPECT_DOUBLE_EQ(p(0, 1), 90.0);   // itself
  EXPECT_DOUBLE_EQ(p(0, 2), 60.0);   // superior at distance 1
  EXPECT_DOUBLE_EQ(p(0, 5), 0.0);    // 90 - 4 * 30 clamped
  EXPECT_DOUBLE_EQ(p(3, 1), 100.0);  // inferior: 90 + 3 * 20 clamped
  EXPECT_DOUBLE_EQ(p(2, 0), 7.0);
}

TEST(EvaluateCell, IndividualModeCountsOnlyWhatIsTolerated) {
  auto sim = Empty();
  // Group 6 tolerates no group-1 neighbour: one of them among 3 counted cells.
  Put(*sim, 0, 0, 6);
  Put(*sim, 1, 0, 1);
  // Corner: 9 positions: itself, one of group 1 and 7 empty cells; tolerated 8 of 9.
  EXPECT_NEAR(sim->EvaluateCell(0, 0), 800.0 / 9.0, 1e-12);
  Put(*sim, 19, 0, 1);
  Put(*sim, 18, 1, 6);
  // Group 1 tolerates everything.
  EXPECT_DOUBLE_EQ(sim->EvaluateCell(19, 0), 100.0);
}

TEST(EvaluateCell, AGroupWithoutConvertedTolerancesIsNeverSatisfied) {
  auto sim = Empty();
  sim->world.GroupTolerance.Fill(0);
  Put(*sim, 4, 4, 2);
  EXPECT_DOUBLE_EQ(sim->EvaluateCell(4, 4), 0.0);
}

TEST(EvaluateCell, AnEmptyCentreHasSatisfactionZero) {
  auto sim = Empty();
  EXPECT_DOUBLE_EQ(sim->EvaluateCell(4, 4), 0.0);
}

TEST(EvaluateCell, PlainModeWithOnlyZeroWeightsGivesZero) {
  auto sim = Empty({{"cb_individTol", "0"}});
  Put(*sim, 4, 4, 2);
  sim->world.Cells.StreetValue.assign(sim->world.Cells.StreetValue.size(), 0.0);
  EXPECT_DOUBLE_EQ(sim->EvaluateCell(4, 4), 0.0);
}

TEST(EvaluateCell, ManyGroupsAndALargeRadiusCountExactly) {
  // Too many kinds for the packed counter: the general path must agree.
  auto sim = Empty({{"Edit_anzGr", "9"}, {"Edit_nRad", "3"}});
  Put(*sim, 10, 10, 9);
  Put(*sim, 11, 10, 8);
  Put(*sim, 13, 13, 9);
  sim->EvaluateCell(10, 10);
  const auto& counts = sim->world.KindCounts;
  EXPECT_EQ(counts[9], 2u);
  EXPECT_EQ(counts[8], 1u);
  EXPECT_EQ(counts[0], 46u);
}

}  // namespace
}  // namespace simulation
