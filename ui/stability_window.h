#pragma once

#include <memory>

#include "simulation/simulation.h"
#include "export/save_windows.h"
#include "experiment_window.h"
#include "experiments/stability_experiment.h"
#include "experiments/stability_surface.h"

namespace ui {

// The stability window "Analyse Stability" (TForm6): a view over the stability
// experiment. Chart_Stability shows the segregation reached at every
// threshold (larger values lower down) and its average over the rounds,
// Chart_Change the threshold staircase and the changing agents of the
// current round. The experiment saves window pictures through the
// program's WindowSaver after every pass; "save snapshots" does it at once.
class StabilityWindow : public ExperimentWindow {
  Q_OBJECT
 public:
  // The surface is shared with the 3-D window, which the experiment fills.
  StabilityWindow(simulation::Simulation& sim, std::shared_ptr<experiments::StabilitySurface> landscape, MessageSink* sink,
         QWidget* parent = nullptr);
  ~StabilityWindow() override;

  // SaveWindows of the program; a save that fails pauses the experiment
  // and shows the file-creation message once.
  void setSaver(std::shared_ptr<exporting::WindowSaver> saver);
  // The window "show 3D surface" shows.
  void setSurfaceWindow(QWidget* window) { surfaceWindow_ = window; }

  experiments::StabilityExperiment& model() { return model_; }
  chart::ChartView* chartStability() const { return stability_; }
  chart::ChartView* chartChange() const { return change_; }
  std::vector<chart::ChartView*> charts() const override { return {stability_, change_}; }

  void refresh() override;
  // "show 3D surface".
  void Button1Click();
  // "save snapshots".
  void B_saveSnapClick();

 protected:
  // Every new start begins a new round in the change chart.
  void aboutToStart() override { ++starts_; }

 private:
  // Which round of which start the change chart shows: it is emptied at
  // every restart of a round.
  std::uint64_t roundEpoch() const;

  std::shared_ptr<experiments::StabilitySurface> landscape_;
  experiments::StabilityExperiment model_;
  std::shared_ptr<exporting::WindowSaver> saver_;
  QWidget* surfaceWindow_ = nullptr;
  chart::ChartView* stability_ = nullptr;
  chart::ChartView* change_ = nullptr;
  ChartTexts stabilityTexts_;
  ChartTexts changeTexts_;
  SeriesFollower values_;
  SeriesFollower average_;
  TailFollower tolerance_;
  TailFollower changes_;
  std::uint64_t starts_ = 0;
};

}  // namespace ui
