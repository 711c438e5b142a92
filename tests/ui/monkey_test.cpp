// A monkey at the keyboard and mouse: thousands of random events on every
// window — typed text, clicks on every button and box, up-down arrows,
// track bars, combo choices, drags on the panel and the charts, windows
// opened and closed, experiments started and stopped — with every message
// box answered. It passes when nothing crashes, no event takes more than a
// few seconds (ten by default: the machine may be busy), and the world is
// still consistent afterwards.
#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSlider>
#include <QTableWidget>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <typeinfo>

#include "tests/support/world_invariants.h"
#include "ui/main_window.h"
#include "ui/windows.h"
#include "ui/world_panel.h"

namespace {

// VICINARA_MONKEY_EVENTS and VICINARA_MONKEY_SEED make longer or other runs by hand.
int Events() {
  const QByteArray n = qgetenv("VICINARA_MONKEY_EVENTS");
  return n.isEmpty() ? 3000 : n.toInt();
}

// How long one event may take before the run counts as hung.
qint64 LimitMs() {
  const QByteArray n = qgetenv("VICINARA_MONKEY_LIMIT_MS");
  return n.isEmpty() ? 10000 : n.toLongLong();
}

unsigned Seed() {
  const QByteArray n = qgetenv("VICINARA_MONKEY_SEED");
  return n.isEmpty() ? 20261209u : n.toUInt();
}

}  // namespace

class MonkeyTest : public QObject {
  Q_OBJECT

 private:
  std::mt19937 random_{Seed()};
  int messages_ = 0;

  int pick(int n) { return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(random_); }

  QString randomText() {
    static const char* const pool[] = {"",  "0",   "1",     "2",   "3",   "5",     "7",    "10",   "20",  "34",
                                       "50", "100", "12000", "-1",  "-20", "0,5",   "1,5",  "-1,00", "abc", "999",
                                       "+1", "1e3", " ",     "4",   "6",   "30",    "1000", "25",   "45",  "0,33",
                                       // Extreme values: none may exhaust memory or end the program.
                                       "2147483647", "9223372036854775807", "1e308", "-1e308", "5000", "2000000000"};
    QString text = pool[pick(sizeof pool / sizeof *pool)];
    if (pick(10) == 0) text += QChar('0' + pick(10));
    return text;
  }

  template <typename T>
  T* any(QWidget* window) {
    const QList<T*> found = window->findChildren<T*>();
    return found.isEmpty() ? nullptr : found[pick(static_cast<int>(found.size()))];
  }

  // Does one random thing and says what, for the report of a slow event.
  QString act(ui::Windows& windows) {
    const auto& all = windows.all();
    QWidget* window = all[static_cast<std::size_t>(pick(static_cast<int>(all.size())))];
    QString what = window->objectName() + ": ";
    switch (pick(12)) {
      case 0:
      case 1:
        if (auto* edit = any<QLineEdit>(window); edit && edit->isEnabled()) {
          edit->setFocus();
          edit->selectAll();
          const QString text = randomText();
          what += "type '" + text + "' into " + edit->objectName();
          QTest::keyClicks(edit, text);
        }
        break;
      case 2:
      case 3:
      case 4:
        if (auto* button = any<QAbstractButton>(window); button && button->isEnabled()) {
          what += "click " + button->objectName() + " " + button->text();
          button->click();
        }
        break;
      case 5:
        if (auto* slider = any<QSlider>(window)) {
          what += "slide " + slider->objectName();
          slider->setValue(pick(slider->maximum() + 2) - 1);
        }
        break;
      case 6:
        if (auto* combo = any<QComboBox>(window); combo && combo->count() > 0) {
          const int index = pick(combo->count());
          what += QString("choose %1 in ").arg(index) + combo->objectName();
          combo->setCurrentIndex(index);
          emit combo->activated(index);
        }
        break;
      case 7:
        if (auto* table = any<QTableWidget>(window); table && table->rowCount() > 0 && table->columnCount() > 0) {
          if (auto* item = table->item(pick(table->rowCount()), pick(table->columnCount()))) {
            const QString text = randomText();
            what += "write '" + text + "' into " + table->objectName();
            item->setText(text);
          }
        }
        break;
      case 8: {
        // A drag on the panel or on a chart, with any button, inside or outside.
        QWidget* target = window->findChild<ui::WorldPanel*>();
        if (!target || pick(2)) {
          const QList<QWidget*> views = window->findChildren<QWidget*>();
          QList<QWidget*> charts;
          for (QWidget* w : views) {
            if (w->inherits("QChartView")) charts.push_back(w);
          }
          if (!charts.isEmpty()) target = charts[pick(static_cast<int>(charts.size()))];
        }
        if (!target || !target->isVisible()) break;
        const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        const Qt::MouseButton button = buttons[pick(3)];
        const QPoint from(pick(target->width() + 40) - 20, pick(target->height() + 40) - 20);
        const QPoint to(pick(target->width() + 40) - 20, pick(target->height() + 40) - 20);
        what += "drag on " + target->objectName();
        QTest::mousePress(target, button, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), target->mapToGlobal(QPointF(to)), Qt::NoButton, button,
                         Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QTest::mouseRelease(target, button, {}, to);
        break;
      }
      case 9:
        if (pick(3) == 0) {
          what += "close";
          window->close();
        } else {
          what += "show";
          window->show();
        }
        break;
      default:
        // Let the timers run: steps of the world and of running experiments.
        what += "wait";
        QTest::qWait(pick(8));
    }
    return what;
  }

