#include "tolerance_window.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <algorithm>

#include "world/tolerance_percent.h"

namespace ui {

namespace {

constexpr int kChartWidth = 300;
constexpr int kChartHeight = 250;
constexpr int kColumnPitch = 305;
constexpr int kRowPitch = 255;
constexpr int kFollowMs = 250;

}  // namespace

ToleranceWindow::ToleranceWindow(simulation::Simulation& sim, QWidget* parent)
    : Form("Form8", "Individual Tolerance", 940, 600, parent), sim_(sim) {
  QFont font("Tahoma");
  font.setPixelSize(11);
  setFont(font);
  scroll_ = new QScrollArea(this);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setGeometry(rect());
  for (QScrollBar* bar : {scroll_->verticalScrollBar(), scroll_->horizontalScrollBar()}) {
    connect(bar, &QScrollBar::valueChanged, this, &ToleranceWindow::makeVisibleCharts);
  }
  pace_.setInterval(kFollowMs);
  connect(&pace_, &QTimer::timeout, this, &ToleranceWindow::followWorld);
}

void ToleranceWindow::showEvent(QShowEvent* event) {
  Form::showEvent(event);
  if (event->spontaneous()) return;
  buildCharts();
  sim_.FillTolerancePercent();
  showValues();
  pace_.start();
}

void ToleranceWindow::hideEvent(QHideEvent* event) {
  Form::hideEvent(event);
  if (event->spontaneous()) return;
  // Closing discards the charts; the dragged values live on in the world
  // until the next showing refills them from the settings.
  pace_.stop();
  freeCharts();
}

void ToleranceWindow::freeCharts() {
  charts_.clear();
  if (content_) {
    // A chart may be in the middle of its own mouse event.
    content_->hide();
    content_->deleteLater();
    content_ = nullptr;
  }
}

void ToleranceWindow::buildCharts() {
  freeCharts();
  const int groups = std::max(0, sim_.world.GroupCount);
  content_ = new QWidget;
  charts_.assign(static_cast<std::size_t>(groups), nullptr);
  const int lastRowTop = 5 + kRowPitch * ((std::max(groups, 1) - 1) / 3);
  content_->resize(5 + kColumnPitch * std::min(std::max(groups, 1), 3), lastRowTop + kChartHeight + 5);
  scroll_->setWidget(content_);
  resizeWithinScreen(925, lastRowTop + 290);
  makeVisibleCharts();
}

chart::ChartView* ToleranceWindow::makeChart(int g) {
  const int groups = static_cast<int>(charts_.size());
  const int left = 5 + kColumnPitch * ((g - 1) % 3);
  const int top = 5 + kRowPitch * ((g - 1) / 3);
  auto* view = new chart::ChartView(content_);
  view->setObjectName(QString("Chart%1").arg(g));
  view->setGeometry(left, top, kChartWidth, kChartHeight);
  const world::ColorRef c = g - 1 < static_cast<int>(sim_.world.GroupColors.size())
                                ? sim_.world.GroupColors[static_cast<std::size_t>(g - 1)]
                                : world::kSilver;
  const QColor color(world::Red(c), world::Green(c), world::Blue(c));
  view->setTitle({QString("Group%1").arg(g)});
  view->setTitleColor(color);
  view->setZoomEnabled(false);
  view->setFixedRange(measures::Axis::Left, 0, 100, 1);
  // Whole columns around the points 0 .. groups.
  view->setFixedRange(measures::Axis::Bottom, -0.5, groups + 0.5, 1);
  view->setAxisTitle(measures::Axis::Bottom, "to Group");
  const int s = view->addSeries(measures::SeriesKind::Point, measures::Axis::Left);
  view->setSeriesColor(s, color);
  view->setPointMarker(s, chart::Marker::Rectangle, 5, 14);
  view->setValueLabels(s, true);
  view->setDragSeries(s);
  QList<QPointF> points;
  const world::Table<double>& percent = sim_.world.TolerancePercent;
  for (int x = 0; x <= groups; ++x) {
    const bool held = g - 1 < percent.Size0() && x < percent.Size1();
    points.append(QPointF(x, held ? percent(g - 1, x) : 0.0));
  }
  view->setPoints(s, points);
  connect(view, &chart::ChartView::pointDragged, this,
          [this, g](int, int index, double y) { dragged(g, index, y); });
  connect(view, &chart::ChartView::mouseReleased, this, &ToleranceWindow::released);
  view->show();
  charts_[static_cast<std::size_t>(g - 1)] = view;
  return view;
}

void ToleranceWindow::makeVisibleCharts() {
  if (!content_) return;
  const QRect seen(-scroll_->widget()->x(), -scroll_->widget()->y(), scroll_->viewport()->width(),
                   scroll_->viewport()->height());
  const QRect around = seen.adjusted(0, -kRowPitch, 0, kRowPitch);
  for (int g = 1; g <= static_cast<int>(charts_.size()); ++g) {
    if (charts_[static_cast<std::size_t>(g - 1)]) continue;
    const QRect place(5 + kColumnPitch * ((g - 1) % 3), 5 + kRowPitch * ((g - 1) / 3), kChartWidth, kChartHeight);
    if (place.intersects(around)) makeChart(g);
  }
}

void ToleranceWindow::resizeEvent(QResizeEvent* event) {
  Form::resizeEvent(event);
  scroll_->setGeometry(rect());
  makeVisibleCharts();
}

bool ToleranceWindow::outdated() const {
  return static_cast<int>(charts_.size()) != sim_.world.GroupCount;
}

void ToleranceWindow::showValues() {
  const world::Table<double>& percent = sim_.world.TolerancePercent;
  for (std::size_t i = 0; i < charts_.size(); ++i) {
    chart::ChartView* view = charts_[i];
    if (!view) continue;
    const int g = static_cast<int>(i);
    view->beginUpdate();
    for (int k = 0; k < view->pointCount(0); ++k) {
      const bool held = g < percent.Size0() && k < percent.Size1();
      view->setPointY(0, k, held ? percent(g, k) : 0.0);
    }
    view->endUpdate();
  }
}

void ToleranceWindow::followWorld() {
  if (charts_.empty() && !isVisible()) return;
  if (!outdated()) return;
  buildCharts();
  showValues();
}

void ToleranceWindow::followTolerances() {
  if (!isVisible()) return;
  if (outdated()) buildCharts();
  showValues();
}

void ToleranceWindow::dragged(int group, int index, double y) {
  if (outdated()) {
    QMetaObject::invokeMethod(this, &ToleranceWindow::followWorld, Qt::QueuedConnection);
    return;
  }
  // Every drag rounds the points of all charts to whole percents in 0..100.
  world::DragTolerancePercent(sim_.world.TolerancePercent, group, index, y);
  showValues();
}

void ToleranceWindow::released() {
  if (outdated()) {
    QMetaObject::invokeMethod(this, &ToleranceWindow::followWorld, Qt::QueuedConnection);
    return;
  }
  sim_.ConvertTolerance();
}

}  // namespace ui
