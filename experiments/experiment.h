#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "simulation/simulation.h"
#include "experiments/sweep_runner.h"

namespace experiments {

// A field of a results table: none (written empty), a whole number or a real.
using TableValue = std::variant<std::monostate, long long, double>;
using TableRow = std::vector<TableValue>;

// The columns an experiment adds to the results tables: its measures per
// calculation, and per step where it records the steps (else none).
struct TableColumns {
  std::vector<std::string> Measures;
  std::vector<std::string> Steps;
};

// What one calculation of a sweep leaves in the results tables, in the
// order of its TableColumns.
struct CalculationRows {
  TableRow Measures;
  std::vector<TableRow> Steps;
};

// The tables a unit adds rows to.
enum class ResultTable { Runs, Steps, Rises };

// A row a unit adds to a results table: the calculation of the unit it
// belongs to (from 0), the value and repetition (round) columns every table
// has, and the experiment's own columns after them, in the order of its
// table header. The driver adds the experiment, calculation and seed columns.
struct UnitRow {
  ResultTable Table = ResultTable::Runs;
  long long Calculation = 0;
  TableValue Value;
  long long Repetition = 1;
  TableRow Fields;
};

// What a batch experiment's fields plan, read as its new start reads them:
// the box "settings", the units a driver runs each on a world of its own
// (a sweep's calculations, or the stability experiment's passes of rounds),
// and the calculations in all.
struct UnitPlan {
  SweepSettings Sweep;
  // The units: a sweep's values and repetitions; the third values of a
  // stability pass (one pass at value 0 when no third parameter is swept).
  SweepPlan Units;
  long long CalculationsPerUnit = 1;  // the rounds of a pass
  bool Sweep3d = false;               // Cb_acti3d
  int ThirdStart = 0;
  int ThirdEnd = 0;
  int ThirdIncrement = 1;
  long long Calculations = 0;
};

// How long a unit may run: 0 for no limit.
struct UnitLimits {
  long long MaxRoundSteps = 0;  // steps of one round of a stability pass
};

// A unit that cannot go on: the calculation of the unit it stopped in (from
// 0) and why; StepLimit() when it ran into its UnitLimits.
class UnitFailed : public std::runtime_error {
 public:
  UnitFailed(long long calculation, const std::string& why, bool stepLimit = false)
      : std::runtime_error(why), calculation_(calculation), stepLimit_(stepLimit) {}
  long long Calculation() const { return calculation_; }
  bool StepLimit() const { return stepLimit_; }

 private:
  long long calculation_;
  bool stepLimit_;
};

// The batch experiments, one each: the headless tool's list of experiments
// and the windows' factory (ui::MakeExperimentWindow) name them by it.
enum class ExperimentKind { Parameterspace, Growth, Streets, Stability };

// What every batch experiment offers its window and the headless tool: the
// window's fields, the three buttons every experiment window has, one tick
// of its timer and where it stands. The four experiments implement it; the
// window and the headless tool drive them through it alone.
class Experiment {
 public:
  using Reporter = std::function<void(const world::UserError&)>;
  virtual ~Experiment() = default;

  // The window's own fields: the settings box, the progress display, the
  // timer and whatever the window adds.
  virtual simulation::ControlModel& Fields() = 0;
  // The name of the window's timer entry in Fields().
  virtual std::string TimerName() const = 0;
  // Errors met while running: the experiment pauses and reports each once.
  virtual void SetReporter(Reporter reporter) = 0;

  // "new start": restarts from the beginning; throws UserError with the
  // message to show (nothing has started then).
  virtual void NewStart() = 0;
  // "start / stop": pauses or resumes.
  virtual void StartStop() = 0;
  // "undoZoom": every chart of the window.
  virtual void UndoZoom() = 0;
  // One tick of the window's timer; nothing while the timer is off.
  virtual void Tick() = 0;

  virtual bool Running() const = 0;
  virtual bool Started() const = 0;
  virtual bool Ended() const = 0;

  // --- Unit by unit: a driver (the headless tool's workers) runs each unit
  // on a world of its own, with the window's fields typed in first.

  // The plan of the fields as they stand. Throws UserError when they cannot
  // start the experiment, before anything has changed.
  virtual UnitPlan ReadUnits() const = 0;
  // Writes the value of a unit into sim's main-window controls as a user's
  // edit would, as the fields choose, then sets sim up: a sweep's value (the
  // window's applyValue), or the third value of a stability pass (nothing
  // when no third parameter is swept). A refusal after which the unit still
  // runs is returned; a refused set-up is thrown (UserError).
  virtual std::optional<world::UserError> ApplyTo(simulation::Simulation& sim, int value) const = 0;
  // Starts unit `unit`, whose value is `value`, on the experiment's own
  // world. A refusal after which it still runs is returned; a refused start
  // is thrown (UserError).
  virtual std::optional<world::UserError> StartUnit(long long unit, int value, const UnitLimits& limits) = 0;
  // Whether the unit started has more to run.
  virtual bool UnitRunning() const = 0;
  // Runs the unit on by one time step and adds the rows it completed.
  // Throws UnitFailed.
  virtual void StepUnit(std::vector<UnitRow>& rows) = 0;

  // Shows the rows of a finished run's tables as the window shows them at
  // the run's end, the fields typed in first: starts and pauses the
  // experiment, which titles and empties its charts, then records the rows
  // (Calculation: the calculation's number in the run) with its own
  // recording code. Throws UserError as NewStart does.
  virtual void Replay(const std::vector<UnitRow>& rows) = 0;
};

// A field as a number: nothing when it is empty.
std::optional<double> NumberOf(const TableValue& value);

// A sweep experiment whose calculations a driver can also run one by one,
// each on a world of its own, with the window's own code: the write of the
// value into the main window (the window's applyValue) and what the window
// records at the end of a calculation, as table rows.
class SweepExperiment : public Experiment {
 public:
  virtual SweepRunner& Runner() = 0;
  virtual const SweepRunner& Runner() const = 0;

  bool Running() const override { return Runner().Running(); }
  bool Started() const override { return Runner().Started(); }
  bool Ended() const override { return Runner().Ended(); }
  std::string TimerName() const override { return Runner().TimerName(); }

  // Throws UserError when the fields as they stand cannot start a sweep
  // (beyond what the runner itself checks).
  virtual void CheckFields() const {}
  // What sim shows after a calculation of `steps` steps, as table rows in
  // the order of the experiment's static Columns().
  virtual CalculationRows RowsOf(simulation::Simulation& sim, int steps) const = 0;

  // A unit is one calculation: its set-up at its value, its steps, and what
  // the window records at its end.
  UnitPlan ReadUnits() const override;
  std::optional<world::UserError> StartUnit(long long unit, int value, const UnitLimits& limits) override;
  bool UnitRunning() const override { return unitStepsDone_ < unitSteps_; }
  void StepUnit(std::vector<UnitRow>& rows) override;

 private:
  SweepCalculation unit_;
  int unitSteps_ = 0;
  int unitStepsDone_ = 0;
};

}  // namespace experiments
