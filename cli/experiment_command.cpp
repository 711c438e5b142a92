#include "experiment_command.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "cli/experiment_files.h"
#include "cli/experiment_summary.h"
#include "cli/experiment_units.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

std::uint64_t ClockSeed() {
  std::random_device device;
  const auto now = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  const std::uint64_t entropy = (static_cast<std::uint64_t>(device()) << 32) ^ device();
  return CalculationSeed(now ^ entropy, 0);
}

// The units of this run: index Index, Index + Count, ... below the sweep's units.
long long ShardUnits(const ExperimentSetup& setup, const Shard& shard) {
  return setup.Units > shard.Index ? (setup.Units - shard.Index + shard.Count - 1) / shard.Count : 0;
}

std::string Duration(double seconds) {
  const auto s = static_cast<long long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  return text;
}

// What the workers share: the next unit to take, the journal, the count,
// the first failure, the conditions the worlds reported.
class Workers {
 public:
  Workers(const ExperimentSetup& setup, std::uint64_t seed, const Shard& shard, const std::set<long long>& done,
          Journal& journal, std::ostream& err, const std::atomic<int>& stop)
      : setup_(setup), seed_(seed), shard_(shard), done_(done), journal_(journal), err_(err), stop_(stop) {}

  // Runs the units on `threads` threads; while they run, calls progress
  // twice a second with the units finished so far. Progress writes to the
  // stream the workers' notices go to, so it runs under their lock.
  void Run(unsigned threads, const std::function<void(long long)>& progress) {
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back([this] { Work(); });
    {
      std::unique_lock lock(mutex_);
      while (!changed_.wait_for(lock, std::chrono::milliseconds(500), [&] { return stopped_ == threads; })) {
        if (progress) progress(finished_);
      }
    }
    for (auto& t : pool) t.join();
  }

  long long Finished() const { return finished_; }
  const std::optional<std::string>& Failure() const { return failure_; }

 private:
  bool Halted() const { return stop_.load(std::memory_order_relaxed) != 0 || halt_.load(std::memory_order_relaxed); }

  void Work() {
    const auto stop = [this] { return Halted(); };
    const auto report = [this](const world::UserError& e) { Notice(e.what()); };
    while (!Halted()) {
      const long long i = next_.fetch_add(1);
      if (i >= ShardUnits(setup_, shard_)) break;
      const long long unit = shard_.Index + i * shard_.Count;
      if (done_.count(unit)) continue;
      UnitRows rows;
      try {
        if (!RunUnit(setup_, seed_, unit, stop, report, rows)) break;
        std::lock_guard lock(mutex_);
        journal_.Append(unit, rows);
        ++finished_;
      } catch (const std::exception& e) {
        Fail(e.what());
        break;
      }
    }
    std::lock_guard lock(mutex_);
    ++stopped_;
    changed_.notify_all();
  }

  void Fail(const std::string& message) {
    std::lock_guard lock(mutex_);
    if (!failure_) failure_ = message;
    halt_ = true;
  }

  // Conditions that do not stop a run are shown once each, however many worlds meet them.
  void Notice(const std::string& message) {
    std::lock_guard lock(mutex_);
    if (notices_.insert(message).second) err_ << message << '\n';
  }

  const ExperimentSetup& setup_;
  std::uint64_t seed_;
  Shard shard_;
  const std::set<long long>& done_;
  Journal& journal_;
  std::ostream& err_;
  const std::atomic<int>& stop_;

  std::atomic<long long> next_{0};
  std::atomic<bool> halt_{false};
  std::mutex mutex_;
  std::condition_variable changed_;  // a thread has left its loop
  unsigned stopped_ = 0;  // threads that have left their loop
  long long finished_ = 0;
  std::optional<std::string> failure_;
  std::set<std::string> notices_;
};

// The folder and seed of a new run: refused when the folder holds a run.
std::uint64_t StartFolder(const OutputFolder& folder, const ExperimentOptions& options, const ExperimentSetup& setup,
                          const std::optional<Shard>& shard) {
  if (folder.HoldsRun()) {
    throw UsageError(folder.Dir.string() + " already holds a run; continue it with --resume or choose another --out");
  }
  std::error_code error;
  const bool existed = fs::exists(folder.Dir, error);
  fs::create_directories(folder.Dir, error);
  if (error || !fs::is_directory(folder.Dir)) {
    throw UsageError("cannot create the output folder " + folder.Dir.string() + ": " +
                     (error ? error.message() : "not a folder"));
  }
  const std::uint64_t seed = options.Seed ? *options.Seed : ClockSeed();
  nlohmann::json manifest = ManifestOf(setup, seed);
  if (shard) manifest["shard"] = ShardText(*shard);
  try {
    WriteTextFile(folder.Manifest(), manifest.dump(2) + "\n");
  } catch (const world::UserError&) {
    if (!existed) fs::remove(folder.Dir, error);
    throw;
  }
  return seed;
}

// The seed of the run to resume, when the folder holds one with these settings.
std::uint64_t ResumeFolder(const OutputFolder& folder, const ExperimentOptions& options, const ExperimentSetup& setup,
                           const std::optional<Shard>& shard) {
  const nlohmann::json stored = ReadManifest(folder);
  const auto seed = stored.at("seed").get<std::uint64_t>();
  if (options.Seed && *options.Seed != seed) {
    throw UsageError(folder.Dir.string() + " holds a run with seed " + std::to_string(seed) + ", not " +
                     std::to_string(*options.Seed));
  }
  nlohmann::json expected = ManifestOf(setup, seed);
  if (shard) expected["shard"] = ShardText(*shard);
  if (expected != stored) {
    throw UsageError(folder.Dir.string() + " holds a run of other settings; resume it with the options it was " +
                     "started with:\n" + stored.dump(2));
  }
  return seed;
}

