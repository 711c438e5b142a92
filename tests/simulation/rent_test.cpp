#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "simulation/main_controls.h"
#include "tests/support/world_builder.h"

namespace simulation {
namespace {

using test_support::Empty;
using test_support::Make;
using test_support::Put;

TEST(SmoothRent, SpreadsOneRentOverItsEightTorusNeighbours) {
  auto sim = Empty();
  auto& cells = sim->world.Cells;
  cells.Rent[cells.Index(0, 5)] = 8.0;  // column 0: its left neighbours are in the last column
  sim->SmoothRent();
  EXPECT_DOUBLE_EQ(cells.Rent[cells.Index(0, 5)], 0.0);
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if (!dx && !dy) continue;
      int x = dx, y = 5 + dy;
      sim->world.WrapOnTorus(x, y);
      EXPECT_DOUBLE_EQ(cells.Rent[cells.Index(x, y)], 1.0) << x << "," << y;
    }
  }
  EXPECT_DOUBLE_EQ(cells.Rent[cells.Index(2, 5)], 0.0);
  EXPECT_DOUBLE_EQ(cells.Rent[cells.Index(17, 5)], 0.0);
}

TEST(SmoothRent, LeavesEqualRentsUnchanged) {
  auto sim = Empty();
  auto& rent = sim->world.Cells.Rent;
  rent.assign(rent.size(), 0.25);
  sim->SmoothRent();
  for (double r : rent) EXPECT_DOUBLE_EQ(r, 0.25);
}

TEST(SmoothRent, ComputesEveryNewRentFromTheOldOnes) {
  auto sim = Empty();
  auto& cells = sim->world.Cells;
  cells.Rent[cells.Index(5, 5)] = 8.0;
  cells.Rent[cells.Index(6, 5)] = 16.0;
  sim->SmoothRent();
  EXPECT_DOUBLE_EQ(cells.Rent[cells.Index(5, 5)], 2.0);
  EXPECT_DOUBLE_EQ(cells.Rent[cells.Index(6, 5)], 1.0);
  EXPECT_DOUBLE_EQ(cells.Rent[cells.Index(7, 5)], 2.0);
}

// Rents whose sums round: every new rent must keep every bit of adding the
// nine cells in scan order and taking the cell itself out, on grids of odd
// and even widths, pass after pass.
TEST(SmoothRent, EveryRentIsTheSumInScanOrderBitForBit) {
  for (const char* cellSize : {"34", "33", "23", "6"}) {
    auto sim = Empty({{"Edit_cellSiz", cellSize}});
    auto& w = sim->world;
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> any(-1.0, 1.0);
    for (double& r : w.Cells.Rent) r = any(random) * std::pow(10.0, static_cast<int>(random() % 9) - 4);
    for (int pass = 0; pass < 3; ++pass) {
      const std::vector<double> before = w.Cells.Rent;
      sim->SmoothRent();
      for (int y = 0; y < w.GridRows; ++y) {
        for (int x = 0; x < w.GridCols; ++x) {
          double sum = 0.0;
          for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
              int nx = x + dx, ny = y + dy;
              w.WrapOnTorus(nx, ny);
              sum += before[static_cast<std::size_t>(w.Cells.Index(nx, ny))];
            }
          }
          const double expected = (sum - before[static_cast<std::size_t>(w.Cells.Index(x, y))]) / 8.0;
          const double got = w.Cells.Rent[static_cast<std::size_t>(w.Cells.Index(x, y))];
          ASSERT_EQ(std::memcmp(&expected, &got, sizeof got), 0)
              << "cell size " << cellSize << ", pass " << pass << ", cell " << x << "," << y;
        }
      }
    }
  }
}

TEST(Budget, DefaultsGiveSixStepsUpToOne) {
  auto sim = Make({{"Edit_anzAg", "600"}});
  for (const auto& a : sim->world.Agents) EXPECT_NEAR(a.Budget, -1.0 + a.Group / 3.0, 1e-12);
}

