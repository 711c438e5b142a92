#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "simulation/simulation.h"

namespace cli {

// The per-step table of `run --csv`: header and one row for the step just run.
std::string CsvHeader(const simulation::Simulation& sim);
std::string CsvRow(const simulation::Simulation& sim);

// The summary object of `run --json`.
nlohmann::json Summary(const simulation::Simulation& sim, std::uint64_t seed, int steps, long long elapsedMs);

}  // namespace cli
