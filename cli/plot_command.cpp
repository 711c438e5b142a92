#include "plot_command.h"

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <span>

#include "cli/experiment_files.h"
#include "cli/experiment_summary.h"
#include "cli/experiment_units.h"
#include "world/convert.h"
#include "export/file_output.h"
#include "export/png_file.h"
#include "ui/analysis_window.h"
#include "ui/experiment_window.h"
#include "ui/experiment_windows.h"
#include "ui/surface_window.h"

namespace cli {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

enum class Format { Png, Svg };

// One chart to write: its title (and so its file name), its size and how it paints itself.
struct ChartPicture {
  QStringList Title;
  QSize Size;
  std::function<void(QPainter&, QSize)> Paint;
};

QString Q(const std::string& s) { return QString::fromStdString(s); }

QStringList TitleOf(const std::vector<std::string>& lines) {
  QStringList title;
  for (const std::string& line : lines) title << Q(line);
  return title;
}

// A chart of a window as it paints itself, at the size asked for.
ChartPicture ViewPicture(QWidget& view) {
  QStringList title;
  if (auto* chart = qobject_cast<ui::chart::ChartView*>(&view)) title = chart->title();
  return {title, view.size(), [&view](QPainter& painter, QSize size) {
            // A new size lays the chart and its legend out afresh.
            view.resize(size + QSize(1, 1));
            view.resize(size);
            // Pending layouts (a legend that lost entries) and repaints first;
            // no experiment ticks: they are all paused.
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            view.render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
          }};
}

// "clusters per value | cluster threshold = 10" -> "clusters_per_value_cluster_threshold_10".
std::string FileStem(const QStringList& title) {
  std::string stem;
  for (const QChar c : title.join(' ')) {
    const char16_t u = c.unicode();
    const bool keep = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
    if (keep) {
      stem += static_cast<char>(u);
    } else if (!stem.empty() && stem.back() != '_') {
      stem += '_';
    }
  }
  while (!stem.empty() && stem.back() == '_') stem.pop_back();
  return stem.empty() ? "chart" : stem;
}

void WritePicture(const ChartPicture& chart, QSize size, Format format, const std::string& path) {
  if (format == Format::Png) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      chart.Paint(painter, size);
    }
    exporting::WritePngFile(ui::ToRgbImage(image), path);
    return;
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setTitle(chart.Title.join(' '));
  svg.setDescription("Vicinara");
  {
    QPainter painter(&svg);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    chart.Paint(painter, size);
  }
  const QByteArray& bytes = buffer.data();
  exporting::WriteFileReplacing(
      path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
}

Format FormatOf(const std::string& text) {
  if (text == "png") return Format::Png;
  if (text == "svg") return Format::Svg;
  throw UsageError("--format takes png or svg, not '" + text + "'");
}

std::optional<QSize> SizeOf(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  static const std::regex pattern("([0-9]{1,5})x([0-9]{1,5})");
  std::smatch m;
  if (std::regex_match(*text, m, pattern)) {
    const int w = std::stoi(m[1]);
    const int h = std::stoi(m[2]);
    if (w >= 100 && h >= 100 && w <= 10000 && h <= 10000) return QSize(w, h);
  }
  throw UsageError("--size takes WxH with each from 100 to 10000 pixels, not '" + *text + "'");
}

// --- The 3-D surface as a heat map ------------------------------------------

// Blue for the smallest value through green and yellow to red for the largest.
QColor HeatColor(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return QColor::fromHsvF(static_cast<float>((1.0 - t) * 240.0 / 360.0), 0.85f, 0.95f);
}

// The stability surface seen from above: one cell per point, the tolerance
// across, the third value upwards, the mean segregation index as colour,
// with the surface's title and axis titles and a colour scale.
void PaintHeatMap(QPainter& painter, QSize size, const experiments::StabilitySurface& surface) {
  const measures::Chart& labels = surface.Chart_3DLand;
  painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
  QFont font = painter.font();
  font.setPixelSize(12);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(QRect(0, 4, size.width(), 20), Qt::AlignCenter, TitleOf(labels.Title).join(' '));

  std::vector<double> xs, zs;
  double low = std::numeric_limits<double>::infinity(), high = -low;
  for (const auto& row : surface.ser_landsc()) {
    for (const auto& p : row) {
      xs.push_back(p.X);
      zs.push_back(p.Z);
      if (std::isfinite(p.Y)) {
        low = std::min(low, p.Y);
        high = std::max(high, p.Y);
      }
    }
  }
  const QRect plot(70, 34, std::max(10, size.width() - 170), std::max(10, size.height() - 84));
  painter.drawRect(plot.adjusted(0, 0, -1, -1));
  if (xs.empty()) {
    painter.drawText(plot, Qt::AlignCenter, "no points");
    return;
  }
  auto unique = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
  };
  const std::vector<double> columns = unique(xs), rows = unique(zs);
  const double cw = static_cast<double>(plot.width()) / static_cast<double>(columns.size());
  const double rh = static_cast<double>(plot.height()) / static_cast<double>(rows.size());
  auto indexOf = [](const std::vector<double>& v, double x) {
    return static_cast<double>(std::lower_bound(v.begin(), v.end(), x) - v.begin());
  };
  const double span = high > low ? high - low : 1.0;
  for (const auto& row : surface.ser_landsc()) {
    for (const auto& p : row) {
      const double i = indexOf(columns, p.X), j = indexOf(rows, p.Z);
      const QRectF cell(plot.left() + i * cw, plot.bottom() + 1 - (j + 1) * rh, cw, rh);
      painter.fillRect(cell, std::isfinite(p.Y) ? HeatColor((p.Y - low) / span) : QColor(Qt::lightGray));
    }
  }
  // Labels at about every 40 pixels along each axis.
  const auto every = [](double pixels) {
    return std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(40.0 / std::max(pixels, 1.0))));
  };
  for (std::size_t i = 0; i < columns.size(); i += every(cw)) {
    const QRectF at(plot.left() + static_cast<double>(i) * cw, plot.bottom() + 4, cw, 16);
    painter.drawText(at, Qt::AlignHCenter | Qt::AlignTop, ui::chart::FormatValue(columns[i]));
  }
  for (std::size_t j = 0; j < rows.size(); j += every(rh)) {
    const QRectF at(0, plot.bottom() + 1 - (static_cast<double>(j) + 1) * rh, plot.left() - 6, rh);
    painter.drawText(at, Qt::AlignRight | Qt::AlignVCenter, ui::chart::FormatValue(rows[j]));
  }
  painter.drawText(QRect(plot.left(), plot.bottom() + 22, plot.width(), 20), Qt::AlignCenter,
                   Q(labels.BottomAxisTitle));
  painter.save();
  painter.translate(14, plot.center().y());
  painter.rotate(-90);
  painter.drawText(QRect(-plot.height() / 2, -10, plot.height(), 20), Qt::AlignCenter, Q(labels.DepthAxisTitle));
  painter.restore();
  // The colour scale: the index from its smallest to its largest value.
  const QRect scale(plot.right() + 24, plot.top(), 16, plot.height());
  for (int y = 0; y < scale.height(); ++y) {
    painter.fillRect(QRect(scale.left(), scale.bottom() - y, scale.width(), 1),
                     HeatColor(static_cast<double>(y) / std::max(1, scale.height() - 1)));
  }
  painter.drawRect(scale.adjusted(0, 0, -1, -1));
  painter.drawText(QRect(scale.right() + 4, scale.top() - 6, 60, 14), Qt::AlignLeft, ui::chart::FormatValue(high));
  painter.drawText(QRect(scale.right() + 4, scale.bottom() - 8, 60, 14), Qt::AlignLeft, ui::chart::FormatValue(low));
  painter.save();
  painter.translate(scale.right() + 50, plot.center().y());
  painter.rotate(90);
  painter.drawText(QRect(-plot.height() / 2, -10, plot.height(), 20), Qt::AlignCenter, Q(labels.LeftAxisTitle));
  painter.restore();
}

