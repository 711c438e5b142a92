#include "report.h"

#include <sstream>

namespace cli {

std::string CsvHeader(const simulation::Simulation&) { return "step,agents,unsatisfied"; }

std::string CsvRow(const simulation::Simulation& sim) {
  std::ostringstream row;
  row << sim.world.StepCount << ',' << sim.world.NumberOfAgents() << ',' << sim.world.UnsatisfiedCount;
  return row.str();
}

nlohmann::json Summary(const simulation::Simulation& sim, std::uint64_t seed, int steps, long long elapsedMs) {
  const auto& w = sim.world;
  nlohmann::json j;
  j["seed"] = seed;
  j["steps"] = steps;
  j["grid"] = {w.GridCols, w.GridRows};
  j["cell_size"] = w.CellSize;
  j["agents"] = w.NumberOfAgents();
  j["group_counts"] = w.GroupCounts;
  j["unsatisfied"] = w.UnsatisfiedCount;
  j["street_cells"] = w.StreetCellCount;
  j["elapsed_ms"] = elapsedMs;
  return j;
}

}  // namespace cli
