// Steps per second of the running program with the analysis window closed
// and open: the real event loop, Timer1 at 1 ms, the window refreshing at
// its own pace. A measurement to read, not a test: it asserts nothing.
//
//   QT_QPA_PLATFORM=offscreen speed_analysis_window [seconds per phase]

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "ui/Analyse.h"
#include "ui/CellForm.h"
#include "ui/windows.h"

namespace {

double StepsPerSecond(ui::Windows& windows, int milliseconds) {
  simulation::Simulation& sim = windows.sim();
  const int first = sim.world.StepCount;
  QElapsedTimer clock;
  clock.start();
  windows.main().timer1()->start();
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
  windows.main().timer1()->stop();
  return (sim.world.StepCount - first) * 1000.0 / static_cast<double>(clock.elapsed());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
  ui::Windows windows([](QWidget*, const QString&, const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); },
                      [] { return std::uint64_t{7}; });
  windows.sim().controls.SetText("E_stopT", "1000000");
  windows.main().show();
  auto* analysis = static_cast<ui::TForm2*>(windows.all()[1]);
  const int ms = seconds * 1000;
  for (int round = 0; round < 2; ++round) {
    analysis->hide();
    const double closed = StepsPerSecond(windows, ms);
    const int closedAt = windows.sim().world.StepCount;
    analysis->show();
    const double open = StepsPerSecond(windows, ms);
    std::printf("steps/s: window closed %.1f (until step %d), window open %.1f (until step %d)\n", closed, closedAt,
                open, windows.sim().world.StepCount);
  }
  return 0;
}
