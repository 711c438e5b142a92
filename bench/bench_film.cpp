// A film of a run against the run alone: the headless tool's run of the
// default world for 100 steps, without a film, and filmed at every step into
// an MP4 and a GIF. The film's cost is the difference; real time counts,
// since the frames are encoded beside the run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <sstream>

#include "cli/run_command.h"

namespace {

void Run(benchmark::State& state, const char* film, int steps = 100, std::uint64_t seed = 7) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vicinara-bench-film";
  std::filesystem::create_directories(folder);
  cli::RunOptions options;
  options.Steps = steps;
  options.Seed = seed;
  if (film) options.Film = (folder / film).string();
  for (auto _ : state) {
    std::ostringstream out, err;
    if (cli::Run(options, out, err) != 0) state.SkipWithError(err.str().c_str());
  }
  std::filesystem::remove_all(folder);
}

void BM_Run100Steps(benchmark::State& state) { Run(state, nullptr); }
BENCHMARK(BM_Run100Steps)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Run100StepsFilmMp4(benchmark::State& state) { Run(state, "run.mp4"); }
BENCHMARK(BM_Run100StepsFilmMp4)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Run100StepsFilmGif(benchmark::State& state) { Run(state, "run.gif"); }
BENCHMARK(BM_Run100StepsFilmGif)->Unit(benchmark::kMillisecond)->UseRealTime();

// The measure of a film's cost: 500 steps of the default world, seed 1,
// filmed at every step, against the run alone (at most twice its time).
void BM_Run500StepsDefaultWorld(benchmark::State& state) { Run(state, nullptr, 500, 1); }
BENCHMARK(BM_Run500StepsDefaultWorld)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_Run500StepsDefaultWorldFilmMp4(benchmark::State& state) { Run(state, "run.mp4", 500, 1); }
BENCHMARK(BM_Run500StepsDefaultWorldFilmMp4)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
