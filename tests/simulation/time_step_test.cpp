#include <gtest/gtest.h>

#include "world/rounding.h"
#include "simulation/display_settings.h"
#include "display/world_image.h"
#include "tests/support/world_builder.h"

namespace simulation {
namespace {

using test_support::Make;

TEST(TimeStep, StopsOnlyWhenTheStepCountEqualsTheStopStep) {
  auto sim = Make({{"Edit_anzAg", "2000"}, {"E_stopT", "3"}});
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(sim->Running());
    sim->TimeStep();
  }
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::StepsLabel), "3");
  EXPECT_FALSE(sim->Running());
  EXPECT_EQ(sim->controls.Get(simulation::MainControl::StartStop).FontColor, world::kRed);
  sim->B_stopClick();
  EXPECT_TRUE(sim->Running());
  EXPECT_EQ(sim->controls.Get(simulation::MainControl::StartStop).FontColor, world::kGreen);
  sim->TimeStep();
  EXPECT_TRUE(sim->Running());  // step 4 passes the stop step
}

TEST(TimeStep, StopStepZeroNeverStops) {
  auto sim = Make({{"Edit_anzAg", "500"}, {"E_stopT", "0"}});
  for (int i = 0; i < 5; ++i) sim->TimeStep();
  EXPECT_TRUE(sim->Running());
}

TEST(GrowPopulation, AddsPerStepUntilTheCeiling) {
  auto sim = Make({{"CB_actiGrow", "1"}, {"E_startGrowWith", "100"}, {"E_growRate", "10"}});
  EXPECT_EQ(sim->world.NumberOfAgents(), 100);
  for (int t = 1; t <= 5; ++t) {
    sim->TimeStep();
    EXPECT_EQ(sim->world.NumberOfAgents(), 100 + 10 * t);
  }
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::AgentCountLabel), "149");
}

TEST(GrowPopulation, AddsAllOfAStepEvenPastTheCeiling) {
  auto sim = Make({{"Edit_anzAg", "105"}, {"CB_actiGrow", "1"}, {"E_startGrowWith", "100"}, {"E_growRate", "10"}});
  sim->TimeStep();
  EXPECT_EQ(sim->world.NumberOfAgents(), 110);
  sim->TimeStep();
  EXPECT_EQ(sim->world.NumberOfAgents(), 110);
}

TEST(GrowPopulation, NewAgentsTakeTheAgentSizeInForce) {
  auto sim = Make({{"CB_actiGrow", "1"}, {"E_startGrowWith", "50"}});
  sim->controls.ClickUpDown(simulation::MainControl::AgentSizeUpDown, 7);
  sim->TimeStep();
  const auto& agents = sim->world.Agents;
  EXPECT_EQ(agents.front().Radius, 2);
  EXPECT_EQ(agents.back().Radius, 7);
}

// A clock the test moves by hand.
struct ManualClock {
  std::int64_t now = 5'000'000;
};

TEST(SpeedDisplay, ShowsFramesPerSecondAtMostOncePerSecond) {
  auto clock = std::make_shared<ManualClock>();
  auto sim = Make({{"Edit_anzAg", "200"}});
  sim->SetClock([clock] { return clock->now; });
  EXPECT_EQ(sim->Caption(), "Vicinara");
  sim->TimeStep();  // the first step already replaces the title
  EXPECT_EQ(sim->Caption(), "Group seperation || fps= 0");
  for (int i = 0; i < 19; ++i) {
    clock->now += 50;
    sim->TimeStep();
  }
  EXPECT_EQ(sim->Caption(), "Group seperation || fps= 0");  // 950 ms: unchanged
  clock->now += 50;
  sim->TimeStep();
  EXPECT_EQ(sim->Caption(), "Group seperation || fps= 20");
  for (int i = 0; i < 20; ++i) {
    clock->now += i == 19 ? 300 : 50;
    sim->TimeStep();
  }
  EXPECT_EQ(sim->Caption(), "Group seperation || fps= 16");  // 20 steps in 1250 ms
}

TEST(StartStop, StartingWithPendingStreetsImprintsThem) {
  auto sim = Make({{"Edit_anzAg", "100"}});
  sim->SetRunning(false);
  sim->world.Cells.StreetType[sim->world.Cells.Index(3, 3)] = 2;
  sim->world.StreetsDirty = true;
  sim->B_stopClick();
  EXPECT_TRUE(sim->Running());
  EXPECT_FALSE(sim->world.StreetsDirty);
  EXPECT_EQ(sim->world.StreetCellCount, 1);
  EXPECT_EQ(sim->controls.Get(simulation::MainControl::StartStop).FontColor, world::kRed);  // green became red
}

TEST(NewSetup, LeavesTheRunStateAloneAndResetsTheStepCount) {
  auto sim = Make({{"Edit_anzAg", "300"}, {"E_stopT", "2"}});
  sim->TimeStep();
  sim->TimeStep();
  EXPECT_FALSE(sim->Running());
  sim->B_setupClick();
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::StepsLabel), "0");
  EXPECT_FALSE(sim->Running());
  sim->SetRunning(true);
  sim->TimeStep();
  sim->TimeStep();
  EXPECT_FALSE(sim->Running());  // stops again at the stop step
}

}  // namespace
}  // namespace simulation

namespace simulation {
namespace {

// After a step the picture must be what a full repaint of the world gives,
// whichever painting the step could skip.
TEST(TimeStepPainting, LeavesThePictureOfTheWorldAsItStands) {
  for (const char* showAgents : {"1", "0"}) {
    auto sim = test_support::Make({{"Edit_anzAg", "3000"}, {"CB_showAgs", showAgents}, {"CB_showRentSc", "0"}}, 13);
    display::WorldImage image(sim->world, simulation::ShowRentLandscape(sim->controls));
    sim->SetPainter(&image);
    image.RepaintWorld();
    for (int i = 0; i < 3; ++i) sim->TimeStep();
    display::WorldImage fresh(sim->world, simulation::ShowRentLandscape(sim->controls));
    fresh.RepaintWorld();
    if (std::string(showAgents) == "1") {
      EXPECT_EQ(image.Image().Pixels, fresh.Image().Pixels);
    } else {
      // Moves were painted as they happened: every agent shows at its cell.
      for (const auto& a : sim->world.Agents) {
        ASSERT_EQ(image.Image().At(a.PixelX, a.PixelY), a.Color);
      }
    }
    sim->SetPainter(nullptr);
  }
}

}  // namespace
}  // namespace simulation
