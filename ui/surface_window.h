#pragma once

#include <QTimer>
#include <cstdint>
#include <memory>

#include "display/rgb_image.h"
#include "experiments/stability_surface.h"
#include "forms.h"

class QLabel;
class Q3DSurface;
class QSurface3DSeries;

namespace ui {

// The 3-D window "3D Prozess-Analyse-Landscape" (TForm7): Chart_3DLand shows the
// stability surface, one row per pass of the third parameter (x the
// tolerance, height the mean segregation index, depth the third value),
// under the chart's title. The surface needs OpenGL: the view is made the
// first time the window is shown or pictured, and only when an OpenGL
// context can be had on a platform that renders it; otherwise a plain
// notice stands in its place.
class SurfaceWindow : public Form {
  Q_OBJECT
 public:
  explicit SurfaceWindow(std::shared_ptr<experiments::StabilitySurface> landscape, QWidget* parent = nullptr);
  ~SurfaceWindow() override;

  // Whether this platform renders the 3-D view: not the offscreen one, and
  // an OpenGL context can be created and made current.
  static bool openGLUsable();

  experiments::StabilitySurface& model() { return *landscape_; }
  // Makes the 3-D view if it can; true when it exists.
  bool ensureView();
  // Null until made, and without OpenGL.
  Q3DSurface* surface() const { return graph_; }
  QSurface3DSeries* series() const { return series_; }
  QLabel* notice() const { return notice_; }
  QLabel* title() const { return title_; }

  // Brings the title and the surface up to the data at once.
  void refresh();
  // The window's picture: the window as it paints itself, with the surface
  // rendered into its place.
  display::RgbImage picture();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  std::shared_ptr<experiments::StabilitySurface> landscape_;
  QWidget* chart_ = nullptr;      // Chart_3DLand: the title over the view
  QLabel* title_ = nullptr;
  QWidget* container_ = nullptr;  // holds the 3-D view
  QLabel* notice_ = nullptr;
  Q3DSurface* graph_ = nullptr;
  QSurface3DSeries* series_ = nullptr;
  bool tried_ = false;
  std::uint64_t shownTitle_ = ~std::uint64_t{0};
  std::uint64_t shownData_ = ~std::uint64_t{0};
  QTimer pace_;
};

}  // namespace ui
