#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/simulation/simulation.h"

namespace simulation::testing {

// A simulation with a fixed seed, set up after the given settings, with the
// group thresholds applied as "set" does.
inline std::unique_ptr<Simulation> Make(const std::vector<std::pair<std::string, std::string>>& settings = {},
                                        std::uint64_t seed = 1) {
  auto sim = std::make_unique<Simulation>([seed] { return seed; });
  sim->MainWindowShown();
  for (const auto& [name, value] : settings) sim->controls.SetByUser(name, value);
  sim->NewSetup();
  sim->B_setTolsClick();
  return sim;
}

// A 20 x 20 world (cell size 34) without agents, for hand-built scenes.
inline std::unique_ptr<Simulation> Empty(std::vector<std::pair<std::string, std::string>> settings = {}) {
  settings.insert(settings.begin(), {{"Edit_cellSiz", "34"}, {"Edit_anzAg", "0"}});
  return Make(settings);
}

// Puts an agent of group g on cell (x, y), as placement would.
inline world::TAgent& Put(Simulation& sim, int x, int y, int g, double budget = 1.0) {
  auto& w = sim.world;
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

// Every agent on its own cell, Occupied and State consistent, counts summing up.
inline ::testing::AssertionResult Consistent(const world::World& w) {
  std::vector<int> onCell(static_cast<std::size_t>(w.Cells.Count()), 0);
  std::vector<int> counts(static_cast<std::size_t>(w.GroupCount), 0);
  for (const auto& a : w.Agents) {
    const int i = w.Cells.Index(a.CellX, a.CellY);
    if (++onCell[static_cast<std::size_t>(i)] > 1) return ::testing::AssertionFailure() << "two agents on one cell";
    if (!w.Cells.Occupied[i] || w.Cells.State[i] != a.Group) return ::testing::AssertionFailure() << "cell disagrees";
    if (a.PixelX != w.PositionX(a.CellX) || a.PixelY != w.PositionY(a.CellY)) {
      return ::testing::AssertionFailure() << "pixel centre off";
    }
    ++counts[static_cast<std::size_t>(a.Group - 1)];
  }
  for (int i = 0; i < w.Cells.Count(); ++i) {
    if (!onCell[static_cast<std::size_t>(i)] && (w.Cells.Occupied[i] || w.Cells.State[i] != 0)) {
      return ::testing::AssertionFailure() << "empty cell marked occupied";
    }
  }
  if (counts != w.GroupCounts) return ::testing::AssertionFailure() << "GroupCounts disagree";
  return ::testing::AssertionSuccess();
}

}  // namespace simulation::testing