// --- Experiments ---------------------------------------------------------------

// The window of an experiment over one world prepared with the run's
// settings. Its experiment is given the run's fields and the rows of the
// run's tables, which it records into its charts with its own code as the
// window shows them at the end of the run (Experiment::Replay).
class ExperimentCharts {
 public:
  ExperimentCharts(const OutputFolder& folder, const json& manifest)
      : folder_(folder), manifest_(manifest), setup_(SetupOf(manifest)), headers_(HeadersOf(setup_.Kind)) {
    const std::uint64_t seed = manifest.at("seed").get<std::uint64_t>();
    sim_ = PrepareWorld(setup_, [seed] { return seed; }, [](const world::UserError&) {});
  }

  std::vector<ChartPicture> Pictures() {
    landscape_ = std::make_shared<experiments::StabilitySurface>();
    std::unique_ptr<ui::ExperimentWindow> made = ui::MakeExperimentWindow(setup_.Kind, *sim_, landscape_, &sink_);
    if (!made) throw UsageError("the charts of the " + setup_.Name + " experiment cannot be drawn");
    ui::ExperimentWindow& window = *Keep(std::move(made));
    experiments::Experiment& m = window.experiment();
    ApplyWindowFields(m.Fields(), setup_);
    m.Replay(Rows());
    window.refresh();
    // The legend makes the entries of new lines when it next gets to it; the
    // second pass hides those of emptied lines.
    QCoreApplication::processEvents();
    window.refresh();
    std::vector<ChartPicture> pictures;
    for (ui::chart::ChartView* chart : window.charts()) pictures.push_back(ViewPicture(*chart));
    if (setup_.Sweep3d) pictures.push_back(Surface());
    return pictures;
  }