TEST(ApplyEntryRent, TakesTheRentOfTheEnteringGroupOnlyUpToGroupSix) {
  auto sim = Empty({{"Edit_anzGr", "8"}});
  auto& cells = sim->world.Cells;
  sim->controls.SetByUser(simulation::RentEditName(3), "0,75");
  const int i = cells.Index(2, 2);
  cells.State[i] = 3;
  sim->ApplyEntryRent(2, 2);
  EXPECT_DOUBLE_EQ(cells.Rent[i], 0.75);
  cells.State[i] = 7;
  cells.Rent[i] = 0.1;
  sim->ApplyEntryRent(2, 2);
  EXPECT_DOUBLE_EQ(cells.Rent[i], 0.1);
}

TEST(ApplyEntryRent, DoesNothingWhileTheLandscapeIsOff) {
  auto sim = Empty({{"cb_actiRentLand", "0"}});
  auto& cells = sim->world.Cells;
  const int i = cells.Index(2, 2);
  cells.State[i] = 1;
  sim->ApplyEntryRent(2, 2);
  EXPECT_DOUBLE_EQ(cells.Rent[i], 0.0);
}

TEST(ApplyEntryRent, ABadRentTextIsReportedOnceAndTheRunGoesOn) {
  auto sim = Make({{"Edit_anzAg", "9000"}}, 4);
  std::vector<std::string> messages;
  sim->SetReporter([&](const world::UserError& e) { messages.push_back(e.what()); });
  sim->controls.SetByUser(simulation::RentEditName(2), "abc");
  for (int i = 0; i < 5; ++i) sim->TimeStep();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "'abc' ist kein gültiger Gleitkommawert");
  EXPECT_EQ(sim->world.StepCount, 5);
  // Group 2's cells never took a rent from the bad text: no NaN anywhere.
  for (double r : sim->world.Cells.Rent) EXPECT_FALSE(std::isnan(r));
  sim->controls.SetByUser(simulation::RentEditName(2), "");
  sim->TimeStep();
  EXPECT_EQ(messages.size(), 2u);  // a new bad text is reported again
  sim->TimeStep();
  EXPECT_EQ(messages.size(), 2u);
}

TEST(RentLandscape, RentsAtTheEdgesOfTheRangeStayFinite) {
  auto sim = Make({{"Edit_anzAg", "9000"}, {"E_rentMin", "-1E+307"}, {"E_rentMax", "1E+307"}}, 4);
  std::vector<std::string> messages;
  sim->SetReporter([&](const world::UserError& e) { messages.push_back(e.what()); });
  for (const auto& a : sim->world.Agents) EXPECT_TRUE(std::isfinite(a.Budget));
  sim->controls.SetByUser(simulation::RentEditName(1), "1E+307");
  for (int i = 0; i < 5; ++i) sim->TimeStep();
  for (double r : sim->world.Cells.Rent) ASSERT_TRUE(std::isfinite(r));
  EXPECT_TRUE(messages.empty());

  // Beyond the range a rent would make the sums of the smoothing infinite.
  sim->controls.SetByUser(simulation::RentEditName(2), "-1e308");
  for (int i = 0; i < 3; ++i) sim->TimeStep();
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "the rent of group 2 '-1e308' is out of range: rents must lie between -1E+307 and 1E+307"}));
  for (double r : sim->world.Cells.Rent) ASSERT_TRUE(std::isfinite(r));
}

TEST(RentLandscape, InactiveMeansRentsStayZeroAndMaxRentDecides) {
  auto sim = Make({{"cb_actiRentLand", "0"}, {"Edit_anzAg", "3000"}}, 8);
  for (int i = 0; i < 3; ++i) sim->TimeStep();
  for (double r : sim->world.Cells.Rent) EXPECT_EQ(r, 0.0);
  auto broke = Make({{"cb_actiRentLand", "0"}, {"E_rentMax", "0"}, {"Edit_anzAg", "3000"}, {"TrB_thresh", "0"}}, 8);
  broke->TimeStep();
  EXPECT_EQ(broke->world.UnsatisfiedCount, 3000);
}

}  // namespace
}  // namespace simulation
