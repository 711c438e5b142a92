#include "tests/support/world_builder.h"


namespace test_support {

std::unique_ptr<simulation::Simulation> SetUp(const Settings& settings, std::function<std::uint64_t()> seeds) {
  auto sim = std::make_unique<simulation::Simulation>(std::move(seeds));
  sim->MainWindowShown();
  for (const auto& [name, value] : settings) sim->controls.SetByUser(name, value);
  sim->NewSetup();
  return sim;
}

std::unique_ptr<simulation::Simulation> Make(const Settings& settings, std::uint64_t seed) {
  auto sim = SetUp(settings, [seed] { return seed; });
  sim->B_setTolsClick();
  return sim;
}

std::unique_ptr<simulation::Simulation> Empty(Settings settings) {
  settings.insert(settings.begin(), {{"Edit_cellSiz", "34"}, {"Edit_anzAg", "0"}});
  return Make(settings);
}

std::unique_ptr<simulation::Simulation> SmallWorld(const Settings& settings, std::uint64_t seed) {
  Settings typed{{"Edit_cellSiz", "34"}, {"Edit_anzAg", "120"}, {"cb_individTol", "0"}, {"CB_graphicUpd", "0"}};
  typed.insert(typed.end(), settings.begin(), settings.end());
  return SetUp(typed, [next = seed]() mutable { return next++; });
}

world::TAgent& Put(world::World& w, int x, int y, int g, double budget) {
  world::TAgent a;
  a.CellX = x;
  a.CellY = y;
  a.PixelX = w.PositionX(x);
  a.PixelY = w.PositionY(y);
  a.Group = g;
  a.Color = w.GroupColors[static_cast<std::size_t>(g - 1)];
  a.Budget = budget;
  a.Radius = w.AgentSize;
  w.Agents.push_back(a);
  const int i = w.Cells.Index(x, y);
  w.Cells.Occupied[i] = 1;
  w.Cells.State[i] = g;
  ++w.GroupCounts[static_cast<std::size_t>(g - 1)];
  return w.Agents.back();
}

world::TAgent& Put(simulation::Simulation& sim, int x, int y, int g, double budget) {
  return Put(sim.world, x, y, g, budget);
}

BareWorld::BareWorld(int cols, int rows, int cellSize) {
  if (rows < 0) rows = cols;
  simulation::BuildMainControls(Controls, World);
  World.CellSize = cellSize;
  World.HalfCell = (cellSize + 1) / 2;
  World.GridCols = cols;
  World.GridRows = rows;
  World.NbRadius = 1;
  World.Cells.Create(cols, rows);
  for (int i = 0; i < cols * rows; ++i) {
    World.Cells.StreetValue[i] = 1.0;
    World.Cells.DisplayColor[i] = world::kWhite;
  }
  World.StreetGrid.Assign(cols, rows, 0);
  World.Rng.Seed(7);
  World.Painter = &Painter;
}

}  // namespace test_support
