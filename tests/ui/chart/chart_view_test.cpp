#include <QAbstractBarSeries>
#include <QApplication>
#include <QBarSet>
#include <QXYSeries>
#include <QGraphicsLayout>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

#include "ui/chart/chart_view.h"

using measures::Axis;
using measures::SeriesKind;
using ui::chart::ChartView;

namespace {

void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// A left-button drag from `from` to `to` on the chart's viewport.
void Drag(ChartView& view, QPoint from, QPoint to) {
  QWidget* vp = view.viewport();
  Send(vp, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  Send(vp, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
  Send(vp, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  Send(vp, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

void Settle(ChartView& view) {
  view.show();
  QCoreApplication::processEvents();
  view.chart()->layout()->activate();
}

}  // namespace

class ChartViewTest : public QObject {
  Q_OBJECT

 private slots:
  void formatsValuesWithGroupedThousandsAndOneDecimal() {
    QCOMPARE(ui::chart::FormatValue(1234.56), QString("1,234.6"));
    QCOMPARE(ui::chart::FormatValue(2), QString("2"));
    QCOMPARE(ui::chart::FormatValue(1234567), QString("1,234,567"));
    QCOMPARE(ui::chart::FormatValue(0.04), QString("0"));
    QCOMPARE(ui::chart::FormatValue(-0.04), QString("0"));
    QCOMPARE(ui::chart::FormatValue(-12.25), QString("-12.3"));
    QCOMPARE(ui::chart::FormatValue(999.96), QString("1,000"));
  }

  void titlesHaveSeveralLinesAndClear() {
    ChartView view;
    view.setTitle({"clusters per value", "threshold 10"});
    QCOMPARE(view.chart()->title(), QString("clusters per value<br>threshold 10"));
    view.setTitle({"a < b"});
    QCOMPARE(view.chart()->title(), QString("a &lt; b"));
    view.clearTitle();
    QVERIFY(view.title().isEmpty());
    QVERIFY(view.chart()->title().isEmpty());
  }

  void rangesFollowAppendedPointsOfShownSeriesOnTheirSide() {
    ChartView view;
    view.resize(400, 250);
    const int a = view.addSeries(SeriesKind::Line, Axis::Right);
    const int b = view.addSeries(SeriesKind::Line, Axis::Left);
    view.appendPoints(a, {{1, 10}, {2, 30}});
    view.appendPoints(a, {{3, 20}});
    view.appendPoints(b, {{1, -5}, {8, 5}});
    QCOMPARE(view.pointCount(a), 3);
    QCOMPARE(view.point(a, 2), QPointF(3, 20));
    QCOMPARE(view.range(Axis::Bottom), QPointF(1, 8));
    // Vertical ranges reach to whole label steps around the data.
    const QPointF right = view.range(Axis::Right);
    QVERIFY(right.x() <= 10 && right.y() >= 30 && right.x() > 0);
    const QPointF left = view.range(Axis::Left);
    QVERIFY(left.x() <= -5 && left.y() >= 5 && left.y() < 10);

    view.setSeriesVisible(b, false);
    QCOMPARE(view.range(Axis::Bottom), QPointF(1, 3));
    view.setPoints(a, {});
    QCOMPARE(view.pointCount(a), 0);
    view.removeAllSeries();
    QCOMPARE(view.seriesCount(), 0);
    QVERIFY(!view.axisShown(Axis::Right));
  }

  // Far more points than pixels: the chart draws the lowest and highest of
  // every short run, so the peaks stay, and keeps every point for reading.
  void longLinesDrawAReducedCopyThatKeepsThePeaks() {
    ChartView view;
    view.resize(400, 250);
    const int s = view.addSeries(SeriesKind::Line);
    QList<QPointF> first;
    for (int i = 0; i < 5000; ++i) first.append(QPointF(i, i == 1234 ? 900 : i % 7));
    view.appendPoints(s, first);
    view.beginUpdate();
    for (int i = 5000; i < 10000; ++i) view.appendPoints(s, {QPointF(i, i == 7777 ? -300 : i % 7)});
    view.endUpdate();
    QCOMPARE(view.pointCount(s), 10000);
    QCOMPARE(view.point(s, 9999), QPointF(9999, 9999 % 7));
    auto* line = qobject_cast<QXYSeries*>(view.chart()->series().front());
    QVERIFY(line->count() <= 400);
    QVERIFY(line->points().contains(QPointF(1234, 900)));
    QVERIFY(line->points().contains(QPointF(7777, -300)));
    QCOMPARE(view.range(Axis::Bottom), QPointF(0, 9999));
    if (const QByteArray dir = qgetenv("VICINARA_SCREENSHOT_DIR"); !dir.isEmpty()) {
      view.grab().save(QString("%1/long-line.png").arg(QString(dir)));
    }
    // Replacing the points starts afresh; a short line is shown whole.
    view.setPoints(s, {{0, 1}, {1, 2}});
    QCOMPARE(line->count(), 2);
  }

  // A zoom into a long run draws every recorded point of the visible range,
  // not the thinned copy of the whole run; undoing the zoom thins it again.
  void aZoomIntoALongLineShowsTheRecordedPoints() {
    ChartView view;
    view.resize(400, 300);
    const int s = view.addSeries(SeriesKind::Line);
    QList<QPointF> points;
    for (int i = 0; i < 10000; ++i) points.append(QPointF(i, i % 7));
    view.appendPoints(s, points);
    Settle(view);
    auto* line = qobject_cast<QXYSeries*>(view.chart()->series().front());
    QVERIFY(line->count() <= 400);
    auto pixel = [&](QPointF value) {
      return view.mapFromScene(view.chart()->mapToScene(view.chart()->mapToPosition(value, line)));
    };
    view.zoomToRect(QRect(pixel({5000, 7.5}), pixel({5150, -0.5})));
    QVERIFY(view.zoomed());
    const QPointF visible = view.range(Axis::Bottom);
    QVERIFY(visible.y() - visible.x() < 400);
    const QList<QPointF> shown = line->points();
    int inRange = 0;
    for (int i = static_cast<int>(std::ceil(visible.x())); i <= visible.y(); ++i, ++inRange) {
      QVERIFY2(shown.contains(QPointF(i, i % 7)), qPrintable(QString("step %1 is not drawn").arg(i)));
    }
    QVERIFY(inRange > 100);
    QVERIFY(shown.size() <= inRange + 2);
    // Points recorded while zoomed join the detail where they are visible.
    view.appendPoints(s, {{10000, 3}});
    QCOMPARE(line->points(), shown);
    view.undoZoom();
    QVERIFY(line->count() <= 400);
  }

  void logarithmicBottomShowsWholeDecadesFromStepOne() {
    ChartView view;
    view.setLogarithmicBottom(true);
    const int s = view.addSeries(SeriesKind::Line, Axis::Right);
    view.appendPoints(s, {{1, 50}, {2, 60}, {250, 70}});
    QCOMPARE(view.range(Axis::Bottom), QPointF(1, 1000));
  }

  void barsKeepTheirOwnColours() {
    ChartView view;
    const int s = view.addSeries(SeriesKind::Bar);
    const QList<QColor> colors{Qt::red, Qt::red, Qt::blue};
    view.setBars(s, {12, 30, 11}, colors);
    QCOMPARE(view.barValues(s), (QList<double>{12, 30, 11}));
    QCOMPARE(view.barColors(s), colors);
    QCOMPARE(view.range(Axis::Bottom), QPointF(-0.5, 2.5));
    QVERIFY(view.range(Axis::Left).y() >= 30);
    auto* bars = qobject_cast<QAbstractBarSeries*>(view.chart()->series().front());
    QVERIFY(bars);
    QCOMPARE(bars->count(), 2);  // one set per colour
    QCOMPARE(bars->barSets()[0]->color(), QColor(Qt::red));
    QCOMPARE(bars->barSets()[1]->at(2), 11.0);
    QCOMPARE(bars->barSets()[1]->at(0), 0.0);
  }

  // A drag towards the upper left zooms just as one towards the lower right.
  void zoomsInEveryDragDirectionAndUndoes() {
    ChartView view;
    view.resize(400, 300);
    const int s = view.addSeries(SeriesKind::Line);
    view.appendPoints(s, {{0, 0}, {100, 100}});
    Settle(view);
    const QPointF full = view.range(Axis::Bottom);
    const QRectF plot = view.chart()->plotArea();
    const QPoint upperLeft = view.mapFromScene(view.chart()->mapToScene(plot.topLeft() + QPointF(plot.width() / 4, 10)));
    const QPoint lowerRight =
        view.mapFromScene(view.chart()->mapToScene(plot.center() + QPointF(plot.width() / 4, plot.height() / 4)));
    QSignalSpy released(&view, &ChartView::mouseReleased);
    Drag(view, lowerRight, upperLeft);
    QVERIFY(view.zoomed());
    QCOMPARE(released.count(), 1);
    const QPointF zoomedX = view.range(Axis::Bottom);
    QVERIFY(zoomedX.x() > full.x() && zoomedX.y() < full.y());
    QVERIFY(zoomedX.x() < zoomedX.y());
    // New points do not move a zoomed chart.
    view.appendPoints(s, {{200, 50}});
    QCOMPARE(view.range(Axis::Bottom), zoomedX);
    view.undoZoom();
    QVERIFY(!view.zoomed());
    QCOMPARE(view.range(Axis::Bottom), QPointF(0, 200));

    // A click is no zoom, and a chart can refuse to zoom.
    Drag(view, upperLeft, upperLeft + QPoint(1, 1));
    QVERIFY(!view.zoomed());
    view.setZoomEnabled(false);
    Drag(view, upperLeft, lowerRight);
    QVERIFY(!view.zoomed());
  }

  void draggedPointsMoveOnlyVertically() {
    ChartView view;
    view.resize(300, 250);
    view.setFixedRange(Axis::Left, 0, 100, 1);
    view.setFixedRange(Axis::Bottom, -0.5, 3.5, 1);
    const int s = view.addSeries(SeriesKind::Point);
    view.setPoints(s, {{0, 0}, {1, 50}, {2, 0}, {3, 0}});
    view.setDragSeries(s);
    Settle(view);
    QSignalSpy dragged(&view, &ChartView::pointDragged);
    QSignalSpy released(&view, &ChartView::mouseReleased);
    const QPoint from = view.pixelOf(s, 1);
    const QPoint to = view.pixelOf(s, 1) + QPoint(40, -30);
    Drag(view, from, to);
    QCOMPARE(dragged.count(), 2);  // one per move
    QCOMPARE(released.count(), 1);
    QVERIFY(!view.zoomed());
    QCOMPARE(dragged.last().at(0).toInt(), s);
    QCOMPARE(dragged.last().at(1).toInt(), 1);
    const double y = dragged.last().at(2).toDouble();
    QVERIFY(y > 55 && y < 80);
    QCOMPARE(view.point(s, 1), QPointF(1, y));
    QCOMPARE(view.point(s, 2), QPointF(2, 0));
  }
};

QTEST_MAIN(ChartViewTest)
#include "chart_view_test.moc"
