#include <gtest/gtest.h>

#include <numeric>
#include <tuple>

#include "simulation/main_controls.h"
#include "tests/support/world_assertions.h"
#include "tests/support/world_builder.h"

namespace simulation {
namespace {

using test_support::Consistent;
using test_support::Make;

TEST(BuildWorld, DefaultsGiveA116By116World) {
  auto sim = Make();
  const auto& w = sim->world;
  EXPECT_EQ(w.GridCols, 116);
  EXPECT_EQ(w.GridRows, 116);
  EXPECT_EQ(w.HalfCell, 3);
  EXPECT_EQ(w.PositionX(0), 3);
  EXPECT_EQ(w.NbCellCount, 25);
  EXPECT_EQ(w.NumberOfAgents(), 12000);
  EXPECT_EQ(std::accumulate(w.GroupCounts.begin(), w.GroupCounts.end(), 0), 12000);
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::CellSizeLabel), "116 x 116 = 13456");
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::ThresholdLabel), "100");
  EXPECT_EQ(w.StepCount, 0);
  EXPECT_TRUE(Consistent(w));
  for (const auto& a : w.Agents) EXPECT_EQ(a.Radius, 2);
}

TEST(BuildWorld, CellSizeSevenGives99CellsAndHalfCellFour) {
  auto sim = Make({{"Edit_cellSiz", "7"}, {"Edit_anzAg", "100"}});
  EXPECT_EQ(sim->world.GridCols, 99);
  EXPECT_EQ(sim->world.GridRows, 99);
  EXPECT_EQ(sim->world.HalfCell, 4);
}

TEST(BuildPalette, WalksFromRedToMagenta) {
  using world::Rgb;
  EXPECT_EQ(Simulation::BuildPalette(6), (std::vector<world::ColorRef>{Rgb(255, 0, 0), Rgb(255, 255, 0), Rgb(0, 255, 0),
                                                                       Rgb(0, 255, 255), Rgb(0, 0, 255), Rgb(255, 0, 255)}));
  EXPECT_EQ(Simulation::BuildPalette(2), (std::vector<world::ColorRef>{Rgb(255, 0, 0), Rgb(255, 0, 255)}));
  // 3 groups: step 637.5, a = 0, 638 (637.5 to even), 1275.
  EXPECT_EQ(Simulation::BuildPalette(3)[1], Rgb(0, 255, 128));
}

TEST(BuildWorld, GroupSharesFillGroupsInOrder) {
  auto sim = std::make_unique<Simulation>([] { return std::uint64_t{5}; });
  sim->controls.SetByUser("Edit_anzGr", "3");
  sim->controls.SetByUser("Edit_anzAg", "100");
  sim->controls.SetByUser("cb_indiGroups", "1");
  sim->world.GroupShares = {50, 30, 20};
  sim->NewSetup();
  const auto& agents = sim->world.Agents;
  ASSERT_EQ(agents.size(), 100u);
  for (int i = 0; i < 100; ++i) {
    const int expected = i < 50 ? 1 : i < 80 ? 2 : 3;
    EXPECT_EQ(agents[static_cast<std::size_t>(i)].Group, expected) << "agent " << i + 1;
  }
}

TEST(BuildWorld, AGroupWhoseShareRoundsToZeroStillGetsOneAgent) {
  auto sim = std::make_unique<Simulation>([] { return std::uint64_t{5}; });
  sim->controls.SetByUser("Edit_anzGr", "3");
  sim->controls.SetByUser("Edit_anzAg", "100");
  sim->controls.SetByUser("cb_indiGroups", "1");
  sim->world.GroupShares = {60, 0.2, 39.8};
  sim->NewSetup();
  EXPECT_EQ(sim->world.GroupCounts, (std::vector<int>{60, 1, 39}));
}

TEST(BuildWorld, WithoutGroupSizesEveryGroupIsEquallyLikely) {
  auto sim = Make();
  for (int count : sim->world.GroupCounts) EXPECT_NEAR(count, 2000, 200);
}

