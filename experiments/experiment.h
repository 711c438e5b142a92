#pragma once

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "simulation/simulation.h"
#include "experiments/sweep_runner.h"

namespace experiments {

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
};

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
  // Writes value into sim's main-window controls as a user's edit would, as
  // the fields choose, then sets sim up. A refusal after which the
  // calculation still runs is returned; a refused set-up is thrown (UserError).
  virtual std::optional<world::UserError> ApplyTo(simulation::Simulation& sim, int value) const = 0;
  // What sim shows after a calculation of `steps` steps, as table rows in
  // the order of the experiment's static Columns().
  virtual CalculationRows RowsOf(simulation::Simulation& sim, int steps) const = 0;
};

}  // namespace experiments
