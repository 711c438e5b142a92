#include "stability_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

namespace ui {

StabilityWindow::StabilityWindow(simulation::Simulation& sim, std::shared_ptr<experiments::StabilitySurface> landscape, MessageSink* sink,
               QWidget* parent)
    : ExperimentWindow("Form6", "Analyse Stability", 1016, 690, sink, parent),
      landscape_(std::move(landscape)),
      model_(sim, *landscape_) {
  attach(model_);

  auto* stability = new DownwardChartView(this);
  stability->setObjectName("Chart_Stability");
  stability->setGeometry(8, 8, 801, 340);
  stability_ = stability;
  stability_->setLabelStep(measures::Axis::Bottom, 1);
  const int values = stability_->addSeries(measures::SeriesKind::Point);
  setCrossMarks(*stability_, values, 2);
  const int average = stability_->addSeries(measures::SeriesKind::Line);
  stability_->setSeriesWidth(average, 2);

  change_ = addChart("Chart_Change", QRect(8, 354, 841, 326));
  change_->setGridVisible(measures::Axis::Left, false);
  change_->addSeries(measures::SeriesKind::Line, measures::Axis::Left);   // ser_tol
  change_->addSeries(measures::SeriesKind::Line, measures::Axis::Right);  // ser_change

  auto* settings = new QGroupBox("settings", this);
  settings->setGeometry(815, 8, 193, 146);
  settingsRows(settings, "E_calcRds", 18);

  auto* third = new QGroupBox("analyse with a third paramter:", this);
  third->setGeometry(815, 160, 193, 146);
  check(third, "Cb_acti3d", 8, 18, 100);
  auto* param = new QComboBox(third);
  param->setGeometry(8, 38, 176, 22);
  binder()->Combo(param, "CB_param");
  int y = 66;
  for (const char* name : {"E_thirdFrom", "E_thirdTo", "E_thirdIncre"}) y = settingsRow(third, name, y);

  button(this, "S_start", "new start", QRect(860, 316, 140, 25), &ExperimentWindow::newStart);
  button(this, "S_break", "start / stop", QRect(860, 346, 140, 25), &ExperimentWindow::startStop);
  auto* show = button(this, "Button1", "show 3D surface", QRect(860, 376, 140, 25));
  connect(show, &QPushButton::clicked, this, &StabilityWindow::Button1Click);
  auto* snapshots = button(this, "B_saveSnap", "save snapshots", QRect(860, 406, 140, 25));
  connect(snapshots, &QPushButton::clicked, this, &StabilityWindow::B_saveSnapClick);
  progress(852, 440, ": timesteps", ": values");
  refresh();
}

StabilityWindow::~StabilityWindow() { detach(); }

void StabilityWindow::setSaver(std::shared_ptr<exporting::WindowSaver> saver) {
  saver_ = std::move(saver);
  if (!saver_) {
    model_.SetSaver({});
    return;
  }
  model_.SetSaver([saver = saver_.get()](const std::string& number) { saver->SaveWindows(number); });
}

std::uint64_t StabilityWindow::roundEpoch() const {
  return (starts_ << 42) ^ (static_cast<std::uint64_t>(model_.PassNo()) << 21) ^
         static_cast<std::uint64_t>(model_.RoundNo());
}

void StabilityWindow::refresh() {
  stability_->beginUpdate();
  stabilityTexts_.follow(*stability_, model_.Chart_Stability);
  values_.follow(*stability_, 0, model_.Series_segVal.Points(), model_.Series_segVal.Revision());
  average_.follow(*stability_, 1, model_.Series_segAvg.Points(), model_.Series_segAvg.Revision());
  stability_->endUpdate();

  change_->beginUpdate();
  changeTexts_.follow(*change_, model_.Chart_Change);
  const std::uint64_t epoch = roundEpoch();
  tolerance_.follow(*change_, 0, model_.ser_tol, epoch);
  changes_.follow(*change_, 1, model_.ser_change, epoch);
  change_->endUpdate();
}

void StabilityWindow::Button1Click() {
  if (!surfaceWindow_) return;
  surfaceWindow_->show();
  surfaceWindow_->raise();
}

void StabilityWindow::B_saveSnapClick() { binder()->Guard([this] { model_.B_saveSnapClick(); }); }

}  // namespace ui
