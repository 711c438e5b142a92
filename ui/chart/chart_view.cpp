#include "chart_view.h"

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QGraphicsLayout>
#include <QHorizontalStackedBarSeries>
#include <QImage>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <tuple>

#include "measures/axis_range.h"
#include "measures/chart_values.h"
#include "measures/thinning.h"

namespace ui::chart {

namespace {

constexpr int kGrab = 8;       // pixels around a point that pick it up
constexpr int kMinBand = 4;    // a smaller rubber band is a click, not a zoom

// The axes' states are kept by the axis' number, the bottom axis first.
static_assert(static_cast<int>(measures::Axis::Bottom) == 0 && static_cast<int>(measures::Axis::Left) == 1 &&
              static_cast<int>(measures::Axis::Right) == 2);

QImage MarkerImage(Marker marker, int width, int height, const QColor& color) {
  const int size = std::max({width, height, 1});
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, marker == Marker::Circle);
  p.setPen(QPen(color.darker(150), 1));
  p.setBrush(color);
  const QRectF r((size - width) / 2.0 + 0.5, (size - height) / 2.0 + 0.5, std::max(width - 1, 1),
                 std::max(height - 1, 1));
  if (marker == Marker::Circle) {
    p.drawEllipse(r);
  } else {
    p.drawRect(r);
  }
  return image;
}

QList<QPointF> ToQt(std::span<const measures::Point> points) {
  QList<QPointF> out;
  out.reserve(static_cast<qsizetype>(points.size()));
  for (const measures::Point& p : points) out.append({p.X, p.Y});
  return out;
}

void Append(const QList<QPointF>& points, std::vector<measures::Point>& out) {
  out.reserve(out.size() + static_cast<std::size_t>(points.size()));
  for (const QPointF& p : points) out.push_back({p.x(), p.y()});
}

}  // namespace

QString FormatValue(double value) { return QString::fromStdString(measures::FormatValue(value)); }

struct ChartView::Entry {
  measures::SeriesKind kind = measures::SeriesKind::Line;
  measures::Axis side = measures::Axis::Left;
  QXYSeries* xy = nullptr;
  QAbstractBarSeries* bars = nullptr;
  QList<double> values;  // bars
  QList<QColor> colors;  // bars
  QColor color;
  qreal width = 1;
  bool visible = true;
  bool labels = false;
  Marker marker = Marker::Circle;
  int markerWidth = 0;
  int markerHeight = 0;
  QImage markerImage;  // drawn by us over the plot, so that edge points show whole
  // Every point handed in. A line of many more points than the chart has
  // pixels shows a reduced copy (measures::Thin).
  std::vector<measures::Point> data;
  bool reduced = false;
  bool stale = false;  // the shown copy lags behind data
  measures::GrowingThin thin;
  QString title;
  measures::Extent x, y;  // of the data

  QAbstractSeries* series() const {
    return xy ? static_cast<QAbstractSeries*>(xy) : static_cast<QAbstractSeries*>(bars);
  }
};

ChartView::ChartView(QWidget* parent) : QChartView(parent), chart_(new QChart) {
  setChart(chart_);
  setRenderHint(QPainter::Antialiasing, false);
  setFrameShape(QFrame::NoFrame);
  setRubberBand(QChartView::NoRubberBand);
  setDragMode(QGraphicsView::NoDrag);
  chart_->legend()->hide();
  chart_->setBackgroundRoundness(0);
  chart_->setBackgroundBrush(Qt::white);
  chart_->setBackgroundPen(QPen(Qt::black, 1));
  chart_->setPlotAreaBackgroundVisible(false);
  chart_->setMargins(QMargins(4, 2, 4, 2));
  chart_->layout()->setContentsMargins(0, 0, 0, 0);
  chart_->setAnimationOptions(QChart::NoAnimation);
  QFont titleFont = chart_->titleFont();
  titleFont.setPixelSize(12);
  chart_->setTitleFont(titleFont);

  bottom_ = new QValueAxis;
  logAxis_ = new QLogValueAxis;
  left_ = new QValueAxis;
  right_ = new QValueAxis;
  logAxis_->setBase(10);
  logAxis_->setLabelFormat("%g");
  logAxis_->setMinorTickCount(-1);
  chart_->addAxis(bottom_, Qt::AlignBottom);
  chart_->addAxis(logAxis_, Qt::AlignBottom);
  chart_->addAxis(left_, Qt::AlignLeft);
  chart_->addAxis(right_, Qt::AlignRight);
  QFont labelFont = left_->labelsFont();
  labelFont.setPixelSize(10);
  for (QAbstractAxis* a : {static_cast<QAbstractAxis*>(bottom_), static_cast<QAbstractAxis*>(logAxis_),
                           static_cast<QAbstractAxis*>(left_), static_cast<QAbstractAxis*>(right_)}) {
    a->setLabelsFont(labelFont);
    a->setTitleFont(labelFont);
    a->setLinePenColor(Qt::black);
    a->setGridLineColor(QColor(210, 210, 210));
    a->setMinorGridLineVisible(false);
  }
  for (QValueAxis* a : {bottom_, left_, right_}) {
    a->setLabelFormat("%g");
    a->setTickType(QValueAxis::TicksDynamic);
    a->setTickAnchor(0);
  }
  logAxis_->setVisible(false);
  band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
  rescale();
}

