#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <QAbstractSeries>

#include "ui/analysis_window.h"
#include "ui/main_window.h"
#include "ui/windows.h"

using measures::Axis;

// The analysis window over a running simulation, stepped by hand.
class AnalysisWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ui::Windows> windows_;
  QStringList messages_;

  simulation::Simulation& sim() { return windows_->sim(); }
  ui::AnalysisWindow& form() { return *static_cast<ui::AnalysisWindow*>(windows_->all()[1]); }
  void steps(int n) {
    for (int i = 0; i < n; ++i) windows_->main().timer1Timer();
  }
  void setup() { QTest::mouseClick(windows_->main().findChild<QPushButton*>("B_setup"), Qt::LeftButton); }

 private slots:
  void init() {
    messages_.clear();
    windows_ = std::make_unique<ui::Windows>([this](QWidget*, const QString&, const QString& text) { messages_ << text; },
                                             [] { return std::uint64_t{7}; });
    windows_->main().timer1()->stop();
  }
  void cleanup() { windows_.reset(); }

  void laysOutTheChartsTheTableAndTheButton() {
    QCOMPARE(form().windowTitle(), QString("Analysis"));
    QCOMPARE(form().size(), QSize(1092, 766));
    QCOMPARE(form().chart(3)->geometry(), QRect(8, 8, 234, 249));
    QCOMPARE(form().chart(1)->geometry(), QRect(248, 8, 403, 249));
    QCOMPARE(form().chart(5)->geometry(), QRect(8, 503, 561, 255));
    QCOMPARE(form().findChild<QTableWidget*>("DissimiGrid")->geometry(), QRect(758, 263, 326, 202));
    auto* undo = form().findChild<QPushButton*>("B_undoZ");
    QCOMPARE(undo->text(), QString("undoZoom"));
    QCOMPARE(undo->geometry(), QRect(1009, 471, 75, 25));
    QCOMPARE(form().chart(1)->objectName(), QString("Chart1"));
  }

  void showsTheRecordedSeriesAfterASetupAndSteps() {
    setup();
    steps(3);
    form().refresh();
    auto* c1 = form().chart(1);
    QCOMPARE(c1->title(), QStringList{"average satisfaction of the agents"});
    QCOMPARE(c1->axisTitle(Axis::Bottom), QString("time in log10"));
    QCOMPARE(c1->axisTitle(Axis::Right), QString("satisfaction"));
    QVERIFY(c1->logarithmicBottom());
    QCOMPARE(c1->seriesCount(), 6);
    QCOMPARE(c1->pointCount(0), 3);
    QCOMPARE(c1->point(0, 0).x(), 1.0);
    QCOMPARE(c1->seriesAxis(5), Axis::Right);
    const world::ColorRef g2 = sim().world.GroupColors[2];
    QCOMPARE(c1->seriesColor(2), QColor(world::Red(g2), world::Green(g2), world::Blue(g2)));
    QCOMPARE(c1->point(4, 2).y(), sim().analysis.SatisfactionSeries[4][2].Y);

    auto* c4 = form().chart(4);
    QCOMPARE(c4->title(), QStringList{"segregation measure in 20x20 tiles"});
    QCOMPARE(c4->seriesCount(), 7);  // six groups and the density
    QCOMPARE(c4->seriesAxis(6), Axis::Left);
    QCOMPARE(form().chart(5)->title(), QStringList{"density - segregation measure in 20x20 tiles"});
    QCOMPARE(form().chart(5)->seriesCount(), 7);
    QCOMPARE(form().chart(5)->point(6, 0), QPointF(11999, 100.0 * 11999 / 13456));
    QCOMPARE(form().chart(6)->title(), QStringList{"changes"});
    QCOMPARE(form().chart(6)->seriesCount(), 2);
    QCOMPARE(form().chart(6)->axisTitle(Axis::Left), QString("percentage of changing agents"));

    QCOMPARE(form().chart(2)->title(), QStringList{"cluster sizes >10 at timestep 1"});
    QCOMPARE(form().chart(2)->seriesCount(), 1);
    QCOMPARE(form().chart(2)->barValues(0).size(), sim().analysis.LargeClusterCount());
    auto* c3 = form().chart(3);
    QCOMPARE(c3->title(), QStringList{"group sizes"});
    QCOMPARE(c3->seriesKind(0), measures::SeriesKind::HorizontalBar);
    QList<double> sizes;
    for (int n : sim().world.GroupCounts) sizes << n;
    QCOMPARE(c3->barValues(0), sizes);
    QCOMPARE(c3->barColors(0)[1], c1->seriesColor(1));
    QVERIFY(c3->valueLabels(0));

    auto* grid = form().dissimiGrid();
    QCOMPARE(grid->columnCount(), 7);
    QCOMPARE(grid->rowCount(), 8);
    QCOMPARE(grid->item(0, 0)->text(), QString("groups"));
    QCOMPARE(grid->item(0, 1)->text(), QString("group 0"));
    QCOMPARE(grid->item(6, 0)->text(), QString("group 5"));
    QCOMPARE(grid->item(7, 0)->text(), QString("IS"));
    QCOMPARE(grid->item(7, 3)->text(), QString::fromStdString(sim().analysisCharts.DissimiGrid(3, 7)));
    QVERIFY(grid->item(7, 3)->text() != " ");
    QCOMPARE(grid->columnWidth(1), 45);
    QCOMPARE(grid->rowHeight(1), 20);
    QVERIFY(!(grid->item(0, 2)->flags() & Qt::ItemIsEditable));
    QVERIFY(grid->item(2, 2)->flags() & Qt::ItemIsEditable);
  }

  void typedTableTextStaysUntilAComputationWritesIt() {
    setup();
    steps(1);
    form().refresh();
    auto* grid = form().dissimiGrid();
    grid->item(1, 1)->setText("note");
    QCOMPARE(sim().analysisCharts.DissimiGrid(1, 1), std::string("note"));
    grid->item(0, 1)->setText("header");  // fixed cells are the program's own
    QCOMPARE(sim().analysisCharts.DissimiGrid(1, 0), std::string("group 0"));
    form().refresh();
    QCOMPARE(grid->item(1, 1)->text(), QString("note"));
    QCOMPARE(grid->item(0, 1)->text(), QString("group 0"));
  }

  void drawsNothingWhileHiddenAndCatchesUpWhenShown() {
    setup();
    steps(2);
    form().show();
    QCOMPARE(form().chart(1)->pointCount(0), 2);
    form().hide();
    steps(3);
    QCoreApplication::processEvents();
    QCOMPARE(form().chart(1)->pointCount(0), 2);
    QCOMPARE(sim().analysis.SatisfactionSeries[0].size(), size_t{5});
    form().show();
    QCOMPARE(form().chart(1)->pointCount(0), 5);
    QCOMPARE(form().chart(6)->pointCount(1), 5);
  }

  void followsAnotherNumberOfGroups() {
    setup();
    steps(2);
    form().refresh();
    sim().controls.SetText(simulation::MainControl::GroupCount, "3");
    setup();
    steps(1);
    form().refresh();
    QCOMPARE(form().chart(1)->seriesCount(), 3);
    QCOMPARE(form().chart(1)->pointCount(2), 1);
    QCOMPARE(form().chart(4)->seriesCount(), 4);
    QCOMPARE(form().chart(3)->barValues(0).size(), 3);
    QCOMPARE(form().dissimiGrid()->columnCount(), 4);
    QCOMPARE(form().dissimiGrid()->rowCount(), 5);
    QCOMPARE(form().dissimiGrid()->item(4, 0)->text(), QString("IS"));
  }

  void aSetupWithAsManyGroupsStartsTheLinesAfresh() {
    setup();
    steps(2);
    form().refresh();
    auto* c1 = form().chart(1);
    const QAbstractSeries* first = c1->chart()->series().front();
    // A new run that is already further on than the old one at the next
    // refresh: none of the old points may stay in front of the new ones.
    sim().controls.SetText(simulation::MainControl::AgentCount, "6000");
    setup();
    steps(4);
    form().refresh();
    QCOMPARE(c1->chart()->series().front(), first);  // kept, not made anew
    QCOMPARE(c1->seriesCount(), 6);
    QCOMPARE(c1->pointCount(0), 4);
    for (int i = 0; i < 4; ++i) {
      QCOMPARE(c1->point(3, i).y(), sim().analysis.SatisfactionSeries[3][i].Y);
      QCOMPARE(form().chart(4)->point(2, i).y(), sim().analysis.SegregationSeries[2][i].Y);
      QCOMPARE(form().chart(6)->point(1, i).y(), sim().analysis.ChangeSeries[1][i].Y);
    }
    QCOMPARE(form().chart(6)->pointCount(1), 4);
    QCOMPARE(form().chart(3)->barValues(0).size(), 6);
  }

  void undoZoomReturnsEveryChartToItsData() {
    setup();
    steps(4);
    form().show();
    for (int n = 1; n <= 6; ++n) form().chart(n)->zoomToRect(QRect(100, 60, 80, 60));
    QVERIFY(form().chart(4)->zoomed());
    QTest::mouseClick(form().findChild<QPushButton*>("B_undoZ"), Qt::LeftButton);
    for (int n = 1; n <= 6; ++n) QVERIFY2(!form().chart(n)->zoomed(), qPrintable(QString::number(n)));
    QCOMPARE(form().chart(6)->range(Axis::Bottom), QPointF(1, 4));
  }

  // Set VICINARA_SCREENSHOT_DIR to keep a picture of the window.
  void rendersTheCharts() {
    windows_->main().show();  // converts the tolerances, as at program start
    windows_->main().timer1()->stop();
    setup();
    steps(40);
    form().show();
    QCoreApplication::processEvents();
    const QImage shot = form().grab().toImage();
    QCOMPARE(shot.size(), QSize(1092, 766));
    if (const QByteArray dir = qgetenv("VICINARA_SCREENSHOT_DIR"); !dir.isEmpty()) {
      shot.save(QString("%1/analysis.png").arg(QString(dir)));
    }
    QVERIFY(messages_.isEmpty());
  }
};

QTEST_MAIN(AnalysisWindowTest)
#include "analysis_window_test.moc"
