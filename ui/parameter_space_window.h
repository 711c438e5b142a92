#pragma once

#include <array>

#include "simulation/simulation.h"
#include "experiment_window.h"
#include "experiments/parameter_space_experiment.h"

namespace ui {

// The parameter-space window "Analyse Parameterspace" (TForm3): a view over the
// experiment of the same name. Chart_Cluster shows the large clusters per
// value, Chart_IS the mean segregation index per value, each with its
// data, average, trend and curve fit, shown as the eight check boxes say.
class ParameterSpaceWindow : public ExperimentWindow {
  Q_OBJECT
 public:
  ParameterSpaceWindow(simulation::Simulation& sim, MessageSink* sink, QWidget* parent = nullptr);
  ~ParameterSpaceWindow() override;

  experiments::ParameterSpaceExperiment& model() { return model_; }
  chart::ChartView* chartCluster() const { return charts_[0]; }
  chart::ChartView* chartIS() const { return charts_[1]; }
  std::vector<chart::ChartView*> charts() const override { return {charts_[0], charts_[1]}; }

  void refresh() override;

 protected:
  void fieldChanged(const simulation::Control& control) override;

 private:
  // One chart's four series, in the order they are added to it.
  struct Shown {
    ChartTexts Texts;
    std::array<SeriesFollower, 4> Series;
  };
  QGroupBox* optionsBox(const QString& caption, const char* suffix, const char* degreeEdit, const char* degreeUpDown,
                        int y);
  void followChart(int chart);

  experiments::ParameterSpaceExperiment model_;
  std::array<chart::ChartView*, 2> charts_{};
  std::array<Shown, 2> shown_{};
};

}  // namespace ui