ChartView::~ChartView() = default;

// --- Titles -------------------------------------------------------------------

void ChartView::clearTitle() { setTitle({}); }

void ChartView::setTitle(const QStringList& lines) {
  title_ = lines;
  QStringList escaped;
  for (const QString& line : lines) escaped << line.toHtmlEscaped();
  chart_->setTitle(escaped.join("<br>"));
}

void ChartView::setTitleColor(const QColor& color) { chart_->setTitleBrush(color); }

QColor ChartView::titleColor() const { return chart_->titleBrush().color(); }

void ChartView::setAxisTitle(measures::Axis id, const QString& text) {
  axes_[static_cast<std::size_t>(id)].Title = text;
  for (QAbstractAxis* a : axesOf(id)) a->setTitleText(text);
  rescale();
}

QString ChartView::axisTitle(measures::Axis id) const { return axes_[static_cast<std::size_t>(id)].Title; }

// --- Axes ---------------------------------------------------------------------

QAbstractAxis* ChartView::axis(measures::Axis id) const {
  switch (id) {
    case measures::Axis::Bottom:
      return logBottom_ ? static_cast<QAbstractAxis*>(logAxis_) : bottom_;
    case measures::Axis::Left:
      return left_;
    case measures::Axis::Right:
      return right_;
  }
  return left_;
}

QValueAxis* ChartView::valueAxis(measures::Axis id) const {
  return id == measures::Axis::Bottom ? (logBottom_ ? nullptr : bottom_) : id == measures::Axis::Left ? left_ : right_;
}

QAbstractAxis* ChartView::horizontalFor(const Entry&) const { return axis(measures::Axis::Bottom); }

QAbstractAxis* ChartView::verticalFor(const Entry& e) const { return axis(e.side); }

void ChartView::setLogarithmicBottom(bool on) {
  if (on == logBottom_) return;
  for (auto& e : series_) e->series()->detachAxis(axis(measures::Axis::Bottom));
  logBottom_ = on;
  bottom_->setVisible(!on);
  logAxis_->setVisible(on);
  for (auto& e : series_) e->series()->attachAxis(axis(measures::Axis::Bottom));
  rescale();
}

QList<QAbstractAxis*> ChartView::axesOf(measures::Axis id) const {
  // The bottom has a linear and a logarithmic axis; both keep its settings.
  if (id == measures::Axis::Bottom) return {bottom_, logAxis_};
  return {axis(id)};
}

void ChartView::setGridVisible(measures::Axis id, bool visible) {
  for (QAbstractAxis* a : axesOf(id)) a->setGridLineVisible(visible);
}

void ChartView::setAxisLineVisible(measures::Axis id, bool visible) {
  for (QAbstractAxis* a : axesOf(id)) a->setLineVisible(visible);
}

void ChartView::setLabelStep(measures::Axis id, double step) {
  axes_[static_cast<std::size_t>(id)].Step = step;
  rescale();
}

void ChartView::setFixedRange(measures::Axis id, double min, double max, double step) {
  AxisState& a = axes_[static_cast<std::size_t>(id)];
  a.Fixed = true;
  a.FixedMin = min;
  a.FixedMax = max;
  a.Step = step;
  rescale();
}

