#include "experiments/sweep_runner.h"

#include <gtest/gtest.h>

#include "experiments/settings_box.h"
#include "runner_support.h"
#include "simulation/control_builders.h"

namespace experiments {
namespace {

using test_support::Reports;
using test_support::RunOut;
using test_support::SmallWorld;
using test_support::Type;

// Records what the loop asks of its window, and what the world looked like then.
struct LogHooks : SweepRunner::Hooks {
  explicit LogHooks(simulation::Simulation& s) : sim(s) {}
  simulation::Simulation& sim;
  int prepared = 0;
  std::vector<int> applied;
  struct Recorded {
    int value;
    int stepCount;
    std::size_t points;
    bool stopRed;
  };
  std::vector<Recorded> recorded;
  int valuesDone = 0;
  int finished = 0;
  int currentValue = 0;

  void PrepareCharts(const SweepSettings&) override { ++prepared; }
  void ApplyValue(int value) override {
    applied.push_back(value);
    currentValue = value;
    sim.controls.SetFontColor(simulation::MainControl::StartStop, world::kGreen);
    sim.NewSetup();
  }
  void RecordCalculation(const SweepSettings&) override {
    recorded.push_back({currentValue, sim.world.StepCount, sim.analysis.SegregationSeries[0].size(),
                        sim.controls.Get(simulation::MainControl::StartStop).FontColor == world::kRed});
  }
  void ValueDone() override { ++valuesDone; }
  void FinishSweep() override { ++finished; }
};

SettingsBox Box(std::string start, std::string end, std::string increment, std::string steps,
                std::string repetitions) {
  SettingsBox box;
  box.Timer = ExperimentControl::ParameterSpaceTimer;
  box.StartCaption = "values from:";
  box.Start = std::move(start);
  box.End = std::move(end);
  box.Increment = std::move(increment);
  box.Steps = std::move(steps);
  box.Repetitions = std::move(repetitions);
  return box;
}

struct Fixture {
  explicit Fixture(const SettingsBox& box) : sim(SmallWorld()), hooks(*sim), runner(*sim, fields, box, hooks) {
    runner.SetReporter(reports.Sink());
  }
  std::unique_ptr<simulation::Simulation> sim;
  simulation::ControlModel fields;
  LogHooks hooks;
  SweepRunner runner;
  Reports reports;
};

// An experiment window's fields are reached by its own handles, by array
// access, and by the names the widgets and --exp use; handles of another
// window fall back to the name, and a removed field is gone for both.
TEST(SettingsBox, HandlesAndNamesReachTheSameFields) {
  simulation::ControlModel fields;
  fields.Add(simulation::MakeLabel("E_clusterT", "5"));  // added before the first handle
  SettingsBox box;
  box.Timer = ExperimentControl::StabilityTimer;
  box.RepetitionsField = ExperimentControl::RoundsPerValue;
  box.Start = "3";
  box.Repetitions = "4";
  AddSettingsBox(fields, box, [] {});

  EXPECT_EQ(&fields.Get(ExperimentControl::ValueFrom), &fields.Get("E_valFrom"));
  EXPECT_EQ(fields.Text(ExperimentControl::ValueFrom), "3");
  EXPECT_EQ(fields.Text(ExperimentControl::RoundsPerValue), "4");
  EXPECT_FALSE(fields.Has(ExperimentControl::CalculationsPerValue));
  EXPECT_TRUE(fields.Has("Timer5"));
  EXPECT_FALSE(fields.Has(ExperimentControl::GrowthTimer));
  EXPECT_EQ(fields.Text(simulation::MainControl::ClusterThreshold), "5");

  fields.Remove("E_valTo");
  EXPECT_FALSE(fields.Has(ExperimentControl::ValueTo));
  EXPECT_THROW(fields.Get(ExperimentControl::ValueTo), std::out_of_range);
}

TEST(SweepRunner, PlannedTotalCountsValuesTimesRepetitions) {
  Fixture f(Box("2", "4", "1", "30", "3"));
  EXPECT_EQ(f.fields.Text("Lbl_proceed"), "/ 9");
  Type(f.fields, {{"E_valFrom", "10"}, {"E_valTo", "60"}, {"E_incre", "10"}, {"E_calcVals", "10"}});
  EXPECT_EQ(f.fields.Text("Lbl_proceed"), "/ 60");  // ceil(5.1) = 6 values
  // Steps do not enter the total; the first value and one run always count.
  Type(f.fields, {{"E_toSteps", "7"}, {"E_valTo", "5"}, {"E_calcVals", "0"}});
  EXPECT_EQ(f.fields.Text("Lbl_proceed"), "/ 1");
  EXPECT_EQ(f.fields.Text("lbl_pSteps"), "0");
  EXPECT_EQ(f.fields.Text("Lbl_akt"), "0");
  EXPECT_FALSE(f.runner.Running());
}

TEST(SweepRunner, RunsEveryCalculationForItsStepsAfterItsOwnSetUp) {
  Fixture f(Box("2", "4", "1", "30", "3"));
  std::vector<std::string> akt;
  f.fields.Subscribe([&](const simulation::Control& c, simulation::ControlEvent) {
    if (c.Name == "Lbl_akt") akt.push_back(c.Text);
  });
  f.runner.NewStart();
  EXPECT_TRUE(f.runner.Running());
  EXPECT_EQ(f.sim->controls.Text(simulation::MainControl::StopStep), "30");
  const int ticks = RunOut(f.runner);
  EXPECT_EQ(ticks, 9 * 30 + 1);  // the last tick records and ends without a step
  EXPECT_EQ(f.hooks.applied, (std::vector<int>{2, 2, 2, 3, 3, 3, 4, 4, 4}));
  ASSERT_EQ(f.hooks.recorded.size(), 9u);
  for (const auto& r : f.hooks.recorded) {
    EXPECT_EQ(r.stepCount, 30);
    EXPECT_EQ(r.points, 30u);
    EXPECT_TRUE(r.stopRed);  // the main window's run stopped at the last step
  }
  EXPECT_EQ(akt, (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
  EXPECT_EQ(f.hooks.valuesDone, 3);
  EXPECT_EQ(f.hooks.finished, 1);
  EXPECT_TRUE(f.runner.Ended());
  EXPECT_FALSE(f.runner.Running());
  EXPECT_EQ(f.runner.CurrentValue(), 5);
}

TEST(SweepRunner, EndBelowStartRunsTheStartValueOnce) {
  Fixture f(Box("4", "2", "1", "3", "2"));
  f.runner.NewStart();
  RunOut(f.runner);
  EXPECT_EQ(f.hooks.applied, (std::vector<int>{4, 4}));
  EXPECT_EQ(f.hooks.finished, 1);
  EXPECT_EQ(f.fields.Text("Lbl_proceed"), "/ 2");
}

TEST(SweepRunner, RepetitionsOfZeroOrLessRunEveryValueOnce) {
  for (const char* reps : {"0", "-3"}) {
    Fixture f(Box("1", "3", "1", "2", reps));
    f.runner.NewStart();
    RunOut(f.runner);
    EXPECT_EQ(f.hooks.applied, (std::vector<int>{1, 2, 3})) << reps;
    EXPECT_EQ(f.fields.Text("Lbl_proceed"), "/ 3");
  }
}

TEST(SweepRunner, StartStopPausesAndResumesExactly) {
  Fixture f(Box("1", "1", "1", "10", "1"));
  f.runner.StartStop();  // nothing to resume before the first new start
  EXPECT_FALSE(f.runner.Running());
  f.runner.NewStart();
  for (int i = 0; i < 4; ++i) f.runner.Tick();
  EXPECT_EQ(f.fields.Text("lbl_pSteps"), "3");
  f.runner.StartStop();
  EXPECT_FALSE(f.runner.Running());
  f.runner.Tick();  // the timer is off: nothing happens
  EXPECT_EQ(f.sim->world.StepCount, 4);
  f.runner.StartStop();
  f.runner.Tick();
  EXPECT_EQ(f.fields.Text("lbl_pSteps"), "4");
  RunOut(f.runner);
  ASSERT_EQ(f.hooks.recorded.size(), 1u);
  EXPECT_EQ(f.hooks.recorded[0].stepCount, 10);
  // After the end there is nothing to resume: no second recording.
  f.runner.StartStop();
  EXPECT_FALSE(f.runner.Running());
  RunOut(f.runner);
  EXPECT_EQ(f.hooks.recorded.size(), 1u);
  EXPECT_EQ(f.hooks.finished, 1);
}

TEST(SweepRunner, NewStartDuringARunStartsOverAtTheStartValue) {
  Fixture f(Box("5", "7", "1", "3", "1"));
  f.runner.NewStart();
  for (int i = 0; i < 8; ++i) f.runner.Tick();
  EXPECT_EQ(f.runner.CurrentValue(), 7);
  f.runner.NewStart();
  EXPECT_EQ(f.hooks.prepared, 2);
  EXPECT_EQ(f.runner.CurrentValue(), 5);
  EXPECT_EQ(f.runner.CalcsDone(), 0);
  EXPECT_EQ(f.fields.Text("Lbl_akt"), "0");
  RunOut(f.runner);
  EXPECT_EQ(f.runner.CalcsDone(), 3);
}

TEST(SweepRunner, FieldsAreReadLiveDuringARun) {
  Fixture f(Box("1", "2", "1", "3", "1"));
  f.runner.NewStart();
  Type(f.fields, {{"E_valTo", "3"}, {"E_toSteps", "5"}});
  RunOut(f.runner);
  EXPECT_EQ(f.hooks.applied, (std::vector<int>{1, 2, 3}));
  for (const auto& r : f.hooks.recorded) EXPECT_EQ(r.stepCount, 5);
}

TEST(SweepRunner, StepsOfZeroOrLessRunOneStep) {
  Fixture f(Box("1", "2", "1", "0", "1"));
  f.runner.NewStart();
  EXPECT_EQ(f.sim->controls.Text(simulation::MainControl::StopStep), "1");
  RunOut(f.runner);
  ASSERT_EQ(f.hooks.recorded.size(), 2u);
  for (const auto& r : f.hooks.recorded) {
    EXPECT_EQ(r.stepCount, 1);
    EXPECT_EQ(r.points, 1u);
  }
}

TEST(SweepRunner, IncrementOfZeroOrLessIsRefused) {
  Fixture f(Box("1", "3", "1", "2", "1"));
  EXPECT_THROW(Type(f.fields, {{"E_incre", "0"}}), world::UserError);
  EXPECT_EQ(f.fields.Text("Lbl_proceed"), "/ 3");  // keeps its text
  try {
    f.runner.NewStart();
    FAIL();
  } catch (const world::UserError& e) {
    EXPECT_STREQ(e.what(), "increments have to be > 0");
    EXPECT_EQ(e.Caption(), "missing value");
  }
  EXPECT_FALSE(f.runner.Running());
  EXPECT_EQ(f.hooks.prepared, 0);

  // Typed during a run: reported once when the value is done, and paused.
  Type(f.fields, {{"E_incre", "1"}});
  f.runner.NewStart();
  EXPECT_THROW(Type(f.fields, {{"E_incre", "-1"}}), world::UserError);
  RunOut(f.runner);
  EXPECT_EQ(f.reports.Texts, (std::vector<std::string>{"increments have to be > 0"}));
  EXPECT_FALSE(f.runner.Running());
  EXPECT_TRUE(f.hooks.recorded.empty());
  Type(f.fields, {{"E_incre", "2"}});
  f.runner.StartStop();
  RunOut(f.runner);
  EXPECT_EQ(f.hooks.applied, (std::vector<int>{1, 3}));
  EXPECT_TRUE(f.runner.Ended());
}

TEST(SweepRunner, TextThatIsNoNumberPausesTheRunAndIsReportedOnce) {
  Fixture f(Box("1", "2", "1", "3", "1"));
  f.runner.NewStart();
  f.runner.Tick();
  f.fields.SetByUser("E_toSteps", "x3");
  for (int i = 0; i < 5; ++i) f.runner.Tick();
  EXPECT_EQ(f.reports.Texts, (std::vector<std::string>{"'x3' ist kein gültiger Integerwert"}));
  EXPECT_FALSE(f.runner.Running());
  EXPECT_EQ(f.sim->world.StepCount, 1);
  f.fields.SetByUser("E_toSteps", "3");
  f.runner.StartStop();
  RunOut(f.runner);
  ASSERT_EQ(f.hooks.recorded.size(), 2u);
  EXPECT_EQ(f.hooks.recorded[0].stepCount, 3);
}

TEST(SweepRunner, RefusedSetUpPausesAndIsRetriedOnResume) {
  Fixture f(Box("1", "2", "1", "3", "1"));
  f.runner.NewStart();
  for (int i = 0; i < 3; ++i) f.runner.Tick();
  f.sim->controls.SetByUser("Edit_anzGr", "0");  // becomes 1: set-up refuses one group
  f.runner.Tick();
  ASSERT_EQ(f.reports.Texts.size(), 1u);
  EXPECT_FALSE(f.runner.Running());
  f.sim->controls.SetByUser("Edit_anzGr", "3");
  f.runner.StartStop();
  RunOut(f.runner);
  EXPECT_EQ(f.hooks.applied, (std::vector<int>{1, 2, 2}));
  ASSERT_EQ(f.hooks.recorded.size(), 2u);
  EXPECT_EQ(f.hooks.recorded[1].stepCount, 3);
  EXPECT_EQ(f.sim->world.GroupCount, 3);
}

TEST(SweepPlan, NamesTheValueAndRepetitionOfEveryCalculation) {
  const SweepPlan plan{10, 60, 10, 3};
  EXPECT_EQ(plan.Values(), 6);
  EXPECT_EQ(plan.Calculations(), 18);
  const SweepCalculation c = plan.At(7);
  EXPECT_EQ(c.Value, 30);
  EXPECT_EQ(c.ValueIndex, 2);
  EXPECT_EQ(c.Repetition, 2);
  EXPECT_EQ(plan.At(17).Value, 60);
  EXPECT_EQ(plan.At(17).Repetition, 3);
  EXPECT_EQ((SweepPlan{5, 1, 1, 0}).Calculations(), 1);
}

}  // namespace
}  // namespace experiments
