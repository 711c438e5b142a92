#include "experiment_window.h"

#include <QAbstractAxis>
#include <QChart>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QPainter>
#include <QMouseEvent>
#include <QPushButton>
#include <QRubberBand>
#include <QScatterSeries>
#include <QShowEvent>
#include <cstring>

namespace ui {

namespace {

// The screen's pace: often enough to look live, seldom enough to cost little.
constexpr int kRefreshMs = 100;
constexpr int kRow = 24;  // pitch of the rows of settings

QString Q(const std::string& s) { return QString::fromStdString(s); }

QStringList Lines(const std::vector<std::string>& lines) {
  QStringList out;
  for (const std::string& line : lines) out << Q(line);
  return out;
}

}  // namespace

display::RgbImage ToRgbImage(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  display::RgbImage out(rgb.width(), rgb.height());
  const auto stride = static_cast<std::size_t>(out.Stride());
  for (int y = 0; y < rgb.height(); ++y) {
    std::memcpy(out.Pixels.data() + static_cast<std::size_t>(y) * stride, rgb.constScanLine(y), stride);
  }
  return out;
}

display::RgbImage WindowPicture(QWidget& window) {
  // Layouts still pending (a chart's legend that lost entries) are done
  // first; only those events run, so a picture taken within a timer's tick
  // lets no other tick in.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  // The window paints itself into the picture, background first, so that
  // windows lying over it on the screen do not spoil it.
  QImage image(window.size(), QImage::Format_RGB32);
  image.fill(window.palette().color(window.backgroundRole()));
  window.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  return ToRgbImage(image);
}

QList<QPointF> ToQPoints(const measures::Series& points, std::size_t from) {
  QList<QPointF> out;
  if (from >= points.size()) return out;
  out.reserve(static_cast<qsizetype>(points.size() - from));
  for (std::size_t i = from; i < points.size(); ++i) out.append(QPointF(points[i].X, points[i].Y));
  return out;
}

void ChartTexts::follow(chart::ChartView& view, const measures::Chart& labels) {
  if (labels.Revision != revision_) {
    revision_ = labels.Revision;
    view.setTitle(Lines(labels.Title));
    view.setAxisTitle(measures::Axis::Bottom, Q(labels.BottomAxisTitle));
    view.setAxisTitle(measures::Axis::Left, Q(labels.LeftAxisTitle));
    view.setAxisTitle(measures::Axis::Right, Q(labels.RightAxisTitle));
  }
  if (labels.ZoomResets != zoomResets_) {
    zoomResets_ = labels.ZoomResets;
    view.undoZoom();
  }
}

void SeriesFollower::follow(chart::ChartView& view, int s, const measures::Series& points, std::uint64_t revision) {
  if (revision == revision_) return;
  revision_ = revision;
  view.setPoints(s, ToQPoints(points));
}

void TailFollower::follow(chart::ChartView& view, int s, const measures::Series& points, std::uint64_t epoch) {
  const auto shown = static_cast<std::size_t>(view.pointCount(s));
  if (epoch != epoch_ || points.size() < shown) {
    epoch_ = epoch;
    view.setPoints(s, ToQPoints(points));
  } else if (points.size() > shown) {
    view.appendPoints(s, ToQPoints(points, shown));
  }
}

void setAxisReversed(chart::ChartView& view, measures::Axis axis, bool reversed) {
  const Qt::Alignment side = axis == measures::Axis::Bottom ? Qt::AlignBottom
                             : axis == measures::Axis::Left ? Qt::AlignLeft
                                                            : Qt::AlignRight;
  for (QAbstractAxis* a : view.chart()->axes()) {
    if (a->alignment() == side) a->setReverse(reversed);
  }
}

void setLegendVisible(chart::ChartView& view, bool visible) {
  view.chart()->legend()->setVisible(visible);
  view.chart()->legend()->setAlignment(Qt::AlignRight);
}

void setLegendEntryVisible(chart::ChartView& view, int s, bool visible) {
  QAbstractSeries* series = view.chart()->series().value(s);
  if (!series) return;
  for (QLegendMarker* marker : view.chart()->legend()->markers(series)) {
    if (marker->isVisible() != visible) marker->setVisible(visible);
  }
}

void setCrossMarks(chart::ChartView& view, int s, int size) {
  const QList<QAbstractSeries*> all = view.chart()->series();
  auto* scatter = qobject_cast<QScatterSeries*>(all.value(s));
  if (!scatter) return;
  // Arms of `size` pixels on either side of the point.
  const int extent = 2 * size + 1;
  QImage cross(extent, extent, QImage::Format_ARGB32_Premultiplied);
  cross.fill(Qt::transparent);
  QPainter p(&cross);
  p.setPen(QPen(view.seriesColor(s), 1));
  p.drawLine(0, size, extent - 1, size);
  p.drawLine(size, 0, size, extent - 1);
  p.end();
  scatter->setMarkerSize(extent);
  scatter->setLightMarker(cross);
}

DownwardChartView::DownwardChartView(QWidget* parent) : chart::ChartView(parent) {
  setAxisReversed(*this, measures::Axis::Left, true);
}

std::unique_ptr<QMouseEvent> DownwardChartView::mirrored(const QMouseEvent& event) const {
  const QRectF plot = chart()->plotArea();
  const QPointF top = mapFromScene(chart()->mapToScene(plot.topLeft()));
  const QPointF bottom = mapFromScene(chart()->mapToScene(plot.bottomLeft()));
  const QPointF at(event.position().x(), top.y() + bottom.y() - event.position().y());
  return std::make_unique<QMouseEvent>(event.type(), at, event.scenePosition(), event.globalPosition(), event.button(),
                                       event.buttons(), event.modifiers(), event.pointingDevice());
}

void DownwardChartView::mousePressEvent(QMouseEvent* event) {
  origin_ = event->position().toPoint();
  chart::ChartView::mousePressEvent(mirrored(*event).get());
  event->accept();
}

void DownwardChartView::mouseMoveEvent(QMouseEvent* event) {
  chart::ChartView::mouseMoveEvent(mirrored(*event).get());
  // The rubber band shows where the user drags, not its mirror image.
  if (auto* band = viewport()->findChild<QRubberBand*>(); band && band->isVisible()) {
    band->setGeometry(QRect(origin_, event->position().toPoint()).normalized());
  }
  event->accept();
}

void DownwardChartView::mouseReleaseEvent(QMouseEvent* event) {
  chart::ChartView::mouseReleaseEvent(mirrored(*event).get());
  event->accept();
}

ExperimentWindow::ExperimentWindow(const char* objectName, const QString& caption, int width, int height,
                                   MessageSink* sink, QWidget* parent)
    : Form(objectName, caption, width, height, parent), sink_(sink) {
  QFont font("Tahoma");
  font.setPixelSize(10);
  setFont(font);
  timer_.setInterval(1);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &ExperimentWindow::timerTimer);
  pace_.setInterval(kRefreshMs);
  connect(&pace_, &QTimer::timeout, this, [this] { refresh(); });
}