 private:
  // The rows of the run's tables: runs, steps and rises in turn, each
  // after the columns every table of its kind begins with.
  std::vector<experiments::UnitRow> Rows() const {
    std::vector<experiments::UnitRow> rows;
    const auto read = [&rows](experiments::ResultTable table, const fs::path& path, const std::string& header) {
      if (header.empty()) return;
      const bool runs = table == experiments::ResultTable::Runs;
      // Runs begin with the experiment's name and end the common columns with the seed.
      const std::size_t first = runs ? 1 : 0;
      const std::size_t own = first + (runs ? 4 : 3);
      TableReader reader(path, header);
      while (reader.Next()) {
        experiments::UnitRow row{table, reader.Integer(first), reader.Value(first + 1), reader.Integer(first + 2), {}};
        for (std::size_t i = own; i < reader.Size(); ++i) row.Fields.push_back(reader.Value(i));
        rows.push_back(std::move(row));
      }
    };
    read(experiments::ResultTable::Runs, folder_.Runs(), headers_.Runs);
    read(experiments::ResultTable::Steps, folder_.Steps(), headers_.Steps);
    read(experiments::ResultTable::Rises, folder_.Rises(), headers_.Rises);
    return rows;
  }

  // The surface from the run's summary: the 3-D window's picture where
  // OpenGL renders it, a heat map otherwise.
  ChartPicture Surface() {
    const json summary = json::parse(ReadTextFile(folder_.Summary()), nullptr, false);
    if (summary.is_discarded() || !summary.contains("series") || !summary["series"].contains("surface")) {
      throw UsageError(folder_.Summary().string() + " holds no stability surface");
    }
    for (const json& row : summary["series"]["surface"]) {
      landscape_->AddRow();
      for (const json& p : row) landscape_->AddPoint({p.at(0).get<double>(), p.at(1).get<double>(), p.at(2).get<double>()});
    }
    const QStringList title = TitleOf(landscape_->Chart_3DLand.Title);
    if (ui::SurfaceWindow::openGLUsable()) {
      auto* window = Keep(std::make_unique<ui::SurfaceWindow>(landscape_));
      const QWidget* chart = window->findChild<QWidget*>("Chart_3DLand");
      const QRect place = chart ? chart->geometry() : window->rect();
      // The window's picture renders the view through OpenGL; the chart is cut
      // out of it and scaled to the size asked for.
      return {title, place.size(), [window, place](QPainter& painter, QSize size) {
                const display::RgbImage picture = window->picture();
                const QImage image(picture.Pixels.data(), picture.Width, picture.Height, picture.Stride(),
                                   QImage::Format_RGB888);
                painter.drawImage(QRect(QPoint(0, 0), size), image.copy(place));
              }};
    }
    const experiments::StabilitySurface* surface = landscape_.get();
    return {title, QSize(1000, 650), [surface](QPainter& painter, QSize size) { PaintHeatMap(painter, size, *surface); }};
  }