// The planned total, then the first unit run for at most `steps` time steps
// on one world, nothing written: a quick look at what a run would do.
int RunTrial(const ExperimentSetup& setup, long long steps, std::uint64_t seed, std::ostream& err,
             const std::atomic<int>& stop) {
  const UnitWords& words = TypeOf(setup.Kind).Words;
  err << setup.Name << ": " << setup.Calculations << " " << words.Calculations;
  if (words.Calculations != words.Units) err << " in " << setup.Units << " " << words.Units;
  err << " planned\n";
  long long stepsRun = 0;
  // Checked before every time step of the unit.
  const auto enough = [&] { return stop.load() != 0 || stepsRun++ >= steps; };
  std::set<std::string> notices;
  const auto report = [&](const world::UserError& e) {
    if (notices.insert(e.what()).second) err << e.what() << '\n';
  };
  UnitRows rows;
  const bool complete = RunUnit(setup, seed, 0, enough, report, rows);
  err << words.Unit << " 0 (value " << setup.UnitValue(0) << "): " << (complete ? "complete" : "stopped") << " after "
      << std::min(stepsRun, steps) << " steps\n";
  return 0;
}

}  // namespace

int RunExperiment(const ExperimentOptions& options, std::ostream& err, const std::atomic<int>& stop) {
  try {
    std::optional<Shard> shard;
    if (options.Shard) shard = ParseShard(*options.Shard);
    if (options.Threads && *options.Threads == 0) throw UsageError("--threads must be at least 1");
    const unsigned threads = options.Threads ? *options.Threads : std::max(1u, std::thread::hardware_concurrency());
    const ExperimentSetup setup = ReadExperiment(options.Experiment, options.Settings, options.Fields,
                                                 options.MaxRoundSteps);
    if (options.Trial) {
      if (*options.Trial < 0) throw UsageError("--trial must not be negative");
      try {
        return RunTrial(setup, *options.Trial, options.Seed.value_or(1), err, stop);
      } catch (const UnitFailure& e) {
        err << e.what() << '\n';
        return 1;
      }
    }
    if (shard && !options.Seed && !options.Resume) {
      throw UsageError("--shard needs --seed, so that every shard derives the same seeds for the same calculations");
    }
    const OutputFolder folder{options.Out ? fs::path(*options.Out) : fs::path("vicinara-" + setup.Name)};
    const std::uint64_t seed = options.Resume ? ResumeFolder(folder, options, setup, shard)
                                              : StartFolder(folder, options, setup, shard);
    std::error_code ignored;
    if (options.Resume && !fs::exists(folder.Journal(), ignored) && fs::exists(folder.Runs(), ignored)) {
      err << folder.Dir.string() << " is complete; nothing to resume\n";
      return 0;
    }

    const Shard share = shard.value_or(Shard{});
    const long long planned = ShardUnits(setup, share);
    // Opened first: it keeps a second run off the folder while this one reads it.
    Journal journal(folder.Journal());
    std::set<long long> done;
    for (const auto& entry : ScanJournal(folder.Journal())) done.insert(entry.first);

    const auto started = Clock::now();
    const long long before = static_cast<long long>(done.size());
    const char* what = TypeOf(setup.Kind).Words.Units.c_str();
    bool shown = false;
    auto progress = [&](long long finished) {
      if (options.OnProgress) options.OnProgress(before + finished, planned);
      if (!options.Progress) return;
      const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
      const double rate = seconds > 0 ? static_cast<double>(finished) / seconds : 0;
      const long long left = planned - before - finished;
      char line[160];
      std::snprintf(line, sizeof line, "\r%lld/%lld %s, %.2f/s, %s left   ", before + finished, planned, what, rate,
                    rate > 0 ? Duration(static_cast<double>(left) / rate).c_str() : "-:--:--");
      err << line << std::flush;
      shown = true;
    };
    Workers workers(setup, seed, share, done, journal, err, stop);
    if (options.OnProgress) options.OnProgress(before, planned);
    // No more threads than units left.
    workers.Run(static_cast<unsigned>(std::clamp<long long>(planned - before, 1, threads)), progress);
    if (options.OnProgress) options.OnProgress(before + workers.Finished(), planned);
    if (shown) {
      progress(workers.Finished());
      err << '\n';
    }

    if (const int signal = stop.load(); signal != 0) {
      err << "stopped: " << before + workers.Finished() << " of " << planned << ' ' << what
          << " are done; run the same command with --resume to continue\n";
      return 128 + signal;
    }
    if (workers.Failure()) {
      err << *workers.Failure() << "\nthe " << what << " finished before are kept; --resume continues the run\n";
      return 1;
    }

    const JournalIndex index = ScanJournal(folder.Journal());
    if (static_cast<long long>(index.size()) != planned) {
      err << "the journal holds " << index.size() << " of " << planned << ' ' << what << "; --resume continues\n";
      return 1;
    }
    CollectJournal(folder, index, HeadersOf(setup.Kind));
    if (share.Count == 1) Summarise(folder, setup, seed);
    fs::remove(folder.Journal(), ignored);
    return 0;
  } catch (const nlohmann::json::exception&) {
    err << "run.json does not read as the record of a run\n";
    return 2;
  } catch (const std::runtime_error& e) {
    // Bad input (UsageError, world::UserError) and folders or files that cannot be written.
    err << e.what() << '\n';
    return 2;
  }
}

}  // namespace cli
