#include "experiments/streets_experiment.h"

#include "simulation/street_controls.h"
#include "streets/layouts.h"

namespace experiments {

namespace {

SettingsBox Box() {
  SettingsBox box;
  box.Timer = ExperimentControl::StreetsTimer;
  box.StartCaption = "nr. of streets or\nrows / cols from:";
  box.Start = "10";
  box.End = "60";
  box.Steps = "500";
  box.Repetitions = "10";
  return box;
}

}  // namespace

StreetsExperiment::StreetsExperiment(simulation::Simulation& sim) : sim_(sim), runner(sim, controls, Box(), *this) {
  controls.Add(ExperimentControl::GridLayout, RadioButton("", "grid", "street layout", true));
  controls.Add(ExperimentControl::RandomLayout, RadioButton("", "random", "street layout", false));
  Chart_Streets.SetTitle("Streets - Clusters Relationship");
  Chart_Streets.BottomAxisTitle = "Streets";
  Chart_Streets.LeftAxisTitle = "Clusters";
  Series_strTrend.SetSource(&Series_street);
}

void StreetsExperiment::SetReporter(Reporter reporter) {
  reporter_ = reporter;
  runner.SetReporter(std::move(reporter));
}

void StreetsExperiment::S_startClick() {
  layoutRefusalReported_ = false;
  runner.NewStart();
}

void StreetsExperiment::PrepareCharts(const SweepSettings&) { Series_street.Clear(); }

StreetsExperiment::Layout StreetsExperiment::ChosenLayout() const {
  if (controls.Checked(ExperimentControl::GridLayout)) return Layout::Grid;
  if (controls.Checked(ExperimentControl::RandomLayout)) return Layout::Random;
  return Layout::None;
}

std::optional<world::UserError> StreetsExperiment::ApplyLayout(simulation::Simulation& sim, Layout layout, int value) {
  auto& controls = sim.controls;
  std::optional<world::UserError> refused;
  simulation::DeleteStreets(sim.world, controls);
  try {
    // The up-downs hold the value within 1..10000; the layout takes what they hold.
    if (layout == Layout::Grid) {
      controls.SetPosition(simulation::MainControl::StreetRowsUpDown, value);
      controls.SetPosition(simulation::MainControl::StreetColsUpDown, value);
      simulation::DrawStreetGrid(sim.world, controls, controls.Position(simulation::MainControl::StreetRowsUpDown),
                                 controls.Position(simulation::MainControl::StreetColsUpDown),
                                 simulation::ReadTypeChoice(controls));
    } else if (layout == Layout::Random) {
      controls.SetPosition(simulation::MainControl::StreetCountUpDown, value);
      simulation::DrawRandomStreets(sim.world, controls, controls.Position(simulation::MainControl::StreetCountUpDown),
                                    simulation::ReadTypeChoice(controls));
    }
  } catch (const world::UserError& error) {
    refused = error;
  }
  // The set-up keeps the layout just drawn.
  sim.NewSetup();
  return refused;
}

void StreetsExperiment::ApplyValue(int value) {
  const auto refused = ApplyTo(sim_, value);
  if (refused && !layoutRefusalReported_) {
    layoutRefusalReported_ = true;
    if (reporter_) reporter_(*refused);
  }
}

std::optional<world::UserError> StreetsExperiment::ApplyTo(simulation::Simulation& sim, int value) const {
  return ApplyLayout(sim, ChosenLayout(), value);
}

TableColumns StreetsExperiment::Columns() { return {{"StreetCellCount", "LargeClusterCount"}, {}}; }

CalculationRows StreetsExperiment::RowsOf(simulation::Simulation& sim, int) const {
  const Result result = Measure(sim);
  CalculationRows rows;
  rows.Measures = {static_cast<long long>(result.StreetCells), static_cast<long long>(result.Clusters)};
  return rows;
}

StreetsExperiment::Result StreetsExperiment::Measure(simulation::Simulation& sim) {
  sim.analysis.AnalyseClusters();
  return {sim.world.StreetCellCount, sim.analysis.LargeClusterCount()};
}

void StreetsExperiment::Replay(const std::vector<UnitRow>& rows) {
  NewStart();
  StartStop();
  for (const UnitRow& row : rows) {
    if (row.Table != ResultTable::Runs) continue;
    Record({static_cast<int>(NumberOf(row.Fields.at(0)).value_or(0)),
            static_cast<int>(NumberOf(row.Fields.at(1)).value_or(0))});
  }
  Series_strTrend.Recompute();
}

}  // namespace experiments