QPointF ChartView::range(measures::Axis id) const {
  const AxisState& a = axes_[static_cast<std::size_t>(id)];
  return {a.ShownMin, a.ShownMax};
}

bool ChartView::axisShown(measures::Axis id) const { return axis(id)->isVisible(); }

// --- Series -------------------------------------------------------------------

ChartView::Entry& ChartView::entry(int s) {
  Q_ASSERT(s >= 0 && s < seriesCount());
  return *series_[static_cast<std::size_t>(s)];
}

const ChartView::Entry& ChartView::entry(int s) const {
  Q_ASSERT(s >= 0 && s < seriesCount());
  return *series_[static_cast<std::size_t>(s)];
}

int ChartView::addSeries(measures::SeriesKind kind, measures::Axis vertical) {
  auto e = std::make_unique<Entry>();
  e->kind = kind;
  e->side = vertical == measures::Axis::Right ? measures::Axis::Right : measures::Axis::Left;
  switch (kind) {
    case measures::SeriesKind::Line:
      e->xy = new QLineSeries;
      break;
    case measures::SeriesKind::Point: {
      auto* scatter = new QScatterSeries;
      scatter->setMarkerShape(QScatterSeries::MarkerShapeCircle);
      scatter->setMarkerSize(7);
      scatter->setBorderColor(Qt::transparent);
      e->xy = scatter;
      break;
    }
    case measures::SeriesKind::Bar:
      e->bars = new QStackedBarSeries;
      break;
    case measures::SeriesKind::HorizontalBar:
      e->bars = new QHorizontalStackedBarSeries;
      break;
  }
  if (e->bars) {
    e->bars->setBarWidth(0.8);
  }
  attach(*e);
  if (e->xy) {
    // The theme picks a colour per series; keep it as the series' own.
    e->color = e->xy->color();
    if (kind == measures::SeriesKind::Line) {
      QPen pen = e->xy->pen();
      pen.setWidthF(e->width);
      e->xy->setPen(pen);
    }
  }
  series_.push_back(std::move(e));
  rescale();
  return seriesCount() - 1;
}

void ChartView::attach(Entry& e) {
  chart_->addSeries(e.series());
  e.series()->attachAxis(horizontalFor(e));
  e.series()->attachAxis(verticalFor(e));
}

void ChartView::removeAllSeries() {
  dragSeries_ = -1;
  dragIndex_ = -1;
  chart_->removeAllSeries();
  series_.clear();
  rescale();
}

measures::SeriesKind ChartView::seriesKind(int s) const { return entry(s).kind; }

measures::Axis ChartView::seriesAxis(int s) const { return entry(s).side; }

void ChartView::setSeriesTitle(int s, const QString& title) {
  Entry& e = entry(s);
  e.title = title;
  e.series()->setName(title);
}

QString ChartView::seriesTitle(int s) const { return entry(s).title; }

void ChartView::setSeriesColor(int s, const QColor& color) {
  Entry& e = entry(s);
  e.color = color;
  if (!e.xy) return;
  if (e.kind == measures::SeriesKind::Line) {
    QPen pen = e.xy->pen();
    pen.setColor(color);
    e.xy->setPen(pen);
  } else if (e.markerWidth == 0) {
    e.xy->setColor(color);
  }
  if (e.markerWidth > 0) {
    e.markerImage = MarkerImage(e.marker, e.markerWidth, e.markerHeight, color);
    viewport()->update();
  }
}

QColor ChartView::seriesColor(int s) const { return entry(s).color; }

void ChartView::setSeriesWidth(int s, qreal width) {
  Entry& e = entry(s);
  e.width = width;
  if (e.kind == measures::SeriesKind::Line) {
    QPen pen = e.xy->pen();
    pen.setWidthF(width);
    e.xy->setPen(pen);
  }
}

qreal ChartView::seriesWidth(int s) const { return entry(s).width; }

void ChartView::setSeriesVisible(int s, bool visible) {
  Entry& e = entry(s);
  e.visible = visible;
  e.series()->setVisible(visible);
  rescale();
  viewport()->update();
}

bool ChartView::seriesVisible(int s) const { return entry(s).visible; }