  template <typename Window>
  Window* Keep(std::unique_ptr<Window> window) {
    Window* w = window.get();
    windows_.push_back(std::move(window));
    return w;
  }

  const OutputFolder& folder_;
  const json& manifest_;
  ExperimentSetup setup_;
  TableHeaders headers_;
  std::unique_ptr<simulation::Simulation> sim_;
  std::shared_ptr<experiments::StabilitySurface> landscape_;
  ui::MessageSink sink_ = [](QWidget*, const QString&, const QString&) {};
  std::vector<std::unique_ptr<QWidget>> windows_;
};

// --- A run's CSV ------------------------------------------------------------------

// The analysis window's four time charts over the steps of a run's --csv:
// satisfaction, segregation (with the density), density against the number
// of agents, and the changing agents.
class RunCharts {
 public:
  explicit RunCharts(const std::string& path) : in_(path) {
    if (!in_) throw exporting::CannotOpenFile(path, std::strerror(errno));
    std::string header;
    std::getline(in_, header);
    const std::string fixed = "step,agents,unsatisfied,density,changing_pct";
    std::string expected = fixed;
    int groups = 0;
    while (expected.size() < header.size()) {
      ++groups;
      expected += ",satisfied_" + std::to_string(groups) + ",segregation_" + std::to_string(groups);
    }
    if (groups == 0 || header != expected) {
      throw UsageError(path + " is not the --csv of a run: its first line must be " + fixed +
                       ",satisfied_1,segregation_1,...");
    }
    // A world with as many groups gives the charts their titles and colours.
    sim_ = std::make_unique<simulation::Simulation>([] { return std::uint64_t{1}; });
    sim_->MainWindowShown();
    sim_->controls.SetText(simulation::MainControl::GroupCount, world::IntToText(groups));
    sim_->NewSetup();
    if (sim_->world.GroupCount != groups) throw UsageError(path + ": " + std::to_string(groups) + " groups cannot be charted");
    Read(path, groups);
    window_ = std::make_unique<ui::AnalysisWindow>(*sim_);
    window_->refresh();
  }

  std::vector<ChartPicture> Pictures() {
    return {ViewPicture(*window_->chart(1)), ViewPicture(*window_->chart(4)), ViewPicture(*window_->chart(5)),
            ViewPicture(*window_->chart(6))};
  }

