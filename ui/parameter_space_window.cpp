#include "parameter_space_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>

#include "updown.h"

namespace ui {

namespace {

constexpr const char* kSuffixes[2] = {"Clust", "Seg"};
// The display options of each chart, in the order of its series.
constexpr const char* kOptions[4] = {"CB_data_", "CB_avg_", "CB_trend_", "CB_cFit_"};

}  // namespace

ParameterSpaceWindow::ParameterSpaceWindow(simulation::Simulation& sim, MessageSink* sink, QWidget* parent)
    : ExperimentWindow("Form3", "Analyse Parameterspace", 1000, 700, sink, parent), model_(sim) {
  attach(model_);

  charts_[0] = addChart("Chart_Cluster", QRect(8, 8, 786, 340));
  charts_[1] = addChart("Chart_IS", QRect(8, 352, 786, 340));
  for (std::size_t c = 0; c < 2; ++c) {
    chart::ChartView& view = *charts_[c];
    view.setLabelStep(measures::Axis::Bottom, 1);
    if (c == 0) view.setLabelStep(measures::Axis::Left, 1);
    const int data = view.addSeries(measures::SeriesKind::Point);
    view.setPointMarker(data, chart::Marker::Circle, 7, 7);
    const int average = view.addSeries(measures::SeriesKind::Line);
    view.setPointMarker(average, chart::Marker::Rectangle, 5, 5);
    view.setValueLabels(average, true);
    const int trend = view.addSeries(measures::SeriesKind::Line);
    view.setSeriesColor(trend, QColor(255, 128, 0));
    const int fit = view.addSeries(measures::SeriesKind::Line);
    view.setSeriesColor(fit, QColor(0, 128, 255));
    view.setSeriesWidth(fit, 2);
    for (int s = 0; s < 4; ++s) {
      view.setSeriesVisible(s, model_.controls.Checked(std::string(kOptions[s]) + kSuffixes[c]));
    }
  }

  auto* settings = new QGroupBox("settings", this);
  settings->setGeometry(800, 8, 192, 208);
  auto* param = new QComboBox(settings);
  param->setGeometry(8, 18, 176, 22);
  binder()->Combo(param, "CB_param");
  startButtons(settings, "B_start", "B_break", settingsRows(settings, "E_calcVals", 48) + 4);
  progress(800, 224, ": timesteps", ": calculations");

  optionsBox("cluster chart", "Clust", "E_polyDegClust", "UpD_polyDegClust", 300);
  optionsBox("segregation chart", "Seg", "E_polyDegSeg", "UpD_polyDegSeg", 436);
  refresh();
}

ParameterSpaceWindow::~ParameterSpaceWindow() { detach(); }

QGroupBox* ParameterSpaceWindow::optionsBox(const QString& caption, const char* suffix, const char* degreeEdit,
                              const char* degreeUpDown, int y) {
  auto* box = new QGroupBox(caption, this);
  box->setGeometry(800, y, 192, 128);
  int row = 18;
  for (const char* option : kOptions) {
    check(box, std::string(option) + suffix, 8, row);
    row += 20;
  }
  label(box, "poly degree:", 8, row + 5);
  edit(box, degreeEdit, 100, row + 2, 40);
  auto* arrows = new UpDown(box);
  arrows->setGeometry(140, row + 2, 14, 20);
  binder()->Arrows(arrows, degreeUpDown);
  // The binder has refitted by now: show the new curve at once.
  connect(arrows, &UpDown::stepped, this, [this] { refresh(); });
  return box;
}

void ParameterSpaceWindow::fieldChanged(const simulation::Control& control) {
  for (std::size_t c = 0; c < 2; ++c) {
    for (int s = 0; s < 4; ++s) {
      if (control.Name == std::string(kOptions[s]) + kSuffixes[c]) charts_[c]->setSeriesVisible(s, control.Checked);
    }
  }
}

void ParameterSpaceWindow::refresh() {
  followChart(0);
  followChart(1);
}

void ParameterSpaceWindow::followChart(int c) {
  const bool cluster = c == 0;
  const experiments::PointSeries& data = cluster ? model_.Series_Avg : model_.Series_IS;
  const experiments::DerivedSeries* derived[3] = {
      cluster ? &model_.Series_AvgClust : &model_.Series_IS_Avg,
      cluster ? &model_.Series_AvgTrend : &model_.Series_IS_Trend,
      cluster ? &model_.Series_AvgFit : &model_.Series_IS_Fit,
  };
  chart::ChartView& view = *charts_[static_cast<std::size_t>(c)];
  Shown& shown = shown_[static_cast<std::size_t>(c)];
  view.beginUpdate();
  shown.Texts.follow(view, cluster ? model_.Chart_Cluster : model_.Chart_IS);
  shown.Series[0].follow(view, 0, data.Points(), data.Revision());
  for (int s = 1; s < 4; ++s) {
    const experiments::DerivedSeries& line = *derived[s - 1];
    shown.Series[static_cast<std::size_t>(s)].follow(view, s, line.Points(), line.Revision());
  }
  view.endUpdate();
}

}  // namespace ui
