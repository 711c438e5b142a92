#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>
#include <QtTest>

#include "experiment_test_support.h"
#include "ui/main_window.h"
#include "ui/stability_window.h"
#include "ui/surface_window.h"
#include "ui/windows.h"

namespace {

// Distinct colours in a rectangle of a picture: a rendered surface has many.
int Colours(const display::RgbImage& picture, const QRect& area) {
  QSet<world::ColorRef> seen;
  for (int y = area.top(); y <= area.bottom(); y += 3) {
    for (int x = area.left(); x <= area.right(); x += 3) seen.insert(picture.At(x, y));
  }
  return static_cast<int>(seen.size());
}

}  // namespace

// The 3-D surface window on a real (virtual) X server with Mesa's software
// OpenGL, fed by the stability experiment on a shrunken world.
class SurfaceWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ui::Windows> windows_;
  QStringList messages_;

  ui::MainWindow& main() { return windows_->main(); }
  ui::StabilityWindow& stability() { return *static_cast<ui::StabilityWindow*>(windows_->all()[5]); }
  ui::SurfaceWindow& surface() { return *static_cast<ui::SurfaceWindow*>(windows_->all()[6]); }

 private slots:
  void init() {
    messages_.clear();
    windows_ = std::make_unique<ui::Windows>(
        [this](QWidget*, const QString&, const QString& text) { messages_ << text; },
        [n = std::uint64_t{5}]() mutable { return n++; });
    test_support::ShrinkWorld(main());
    test_support::RemoveOutputFolders();
  }
  void cleanup() {
    windows_.reset();
    test_support::RemoveOutputFolders();
  }

  void makesTheSurfaceViewWithItsAxes() {
    QVERIFY(ui::SurfaceWindow::openGLUsable());
    QVERIFY(surface().surface() == nullptr);  // made when first needed
    QVERIFY(surface().ensureView());
    Q3DSurface* graph = surface().surface();
    QVERIFY(graph != nullptr);
    QVERIFY(surface().notice() == nullptr);
    QCOMPARE(graph->axisX()->title(), QString("tolerance values"));
    QCOMPARE(graph->axisY()->title(), QString("average segregation indices"));
    QVERIFY(graph->axisY()->reversed());
    QCOMPARE(graph->axisZ()->title(), QString("choosen third param."));
    QVERIFY(graph->axisZ()->reversed());
    QVERIFY(graph->axisZ()->isTitleVisible());
    QCOMPARE(graph->activeTheme()->windowColor(), QColor(Qt::white));
    QCOMPARE(surface().title()->text(), QString("Stability Surface"));
    QCOMPARE(surface().series()->dataProxy()->rowCount(), 0);
  }

  void rowsOfDifferentLengthsArePadded() {
    experiments::StabilitySurface& data = surface().model();
    data.AddRow();
    for (int x = 25; x <= 27; ++x) data.AddPoint({double(x), 0.2 + 0.01 * x, 2});
    data.AddRow();
    for (int x = 25; x <= 26; ++x) data.AddPoint({double(x), 0.5, 3});
    data.AddRow();  // a pass that added nothing
    const display::RgbImage picture = surface().picture();
    QSurfaceDataProxy* proxy = surface().series()->dataProxy();
    QCOMPARE(proxy->rowCount(), 2);
    QCOMPARE(proxy->columnCount(), 3);
    // The short row repeats its last point.
    QCOMPARE(proxy->itemAt(1, 2)->position(), QVector3D(26, 0.5f, 3));
    QCOMPARE(picture.Width, 1016);
    QCOMPARE(picture.Height, 666);
    // The surface is rendered into the picture, which a plain grab leaves blank.
    QVERIFY(Colours(picture, QRect(20, 60, 980, 580)) > 20);
  }

  void stabilitySweepFillsTheSurfaceAndSavesItOnce() {
    test_support::MakeOutputFolders();
    ui::StabilityWindow& w = stability();
    test_support::Type(w, "E_valTo", "26");
    test_support::Type(w, "E_toSteps", "1");
    test_support::Type(w, "E_calcRds", "1");
    test_support::Find<QCheckBox>(w, "Cb_acti3d")->click();
    test_support::Choose(w, "CB_param", 3);
    test_support::Type(w, "E_thirdFrom", "2");
    test_support::Type(w, "E_thirdTo", "3");
    test_support::Find<QPushButton>(w, "Button1")->click();
    QVERIFY(surface().isVisible());
    test_support::Find<QPushButton>(w, "S_start")->click();
    QVERIFY(test_support::RunUntil([&] { return w.model().Ended(); }));
    QVERIFY(messages_.isEmpty());

    QCOMPARE(surface().title()->text(), QString("Stability Landscape for \"move distance\""));
    QSurfaceDataProxy* proxy = surface().series()->dataProxy();
    QCOMPARE(proxy->rowCount(), 2);
    QCOMPARE(proxy->columnCount(), 2);
    QCOMPARE(proxy->itemAt(0, 0)->x(), 25.0f);
    QCOMPARE(proxy->itemAt(1, 1)->z(), 3.0f);
    QVERIFY(test_support::Find<QCheckBox>(main(), "cb_save_3DSurf")->isChecked());
    // Per pass without the surface; at the end once more, with it.
    const QDir pictures(test_support::ProgramFolder().filePath("pictures"));
    QCOMPARE(pictures.entryList(QDir::Files),
             QStringList({"01_01_main_please enter name.jpg", "01_01_stability_please enter name.jpg",
                          "01_02_main_please enter name.jpg", "01_02_stability_please enter name.jpg",
                          "01_02_stabSurf3D_please enter name.jpg"}));
    const QImage saved(pictures.filePath("01_02_stabSurf3D_please enter name.jpg"));
    QCOMPARE(saved.size(), QSize(1016, 666));
    QCOMPARE(QDir(test_support::ProgramFolder().filePath("data")).entryList(QDir::Files),
             QStringList("01_02_stabSurf3D_please enter name.xls"));
  }
};

QTEST_MAIN(SurfaceWindowTest)
#include "surface_window_test.moc"
