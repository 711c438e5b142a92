#include "experiment_setup.h"

#include <limits>

#include "cli/experiment_summary.h"
#include "world/convert.h"
#include "experiments/growth_experiment.h"
#include "experiments/parameter_space_experiment.h"
#include "experiments/settings_box.h"
#include "experiments/stability_experiment.h"
#include "experiments/stability_surface.h"
#include "experiments/streets_experiment.h"

namespace cli {

namespace {

std::uint64_t SplitMix64(std::uint64_t z) {
  z += 0x9e3779b97f4a7c15ULL;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

// The columns every runs table begins with.
const char* const kRunColumns = "experiment,calculation,value,repetition,seed";
// The columns every steps table begins with.
const char* const kStepColumns = "calculation,value,repetition";

std::string Joined(const std::string& first, const std::vector<std::string>& names) {
  std::string line = first;
  for (const auto& n : names) line += "," + n;
  return line;
}

template <typename Sweep>
ExperimentType SweepType(ExperimentKind kind, std::string name, decltype(ExperimentType::Series) series) {
  const experiments::TableColumns columns = Sweep::Columns();
  TableHeaders headers{Joined(kRunColumns, columns.Measures),
                       columns.Steps.empty() ? std::string() : Joined(kStepColumns, columns.Steps), ""};
  return {kind,
          std::move(name),
          [](simulation::Simulation& sim) -> std::unique_ptr<experiments::Experiment> {
            return std::make_unique<Sweep>(sim);
          },
          std::move(headers),
          series,
          UnitWords{}};
}

// The stability experiment with a surface of its own (the window shares
// one with the 3-D window). The surface is a base so that it is built first.
struct OwnSurface {
  experiments::StabilitySurface Surface;
};
class StandaloneStability : private OwnSurface, public experiments::StabilityExperiment {
 public:
  explicit StandaloneStability(simulation::Simulation& sim) : StabilityExperiment(sim, Surface) {}
};

ExperimentType StabilityType() {
  return {ExperimentKind::Stability,
          "stability",
          [](simulation::Simulation& sim) -> std::unique_ptr<experiments::Experiment> {
            return std::make_unique<StandaloneStability>(sim);
          },
          {std::string(kRunColumns) + ",steps,rises", std::string(kStepColumns) + ",step,Threshold,UnsatisfiedCount",
           std::string(kStepColumns) + ",tolerance,step,meanSegregation"},
          StabilitySeries,
          UnitWords{"pass", "passes", "rounds"}};
}

void CheckWindowFields(const simulation::ControlModel& fields, const std::vector<Setting>& settings) {
  for (const auto& s : settings) {
    // Only the main window has rent fields; the check below passes them over.
    if (CreatedBySetup(s.Name)) throw UnknownControl(fields, s.Name);
  }
  CheckSettings(fields, settings, false);
}

// The first calculation's set-up, at its value, on the probe: a value the
// set-up refuses (a number of groups beyond the up-down's range, say) is bad
// input, shown before anything is written rather than by a worker.
void CheckFirstSetUp(const ExperimentSetup& s, const experiments::Experiment& window,
                     simulation::Simulation& probe) {
  const int value = s.UnitValue(0);
  try {
    // A refused layout is no refused set-up: the calculation runs without streets.
    static_cast<void>(window.ApplyTo(probe, value));
  } catch (const world::UserError& e) {
    throw world::MissingValue(s.Name + " calculation 0 (value " + std::to_string(value) + "): " + e.what());
  }
}

}  // namespace

const std::vector<ExperimentType>& ExperimentTypes() {
  static const std::vector<ExperimentType> types{
      SweepType<experiments::ParameterSpaceExperiment>(ExperimentKind::Parameterspace, "parameterspace",
                                                       ParameterSpaceSeries),
      SweepType<experiments::GrowthExperiment>(ExperimentKind::Growth, "growth", GrowthSeries),
      SweepType<experiments::StreetsExperiment>(ExperimentKind::Streets, "streets", StreetsSeries),
      StabilityType(),
  };
  return types;
}

const ExperimentType& TypeOf(ExperimentKind kind) {
  for (const ExperimentType& type : ExperimentTypes()) {
    if (type.Kind == kind) return type;
  }
  throw std::logic_error("an experiment kind without its type");
}

const ExperimentType& TypeNamed(const std::string& name) {
  for (const ExperimentType& type : ExperimentTypes()) {
    if (type.Name == name) return type;
  }
  std::string list;
  for (const auto& n : ExperimentNames()) list += (list.empty() ? "" : ", ") + n;
  throw UsageError("unknown experiment '" + name + "'; valid names: " + list);
}

const std::vector<std::string>& ExperimentNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (const ExperimentType& type : ExperimentTypes()) list.push_back(type.Name);
    return list;
  }();
  return names;
}

