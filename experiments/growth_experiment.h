#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "simulation/simulation.h"
#include "experiments/derived_series.h"
#include "experiments/experiment.h"
#include "experiments/sweep_runner.h"
#include "measures/charts.h"

namespace experiments {

// The growth experiment (the window "Form4", TForm4): sweeps the tolerance
// threshold and charts, for every value, the segregation index over the steps
// of a run, averaged over the groups and over the calculations, beside the
// density of the latest calculation.
class GrowthExperiment : public SweepExperiment, private SweepRunner::Hooks {
  simulation::Simulation& sim_;

 public:
  // What one calculation leaves to record: the points of the steps run.
  struct Result {
    std::vector<Series> Segregation;  // per group: (StepCount, index)
    Series Density;                   // (StepCount, density in percent)
  };

  explicit GrowthExperiment(simulation::Simulation& sim);

  simulation::ControlModel controls;  // the settings box and the progress display

  measures::Chart Chart_Growth;
  // In the chart in this order: denseLine, the tolerLines, the tempLines.
  // The series of one new start live until the next; the lists only grow
  // during a run (deques: the lines refer to their point series).
  Series denseLine;  // "dense": the density of the latest calculation
  // Grows whenever denseLine is replaced or emptied.
  std::uint64_t DenseLineRevision() const { return denseRevision_; }
  std::deque<PointSeries> tolerPoints;
  std::deque<DerivedSeries> tolerLines;  // one per value, titled by the value
  std::deque<PointSeries> tempPoints;
  std::deque<DerivedSeries> tempLines;  // one per calculation of the current value, "temp"
  int valueIndex = 0;                   // index of the current value among the values
  int calcIndex = 0;                    // index of the next tempPoints to fill

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
  std::optional<world::UserError> ApplyTo(simulation::Simulation& sim, int value) const override;
  // Per calculation meanSegregation and density after the last step; per
  // step the step, the group mean of the segregation index (the
  // calculation's "temp" line) and the density.
  static TableColumns Columns();
  CalculationRows RowsOf(simulation::Simulation& sim, int steps) const override;

  // "new start"; throws UserError.
  void B_startClick();
  void B_breakClick() { runner.StartStop(); }
  void B_undoZClick() { Chart_Growth.UndoZoom(); }
  // One tick of Timer3.
  void Tick() override { runner.Tick(); }

  // The threshold track bar := value (0..100), then a set-up. Throws UserError.
  static void ApplyThreshold(simulation::Simulation& sim, int value);
  // The first `steps` points of every group's segregation series and of the density.
  static Result Measure(const simulation::Simulation& sim, int steps);
  // Records one calculation of `value`; `repetitions` is the field's value now.
  void Record(int value, int repetitions, const Result& result);

 private:
  void PrepareCharts(const SweepSettings& settings) override;
  void ApplyValue(int value) override { ApplyThreshold(sim_, value); }
  void RecordCalculation(const SweepSettings& settings) override;
  void FinishSweep() override { sim_.analysis.AnalyseClusters(); }

  void AddValueLines();
  std::uint64_t denseRevision_ = 0;
  void AddCalculationLines();
};

}  // namespace experiments
