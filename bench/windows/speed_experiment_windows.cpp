// Wall time of each experiment window's default experiment on the default
// world, with "run with graphic (slower)" off, driven by the windows' own
// timers; run by hand:
//
//   speed_experiment_windows [ps|growth|streets|stability|surface ...] [--pictures FOLDER] [--limit SECONDS]
//                            [--set FIELD=TEXT ...]
//
// --set types TEXT into the field of that name of every window run (for a
// shorter run: --set E_toSteps=50).
// A run still going after --limit seconds (default 1800) is paused there and
// reported with the progress it had made (the stability experiment waits for
// a world that settles, which a large one may not do).
// "surface" runs a small stability sweep over " move distance" (two
// thresholds, two passes) to fill the 3-D window; it needs OpenGL (run it
// under xvfb-run). With --pictures every window run is saved as FOLDER/NAME.png
// afterwards, the window's picture as SaveWindows takes it. Prints one line
// per window and asserts nothing.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>

#include "ui/experiment_window.h"
#include "ui/main_window.h"
#include "ui/stability_window.h"
#include "ui/surface_window.h"
#include "ui/windows.h"

namespace {

QImage ToQImage(const display::RgbImage& picture) {
  return QImage(picture.Pixels.data(), picture.Width, picture.Height, picture.Stride(), QImage::Format_RGB888).copy();
}

void Type(QWidget& window, const char* name, const QString& text) {
  auto* edit = window.findChild<QLineEdit*>(name);
  edit->setText(text);
  emit edit->textEdited(text);
}

void Choose(QWidget& window, int index) {
  auto* combo = window.findChild<QComboBox*>("CB_param");
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

// Clicks "new start" and runs the event loop until the window's timer
// stops, or pauses the run after limitMs.
double Run(ui::ExperimentWindow& window, const char* start, qint64 limitMs) {
  QElapsedTimer clock;
  clock.start();
  window.findChild<QPushButton*>(start)->click();
  while (window.timer()->isActive()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (clock.elapsed() > limitMs) window.startStop();
  }
  return static_cast<double>(clock.elapsed()) / 1000.0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList names;
  QString pictures;
  qint64 limitMs = 1800 * 1000;
  QList<QStringList> sets;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--pictures" && i + 1 < args.size()) {
      pictures = args[++i];
    } else if (args[i] == "--set" && i + 1 < args.size()) {
      sets << args[++i].split('=');
    } else if (args[i] == "--limit" && i + 1 < args.size()) {
      limitMs = args[++i].toLongLong() * 1000;
    } else {
      names << args[i];
    }
  }
  if (names.isEmpty()) names = {"ps", "growth", "streets", "stability"};

  ui::Windows windows([](QWidget*, const QString& caption, const QString& text) {
    std::fprintf(stderr, "message (%s): %s\n", qPrintable(caption), qPrintable(text));
  });
  // Showing the main window converts the tolerances, as at the program's start.
  windows.main().show();
  windows.main().timer1()->stop();
  windows.main().findChild<QCheckBox*>("CB_graphicUpd")->click();
  auto* parameterSpace = static_cast<ui::ExperimentWindow*>(windows.all()[2]);
  auto* growth = static_cast<ui::ExperimentWindow*>(windows.all()[3]);
  auto* streets = static_cast<ui::ExperimentWindow*>(windows.all()[4]);
  auto* stability = static_cast<ui::StabilityWindow*>(windows.all()[5]);
  auto* surface = static_cast<ui::SurfaceWindow*>(windows.all()[6]);
  // The stability experiment saves pictures beside the program; it should not stop for want of a folder.
  for (const char* folder : {"pictures", "data"}) QDir(QCoreApplication::applicationDirPath()).mkpath(folder);

  for (auto* window : {parameterSpace, growth, streets, static_cast<ui::ExperimentWindow*>(stability)}) {
    for (const QStringList& set : sets) {
      if (set.size() == 2 && window->findChild<QLineEdit*>(set[0])) Type(*window, qPrintable(set[0]), set[1]);
    }
  }
  for (const QString& name : names) {
    ui::ExperimentWindow* window = nullptr;
    double seconds = 0;
    if (name == "ps") {
      window = parameterSpace;
      Choose(*window, 0);
      seconds = Run(*window, "B_start", limitMs);
    } else if (name == "growth") {
      window = growth;
      seconds = Run(*window, "B_start", limitMs);
    } else if (name == "streets") {
      window = streets;
      seconds = Run(*window, "S_start", limitMs);
    } else if (name == "stability" || name == "surface") {
      window = stability;
      if (name == "surface") {
        window->findChild<QCheckBox*>("Cb_acti3d")->click();
        Choose(*window, 3);
        Type(*window, "E_valTo", "27");
        Type(*window, "E_thirdFrom", "10");
        Type(*window, "E_thirdTo", "14");
        Type(*window, "E_thirdIncre", "2");
      }
      seconds = Run(*window, "S_start", limitMs);
    } else {
      std::fprintf(stderr, "unknown window %s\n", qPrintable(name));
      return 2;
    }
    const QString progress =
        window->findChild<QLabel*>("Lbl_akt")->text() + " " + window->findChild<QLabel*>("Lbl_proceed")->text();
    std::printf("%-10s %8.1f s  %s%s\n", qPrintable(name), seconds, qPrintable(progress),
                seconds * 1000 > limitMs ? "  (paused at the limit)" : "");
    std::fflush(stdout);
    if (!pictures.isEmpty()) {
      QDir().mkpath(pictures);
      ToQImage(window->picture()).save(QDir(pictures).filePath(name + ".png"));
      if (name == "surface") ToQImage(surface->picture()).save(QDir(pictures).filePath("surface3d.png"));
    }
  }
  return 0;
}
