#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

struct ExperimentOptions {
  std::string Experiment;               // parameterspace, growth, streets or stability
  std::vector<std::string> Settings;    // --set CONTROL=VALUE: main-window controls, in order
  std::vector<std::string> Fields;      // --exp CONTROL=VALUE: the experiment window's fields, in order
  std::optional<unsigned> Threads;      // default: every core
  std::optional<std::uint64_t> Seed;    // default: drawn from the clock once, kept in run.json
  std::optional<std::string> Shard;     // "K/N": only the units whose index is K modulo N
  bool Resume = false;
  std::optional<std::string> Out;       // default: vicinara-EXPERIMENT
  long long MaxRoundSteps = 0;          // stability: a round that has not ended after this many steps fails
  bool Progress = false;                // a progress line on err
  // Told at the start, twice a second and at the end, on the thread that
  // called RunExperiment, how many units of the run (this shard's) are done
  // of how many.
  std::function<void(long long done, long long planned)> OnProgress;
  // Checks the settings, shows the planned total and runs the first unit for
  // at most this many time steps, on one world; writes no folder.
  std::optional<long long> Trial;
};

// Runs an experiment's units on several worlds at once and writes its
// tables, summary and (stability with "activate") surface into the output
// folder. stop is read before every time step: when it turns non-zero (the
// number of the signal that asked to stop) the workers abandon their units,
// the rows of finished units stay, and the run can be resumed. Returns the
// exit status: 0; 1 when a unit failed (a refused set-up, a round that did
// not settle); 2 for bad input, with nothing written; 128 + the signal when
// stopped. With Trial, err receives the planned total and how far the first
// unit ran; 0, 1 or 2 as above.
int RunExperiment(const ExperimentOptions& options, std::ostream& err, const std::atomic<int>& stop);

}  // namespace cli