void ChartView::setPointMarker(int s, Marker marker, int width, int height) {
  Entry& e = entry(s);
  if (!e.xy) return;
  e.marker = marker;
  e.markerWidth = std::max(1, width);
  e.markerHeight = std::max(1, height);
  e.markerImage = MarkerImage(marker, e.markerWidth, e.markerHeight, e.color);
  // The chart clips its own marks at the plot's edge; ours are drawn whole.
  if (auto* scatter = qobject_cast<QScatterSeries*>(e.xy)) {
    scatter->setColor(Qt::transparent);
    scatter->setBorderColor(Qt::transparent);
  }
  viewport()->update();
}

void ChartView::setValueLabels(int s, bool visible) {
  entry(s).labels = visible;
  viewport()->update();
}

bool ChartView::valueLabels(int s) const { return entry(s).labels; }

void ChartView::extend(Entry& e, std::span<const measures::Point> points) {
  for (const measures::Point& p : points) {
    e.x.Take(p.X, p.X);
    e.y.Take(p.Y, p.Y);
  }
}

void ChartView::recomputeExtent(Entry& e) {
  e.x = e.y = {};
  if (e.xy) {
    extend(e, e.data);
    return;
  }
  const measures::BarExtent bars = measures::BarExtents(std::span(e.values.cbegin(), e.values.cend()));
  e.x = e.kind == measures::SeriesKind::Bar ? bars.Across : bars.Along;
  e.y = e.kind == measures::SeriesKind::Bar ? bars.Along : bars.Across;
}

int ChartView::shownLimit() const { return std::max(200, width()); }

void ChartView::showData(Entry& e) {
  e.stale = false;
  const qsizetype runs = shownLimit() / 2;
  if (e.kind != measures::SeriesKind::Line || e.data.size() <= static_cast<std::size_t>(2 * runs)) {
    e.reduced = false;
    e.thin.Reset();
    e.xy->replace(ToQt(e.data));
    return;
  }
  if (zoomed_ && showVisibleData(e, runs)) return;
  e.reduced = true;
  e.xy->replace(ToQt(e.thin.Thin(e.data, static_cast<std::size_t>(runs))));
}

// A zoomed chart draws the recorded points within its visible range, thinned
// only as far as that range needs, so a zoom into a long run brings back the
// detail that the reduced copy of the whole run leaves out. A line that does
// not run forwards in x is left to the reduced copy (false).
bool ChartView::showVisibleData(Entry& e, qsizetype runs) {
  const AxisState& bottom = axes_[static_cast<std::size_t>(measures::Axis::Bottom)];
  const std::optional<std::vector<measures::Point>> shown =
      measures::ThinRange(e.data, bottom.ZoomMin, bottom.ZoomMax, static_cast<std::size_t>(runs));
  if (!shown) return false;
  e.reduced = true;  // appended points are laid out through here again
  e.xy->replace(ToQt(*shown));
  return true;
}

void ChartView::reshowLongLines() {
  for (auto& e : series_) {
    if (e->xy && (e->reduced || e->data.size() > static_cast<std::size_t>(shownLimit()))) showData(*e);
  }
}

void ChartView::setPoints(int s, const QList<QPointF>& points) {
  Entry& e = entry(s);
  if (!e.xy) return;
  e.data.clear();
  Append(points, e.data);
  e.thin.Reset();
  e.x = e.y = {};
  extend(e, e.data);
  rescale();
  showData(e);
}

void ChartView::appendPoints(int s, const QList<QPointF>& points) {
  Entry& e = entry(s);
  if (!e.xy || points.isEmpty()) return;
  const std::size_t before = e.data.size();
  Append(points, e.data);
  extend(e, std::span<const measures::Point>(e.data).subspan(before));
  // Rescale first: the new points are then laid out once, with the new ranges.
  rescale();
  if (e.reduced || e.stale || e.data.size() > static_cast<std::size_t>(shownLimit())) {
    // Reduced anew once per update, not once per series change.
    e.stale = true;
    if (updateDepth_ == 0) showData(e);
  } else if (points.size() == 1) {
    e.xy->append(points.front());
  } else {
    // Every single append lays out the whole series again: one replace is cheaper.
    e.xy->replace(ToQt(e.data));
  }
}

int ChartView::pointCount(int s) const {
  const Entry& e = entry(s);
  return e.xy ? static_cast<int>(e.data.size()) : static_cast<int>(e.values.size());
}

