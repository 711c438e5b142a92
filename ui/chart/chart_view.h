#pragma once

#include <QChartView>
#include <QColor>
#include <QList>
#include <QPointF>
#include <QStringList>
#include <array>
#include <memory>
#include <span>
#include <vector>

#include "measures/charts.h"

class QAbstractAxis;
class QAbstractBarSeries;
class QAbstractSeries;
class QBarSet;
class QLogValueAxis;
class QRubberBand;
class QValueAxis;
class QXYSeries;

namespace ui::chart {

enum class Marker { Circle, Rectangle };

// A value as the charts label it (measures::FormatValue): thousands grouped,
// at most one decimal, no trailing zero ("#,##0.#"): 1234.56 -> "1,234.6".
QString FormatValue(double value);

// One chart over data that its owner hands in: line, point, bar and
// horizontal-bar series against a bottom axis and a left or right value
// axis. Ranges follow the data unless zoomed or fixed. The user zooms by
// dragging a rectangle with the left button, in any direction; undoZoom
// returns to the data's ranges. A series can be made draggable: its points
// then move vertically under the mouse.
//
// Series are addressed by the index addSeries returned, until
// removeAllSeries. Points are appended incrementally; between
// beginUpdate and endUpdate the axes are rescaled once, at the end.
class ChartView : public QChartView {
  Q_OBJECT
 public:
  explicit ChartView(QWidget* parent = nullptr);
  ~ChartView() override;

  // --- Titles ---------------------------------------------------------------
  void clearTitle();
  // One entry per line.
  void setTitle(const QStringList& lines);
  const QStringList& title() const { return title_; }
  void setTitleColor(const QColor& color);
  QColor titleColor() const;
  void setAxisTitle(measures::Axis axis, const QString& text);
  QString axisTitle(measures::Axis axis) const;

  // --- Axes -----------------------------------------------------------------
  // A logarithmic (base 10) bottom axis; points at x <= 0 are not shown.
  void setLogarithmicBottom(bool on);
  bool logarithmicBottom() const { return logBottom_; }
  void setGridVisible(measures::Axis axis, bool visible);
  void setAxisLineVisible(measures::Axis axis, bool visible);
  // Labels at multiples of `step` at least (0: automatic).
  void setLabelStep(measures::Axis axis, double step);
  // A range that does not follow the data; `step` is the smallest label increment.
  void setFixedRange(measures::Axis axis, double min, double max, double step);
  // The range the axis shows now: {min, max}.
  QPointF range(measures::Axis axis) const;
  // Whether the axis is drawn (a side axis is drawn while it has a series or a title).
  bool axisShown(measures::Axis axis) const;

  // --- Series ---------------------------------------------------------------
  int addSeries(measures::SeriesKind kind, measures::Axis vertical = measures::Axis::Left);
  void removeAllSeries();
  int seriesCount() const { return static_cast<int>(series_.size()); }
  measures::SeriesKind seriesKind(int s) const;
  measures::Axis seriesAxis(int s) const;
  void setSeriesTitle(int s, const QString& title);
  QString seriesTitle(int s) const;
  // Line and point colour; bars have their own colours.
  void setSeriesColor(int s, const QColor& color);
  QColor seriesColor(int s) const;
  void setSeriesWidth(int s, qreal width);
  qreal seriesWidth(int s) const;
  void setSeriesVisible(int s, bool visible);
  bool seriesVisible(int s) const;
  // Marks at the points (a line series then shows them too), in pixels.
  void setPointMarker(int s, Marker marker, int width, int height);
  // The y value written beside every point, in FormatValue's format; for
  // bars, the value at the end of every bar.
  void setValueLabels(int s, bool visible);
  bool valueLabels(int s) const;

  // Line and point series: the points, in the order given.
  void setPoints(int s, const QList<QPointF>& points);
  // Adds points after those shown.
  void appendPoints(int s, const QList<QPointF>& points);
  int pointCount(int s) const;
  QPointF point(int s, int index) const;
  void setPointY(int s, int index, double y);

  // Bar series: bar k stands at k, in colours[k].
  void setBars(int s, const QList<double>& values, const QList<QColor>& colors);
  QList<double> barValues(int s) const;
  QList<QColor> barColors(int s) const;

  // Changes made between these two rescale the axes once.
  void beginUpdate();
  void endUpdate();

  // --- Zoom -----------------------------------------------------------------
  void setZoomEnabled(bool on) { zoomEnabled_ = on; }
  // Zooms to the rectangle given in widget pixels, whatever its direction.
  void zoomToRect(const QRect& pixels);
  bool zoomed() const { return zoomed_; }
  void undoZoom();

  // --- Dragging points --------------------------------------------------------
  // The points of series s follow the mouse vertically (-1: none).
  void setDragSeries(int s);
  // Widget position of point `index` of series s.
  QPoint pixelOf(int s, int index) const;

 signals:
  // Every move while a point is dragged, with the value under the mouse.
  void pointDragged(int series, int index, double y);
  // The left mouse button was released over the chart.
  void mouseReleased();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void drawForeground(QPainter* painter, const QRectF& rect) override;

 private:
  struct Entry;
  struct AxisState {
    double FixedMin = 0, FixedMax = 0, Step = 0;
    bool Fixed = false;
    double ZoomMin = 0, ZoomMax = 0;
    double ShownMin = 0, ShownMax = 0;
    QString Title;
  };

  Entry& entry(int s);
  const Entry& entry(int s) const;
  QAbstractAxis* axis(measures::Axis id) const;
  QList<QAbstractAxis*> axesOf(measures::Axis id) const;
  QValueAxis* valueAxis(measures::Axis id) const;
  QAbstractAxis* horizontalFor(const Entry& e) const;
  QAbstractAxis* verticalFor(const Entry& e) const;
  void attach(Entry& e);
  int shownLimit() const;
  void showData(Entry& e);
  bool showVisibleData(Entry& e, qsizetype runs);
  void reshowLongLines();
  void rebuildBarSets(Entry& e);
  void extend(Entry& e, std::span<const measures::Point> points);
  void recomputeExtent(Entry& e);
  void rescale();
  int findPointNear(const QPoint& pos) const;
  QPointF valueAt(const QPoint& pos) const;  // bottom and left values under a widget position

  QChart* chart_;
  QValueAxis* bottom_;
  QLogValueAxis* logAxis_ = nullptr;
  QValueAxis* left_;
  QValueAxis* right_;
  std::array<AxisState, 3> axes_;
  std::vector<std::unique_ptr<Entry>> series_;
  QStringList title_;
  bool logBottom_ = false;
  int updateDepth_ = 0;
  bool rescalePending_ = false;
  bool zoomEnabled_ = true;
  bool zoomed_ = false;
  QRubberBand* band_ = nullptr;
  QPoint bandOrigin_;
  bool banding_ = false;
  int dragSeries_ = -1;
  int dragIndex_ = -1;
};

}  // namespace ui::chart
