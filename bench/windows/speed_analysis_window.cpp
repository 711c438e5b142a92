// Steps per second of the running program with the analysis window closed
// and open: the real event loop, Timer1 at 1 ms, the window refreshing at
// its own pace. A measurement to read, not a test: it asserts nothing.
//
//   QT_QPA_PLATFORM=offscreen speed_analysis_window [seconds per phase]

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "speed_support.h"
#include "ui/analysis_window.h"
#include "ui/main_window.h"
#include "ui/windows.h"

namespace {

// Adds up the time the event loop spends on events for the analysis window
// and its charts, wherever they come from (its refresh timer, painting).
class Application : public QApplication {
 public:
  using QApplication::QApplication;
  QWidget* watched = nullptr;
  qint64 watchedNanoseconds = 0;

  bool notify(QObject* receiver, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(receiver);
    const bool mine = watched && (receiver == watched || (widget && widget->window() == watched) ||
                                  receiver->parent() == watched);
    if (!mine || depth_ > 0) return QApplication::notify(receiver, event);
    ++depth_;
    QElapsedTimer t;
    t.start();
    const bool done = QApplication::notify(receiver, event);
    watchedNanoseconds += t.nsecsElapsed();
    --depth_;
    return done;
  }

 private:
  int depth_ = 0;
};

struct Speed {
  double Wall = 0;  // steps per second
  double Cpu = 0;   // steps per second of the process's processor time: less
                    // disturbed by other programs on a busy machine
};

Speed StepsPerSecond(ui::Windows& windows, int milliseconds) {
  simulation::Simulation& sim = windows.sim();
  const int first = sim.world.StepCount;
  const std::clock_t cpu = std::clock();
  QElapsedTimer clock;
  clock.start();
  windows.main().timer1()->start();
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
  windows.main().timer1()->stop();
  const double steps = sim.world.StepCount - first;
  const double cpuSeconds = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
  return {steps * 1000.0 / static_cast<double>(clock.elapsed()), cpuSeconds > 0 ? steps / cpuSeconds : 0};
}

}  // namespace

int main(int argc, char** argv) {
  Application app(argc, argv);
  const int seconds = bench::PhaseSeconds(argc, argv);
  const auto owned = bench::MeasuredWindows();
  ui::Windows& windows = *owned;
  windows.sim().controls.SetText(simulation::MainControl::StopStep, "1000000");
  windows.main().show();
  auto* analysis = static_cast<ui::AnalysisWindow*>(windows.all()[1]);
  app.watched = analysis;
  const int ms = seconds * 1000;
  for (int round = 0; round < 2; ++round) {
    analysis->hide();
    const Speed closed = StepsPerSecond(windows, ms);
    const int closedAt = windows.sim().world.StepCount;
    analysis->show();
    app.watchedNanoseconds = 0;
    const Speed open = StepsPerSecond(windows, ms);
    std::printf("time on the analysis window while open: %.1f %%\n", app.watchedNanoseconds / 1e4 / ms);
    std::printf("steps/s (per processor second): window closed %.1f (%.1f) until step %d, open %.1f (%.1f) until step %d\n",
                closed.Wall, closed.Cpu, closedAt, open.Wall, open.Cpu, windows.sim().world.StepCount);
  }
  return 0;
}
