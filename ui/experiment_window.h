#pragma once

// The frame the four experiment windows share: "Analyse Parameterspace"
// (TForm3), "Form4" (TForm4), "Analyse Street Effects" (TForm5) and "Analyse
// Stability" (TForm6) each add their settings and charts to it.

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRect>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "binding.h"
#include "chart/chart_view.h"
#include "display/rgb_image.h"
#include "experiments/experiment.h"
#include "forms.h"
#include "measures/charts.h"
#include "message_box.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QMouseEvent;

namespace ui {

// A window's picture as the saved files hold it: the whole client area as
// the window paints it, also while the window is hidden.
display::RgbImage WindowPicture(QWidget& window);
display::RgbImage ToRgbImage(const QImage& image);

QList<QPointF> ToQPoints(const measures::Series& points, std::size_t from = 0);

// What an experiment window shows of one chart's texts, and which of them it shows now.
class ChartTexts {
 public:
  // Titles and axis titles when they changed, the zoom undone when asked.
  void follow(chart::ChartView& view, const measures::Chart& labels);
  // Shows them again at the next follow (the view was rebuilt).
  void forget() { revision_ = ~std::uint64_t{0}; }

 private:
  std::uint64_t revision_ = ~std::uint64_t{0};
  std::uint64_t zoomResets_ = 0;
};

// Hands a logic series to one chart series in bulk, and only when the
// series' revision moved since it was last handed over.
class SeriesFollower {
 public:
  void follow(chart::ChartView& view, int s, const measures::Series& points, std::uint64_t revision);
  void forget() { revision_ = ~std::uint64_t{0}; }

 private:
  std::uint64_t revision_ = ~std::uint64_t{0};
};

// A series that only grows between resets (the stability experiment's
// change chart): the new points are appended; a new epoch, or fewer points
// than shown, replaces them all.
class TailFollower {
 public:
  void follow(chart::ChartView& view, int s, const measures::Series& points, std::uint64_t epoch);
  void forget() { epoch_ = ~std::uint64_t{0}; }

 private:
  std::uint64_t epoch_ = ~std::uint64_t{0};
};

// What the chart component leaves to its owners: an axis that runs the other
// way (larger values lower down), the legend, and cross marks on a point series.
void setAxisReversed(chart::ChartView& view, measures::Axis axis, bool reversed);
void setLegendVisible(chart::ChartView& view, bool visible);
// Whether series s has an entry in the legend.
void setLegendEntryVisible(chart::ChartView& view, int s, bool visible);
void setCrossMarks(chart::ChartView& view, int s, int size);

// A chart whose left axis runs downwards, larger values lower down. A
// rectangle dragged over it zooms to the values it covers on that axis.
class DownwardChartView : public chart::ChartView {
  Q_OBJECT
 public:
  explicit DownwardChartView(QWidget* parent = nullptr);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // The zoom reads positions as if the axis ran upwards: it is handed the
  // position mirrored across the plot's middle.
  std::unique_ptr<QMouseEvent> mirrored(const QMouseEvent& event) const;
  QPoint origin_;
};

// The frame of the four experiment windows: the window's own timer (1 ms,
// precise) that ticks the experiment while the experiment's timer entry is
// on, the binder of the experiment's fields, charts that catch up with the
// experiment's series at the screen's pace while the window is shown (and
// at once when the experiment stops or a picture is taken), and builders
// for the furniture the windows share. Closing only hides the window; a
// running experiment goes on ticking.
class ExperimentWindow : public Form {
  Q_OBJECT
 public:
  ExperimentWindow(const char* objectName, const QString& caption, int width, int height, MessageSink* sink,
                   QWidget* parent = nullptr);
  ~ExperimentWindow() override;

  QTimer* timer() { return &timer_; }
  Binder* binder() { return binder_; }
  // Runs after every tick: the main window's panel shows the world that moved.
  void setWorldChanged(std::function<void()> changed) { worldChanged_ = std::move(changed); }

  // "new start", "start / stop" and "undoZoom": the experiment's own
  // handlers, a refusal shown as its message, then the charts brought up to date.
  void newStart();
  void startStop();
  void undoZoom();
  // Brings the charts up to the experiment's data at once.
  virtual void refresh() = 0;
  // The window's experiment and its charts, in the window's order.
  experiments::Experiment& experiment() { return *experiment_; }
  virtual std::vector<chart::ChartView*> charts() const = 0;
  // The window's picture for SaveWindows, with its charts up to date.
  virtual display::RgbImage picture();

 protected:
  // Binds the experiment's fields, follows its timer entry and shows what
  // it reports; called once by the window's constructor, after its
  // experiment exists.
  void attach(experiments::Experiment& experiment);
  // Undoes attach; every window calls it in its destructor, while its
  // experiment still exists.
  void detach();
  // Runs just before the experiment's "new start".
  virtual void aboutToStart() {}
  // A control of the experiment's fields changed (display options and the like).
  virtual void fieldChanged(const simulation::Control& control) { static_cast<void>(control); }

  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

  // --- Builders for the absolute layout ------------------------------------
  chart::ChartView* addChart(const char* name, const QRect& geometry);
  QLineEdit* edit(QWidget* parent, const std::string& name, int x, int y, int width = 48);
  QLabel* label(QWidget* parent, const QString& text, int x, int y);
  QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                      void (ExperimentWindow::*click)() = nullptr);
  // "new start" and "start / stop" side by side in the settings box, from the y given.
  void startButtons(QWidget* settings, const char* start, const char* pause, int y);
  QCheckBox* check(QWidget* parent, const std::string& name, int x, int y, int width = 170);
  // Caption on the left, edit on the right, from the y given; returns the y below.
  int settingsRow(QWidget* parent, const std::string& name, int y);
  // The start, end, increment, steps and repetitions rows; returns the y below.
  int settingsRows(QWidget* parent, const std::string& repetitions, int y);
  // lbl_pSteps and the step caption; below, Lbl_akt, Lbl_proceed and the
  // count caption; below, "undoZoom".
  void progress(int x, int y, const QString& stepsCaption, const QString& countCaption);

  simulation::ControlModel* fields_ = nullptr;

 private:
  void timerTimer();
  void act(const std::function<void()>& action);

  MessageSink* sink_;
  Binder* binder_ = nullptr;
  QTimer timer_;
  QTimer pace_;
  std::string timerName_;
  int listener_ = 0;
  std::function<void()> worldChanged_;
  experiments::Experiment* experiment_ = nullptr;
};

}  // namespace ui
