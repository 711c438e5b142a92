// The measures recorded in every step: the segregation computation, the
// cluster analysis and the whole per-step recording, at the default cell
// size 6 (116 x 116 cells) and at cell size 1 (694 x 694 cells).
#include <benchmark/benchmark.h>

#include <memory>

#include "simulation/simulation.h"

namespace {

// A world of `agents` agents in `groups` groups, run for some steps so that
// the groups have begun to gather.
std::unique_ptr<simulation::Simulation> World(int cellSize, int agents, int groups, int warmSteps) {
  auto sim = std::make_unique<simulation::Simulation>([] { return std::uint64_t{4242}; });
  sim->MainWindowShown();
  sim->controls.SetByUser("Edit_cellSiz", std::to_string(cellSize));
  sim->controls.SetByUser("Edit_anzGr", std::to_string(groups));
  sim->NewSetup();
  // The agent field is checked against the grid the set-up built.
  sim->controls.SetByUser("Edit_anzAg", std::to_string(agents));
  sim->NewSetup();
  sim->B_setTolsClick();
  for (int i = 0; i < warmSteps; ++i) sim->TimeStep();
  return sim;
}

// Series grow by one point per call; a reset now and then keeps memory flat.
void KeepSeriesShort(benchmark::State& state, measures::Analysis& analysis, std::int64_t& calls) {
  if (++calls % 4096 != 0) return;
  state.PauseTiming();
  analysis.ResetAnalysis();
  state.ResumeTiming();
}

void BM_ComputeSegregation(benchmark::State& state) {
  auto sim = World(static_cast<int>(state.range(0)), 12000, 6, 20);
  std::int64_t calls = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sim->analysis.ComputeSegregation());
    KeepSeriesShort(state, sim->analysis, calls);
  }
}
BENCHMARK(BM_ComputeSegregation)->ArgName("cell")->Arg(6)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_AnalyseClusters(benchmark::State& state) {
  auto sim = World(static_cast<int>(state.range(0)), 12000, 6, 20);
  for (auto _ : state) benchmark::DoNotOptimize(sim->analysis.AnalyseClusters());
}
BENCHMARK(BM_AnalyseClusters)->ArgName("cell")->Arg(6)->Arg(1)->Unit(benchmark::kMicrosecond);

// The largest clusters: two groups on a grid of 694 x 694 cells, 95 % full.
void BM_AnalyseClustersFullLargestGrid(benchmark::State& state) {
  auto sim = World(1, 694 * 694 * 95 / 100, 2, 0);
  for (auto _ : state) benchmark::DoNotOptimize(sim->analysis.AnalyseClusters());
}
BENCHMARK(BM_AnalyseClustersFullLargestGrid)->Unit(benchmark::kMillisecond);

// What every time step pays: satisfaction, the cluster analysis in every
// 30th step, the segregation measures.
void BM_RecordStep(benchmark::State& state) {
  auto sim = World(6, 12000, 6, 20);
  auto& w = sim->world;
  std::int64_t calls = 0;
  for (auto _ : state) {
    ++w.StepCount;
    sim->analysis.RecordStep();
    KeepSeriesShort(state, sim->analysis, calls);
  }
}
BENCHMARK(BM_RecordStep)->Unit(benchmark::kMicrosecond);

}  // namespace
