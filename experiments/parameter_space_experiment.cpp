#include "experiments/parameter_space_experiment.h"

#include "experiments/mean_segregation.h"

namespace experiments {

namespace {

SettingsBox Box() {
  SettingsBox box;
  box.Timer = ExperimentControl::ParameterSpaceTimer;
  box.StartCaption = "values from:";
  box.Start = "2";
  box.End = "4";
  box.Steps = "30";
  box.Repetitions = "3";
  return box;
}

}  // namespace

ParameterSpaceExperiment::ParameterSpaceExperiment(simulation::Simulation& sim) : sim_(sim), runner(sim, controls, Box(), *this) {
  controls.Add(ExperimentControl::Parameter,
               ComboBox("", " choose parameter",
                        {" number of groups", " radius neighbourhood", " move distance", " tolerance threshold"}));
  for (const char* chart : {"Clust", "Seg"}) {
    const std::string suffix = chart;
    controls.Add(CheckBox("CB_data_" + suffix, "show data", true));
    controls.Add(CheckBox("CB_avg_" + suffix, "show average", true));
    controls.Add(CheckBox("CB_trend_" + suffix, "show trend", true));
    controls.Add(CheckBox("CB_cFit_" + suffix, "show curve fitting", true));
  }
  using E = ExperimentControl;
  AddEditWithUpDown(controls, IntegerEdit(std::string(NameOf(E::ClusterFitDegree)), "poly degree:", "3"),
                    std::string(NameOf(E::ClusterFitDegreeUpDown)), 2, 20);
  AddEditWithUpDown(controls, IntegerEdit(std::string(NameOf(E::SegregationFitDegree)), "poly degree:", "3"),
                    std::string(NameOf(E::SegregationFitDegreeUpDown)), 2, 20);
  // A click on a degree's up-down refits at once; typing into its edit does not.
  auto degreeClick = [this](E upDown, DerivedSeries& fit) {
    return [this, upDown, &fit] {
      const int degree = controls.Position(upDown);
      if (degree <= 1) return;
      fit.SetDegree(degree);
      fit.Recompute();
    };
  };
  controls.Get(E::ClusterFitDegreeUpDown).OnClick = degreeClick(E::ClusterFitDegreeUpDown, Series_AvgFit);
  controls.Get(E::SegregationFitDegreeUpDown).OnClick = degreeClick(E::SegregationFitDegreeUpDown, Series_IS_Fit);
  Series_AvgFit.SetDegree(controls.Position(E::ClusterFitDegreeUpDown));

  Chart_Cluster.BottomAxisTitle = "values";
  Chart_Cluster.LeftAxisTitle = "clusters";
  Chart_IS.BottomAxisTitle = "values";
  Chart_IS.LeftAxisTitle = "segregation index (IS)";
  for (DerivedSeries* derived : {&Series_AvgClust, &Series_AvgTrend, &Series_AvgFit}) derived->SetSource(&Series_Avg);
  for (DerivedSeries* derived : {&Series_IS_Avg, &Series_IS_Trend, &Series_IS_Fit}) derived->SetSource(&Series_IS);
}

void ParameterSpaceExperiment::B_startClick() {
  sim_.SetRunning(false);
  CheckFields();
  runner.NewStart();
}

void ParameterSpaceExperiment::CheckFields() const {
  if (controls.ItemIndex(ExperimentControl::Parameter) < 0) throw world::MissingValue("please select a parameter");
}

std::optional<world::UserError> ParameterSpaceExperiment::ApplyTo(simulation::Simulation& sim, int value) const {
  ApplyParameter(sim, controls.ItemIndex(ExperimentControl::Parameter), value);
  return std::nullopt;
}

TableColumns ParameterSpaceExperiment::Columns() { return {{"LargeClusterCount", "meanSegregation"}, {}}; }

CalculationRows ParameterSpaceExperiment::RowsOf(simulation::Simulation& sim, int steps) const {
  const Result result = Measure(sim, steps);
  CalculationRows rows;
  rows.Measures.push_back(static_cast<long long>(result.Clusters));
  rows.Measures.push_back(result.Segregation ? TableValue(*result.Segregation) : TableValue());
  return rows;
}

void ParameterSpaceExperiment::B_undoZClick() {
  Chart_Cluster.UndoZoom();
  Chart_IS.UndoZoom();
}

void ParameterSpaceExperiment::PrepareCharts(const SweepSettings& settings) {
  const auto period = static_cast<int>(RepetitionsRun(settings.Repetitions));
  // Emptying a point series empties the average, trend and fit computed from it.
  Series_Avg.Clear();
  Chart_Cluster.SetTitle("clusters per value | cluster threshold = " +
                         sim_.controls.Text(simulation::MainControl::ClusterThreshold));
  Series_AvgClust.SetPeriod(period);
  Series_IS.Clear();
  Chart_IS.SetTitle("segregation per value");
  Series_IS_Avg.SetPeriod(period);
}

void ParameterSpaceExperiment::ApplyParameter(simulation::Simulation& sim, int parameter, int value) {
  const std::string text = world::IntToText(value);
  switch (parameter) {
    case kNumberOfGroups:
      sim.controls.SetText(simulation::MainControl::GroupCount, text);
      break;
    case kRadius:
      sim.controls.SetText(simulation::MainControl::Radius, text);
      break;
    case kMoveDistance:
      sim.controls.SetText(simulation::MainControl::MoveDistance, text);
      break;
    case kThreshold:
      sim.controls.SetPosition(simulation::MainControl::Threshold, value);
      break;
    default:
      break;
  }
  sim.NewSetup();
}

void ParameterSpaceExperiment::ApplyValue(int value) { ApplyTo(sim_, value); }

ParameterSpaceExperiment::Result ParameterSpaceExperiment::Measure(const simulation::Simulation& sim, int steps) {
  // The cluster count is that of the latest analysis, which the time step
  // runs by itself at steps 1, 31, 61, ...
  return {sim.analysis.LargeClusterCount(), MeanSegregation(sim.analysis, steps - 1)};
}

void ParameterSpaceExperiment::Record(int value, const Result& result) {
  Series_Avg.Add(value, result.Clusters);
  Series_AvgClust.Recompute();
  Series_AvgTrend.Recompute();
  if (result.Segregation) {
    Series_IS.Add(value, *result.Segregation);
    Series_IS_Avg.Recompute();
    Series_IS_Trend.Recompute();
  }
}

void ParameterSpaceExperiment::RecordCalculation(const SweepSettings& settings) {
  Record(static_cast<int>(runner.CurrentValue()), Measure(sim_, settings.Steps));
}

void ParameterSpaceExperiment::FinishSweep() {
  sim_.analysis.AnalyseClusters();
  Series_AvgFit.Recompute();
  Series_IS_Fit.Recompute();
}

void ParameterSpaceExperiment::Replay(const std::vector<UnitRow>& rows) {
  NewStart();
  StartStop();
  for (const UnitRow& row : rows) {
    if (row.Table != ResultTable::Runs) continue;
    Result result;
    result.Clusters = static_cast<int>(NumberOf(row.Fields.at(0)).value_or(0));
    result.Segregation = NumberOf(row.Fields.at(1));
    Record(static_cast<int>(NumberOf(row.Value).value_or(0)), result);
  }
  // As at the end of the sweep: the fits with the degrees of the run.
  Series_AvgFit.SetDegree(controls.Get(ExperimentControl::ClusterFitDegreeUpDown).Position);
  Series_IS_Fit.SetDegree(controls.Get(ExperimentControl::SegregationFitDegreeUpDown).Position);
  Series_AvgFit.Recompute();
  Series_IS_Fit.Recompute();
}

}  // namespace experiments
