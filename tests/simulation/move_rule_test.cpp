#include <gtest/gtest.h>

#include <cstdlib>

#include "simulation/main_controls.h"
#include "tests/support/world_assertions.h"
#include "tests/support/world_builder.h"

namespace simulation {
namespace {

using test_support::Consistent;
using test_support::Empty;
using test_support::Make;
using test_support::Put;

TEST(MoveAgents, ThresholdZeroWithoutRentMovesNobody) {
  auto sim = Make({{"TrB_thresh", "0"}, {"cb_actiRentLand", "0"}});
  std::vector<std::pair<int, int>> before;
  for (const auto& a : sim->world.Agents) before.emplace_back(a.CellX, a.CellY);
  sim->MoveAgents();
  EXPECT_EQ(sim->world.UnsatisfiedCount, 0);
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(sim->world.Agents[i].CellX, before[i].first);
    EXPECT_TRUE(sim->world.Agents[i].Satisfied);
  }
}

TEST(MoveAgents, SatisfactionEqualToThresholdPassesRentEqualToBudgetFails) {
  auto sim = Empty({{"cb_individTol", "0"}, {"RB_count_diff", "1"}, {"TrB_thresh", "4"}, {"cb_actiRentLand", "0"}});
  Put(*sim, 10, 10, 1, 1.0);
  sim->MoveAgents();  // step 0 evaluates afresh: 1 of 25 = 4 percent
  EXPECT_TRUE(sim->world.Agents[0].Satisfied);
  sim->world.Cells.Rent[sim->world.Cells.Index(10, 10)] = 1.0;
  sim->world.StepCount = 1;
  sim->MoveAgents();
  EXPECT_FALSE(sim->world.Agents[0].Satisfied);
  EXPECT_EQ(sim->world.UnsatisfiedCount, 1);
}

TEST(MoveAgents, EqualSatisfactionAndEqualRentDoNotMove) {
  // A lone agent is 100 % satisfied everywhere in plain mode; with threshold
  // above that nobody is satisfied, yet no target is better.
  auto sim = Empty({{"cb_individTol", "0"}, {"cb_actiRentLand", "0"}});
  sim->world.Threshold = 101;
  Put(*sim, 3, 3, 1);
  for (int i = 0; i < 20; ++i) sim->TimeStep();
  EXPECT_EQ(sim->world.Agents[0].CellX, 3);
  EXPECT_EQ(sim->world.Agents[0].CellY, 3);
  EXPECT_EQ(sim->world.UnsatisfiedCount, 1);
}

TEST(MoveAgents, ACheaperCellWinsEvenWhenLessSatisfied) {
  auto sim = Empty({{"cb_individTol", "0"}, {"TrB_thresh", "100"}});
  // Agent of group 1 surrounded by its own group but on an expensive cell.
  Put(*sim, 10, 10, 1, 1.0);
  Put(*sim, 11, 10, 1);
  Put(*sim, 9, 10, 1);
  auto& cells = sim->world.Cells;
  cells.Rent.assign(cells.Rent.size(), -0.5);
  cells.Rent[cells.Index(10, 10)] = 2.0;  // above the budget: unsatisfied
  sim->world.StepCount = 1;
  for (int x = 9; x <= 11; ++x) cells.Satisfaction[cells.Index(x, 10)] = 100.0;  // the neighbours stay
  sim->MoveAgents();
  const auto& mover = sim->world.Agents[0];
  EXPECT_FALSE(mover.Satisfied);
  EXPECT_FALSE(mover.CellX == 10 && mover.CellY == 10);
  // It entered with the rent of group 1.
  EXPECT_DOUBLE_EQ(cells.Rent[cells.Index(mover.CellX, mover.CellY)], -1.0);
  EXPECT_DOUBLE_EQ(cells.Rent[cells.Index(10, 10)], 2.0);  // the old cell keeps its rent
}

TEST(MoveAgents, AnAgentOnAStreetLeavesWhenStreetsMayNotBeOccupied) {
  auto sim = Empty({{"TrB_thresh", "0"}, {"cb_actiRentLand", "0"}});
  Put(*sim, 4, 4, 2);
  sim->world.Cells.StreetType[sim->world.Cells.Index(4, 4)] = 1;
  sim->world.StepCount = 1;
  sim->MoveAgents();
  EXPECT_FALSE(sim->world.Agents[0].Satisfied);
  EXPECT_EQ(sim->world.UnsatisfiedCount, 1);
  sim->controls.SetByUser("CB_strOcc", "1");
  sim->MoveAgents();
  EXPECT_TRUE(sim->world.Agents[0].Satisfied);
}

TEST(MoveAgents, TheTargetIsEvaluatedWithTheOldCellVacatedButOccupied) {
  auto sim = Empty({{"cb_individTol", "0"}, {"cb_actiRentLand", "0"}, {"Edit_mDist", "1"}});
  sim->world.Threshold = 101;  // nobody is ever satisfied
  Put(*sim, 10, 10, 1);
  sim->world.StepCount = 1;
  sim->MoveAgents();
  // The target lies next to the old cell, which counts as a different
  // neighbour while the evaluation runs: 1 similar of 2.
  const auto& agent = sim->world.Agents[0];
  ASSERT_EQ(agent.CellX, 10);  // 50 % there is worse than 100 % here
  int evaluated = 0;
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      const int i = sim->world.Cells.Index(10 + dx, 10 + dy);
      if ((dx || dy) && sim->world.Cells.Satisfaction[i] == 50.0) ++evaluated;
    }
  }
  EXPECT_EQ(evaluated, 1);
  EXPECT_TRUE(Consistent(sim->world));
}

