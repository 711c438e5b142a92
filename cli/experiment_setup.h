#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

#include "cli/control_settings.h"
#include "simulation/simulation.h"
#include "experiments/experiment.h"
#include "experiments/sweep_runner.h"

namespace cli {

using experiments::ExperimentKind;

// The tables an experiment writes: header lines without the line end, or
// empty when it does not write that table.
struct TableHeaders {
  std::string Runs;
  std::string Steps;
  std::string Rises;
};

struct ExperimentSetup;
struct OutputFolder;

// How the progress lines name an experiment's units and calculations.
struct UnitWords {
  std::string Unit = "calculation";           // one unit: "calculation", "pass"
  std::string Units = "calculations";         // "calculations", "passes"
  std::string Calculations = "calculations";  // what a unit is made of: "calculations", "rounds"
};

// One batch experiment as the headless tool knows it: the name the command
// line takes, the experiment of its window made on a world, its tables and
// the derived series its summary holds.
struct ExperimentType {
  ExperimentKind Kind = ExperimentKind::Parameterspace;
  std::string Name;
  std::function<std::unique_ptr<experiments::Experiment>(simulation::Simulation&)> Make;
  TableHeaders Headers;
  // The series of summary.json, computed from a complete folder's tables.
  nlohmann::json (*Series)(const OutputFolder& folder, const ExperimentSetup& setup, const TableHeaders& headers) =
      nullptr;
  UnitWords Words;
};

// Every experiment, once: the one list the command line, the set-up check,
// the workers and the tables read.
const std::vector<ExperimentType>& ExperimentTypes();
const ExperimentType& TypeOf(ExperimentKind kind);
// The type of a name the command line takes; throws UsageError with the valid names.
const ExperimentType& TypeNamed(const std::string& name);

// What the command line fixes for a whole experiment, read once from the
// main window's controls and the experiment window's own fields before
// any calculation runs. A unit is what one worker runs on one world: a
// calculation of a sweep, or a pass (all rounds at one third-parameter
// value) of the stability experiment, whose rounds depend on each other.
struct ExperimentSetup {
  ExperimentKind Kind = ExperimentKind::Parameterspace;
  std::string Name;                   // "parameterspace", "growth", "streets", "stability"
  std::vector<std::string> SetTexts;  // --set as given, with kSetupText where --setup stood
  std::vector<std::string> ExpTexts;  // --exp as given
  std::vector<Setting> MainSettings;
  std::vector<Setting> WindowFields;

  experiments::SweepSettings Sweep;  // the box "settings"
  // The units: a sweep's values and repetitions, or the stability experiment's third values.
  experiments::SweepPlan Plan;
  int Parameter = -1;  // CB_param: the swept parameter, or the third parameter of stability
  int ClusterDegree = 3;      // E_polyDegClust
  int SegregationDegree = 3;  // E_polyDegSeg

  // Stability.
  bool Sweep3d = false;  // Cb_acti3d
  int ThirdStart = 0;
  int ThirdEnd = 0;
  int ThirdIncrement = 1;
  long long Rounds = 1;         // rounds run per pass; 1 for a sweep
  long long MaxRoundSteps = 0;  // 0: a round runs until it ends

  long long Units = 0;         // calculations, or passes
  long long Calculations = 0;  // calculations, or rounds

  // The value of unit u: the swept value, or the third value of a pass.
  int UnitValue(long long unit) const { return Plan.At(unit).Value; }
  // The first calculation (round) of unit u.
  long long FirstCalculation(long long unit) const { return unit * Rounds; }
  long long UnitOfCalculation(long long k) const { return k / Rounds; }
};

// The experiment names, as the command line takes them, in the order of ExperimentTypes().
const std::vector<std::string>& ExperimentNames();

// Reads and checks everything before anything is written: the experiment
// name, the main-window settings (also those a set-up creates, against a
// set-up world), the window fields, the plan. Throws UsageError or
// world::UserError with the message to show.
ExperimentSetup ReadExperiment(const std::string& name, const std::vector<std::string>& set,
                               const std::vector<std::string>& exp, long long maxRoundSteps = 0);

// The seed of calculation k of a sweep started from seed s: splitmix64 of s
// and k, the same whichever worker runs it and whichever shard holds it.
std::uint64_t CalculationSeed(std::uint64_t s, long long k);

// Where a world's set-ups take their seeds from: `Prepare` for the set-ups
// that prepare it, then, once armed, one seed per experiment set-up in order.
class SeedFeed {
 public:
  SeedFeed(std::uint64_t sweepSeed, long long firstCalculation)
      : sweepSeed_(sweepSeed), next_(firstCalculation), prepare_(CalculationSeed(sweepSeed, firstCalculation)) {}
  void Arm() { armed_ = true; }
  std::uint64_t operator()() { return armed_ ? CalculationSeed(sweepSeed_, next_++) : prepare_; }

 private:
  std::uint64_t sweepSeed_;
  long long next_;
  std::uint64_t prepare_;
  bool armed_ = false;
};

// A world as `run` prepares it: created, shown, the settings applied by
// their handlers, set up, the group thresholds set, the settings a set-up
// creates applied. The seed source must outlive the world.
std::unique_ptr<simulation::Simulation> PrepareWorld(const ExperimentSetup& setup,
                                                     simulation::Simulation::SeedSource seeds,
                                                     simulation::Simulation::Reporter reporter);

// The window's fields set as a user would. Throws UserError.
void ApplyWindowFields(simulation::ControlModel& fields, const ExperimentSetup& setup);

}  // namespace cli
