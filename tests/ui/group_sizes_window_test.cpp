#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "ui/group_sizes_window.h"
#include "ui/main_window.h"
#include "ui/windows.h"

// The group sizes window: its bars, labels and the rebalancing they start.
class GroupSizesWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ui::Windows> windows_;

  simulation::Simulation& sim() { return windows_->sim(); }
  ui::GroupSizesWindow& form() { return *static_cast<ui::GroupSizesWindow*>(windows_->all()[8]); }
  QString labelText(int g) { return form().label(g)->text(); }

 private slots:
  void init() {
    windows_ = std::make_unique<ui::Windows>([](QWidget*, const QString&, const QString&) {},
                                             [] { return std::uint64_t{7}; });
    windows_->main().timer1()->stop();
  }
  void cleanup() { windows_.reset(); }

  void buildsOneBarPerGroupWithEqualShares() {
    QCOMPARE(form().windowTitle(), QString("Group Sizes"));
    QCOMPARE(form().size(), QSize(210, 430));
    QCOMPARE(form().shareTotal(), 12000);
    QCOMPARE(form().barCount(), 6);
    QSlider* bar = form().findChild<QSlider*>("t2");
    QVERIFY(bar);
    QCOMPARE(bar->geometry(), QRect(5, 140, 150, 45));
    QCOMPARE(bar->value(), 16);
    QCOMPARE(bar->minimum(), 1);
    QCOMPARE(bar->maximum(), 99);
    QCOMPARE(form().findChild<QLabel*>("TrackLabel1")->text(), QString("Size of Group 1 = 2000"));
    QCOMPARE(form().resetButton()->geometry(), QRect(32, 365, 75, 25));
    QCOMPARE(form().resetButton()->text(), QString("reset values"));
  }

  void movingABarRebalancesTheOthers() {
    form().bar(0)->setValue(20);
    QCOMPARE(labelText(0), QString("Size of Group 1 = 2400"));
    for (int g = 1; g < 6; ++g) {
      QCOMPARE(labelText(g), QString("Size of Group %1 = 1920").arg(g + 1));
      QCOMPARE(form().bar(g)->value(), 16);
    }
    QCOMPARE(sim().world.GroupShares[0], 20.0);
    QCOMPARE(sim().world.GroupShares[5], 16.0);

    form().bar(0)->setValue(90);
    QCOMPARE(form().bar(3)->value(), 2);
    QCOMPARE(labelText(3), QString("Size of Group 4 = 240"));
  }

  void anAbandonedMoveLeavesTheOthersAndResetRestores() {
    form().bar(0)->setValue(95);
    QCOMPARE(sim().world.GroupShares[0], 95.0);
    QCOMPARE(form().bar(1)->value(), 16);
    QCOMPARE(labelText(1), QString("Size of Group 2 = 2000"));
    QTest::mouseClick(form().resetButton(), Qt::LeftButton);
    for (int g = 0; g < 6; ++g) {
      QCOMPARE(form().bar(g)->value(), 16);
      QCOMPARE(labelText(g), QString("Size of Group %1 = 2000").arg(g + 1));
      QVERIFY(std::abs(sim().world.GroupShares[static_cast<std::size_t>(g)] - 100.0 / 6) < 1e-9);
    }
  }

  void keyboardMovesRebalanceToo() {
    form().show();
    form().bar(5)->setFocus();
    QTest::keyClick(form().bar(5), Qt::Key_Left);  // 16 -> 15
    QCOMPARE(labelText(5), QString("Size of Group 6 = 1800"));
    QCOMPARE(labelText(0), QString("Size of Group 1 = 2040"));
  }

  // Another number of groups after a set-up: the window is built anew for
  // it, counting the agents the main window holds then.
  void rebuildsForAnotherNumberOfGroups() {
    form().bar(0)->setValue(30);
    sim().controls.SetText(simulation::MainControl::GroupCount, "3");
    sim().controls.SetText(simulation::MainControl::AgentCount, "9000");
    QTest::mouseClick(windows_->main().findChild<QPushButton*>("B_setup"), Qt::LeftButton);
    QCOMPARE(sim().world.GroupShares.size(), size_t{3});
    // A bar of the old window moved before it caught up changes nothing.
    form().bar(4)->setValue(50);
    QCOMPARE(sim().world.GroupShares.size(), size_t{3});
    QCoreApplication::processEvents();
    QCOMPARE(form().barCount(), 3);
    QCOMPARE(form().shareTotal(), 9000);
    QCOMPARE(form().size(), QSize(210, 250));
    QCOMPARE(form().bar(2)->value(), 33);
    QCOMPARE(labelText(2), QString("Size of Group 3 = 3000"));
    form().bar(2)->setValue(50);
    QCOMPARE(labelText(0), QString("Size of Group 1 = 2250"));
  }

  void showingCountsTheAgentsOfTheMainWindow() {
    sim().controls.SetText(simulation::MainControl::AgentCount, "6000");
    form().show();
    QCOMPARE(form().shareTotal(), 6000);
    QCOMPARE(labelText(0), QString("Size of Group 1 = 1000"));
    if (const QByteArray dir = qgetenv("VICINARA_SCREENSHOT_DIR"); !dir.isEmpty()) {
      form().grab().save(QString("%1/group-sizes.png").arg(QString(dir)));
    }
  }
};

QTEST_MAIN(GroupSizesWindowTest)
#include "group_sizes_window_test.moc"