QPointF ChartView::point(int s, int index) const {
  const Entry& e = entry(s);
  if (e.xy) {
    if (index < 0 || static_cast<std::size_t>(index) >= e.data.size()) return {};
    const measures::Point& p = e.data[static_cast<std::size_t>(index)];
    return {p.X, p.Y};
  }
  return {static_cast<double>(index), e.values.value(index)};
}

void ChartView::setPointY(int s, int index, double y) {
  Entry& e = entry(s);
  if (!e.xy || index < 0 || static_cast<std::size_t>(index) >= e.data.size()) return;
  measures::Point& p = e.data[static_cast<std::size_t>(index)];
  if (p.Y == y) return;
  p.Y = y;
  if (e.reduced) {
    e.thin.Reset();
    showData(e);
  } else {
    e.xy->replace(index, p.X, y);
  }
  recomputeExtent(e);
  rescale();
  viewport()->update();
}

void ChartView::setBars(int s, const QList<double>& values, const QList<QColor>& colors) {
  Entry& e = entry(s);
  if (!e.bars) return;
  if (values == e.values && colors == e.colors) return;
  e.values = values;
  e.colors = colors;
  rebuildBarSets(e);
  recomputeExtent(e);
  rescale();
}

// Bars of one colour form one set; sets stack, and a set holds 0 where a
// bar of another colour stands, so every bar shows in its own colour.
//
// Every set spans every bar, so sets x bars items are drawn: with hundreds of
// colours and bars (hundreds of groups, or every cluster charted) that would
// freeze the window. Past a budget the colours are taken from a smaller,
// evenly spread choice of them, each bar in the nearest one.
void ChartView::rebuildBarSets(Entry& e) {
  e.bars->clear();
  QList<QColor> distinct;
  QList<QColor> colorOf;
  colorOf.reserve(e.values.size());
  for (int k = 0; k < e.values.size(); ++k) {
    const QColor c = e.colors.value(k, QColor(Qt::gray));
    colorOf << c;
    if (!distinct.contains(c)) distinct << c;
  }
  constexpr qsizetype kBarItems = 20000;
  const qsizetype bars = std::max<qsizetype>(1, e.values.size());
  if (distinct.size() * bars > kBarItems) {
    const qsizetype keep = std::max<qsizetype>(1, kBarItems / bars);
    QList<QColor> chosen;
    for (qsizetype i = 0; i < keep; ++i) chosen << distinct[i * distinct.size() / keep];
    auto nearest = [&chosen](const QColor& c) {
      int best = 0;
      long long bestDistance = -1;
      for (int i = 0; i < chosen.size(); ++i) {
        const long long dr = c.red() - chosen[i].red(), dg = c.green() - chosen[i].green(),
                        db = c.blue() - chosen[i].blue();
        const long long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
          bestDistance = d;
          best = i;
        }
      }
      return chosen[best];
    };
    for (QColor& c : colorOf) c = nearest(c);
    distinct = chosen;
  }
  for (const QColor& c : distinct) {
    auto* set = new QBarSet(QString());
    set->setColor(c);
    set->setBorderColor(c.darker(140));
    QList<qreal> column(e.values.size(), 0.0);
    for (int k = 0; k < e.values.size(); ++k) {
      if (colorOf[k] == c) column[k] = e.values[k];
    }
    set->append(column);
    e.bars->append(set);
  }
}

QList<double> ChartView::barValues(int s) const { return entry(s).values; }

QList<QColor> ChartView::barColors(int s) const { return entry(s).colors; }

// --- Ranges -------------------------------------------------------------------

void ChartView::beginUpdate() { ++updateDepth_; }

void ChartView::endUpdate() {
  if (updateDepth_ == 0 || --updateDepth_ > 0) return;
  if (rescalePending_) rescale();
  for (auto& e : series_) {
    if (e->stale) showData(*e);
  }
}

void ChartView::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  rescale();  // the label steps depend on the size
  reshowLongLines();
}

