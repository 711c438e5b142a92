#pragma once

#include <QTimer>
#include <vector>

#include "chart/chart_view.h"
#include "simulation/simulation.h"
#include "forms.h"

class QScrollArea;

namespace ui {

// The individual tolerance window "Individual Tolerance" (TForm8): one chart per
// group whose points are the group's tolerance percentages towards empty
// cells (x = 0) and every group (x = k), the world's TolerancePercent.
// Dragging a point moves it vertically; every drag rounds all points to
// whole percents in 0..100, and releasing the mouse over a chart converts
// the percentages into tolerated neighbour counts.
//
// Showing the window builds the charts and fills the percentages from the
// four group-threshold settings; closing it frees the charts. A set-up that
// changes the number of groups while the window is shown makes it rebuild
// its charts for the new groups, showing the percentages as the world holds
// them; a drag or release on an outdated chart only does that rebuild.
class ToleranceWindow : public Form {
  Q_OBJECT
 public:
  explicit ToleranceWindow(simulation::Simulation& sim, QWidget* parent = nullptr);

  // The charts, group 1 first; empty while the window is closed. A chart is
  // made when it first comes into view (null until then), so that a world of
  // hundreds of groups does not freeze the window.
  const std::vector<chart::ChartView*>& charts() const { return charts_; }

 public slots:
  // After "set": the points follow the new percentages.
  void followTolerances();
  // Rebuilds the charts when the world's number of groups has changed.
  void followWorld();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildCharts();
  void freeCharts();
  // Makes the charts that lie in view (and a row around it).
  void makeVisibleCharts();
  chart::ChartView* makeChart(int group);
  void showValues();
  bool outdated() const;
  void dragged(int group, int index, double y);
  void released();

  simulation::Simulation& sim_;
  QScrollArea* scroll_ = nullptr;
  QWidget* content_ = nullptr;
  std::vector<chart::ChartView*> charts_;
  QTimer pace_;
};

}  // namespace ui
