#pragma once

#include <cstdint>
#include <vector>

#include "simulation/simulation.h"
#include "experiment_window.h"
#include "experiments/growth_experiment.h"

namespace ui {

// The growth window "Form4" (TForm4; its caption is its name): a view over the growth experiment.
// Chart_Growth shows, with a legend, the density of the latest calculation
// on the left axis and on the right one line per finished value ("toler"
// lines, titled by the value) and one per finished calculation of the
// current value ("temp").
class GrowthWindow : public ExperimentWindow {
  Q_OBJECT
 public:
  GrowthWindow(simulation::Simulation& sim, MessageSink* sink, QWidget* parent = nullptr);
  ~GrowthWindow() override;

  experiments::GrowthExperiment& model() { return model_; }
  chart::ChartView* chartGrowth() const { return chart_; }
  std::vector<chart::ChartView*> charts() const override { return {chart_}; }

  void refresh() override;

 private:
  // The chart holds denseLine, then the lines of the series lists as they stand.
  void rebuild();

  experiments::GrowthExperiment model_;
  chart::ChartView* chart_ = nullptr;
  ChartTexts texts_;
  std::uint64_t shownRevision_ = ~std::uint64_t{0};
  std::uint64_t shownDensity_ = ~std::uint64_t{0};
  std::vector<SeriesFollower> lines_;  // the toler lines, then the temp lines
};

}  // namespace ui
