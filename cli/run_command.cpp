#include "run_command.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "simulation/display_settings.h"
#include "simulation/simulation.h"
#include "simulation/street_controls.h"
#include "world/convert.h"
#include "export/file_output.h"
#include "export/film.h"
#include "export/jpeg.h"
#include "export/png_file.h"
#include "display/world_image.h"
#include "control_settings.h"
#include "report.h"
#include "streets/layouts.h"

namespace cli {

namespace {

struct StreetLayout {
  bool Grid = true;
  int Rows = 0;   // n: the vertical streets
  int Cols = 0;   // m: the horizontal streets
  int Count = 0;  // random streets asked for
};

// "grid:N:M" or "random:COUNT", each number within the range of its up-down.
StreetLayout ParseStreetLayout(const std::string& text) {
  static const std::regex grid("grid:([0-9]{1,5}):([0-9]{1,5})");
  static const std::regex random("random:([0-9]{1,5})");
  auto inRange = [](const std::string& digits) {
    const int v = std::stoi(digits);
    return v >= 1 && v <= 10000;
  };
  std::smatch m;
  StreetLayout layout;
  if (std::regex_match(text, m, grid) && inRange(m[1]) && inRange(m[2])) {
    layout.Rows = std::stoi(m[1]);
    layout.Cols = std::stoi(m[2]);
    return layout;
  }
  if (std::regex_match(text, m, random) && inRange(m[1])) {
    layout.Grid = false;
    layout.Count = std::stoi(m[1]);
    return layout;
  }
  throw UsageError("--streets takes grid:N:M or random:COUNT with numbers from 1 to 10000, not '" + text + "'");
}

enum class PictureFormat { Jpeg, Png };

PictureFormat SnapshotFormat(const std::string& path) {
  const auto dot = path.find_last_of('.');
  std::string extension = dot == std::string::npos ? "" : path.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".jpg" || extension == ".jpeg") return PictureFormat::Jpeg;
  if (extension == ".png") return PictureFormat::Png;
  throw UsageError("--snapshot takes a file name ending in .jpg, .jpeg or .png, not '" + path + "'");
}

struct FilmRequest {
  exporting::FilmFormat Format = exporting::FilmFormat::Mp4;
};

// Checks the film's options before anything runs.
FilmRequest CheckFilm(const RunOptions& options) {
  FilmRequest request;
  const auto format = exporting::FilmFormatOf(*options.Film);
  if (!format) throw UsageError("--film takes a file name ending in .mp4 or .gif, not '" + *options.Film + "'");
  request.Format = *format;
  if (options.FilmEvery < 1) throw UsageError("--film-every must be at least 1");
  if (options.FilmFps < exporting::kMinFilmFps || options.FilmFps > exporting::kMaxFilmFps) {
    throw UsageError("--film-fps takes a whole number from " + std::to_string(exporting::kMinFilmFps) + " to " +
                     std::to_string(exporting::kMaxFilmFps));
  }
  return request;
}

// The world image as the panel shows it, a frame at a time.
class Film {
 public:
  Film(const RunOptions& options, const FilmRequest& request, const display::WorldImage& image,
       const world::World& world)
      : image_(image), caption_(options.FilmCaption), every_(options.FilmEvery) {
    exporting::FilmOptions film;
    film.Format = request.Format;
    film.Width = image.Image().Width;
    film.Height = image.Image().Height;
    film.FramesPerSecond = options.FilmFps;
    film.Colors = display::PaintableColors(world);
    if (caption_) film.Colors.push_back(world::Rgb(0, 0, 0));
    writer_ = exporting::OpenFilm(*options.Film, film);
  }

  // After the set-up (step 0) and after each step; the last step is always filmed.
  void AfterStep(int step, bool last) {
    if (step % every_ != 0 && !last) return;
    if (!caption_) {
      writer_->AddFrame(image_.Image());
      return;
    }
    frame_ = image_.Image();
    exporting::DrawStepCaption(frame_, step);
    writer_->AddFrame(frame_);
  }
  void Finish() { writer_->Finish(); }

 private:
  const display::WorldImage& image_;
  bool caption_;
  int every_;
  std::unique_ptr<exporting::FilmWriter> writer_;
  display::RgbImage frame_;
};

// Lays the streets as the street experiment does before a calculation:
// delete, write the up-downs, draw the layout with the type choice of the
// controls. The layout is laid on the grid the coming set-up builds, so a
// changed cell size gets its own set-up first.
void LayStreets(simulation::Simulation& sim, const StreetLayout& layout) {
  if (sim.controls.Int(simulation::MainControl::CellSize) != sim.world.CellSize) sim.NewSetup();
  simulation::DeleteStreets(sim.world, sim.controls);
  const streets::TypeChoice choice = simulation::ReadTypeChoice(sim.controls);
  if (layout.Grid) {
    sim.controls.SetPosition(simulation::MainControl::StreetRowsUpDown, layout.Rows);
    sim.controls.SetPosition(simulation::MainControl::StreetColsUpDown, layout.Cols);
    simulation::DrawStreetGrid(sim.world, sim.controls, layout.Rows, layout.Cols, choice);
  } else {
    sim.controls.SetPosition(simulation::MainControl::StreetCountUpDown, layout.Count);
    simulation::DrawRandomStreets(sim.world, sim.controls, layout.Count, choice);
  }
}

// The picture of the world after the last step, repainted in full.
void WriteSnapshot(simulation::Simulation& sim, const std::string& path, PictureFormat format) {
  display::WorldImage image(sim.world, simulation::ShowRentLandscape(sim.controls));
  world::WorldPainter* panel = sim.world.Painter;
  sim.SetPainter(&image);
  sim.world.RepaintWorld();
  sim.SetPainter(panel);
  if (format == PictureFormat::Jpeg) {
    exporting::WriteJpegFile(image.Image(), path, 100);
  } else {
    exporting::WritePngFile(image.Image(), path);
  }
}

}  // namespace

