#include "streets_window.h"

#include <QGroupBox>
#include <QRadioButton>

namespace ui {

StreetsWindow::StreetsWindow(simulation::Simulation& sim, MessageSink* sink, QWidget* parent)
    : ExperimentWindow("Form5", "Analyse Street Effects", 1016, 360, sink, parent), model_(sim) {
  attach(model_);

  chart_ = addChart("Chart_Streets", QRect(8, 8, 801, 340));
  chart_->setLabelStep(measures::Axis::Bottom, 1);
  const int data = chart_->addSeries(measures::SeriesKind::Point);
  chart_->setPointMarker(data, chart::Marker::Circle, 7, 7);
  chart_->addSeries(measures::SeriesKind::Line);

  auto* settings = new QGroupBox("settings", this);
  settings->setGeometry(815, 8, 193, 236);
  auto* layout = new QGroupBox("street layout", settings);
  layout->setGeometry(8, 16, 177, 40);
  int x = 8;
  for (const char* name : {"RB_grid", "RB_rnd"}) {
    auto* radio = new QRadioButton(QString::fromStdString(model_.controls.Get(name).Caption), layout);
    radio->setGeometry(x, 16, 80, 18);
    radio->setAutoExclusive(true);
    binder()->Check(radio, name);
    x += 84;
  }
  startButtons(settings, "S_start", "S_break", settingsRows(settings, "E_calcVals", 62) + 4);
  progress(815, 252, ": timesteps", ": calculations");
  refresh();
}

StreetsWindow::~StreetsWindow() { detach(); }

void StreetsWindow::refresh() {
  chart_->beginUpdate();
  texts_.follow(*chart_, model_.Chart_Streets);
  points_.follow(*chart_, 0, model_.Series_street.Points(), model_.Series_street.Revision());
  trend_.follow(*chart_, 1, model_.Series_strTrend.Points(), model_.Series_strTrend.Revision());
  chart_->endUpdate();
}

}  // namespace ui
