#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>

#include "cli/experiment_files.h"
#include "cli/experiment_setup.h"

namespace cli {

// Which share of the units a run takes: those whose index is Index modulo Count.
struct Shard {
  long long Index = 0;
  long long Count = 1;
};
// "K/N" with 0 <= K < N; throws UsageError.
Shard ParseShard(const std::string& text);
std::string ShardText(const Shard& shard);

// What was run, as run.json records it: the experiment, the settings as
// given, the seed of the sweep and its size; a shard also its place.
nlohmann::json ManifestOf(const ExperimentSetup& setup, std::uint64_t seed);

// The folder's run.json; throws UsageError when there is none or it does not parse.
nlohmann::json ReadManifest(const OutputFolder& folder);
// The settings of a manifest's run, checked again.
ExperimentSetup SetupOf(const nlohmann::json& manifest);

// The derived series of each experiment's summary.json, from a complete
// folder's tables (ExperimentType::Series).
nlohmann::json ParameterSpaceSeries(const OutputFolder& folder, const ExperimentSetup& setup,
                                    const TableHeaders& headers);
nlohmann::json GrowthSeries(const OutputFolder& folder, const ExperimentSetup& setup, const TableHeaders& headers);
nlohmann::json StreetsSeries(const OutputFolder& folder, const ExperimentSetup& setup, const TableHeaders& headers);
nlohmann::json StabilitySeries(const OutputFolder& folder, const ExperimentSetup& setup, const TableHeaders& headers);

// The derived series of a complete sweep, computed from the folder's tables
// by the same series code as the windows: summary.json, and for the
// stability experiment with "activate" also surface.xls. A single run and a
// merge of shards both end here, so their files are equal byte for byte.
// Throws world::UserError (files), UsageError (tables that do not fit).
void Summarise(const OutputFolder& folder, const ExperimentSetup& setup, std::uint64_t seed);

}  // namespace cli
