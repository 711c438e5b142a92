#include "analysis_window.h"

#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>

namespace ui {

namespace {

// The screen's pace: often enough to look live, seldom enough to cost little.
constexpr int kRefreshMs = 100;

QColor ToQColor(world::ColorRef c) { return QColor(world::Red(c), world::Green(c), world::Blue(c)); }

QList<QPointF> Tail(const measures::Series& points, std::size_t from) {
  QList<QPointF> out;
  out.reserve(static_cast<qsizetype>(points.size() - from));
  for (std::size_t i = from; i < points.size(); ++i) out.append(QPointF(points[i].X, points[i].Y));
  return out;
}

}  // namespace

AnalysisWindow::AnalysisWindow(simulation::Simulation& sim, QWidget* parent)
    : Form("Form2", "Analysis", 1092, 766, parent), sim_(sim) {
  move(0, 131);
  // The table's numbers follow the user's decimal separator.
  const QString point = QLocale().decimalPoint();
  if (point.size() == 1 && point[0].unicode() < 128)
    sim_.analysisCharts.DecimalSeparator = static_cast<char>(point[0].unicode());

  const struct {
    int X, Y, W, H;
  } places[6] = {{248, 8, 403, 249}, {8, 263, 744, 234}, {8, 8, 234, 249},
                 {575, 503, 509, 255}, {8, 503, 561, 255}, {657, 8, 427, 249}};
  for (int i = 0; i < 6; ++i) {
    auto* view = new chart::ChartView(this);
    view->setObjectName(QString("Chart%1").arg(i + 1));
    view->setGeometry(places[i].X, places[i].Y, places[i].W, places[i].H);
    charts_[static_cast<std::size_t>(i)] = view;
  }

  grid_ = new QTableWidget(this);
  grid_->setObjectName("DissimiGrid");
  grid_->setGeometry(758, 263, 326, 202);
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setDefaultSectionSize(45);
  grid_->horizontalHeader()->setMinimumSectionSize(10);
  grid_->verticalHeader()->setMinimumSectionSize(10);
  grid_->verticalHeader()->setDefaultSectionSize(20);
  QFont small = grid_->font();
  small.setPixelSize(10);
  grid_->setFont(small);
  connect(grid_, &QTableWidget::cellChanged, this, &AnalysisWindow::gridEdited);

  undoZoom_ = new QPushButton("undoZoom", this);
  undoZoom_->setObjectName("B_undoZ");
  undoZoom_->setGeometry(1009, 471, 75, 25);
  connect(undoZoom_, &QPushButton::clicked, this, &AnalysisWindow::B_undoZClick);

  pace_.setInterval(kRefreshMs);
  connect(&pace_, &QTimer::timeout, this, &AnalysisWindow::refresh);
  refresh();
}

void AnalysisWindow::showEvent(QShowEvent* event) {
  Form::showEvent(event);
  refresh();
  pace_.start();
}

void AnalysisWindow::hideEvent(QHideEvent* event) {
  Form::hideEvent(event);
  pace_.stop();
}

void AnalysisWindow::B_undoZClick() {
  for (chart::ChartView* view : charts_) view->undoZoom();
}

void AnalysisWindow::refresh() {
  const measures::AnalysisCharts& a = sim_.analysisCharts;
  const measures::Chart* models[6] = {&a.Chart1, &a.Chart2, &a.Chart3, &a.Chart4, &a.Chart5, &a.Chart6};
  for (std::size_t i = 0; i < 6; ++i) follow(*charts_[i], *models[i], shown_[i]);
  followGrid();
}

void AnalysisWindow::rebuild(chart::ChartView& view, const measures::Chart& chart, Shown& shown) {
  QStringList lines;
  for (const std::string& line : chart.Title) lines << QString::fromStdString(line);
  view.setTitle(lines);
  view.setAxisTitle(measures::Axis::Bottom, QString::fromStdString(chart.BottomAxisTitle));
  view.setAxisTitle(measures::Axis::Left, QString::fromStdString(chart.LeftAxisTitle));
  view.setAxisTitle(measures::Axis::Right, QString::fromStdString(chart.RightAxisTitle));
  view.setLogarithmicBottom(chart.LogarithmicBottom);
  view.setGridVisible(measures::Axis::Left, chart.LeftGridVisible);
  view.setAxisLineVisible(measures::Axis::Left, chart.LeftAxisLineVisible);
  view.setLabelStep(measures::Axis::Bottom, chart.BottomAxisStepOne ? 1 : 0);
  // A set-up with as many groups as before keeps the series and only empties
  // them: removing and adding a chart's series costs seconds by the thousand.
  if (chart.Lines == shown.Lines && chart.ValueMarks == shown.ValueMarks &&
      view.seriesCount() == static_cast<int>(chart.Lines.size())) {
    for (int s = 0; s < view.seriesCount(); ++s) {
      if (chart.Lines[static_cast<std::size_t>(s)].Kind == measures::SeriesKind::Line) view.setPoints(s, {});
    }
    return;
  }
  view.removeAllSeries();
  for (const measures::ChartSeries& line : chart.Lines) {
    const int s = view.addSeries(line.Kind, line.VerticalAxis);
    if (line.Color) view.setSeriesColor(s, ToQColor(*line.Color));
    if (line.Kind != measures::SeriesKind::Line) view.setValueLabels(s, chart.ValueMarks);
  }
  shown.Lines = chart.Lines;
  shown.ValueMarks = chart.ValueMarks;
}

void AnalysisWindow::follow(chart::ChartView& view, const measures::Chart& chart, Shown& shown) {
  view.beginUpdate();
  if (chart.Revision != shown.Revision) {
    rebuild(view, chart, shown);
    shown.Revision = chart.Revision;
  }
  if (chart.ZoomResets != shown.ZoomResets) {
    view.undoZoom();
    shown.ZoomResets = chart.ZoomResets;
  }
  const measures::AnalysisCharts& a = sim_.analysisCharts;
  const int n = std::min(view.seriesCount(), static_cast<int>(chart.Lines.size()));
  for (int s = 0; s < n; ++s) {
    const measures::ChartSeries& line = chart.Lines[static_cast<std::size_t>(s)];
    if (line.Kind == measures::SeriesKind::Line) {
      const measures::Series& points = a.PointsOf(line);
      const auto shownCount = static_cast<std::size_t>(view.pointCount(s));
      if (points.size() < shownCount) {
        view.setPoints(s, Tail(points, 0));
      } else if (points.size() > shownCount) {
        view.appendPoints(s, Tail(points, shownCount));
      }
      continue;
    }
    const measures::BarSeries& bars =
        line.Source == measures::SeriesSource::GroupSizes ? a.Series3 : a.ClusterBarSeries;
    QList<double> values;
    QList<QColor> colors;
    values.reserve(static_cast<qsizetype>(bars.Size()));
    for (std::size_t k = 0; k < bars.Size(); ++k) {
      values.append(bars.Points[k].Y);
      colors.append(ToQColor(k < bars.Colors.size() ? bars.Colors[k] : 0));
    }
    view.setBars(s, values, colors);
  }
  view.endUpdate();
}

void AnalysisWindow::followGrid() {
  const world::Table<std::string>& texts = sim_.analysisCharts.DissimiGrid;
  fillingGrid_ = true;
  const int columns = texts.Size0();
  const int rows = texts.Size1();
  if (grid_->columnCount() != columns) grid_->setColumnCount(columns);
  if (grid_->rowCount() != rows) grid_->setRowCount(rows);
  for (int c = 0; c < columns; ++c) {
    for (int r = 0; r < rows; ++r) {
      const QString text = QString::fromStdString(texts(c, r));
      QTableWidgetItem* item = grid_->item(r, c);
      if (!item) {
        item = new QTableWidgetItem(text);
        if (r == 0 || c == 0) {
          // The first row and column are fixed: headers, not for editing.
          item->setFlags(Qt::ItemIsEnabled);
          item->setBackground(grid_->palette().button());
        }
        grid_->setItem(r, c, item);
      } else if (item->text() != text) {
        item->setText(text);
      }
    }
  }
  fillingGrid_ = false;
}

void AnalysisWindow::gridEdited(int row, int column) {
  // The first row and column are the program's headers.
  if (fillingGrid_ || row == 0 || column == 0) return;
  world::Table<std::string>& texts = sim_.analysisCharts.DissimiGrid;
  if (column >= texts.Size0() || row >= texts.Size1()) return;
  // What the user types stays until a computation writes that cell.
  texts(column, row) = grid_->item(row, column)->text().toStdString();
}

}  // namespace ui