 private slots:
  void randomEventsBreakNothing() {
    ui::Windows windows(
        [this](QWidget*, const QString&, const QString& text) {
          ++messages_;
          // A fault of the program, caught at an event boundary: the run
          // goes on as the user's would, but the log names it.
          if (text.startsWith("internal error")) qWarning("message: %s", qPrintable(text));
        },
        [] { return std::uint64_t{42}; });
    windows.main().show();
    // A smaller world keeps the monkey quick; it may change that itself.
    auto& controls = windows.sim().controls;
    controls.SetByUser("Edit_cellSiz", "12");
    controls.SetByUser("Edit_anzAg", "2000");
    windows.sim().NewSetup();

    const int events = Events();
    // A hung event aborts the run, so that a debugger shows where it hangs.
    std::atomic<long long> eventStart{0};
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
      using namespace std::chrono;
      while (!done) {
        std::this_thread::sleep_for(milliseconds(200));
        const long long started = eventStart;
        const long long now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        if (started && now - started > 60000) {
          std::fprintf(stderr, "an event hangs for a minute\n");
          std::abort();
        }
      }
    });
    qint64 slowest = 0;
    QString slowEvent, escaped;
    QElapsedTimer clock;
    for (int i = 0; i < events; ++i) {
      clock.start();
      eventStart = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                       .count();
      QString what;
      try {
        what = act(windows);
        QCoreApplication::processEvents();
      } catch (const std::exception& e) {
        // Nothing may escape an event handler: Qt would end the program.
        escaped = QString("event %1 (%2) let through %3: %4").arg(i).arg(what).arg(typeid(e).name()).arg(e.what());
        break;
      }
      const qint64 took = clock.elapsed();
      slowest = std::max(slowest, took);
      eventStart = 0;
      if (took > 1000) qInfo("event %d (%s) took %lld ms", i, qPrintable(what), took);
      if (took >= LimitMs()) {
        slowEvent = QString("event %1 (%2) took %3 ms").arg(i).arg(what).arg(took);
        break;
      }
    }
    done = true;
    watchdog.join();
    QVERIFY2(escaped.isEmpty(), qPrintable(escaped));
    QVERIFY2(slowEvent.isEmpty(), qPrintable(slowEvent));
    const std::string broken = test_support::BrokenWorldInvariant(windows.sim().world);
    QVERIFY2(broken.empty(), broken.c_str());
    if (qEnvironmentVariableIsSet("VICINARA_MONKEY_DUMP")) {
      const auto& w = windows.sim().world;
      qInfo("grid %dx%d radius %d groups %d agents %d cellsize %d individual %d timer %d", w.GridCols, w.GridRows,
            w.NbRadius, w.GroupCount, w.NumberOfAgents(), w.CellSize,
            int(controls.Checked(simulation::MainControl::IndividualThresholds)),
            int(controls.Checked(simulation::MainControl::Timer)));
      for (const char* n : {"Edit_nRad", "Edit_cellSiz", "Edit_anzAg", "Edit_anzGr", "Edit_mDist", "CB_actiGrow", "E_growRate"})
        qInfo("%s = %s", n, controls.Text(n).c_str());
    }
    qInfo("%d events, %d messages answered, slowest event %lld ms", events, messages_, slowest);
  }
};

int main(int argc, char** argv) {
  // Each event is watched above; a long run by hand may well take more than
  // the five minutes QtTest grants a test function.
  if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT")) qputenv("QTEST_FUNCTION_TIMEOUT", "86400000");
  QApplication app(argc, argv);
  MonkeyTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "monkey_test.moc"
