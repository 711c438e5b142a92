#include "streets/street_field.h"

#include <gtest/gtest.h>

#include "simulation/street_controls.h"
#include "simulation/main_controls.h"
#include "tests/support/world_builder.h"

namespace streets {
namespace {

using test_support::Empty;

// Marks a straight street in the cells and records its segment, as a layout would.
void Lay(world::World& w, int c0, int r0, int c1, int r1, int type) {
  w.StreetSegments.push_back({c0, r0, c1, r1, type});
  for (int c = std::min(c0, c1); c <= std::max(c0, c1); ++c) {
    for (int r = std::min(r0, r1); r <= std::max(r0, r1); ++r) {
      w.Cells.StreetType[w.Cells.Index(c, r)] = type;
      w.StreetGrid(c, r) = type;
    }
  }
}

double Weight(const world::World& w, int x, int y, int nx, int ny) { return NeighbourWeight(w, x, y, nx, ny); }

TEST(SegmentsCross, OnlyProperCrossingsCount) {
  EXPECT_TRUE(SegmentsCross(0, 0, 2, 0, 1, -1, 1, 1));
  EXPECT_TRUE(SegmentsCross(0, 0, 2, 2, 0, 2, 2, 0));
  EXPECT_FALSE(SegmentsCross(0, 0, 2, 0, 3, -1, 3, 1));  // beyond the end
  EXPECT_FALSE(SegmentsCross(0, 0, 2, 0, 2, -1, 2, 1));  // through an end point
  EXPECT_FALSE(SegmentsCross(0, 0, 2, 0, 1, 0, 1, 1));   // touching
  EXPECT_FALSE(SegmentsCross(0, 0, 4, 0, 1, 0, 3, 0));   // collinear
  EXPECT_FALSE(SegmentsCross(0, 0, 0, 0, 1, -1, 1, 1));  // zero length
  EXPECT_FALSE(SegmentsCross(0, 0, 2, 0, 0, 1, 2, 1));   // parallel
}

TEST(ImprintStreets, WithoutStreetsEveryWeightIsOne) {
  auto sim = Empty();
  const auto& w = sim->world;
  for (double v : NeighbourWeights(w, 0, 0)) EXPECT_EQ(v, 1.0);
  EXPECT_EQ(NeighbourWeights(w, 0, 0).size(), 9u);
  EXPECT_EQ(NeighbourWeights(w, 10, 10).size(), 25u);
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::StreetCellsLabel), "0");
}

TEST(ImprintStreets, ASingleBarrierSegmentActsOnPairsAcrossIt) {
  auto sim = Empty();
  auto& w = sim->world;
  Lay(w, 5, 2, 5, 8, -2);
  simulation::ImprintStreets(w, sim->controls);
  EXPECT_DOUBLE_EQ(Weight(w, 4, 5, 6, 5), 0.33);
  EXPECT_DOUBLE_EQ(Weight(w, 6, 4, 4, 6), 0.33);
  EXPECT_DOUBLE_EQ(Weight(w, 4, 5, 4, 6), 1.0);  // same side
  EXPECT_DOUBLE_EQ(Weight(w, 4, 5, 5, 5), 0.33);  // the street cell carries its own lowered value
  EXPECT_DOUBLE_EQ(Weight(w, 4, 0, 6, 0), 1.0);   // beyond the segment's end
  EXPECT_EQ(w.StreetCellCount, 7);
}

TEST(ImprintStreets, AFullHeightBarrierDoesNotSeparateItsEndRows) {
  auto sim = Empty();
  auto& w = sim->world;
  Lay(w, 9, 0, 9, 19, -3);
  simulation::ImprintStreets(w, sim->controls);
  EXPECT_DOUBLE_EQ(Weight(w, 8, 0, 10, 0), 1.0);
  EXPECT_DOUBLE_EQ(Weight(w, 8, 19, 10, 19), 1.0);
  EXPECT_DOUBLE_EQ(Weight(w, 8, 7, 10, 7), 0.0);
  EXPECT_DOUBLE_EQ(Weight(w, 8, 0, 10, 1), 0.0);
}

