// Wall time of a headless sweep on 1 and 2 worlds at once: the speed-up is
// the ratio of the two times (real time, not CPU time).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>

#include "cli/experiment_command.h"

namespace {

void BM_ExperimentThreads(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / "vicinara-bench-experiment-threads";
  cli::ExperimentOptions options;
  options.Experiment = "parameterspace";
  // The window's defaults (116 x 116 cells, 12000 agents, 30 steps, 3
  // calculations per value) over 2 to 8 groups: 21 calculations.
  options.Settings = {"cb_individTol=0"};
  options.Fields = {"CB_param=0", "E_valFrom=2", "E_valTo=8"};
  options.Seed = 1;
  options.Threads = static_cast<unsigned>(state.range(0));
  options.Out = dir.string();
  const std::atomic<int> stop{0};
  for (auto _ : state) {
    std::filesystem::remove_all(dir);
    std::ostringstream err;
    if (cli::RunExperiment(options, err, stop) != 0) state.SkipWithError(err.str().c_str());
  }
  std::filesystem::remove_all(dir);
  state.counters["calculations/s"] = benchmark::Counter(21.0 * static_cast<double>(state.iterations()),
                                                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExperimentThreads)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

}  // namespace