 private:
  void Read(const std::string& path, int groups) {
    measures::Analysis& a = sim_->analysis;
    std::string line;
    long long row = 1;
    while (std::getline(in_, line)) {
      ++row;
      if (line.empty()) continue;
      std::vector<std::optional<double>> f;
      std::size_t start = 0;
      for (;;) {
        const std::size_t comma = line.find(',', start);
        const std::string field = line.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (field.empty()) {
          f.push_back(std::nullopt);
        } else {
          std::size_t used = 0;
          double v = 0;
          try {
            v = std::stod(field, &used);
          } catch (const std::exception&) {
            used = 0;
          }
          if (used != field.size()) {
            throw UsageError(path + ": line " + std::to_string(row) + " does not read as numbers: " + line);
          }
          f.push_back(v);
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      if (f.size() != static_cast<std::size_t>(5 + 2 * groups) || !f[0] || !f[1]) {
        throw UsageError(path + ": line " + std::to_string(row) + " does not have the columns of the first line");
      }
      const double step = *f[0];
      const double agents = *f[1] - 1;  // A, as the analysis counts it
      if (f[2]) a.ChangeSeries[0].push_back({step, *f[2]});
      if (f[4]) a.ChangeSeries[1].push_back({step, *f[4]});
      if (f[3]) a.ChangeSeries[2].push_back({agents, *f[3]});
      if (f[3]) a.ChangeSeries[3].push_back({step, *f[3]});
      for (int g = 0; g < groups; ++g) {
        const auto i = static_cast<std::size_t>(g);
        if (const auto s = f[5 + 2 * i]) a.SatisfactionSeries[i].push_back({step, *s});
        if (const auto s = f[6 + 2 * i]) {
          a.SegregationSeries[i].push_back({step, *s});
          a.DensitySegregationSeries[i].push_back({agents, *s});
        }
      }
    }
  }

  std::ifstream in_;
  std::unique_ptr<simulation::Simulation> sim_;
  std::unique_ptr<ui::AnalysisWindow> window_;
};

// Qt's notes on its own set-up ("XDG_RUNTIME_DIR not set") are not the
// tool's output: while plotting, only Qt's errors reach standard error.
void QuietQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

int PlotWithApplication(const PlotOptions& options, std::ostream& out) {
  const Format format = FormatOf(options.Format);
  const std::optional<QSize> size = SizeOf(options.Size);
  const fs::path input(options.Input);
  std::error_code ec;
  const bool folder = fs::is_directory(input, ec);
  if (!folder && !fs::is_regular_file(input, ec)) {
    throw UsageError(options.Input + " is neither an experiment's folder nor a run's CSV file");
  }
  fs::path outDir = options.Out ? fs::path(*options.Out) : folder ? input : input.parent_path();
  if (outDir.empty()) outDir = ".";

  std::vector<ChartPicture> pictures;
  std::unique_ptr<ExperimentCharts> experiment;
  std::unique_ptr<RunCharts> run;
  OutputFolder experimentFolder{input};
  json manifest;
  if (folder) {
    manifest = ReadManifest(experimentFolder);
    if (manifest.contains("shard")) {
      throw UsageError(options.Input + " holds one shard of a run; merge the shards first (vicinara-cli merge)");
    }
    experiment = std::make_unique<ExperimentCharts>(experimentFolder, manifest);
    pictures = experiment->Pictures();
  } else {
    run = std::make_unique<RunCharts>(options.Input);
    pictures = run->Pictures();
  }

  fs::create_directories(outDir, ec);
  if (ec || !fs::is_directory(outDir)) {
    throw UsageError("cannot create the output folder " + outDir.string() + ": " +
                     (ec ? ec.message() : std::string("a file of that name is in the way")));
  }
  std::set<std::string> used;
  const std::string ending = format == Format::Png ? ".png" : ".svg";
  for (const ChartPicture& chart : pictures) {
    std::string stem = FileStem(chart.Title);
    for (int n = 2; !used.insert(stem).second; ++n) stem = FileStem(chart.Title) + "_" + std::to_string(n);
    const std::string path = (outDir / (stem + ending)).string();
    WritePicture(chart, size.value_or(chart.Size), format, path);
    out << path << '\n';
  }
  return 0;
}

}  // namespace

int Plot(const PlotOptions& options, std::ostream& out, std::ostream& err) {
  try {
    // The charts render offscreen unless a platform is named.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const QtMessageHandler previous = qInstallMessageHandler(QuietQtNotes);
    struct Restore {
      QtMessageHandler Handler;
      ~Restore() { qInstallMessageHandler(Handler); }
    } restore{previous};
    std::unique_ptr<QApplication> app;
    int argc = 1;
    char name[] = "vicinara-cli";
    char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) app = std::make_unique<QApplication>(argc, argv);
    return PlotWithApplication(options, out);
  } catch (const world::UserError& e) {
    err << e.what() << '\n';
  } catch (const UsageError& e) {
    err << e.what() << '\n';
  }
  return 2;
}

}  // namespace cli
