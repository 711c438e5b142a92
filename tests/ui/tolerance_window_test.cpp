#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "ui/main_window.h"
#include "ui/tolerance_window.h"
#include "ui/windows.h"

namespace {

void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

}  // namespace

// The individual tolerance window: its charts over the world's tolerance
// percentages, dragging, rounding and converting.
class ToleranceWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ui::Windows> windows_;

  simulation::Simulation& sim() { return windows_->sim(); }
  ui::ToleranceWindow& form() { return *static_cast<ui::ToleranceWindow*>(windows_->all()[7]); }
  ui::chart::ChartView* chart(int group) { return form().charts()[static_cast<std::size_t>(group - 1)]; }
  QPushButton* button(const char* name) { return windows_->main().findChild<QPushButton*>(name); }
  double percent(int group, int kind) { return sim().world.TolerancePercent(group - 1, kind); }
  int tolerance(int group, int kind) { return sim().world.GroupTolerance(group - 1, kind); }

 private slots:
  void init() {
    windows_ = std::make_unique<ui::Windows>([](QWidget*, const QString&, const QString&) {},
                                             [] { return std::uint64_t{7}; });
    windows_->main().timer1()->stop();
  }
  void cleanup() { windows_.reset(); }

  void showsOneChartPerGroupInRowsOfThree() {
    QVERIFY(form().charts().empty());
    QTest::mouseClick(button("Button3"), Qt::LeftButton);
    QVERIFY(form().isVisible());
    QCOMPARE(form().windowTitle(), QString("Individual Tolerance"));
    QCOMPARE(form().size(), QSize(925, 550));
    QCOMPARE(form().charts().size(), size_t{6});
    QCOMPARE(chart(1)->geometry(), QRect(5, 5, 300, 250));
    QCOMPARE(chart(3)->geometry(), QRect(615, 5, 300, 250));
    QCOMPARE(chart(4)->geometry(), QRect(5, 260, 300, 250));
    QCOMPARE(chart(6)->objectName(), QString("Chart6"));
    for (int g = 1; g <= 6; ++g) {
      QCOMPARE(chart(g)->title(), QStringList{QString("Group%1").arg(g)});
      const world::ColorRef c = sim().world.GroupColors[static_cast<std::size_t>(g - 1)];
      QCOMPARE(chart(g)->titleColor(), QColor(world::Red(c), world::Green(c), world::Blue(c)));
      QCOMPARE(chart(g)->axisTitle(measures::Axis::Bottom), QString("to Group"));
      QCOMPARE(chart(g)->range(measures::Axis::Left), QPointF(0, 100));
    }
    // Default settings: group 6 tolerates 20 percent less per group below it.
    const double six[] = {0, 100, 80, 60, 40, 20, 0};
    for (int k = 0; k <= 6; ++k) {
      QCOMPARE(chart(6)->point(0, k), QPointF(k, six[k]));
      QCOMPARE(chart(1)->point(0, k).y(), 0.0);
    }
    QCOMPARE(tolerance(6, 5), 20);
    QCOMPARE(tolerance(6, 1), 0);
  }

  void aDragRoundsAndClampsEveryChartAndReleaseConverts() {
    form().show();
    sim().world.TolerancePercent(0, 2) = 33.6;  // an unrounded value on another chart
    emit chart(6)->pointDragged(0, 3, 57.4);
    QCOMPARE(percent(6, 3), 57.0);
    QCOMPARE(chart(6)->point(0, 3).y(), 57.0);
    QCOMPARE(percent(1, 2), 34.0);
    QCOMPARE(chart(1)->point(0, 2).y(), 34.0);
    QCOMPARE(tolerance(6, 3), 10);  // not converted before the release
    emit chart(6)->mouseReleased();
    QCOMPARE(tolerance(6, 3), 25 - 14);  // 25 - Round(14.25)
    QCOMPARE(tolerance(1, 2), 25 - 8);   // 25 - Round(8.5), halves to even

    emit chart(2)->pointDragged(0, 0, -12.0);
    QCOMPARE(percent(2, 0), 0.0);
    emit chart(2)->pointDragged(0, 0, 130.0);
    QCOMPARE(percent(2, 0), 100.0);
    QCOMPARE(chart(2)->point(0, 0), QPointF(0, 100));
  }

  void dragsWithTheMouse() {
    form().show();
    QCoreApplication::processEvents();
    ui::chart::ChartView* view = chart(6);
    QWidget* vp = view->viewport();
    const QPoint from = view->pixelOf(0, 1);
    Send(vp, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Send(vp, QEvent::MouseMove, from + QPoint(30, 40), Qt::NoButton, Qt::LeftButton);
    Send(vp, QEvent::MouseButtonRelease, from + QPoint(30, 40), Qt::LeftButton, Qt::NoButton);
    const double y = percent(6, 1);
    QVERIFY(y < 100 && y > 50);
    QCOMPARE(y, std::round(y));
    QCOMPARE(view->point(0, 1), QPointF(1, y));
    QCOMPARE(tolerance(6, 1), 25 - static_cast<int>(world::Round(y / 100 * 25)));
  }

  void withoutIndividualModeTheCountsStay() {
    form().show();
    sim().controls.SetChecked(simulation::MainControl::IndividualThresholds, false);
    emit chart(6)->pointDragged(0, 5, 90.0);
    emit chart(6)->mouseReleased();
    QCOMPARE(percent(6, 5), 90.0);
    QCOMPARE(tolerance(6, 5), 20);
  }

  void closingDiscardsDraggedValues() {
    form().show();
    emit chart(6)->pointDragged(0, 3, 10.0);
    form().hide();
    QVERIFY(form().charts().empty());
    form().show();
    QCOMPARE(chart(6)->point(0, 3).y(), 60.0);
    QCOMPARE(percent(6, 3), 60.0);
  }

  void setMakesThePointsFollowTheSettings() {
    form().show();
    sim().controls.SetPosition(simulation::MainControl::ToleranceToInferiorUpDown, -10);
    QTest::mouseClick(button("B_setTols"), Qt::LeftButton);
    QCOMPARE(chart(6)->point(0, 1).y(), 50.0);
    QCOMPARE(chart(6)->point(0, 5).y(), 10.0);
    QCOMPARE(tolerance(6, 5), 25 - 2);  // 25 - Round(2.5)
  }

  // A set-up with fewer groups while the window is shown: the old charts
  // address nothing that is gone, and the window rebuilds for three groups.
  void followsASetupWithAnotherNumberOfGroups() {
    form().show();
    ui::chart::ChartView* old = chart(6);
    sim().controls.SetText(simulation::MainControl::GroupCount, "3");
    QTest::mouseClick(button("B_setup"), Qt::LeftButton);
    QCOMPARE(sim().world.GroupCount, 3);
    emit old->pointDragged(0, 6, 40.0);
    emit old->mouseReleased();
    QCoreApplication::processEvents();
    QCOMPARE(form().charts().size(), size_t{3});
    QCOMPARE(form().size(), QSize(925, 295));
    QCOMPARE(chart(3)->pointCount(0), 4);
    QCOMPARE(sim().world.TolerancePercent.Size0(), 3);

    // "set" before the window noticed: the charts are rebuilt first.
    sim().controls.SetText(simulation::MainControl::GroupCount, "4");
    QTest::mouseClick(button("B_setup"), Qt::LeftButton);
    QTest::mouseClick(button("B_setTols"), Qt::LeftButton);
    QCOMPARE(form().charts().size(), size_t{4});
    QCOMPARE(chart(4)->point(0, 1).y(), 60.0);
    QCOMPARE(tolerance(4, 1), 25 - 15);
  }

  // Set VICINARA_SCREENSHOT_DIR to keep a picture of the window.
  void rendersTheCharts() {
    form().show();
    emit chart(2)->pointDragged(0, 0, 45.0);
    QCoreApplication::processEvents();
    const QImage shot = form().grab().toImage();
    QCOMPARE(shot.size(), QSize(925, 550));
    if (const QByteArray dir = qgetenv("VICINARA_SCREENSHOT_DIR"); !dir.isEmpty()) {
      shot.save(QString("%1/tolerance.png").arg(QString(dir)));
    }
  }
};

QTEST_MAIN(ToleranceWindowTest)
#include "tolerance_window_test.moc"
