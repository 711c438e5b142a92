// The batch experiments end to end at the program's default world, and the
// derived series the charts recompute at the end of a calculation or value.
#include <benchmark/benchmark.h>

#include <cmath>

#include "simulation/simulation.h"
#include "experiments/derived_series.h"
#include "experiments/parameter_space_experiment.h"

namespace {

// The parameter-space window at its defaults (" number of groups" 2 to 4,
// 30 steps, 3 calculations: 9 calculations) on the default world of
// 12000 agents on 116 x 116 cells, from new start to the end of the sweep.
void BM_ParameterSpaceDefaults(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto sim = std::make_unique<simulation::Simulation>([n = std::uint64_t{4242}]() mutable { return n++; });
    sim->MainWindowShown();
    experiments::ParameterSpaceExperiment ps(*sim);
    ps.controls.SetByUser("CB_param", "0");
    state.ResumeTiming();
    ps.B_startClick();
    int ticks = 0;
    while (ps.runner.Running()) {
      ps.Tick();
      ++ticks;
    }
    benchmark::DoNotOptimize(ps.Series_IS_Fit.Points().data());
    state.counters["ticks"] = ticks;
  }
}
BENCHMARK(BM_ParameterSpaceDefaults)->Unit(benchmark::kMillisecond)->Iterations(3);

// A degree-20 fit through a long sweep's worth of points.
void BM_PolynomialFit20(benchmark::State& state) {
  experiments::Series points;
  for (int i = 0; i < state.range(0); ++i) points.push_back({i / 10.0, std::sin(i / 37.0) * 50 + 50});
  for (auto _ : state) benchmark::DoNotOptimize(experiments::PolynomialCurve(points, 20).data());
}
BENCHMARK(BM_PolynomialFit20)->Arg(30)->Arg(5100)->Unit(benchmark::kMicrosecond);

}  // namespace