TEST(MoveAgents, KeepsTheWorldConsistentOverAWholeRun) {
  auto sim = Make({{"Edit_anzAg", "9000"}, {"CB_actiGrow", "1"}, {"E_startGrowWith", "8000"}}, 21);
  for (int i = 0; i < 60; ++i) sim->TimeStep();
  EXPECT_EQ(sim->world.NumberOfAgents(), 8600);
  EXPECT_TRUE(Consistent(sim->world));

  auto plain = Make({{"cb_individTol", "0"}, {"RB_count_diff", "1"}, {"Edit_nRad", "3"}}, 22);
  for (int i = 0; i < 20; ++i) plain->TimeStep();
  EXPECT_TRUE(Consistent(plain->world));
}

TEST(MoveAgents, StepsLongerThanTheGridWrapBackOntoIt) {
  // The window keeps the move distance within half the rows; a world driven
  // from code may not, and then one step may wrap several times.
  auto sim = Make({{"Edit_anzAg", "500"}}, 23);
  sim->world.MoveDistance = 3 * sim->world.GridCols + 7;
  for (int i = 0; i < 5; ++i) sim->TimeStep();
  EXPECT_TRUE(Consistent(sim->world));
  int far = 0;
  for (const world::TAgent& agent : sim->world.Agents) far += std::abs(agent.StepX) > sim->world.GridCols ? 1 : 0;
  EXPECT_GT(far, 0);
}

TEST(MoveAgents, TheSameSeedGivesTheSameRunAndWorldsAreIndependent) {
  auto a = Make({{"Edit_anzAg", "5000"}}, 5);
  auto b = Make({{"Edit_anzAg", "5000"}}, 5);
  auto other = Make({{"Edit_anzAg", "3000"}}, 6);
  for (int i = 0; i < 30; ++i) {
    a->TimeStep();
    other->TimeStep();
    b->TimeStep();
    ASSERT_EQ(a->world.UnsatisfiedCount, b->world.UnsatisfiedCount) << "step " << i;
  }
  for (std::size_t i = 0; i < a->world.Agents.size(); ++i) {
    ASSERT_EQ(a->world.Agents[i].CellX, b->world.Agents[i].CellX);
    ASSERT_EQ(a->world.Agents[i].CellY, b->world.Agents[i].CellY);
  }
}

