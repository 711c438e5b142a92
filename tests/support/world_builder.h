#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "simulation/simulation.h"
#include "simulation/controls.h"
#include "simulation/main_controls.h"
#include "world/painter.h"
#include "world/world.h"

// The worlds the tests, the monkey's checks and the fuzzers start from: set
// up through the main window's settings as a user would, or laid out by hand.
namespace test_support {

// Main-window settings by component name and text, typed in this order.
using Settings = std::vector<std::pair<std::string, std::string>>;

// A simulation with the main window shown, `settings` typed, set up with
// seeds drawn from `seeds`.
std::unique_ptr<simulation::Simulation> SetUp(const Settings& settings, std::function<std::uint64_t()> seeds);

// Set up with the fixed `seed`, the group thresholds then applied as "set" does.
std::unique_ptr<simulation::Simulation> Make(const Settings& settings = {}, std::uint64_t seed = 1);

// A 20 x 20 world (cell size 34) without agents, for hand-built scenes.
std::unique_ptr<simulation::Simulation> Empty(Settings settings = {});

// A 20 x 20 world (cell size 34) with 120 agents, the global threshold and
// no painting. Every set-up takes the next seed of a counter starting at
// `seed`, so repeated calculations differ while every test run repeats exactly.
std::unique_ptr<simulation::Simulation> SmallWorld(const Settings& settings = {}, std::uint64_t seed = 1);

// Puts an agent of group g (1..GroupCount) on the empty cell (x, y) as
// placement would: pixel centre, colour, budget, disc radius, cell and count.
world::TAgent& Put(world::World& w, int x, int y, int g, double budget = 1.0);
world::TAgent& Put(simulation::Simulation& sim, int x, int y, int g, double budget = 1.0);

// Remembers what was painted, in order.
struct RecordingPainter : world::WorldPainter {
  std::vector<std::pair<int, int>> Cells;
  int AllCells = 0;
  int Repaints = 0;
  void DrawCell(int x, int y) override { Cells.emplace_back(x, y); }
  void DrawAgent(const world::TAgent&) override {}
  void DrawAllCells() override { ++AllCells; }
  void RepaintWorld() override { ++Repaints; }
  void CreateImage() override {}
};

// A world of cols x rows plain cells without agents (rows = cols when
// negative), with the main window's controls at their defaults, neighbourhood
// radius 1, random seed 7 and a recording painter.
struct BareWorld {
  world::World World;
  simulation::ControlModel Controls;
  RecordingPainter Painter;

  explicit BareWorld(int cols, int rows = -1, int cellSize = 6);
  BareWorld(const BareWorld&) = delete;
  BareWorld& operator=(const BareWorld&) = delete;

  int TypeAt(int x, int y) const { return World.Cells.StreetType[World.Cells.Index(x, y)]; }
  world::ColorRef ColorAt(int x, int y) const { return World.Cells.DisplayColor[World.Cells.Index(x, y)]; }
};

}  // namespace test_support
