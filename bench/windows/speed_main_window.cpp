// What the main window costs per step next to the step itself, at the
// defaults with "run with graphic", "show agents" and "show rent landscape"
// checked: the same world stepped without the window, then run by Timer1
// with the window shown. A measurement to read, not a test.
//
//   QT_QPA_PLATFORM=offscreen speed_main_window [seconds per phase]

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>

#include "speed_support.h"
#include "ui/main_window.h"
#include "ui/windows.h"

namespace {

// Adds up the processor time of every event the loop delivers, by kind.
class Application : public QApplication {
 public:
  using QApplication::QApplication;
  std::map<std::string, double> Seconds;
  bool Counting = false;

  bool notify(QObject* receiver, QEvent* event) override {
    if (!Counting || depth_ > 0) return QApplication::notify(receiver, event);
    ++depth_;
    // Named before delivery: a single-shot timer deletes itself.
    const std::string kind = event->type() == QEvent::Timer
                                 ? "timer " + receiver->objectName().toStdString()
                                 : "event " + std::to_string(int(event->type()));
    const std::clock_t start = std::clock();
    const bool done = QApplication::notify(receiver, event);
    Seconds[kind] += static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    --depth_;
    return done;
  }

 private:
  int depth_ = 0;
};

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  Application app(argc, argv);
  const int seconds = bench::PhaseSeconds(argc, argv);
  const auto owned = bench::MeasuredWindows();
  ui::Windows& windows = *owned;
  simulation::Simulation& sim = windows.sim();
  sim.controls.SetText(simulation::MainControl::StopStep, "100000000");
  for (const char* box : {"CB_graphicUpd", "CB_showAgs", "CB_showRentSc"}) sim.controls.SetChecked(box, true);
  windows.main().timer1()->stop();
  // Shown once first: showing the window converts the individual thresholds.
  windows.main().show();
  // Past the unsettled first steps, which cost more.
  for (int i = 0; i < 2000; ++i) sim.TimeStep();

  for (int round = 0; round < 3; ++round) {
    // The step alone, window hidden.
    windows.main().hide();
    int first = sim.world.StepCount;
    double cpu = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    while (wall.elapsed() < seconds * 1000) sim.TimeStep();
    const double alone = (sim.world.StepCount - first) / (CpuSeconds() - cpu);
    const double aloneWall = (sim.world.StepCount - first) * 1000.0 / wall.elapsed();

    // Timer1 with the window shown.
    windows.main().show();
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();
    app.Seconds.clear();
    app.Counting = true;
    first = sim.world.StepCount;
    cpu = CpuSeconds();
    wall.restart();
    windows.main().timer1()->start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    windows.main().timer1()->stop();
    app.Counting = false;
    const double steps = sim.world.StepCount - first;
    const double cpuUsed = CpuSeconds() - cpu;
    const double shownWall = steps * 1000.0 / wall.elapsed();
    const double perStep = cpuUsed / steps * 1e3;
    const double stepCost = 1e3 / alone;
    std::printf("without window: %.0f steps/s (%.0f per processor second), %.3f ms a step\n", aloneWall, alone,
                stepCost);
    std::printf("with window:    %.0f steps/s (%.0f per processor second), %.3f ms a step of which the window"
                " and event loop %.3f ms (%.0f %% of the step)\n",
                shownWall, steps / cpuUsed, perStep, perStep - stepCost, (perStep - stepCost) / stepCost * 100);
    for (const auto& [kind, s] : app.Seconds)
      if (s * 1e3 / steps > 0.002) std::printf("  %-28s %.3f ms a step\n", kind.c_str(), s * 1e3 / steps);
  }
  return 0;
}
