#pragma once

#include <functional>
#include <string>

#include "simulation/simulation.h"
#include "experiments/settings_box.h"

namespace experiments {

// The settings of a sweep as its fields read now. Steps below 1 count as 1:
// a calculation of no step would record before its world has run.
struct SweepSettings {
  int Start = 0;
  int End = 0;
  int Increment = 1;
  int Steps = 1;
  int Repetitions = 1;  // the field as typed; 0 or less runs every value once
};

// Which value and which repetition the calculation at index k of a sweep
// runs, from k alone: a driver can hand calculations to several worlds.
struct SweepCalculation {
  int Value = 0;
  long long ValueIndex = 0;  // from 0
  int Repetition = 1;        // from 1
};

// A sweep's plan: ValueCount() values from Start by Increment (> 0), each
// run RepetitionsRun() times, calculations numbered value by value.
struct SweepPlan {
  int Start = 0;
  int End = 0;
  int Increment = 1;
  int Repetitions = 1;

  long long Values() const { return ValueCount(Start, End, Increment); }
  long long Runs() const { return RepetitionsRun(Repetitions); }
  long long Calculations() const { return SaturatingProduct(Values(), Runs()); }
  // k from 0 to Calculations() - 1.
  SweepCalculation At(long long k) const;
};

// The loop the parameter-space, growth and street windows share: a value is
// swept from start to end; for each value the world is set up afresh and run
// for a number of steps, repeated a number of times; the window records each
// calculation. Tick-driven: the window's timer (or a headless loop) calls
// Tick(), which runs at most one time step. It drives the Simulation it is
// given and reads its own window's fields at every use.
class SweepRunner {
 public:
  // What the window does at the points of the loop.
  class Hooks {
   public:
    virtual ~Hooks() = default;
    // At new start, before the first set-up: empty and prepare the charts.
    virtual void PrepareCharts(const SweepSettings& settings) = 0;
    // Writes v into the main window's controls, then sets the world up.
    virtual void ApplyValue(int value) = 0;
    // At the end of every calculation, after its last step.
    virtual void RecordCalculation(const SweepSettings& settings) = 0;
    // When a value's calculations are complete, after the increment was added.
    virtual void ValueDone() {}
    // Once, when the value has passed the end, before the timer stops.
    virtual void FinishSweep() {}
  };
  using Reporter = std::function<void(const world::UserError&)>;

  // Adds the box "settings", the progress display and the timer to fields
  // and shows the planned total of the defaults.
  SweepRunner(simulation::Simulation& sim, simulation::ControlModel& fields, const SettingsBox& box, Hooks& hooks);
  SweepRunner(const SweepRunner&) = delete;
  SweepRunner& operator=(const SweepRunner&) = delete;

  // Errors met while running: the runner pauses and reports each once.
  void SetReporter(Reporter reporter) { reporter_ = std::move(reporter); }

  // "new start": restarts from the start value at any time. Throws
  // UserError for a field that does not parse or an increment of 0 or
  // less ("increments have to be > 0"), before anything has changed; a
  // refused set-up leaves the experiment paused at its first calculation.
  void NewStart();
  // One tick of the window's timer; nothing while the timer is off. A field
  // that does not parse or a refused set-up pauses the experiment and is
  // reported; "start / stop" then retries the same tick.
  void Tick();
  // "start / stop": pauses a running experiment, resumes a paused one
  // exactly where it stopped; ignored before the first new start and after
  // the end, when there is nothing to resume.
  void StartStop();

  // Lbl_proceed := "/ " + planned total. Throws UserError for a field that
  // does not parse or an increment of 0 or less (the label then keeps its text).
  void UpdatePlannedTotal();
  // The fields read now; throws UserError.
  SweepSettings ReadSettings() const;
  SweepPlan Plan() const;

  std::string TimerName() const { return std::string(NameOf(timer_)); }
  bool Running() const { return fields_.Checked(timer_); }
  bool Started() const { return phase_ != Phase::Idle; }
  bool Ended() const { return phase_ == Phase::Ended; }
  int StepInCalc() const { return stepInCalc_; }
  int CalcInValue() const { return calcInValue_; }
  // Past the end value once the sweep has ended.
  long long CurrentValue() const { return currentValue_; }
  int CalcsDone() const { return calcsDone_; }
  simulation::Simulation& Sim() { return sim_; }

 private:
  enum class Phase { Idle, Active, Ended };

  int ReadSteps() const;
  void SetTimer(bool on) { fields_.SetChecked(timer_, on); }
  // applyValue, remembered as due until it succeeds.
  void SetUp();

  simulation::Simulation& sim_;
  simulation::ControlModel& fields_;
  Hooks& hooks_;
  ExperimentControl timer_;
  ExperimentControl repetitions_;
  Reporter reporter_;

  Phase phase_ = Phase::Idle;
  bool setUpDue_ = false;
  int stepInCalc_ = 0;
  int calcInValue_ = 1;
  long long currentValue_ = 0;
  int calcsDone_ = 0;
};

}  // namespace experiments
