#pragma once

#include <optional>
#include <string>

#include "simulation/simulation.h"
#include "experiments/derived_series.h"
#include "experiments/experiment.h"
#include "experiments/sweep_runner.h"
#include "measures/charts.h"

namespace experiments {

// The parameter-space experiment (the window "Analyse Parameterspace", TForm3):
// sweeps the number of groups, the neighbourhood radius, the move distance or
// the tolerance threshold and charts, per value, the number of large clusters
// and the mean segregation index after a fixed number of steps, with their
// averages per value, trend lines and polynomial fits.
class ParameterSpaceExperiment : public SweepExperiment, private SweepRunner::Hooks {
  simulation::Simulation& sim_;

 public:
  // The items of CB_param, in order.
  enum Parameter { kNumberOfGroups = 0, kRadius = 1, kMoveDistance = 2, kThreshold = 3 };

  // What one calculation leaves to record.
  struct Result {
    int Clusters = 0;                   // LargeClusterCount
    std::optional<double> Segregation;  // mean over groups after the last step
  };

  explicit ParameterSpaceExperiment(simulation::Simulation& sim);

  // The window's fields: the settings box, CB_param, the eight display
  // check boxes and the two degree fields with their up-downs.
  simulation::ControlModel controls;

  measures::Chart Chart_Cluster;
  PointSeries Series_Avg;  // (value, LargeClusterCount)
  DerivedSeries Series_AvgClust{DerivedFunction::Average};
  DerivedSeries Series_AvgTrend{DerivedFunction::Trend};
  DerivedSeries Series_AvgFit{DerivedFunction::PolynomialFit, 3};  // clusterFit
  measures::Chart Chart_IS;
  PointSeries Series_IS;  // (value, meanSegregation)
  DerivedSeries Series_IS_Avg{DerivedFunction::Average};
  DerivedSeries Series_IS_Trend{DerivedFunction::Trend};
  DerivedSeries Series_IS_Fit{DerivedFunction::PolynomialFit, 3};  // segregationFit

  SweepRunner runner;

  simulation::ControlModel& Fields() override { return controls; }
  SweepRunner& Runner() override { return runner; }
  const SweepRunner& Runner() const override { return runner; }
  void SetReporter(Reporter reporter) override { runner.SetReporter(std::move(reporter)); }
  void NewStart() override { B_startClick(); }
  void StartStop() override { B_breakClick(); }
  // Records the runs' measures (the steps' for growth) into the charts.
  void Replay(const std::vector<UnitRow>& rows) override;
  void UndoZoom() override { B_undoZClick(); }
  // "please select a parameter" when CB_param has no chosen item.
  void CheckFields() const override;
  std::optional<world::UserError> ApplyTo(simulation::Simulation& sim, int value) const override;
  // LargeClusterCount, meanSegregation.
  static TableColumns Columns();
  CalculationRows RowsOf(simulation::Simulation& sim, int steps) const override;

  // "new start": switches the main window's run off, then refuses with
  // "please select a parameter" when none is chosen; otherwise prepares the
  // charts and starts the sweep. Throws UserError.
  void B_startClick();
  // "start / stop".
  void B_breakClick() { runner.StartStop(); }
  // "undoZoom": both charts.
  void B_undoZClick();
  // One tick of Timer2.
  void Tick() override { runner.Tick(); }

  // The write of the chosen parameter into the main window's controls, as a
  // user's edit, then a set-up. Throws UserError (a refused set-up).
  static void ApplyParameter(simulation::Simulation& sim, int parameter, int value);
  // What the world shows after a calculation of `steps` steps.
  static Result Measure(const simulation::Simulation& sim, int steps);
  // Adds one calculation's points and brings the averages and trends up to date.
  void Record(int value, const Result& result);

 private:
  void PrepareCharts(const SweepSettings& settings) override;
  void ApplyValue(int value) override;
  void RecordCalculation(const SweepSettings& settings) override;
  void FinishSweep() override;
};

}  // namespace experiments
