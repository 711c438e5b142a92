#include "experiments/stability_experiment.h"

#include <algorithm>
#include <limits>
#include <tuple>

#include "experiments/mean_segregation.h"

namespace experiments {

using simulation::Control;
using world::IntToText;
using E = ExperimentControl;

namespace {

SettingsBox Box() {
  SettingsBox box;
  box.Timer = ExperimentControl::StabilityTimer;
  box.StartCaption = "tolerance from:";
  box.Start = "25";
  box.End = "45";
  box.StepsCaption = "steps until next value:";
  box.Steps = "5";
  box.RepetitionsField = ExperimentControl::RoundsPerValue;
  box.RepetitionsCaption = "rounds:";
  box.Repetitions = "5";
  return box;
}

const char* const kThirdTitles[] = {
    "Stability Landscape for \"number of agents\"",
    "Stability Landscape for \"number of groups\"",
    "Stability Landscape for \"radius neighbourhood\"",
    "Stability Landscape for \"move distance\"",
};

}  // namespace

StabilityExperiment::StabilityExperiment(simulation::Simulation& sim, StabilitySurface& landscape) : sim_(sim), landscape_(landscape) {
  const auto total = [this] { UpdatePlannedTotal(); };
  AddSettingsBox(controls, Box(), total);
  Control activate = CheckBox("", "activate", false);
  // The total counts the passes only while "activate" is checked, so it
  // follows that box too.
  activate.OnChange = total;
  controls.Add(E::ThirdActive, std::move(activate));
  Control param = ComboBox("", " choose parameter",
                           {" number of agents", " number of groups", " radius neighbourhood", " move distance"});
  param.OnChange = total;
  controls.Add(E::Parameter, std::move(param));
  for (auto [id, caption, text] : {std::tuple{E::ThirdFrom, "value from:", "25"}, std::tuple{E::ThirdTo, "to:", "45"},
                                   std::tuple{E::ThirdIncrement, "increment:", "1"}}) {
    Control edit = IntegerEdit("", caption, text);
    edit.OnChange = total;
    controls.Add(id, std::move(edit));
  }

  Chart_Stability.BottomAxisTitle = "tolerance value";
  Chart_Stability.LeftAxisTitle = "average segregation index";
  Chart_Change.SetTitle("changes");
  Chart_Change.BottomAxisTitle = "timesteps";
  Chart_Change.LeftAxisTitle = "tolerance value";
  Chart_Change.RightAxisTitle = "number of changing agents";
  Series_segAvg.SetSource(&Series_segVal);

  UpdatePlannedTotal();
  SetStabilityTitle();
  EmptyCharts();
}

StabilityExperiment::~StabilityExperiment() {
  if (sim_.analysis.Stability.ser_change == &ser_change) sim_.analysis.Stability = {};
}

void StabilityExperiment::UpdatePlannedTotal() {
  const int start = controls.Int(E::ValueFrom);
  const int end = controls.Int(E::ValueTo);
  const int increment = controls.Int(E::Increment);
  const int rounds = controls.Int(E::RoundsPerValue);
  const int thirdStart = controls.Int(E::ThirdFrom);
  const int thirdEnd = controls.Int(E::ThirdTo);
  const int thirdIncrement = controls.Int(E::ThirdIncrement);
  if (thirdIncrement <= 0 || increment <= 0) throw IncrementsMessage();
  // Counted as they run: the first value, round and pass always run.
  long long total = SaturatingProduct(ValueCount(start, end, increment), RepetitionsRun(rounds));
  if (controls.Checked(E::ThirdActive))
    total = SaturatingProduct(total, ValueCount(thirdStart, thirdEnd, thirdIncrement));
  controls.SetText(E::PlannedTotal, TotalText(total));
}

void StabilityExperiment::WriteThirdValue(simulation::Simulation& sim, int parameter, int value) {
  switch (parameter) {
    case kNumberOfAgents:
      sim.controls.SetText(simulation::MainControl::AgentCount, IntToText(value));
      break;
    case kNumberOfGroups:
      sim.controls.SetPosition(simulation::MainControl::GroupCountUpDown, value);
      break;
    case kRadius:
      sim.controls.SetPosition(simulation::MainControl::RadiusUpDown, value);
      break;
    case kMoveDistance:
      sim.controls.SetPosition(simulation::MainControl::MoveDistanceUpDown, value);
      break;
    default:
      break;
  }
}

int StabilityExperiment::ReadSteps() const { return std::max(1, controls.Int(E::StepsPerValue)); }

void StabilityExperiment::SetTimer(bool on) {
  controls.SetChecked(E::StabilityTimer, on);
  // Every step records into the change chart while, and only while, the timer runs.
  if (on) {
    sim_.analysis.Stability = {&ser_change, &ser_tol};
  } else if (sim_.analysis.Stability.ser_change == &ser_change) {
    sim_.analysis.Stability = {};
  }
}

void StabilityExperiment::SetThreshold(long long tolerance) {
  const auto value = static_cast<int>(std::min<long long>(tolerance, std::numeric_limits<int>::max()));
  sim_.controls.SetPosition(simulation::MainControl::Threshold, value);
  sim_.controls.SetPosition(simulation::MainControl::ThresholdUpDown, value);
  // Also above the track bar's maximum of 100.
  sim_.world.Threshold = value;
}

void StabilityExperiment::SetStabilityTitle() {
  Chart_Stability.SetTitle("phase transitions || " + IntToText(sim_.world.GroupCount) + " groups");
}

void StabilityExperiment::EmptyCharts() {
  Series_segVal.Clear();  // and with it Series_segAvg
  ser_change.clear();
  ser_tol.clear();
}

void StabilityExperiment::Save(int number) {
  if (saver_) saver_(IntToText(number));
}

void StabilityExperiment::B_undoZClick() {
  Chart_Stability.UndoZoom();
  Chart_Change.UndoZoom();
}

void StabilityExperiment::B_saveSnapClick() { Save(passNo_); }

void StabilityExperiment::S_startClick() {
  // Every field the start needs is read before anything changes.
  const bool sweep3d = controls.Checked(E::ThirdActive);
  const int item = controls.ItemIndex(E::Parameter);
  int thirdStart = 0;
  if (sweep3d) {
    if (item < 0) throw world::MissingValue("please select a parameter");
    thirdStart = controls.Int(E::ThirdFrom);
    // A pass that never passes the end would sweep for ever.
    if (controls.Int(E::ThirdIncrement) <= 0) throw IncrementsMessage();
  }
  static_cast<void>(controls.Int(E::ValueFrom));
  static_cast<void>(ReadSteps());

  sweep3d_ = sweep3d;
  thirdItem_ = item;
  if (sweep3d_) {
    thirdValue_ = thirdStart;
    landscape_.Clear();
    WriteThirdValue(sim_, thirdItem_, thirdStart);
    landscape_.Chart_3DLand.SetTitle(kThirdTitles[thirdItem_]);
  }
  valuesDone_ = 0;
  roundNo_ = 1;
  passNo_ = 1;
  phase_ = Phase::Active;
  EmptyCharts();
  titleDue_ = true;
  pending_ = Pending::Restart;
  try {
    RestartRound();
  } catch (const world::UserError&) {
    SetTimer(false);
    throw;
  }
  SetTimer(true);
}

void StabilityExperiment::S_breakClick() {
  if (phase_ != Phase::Active) return;
  SetTimer(!Running());
}

void StabilityExperiment::Tick() {
  if (!Running()) return;
  try {
    if (pending_ != Pending::None) {
      if (!Continue()) return;
    } else if (stableSteps_ >= ReadSteps()) {
      if (!Rise()) return;
    }
    Step();
  } catch (const world::UserError& error) {
    SetTimer(false);
    if (reporter_) reporter_(error);
  }
}

bool StabilityExperiment::Continue() {
  switch (pending_) {
    case Pending::PassSave:
      return FinishPass();
    case Pending::PassChange:
      return ChangePass();
    case Pending::FinalSave:
      return FinalSave();
    case Pending::Restart:
      return RestartRound();
    case Pending::None:
      break;
  }
  return true;
}

bool StabilityExperiment::Rise() {
  // The fields this rise needs are read before anything changes.
  const int end = controls.Int(E::ValueTo);
  const bool roundDone = tolerance_ + 1 > end;
  const int rounds = roundDone ? controls.Int(E::RoundsPerValue) : 0;

  // The world settled under `tolerance`: record the segregation after its last step.
  if (const auto m = MeanSegregation(sim_.analysis, stepInRound_ - 1)) Series_segVal.Add(tolerance_, *m);
  stableSteps_ = 0;
  ++tolerance_;
  SetThreshold(tolerance_);
  ++valuesDone_;
  controls.SetText(E::Done, IntToText(valuesDone_));
  if (!roundDone) return true;

  Series_segAvg.SetPeriod(roundNo_);
  Series_segAvg.Recompute();
  ++roundNo_;
  if (rounds < 0 || roundNo_ > rounds) {
    pending_ = Pending::PassSave;
    return FinishPass();
  }
  pending_ = Pending::Restart;
  return RestartRound();
}

bool StabilityExperiment::FinishPass() {
  // Unchecking "activate" during a sweep ends it with this pass.
  const bool next = sweep3d_ && controls.Checked(E::ThirdActive);
  int start = 0;
  int end = 0;
  int thirdIncrement = 0;
  int thirdEnd = 0;
  if (next) {
    start = controls.Int(E::ValueFrom);
    end = controls.Int(E::ValueTo);
    thirdIncrement = controls.Int(E::ThirdIncrement);
    thirdEnd = controls.Int(E::ThirdTo);
    if (thirdIncrement <= 0) throw IncrementsMessage();
  }
  sim_.controls.SetChecked(simulation::MainControl::SaveSurface, false);
  Save(passNo_);
  if (!next) {
    End();
    return false;
  }
  // Point i of the average is the mean over the rounds at threshold start + i,
  // as long as the range was not changed during the pass: never read past it.
  const Series& average = Series_segAvg.Points();
  const long long wanted = static_cast<long long>(end) - start + 1;
  const auto count = static_cast<std::size_t>(std::clamp<long long>(wanted, 0, static_cast<long long>(average.size())));
  if (count > 0) landscape_.AddRow();
  for (std::size_t i = 0; i < count; ++i) {
    landscape_.AddPoint({average[i].X, average[i].Y, static_cast<double>(thirdValue_)});
  }
  thirdValue_ += thirdIncrement;
  if (thirdValue_ > thirdEnd) {
    pending_ = Pending::FinalSave;
    return FinalSave();
  }
  pending_ = Pending::PassChange;
  return ChangePass();
}

bool StabilityExperiment::ChangePass() {
  WriteThirdValue(sim_, thirdItem_, static_cast<int>(thirdValue_));
  roundNo_ = 1;
  ++passNo_;
  EmptyCharts();
  titleDue_ = true;
  pending_ = Pending::Restart;
  return RestartRound();
}

bool StabilityExperiment::FinalSave() {
  // The surface picture is saved once, complete.
  sim_.controls.SetChecked(simulation::MainControl::SaveSurface, true);
  Save(passNo_);
  End();
  return false;
}

bool StabilityExperiment::RestartRound() {
  const int start = controls.Int(E::ValueFrom);
  const int steps = ReadSteps();
  ser_change.clear();
  ser_tol.clear();
  stepInRound_ = 0;
  sim_.world.StepCount = 0;
  stableSteps_ = 0;
  controls.SetText(E::Done, IntToText(valuesDone_));
  tolerance_ = start;
  sim_.controls.SetText(simulation::MainControl::StopStep, IntToText(steps));
  sim_.NewSetup();
  SetThreshold(tolerance_);
  if (titleDue_) SetStabilityTitle();
  titleDue_ = false;
  pending_ = Pending::None;
  return true;
}

void StabilityExperiment::Step() {
  const int changed = sim_.world.UnsatisfiedCount;
  if (changed == lastChanged_) {
    ++stableSteps_;
  } else {
    stableSteps_ = 0;
  }
  lastChanged_ = changed;
  sim_.TimeStep();
  controls.SetText(E::StepsDone, IntToText(stepInRound_));
  ++stepInRound_;
}

void StabilityExperiment::End() {
  pending_ = Pending::None;
  phase_ = Phase::Ended;
  SetTimer(false);
}

UnitPlan StabilityExperiment::ReadUnits() const {
  UnitPlan plan;
  plan.Sweep3d = controls.Checked(E::ThirdActive);
  const int parameter = controls.ItemIndex(E::Parameter);
  plan.Sweep.Start = controls.Int(E::ValueFrom);
  plan.Sweep.End = controls.Int(E::ValueTo);
  plan.Sweep.Increment = controls.Int(E::Increment);
  plan.Sweep.Steps = std::max(1, controls.Int(E::StepsPerValue));
  plan.Sweep.Repetitions = controls.Int(E::RoundsPerValue);
  plan.ThirdStart = controls.Int(E::ThirdFrom);
  plan.ThirdEnd = controls.Int(E::ThirdTo);
  plan.ThirdIncrement = controls.Int(E::ThirdIncrement);
  if (plan.Sweep3d && parameter < 0) throw world::MissingValue("please select a parameter");
  // The window only warns of an increment of 0 or less; the planned total,
  // which the progress line shows, needs one above 0.
  if (plan.Sweep.Increment <= 0 || (plan.Sweep3d && plan.ThirdIncrement <= 0)) throw IncrementsMessage();
  plan.CalculationsPerUnit = RepetitionsRun(plan.Sweep.Repetitions);
  if (plan.Sweep3d) plan.Units = {plan.ThirdStart, plan.ThirdEnd, plan.ThirdIncrement, 1};
  plan.Calculations = SaturatingProduct(plan.Units.Calculations(), plan.CalculationsPerUnit);
  return plan;
}

std::optional<world::UserError> StabilityExperiment::ApplyTo(simulation::Simulation& sim, int value) const {
  if (!controls.Checked(E::ThirdActive)) return std::nullopt;
  WriteThirdValue(sim, controls.ItemIndex(E::Parameter), value);
  sim.NewSetup();
  return std::nullopt;
}

std::optional<world::UserError> StabilityExperiment::StartUnit(long long, int value, const UnitLimits& limits) {
  unitFailure_.reset();
  reporter_ = [this](const world::UserError& e) { unitFailure_ = e.what(); };
  unitLimits_ = limits;
  unitRises_ = 0;
  unitValue_ = std::monostate();
  if (controls.Checked(E::ThirdActive)) {
    unitValue_ = static_cast<long long>(value);
    controls.SetText(E::ThirdFrom, IntToText(value));
    controls.SetText(E::ThirdTo, IntToText(value));
  }
  S_startClick();
  return std::nullopt;
}

void StabilityExperiment::StepUnit(std::vector<UnitRow>& rows) {
  const int round = roundNo_;
  const long long tolerance = tolerance_;
  const int risesBefore = valuesDone_;
  const std::size_t pointsBefore = Series_segVal.Size();
  const long long stepsBefore = stepInRound_;
  Tick();
  if (unitFailure_) throw UnitFailed(round - 1, *unitFailure_);

  if (valuesDone_ > risesBefore) {
    ++unitRises_;
    // The point recorded at the rise is the last one at its threshold.
    TableValue segregation;
    const Series& points = Series_segVal.Points();
    if (points.size() > pointsBefore) {
      for (auto it = points.rbegin(); it != points.rend(); ++it) {
        if (it->X == static_cast<double>(tolerance)) {
          segregation = it->Y;
          break;
        }
      }
    }
    rows.push_back({ResultTable::Rises, round - 1, unitValue_, round, {tolerance, stepsBefore, segregation}});
  }
  if (RoundNo() != round || Ended()) {
    rows.push_back({ResultTable::Runs, round - 1, unitValue_, round, {stepsBefore, unitRises_}});
    unitRises_ = 0;
  }
  if (Ended()) return;
  // Every tick that goes on runs one step, which the change chart records.
  if (!ser_change.empty() && !ser_tol.empty()) {
    rows.push_back({ResultTable::Steps,
                    RoundNo() - 1,
                    unitValue_,
                    RoundNo(),
                    {ser_change.back().X, ser_tol.back().Y, ser_change.back().Y}});
  }
  if (unitLimits_.MaxRoundSteps > 0 && StepInRound() >= unitLimits_.MaxRoundSteps && Running()) {
    throw UnitFailed(RoundNo() - 1,
                     "round " + std::to_string(RoundNo()) + " did not settle at tolerance " +
                         std::to_string(Tolerance()) + " within " + std::to_string(unitLimits_.MaxRoundSteps) +
                         " steps",
                     true);
  }
}

void StabilityExperiment::Replay(const std::vector<UnitRow>& rows) {
  const UnitPlan plan = ReadUnits();
  const long long lastPass = std::max<long long>(0, plan.Units.Calculations() - 1);
  // The last pass's world titles the chart, as it does in the window at the end.
  if (plan.Sweep3d) controls.SetText(E::ThirdFrom, IntToText(plan.Units.At(lastPass).Value));
  S_startClick();
  S_breakClick();

  std::optional<long long> round;
  for (const UnitRow& row : rows) {
    if (row.Table == ResultTable::Rises && row.Calculation / plan.CalculationsPerUnit == lastPass) {
      const auto tolerance = NumberOf(row.Fields.at(0));
      const auto mean = NumberOf(row.Fields.at(2));
      if (tolerance && mean) Series_segVal.Add(*tolerance, *mean);
    } else if (row.Table == ResultTable::Steps) {
      if (row.Calculation != round) {
        round = row.Calculation;
        ser_tol.clear();
        ser_change.clear();
      }
      const auto step = NumberOf(row.Fields.at(0));
      const auto threshold = NumberOf(row.Fields.at(1));
      const auto unsatisfied = NumberOf(row.Fields.at(2));
      if (step && threshold) ser_tol.push_back({*step, *threshold});
      if (step && unsatisfied) ser_change.push_back({*step, *unsatisfied});
    }
  }
  Series_segAvg.SetPeriod(static_cast<int>(std::max<long long>(1, plan.CalculationsPerUnit)));
  Series_segAvg.Recompute();
}

}  // namespace experiments
