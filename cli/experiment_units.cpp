#include "experiment_units.h"

#include <charconv>
#include <optional>
#include <stdexcept>
#include <variant>

#include "world/convert.h"
#include "experiments/derived_series.h"
#include "experiments/stability_experiment.h"
#include "experiments/stability_surface.h"

namespace cli {

namespace {

using experiments::Point;
using experiments::Series;

// Appends the fields of one line, comma-separated.
class Line {
 public:
  explicit Line(std::string& table) : table_(table) {}
  ~Line() { table_ += '\n'; }
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;

  Line& operator<<(const std::string& text) {
    Separate();
    table_ += text;
    return *this;
  }
  Line& operator<<(long long n) { return *this << std::to_string(n); }
  Line& operator<<(std::uint64_t n) { return *this << std::to_string(n); }
  Line& operator<<(int n) { return *this << std::to_string(n); }
  Line& operator<<(double x) { return *this << NumberText(x); }
  Line& operator<<(const std::optional<double>& x) { return x ? *this << *x : *this << std::string(); }
  Line& operator<<(const experiments::TableValue& v) {
    if (const auto* n = std::get_if<long long>(&v)) return *this << *n;
    if (const auto* x = std::get_if<double>(&v)) return *this << *x;
    return *this << std::string();
  }