TEST(MoveAgents, LaterStepsTestTheValueStoredDuringTheAgentsOwnTurn) {
  auto sim = Empty({{"cb_individTol", "0"}, {"cb_actiRentLand", "0"}, {"TrB_thresh", "60"}});
  Put(*sim, 10, 10, 1);
  sim->world.StepCount = 1;
  // A stale stored value decides, not the actual neighbourhood.
  sim->world.Cells.Satisfaction[sim->world.Cells.Index(10, 10)] = 10.0;
  sim->MoveAgents();
  EXPECT_FALSE(sim->world.Agents[0].Satisfied);
  sim->world.StepCount = 0;
  sim->world.Cells.Satisfaction[sim->world.Cells.Index(sim->world.Agents[0].CellX, sim->world.Agents[0].CellY)] = 10.0;
  sim->MoveAgents();  // step 0 evaluates first: 100 %
  EXPECT_TRUE(sim->world.Agents[0].Satisfied);
}

}  // namespace
}  // namespace simulation

namespace simulation {
namespace {

// Large neighbourhoods are counted with trees; the run must be the very
// same as counting cell by cell.
std::vector<int> RunCounting(int treeFrom, const std::vector<std::pair<std::string, std::string>>& extra) {
  std::vector<std::pair<std::string, std::string>> settings = {
      {"Edit_cellSiz", "10"}, {"Edit_anzAg", "3500"}, {"Edit_nRad", "4"}, {"TrB_thresh", "95"}};
  settings.insert(settings.end(), extra.begin(), extra.end());
  auto sim = test_support::Make(settings, 31);
  sim->SetTreeCountingFrom(treeFrom);
  for (int i = 0; i < 6; ++i) sim->TimeStep();
  std::vector<int> cells;
  for (const auto& a : sim->world.Agents) cells.push_back(sim->world.Cells.Index(a.CellX, a.CellY));
  cells.push_back(sim->world.UnsatisfiedCount);
  for (double s : sim->world.Cells.Satisfaction) cells.push_back(static_cast<int>(s * 1000));
  for (double s : sim->world.Cells.Similar) cells.push_back(static_cast<int>(s));
  for (double d : sim->world.Cells.Different) cells.push_back(static_cast<int>(d));
  EXPECT_TRUE(test_support::Consistent(sim->world));
  return cells;
}

// Plain mode counts with trees too while every neighbour weighs 1, with
// empty cells left out, counted as different or as similar.
TEST(MoveAgents, CountingPlainNeighbourhoodsWithTreesChangesNothing) {
  for (const char* empties : {"RB_count_no", "RB_count_diff", "RB_count_simi"}) {
    SCOPED_TRACE(empties);
    const std::vector<std::pair<std::string, std::string>> plain = {
        {"cb_individTol", "0"}, {"TrB_thresh", "40"}, {empties, "1"}};
    EXPECT_EQ(RunCounting(1 << 30, plain), RunCounting(0, plain));
  }
}

TEST(MoveAgents, CountingLargeNeighbourhoodsWithTreesChangesNothing) {
  EXPECT_EQ(RunCounting(1 << 30, {}), RunCounting(0, {}));
}

TEST(KindCounter, CountsRectanglesAndFollowsMoves) {
  // 4 x 3 grid of kinds.
  const std::int32_t grid[] = {0, 1, 2, 1,  //
                               1, 1, 0, 2,  //
                               2, 0, 0, 1};
  KindCounter counter;
  counter.Build(grid, 4, 3, 3);
  std::uint32_t counts[3] = {};
  counter.Add(1, 0, 2, 1, counts);  // columns 1..2, rows 0..1
  EXPECT_EQ(counts[0], 1u);
  EXPECT_EQ(counts[1], 2u);
  EXPECT_EQ(counts[2], 1u);
  counter.Move(2, 1, 0, 2);
  std::uint32_t after[3] = {};
  counter.Add(0, 0, 3, 2, after);
  EXPECT_EQ(after[0], 3u);
  EXPECT_EQ(after[1], 5u);
  EXPECT_EQ(after[2], 4u);
}

}  // namespace
}  // namespace simulation
