#pragma once

#include <functional>
#include <optional>
#include <string>

#include "simulation/simulation.h"
#include "experiments/derived_series.h"
#include "experiments/experiment.h"
#include "experiments/settings_box.h"
#include "experiments/stability_surface.h"
#include "measures/charts.h"

namespace experiments {

// The stability experiment (the window "Analyse Stability", TForm6): within one
// continuing run the threshold rises by one each time the world has settled,
// and the segregation reached is recorded against the threshold it settled
// under. A round runs from the start to the end value; the rounds are averaged
// per threshold. Optionally a third parameter of the main window is swept in an
// outer loop, one pass of all rounds per value, each pass a row of the
// stability surface; pictures are saved after every pass.
class StabilityExperiment : public Experiment {
 public:
  // The items of CB_param, in order.
  enum ThirdParameter { kNumberOfAgents = 0, kNumberOfGroups = 1, kRadius = 2, kMoveDistance = 3 };
  // SaveWindows with the text for the file names; throws UserError when a
  // file cannot be created.
  using Saver = std::function<void(const std::string& number)>;

  // Shows the planned total of the defaults and the chart title for the
  // initial world. The simulation and the surface must outlive the runner.
  StabilityExperiment(simulation::Simulation& sim, StabilitySurface& landscape);
  ~StabilityExperiment();
  StabilityExperiment(const StabilityExperiment&) = delete;
  StabilityExperiment& operator=(const StabilityExperiment&) = delete;

  // The settings box, the progress display, Cb_acti3d, CB_param,
  // E_thirdFrom, E_thirdTo and E_thirdIncre.
  simulation::ControlModel controls;

  measures::Chart Chart_Stability;
  PointSeries Series_segVal;  // (tolerance, meanSegregation), one point per rise
  DerivedSeries Series_segAvg{DerivedFunction::Average};
  measures::Chart Chart_Change;
  // Fed by the analysis while the timer runs: (StepCount, UnsatisfiedCount)
  // and (StepCount, Threshold) after every step of the current round.
  Series ser_change;
  Series ser_tol;

  simulation::ControlModel& Fields() override { return controls; }
  std::string TimerName() const override { return std::string(NameOf(ExperimentControl::StabilityTimer)); }
  void SetReporter(Reporter reporter) override { reporter_ = std::move(reporter); }
  void SetSaver(Saver saver) { saver_ = std::move(saver); }

  // "new start". Throws UserError: "please select a parameter" with
  // "activate" checked and no parameter chosen, "increments have to be > 0"
  // for a third increment of 0 or less then, a field that does not parse
  // (all before anything changed), or a refused set-up (the experiment is
  // then paused at its first round).
  void S_startClick();
  // "start / stop": pauses or resumes; ignored before the first new start and after the end.
  void S_breakClick();
  // "undoZoom": both charts.
  void B_undoZClick();
  // "save snapshots": SaveWindows with the current pass number; throws UserError.
  void B_saveSnapClick();
  // One tick of Timer5; nothing while the timer is off. A field that does
  // not parse, a refused set-up or a failed save pauses the experiment and
  // is reported; "start / stop" then takes up the run where it stopped.
  void Tick() override;
  void NewStart() override { S_startClick(); }
  void StartStop() override { S_breakClick(); }
  void UndoZoom() override { B_undoZClick(); }

  // A unit is a pass: its rounds in order from a new start, the third
  // parameter held at the pass's value. Rows: a rise's in rises, a round's
  // in runs when it ends, each step's in steps, taken from what the
  // experiment records (Series_segVal, ser_change, ser_tol, RoundNo).
  UnitPlan ReadUnits() const override;
  std::optional<world::UserError> ApplyTo(simulation::Simulation& sim, int value) const override;
  std::optional<world::UserError> StartUnit(long long unit, int value, const UnitLimits& limits) override;
  bool UnitRunning() const override { return Running() && !Ended(); }
  void StepUnit(std::vector<UnitRow>& rows) override;
  // The last pass's rises and their average, the last round's steps.
  void Replay(const std::vector<UnitRow>& rows) override;

  // Lbl_proceed := "/ " + planned total, or "increments have to be > 0"
  // (UserError, the label keeps its text).
  void UpdatePlannedTotal();
  // The write of the third value into the main window, as a user's edit.
  static void WriteThirdValue(simulation::Simulation& sim, int parameter, int value);

  bool Running() const override { return controls.Checked(ExperimentControl::StabilityTimer); }
  bool Started() const override { return phase_ != Phase::Idle; }
  bool Ended() const override { return phase_ == Phase::Ended; }
  long long Tolerance() const { return tolerance_; }
  int RoundNo() const { return roundNo_; }
  int PassNo() const { return passNo_; }
  long long ThirdValue() const { return thirdValue_; }
  int ValuesDone() const { return valuesDone_; }
  int StableSteps() const { return stableSteps_; }
  int StepInRound() const { return stepInRound_; }

 private:
  enum class Phase { Idle, Active, Ended };
  // Where a tick that was interrupted takes up again.
  enum class Pending { None, PassSave, PassChange, FinalSave, Restart };

  int ReadSteps() const;
  void SetTimer(bool on);
  void SetThreshold(long long tolerance);
  void SetStabilityTitle();
  void EmptyCharts();
  void Save(int number);
  // Each returns false when the experiment has ended.
  bool Continue();
  bool Rise();
  bool FinishPass();
  bool ChangePass();
  bool FinalSave();
  bool RestartRound();
  void Step();
  void End();

  simulation::Simulation& sim_;
  StabilitySurface& landscape_;
  Reporter reporter_;
  Saver saver_;

  Phase phase_ = Phase::Idle;
  Pending pending_ = Pending::None;
  bool titleDue_ = false;
  // Fixed at new start: whether the third parameter is swept, and which.
  bool sweep3d_ = false;
  int thirdItem_ = -1;

  long long tolerance_ = 0;
  int roundNo_ = 1;
  int passNo_ = 0;
  long long thirdValue_ = 0;
  int valuesDone_ = 0;
  int stableSteps_ = 0;
  int lastChanged_ = 0;
  int stepInRound_ = 0;

  // The pass a driver runs (StartUnit).
  TableValue unitValue_;
  UnitLimits unitLimits_;
  long long unitRises_ = 0;
  std::optional<std::string> unitFailure_;
};

}  // namespace experiments
