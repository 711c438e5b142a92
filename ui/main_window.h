#pragma once

// The main window "Vicinara" (TForm1), the program's first window.

#include <QTimer>
#include <QWidget>
#include <functional>

#include "binding.h"
#include "simulation/simulation.h"
#include "display/world_image.h"
#include "message_box.h"
#include "streets/editing.h"

class QGroupBox;
class QLabel;
class QLineEdit;

namespace ui {

class MultiLineTabs;
class WorldPanel;

// The windows the main window's buttons show; set once they exist.
struct OtherWindows {
  QWidget* Analysis = nullptr;         // TForm2
  QWidget* ParameterSpace = nullptr;   // TForm3
  QWidget* Growth = nullptr;           // TForm4
  QWidget* Streets = nullptr;          // TForm5
  QWidget* Stability = nullptr;        // TForm6
  QWidget* Tolerance = nullptr;        // TForm8
  QWidget* GroupSizes = nullptr;       // TForm9
};

// The main window "Vicinara" (TForm1): the drawing panel, the five tabs of settings
// and the run controls. A thin view over the simulation and its control
// model; Timer1 runs a time step every millisecond while the model's
// "Timer1" entry is on.
class MainWindow : public QWidget {
  Q_OBJECT
 public:
  MainWindow(simulation::Simulation& sim, display::WorldImage& image, streets::StreetEditor& editor,
         MessageSink* sink, QWidget* parent = nullptr);
  ~MainWindow() override;

  void setOtherWindows(const OtherWindows& windows) { others_ = windows; }

  QTimer* timer1() { return &timer1_; }
  WorldPanel* panel() { return panel_; }
  Binder* binder() { return binder_; }

  // One tick of Timer1: a time step, then the panel catches up.
  void timer1Timer();

 signals:
  // The main window was closed: the program ends.
  void closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildSetupTab(QWidget* tab);
  void buildParameterTab(QWidget* tab);
  void buildAnalysisTab(QWidget* tab);
  void buildStreetsTab(QWidget* tab);
  void buildRentTab(QWidget* tab);
  void buildRunControls();
  void rebuildRentControls();

  // Small builders for the absolute layout of the form.
  QLineEdit* edit(QWidget* parent, const char* name, int x, int y, int width = 45);
  void editWithUpDown(QWidget* parent, const char* edit, const char* upDown, int x, int y, int width = 45);
  QLabel* label(QWidget* parent, const QString& text, int x, int y);
  QPushButton* button(QWidget* parent, const char* name, const QString& caption, int x, int y, int width = 95,
                      int height = 25);
  void check(QWidget* parent, const char* name, int x, int y, int width = 180);
  bool act(const std::function<void()>& action);
  void showWindow(QWidget* window);
  void worldChanged();

  simulation::Simulation& sim_;
  display::WorldImage& image_;
  streets::StreetEditor& editor_;
  MessageSink* sink_;
  Binder* binder_;
  OtherWindows others_;
  QTimer timer1_;
  WorldPanel* panel_ = nullptr;
  MultiLineTabs* pageControl_ = nullptr;
  QGroupBox* rentBox_ = nullptr;
  int listener_ = 0;
  bool shownOnce_ = false;
  bool rentRebuildPending_ = false;
};

}  // namespace ui