std::uint64_t CalculationSeed(std::uint64_t s, long long k) {
  return SplitMix64(s ^ SplitMix64(static_cast<std::uint64_t>(k)));
}

std::unique_ptr<simulation::Simulation> PrepareWorld(const ExperimentSetup& setup,
                                                     simulation::Simulation::SeedSource seeds,
                                                     simulation::Simulation::Reporter reporter) {
  auto sim = std::make_unique<simulation::Simulation>(std::move(seeds));
  sim->SetReporter(std::move(reporter));
  sim->MainWindowShown();
  ApplyMainSettings(*sim, setup.MainSettings);
  return sim;
}

void ApplyWindowFields(simulation::ControlModel& fields, const ExperimentSetup& setup) {
  ApplySettings(fields, setup.WindowFields, false);
}

ExperimentSetup ReadExperiment(const std::string& name, const std::vector<std::string>& set,
                               const std::vector<std::string>& exp, long long maxRoundSteps) {
  const ExperimentType& type = TypeNamed(name);
  ExperimentSetup s;
  s.Kind = type.Kind;
  s.Name = name;
  s.SetTexts = set;
  s.ExpTexts = exp;
  s.MainSettings = ParseSettings(set, "--set", true);
  s.WindowFields = ParseSettings(exp, "--exp");
  if (maxRoundSteps < 0) throw UsageError("--max-round-steps must not be negative");
  s.MaxRoundSteps = maxRoundSteps;

  // A world prepared as every calculation's will be: a refused setting or
  // set-up shows here, before anything is written.
  auto probe = std::make_unique<simulation::Simulation>([] { return std::uint64_t{1}; });
  probe->MainWindowShown();
  ApplyMainSettings(*probe, s.MainSettings);

  // The fields typed into the window, checked first, then read as its
  // experiment reads them at new start.
  const std::unique_ptr<experiments::Experiment> window = type.Make(*probe);
  simulation::ControlModel& fields = window->Fields();
  CheckWindowFields(fields, s.WindowFields);
  ApplyWindowFields(fields, s);
  using E = experiments::ExperimentControl;
  if (const simulation::Control* c = fields.Find(E::Parameter)) s.Parameter = c->ItemIndex;
  if (const simulation::Control* c = fields.Find(E::ClusterFitDegreeUpDown)) s.ClusterDegree = c->Position;
  if (const simulation::Control* c = fields.Find(E::SegregationFitDegreeUpDown)) s.SegregationDegree = c->Position;
  const experiments::UnitPlan plan = window->ReadUnits();
  s.Sweep = plan.Sweep;
  s.Plan = plan.Units;
  s.Sweep3d = plan.Sweep3d;
  s.ThirdStart = plan.ThirdStart;
  s.ThirdEnd = plan.ThirdEnd;
  s.ThirdIncrement = plan.ThirdIncrement;
  s.Rounds = plan.CalculationsPerUnit;
  s.Units = plan.Units.Calculations();
  s.Calculations = plan.Calculations;
  CheckFirstSetUp(s, *window, *probe);
  if (s.Calculations == std::numeric_limits<long long>::max()) {
    throw UsageError("the sweep has too many calculations to count; narrow its range or repetitions");
  }
  return s;
}

}  // namespace cli