 private:
  void Separate() {
    if (!first_) table_ += ',';
    first_ = false;
  }
  std::string& table_;
  bool first_ = true;
};

// Runs the steps of a calculation; false when stopped before its end.
bool RunSteps(simulation::Simulation& sim, int steps, const std::function<bool()>& stop) {
  for (int s = 0; s < steps; ++s) {
    if (stop()) return false;
    sim.TimeStep();
  }
  return true;
}

std::string Describe(const ExperimentSetup& setup, long long k, int value) {
  return setup.Name + " calculation " + std::to_string(k) + " (value " + std::to_string(value) + "): ";
}

std::unique_ptr<simulation::Simulation> Prepare(const ExperimentSetup& setup, SeedFeed& feed,
                                                const simulation::Simulation::Reporter& report, long long k,
                                                int value) {
  try {
    return PrepareWorld(setup, std::ref(feed), report);
  } catch (const world::UserError& e) {
    throw UnitFailure(Describe(setup, k, value) + e.what());
  }
}

// A calculation of a sweep: the set-up of applyValue with the calculation's
// seed, the steps, and what the window records at its end, all through the
// window's own experiment on the calculation's world.
bool RunSweepCalculation(const ExperimentSetup& setup, std::uint64_t sweepSeed, long long k,
                         const std::function<bool()>& stop, const simulation::Simulation::Reporter& report,
                         UnitRows& rows) {
  const experiments::SweepCalculation c = setup.Plan.At(k);
  SeedFeed feed(sweepSeed, k);
  auto sim = Prepare(setup, feed, report, k, c.Value);
  const int steps = setup.Sweep.Steps;
  const std::uint64_t seed = CalculationSeed(sweepSeed, k);
  const std::unique_ptr<experiments::Experiment> window = TypeOf(setup.Kind).Make(*sim);
  const auto* sweep = dynamic_cast<const experiments::SweepExperiment*>(window.get());
  if (!sweep) throw std::logic_error(setup.Name + " runs no sweep calculations");
  try {
    ApplyWindowFields(window->Fields(), setup);
    // As at new start: the main window stops its own run at the last step.
    sim->controls.SetText(simulation::MainControl::StopStep, world::IntToText(steps));
    feed.Arm();
    if (const auto refused = sweep->ApplyTo(*sim, c.Value)) report(*refused);
  } catch (const world::UserError& e) {
    throw UnitFailure(Describe(setup, k, c.Value) + e.what());
  }
  if (!RunSteps(*sim, steps, stop)) return false;

  const experiments::CalculationRows measured = sweep->RowsOf(*sim, steps);
  Line run(rows.Runs);
  run << setup.Name << k << c.Value << c.Repetition << seed;
  for (const experiments::TableValue& value : measured.Measures) run << value;
  for (const experiments::TableRow& step : measured.Steps) {
    Line line(rows.Steps);
    line << k << c.Value << c.Repetition;
    for (const experiments::TableValue& value : step) line << value;
  }
  return true;
}

// A pass of the stability experiment: its rounds in order on one world, run
// by the window's own runner from a new start with the third parameter held
// at the pass's value. Rows are taken from what the runner records.
bool RunStabilityPass(const ExperimentSetup& setup, std::uint64_t sweepSeed, long long pass,
                      const std::function<bool()>& stop, const simulation::Simulation::Reporter& report,
                      UnitRows& rows) {
  const long long first = setup.FirstCalculation(pass);
  const int value = setup.UnitValue(pass);
  SeedFeed feed(sweepSeed, first);
  auto sim = Prepare(setup, feed, report, first, value);
  experiments::StabilitySurface surface;
  experiments::StabilityExperiment runner(*sim, surface);
  std::optional<std::string> failure;
  runner.SetReporter([&failure](const world::UserError& e) { failure = e.what(); });
  const std::string valueText = setup.Sweep3d ? std::to_string(value) : std::string();
  try {
    ApplyWindowFields(runner.controls, setup);
    if (setup.Sweep3d) {
      runner.controls.SetText(experiments::ExperimentControl::ThirdFrom, world::IntToText(value));
      runner.controls.SetText(experiments::ExperimentControl::ThirdTo, world::IntToText(value));
    }
    feed.Arm();
    runner.S_startClick();
  } catch (const world::UserError& e) {
    throw UnitFailure(Describe(setup, first, value) + e.what());
  }

  long long risesInRound = 0;
  while (runner.Running()) {
    if (stop()) return false;
    const int round = runner.RoundNo();
    const long long tolerance = runner.Tolerance();
    const int risesBefore = runner.ValuesDone();
    const std::size_t pointsBefore = runner.Series_segVal.Size();
    const int stepsBefore = runner.StepInRound();
    runner.Tick();
    const long long k = first + round - 1;
    if (failure) throw UnitFailure(Describe(setup, k, value) + *failure);

    if (runner.ValuesDone() > risesBefore) {
      ++risesInRound;
      // The point recorded at the rise is the last one at its threshold.
      std::optional<double> segregation;
      const Series& points = runner.Series_segVal.Points();
      if (points.size() > pointsBefore) {
        for (auto it = points.rbegin(); it != points.rend(); ++it) {
          if (it->X == static_cast<double>(tolerance)) {
            segregation = it->Y;
            break;
          }
        }
      }
      Line(rows.Rises) << k << valueText << round << tolerance << stepsBefore << segregation;
    }
    if (runner.RoundNo() != round || runner.Ended()) {
      Line(rows.Runs) << setup.Name << k << valueText << round << CalculationSeed(sweepSeed, k)
                      << stepsBefore << risesInRound;
      risesInRound = 0;
    }
    if (runner.Ended()) break;
    // Every tick that goes on runs one step, which the change chart records.
    if (!runner.ser_change.empty() && !runner.ser_tol.empty()) {
      Line(rows.Steps) << first + runner.RoundNo() - 1 << valueText << runner.RoundNo()
                       << runner.ser_change.back().X << runner.ser_tol.back().Y << runner.ser_change.back().Y;
    }
    if (setup.MaxRoundSteps > 0 && runner.StepInRound() >= setup.MaxRoundSteps && runner.Running()) {
      throw UnitFailure(Describe(setup, first + runner.RoundNo() - 1, value) + "round " +
                        std::to_string(runner.RoundNo()) + " did not settle at tolerance " +
                        std::to_string(runner.Tolerance()) + " within " + std::to_string(setup.MaxRoundSteps) +
                        " steps (--max-round-steps)");
    }
  }
  return true;
}

}  // namespace

std::string NumberText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

TableHeaders HeadersOf(ExperimentKind kind) { return TypeOf(kind).Headers; }

bool RunUnit(const ExperimentSetup& setup, std::uint64_t sweepSeed, long long unit, const std::function<bool()>& stop,
             const simulation::Simulation::Reporter& report, UnitRows& rows) {
  rows = {};
  if (setup.InPasses) return RunStabilityPass(setup, sweepSeed, unit, stop, report, rows);
  return RunSweepCalculation(setup, sweepSeed, unit, stop, report, rows);
}

}  // namespace cli
