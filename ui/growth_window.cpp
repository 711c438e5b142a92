#include "growth_window.h"

#include <QGroupBox>

namespace ui {

GrowthWindow::GrowthWindow(simulation::Simulation& sim, MessageSink* sink, QWidget* parent)
    : ExperimentWindow("Form4", "Form4", 1024, 358, sink, parent), model_(sim) {
  attach(model_);

  chart_ = addChart("Chart_Growth", QRect(8, 8, 810, 340));
  chart_->setLabelStep(measures::Axis::Bottom, 1);
  chart_->setGridVisible(measures::Axis::Left, false);
  setLegendVisible(*chart_, true);

  auto* settings = new QGroupBox("settings", this);
  settings->setGeometry(824, 8, 192, 182);
  startButtons(settings, "B_start", "B_break", settingsRows(settings, "E_calcVals", 20) + 4);
  progress(824, 198, ": timesteps", ": calculations");
  refresh();
}

GrowthWindow::~GrowthWindow() { detach(); }

void GrowthWindow::rebuild() {
  chart_->removeAllSeries();
  lines_.clear();
  const int dense = chart_->addSeries(measures::SeriesKind::Line, measures::Axis::Left);
  chart_->setSeriesTitle(dense, "dense");
  chart_->setSeriesColor(dense, QColor(255, 255, 0));
  for (const auto* list : {&model_.tolerLines, &model_.tempLines}) {
    for (std::size_t i = 0; i < list->size(); ++i) chart_->addSeries(measures::SeriesKind::Line, measures::Axis::Right);
  }
  lines_.resize(model_.tolerLines.size() + model_.tempLines.size());
  shownDensity_ = ~std::uint64_t{0};
}

void GrowthWindow::refresh() {
  chart_->beginUpdate();
  texts_.follow(*chart_, model_.Chart_Growth);
  // The lists only grow during a run, and the chart's revision moves when they do.
  if (model_.Chart_Growth.Revision != shownRevision_ ||
      lines_.size() != model_.tolerLines.size() + model_.tempLines.size()) {
    shownRevision_ = model_.Chart_Growth.Revision;
    rebuild();
  }
  // The density line is replaced once per calculation.
  if (model_.DenseLineRevision() != shownDensity_) {
    shownDensity_ = model_.DenseLineRevision();
    chart_->setPoints(0, ToQPoints(model_.denseLine));
  }
  int s = 1;
  for (const auto* list : {&model_.tolerLines, &model_.tempLines}) {
    for (const experiments::DerivedSeries& line : *list) {
      lines_[static_cast<std::size_t>(s - 1)].follow(*chart_, s, line.Points(), line.Revision());
      if (chart_->seriesTitle(s) != QString::fromStdString(line.Title())) {
        chart_->setSeriesTitle(s, QString::fromStdString(line.Title()));
      }
      ++s;
    }
  }
  chart_->endUpdate();
  // The legend lists the lines there are: an emptied "temp" line has given
  // way to its value's line. (Handing points to a series shows its entry again.)
  for (int line = 1; line < chart_->seriesCount(); ++line) {
    setLegendEntryVisible(*chart_, line, chart_->pointCount(line) > 0);
  }
}

}  // namespace ui