TEST(BuildWorld, BudgetsFollowTheRentSettings) {
  auto sim = Make({{"Edit_anzGr", "4"}, {"Edit_anzAg", "400"}});
  for (const auto& a : sim->world.Agents) EXPECT_DOUBLE_EQ(a.Budget, -1.0 + a.Group * 0.5);
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::BudgetLabel), "0,5");

  auto off = Make({{"Edit_anzAg", "400"}, {"cb_actiRentLand", "0"}});
  for (const auto& a : off->world.Agents) EXPECT_DOUBLE_EQ(a.Budget, 1.0);
}

TEST(BuildRentControls, OneLabelAndEditPerGroupWithEntryRents) {
  auto sim = Make({{"Edit_anzAg", "100"}});
  const char* expected[] = {"-1", "-0,6", "-0,2", "0,2", "0,6", "1"};
  for (int g = 1; g <= 6; ++g) {
    EXPECT_EQ(sim->controls.Text(simulation::RentEditName(g)), expected[g - 1]);
    EXPECT_EQ(sim->controls.Text(simulation::RentLabelName(g)), "group " + std::to_string(g));
  }
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::BudgetLabel), "0,33");
  sim->controls.SetByUser("Edit_anzGr", "3");
  sim->NewSetup();
  EXPECT_TRUE(sim->controls.Has("E_Rent3"));
  EXPECT_FALSE(sim->controls.Has("E_Rent4"));
  EXPECT_FALSE(sim->controls.Has("Lbl_Rent4"));
}

TEST(NewSetup, SameSeedGivesTheSameWorld) {
  auto a = Make({}, 77);
  auto b = Make({}, 77);
  ASSERT_EQ(a->world.NumberOfAgents(), b->world.NumberOfAgents());
  for (std::size_t i = 0; i < a->world.Agents.size(); ++i) {
    EXPECT_EQ(a->world.Agents[i].CellX, b->world.Agents[i].CellX);
    EXPECT_EQ(a->world.Agents[i].Group, b->world.Agents[i].Group);
  }
}

TEST(NewSetup, SetUpsInTheSameClockTickGetDifferentSeeds) {
  Simulation a, b;
  EXPECT_NE(a.world.Rng.SeedValue(), b.world.Rng.SeedValue());
  const auto first = a.world.Rng.SeedValue();
  a.NewSetup();
  EXPECT_NE(a.world.Rng.SeedValue(), first);
}

// A refused set-up must leave the running world exactly as it was.
class RefusedSetup : public ::testing::Test {
 protected:
  void SetUp() override { sim = Make({{"Edit_anzAg", "500"}}, 3); }
  void ExpectUnchanged() {
    const auto& w = sim->world;
    EXPECT_EQ(w.NumberOfAgents(), 500);
    EXPECT_EQ(w.GroupCount, 6);
    EXPECT_EQ(w.GridCols, 116);
    EXPECT_TRUE(sim->controls.Has("E_Rent6"));
    EXPECT_TRUE(Consistent(w));
  }
  std::unique_ptr<Simulation> sim;
};

TEST_F(RefusedSetup, OneGroupIsRefusedWithAClearMessage) {
  sim->controls.SetByUser("Edit_anzGr", "1");
  try {
    sim->NewSetup();
    FAIL();
  } catch (const world::UserError& e) {
    EXPECT_STREQ(e.what(), "the number of groups must be at least 2");
    EXPECT_EQ(e.Caption(), "missing value");
  }
  ExpectUnchanged();
}

TEST_F(RefusedSetup, MoreGroupsThanTheUpDownOffersAreRefused) {
  for (const char* typed : {"1001", "5000", "99999", "2147483647"}) {
    sim->controls.SetByUser("Edit_anzGr", typed);
    try {
      sim->NewSetup();
      FAIL() << typed;
    } catch (const world::UserError& e) {
      EXPECT_STREQ(e.what(), "the number of groups must be at most 1000");
      EXPECT_EQ(e.Caption(), "missing value");
    }
    ExpectUnchanged();
  }
  sim->controls.SetByUser("Edit_anzGr", "1000");
  EXPECT_EQ(sim->ReadSetupSettings().GroupCount, 1000);
}

