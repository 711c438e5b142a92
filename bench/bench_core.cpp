// The model's hot paths at the default settings: one time step, one move
// pass, and the street imprint.
#include <benchmark/benchmark.h>

#include "simulation/street_controls.h"
#include "simulation/simulation.h"
#include "simulation/main_controls.h"
#include "streets/street_field.h"

namespace {

// A default world (12000 agents on 116 x 116, individual mode, rent
// landscape on) run for some steps, so that the benchmark measures the
// settled regime the long runs spend their time in.
std::unique_ptr<simulation::Simulation> DefaultWorld(bool individual, int warmSteps) {
  auto sim = std::make_unique<simulation::Simulation>([] { return std::uint64_t{12345}; });
  sim->MainWindowShown();
  sim->controls.SetByUser("cb_individTol", individual ? "1" : "0");
  sim->NewSetup();
  sim->B_setTolsClick();
  for (int i = 0; i < warmSteps; ++i) sim->TimeStep();
  return sim;
}

void BM_TimeStepIndividual(benchmark::State& state) {
  auto sim = DefaultWorld(true, static_cast<int>(state.range(0)));
  for (auto _ : state) sim->TimeStep();
}
BENCHMARK(BM_TimeStepIndividual)->Arg(0)->Arg(300)->Unit(benchmark::kMicrosecond);

void BM_TimeStepPlain(benchmark::State& state) {
  auto sim = DefaultWorld(false, static_cast<int>(state.range(0)));
  for (auto _ : state) sim->TimeStep();
}
BENCHMARK(BM_TimeStepPlain)->Arg(0)->Arg(300)->Unit(benchmark::kMicrosecond);

void BM_MoveAgents(benchmark::State& state) {
  auto sim = DefaultWorld(true, 300);
  for (auto _ : state) sim->MoveAgents();
}
BENCHMARK(BM_MoveAgents)->Unit(benchmark::kMicrosecond);

// The default street grid: columns and rows 22, 45, 68 and 91.
void LayEightStreets(world::World& w, bool barriers) {
  const int lines[] = {22, 45, 68, 91};
  const int types[] = {barriers ? -3 : 1, barriers ? -2 : 2, barriers ? -1 : 3, 2};
  int k = 0;
  for (int c : lines) {
    const int type = types[k++ % 4];
    w.StreetSegments.push_back({c, w.GridRows - 1, c, 0, type});
    for (int r = 0; r < w.GridRows; ++r) w.Cells.StreetType[w.Cells.Index(c, r)] = type;
  }
  for (int r : lines) {
    const int type = types[k++ % 4];
    w.StreetSegments.push_back({w.GridCols - 1, r, 0, r, type});
    for (int c = 0; c < w.GridCols; ++c) w.Cells.StreetType[w.Cells.Index(c, r)] = type;
  }
}

void BM_ImprintStreets(benchmark::State& state) {
  auto sim = DefaultWorld(true, 0);
  LayEightStreets(sim->world, state.range(0) != 0);
  for (auto _ : state) simulation::ImprintStreets(sim->world, sim->controls);
  state.SetLabel(state.range(0) ? "with barriers" : "positive types only");
}
BENCHMARK(BM_ImprintStreets)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
