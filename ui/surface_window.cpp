#include "surface_window.h"

#include <QGuiApplication>
#include <QLabel>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QShowEvent>
#include <QtDataVisualization/Q3DCamera>
#include <QtDataVisualization/Q3DScene>
#include <QtDataVisualization/Q3DSurface>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <QtDataVisualization/QValue3DAxis>

#include "experiment_window.h"

namespace ui {

namespace {

constexpr int kRefreshMs = 100;
constexpr int kTitleHeight = 24;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Rows of equal length, as the surface needs them: a row shorter than the
// longest (a range changed during a sweep) repeats its last point; empty
// rows are left out.
QSurfaceDataArray* SurfaceRows(const std::vector<std::vector<exporting::SurfacePoint>>& rows) {
  std::size_t columns = 0;
  for (const auto& row : rows) columns = std::max(columns, row.size());
  auto* array = new QSurfaceDataArray;
  for (const auto& row : rows) {
    if (row.empty()) continue;
    auto* items = new QSurfaceDataRow;
    items->reserve(static_cast<qsizetype>(columns));
    for (std::size_t i = 0; i < columns; ++i) {
      const exporting::SurfacePoint& p = row[std::min(i, row.size() - 1)];
      items->append(QSurfaceDataItem(QVector3D(static_cast<float>(p.X), static_cast<float>(p.Y),
                                               static_cast<float>(p.Z))));
    }
    array->append(items);
  }
  return array;
}

QValue3DAxis* Axis(const std::string& title, bool reversed) {
  auto* axis = new QValue3DAxis;
  axis->setTitle(Q(title));
  axis->setTitleVisible(true);
  axis->setReversed(reversed);
  return axis;
}

}  // namespace

SurfaceWindow::SurfaceWindow(std::shared_ptr<experiments::StabilitySurface> landscape, QWidget* parent)
    : Form("Form7", "3D Prozess-Analyse-Landscape", 1016, 666, parent), landscape_(std::move(landscape)) {
  chart_ = new QWidget(this);
  chart_->setObjectName("Chart_3DLand");
  chart_->setGeometry(8, 8, 1000, 650);
  chart_->setAutoFillBackground(true);
  QPalette white = chart_->palette();
  white.setColor(QPalette::Window, Qt::white);
  chart_->setPalette(white);
  title_ = new QLabel(chart_);
  title_->setObjectName("Chart_3DLand_title");
  title_->setGeometry(0, 0, 1000, kTitleHeight);
  title_->setAlignment(Qt::AlignCenter);
  QFont font = title_->font();
  font.setPixelSize(12);
  title_->setFont(font);
  pace_.setInterval(kRefreshMs);
  connect(&pace_, &QTimer::timeout, this, &SurfaceWindow::refresh);
  refresh();
}

SurfaceWindow::~SurfaceWindow() = default;

bool SurfaceWindow::openGLUsable() {
  // The offscreen platform hands out a context when a display is near, but
  // the 3-D view crashes on it as soon as it renders.
  const QString platform = QGuiApplication::platformName();
  if (platform == "offscreen" || platform == "minimal") return false;
  QOpenGLContext context;
  if (!context.create()) return false;
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  if (!surface.isValid() || !context.makeCurrent(&surface)) return false;
  context.doneCurrent();
  return true;
}

bool SurfaceWindow::ensureView() {
  if (tried_) return graph_ != nullptr;
  tried_ = true;
  const QRect place(0, kTitleHeight, chart_->width(), chart_->height() - kTitleHeight);
  if (!openGLUsable()) {
    notice_ = new QLabel("The 3-D surface cannot be shown: OpenGL is not available.", chart_);
    notice_->setObjectName("Chart_3DLand_notice");
    notice_->setGeometry(place);
    notice_->setAlignment(Qt::AlignCenter);
    notice_->show();
    return false;
  }
  graph_ = new Q3DSurface;
  graph_->activeTheme()->setType(Q3DTheme::ThemeQt);
  graph_->activeTheme()->setBackgroundColor(Qt::white);
  graph_->activeTheme()->setWindowColor(Qt::white);
  graph_->activeTheme()->setLabelBackgroundEnabled(false);
  graph_->setAxisX(Axis(landscape_->Chart_3DLand.BottomAxisTitle, false));
  graph_->setAxisY(Axis(landscape_->Chart_3DLand.LeftAxisTitle, true));
  QValue3DAxis* depth = Axis(landscape_->Chart_3DLand.DepthAxisTitle, true);
  // The depth axis' title turns with its labels, by up to 45 degrees.
  depth->setTitleFixed(false);
  depth->setLabelAutoRotation(45);
  graph_->setAxisZ(depth);
  graph_->scene()->activeCamera()->setCameraPreset(Q3DCamera::CameraPresetIsometricRightHigh);
  // A little further back, so that the axis titles stay inside the window.
  graph_->scene()->activeCamera()->setZoomLevel(85);
  series_ = new QSurface3DSeries;
  series_->setDrawMode(QSurface3DSeries::DrawSurfaceAndWireframe);
  series_->setFlatShadingEnabled(false);
  graph_->addSeries(series_);
  container_ = QWidget::createWindowContainer(graph_, chart_);
  container_->setObjectName("Chart_3DLand_view");
  container_->setGeometry(place);
  container_->show();
  shownData_ = ~std::uint64_t{0};
  return true;
}

void SurfaceWindow::refresh() {
  const measures::Chart& labels = landscape_->Chart_3DLand;
  if (labels.Revision != shownTitle_) {
    shownTitle_ = labels.Revision;
    QStringList lines;
    for (const std::string& line : labels.Title) lines << Q(line);
    title_->setText(lines.join('\n'));
  }
  if (series_ && landscape_->Revision() != shownData_) {
    shownData_ = landscape_->Revision();
    series_->dataProxy()->resetArray(SurfaceRows(landscape_->ser_landsc()));
  }
}

display::RgbImage SurfaceWindow::picture() {
  ensureView();
  refresh();
  QImage image(size(), QImage::Format_RGB32);
  image.fill(palette().color(backgroundRole()));
  render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  if (graph_) {
    // The view draws through OpenGL, which a widget's own painting leaves blank.
    const QImage surface = graph_->renderToImage(0, container_->size());
    QPainter painter(&image);
    painter.drawImage(container_->mapTo(this, QPoint(0, 0)), surface);
  }
  return ToRgbImage(image);
}

void SurfaceWindow::showEvent(QShowEvent* event) {
  Form::showEvent(event);
  ensureView();
  refresh();
  pace_.start();
}

void SurfaceWindow::hideEvent(QHideEvent* event) {
  Form::hideEvent(event);
  pace_.stop();
}

}  // namespace ui
