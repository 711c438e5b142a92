#include "AnalyseGrowth.h"

#include <QGroupBox>
#include <QPushButton>

namespace ui {

TForm4::TForm4(simulation::Simulation& sim, MessageSink* sink, QWidget* parent)
    : ExperimentWindow("Form4", "Form4", 1024, 358, sink, parent), model_(sim) {
  attach(model_.controls, "Timer3");
  model_.SetReporter([this](const world::UserError& e) { binder()->Show(e); });

  chart_ = addChart("Chart_Growth", QRect(8, 8, 810, 340));
  chart_->setLabelStep(chart::AxisId::Bottom, 1);
  chart_->setGridVisible(chart::AxisId::Left, false);
  setLegendVisible(*chart_, true);

  auto* settings = new QGroupBox("settings", this);
  settings->setGeometry(824, 8, 192, 182);
  const int y = settingsRows(settings, "E_calcVals", 20);
  auto* start = button(settings, "B_start", "new start", QRect(8, y + 4, 84, 25));
  auto* pause = button(settings, "B_break", "start / stop", QRect(100, y + 4, 84, 25));
  connect(start, &QPushButton::clicked, this, &TForm4::B_startClick);
  connect(pause, &QPushButton::clicked, this, &TForm4::B_breakClick);
  progress(824, 198, ": timesteps", ": calculations");
  auto* undo = button(this, "B_undoZ", "undoZoom", QRect(832, 240, 84, 25));
  connect(undo, &QPushButton::clicked, this, &TForm4::B_undoZClick);
  refresh();
}

TForm4::~TForm4() { detach(); }

void TForm4::rebuild() {
  chart_->removeAllSeries();
  lines_.clear();
  const int dense = chart_->addSeries(chart::Kind::Line, chart::AxisId::Left);
  chart_->setSeriesTitle(dense, "dense");
  chart_->setSeriesColor(dense, QColor(255, 255, 0));
  for (const auto* list : {&model_.tolerLines, &model_.tempLines}) {
    for (std::size_t i = 0; i < list->size(); ++i) chart_->addSeries(chart::Kind::Line, chart::AxisId::Right);
  }
  lines_.resize(model_.tolerLines.size() + model_.tempLines.size());
  shownDensity_ = ~std::uint64_t{0};
}

void TForm4::refresh() {
  chart_->beginUpdate();
  texts_.follow(*chart_, model_.Chart_Growth);
  // The lists only grow during a run, and the chart's revision moves when they do.
  if (model_.Chart_Growth.Revision != shownRevision_ ||
      lines_.size() != model_.tolerLines.size() + model_.tempLines.size()) {
    shownRevision_ = model_.Chart_Growth.Revision;
    rebuild();
  }
  // The density line is replaced once per calculation.
  const auto calcs = static_cast<std::uint64_t>(model_.runner.CalcsDone());
  if (calcs != shownDensity_) {
    shownDensity_ = calcs;
    chart_->setPoints(0, ToQPoints(model_.denseLine));
  }
  int s = 1;
  for (const auto* list : {&model_.tolerLines, &model_.tempLines}) {
    for (const experiments::DerivedSeries& line : *list) {
      const std::uint64_t before = line.Revision();
      SeriesFollower& follower = lines_[static_cast<std::size_t>(s - 1)];
      follower.follow(*chart_, s, line.Points(), before);
      if (chart_->seriesTitle(s) != QString::fromStdString(line.Title())) {
        chart_->setSeriesTitle(s, QString::fromStdString(line.Title()));
      }
      ++s;
    }
  }
  chart_->endUpdate();
}

void TForm4::B_startClick() { binder()->Guard([this] { model_.B_startClick(); }); }

void TForm4::B_breakClick() { binder()->Guard([this] { model_.B_breakClick(); }); }

void TForm4::B_undoZClick() {
  model_.B_undoZClick();
  refresh();
}

}  // namespace ui