TEST_F(RefusedSetup, ARadiusBeyondTheUpDownsRangeIsRefused) {
  // Its neighbourhood would count more positions than an int holds.
  sim->controls.SetByUser("Edit_nRad", "2147483647");
  try {
    sim->NewSetup();
    FAIL();
  } catch (const world::UserError& e) {
    EXPECT_STREQ(e.what(), "the neighbourhood radius must be at most 1000");
  }
  ExpectUnchanged();
  sim->controls.SetByUser("Edit_nRad", "1000");
  EXPECT_EQ(sim->ReadSetupSettings().Radius, 1000);
}

TEST_F(RefusedSetup, ARentRangeWhoseSumsOverflowNamesTheFieldTyped) {
  sim->controls.SetByUser("E_rentMin", "1e308");
  sim->controls.SetByUser("E_rentMax", "-1e308");
  try {
    sim->NewSetup();
    FAIL();
  } catch (const world::UserError& e) {
    EXPECT_STREQ(e.what(), "min rent '1e308' is out of range: rents must lie between -1E+307 and 1E+307");
  }
  ExpectUnchanged();
  sim->controls.SetByUser("E_rentMin", "-1E+307");
  EXPECT_THROW(sim->NewSetup(), world::UserError);  // the max rent is still out of range
  ExpectUnchanged();
}

TEST_F(RefusedSetup, AFieldThatDoesNotParse) {
  sim->controls.Get(simulation::MainControl::RentMax).Text = "viel";
  try {
    sim->NewSetup();
    FAIL();
  } catch (const world::UserError& e) {
    EXPECT_STREQ(e.what(), "'viel' ist kein gültiger Gleitkommawert");
  }
  ExpectUnchanged();
  sim->controls.Get(simulation::MainControl::RentMax).Text = "+1,00";
  sim->controls.Get(simulation::MainControl::Radius).Text = "";
  EXPECT_THROW(sim->NewSetup(), world::UserError);
  ExpectUnchanged();
}

TEST_F(RefusedSetup, AWeightTextAStreetNeeds) {
  sim->world.StreetGrid(3, 3) = -2;
  sim->controls.Get(simulation::WeightControlName(-2)).Text = "x";
  EXPECT_THROW(sim->NewSetup(), world::UserError);
  ExpectUnchanged();
}

TEST(PlaceAgent, AFullGridPlacesNoAgentTwiceAndSaysSoOnce) {
  auto sim = std::make_unique<Simulation>([] { return std::uint64_t{9}; });
  std::vector<std::string> messages;
  sim->SetReporter([&](const world::UserError& e) { messages.push_back(e.what()); });
  sim->controls.SetByUser("Edit_cellSiz", "34");  // 400 cells, 12000 agents wanted
  sim->NewSetup();
  EXPECT_EQ(sim->world.NumberOfAgents(), 400);
  EXPECT_TRUE(Consistent(sim->world));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "no free cell is left for more agents: 400 agents placed");

  sim->controls.SetByUser("CB_actiGrow", "1");
  sim->controls.SetByUser("E_startGrowWith", "390");
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::AgentCount),
            "380");  // the handler checks the ceiling against the cells
  sim->controls.Get(simulation::MainControl::AgentCount).Text = "12000";  // typed before the world shrank
  sim->NewSetup();  // 390 placed, growth adds the last 10 cells and stops
  EXPECT_EQ(sim->world.NumberOfAgents(), 390);
  for (int step = 0; step < 3; ++step) sim->TimeStep();
  EXPECT_EQ(sim->world.NumberOfAgents(), 400);
  EXPECT_TRUE(Consistent(sim->world));
  EXPECT_EQ(messages.size(), 2u);
}