TEST(ImprintStreets, TheLastPositiveStreetMetDecidesTheValue) {
  auto sim = Empty();
  auto& w = sim->world;
  Lay(w, 0, 4, 19, 4, 1);
  Lay(w, 0, 6, 19, 6, 3);
  simulation::ImprintStreets(w, sim->controls);
  EXPECT_DOUBLE_EQ(w.Cells.StreetValue[w.Cells.Index(7, 5)], 8.0);
  EXPECT_EQ(w.Cells.DisplayColor[w.Cells.Index(7, 5)], world::kLightGrey);

  auto other = Empty();
  Lay(other->world, 0, 4, 19, 4, 3);
  Lay(other->world, 0, 6, 19, 6, 1);
  simulation::ImprintStreets(other->world, other->controls);
  EXPECT_DOUBLE_EQ(other->world.Cells.StreetValue[other->world.Cells.Index(7, 5)], 2.0);
  // A plain cell's occupant carries the raised value for its neighbours.
  EXPECT_DOUBLE_EQ(Weight(other->world, 7, 8, 7, 7), 2.0);
}

TEST(ImprintStreets, PositiveStreetsReachAcrossTheGridEdge) {
  auto sim = Empty();
  auto& w = sim->world;
  Lay(w, 0, 0, 0, 19, 2);
  simulation::ImprintStreets(w, sim->controls);
  EXPECT_DOUBLE_EQ(w.Cells.StreetValue[w.Cells.Index(19, 7)], 4.0);
  EXPECT_EQ(w.Cells.DisplayColor[w.Cells.Index(19, 7)], world::kLightGrey);
  EXPECT_EQ(NeighbourWeights(w, 19, 7).size(), 15u);  // the weights never wrap
}

TEST(ImprintStreets, ABarrierWeightEqualToTypeZeroMakesItInvisible) {
  auto sim = Empty();
  auto& w = sim->world;
  Lay(w, 5, 2, 5, 8, -1);
  sim->controls.SetByUser(simulation::WeightControlName(-1), "1");
  simulation::ImprintStreets(w, sim->controls);
  EXPECT_DOUBLE_EQ(Weight(w, 4, 5, 6, 5), 1.0);
  EXPECT_DOUBLE_EQ(Weight(w, 4, 5, 5, 5), 1.0);
}

TEST(ImprintStreets, TheTypeZeroWeightAloneChangesNoWeight) {
  auto sim = Empty();
  auto& w = sim->world;
  Lay(w, 0, 4, 19, 4, 2);
  simulation::ImprintStreets(w, sim->controls);
  const auto before = NeighbourWeights(w, 7, 5);
  sim->controls.SetByUser(simulation::WeightControlName(0), "3");
  simulation::ImprintStreets(w, sim->controls);
  EXPECT_EQ(NeighbourWeights(w, 7, 5), before);
}

TEST(ImprintStreets, ABadWeightStopsBeforeAnythingChanges) {
  auto sim = Empty();
  auto& w = sim->world;
  Lay(w, 5, 2, 5, 8, -2);
  simulation::ImprintStreets(w, sim->controls);
  Lay(w, 0, 12, 19, 12, 3);
  w.StreetsDirty = true;
  sim->controls.SetByUser(simulation::WeightControlName(3), "acht");
  try {
    simulation::ImprintStreets(w, sim->controls);
    FAIL();
  } catch (const world::UserError& e) {
    EXPECT_STREQ(e.what(), "'acht' ist kein gültiger Gleitkommawert");
  }
  EXPECT_TRUE(w.StreetsDirty);
  EXPECT_EQ(w.StreetCellCount, 7);
  EXPECT_DOUBLE_EQ(w.Cells.StreetValue[w.Cells.Index(7, 11)], 1.0);
  EXPECT_DOUBLE_EQ(Weight(w, 4, 5, 6, 5), 0.33);
}

// The weight of a street is read wherever it lies: here in the last cell of
// a 99 x 99 grid, in the cells alone and in the street grid alone.
TEST(ImprintStreets, AStreetInTheLastCellNeedsItsWeight) {
  for (const bool inCells : {true, false}) {
    auto sim = Empty({{"Edit_cellSiz", "7"}});
    auto& w = sim->world;
    ASSERT_EQ(w.Cells.Count(), 99 * 99);
    if (inCells) {
      w.Cells.StreetType[w.Cells.Index(98, 98)] = 2;
    } else {
      w.StreetGrid(98, 98) = 2;
    }
    sim->controls.SetByUser(simulation::WeightControlName(2), "zwei");
    EXPECT_THROW(simulation::ImprintStreets(w, sim->controls), world::UserError) << inCells;
  }
}