ExperimentWindow::~ExperimentWindow() = default;

void ExperimentWindow::attach(experiments::Experiment& experiment) {
  experiment_ = &experiment;
  simulation::ControlModel& fields = experiment.Fields();
  fields_ = &fields;
  timerName_ = experiment.TimerName();
  timer_.setObjectName(Q(timerName_));
  binder_ = new Binder(fields, this, sink_);
  experiment.SetReporter([this](const world::UserError& e) { binder_->Show(e); });
  listener_ = fields.Subscribe([this](const simulation::Control& c, simulation::ControlEvent event) {
    if (event != simulation::ControlEvent::Changed) return;
    if (c.Name == timerName_) {
      if (c.Checked && !timer_.isActive()) timer_.start();
      if (!c.Checked) {
        timer_.stop();
        // Paused or ended: the charts show where the experiment stands.
        refresh();
      }
      return;
    }
    fieldChanged(c);
  });
}

void ExperimentWindow::detach() {
  timer_.stop();
  pace_.stop();
  if (!fields_) return;
  experiment_->SetReporter({});
  fields_->Unsubscribe(listener_);
  delete binder_;
  binder_ = nullptr;
  fields_ = nullptr;
  experiment_ = nullptr;
}

void ExperimentWindow::newStart() {
  act([this] {
    aboutToStart();
    experiment_->NewStart();
  });
}

void ExperimentWindow::startStop() {
  act([this] { experiment_->StartStop(); });
}

void ExperimentWindow::undoZoom() {
  act([this] { experiment_->UndoZoom(); });
}

