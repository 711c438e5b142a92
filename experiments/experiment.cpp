#include "experiments/experiment.h"

#include "world/convert.h"

namespace experiments {

std::optional<double> NumberOf(const TableValue& value) {
  if (const auto* n = std::get_if<long long>(&value)) return static_cast<double>(*n);
  if (const auto* x = std::get_if<double>(&value)) return *x;
  return std::nullopt;
}

UnitPlan SweepExperiment::ReadUnits() const {
  CheckFields();
  UnitPlan plan;
  plan.Sweep = Runner().ReadSettings();
  plan.Units = Runner().Plan();
  plan.Calculations = plan.Units.Calculations();
  return plan;
}

std::optional<world::UserError> SweepExperiment::StartUnit(long long unit, int value, const UnitLimits&) {
  simulation::Simulation& sim = Runner().Sim();
  unit_ = Runner().Plan().At(unit);
  unitSteps_ = Runner().ReadSettings().Steps;
  unitStepsDone_ = 0;
  // As at new start: the main window stops its own run at the last step.
  sim.controls.SetText(simulation::MainControl::StopStep, world::IntToText(unitSteps_));
  return ApplyTo(sim, value);
}

void SweepExperiment::StepUnit(std::vector<UnitRow>& rows) {
  if (!UnitRunning()) return;
  simulation::Simulation& sim = Runner().Sim();
  sim.TimeStep();
  if (++unitStepsDone_ < unitSteps_) return;
  CalculationRows measured = RowsOf(sim, unitSteps_);
  const TableValue value = static_cast<long long>(unit_.Value);
  rows.push_back({ResultTable::Runs, 0, value, unit_.Repetition, std::move(measured.Measures)});
  for (TableRow& step : measured.Steps)
    rows.push_back({ResultTable::Steps, 0, value, unit_.Repetition, std::move(step)});
}

}  // namespace experiments
