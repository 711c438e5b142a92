#pragma once

#include <optional>
#include <string>

#include "simulation/simulation.h"
#include "experiments/derived_series.h"
#include "experiments/experiment.h"
#include "experiments/sweep_runner.h"
#include "measures/charts.h"

namespace experiments {

// The street-layout experiment (the window "Analyse Street Effects", TForm5):
// lays a street grid of growing size, or a growing number of random streets,
// and charts the number of large clusters against the number of street cells.
class StreetsExperiment : public SweepExperiment, private SweepRunner::Hooks {
  simulation::Simulation& sim_;

 public:
  enum class Layout { None, Grid, Random };

  // What one calculation leaves to record.
  struct Result {
    int StreetCells = 0;  // StreetCellCount, as Lbl_strCell shows it
    int Clusters = 0;     // LargeClusterCount after a fresh analysis
  };

  explicit StreetsExperiment(simulation::Simulation& sim);

  // The settings box, the progress display and the layout choice RB_grid / RB_rnd.
  simulation::ControlModel controls;

  measures::Chart Chart_Streets;
  PointSeries Series_street;                              // (StreetCellCount, LargeClusterCount)
  DerivedSeries Series_strTrend{DerivedFunction::Trend};  // brought up to date once per value

  SweepRunner runner;

  // Also receives the refusal of a layout ("0 is not a valid street type"),
  // once per new start: the calculations then run without streets.
  void SetReporter(Reporter reporter) override;
  simulation::ControlModel& Fields() override { return controls; }
  SweepRunner& Runner() override { return runner; }
  const SweepRunner& Runner() const override { return runner; }
  void NewStart() override { S_startClick(); }
  void StartStop() override { S_breakClick(); }
  // Records the runs' measures (the steps' for growth) into the charts.
  void Replay(const std::vector<UnitRow>& rows) override;
  void UndoZoom() override { B_undoZClick(); }
  // The layout the radio buttons choose; a refused layout is returned.
  std::optional<world::UserError> ApplyTo(simulation::Simulation& sim, int value) const override;
  // StreetCellCount, LargeClusterCount.
  static TableColumns Columns();
  CalculationRows RowsOf(simulation::Simulation& sim, int steps) const override;

  // "new start"; throws UserError.
  void S_startClick();
  void S_breakClick() { runner.StartStop(); }
  void B_undoZClick() { Chart_Streets.UndoZoom(); }
  // One tick of Timer4.
  void Tick() override { runner.Tick(); }

  // The layout the radio buttons choose now.
  Layout ChosenLayout() const;
  // Deletes the streets, writes value into UpD_rows and UpD_cols (grid) or
  // UpD_nrStr (random) and lays the layout with the up-downs' values, then
  // sets the world up. A refused layout is returned, not thrown: the
  // calculation runs without streets. Throws UserError for a refused set-up.
  static std::optional<world::UserError> ApplyLayout(simulation::Simulation& sim, Layout layout, int value);
  // Runs a cluster analysis of the world as it stands and counts.
  static Result Measure(simulation::Simulation& sim);
  void Record(const Result& result) { Series_street.Add(result.StreetCells, result.Clusters); }

 private:
  void PrepareCharts(const SweepSettings& settings) override;
  void ApplyValue(int value) override;
  void RecordCalculation(const SweepSettings&) override { Record(Measure(sim_)); }
  void ValueDone() override { Series_strTrend.Recompute(); }

  SweepRunner::Reporter reporter_;
  bool layoutRefusalReported_ = false;
};

}  // namespace experiments
