// The Python module's world without an interpreter: what its Python threads
// do, run on C++ threads, so that ThreadSanitizer can watch them.
#include "python/world_handle.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "cli/control_settings.h"

namespace pyvicinara {
namespace {

const std::vector<std::string> kSmall{"Edit_cellSiz=17", "Edit_anzAg=800", "cb_individTol=0"};

std::string TableOf(std::uint64_t seed, long long steps) {
  WorldHandle world(seed, kSmall);
  world.Step(steps);
  return world.Table();
}

TEST(WorldHandle, WorldsOnTwoThreadsGiveWhatEachGivesAlone) {
  const std::string a = TableOf(5, 40);
  const std::string b = TableOf(6, 40);
  std::string together[2];
  std::thread first([&] { together[0] = TableOf(5, 40); });
  std::thread second([&] { together[1] = TableOf(6, 40); });
  first.join();
  second.join();
  EXPECT_EQ(together[0], a);
  EXPECT_EQ(together[1], b);
  EXPECT_NE(a, b);
}

TEST(WorldHandle, ThreadsSharingAWorldTakeTurns) {
  WorldHandle shared(8, kSmall);
  std::vector<std::thread> threads;
  threads.emplace_back([&] { shared.Step(20); });
  threads.emplace_back([&] { shared.Step(20); });
  // Readers while the steps run see whole steps.
  threads.emplace_back([&] {
    for (int i = 0; i < 20; ++i) {
      const auto grid = shared.CopyGrid();
      EXPECT_EQ(grid.States.size(), 41u * 41u);
      EXPECT_FALSE(shared.Measures().empty());
    }
  });
  for (auto& t : threads) t.join();
  EXPECT_EQ(shared.StepCount(), 40);
  EXPECT_EQ(shared.Table(), TableOf(8, 40));
}

TEST(WorldHandle, SetUpsAndSettingsAsAUserMakesThem) {
  WorldHandle world(4, {"Edit_cellSiz=3", cli::kSetupText, "Edit_anzAg=20000"});
  EXPECT_EQ(world.Get("Edit_anzAg"), "20000");
  EXPECT_NE(world.Measures().find("\"agents\":20000"), std::string::npos);
  world.Set("Edit_cellSiz", "17");
  world.Set("Edit_anzAg", "3000");  // held to what 231 x 231 holds: it stays
  EXPECT_EQ(world.Get("Edit_anzAg"), "3000");
  world.NewSetup();
  EXPECT_FALSE(world.TakeNotices().empty());  // 3000 agents do not fit 41 x 41
  EXPECT_TRUE(world.TakeNotices().empty());
  world.Set("Edit_anzAg", "2000");  // now checked against 41 x 41
  EXPECT_EQ(world.Get("Edit_anzAg"), "1597");
  EXPECT_THROW(world.Set("NoSuch", "1"), cli::UsageError);
  EXPECT_THROW(world.Set("Edit_anzGr", "x"), world::UserError);
  EXPECT_THROW(world.Step(-1), cli::UsageError);
}

TEST(WorldHandle, StepsStopWhenAskedAndAtTheStopTimestep) {
  WorldHandle world(3, {"Edit_cellSiz=17", "Edit_anzAg=800", "E_stopT=6"});
  EXPECT_EQ(world.StepsToStop(), 6);
  int asked = 0;
  EXPECT_EQ(world.Step(10, [&asked] { return ++asked <= 4; }), 4);
  EXPECT_EQ(world.StepsToStop(), 2);
  EXPECT_EQ(world.Step(2), 2);
  EXPECT_EQ(world.StepsToStop(), 0);
  EXPECT_EQ(world.StepCount(), 6);
}

}  // namespace
}  // namespace pyvicinara