void ChartView::rescale() {
  if (updateDepth_ > 0) {
    rescalePending_ = true;
    return;
  }
  rescalePending_ = false;
  bool sideUsed[3] = {true, false, false};
  bool categories[3] = {false, false, false};  // bars stand at whole numbers along it
  measures::Extent data[3];
  for (const auto& e : series_) {
    const int side = static_cast<int>(e->side);
    sideUsed[side] = true;
    if (e->kind == measures::SeriesKind::Bar) categories[0] = true;
    if (e->kind == measures::SeriesKind::HorizontalBar) categories[side] = true;
    if (!e->visible || !e->x.Any) continue;
    // Only positive x can be shown on a logarithmic axis.
    data[0].Take(logBottom_ && e->xy ? measures::PositiveXExtent(e->data, e->x) : e->x);
    data[side].Take(e->y);
  }
  for (int a = 1; a < 3; ++a) {
    const AxisState& st = axes_[static_cast<std::size_t>(a)];
    axis(static_cast<measures::Axis>(a))->setVisible(sideUsed[a] || !st.Title.isEmpty() || st.Fixed);
  }
  for (int a = 0; a < 3; ++a) {
    const auto id = static_cast<measures::Axis>(a);
    AxisState& st = axes_[static_cast<std::size_t>(a)];
    measures::ChartAxis how;
    how.Fixed = st.Fixed;
    how.FixedMin = st.FixedMin;
    how.FixedMax = st.FixedMax;
    how.Zoomed = zoomed_;
    how.ZoomMin = st.ZoomMin;
    how.ZoomMax = st.ZoomMax;
    how.Step = st.Step;
    how.Logarithmic = id == measures::Axis::Bottom && logBottom_;
    how.Vertical = id != measures::Axis::Bottom;
    how.Bars = categories[a];
    const measures::AxisRange r =
        measures::ChartAxisRange(data[a], how, measures::LabelParts(how.Vertical ? height() : width(), how.Vertical));
    st.ShownMin = r.Min;
    st.ShownMax = r.Max;
    if (how.Logarithmic) {
      logAxis_->setRange(r.Min, r.Max);
      continue;
    }
    QValueAxis* shown = valueAxis(id);
    if (shown->tickInterval() != r.Step) shown->setTickInterval(r.Step);
    shown->setRange(r.Min, r.Max);
  }
}

// --- Zoom ---------------------------------------------------------------------

QPointF ChartView::valueAt(const QPoint& pos) const {
  const QPointF inChart = chart_->mapFromScene(mapToScene(pos));
  const QRectF plot = chart_->plotArea();
  const double fx = (inChart.x() - plot.left()) / std::max(1.0, plot.width());
  const double fy = (plot.bottom() - inChart.y()) / std::max(1.0, plot.height());
  return {fx, fy};
}

void ChartView::zoomToRect(const QRect& pixels) {
  const QRect r = pixels.normalized();
  const QPointF a = valueAt(r.bottomLeft());
  const QPointF b = valueAt(r.topRight());
  for (int i = 0; i < 3; ++i) {
    AxisState& st = axes_[static_cast<std::size_t>(i)];
    const double f0 = i == 0 ? a.x() : a.y();
    const double f1 = i == 0 ? b.x() : b.y();
    std::tie(st.ZoomMin, st.ZoomMax) = measures::ZoomedRange(st.ShownMin, st.ShownMax, f0, f1, i == 0 && logBottom_);
  }
  zoomed_ = true;
  rescale();
  reshowLongLines();
}

void ChartView::undoZoom() {
  if (!zoomed_) return;
  zoomed_ = false;
  rescale();
  reshowLongLines();
}

// --- Mouse --------------------------------------------------------------------

void ChartView::setDragSeries(int s) {
  dragSeries_ = s >= 0 && s < seriesCount() && entry(s).xy ? s : -1;
  viewport()->setMouseTracking(dragSeries_ >= 0);
}

QPoint ChartView::pixelOf(int s, int index) const {
  const Entry& e = entry(s);
  const QPointF inChart = chart_->mapToPosition(point(s, index), e.series());
  return mapFromScene(chart_->mapToScene(inChart));
}