// Weights so large that a neighbourhood's sum would overflow are refused
// by the field typed, before anything changes; the largest allowed imprints.
TEST(ImprintStreets, AWeightWhoseSumsWouldOverflowIsRefused) {
  auto sim = Empty();
  auto& w = sim->world;
  Lay(w, 0, 12, 19, 12, 3);
  sim->controls.SetByUser(simulation::WeightControlName(3), "1e308");
  try {
    simulation::ImprintStreets(w, sim->controls);
    FAIL();
  } catch (const world::UserError& e) {
    EXPECT_STREQ(e.what(), "the street weight '1e308' is out of range: weights must lie between -1E+299 and 1E+299");
  }
  EXPECT_DOUBLE_EQ(w.Cells.StreetValue[w.Cells.Index(7, 11)], 1.0);
  sim->controls.SetByUser(simulation::WeightControlName(3), "-1e308");
  EXPECT_THROW(simulation::ImprintStreets(w, sim->controls), world::UserError);
  sim->controls.SetByUser(simulation::WeightControlName(3), "1e299");
  simulation::ImprintStreets(w, sim->controls);
  EXPECT_DOUBLE_EQ(w.Cells.StreetValue[w.Cells.Index(7, 11)], 1e299);
}

TEST(ImprintStreets, ABadWeightOfAnUnusedTypeIsNeverRead) {
  auto sim = Empty();
  sim->controls.SetByUser(simulation::WeightControlName(-3), "x");
  EXPECT_NO_THROW(simulation::ImprintStreets(sim->world, sim->controls));
}

TEST(ImprintStreets, DeletingAllStreetsRestoresPlainWeights) {
  auto sim = Empty();
  auto& w = sim->world;
  Lay(w, 5, 2, 5, 8, -2);
  Lay(w, 0, 4, 19, 4, 3);
  simulation::ImprintStreets(w, sim->controls);
  w.StreetGrid.Fill(0);
  w.StreetSegments.clear();
  simulation::ApplyStreetGrid(w, sim->controls);
  for (double v : w.Cells.StreetValue) EXPECT_EQ(v, 1.0);
  for (double v : NeighbourWeights(w, 5, 4)) EXPECT_EQ(v, 1.0);
  EXPECT_EQ(w.Cells.DisplayColor[w.Cells.Index(5, 5)], world::kWhite);
}

TEST(ImprintStreets, AHugeRadiusStaysCheapAndExact) {
  // Cell size 1 (694 x 694 cells) and radius 1000: every pair of the grid is
  // a neighbour pair, yet nothing is stored per pair.
  auto sim = test_support::Make({{"Edit_cellSiz", "1"}, {"Edit_anzAg", "0"}, {"Edit_nRad", "1000"}});
  auto& w = sim->world;
  ASSERT_EQ(w.GridCols, 694);
  Lay(w, 300, 10, 300, 600, -3);
  simulation::ImprintStreets(w, sim->controls);
  EXPECT_DOUBLE_EQ(Weight(w, 0, 300, 693, 300), 0.0);
  EXPECT_DOUBLE_EQ(Weight(w, 0, 0, 693, 5), 1.0);
  EXPECT_DOUBLE_EQ(Weight(w, 250, 650, 350, 620), 1.0);
}

TEST(PlainEvaluation, ReadsTheStreetWeights) {
  auto sim = Empty({{"cb_individTol", "0"}});
  auto& w = sim->world;
  Lay(w, 5, 0, 5, 19, -2);
  simulation::ImprintStreets(w, sim->controls);
  test_support::Put(*sim, 4, 10, 1);
  test_support::Put(*sim, 3, 10, 1);
  test_support::Put(*sim, 6, 10, 2);
  // Similar: itself 1 + neighbour 1; different: 0.33 across the barrier.
  EXPECT_NEAR(sim->EvaluateCell(4, 10), 100.0 * 2.0 / 2.33, 1e-12);
}

}  // namespace
}  // namespace streets
