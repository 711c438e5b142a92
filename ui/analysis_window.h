#pragma once

#include <QTimer>
#include <array>
#include <cstdint>

#include "chart/chart_view.h"
#include "simulation/simulation.h"
#include "forms.h"

class QPushButton;
class QTableWidget;

namespace ui {

// The analysis window "Analysis" (TForm2): six charts and the dissimilarity table
// over the recorded series of the simulation's analysis. The series are
// filled by every time step whether or not the window is shown; while it is
// shown the window catches up with them at the screen's pace, appending
// only the points recorded since, and while hidden it draws nothing.
class AnalysisWindow : public Form {
  Q_OBJECT
 public:
  explicit AnalysisWindow(simulation::Simulation& sim, QWidget* parent = nullptr);

  // Chart1 .. Chart6.
  chart::ChartView* chart(int n) const { return charts_[static_cast<std::size_t>(n - 1)]; }
  QTableWidget* dissimiGrid() const { return grid_; }

  // Brings the charts and the table up to the recorded data at once (also
  // while hidden, for a picture of the window).
  void refresh();
  // "undoZoom": every chart back to its data's ranges.
  void B_undoZClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  struct Shown {
    std::uint64_t Revision = ~std::uint64_t{0};
    std::uint64_t ZoomResets = 0;
    std::vector<measures::ChartSeries> Lines;  // the series the view holds
    bool ValueMarks = false;
  };

  void follow(chart::ChartView& view, const measures::Chart& chart, Shown& shown);
  void rebuild(chart::ChartView& view, const measures::Chart& chart, Shown& shown);
  void followGrid();
  void gridEdited(int row, int column);

  simulation::Simulation& sim_;
  std::array<chart::ChartView*, 6> charts_{};
  std::array<Shown, 6> shown_{};
  QTableWidget* grid_ = nullptr;
  QPushButton* undoZoom_ = nullptr;
  QTimer pace_;
  bool fillingGrid_ = false;
};

}  // namespace ui
