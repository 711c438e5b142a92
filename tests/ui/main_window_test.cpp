#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "streets/editing.h"
#include "ui/binding.h"
#include "ui/main_window.h"
#include "ui/multiline_tabs.h"
#include "ui/windows.h"
#include "ui/world_panel.h"

namespace {

struct Message {
  QString Caption;
  QString Text;
};

}  // namespace

// The main window driven through its widgets, as a user would, with every
// message box answered by the test.
class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ui::Windows> windows_;
  QList<Message> messages_;

  ui::MainWindow& form() { return windows_->main(); }
  template <typename T>
  T* find(const char* name) {
    T* w = form().findChild<T*>(name);
    if (!w) qFatal("no widget %s", name);
    return w;
  }
  // Replaces the field's text by typing it key by key, as a user does.
  void type(const char* name, const QString& text) {
    auto* e = find<QLineEdit>(name);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
  }

 private slots:
  void init() {
    messages_.clear();
    windows_ = std::make_unique<ui::Windows>(
        [this](QWidget*, const QString& caption, const QString& text) { messages_.push_back({caption, text}); },
        [] { return std::uint64_t{7}; });
    form().timer1()->stop();  // the tests step by hand
  }
  void cleanup() { windows_.reset(); }

  void anExceptionOfTheProgramBecomesAMessageNotAnEnd() {
    simulation::ControlModel model;
    QWidget owner;
    ui::MessageSink sink = [this](QWidget*, const QString& caption, const QString& text) {
      messages_.push_back({caption, text});
    };
    ui::Binder binder(model, &owner, &sink);
    QVERIFY(!binder.Guard([] { throw std::out_of_range("no such entry"); }));
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(messages_[0].Text, QString("internal error: no such entry"));
    QVERIFY(binder.Guard([] {}));
  }

  void createsTheNineWindowsInOrder() {
    QStringList names;
    for (QWidget* w : windows_->all()) names << w->objectName();
    QCOMPARE(names, QStringList({"Form1", "Form2", "Form3", "Form4", "Form5", "Form6", "Form7", "Form8", "Form9"}));
    QCOMPARE(form().windowTitle(), QString("Vicinara"));
    QCOMPARE(form().size(), QSize(924, 711));
    QCOMPARE(windows_->all()[1]->windowTitle(), QString("Analysis"));
    QCOMPARE(windows_->all()[6]->windowTitle(), QString("3D Prozess-Analyse-Landscape"));
  }

  void showsTheDefaults() {
    QCOMPARE(find<QLineEdit>("Edit_anzAg")->text(), QString("12000"));
    QCOMPARE(find<QLineEdit>("Edit_agentSize")->text(), QString("2"));
    QCOMPARE(find<QLineEdit>("E_rentMax")->text(), QString("+1,00"));
    QCOMPARE(find<QLabel>("Lbl_cellS")->text(), QString("116 x 116 = 13456"));
    QVERIFY(find<QCheckBox>("cb_individTol")->isChecked());
    auto* tabs = find<ui::MultiLineTabs>("PageControl1");
    QCOMPARE(tabs->count(), 5);
    QCOMPARE(tabs->tabText(tabs->currentIndex()), QString("rent"));
    QCOMPARE(tabs->geometry(), QRect(708, 8, 205, 505));
    QCOMPARE(find<ui::WorldPanel>("ZeichenPanel")->mapTo(&form(), QPoint(0, 0)), QPoint(8, 9));
    QCOMPARE(find<QLineEdit>("E_Rent6")->text(), QString("1"));
  }

  void clampsTypedValuesThroughTheHandlers() {
    type("Edit_anzAg", "20000");
    QCOMPARE(find<QLineEdit>("Edit_anzAg")->text(), QString("12783"));
    type("Edit_cellSiz", "50");
    QCOMPARE(find<QLineEdit>("Edit_cellSiz")->text(), QString("34"));
    type("Edit_cellSiz", "0");
    QCOMPARE(find<QLineEdit>("Edit_cellSiz")->text(), QString("1"));
    QVERIFY(messages_.isEmpty());
  }

  void aClearedFieldShowsTheConversionMessage() {
    auto* e = find<QLineEdit>("Edit_nRad");
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(messages_[0].Text, QString::fromUtf8("'' ist kein gültiger Integerwert"));
    QCOMPARE(e->text(), QString(""));
    QTest::keyClicks(e, "x3");  // digits only: the x never arrives
    QCOMPARE(e->text(), QString("3"));
  }

  void startStopTogglesTheFontAndTheTimer() {
    auto* stop = find<QPushButton>("B_stop");
    QCOMPARE(stop->palette().color(QPalette::ButtonText), QColor(0, 128, 0));
    form().timer1()->start();
    QTest::mouseClick(stop, Qt::LeftButton);
    QCOMPARE(stop->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
    QVERIFY(!form().timer1()->isActive());
    QTest::mouseClick(stop, Qt::LeftButton);
    QCOMPARE(stop->palette().color(QPalette::ButtonText), QColor(0, 128, 0));
    QVERIFY(form().timer1()->isActive());
  }

  void stepsAndStopsAtTheStopStep() {
    type("E_stopT", "3");
    form().timer1()->start();
    QTRY_VERIFY(!form().timer1()->isActive());
    QCOMPARE(find<QLabel>("lbl_Steps")->text(), QString("3"));
    QCOMPARE(find<QPushButton>("B_stop")->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
    QVERIFY(form().windowTitle().startsWith("Group seperation || fps= "));
    QTest::mouseClick(find<QPushButton>("B_setup"), Qt::LeftButton);
    QCOMPARE(find<QLabel>("lbl_Steps")->text(), QString("0"));
  }

  void theExperimentButtonsStopTheRun() {
    form().timer1()->start();
    QTest::mouseClick(find<QPushButton>("ana_ps"), Qt::LeftButton);
    QVERIFY(!form().timer1()->isActive());
    QCOMPARE(find<QPushButton>("B_stop")->palette().color(QPalette::ButtonText), QColor(0, 128, 0));
    QVERIFY(windows_->all()[2]->isVisible());
    QTest::mouseClick(find<QPushButton>("B_stabili"), Qt::LeftButton);
    QCOMPARE(find<QPushButton>("B_stop")->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
  }

  void drawsAStreetWithTheMouse() {
    auto* panel = find<ui::WorldPanel>("ZeichenPanel");
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(messages_[0].Caption, QString("missing value"));
    QCOMPARE(messages_[0].Text, QString("please select a street type"));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(windows_->sim().world.StreetSegments.empty());

    auto* types = find<QComboBox>("CB_strType");
    types->setCurrentIndex(5);
    emit types->activated(5);
    find<QCheckBox>("CB_hideAgs")->click();  // unchecked: imprint at once
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(3, 123));
    QMouseEvent move(QEvent::MouseMove, QPointF(200, 123), QPointF(200, 123), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(panel, &move);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(243, 123));
    const auto& w = windows_->sim().world;
    QCOMPARE(w.StreetSegments.size(), size_t{1});
    QCOMPARE(w.StreetCellCount, 41);  // columns 0..40 of row 20
    QCOMPARE(find<QLabel>("Lbl_strCell")->text(), QString("41"));
    QVERIFY(!w.StreetsDirty);
  }

  // The window paints its panel from the world image; set
  // VICINARA_SCREENSHOT_DIR to keep the pictures for a look.
  void rendersTheWorldIntoThePanel() {
    form().show();
    QCoreApplication::processEvents();
    const QImage shot = form().grab().toImage();
    QCOMPARE(shot.size(), QSize(924, 711));
    const auto& raster = windows_->sim().world;
    const world::TAgent& agent = raster.Agents.front();
    const QColor expected(world::Red(agent.Color), world::Green(agent.Color), world::Blue(agent.Color));
    QCOMPARE(shot.pixelColor(8 + agent.PixelX, 9 + agent.PixelY), expected);
    if (const QByteArray dir = qgetenv("VICINARA_SCREENSHOT_DIR"); !dir.isEmpty()) {
      auto* tabs = find<ui::MultiLineTabs>("PageControl1");
      for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        form().grab().save(QString("%1/main-%2.png").arg(QString(dir), tabs->tabText(i)));
      }
    }
  }

  void rentTabFollowsTheNumberOfGroups() {
    type("Edit_anzGr", "3");
    QTest::mouseClick(find<QPushButton>("B_setup"), Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY(form().findChild<QLineEdit*>("E_Rent3"));
    QVERIFY(!form().findChild<QLineEdit*>("E_Rent4"));
    QCOMPARE(find<QLineEdit>("E_Rent2")->text(), QString("0"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
