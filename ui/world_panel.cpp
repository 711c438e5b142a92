#include "world_panel.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace ui {

namespace {

constexpr int kFrameMs = 15;

streets::MouseButton ToButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return streets::MouseButton::Left;
    case Qt::RightButton:
      return streets::MouseButton::Right;
    default:
      return streets::MouseButton::Middle;
  }
}

}  // namespace

WorldPanel::WorldPanel(const display::WorldImage& image, streets::StreetEditor& editor, QWidget* parent)
    : QWidget(parent), image_(image), editor_(editor) {
  setObjectName("ZeichenPanel");
  setFixedSize(world::kPanelWidth, world::kPanelHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(false);
  sinceLastPaint_.start();
}

void WorldPanel::requestRepaint() {
  if (repaintPending_) return;
  repaintPending_ = true;
  const qint64 elapsed = sinceLastPaint_.elapsed();
  if (elapsed >= kFrameMs) {
    update();
  } else {
    QTimer::singleShot(static_cast<int>(kFrameMs - elapsed), this, [this] { update(); });
  }
}

void WorldPanel::paintEvent(QPaintEvent*) {
  repaintPending_ = false;
  sinceLastPaint_.restart();
  QPainter painter(this);
  const display::RgbImage& raster = image_.Image();
  const QImage picture(raster.Pixels.data(), raster.Width, raster.Height, raster.Stride(), QImage::Format_RGB888);
  painter.drawImage(0, 0, picture);
  // The overlay: transparent but for the rubber-band line of a street being drawn.
  const streets::DrawOverlay& overlay = editor_.Overlay();
  if (overlay.Exists && overlay.Line) {
    const auto& line = *overlay.Line;
    QPen pen(QColor(world::Red(line.Color), world::Green(line.Color), world::Blue(line.Color)));
    pen.setWidth(line.Width);
    painter.setPen(pen);
    painter.drawLine(line.FromX, line.FromY, line.ToX, line.ToY);
  }
}

bool WorldPanel::run(const std::function<void()>& action) {
  if (guard_) return guard_(action);
  action();
  return true;
}

void WorldPanel::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  run([&] { editor_.Press(p.x(), p.y(), ToButton(event->button())); });
  emit edited();
  update();
}

void WorldPanel::mouseMoveEvent(QMouseEvent* event) {
  if (!editor_.Dragging()) return;
  const QPoint p = event->position().toPoint();
  editor_.Move(p.x(), p.y());
  update();
}

void WorldPanel::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  run([&] { editor_.Release(p.x(), p.y(), ToButton(event->button())); });
  emit edited();
  update();
}

}  // namespace ui