int ChartView::findPointNear(const QPoint& pos) const {
  if (dragSeries_ < 0) return -1;
  int best = -1;
  int bestDistance = kGrab + 1;
  for (int i = 0; i < pointCount(dragSeries_); ++i) {
    const QPoint p = pixelOf(dragSeries_, i);
    const int d = std::max(std::abs(p.x() - pos.x()), std::abs(p.y() - pos.y()));
    if (d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

void ChartView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->accept();
    return;
  }
  const QPoint pos = event->position().toPoint();
  dragIndex_ = findPointNear(pos);
  if (dragIndex_ < 0 && zoomEnabled_) {
    banding_ = true;
    bandOrigin_ = pos;
    band_->setGeometry(QRect(pos, QSize()));
    band_->show();
  }
  event->accept();
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (dragIndex_ >= 0 && dragSeries_ >= 0) {
    const Entry& e = entry(dragSeries_);
    const AxisState& st = axes_[static_cast<std::size_t>(e.side)];
    const double y = st.ShownMin + valueAt(pos).y() * (st.ShownMax - st.ShownMin);
    setPointY(dragSeries_, dragIndex_, y);
    emit pointDragged(dragSeries_, dragIndex_, y);
  } else if (banding_) {
    band_->setGeometry(QRect(bandOrigin_, pos).normalized());
  } else if (dragSeries_ >= 0) {
    if (findPointNear(pos) >= 0) {
      viewport()->setCursor(Qt::PointingHandCursor);
    } else {
      viewport()->unsetCursor();
    }
  }
  event->accept();
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->accept();
    return;
  }
  if (banding_) {
    banding_ = false;
    band_->hide();
    const QRect r = QRect(bandOrigin_, event->position().toPoint()).normalized();
    if (r.width() >= kMinBand && r.height() >= kMinBand) zoomToRect(r);
  }
  dragIndex_ = -1;
  event->accept();
  emit mouseReleased();
}

// --- Value labels ---------------------------------------------------------------

void ChartView::drawForeground(QPainter* painter, const QRectF& rect) {
  QChartView::drawForeground(painter, rect);
  const QRectF plot = chart_->plotArea().adjusted(-1, -1, 1, 1);
  QFont font = painter->font();
  font.setPixelSize(10);
  painter->setFont(font);
  const QFontMetrics metrics(font);
  painter->setPen(Qt::black);
  for (const auto& e : series_) {
    if (!e->visible || !e->xy || e->markerImage.isNull()) continue;
    const QRectF reach = plot.adjusted(-e->markerWidth, -e->markerHeight, e->markerWidth, e->markerHeight);
    const QPointF half(e->markerImage.width() / 2.0, e->markerImage.height() / 2.0);
    for (int i = 0; i < e->xy->count(); ++i) {
      const QPointF p = chart_->mapToPosition(e->xy->at(i), e->xy);
      if (reach.contains(p)) painter->drawImage(chart_->mapToScene(p) - half, e->markerImage);
    }
  }
  for (const auto& e : series_) {
    if (!e->labels || !e->visible) continue;
    if (e->xy) {
      const int lift = e->markerHeight > 0 ? e->markerHeight / 2 + 2 : 4;
      for (int i = 0; i < e->xy->count(); ++i) {
        const QPointF p = chart_->mapToPosition(e->xy->at(i), e->xy);
        if (!plot.contains(p)) continue;
        const QString text = FormatValue(e->xy->at(i).y());
        const QPointF at = chart_->mapToScene(p);
        const int w = metrics.horizontalAdvance(text);
        painter->drawText(QPointF(at.x() - w / 2.0, at.y() - lift - metrics.descent()), text);
      }
      continue;
    }
    for (int k = 0; k < e->values.size(); ++k) {
      const double v = e->values[k];
      const QPointF end = e->kind == measures::SeriesKind::Bar ? QPointF(k, v) : QPointF(v, k);
      const QPointF p = chart_->mapToPosition(end, e->bars);
      const QString text = FormatValue(v);
      const QPointF at = chart_->mapToScene(p);
      const int w = metrics.horizontalAdvance(text);
      QRectF box;
      if (e->kind == measures::SeriesKind::Bar) {
        box = QRectF(at.x() - w / 2.0 - 2, at.y() - metrics.height() - 2, w + 4, metrics.height());
      } else {
        // Inside the end of a long bar, beside a short one.
        const bool inside = p.x() - chart_->plotArea().left() > w + 8;
        box = QRectF(inside ? at.x() - w - 6 : at.x() + 2, at.y() - metrics.height() / 2.0, w + 4, metrics.height());
      }
      painter->fillRect(box, QColor(255, 255, 225));
      painter->drawRect(box);
      painter->drawText(box, Qt::AlignCenter, text);
    }
  }
}

}  // namespace ui::chart
