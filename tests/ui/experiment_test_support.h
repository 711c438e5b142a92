#pragma once

// What the experiment window tests share: finding widgets, acting on them as
// a user does, running the windows' timers until an experiment gets somewhere,
// and the folders beside the program that SaveWindows writes into.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "ui/main_window.h"

namespace test_support {

// Longest an experiment of the shrunken world may take before a test gives up.
inline constexpr int kPatienceMs = 60000;

template <typename T>
T* Find(QWidget& window, const char* name) {
  T* w = window.findChild<T*>(name);
  if (!w) qFatal("no widget %s", name);
  return w;
}

// Replaces the field's text by typing it, as a user does.
inline void Type(QWidget& window, const char* name, const QString& text) {
  auto* e = Find<QLineEdit>(window, name);
  e->setFocus();
  e->selectAll();
  QTest::keyClicks(e, text);
}

inline void Click(QWidget& window, const char* name) {
  QTest::mouseClick(Find<QAbstractButton>(window, name), Qt::LeftButton);
}

inline void Choose(QWidget& window, const char* combo, int index) {
  auto* box = Find<QComboBox>(window, combo);
  box->setCurrentIndex(index);
  emit box->activated(index);
}

// A world of 20 x 20 cells and 300 agents, painted only when asked, set
// through the main window's own fields; its run stopped.
inline void ShrinkWorld(ui::MainWindow& main) {
  main.timer1()->stop();
  Type(main, "Edit_cellSiz", "34");
  Type(main, "Edit_anzAg", "300");
  Find<QCheckBox>(main, "CB_graphicUpd")->click();
}

// Runs the event loop, and with it the windows' timers, until done() holds;
// false when it does not within kPatienceMs.
inline bool RunUntil(const std::function<bool()>& done) {
  QTimer watchdog;
  watchdog.setSingleShot(true);
  bool gaveUp = false;
  QObject::connect(&watchdog, &QTimer::timeout, [&] { gaveUp = true; });
  watchdog.start(kPatienceMs);
  while (!done() && !gaveUp) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return !gaveUp;
}

inline QDir ProgramFolder() { return QDir(QCoreApplication::applicationDirPath()); }

inline void RemoveOutputFolders() {
  for (const char* name : {"pictures", "data"}) QDir(ProgramFolder().filePath(name)).removeRecursively();
}

inline void MakeOutputFolders() {
  for (const char* name : {"pictures", "data"}) ProgramFolder().mkpath(name);
}

}  // namespace test_support
