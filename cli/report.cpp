#include "report.h"

#include <algorithm>
#include <charconv>

namespace cli {

namespace {

void AppendNumber(std::string& out, double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void AppendNumber(std::string& out, long long value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

// The y value this step appended to a series; an empty field when the step
// appended none (a setting it needed did not parse).
void AppendStepValue(std::string& out, const measures::Series& series, int step) {
  out += ',';
  if (!series.empty() && series.back().X == step) AppendNumber(out, series.back().Y);
}

}  // namespace

std::string CsvHeader(const simulation::Simulation& sim) {
  std::string header = "step,agents,unsatisfied,density,changing_pct";
  for (int g = 1; g <= sim.world.GroupCount; ++g) {
    const std::string n = std::to_string(g);
    header += ",satisfied_" + n + ",segregation_" + n;
  }
  return header;
}

std::string CsvRow(const simulation::Simulation& sim) {
  const auto& w = sim.world;
  const auto& a = sim.analysis;
  std::string row;
  row.reserve(64 + 48 * static_cast<std::size_t>(std::max(0, w.GroupCount)));
  AppendNumber(row, static_cast<long long>(w.StepCount));
  row += ',';
  AppendNumber(row, static_cast<long long>(w.NumberOfAgents()));
  row += ',';
  AppendNumber(row, static_cast<long long>(w.UnsatisfiedCount));
  AppendStepValue(row, a.ChangeSeries[3], w.StepCount);
  AppendStepValue(row, a.ChangeSeries[1], w.StepCount);
  for (int g = 0; g < w.GroupCount; ++g) {
    const auto i = static_cast<std::size_t>(g);
    if (i < a.SatisfactionSeries.size() && i < a.SegregationSeries.size()) {
      AppendStepValue(row, a.SatisfactionSeries[i], w.StepCount);
      AppendStepValue(row, a.SegregationSeries[i], w.StepCount);
    } else {
      row += ",,";
    }
  }
  return row;
}

nlohmann::json Summary(const simulation::Simulation& sim, std::uint64_t seed, int steps, long long elapsedMs) {
  const auto& w = sim.world;
  const auto& a = sim.analysis;
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

  // The last computation's measures; empty before the first one.
  const auto& table = a.DissimilarityTable();
  nlohmann::json dissimilarity = nlohmann::json::array();
  for (int r = 0; r < table.Size0(); ++r) {
    nlohmann::json line = nlohmann::json::array();
    for (int c = 0; c < table.Size1(); ++c) line.push_back(c >= r ? nlohmann::json(table(r, c)) : nlohmann::json());
    dissimilarity.push_back(std::move(line));
  }
  j["dissimilarity"] = std::move(dissimilarity);
  j["segregation_index"] = a.SegregationIndex();
  j["cluster_sizes"] = a.ClusterSizes;
  j["large_clusters"] = a.LargeClusterCount();
  j["density"] = a.Density();
  return j;
}

}  // namespace cli
