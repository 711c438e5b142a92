// Painting the world into its raster: the full repaint at the end of a step
// at the defaults, and all cells at the smallest cell size.
#include <benchmark/benchmark.h>

#include <memory>

#include "simulation/street_controls.h"
#include "simulation/display_settings.h"
#include "simulation/simulation.h"
#include "display/world_image.h"
#include "streets/layouts.h"

namespace {

// The main window's world with a street grid, set up anew with the cell size.
std::unique_ptr<simulation::Simulation> PaintedWorld(const char* cellSize) {
  auto sim = std::make_unique<simulation::Simulation>([] { return std::uint64_t{777}; });
  simulation::DrawStreetGrid(sim->world, sim->controls, 5, 5, {true, 3});
  sim->controls.SetByUser("Edit_cellSiz", cellSize);
  sim->NewSetup();
  return sim;
}

// Arg: 1 shades the cells by rent, 0 shows their colours in outlines.
void BM_RepaintWorldDefaults(benchmark::State& state) {
  auto sim = PaintedWorld("6");
  sim->controls.SetChecked(simulation::MainControl::ShowRentLandscape, state.range(0) != 0);
  display::WorldImage image(sim->world, simulation::ShowRentLandscape(sim->controls));
  for (auto _ : state) {
    image.RepaintWorld();
    benchmark::DoNotOptimize(image.Image().Pixels.data());
  }
  state.counters["cells"] = sim->world.Cells.Count();
  state.counters["agents"] = sim->world.NumberOfAgents();
}
BENCHMARK(BM_RepaintWorldDefaults)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_DrawAllCellsCellSizeOne(benchmark::State& state) {
  auto sim = PaintedWorld("1");
  sim->controls.SetChecked(simulation::MainControl::ShowRentLandscape, state.range(0) != 0);
  display::WorldImage image(sim->world, simulation::ShowRentLandscape(sim->controls));
  for (auto _ : state) {
    image.DrawAllCells();
    benchmark::DoNotOptimize(image.Image().Pixels.data());
  }
  state.counters["cells"] = sim->world.Cells.Count();
}
BENCHMARK(BM_DrawAllCellsCellSizeOne)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
