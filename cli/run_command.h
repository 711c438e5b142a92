#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

struct RunOptions {
  std::optional<int> Steps;               // default: the stop timestep
  std::optional<std::uint64_t> Seed;      // default: from the clock
  std::vector<std::string> Settings;      // CONTROL=VALUE or kSetupText ("new Setup"), in the order given
  std::optional<std::string> CsvPath;     // "-" for standard output
  std::ostream* CsvStream = nullptr;      // the table goes here instead of CsvPath (the Python module)
  bool Json = false;
  std::optional<std::string> Streets;     // "grid:N:M" or "random:COUNT"
  std::optional<std::string> Snapshot;    // FILE.jpg, FILE.jpeg or FILE.png
  std::optional<std::string> Film;        // FILE.mp4 or FILE.gif
  int FilmEvery = 1;                      // a frame every K-th step
  int FilmFps = 25;
  bool FilmCaption = false;               // "step N" in the frame's corner
  // Asked before every step; true stops the run there (the Python module's
  // Ctrl-C). A stopped run writes nothing more and returns kStopped.
  std::function<bool()> Stopped;
};

// The exit status of a run that Stopped ended.
constexpr int kStopped = 130;

// Runs the model headless as the main window would: start, settings through
// the controls' own handlers with set-ups among them, a street layout as the street experiment lays
// it, set-up, the group thresholds as by "set", then the steps, and at the
// end the world image when a snapshot is asked for. A film records the
// world image as the main window's panel shows it, painted by the same
// code: after the set-up and after every K-th step, and after the last. Returns the exit status:
// 0, or 2 for bad input (the message went to err and nothing else was
// written), or kStopped. The summary (--json) is one line.
int Run(const RunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace cli
