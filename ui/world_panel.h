#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <functional>

#include "display/world_image.h"
#include "streets/editing.h"

namespace ui {

// ZeichenPanel: shows the world image as it stands and turns mouse presses,
// moves and releases into street editing. The image is shown without a
// copy; the panel repaints at most at the screen's pace, so a fast run is
// not slowed by repainting pictures nobody could see.
class WorldPanel : public QWidget {
  Q_OBJECT
 public:
  WorldPanel(const display::WorldImage& image, streets::StreetEditor& editor, QWidget* parent = nullptr);

  // Marks the panel for repainting; the screen catches up when control
  // returns to the event loop.
  void requestRepaint();

  // Where a user event's error goes (the window's message box).
  void setGuard(std::function<bool(const std::function<void()>&)> guard) { guard_ = std::move(guard); }

 signals:
  // A press or release changed the world or the run state.
  void edited();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool run(const std::function<void()>& action);

  const display::WorldImage& image_;
  streets::StreetEditor& editor_;
  std::function<bool(const std::function<void()>&)> guard_;
  QElapsedTimer sinceLastPaint_;
  bool repaintPending_ = false;
};

}  // namespace ui