TEST(PlaceAgent, GrowthStartingWithBillionsTakesOnlyWhatTheCellsHold) {
  auto sim = std::make_unique<Simulation>([] { return std::uint64_t{5}; });
  std::vector<std::string> messages;
  sim->SetReporter([&](const world::UserError& e) { messages.push_back(e.what()); });
  sim->controls.SetByUser("Edit_cellSiz", "34");
  sim->controls.SetByUser("CB_actiGrow", "1");
  sim->controls.SetByUser("E_startGrowWith", "2000000000");
  sim->NewSetup();
  EXPECT_EQ(sim->world.NumberOfAgents(), 400);
  EXPECT_LE(sim->world.Agents.capacity(), 12000u);  // what the first world held, not two billion
  EXPECT_EQ(messages.size(), 1u);
  sim->TimeStep();
  EXPECT_TRUE(Consistent(sim->world));
}

TEST(PlaceAgent, NoAgentIsPlacedOnAStreetUnlessOccupationIsAllowed) {
  auto sim = Make({{"Edit_cellSiz", "34"}, {"Edit_anzAg", "300"}});
  for (int r = 0; r < 20; ++r) sim->world.StreetGrid(5, r) = 2;
  sim->NewSetup();
  for (const auto& a : sim->world.Agents) EXPECT_NE(a.CellX, 5);
  sim->controls.SetByUser("Edit_anzAg", "400");
  sim->controls.SetByUser("CB_strOcc", "1");
  sim->NewSetup();
  EXPECT_EQ(sim->world.NumberOfAgents(), 400);
}

TEST(NewSetup, KeepsTheDrawnStreets) {
  auto sim = Make({{"Edit_anzAg", "1000"}});
  sim->world.StreetGrid(10, 4) = -1;
  sim->world.StreetSegments.push_back({10, 4, 10, 4, -1});
  sim->NewSetup();
  EXPECT_EQ(sim->world.Cells.StreetType[sim->world.Cells.Index(10, 4)], -1);
  EXPECT_EQ(sim->world.StreetSegments.size(), 1u);
  EXPECT_EQ(sim->world.StreetCellCount, 1);
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::StreetCellsLabel), "1");
}

TEST(WindowCreation, SetsAgentSizeTwoAndClearsStreets) {
  Simulation sim;
  EXPECT_EQ(sim.world.AgentSize, 2);
  EXPECT_EQ(sim.controls.Text(simulation::MainControl::AgentSize), "2");
  EXPECT_EQ(sim.world.StreetCellCount, 0);
  EXPECT_TRUE(sim.world.StreetSegments.empty());
}

TEST(WindowCreation, FirstAgentsLeftOutMakeNoDifferenceAfterTheNextSetUp) {
  auto seeds = [] { return std::uint64_t{9}; };
  Simulation placed(seeds, {}, Simulation::FirstAgents::Placed);
  Simulation left(seeds, {}, Simulation::FirstAgents::Left);
  EXPECT_EQ(placed.world.NumberOfAgents(), 12000);
  EXPECT_EQ(left.world.NumberOfAgents(), 0);
  EXPECT_EQ(left.world.GridCols, placed.world.GridCols);
  EXPECT_EQ(left.controls.Text(MainControl::BudgetLabel), placed.controls.Text(MainControl::BudgetLabel));
  for (Simulation* sim : {&placed, &left}) {
    sim->controls.SetByUser("Edit_anzAg", "500");
    sim->NewSetup();
  }
  ASSERT_EQ(left.world.NumberOfAgents(), 500);
  for (std::size_t i = 0; i < 500; ++i) {
    const auto &a = placed.world.Agents[i], &b = left.world.Agents[i];
    EXPECT_EQ(std::tie(a.CellX, a.CellY, a.Group, a.Budget), std::tie(b.CellX, b.CellY, b.Group, b.Budget));
  }
  EXPECT_EQ(left.world.Rng.Next(), placed.world.Rng.Next());
  EXPECT_TRUE(Consistent(left.world));
}

}  // namespace
}  // namespace simulation