int Run(const RunOptions& options, std::ostream& out, std::ostream& err) {
  const auto started = std::chrono::steady_clock::now();
  try {
    const std::vector<Setting> settings = ParseSettings(options.Settings, "--set", true);
    std::optional<StreetLayout> layout;
    if (options.Streets) layout = ParseStreetLayout(*options.Streets);
    std::optional<PictureFormat> snapshotFormat;
    if (options.Snapshot) snapshotFormat = SnapshotFormat(*options.Snapshot);
    std::optional<FilmRequest> filmRequest;
    if (options.Film) filmRequest = CheckFilm(options);
    simulation::Simulation::SeedSource seeds;
    if (options.Seed) {
      const std::uint64_t seed = *options.Seed;
      seeds = [seed] { return seed; };
    }
    // The settings set up again, which makes the first agents unseen unless
    // streets are laid on them first.
    simulation::Simulation sim(
        seeds, {}, layout ? simulation::Simulation::FirstAgents::Placed : simulation::Simulation::FirstAgents::Left);
    sim.SetReporter([&err](const world::UserError& e) { err << e.what() << '\n'; });
    // A film paints the world as the main window does, from its first set-up on.
    std::unique_ptr<display::WorldImage> panel;
    if (filmRequest) {
      panel = std::make_unique<display::WorldImage>(sim.world, simulation::ShowRentLandscape(sim.controls));
      sim.SetPainter(panel.get());
    }
    sim.MainWindowShown();

    // Streets laid before the set-up keep its agents off them.
    ApplyMainSettings(sim, settings, [&] {
      if (layout) LayStreets(sim, *layout);
    });

    const int steps = options.Steps ? *options.Steps : sim.controls.Int(simulation::MainControl::StopStep);
    if (steps < 0) throw UsageError("--steps must not be negative");

    std::unique_ptr<Film> film;
    if (filmRequest) film = std::make_unique<Film>(options, *filmRequest, *panel, sim.world);

    // A CSV file replaces its name only once the run is complete, so a run
    // that fails midway (a full disk, a refused film) leaves no partial table.
    std::unique_ptr<exporting::ReplacingFile> csvFile;
    std::ostream* csvStream = options.CsvStream;
    if (!csvStream && options.CsvPath) {
      if (*options.CsvPath == "-") {
        csvStream = &out;
      } else {
        csvFile = std::make_unique<exporting::ReplacingFile>(*options.CsvPath);
      }
    }
    auto writeCsv = [&](std::string text) {
      text += '\n';
      if (csvStream) {
        *csvStream << text;
      } else if (csvFile) {
        csvFile->Write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
      }
    };
    const bool csv = csvStream || csvFile;
    if (csv) writeCsv(CsvHeader(sim));
    if (film) film->AfterStep(0, steps == 0);
    const auto stepsStarted = std::chrono::steady_clock::now();
    for (int s = 0; s < steps; ++s) {
      if (options.Stopped && options.Stopped()) return kStopped;
      sim.TimeStep();
      if (csv) writeCsv(CsvRow(sim));
      if (film) film->AfterStep(s + 1, s + 1 == steps);
      // Each step is reported as it comes: the run keeps no history.
      sim.analysis.ForgetHistory();
    }
    const auto stepsEnded = std::chrono::steady_clock::now();
    if (csvStream) csvStream->flush();
    if (csvFile) csvFile->Commit();
    if (film) film->Finish();
    if (options.Snapshot) WriteSnapshot(sim, *options.Snapshot, *snapshotFormat);
    if (options.Json) {
      // Microseconds, so that short set-ups and runs still show.
      auto milliseconds = [](auto duration) {
        return static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(duration).count()) / 1000.0;
      };
      const auto elapsed =
          std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
      nlohmann::json summary = Summary(sim, sim.world.Rng.SeedValue(), steps, elapsed);
      summary["setup_ms"] = milliseconds(stepsStarted - started);
      summary["steps_ms"] = milliseconds(stepsEnded - stepsStarted);
      out << summary.dump() << '\n';
    }
    return 0;
  } catch (const world::UserError& e) {
    err << e.what() << '\n';
    return 2;
  } catch (const UsageError& e) {
    err << e.what() << '\n';
    return 2;
  }
}

}  // namespace cli
