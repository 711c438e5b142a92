// The workloads users feel, in-process and set up exactly as `vicinara-cli
// run` sets them up: the defaults and plain mode over 2000 steps, the
// Schelling-large world (set-up and 20 steps, and its 20 steps alone), the
// start-up with its set-ups, a step of barrier streets under a
// neighbourhood of the whole grid, and the default growth experiment.
// Compare them against the previous main built side by side; the machine is
// shared, so take ratios, not times.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "simulation/street_controls.h"
#include "cli/control_settings.h"
#include "cli/experiment_command.h"
#include "simulation/simulation.h"
#include "streets/layouts.h"

namespace {

using Texts = std::vector<std::string>;

const Texts kPlain = {"cb_individTol=0", "TrB_thresh=50", "cb_actiRentLand=0"};
const Texts kSchellingLarge = {"Edit_cellSiz=7",   "Edit_anzAg=8000",   "Edit_anzGr=2",        "Edit_nRad=2",
                               "cb_individTol=0",  "TrB_thresh=33",     "RB_count_diff=1",     "cb_actiRentLand=0",
                               "Edit_mDist=49"};
const Texts kBarrierWholeGrid = {"Edit_cellSiz=7", "Edit_nRad=99",    "cb_individTol=0", "TrB_thresh=50",
                                 "cb_actiRentLand=0", "CB_rndTyp=0", "UpD_strType=-2"};

// Start-up as the headless tool's: the window's world, the settings through
// the controls, streets (a 5 x 5 grid when asked) laid before the set-up.
std::unique_ptr<simulation::Simulation> Prepare(const Texts& settings, bool streetGrid = false) {
  using simulation::Simulation;
  auto sim = std::make_unique<Simulation>([] { return std::uint64_t{7}; }, Simulation::Clock{},
                                          streetGrid ? Simulation::FirstAgents::Placed : Simulation::FirstAgents::Left);
  sim->MainWindowShown();
  cli::ApplyMainSettings(*sim, cli::ParseSettings(settings, "--set", true), [&] {
    if (!streetGrid) return;
    if (sim->controls.Int(simulation::MainControl::CellSize) != sim->world.CellSize) sim->NewSetup();
    simulation::DrawStreetGrid(sim->world, sim->controls, 5, 5, simulation::ReadTypeChoice(sim->controls));
  });
  return sim;
}

void Steps(simulation::Simulation& sim, int steps) {
  for (int s = 0; s < steps; ++s) {
    sim.TimeStep();
    sim.analysis.ForgetHistory();
  }
}

void BM_RunDefaults2000(benchmark::State& state) {
  for (auto _ : state) {
    auto sim = Prepare({});
    Steps(*sim, 2000);
  }
}
BENCHMARK(BM_RunDefaults2000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RunPlain2000(benchmark::State& state) {
  for (auto _ : state) {
    auto sim = Prepare(kPlain);
    Steps(*sim, 2000);
  }
}
BENCHMARK(BM_RunPlain2000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SchellingLargeSetupAnd20Steps(benchmark::State& state) {
  for (auto _ : state) {
    auto sim = Prepare(kSchellingLarge);
    Steps(*sim, 20);
  }
}
BENCHMARK(BM_SchellingLargeSetupAnd20Steps)->Unit(benchmark::kMillisecond);

// The same world set up again in a program that ran one before, as an
// experiment's calculations and the window's "new Setup" do: the memory of
// the last world is there to take.
void BM_SchellingLargeNewSetupAnd20Steps(benchmark::State& state) {
  auto sim = Prepare(kSchellingLarge);
  for (auto _ : state) {
    sim->NewSetup();
    Steps(*sim, 20);
  }
}
BENCHMARK(BM_SchellingLargeNewSetupAnd20Steps)->Unit(benchmark::kMillisecond);

void BM_SchellingLarge20Steps(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto sim = Prepare(kSchellingLarge);
    state.ResumeTiming();
    Steps(*sim, 20);
  }
}
BENCHMARK(BM_SchellingLarge20Steps)->Unit(benchmark::kMillisecond);

// What `run --steps 0` does at the defaults besides loading the program.
void BM_StartUpAndSetups(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Prepare({}));
}
BENCHMARK(BM_StartUpAndSetups)->Unit(benchmark::kMillisecond);

// Cell size 7, radius 99: every agent sees the whole grid across barriers.
void BM_BarrierWholeGridStep(benchmark::State& state) {
  auto sim = Prepare(kBarrierWholeGrid, true);
  Steps(*sim, 1);
  for (auto _ : state) Steps(*sim, 1);
}
BENCHMARK(BM_BarrierWholeGridStep)->Unit(benchmark::kMillisecond)->Iterations(2);

// The growth experiment at its defaults (tolerance 10 to 60 by 10, 1300
// steps, 10 calculations per value: 60 calculations at the default world),
// headless on one world, as `vicinara-cli experiment growth --threads 1`.
// Compare its CPU time.
void BM_GrowthExperimentDefaults(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / "vicinara-bench-growth-defaults";
  cli::ExperimentOptions options;
  options.Experiment = "growth";
  options.Seed = 1;
  options.Threads = 1;
  options.Out = dir.string();
  const std::atomic<int> stop{0};
  for (auto _ : state) {
    std::filesystem::remove_all(dir);
    std::ostringstream err;
    if (cli::RunExperiment(options, err, stop) != 0) state.SkipWithError(err.str().c_str());
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_GrowthExperimentDefaults)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
