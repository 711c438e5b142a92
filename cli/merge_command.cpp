#include "merge_command.h"

#include <map>

#include "cli/experiment_files.h"
#include "cli/experiment_summary.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

// The shards of one run, each once: their folders in shard order.
std::vector<OutputFolder> CheckShards(const std::vector<std::string>& inputs, nlohmann::json& manifest) {
  if (inputs.empty()) throw UsageError("merge needs the folders of the shards");
  std::map<long long, OutputFolder> shards;
  std::optional<long long> count;
  for (const auto& dir : inputs) {
    const OutputFolder folder{dir};
    nlohmann::json m = ReadManifest(folder);
    std::error_code ignored;
    if (fs::exists(folder.Journal(), ignored) || !fs::exists(folder.Runs(), ignored)) {
      throw UsageError(dir + " holds an unfinished run; complete it with --resume before merging");
    }
    const Shard shard = m.contains("shard") ? ParseShard(m["shard"].get<std::string>()) : Shard{};
    m.erase("shard");
    if (shards.empty()) {
      manifest = m;
    } else if (m != manifest) {
      throw UsageError(dir + " holds a run of other settings or another seed than " + inputs.front());
    }
    if (count && *count != shard.Count) throw UsageError(dir + " is a shard of " + std::to_string(shard.Count) +
                                                         ", not of " + std::to_string(*count));
    count = shard.Count;
    if (!shards.emplace(shard.Index, folder).second) {
      throw UsageError("shard " + ShardText(shard) + " is given twice");
    }
  }
  for (long long k = 0; k < *count; ++k) {
    if (!shards.count(k)) throw UsageError("shard " + ShardText({k, *count}) + " is missing");
  }
  std::vector<OutputFolder> folders;
  for (auto& [k, folder] : shards) folders.push_back(folder);
  return folders;
}

}  // namespace

int Merge(const MergeOptions& options, std::ostream& err) {
  const OutputFolder out{options.Out};
  bool writing = false;
  try {
    nlohmann::json manifest;
    const std::vector<OutputFolder> inputs = CheckShards(options.Inputs, manifest);
    const ExperimentSetup setup = SetupOf(manifest);
    const auto seed = manifest.at("seed").get<std::uint64_t>();
    if (ManifestOf(setup, seed) != manifest) {
      throw UsageError(options.Inputs.front() + "/run.json does not match what this program would run");
    }
    if (out.HoldsRun()) throw UsageError(options.Out + " already holds a run; choose another --out");
    std::error_code error;
    fs::create_directories(out.Dir, error);
    if (error || !fs::is_directory(out.Dir)) {
      throw UsageError("cannot create the output folder " + options.Out + ": " +
                       (error ? error.message() : "not a folder"));
    }
    writing = true;
    const long long rows = MergeTables(inputs, out, HeadersOf(setup.Kind));
    if (rows != setup.Calculations) {
      throw UsageError("the shards hold " + std::to_string(rows) + " rows of runs.csv, not the " +
                       std::to_string(setup.Calculations) + " of the whole run");
    }
    Summarise(out, setup, seed);
    WriteTextFile(out.Manifest(), manifest.dump(2) + "\n");
    return 0;
  } catch (const std::exception& e) {
    // Nothing half-written: what this merge wrote goes again.
    if (writing) {
      std::error_code ignored;
      for (const fs::path& p : {out.Runs(), out.Steps(), out.Rises(), out.Summary(), out.Surface()}) {
        fs::remove(p, ignored);
      }
    }
    err << e.what() << '\n';
    return 2;
  }
}

}  // namespace cli
