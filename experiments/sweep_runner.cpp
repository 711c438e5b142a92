#include "experiments/sweep_runner.h"

#include <algorithm>

namespace experiments {

using world::IntToText;
using E = ExperimentControl;

SweepCalculation SweepPlan::At(long long k) const {
  const long long runs = Runs();
  SweepCalculation c;
  c.ValueIndex = k / runs;
  c.Repetition = static_cast<int>(k % runs) + 1;
  c.Value = static_cast<int>(Start + c.ValueIndex * static_cast<long long>(Increment));
  return c;
}

SweepRunner::SweepRunner(simulation::Simulation& sim, simulation::ControlModel& fields, const SettingsBox& box,
                         Hooks& hooks)
    : sim_(sim), fields_(fields), hooks_(hooks), timer_(box.Timer), repetitions_(box.RepetitionsField) {
  AddSettingsBox(fields_, box, [this] { UpdatePlannedTotal(); });
  UpdatePlannedTotal();
}

int SweepRunner::ReadSteps() const { return std::max(1, fields_.Int(E::StepsPerValue)); }

SweepSettings SweepRunner::ReadSettings() const {
  SweepSettings s;
  s.Start = fields_.Int(E::ValueFrom);
  s.End = fields_.Int(E::ValueTo);
  s.Increment = fields_.Int(E::Increment);
  s.Steps = ReadSteps();
  s.Repetitions = fields_.Int(repetitions_);
  if (s.Increment <= 0) throw IncrementsMessage();
  return s;
}

SweepPlan SweepRunner::Plan() const {
  const SweepSettings s = ReadSettings();
  return {s.Start, s.End, s.Increment, s.Repetitions};
}

void SweepRunner::UpdatePlannedTotal() { fields_.SetText(E::PlannedTotal, TotalText(Plan().Calculations())); }

void SweepRunner::SetUp() {
  setUpDue_ = true;
  hooks_.ApplyValue(static_cast<int>(currentValue_));
  setUpDue_ = false;
}

void SweepRunner::NewStart() {
  const SweepSettings s = ReadSettings();
  stepInCalc_ = 0;
  sim_.world.StepCount = 0;
  calcInValue_ = 1;
  calcsDone_ = 0;
  phase_ = Phase::Active;
  hooks_.PrepareCharts(s);
  fields_.SetText(E::Done, "0");
  currentValue_ = s.Start;
  // The main window stops its own run at the last step of every calculation.
  sim_.controls.SetText(simulation::MainControl::StopStep, IntToText(s.Steps));
  try {
    SetUp();
  } catch (const world::UserError&) {
    SetTimer(false);
    throw;
  }
  SetTimer(true);
}

void SweepRunner::StartStop() {
  if (phase_ != Phase::Active) return;
  SetTimer(!Running());
}

void SweepRunner::Tick() {
  if (!Running()) return;
  try {
    if (setUpDue_) {
      SetUp();
    } else if (const int steps = ReadSteps(); stepInCalc_ >= steps) {
      // Every field this completion needs is read before anything changes,
      // so that a field that does not parse leaves the tick to be retried.
      SweepSettings s;
      s.Steps = steps;
      s.Repetitions = fields_.Int(repetitions_);
      const bool valueDone = s.Repetitions < 0 || calcInValue_ + 1 > s.Repetitions;
      if (valueDone) {
        s.Increment = fields_.Int(E::Increment);
        s.End = fields_.Int(E::ValueTo);
        if (s.Increment <= 0) throw IncrementsMessage();
      }
      hooks_.RecordCalculation(s);
      ++calcInValue_;
      ++calcsDone_;
      fields_.SetText(E::Done, IntToText(calcsDone_));
      if (valueDone) {
        currentValue_ += s.Increment;
        hooks_.ValueDone();
        if (currentValue_ > s.End) {
          hooks_.FinishSweep();
          phase_ = Phase::Ended;
          SetTimer(false);
          return;
        }
        calcInValue_ = 1;
      }
      stepInCalc_ = 0;
      SetUp();
    }
    sim_.TimeStep();
    fields_.SetText(E::StepsDone, IntToText(stepInCalc_));
    ++stepInCalc_;
  } catch (const world::UserError& error) {
    SetTimer(false);
    if (reporter_) reporter_(error);
  }
}

}  // namespace experiments
