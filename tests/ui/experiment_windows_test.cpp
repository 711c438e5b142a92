#include <QChart>
#include <QImage>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "experiment_test_support.h"
#include "ui/growth_window.h"
#include "ui/main_window.h"
#include "ui/parameter_space_window.h"
#include "ui/stability_window.h"
#include "ui/streets_window.h"
#include "ui/surface_window.h"
#include "ui/windows.h"

namespace {

struct Message {
  QString Caption;
  QString Text;
};

}  // namespace

// The four experiment windows driven through their widgets on a shrunken
// world (400 cells, 300 agents), with every message box answered by the test.
class ExperimentWindowsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ui::Windows> windows_;
  QList<Message> messages_;

  ui::MainWindow& main() { return windows_->main(); }
  ui::ParameterSpaceWindow& parameterSpace() { return *static_cast<ui::ParameterSpaceWindow*>(windows_->all()[2]); }
  ui::GrowthWindow& growth() { return *static_cast<ui::GrowthWindow*>(windows_->all()[3]); }
  ui::StreetsWindow& streets() { return *static_cast<ui::StreetsWindow*>(windows_->all()[4]); }
  ui::StabilityWindow& stability() { return *static_cast<ui::StabilityWindow*>(windows_->all()[5]); }
  ui::SurfaceWindow& surface() { return *static_cast<ui::SurfaceWindow*>(windows_->all()[6]); }

  static QString text(QWidget& window, const char* name) { return test_support::Find<QLabel>(window, name)->text(); }
  static QString field(QWidget& window, const char* name) {
    return test_support::Find<QLineEdit>(window, name)->text();
  }
  static QList<double> xs(const ui::chart::ChartView& view, int s) {
    QList<double> out;
    for (int i = 0; i < view.pointCount(s); ++i) out << view.point(s, i).x();
    return out;
  }

 private slots:
  void init() {
    messages_.clear();
    windows_ = std::make_unique<ui::Windows>(
        [this](QWidget*, const QString& caption, const QString& text) { messages_.push_back({caption, text}); },
        [n = std::uint64_t{11}]() mutable { return n++; });
    test_support::ShrinkWorld(main());
    test_support::RemoveOutputFolders();
  }
  void cleanup() {
    windows_.reset();
    test_support::RemoveOutputFolders();
  }

  void showTheirLayoutsHidden() {
    const struct {
      QWidget* Window;
      const char* Caption;
      QSize Size;
    } expected[] = {{&parameterSpace(), "Analyse Parameterspace", {1000, 700}},
                    {&growth(), "Form4", {1024, 358}},
                    {&streets(), "Analyse Street Effects", {1016, 360}},
                    {&stability(), "Analyse Stability", {1016, 690}},
                    {&surface(), "3D Prozess-Analyse-Landscape", {1016, 666}}};
    for (const auto& w : expected) {
      QCOMPARE(w.Window->windowTitle(), QString(w.Caption));
      QCOMPARE(w.Window->size(), w.Size);
      QVERIFY(w.Window->isHidden());
    }
    QCOMPARE(test_support::Find<QWidget>(parameterSpace(), "Chart_Cluster")->size(), QSize(786, 340));
    QCOMPARE(test_support::Find<QWidget>(stability(), "Chart_Change")->size(), QSize(841, 326));
    QCOMPARE(test_support::Find<QWidget>(surface(), "Chart_3DLand")->size(), QSize(1000, 650));
    // The progress display and the settings show the defaults.
    QCOMPARE(text(parameterSpace(), "Lbl_proceed"), QString("/ 9"));
    QCOMPARE(text(growth(), "Lbl_proceed"), QString("/ 60"));
    QCOMPARE(text(streets(), "Lbl_proceed"), QString("/ 510"));
    QCOMPARE(text(stability(), "Lbl_proceed"), QString("/ 105"));
    QCOMPARE(text(stability(), "lbl_pSteps"), QString("0"));
    QCOMPARE(field(growth(), "E_toSteps"), QString("1300"));
    QCOMPARE(test_support::Find<QComboBox>(parameterSpace(), "CB_param")->placeholderText(),
             QString(" choose parameter"));
    QCOMPARE(test_support::Find<QComboBox>(stability(), "CB_param")->itemText(3), QString(" move distance"));
    QVERIFY(test_support::Find<QRadioButton>(streets(), "RB_grid")->isChecked());
    QCOMPARE(parameterSpace().chartCluster()->axisTitle(measures::Axis::Left), QString("clusters"));
    QCOMPARE(stability().chartChange()->axisTitle(measures::Axis::Right), QString("number of changing agents"));
    QCOMPARE(stability().chartStability()->title(), QStringList("phase transitions || 6 groups"));
  }

  void parameterSpaceDefaultsRunToTheEndWhileHidden() {
    ui::ParameterSpaceWindow& w = parameterSpace();
    main().timer1()->start();
    main().findChild<QPushButton*>("ana_ps")->click();
    QVERIFY(w.isVisible());
    QVERIFY(!main().timer1()->isActive());  // the opener stops the main window's run
    test_support::Choose(w, "CB_param", 0);
    test_support::Click(w, "B_start");
    QVERIFY(w.timer()->isActive());
    QCOMPARE(w.timer()->interval(), 1);
    QCOMPARE(w.timer()->timerType(), Qt::PreciseTimer);
    // The main window's fields show what the experiment wrote.
    QCOMPARE(field(main(), "Edit_anzGr"), QString("2"));
    QCOMPARE(field(main(), "E_stopT"), QString("30"));
    // Closing only hides the window: the experiment goes on.
    QVERIFY(test_support::RunUntil([&] { return w.model().runner.CalcsDone() >= 1; }));
    w.close();
    QVERIFY(w.isHidden());
    QVERIFY(w.timer()->isActive());
    QVERIFY(test_support::RunUntil([&] { return !w.timer()->isActive(); }));

    QVERIFY(w.model().runner.Ended());
    QCOMPARE(text(w, "Lbl_akt"), QString("9"));
    QCOMPARE(text(w, "Lbl_proceed"), QString("/ 9"));
    QCOMPARE(text(w, "lbl_pSteps"), QString("29"));
    QCOMPARE(field(main(), "Edit_anzGr"), QString("4"));
    for (ui::chart::ChartView* view : {w.chartCluster(), w.chartIS()}) {
      QCOMPARE(xs(*view, 0), QList<double>({2, 2, 2, 3, 3, 3, 4, 4, 4}));
      QCOMPARE(xs(*view, 1), QList<double>({2, 3, 4}));  // one average per value
      QCOMPARE(view->pointCount(2), 2);                   // the trend's two ends
      QVERIFY(view->pointCount(3) > 2);                   // the fitted curve
    }
    QCOMPARE(w.chartCluster()->title(), QStringList("clusters per value | cluster threshold = 10"));
    QCOMPARE(w.chartIS()->title(), QStringList("segregation per value"));
    QVERIFY(messages_.isEmpty());
  }

  void parameterSpaceAsksForAParameter() {
    ui::ParameterSpaceWindow& w = parameterSpace();
    test_support::Click(w, "B_start");
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(messages_[0].Caption, QString("missing value"));
    QCOMPARE(messages_[0].Text, QString("please select a parameter"));
    QVERIFY(!w.timer()->isActive());
    QCOMPARE(text(w, "Lbl_akt"), QString("0"));
  }

  void startStopPausesAndResumesWhereItStopped() {
    ui::ParameterSpaceWindow& w = parameterSpace();
    test_support::Choose(w, "CB_param", 1);
    test_support::Click(w, "B_start");
    QVERIFY(test_support::RunUntil([&] { return w.model().runner.StepInCalc() >= 5; }));
    test_support::Click(w, "B_break");
    QVERIFY(!w.timer()->isActive());
    const int step = w.model().runner.StepInCalc();
    const QString shown = text(w, "lbl_pSteps");
    QCOMPARE(shown, QString::number(step - 1));
    QCoreApplication::processEvents();
    QCOMPARE(w.model().runner.StepInCalc(), step);
    test_support::Click(w, "B_break");
    QVERIFY(w.timer()->isActive());
    QVERIFY(test_support::RunUntil([&] { return w.model().runner.StepInCalc() > step; }));
    QCOMPARE(text(w, "lbl_pSteps"), QString::number(step));
  }

  void displayOptionsShowAndHideTheirSeries() {
    ui::ParameterSpaceWindow& w = parameterSpace();
    test_support::Type(w, "E_valTo", "3");
    test_support::Type(w, "E_toSteps", "2");
    test_support::Type(w, "E_calcVals", "2");
    QCOMPARE(text(w, "Lbl_proceed"), QString("/ 4"));
    test_support::Choose(w, "CB_param", 2);
    test_support::Click(w, "B_start");
    QVERIFY(test_support::RunUntil([&] { return !w.timer()->isActive(); }));
    auto* trend = test_support::Find<QCheckBox>(w, "CB_trend_Seg");
    trend->click();
    QVERIFY(!w.chartIS()->seriesVisible(2));
    QVERIFY(w.chartCluster()->seriesVisible(2));
    trend->click();
    QVERIFY(w.chartIS()->seriesVisible(2));
    QCOMPARE(w.chartIS()->pointCount(2), 2);
  }

  void growthDrawsALinePerValue() {
    ui::GrowthWindow& w = growth();
    test_support::Type(w, "E_valTo", "20");
    test_support::Type(w, "E_toSteps", "5");
    test_support::Type(w, "E_calcVals", "2");
    QCOMPARE(text(w, "Lbl_proceed"), QString("/ 4"));
    test_support::Click(w, "B_start");
    QVERIFY(test_support::RunUntil([&] { return !w.timer()->isActive(); }));
    ui::chart::ChartView& view = *w.chartGrowth();
    QStringList titles;
    for (int s = 0; s < view.seriesCount(); ++s) titles << view.seriesTitle(s);
    QCOMPARE(titles, QStringList({"dense", "10", "20", "temp", "temp"}));
    QCOMPARE(view.seriesAxis(0), measures::Axis::Left);
    QCOMPARE(view.seriesAxis(1), measures::Axis::Right);
    QCOMPARE(xs(view, 1), QList<double>({1, 2, 3, 4, 5}));
    QCOMPARE(view.pointCount(0), 5);  // the density of the last calculation
    QCOMPARE(view.pointCount(3), 0);  // the temp lines gave way to the value's line
    QCOMPARE(view.title(), QStringList("segregation index with different densities"));
    QVERIFY(view.chart()->legend()->isVisible());
    QStringList legend;
    for (QLegendMarker* marker : view.chart()->legend()->markers()) {
      if (marker->isVisible()) legend << marker->label();
    }
    QCOMPARE(legend, QStringList({"dense", "10", "20"}));
  }

  void streetsPlotClustersAgainstStreetCells() {
    ui::StreetsWindow& w = streets();
    test_support::Type(w, "E_valFrom", "1");
    test_support::Type(w, "E_valTo", "2");
    test_support::Type(w, "E_toSteps", "3");
    test_support::Type(w, "E_calcVals", "1");
    test_support::Click(w, "S_start");
    QVERIFY(test_support::RunUntil([&] { return !w.timer()->isActive(); }));
    ui::chart::ChartView& view = *w.chartStreets();
    QCOMPARE(view.pointCount(0), 2);
    // Every point stands at the street cells its layout covered.
    QCOMPARE(view.point(0, 1).x(), static_cast<double>(windows_->sim().world.StreetCellCount));
    QCOMPARE(view.pointCount(1), 2);
    QCOMPARE(view.title(), QStringList("Streets - Clusters Relationship"));
    QCOMPARE(text(w, "Lbl_akt"), QString("2"));
  }

  void stabilityChecksItsIncrementsAndThirdParameter() {
    ui::StabilityWindow& w = stability();
    test_support::Find<QCheckBox>(w, "Cb_acti3d")->click();
    test_support::Type(w, "E_thirdTo", "46");  // recomputes the total with the passes
    QCOMPARE(text(w, "Lbl_proceed"), QString("/ 2310"));
    test_support::Click(w, "S_start");
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(messages_[0].Text, QString("please select a parameter"));
    QVERIFY(!w.timer()->isActive());
    test_support::Type(w, "E_thirdIncre", "0");
    QCOMPARE(messages_.size(), 2);
    QCOMPARE(messages_[1].Caption, QString("missing value"));
    QCOMPARE(messages_[1].Text, QString("increments have to be > 0"));
    QCOMPARE(text(w, "Lbl_proceed"), QString("/ 2310"));
  }

  void stabilitySaveFailurePausesOnceAndResumes() {
    ui::StabilityWindow& w = stability();
    test_support::Type(w, "E_valTo", "26");
    test_support::Type(w, "E_toSteps", "1");
    test_support::Type(w, "E_calcRds", "1");
    // The folders beside the program are missing: the pass's save fails.
    test_support::Click(w, "S_start");
    QCOMPARE(field(main(), "E_stopT"), QString("1"));
    QVERIFY(test_support::RunUntil([&] { return !w.timer()->isActive(); }));
    QVERIFY(!w.model().Ended());
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_[0].Text.startsWith("Datei \""));
    QVERIFY(messages_[0].Text.contains("kann nicht erstellt werden."));
    QCOMPARE(w.chartStability()->pointCount(0), 2);
    // With the folders there, "start / stop" takes the save up again and ends.
    test_support::MakeOutputFolders();
    test_support::Click(w, "S_break");
    QVERIFY(test_support::RunUntil([&] { return !w.timer()->isActive(); }));
    QVERIFY(w.model().Ended());
    QCOMPARE(messages_.size(), 1);
    const QDir pictures(test_support::ProgramFolder().filePath("pictures"));
    QCOMPARE(pictures.entryList(QDir::Files),
             QStringList({"01_01_main_please enter name.jpg", "01_01_stability_please enter name.jpg"}));
    QCOMPARE(QImage(pictures.filePath("01_01_stability_please enter name.jpg")).size(), QSize(1016, 690));
    QCOMPARE(QImage(pictures.filePath("01_01_main_please enter name.jpg")).size(), QSize(924, 711));
    // A run without a third parameter leaves the surface's box unchecked.
    QVERIFY(!test_support::Find<QCheckBox>(main(), "cb_save_3DSurf")->isChecked());
  }

  void saveSnapshotsBeforeAnyStartUsesPassZero() {
    test_support::MakeOutputFolders();
    for (const char* box : {"cb_save_basic", "cb_save_paraSp", "cb_save_growth", "cb_save_streets"}) {
      test_support::Find<QCheckBox>(main(), box)->click();
    }
    test_support::Click(stability(), "B_saveSnap");
    QVERIFY(messages_.isEmpty());
    const QDir pictures(test_support::ProgramFolder().filePath("pictures"));
    QCOMPARE(pictures.entryList(QDir::Files).size(), 7);
    QCOMPARE(QImage(pictures.filePath("01_00_paraSpace_please enter name.jpg")).size(), QSize(1000, 700));
    QCOMPARE(QImage(pictures.filePath("01_00_growth_please enter name.jpg")).size(), QSize(1024, 358));
    // Without OpenGL the 3-D window is pictured with its notice.
    QCOMPARE(QImage(pictures.filePath("01_00_stabSurf3D_please enter name.jpg")).size(), QSize(1016, 666));
    QVERIFY(QFile::exists(test_support::ProgramFolder().filePath("data/01_00_stabSurf3D_please enter name.xls")));
  }

  void surfaceWindowShowsANoticeWithoutOpenGL() {
    test_support::Click(stability(), "Button1");
    QVERIFY(surface().isVisible());
    QVERIFY(surface().surface() == nullptr);
    QVERIFY(surface().notice() != nullptr);
    QVERIFY(surface().notice()->isVisible());
    QCOMPARE(surface().title()->text(), QString("Stability Surface"));
  }

  void aPictureShowsTheChartsWhileHidden() {
    ui::StreetsWindow& w = streets();
    QVERIFY(w.isHidden());
    const display::RgbImage picture = w.picture();
    QCOMPARE(picture.Width, 1016);
    QCOMPARE(picture.Height, 360);
    // The chart's white plot against the window's grey background.
    QCOMPARE(picture.At(400, 170), world::kWhite);
    QVERIFY(picture.At(1012, 356) != world::kWhite);
  }
};

QTEST_MAIN(ExperimentWindowsTest)
#include "experiment_windows_test.moc"
