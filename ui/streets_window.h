#pragma once

#include "simulation/simulation.h"
#include "experiment_window.h"
#include "experiments/streets_experiment.h"

namespace ui {

// The street window "Analyse Street Effects" (TForm5): a view over the street-layout
// experiment. Chart_Streets plots the large clusters against the street
// cells of every calculation, with their trend line.
class StreetsWindow : public ExperimentWindow {
  Q_OBJECT
 public:
  StreetsWindow(simulation::Simulation& sim, MessageSink* sink, QWidget* parent = nullptr);
  ~StreetsWindow() override;

  experiments::StreetsExperiment& model() { return model_; }
  chart::ChartView* chartStreets() const { return chart_; }
  std::vector<chart::ChartView*> charts() const override { return {chart_}; }

  void refresh() override;

 private:
  experiments::StreetsExperiment model_;
  chart::ChartView* chart_ = nullptr;
  ChartTexts texts_;
  SeriesFollower points_;
  SeriesFollower trend_;
};

}  // namespace ui