void ExperimentWindow::act(const std::function<void()>& action) {
  if (experiment_ && binder_) binder_->Guard(action);
  refresh();
}

void ExperimentWindow::timerTimer() {
  if (experiment_ && binder_) {
    // A tick reports the user's errors itself; anything else stops the run
    // once, with a message, instead of on every tick.
    if (!binder_->Guard([this] { experiment_->Tick(); }) && experiment_->Running()) experiment_->StartStop();
  } else if (experiment_) {
    experiment_->Tick();
  }
  if (worldChanged_) worldChanged_();
}

display::RgbImage ExperimentWindow::picture() {
  refresh();
  return WindowPicture(*this);
}

void ExperimentWindow::showEvent(QShowEvent* event) {
  Form::showEvent(event);
  refresh();
  pace_.start();
}

void ExperimentWindow::hideEvent(QHideEvent* event) {
  Form::hideEvent(event);
  pace_.stop();
}

chart::ChartView* ExperimentWindow::addChart(const char* name, const QRect& geometry) {
  auto* view = new chart::ChartView(this);
  view->setObjectName(name);
  view->setGeometry(geometry);
  return view;
}

QLineEdit* ExperimentWindow::edit(QWidget* parent, const std::string& name, int x, int y, int width) {
  auto* e = new QLineEdit(parent);
  e->setGeometry(x, y, width, 20);
  binder_->Edit(e, Q(name));
  return e;
}

QLabel* ExperimentWindow::label(QWidget* parent, const QString& text, int x, int y) {
  auto* l = new QLabel(text, parent);
  l->move(x, y);
  l->adjustSize();
  return l;
}

QPushButton* ExperimentWindow::button(QWidget* parent, const char* name, const QString& caption,
                                      const QRect& geometry, void (ExperimentWindow::*click)()) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setGeometry(geometry);
  if (click) connect(b, &QPushButton::clicked, this, click);
  return b;
}

void ExperimentWindow::startButtons(QWidget* settings, const char* start, const char* pause, int y) {
  button(settings, start, "new start", QRect(8, y, 84, 25), &ExperimentWindow::newStart);
  button(settings, pause, "start / stop", QRect(100, y, 84, 25), &ExperimentWindow::startStop);
}

QCheckBox* ExperimentWindow::check(QWidget* parent, const std::string& name, int x, int y, int width) {
  auto* box = new QCheckBox(Q(fields_->Get(name).Caption), parent);
  box->setGeometry(x, y, width, 18);
  binder_->Check(box, Q(name));
  return box;
}

int ExperimentWindow::settingsRow(QWidget* parent, const std::string& name, int y) {
  const QString caption = Q(fields_->Get(name).Caption);
  const int extraLines = static_cast<int>(caption.count('\n'));
  // A caption of two lines stands beside an edit level with its last line.
  label(parent, caption, 8, y + 3);
  edit(parent, name, parent->width() - 56, y + extraLines * 13);
  return y + kRow + extraLines * 13;
}

int ExperimentWindow::settingsRows(QWidget* parent, const std::string& repetitions, int y) {
  for (const char* name : {"E_valFrom", "E_valTo", "E_incre", "E_toSteps"}) y = settingsRow(parent, name, y);
  return settingsRow(parent, repetitions, y);
}

void ExperimentWindow::progress(int x, int y, const QString& stepsCaption, const QString& countCaption) {
  // Two lines of labels that read as sentences: "29 : timesteps", "9/ 9 : calculations".
  auto line = [this, x](int top, const char* number, const char* total, const QString& caption) {
    auto* row = new QWidget(this);
    row->setGeometry(x, top, 190, 16);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    auto* value = new QLabel(row);
    value->setFixedWidth(60);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    binder_->Label(value, number);
    layout->addWidget(value);
    if (total) {
      auto* planned = new QLabel(row);
      binder_->Label(planned, total);
      layout->addWidget(planned);
    }
    layout->addWidget(new QLabel(caption, row));
    layout->addStretch(1);
  };
  line(y, "lbl_pSteps", nullptr, stepsCaption);
  line(y + 18, "Lbl_akt", "Lbl_proceed", countCaption);
  button(this, "B_undoZ", "undoZoom", QRect(x + 8, y + 42, 84, 25), &ExperimentWindow::undoZoom);
}

}  // namespace ui
