#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "simulation/simulation.h"

namespace pyvicinara {

// One world as the Python module holds it: prepared as `vicinara-cli run`
// prepares it, driven as a user drives the main window, and recording the
// table of `run --csv` as it steps. Every call takes the world's lock, so
// the Python threads that share one world run its calls one after another,
// while threads with worlds of their own run at once. Bad input throws
// cli::UsageError or world::UserError with the message to show.
class WorldHandle {
 public:
  // seed fixes every set-up's seed (the clock's otherwise); settings are
  // CONTROL=VALUE texts with cli::kSetupText where "new Setup" is pressed.
  WorldHandle(std::optional<std::uint64_t> seed, const std::vector<std::string>& settings);

  // A user's edit of a main-window control, checked first.
  void Set(const std::string& name, const std::string& value);
  // The control's value as text: "1"/"0" for boxes, positions, item numbers.
  std::string Get(const std::string& name);
  // "new Setup"; a refused set-up leaves the world. Starts a new table.
  void NewSetup();
  // "set": the group thresholds.
  void SetThresholds();
  // Up to `steps` time steps, each adding a row to the table, while more()
  // (asked before each step; none: always) is true; returns the steps run.
  // steps >= 0.
  long long Step(long long steps, const std::function<bool()>& more = {});
  // The steps left up to the stop timestep (none when it is reached or passed).
  long long StepsToStop();

  // Copies of the grid's cell states (0 empty, 1..k groups) and rents,
  // row-major, with the grid's rows and columns.
  struct Grid {
    int Rows = 0;
    int Cols = 0;
    std::vector<std::int32_t> States;
    std::vector<double> Rents;
  };
  Grid CopyGrid();
  // The `run --json` summary of the world as it stands, one line.
  std::string Measures();
  // The table of the steps since the last set-up, as `run --csv` writes it.
  std::string Table();
  int StepCount();
  // The conditions the world reported since the last call (a full grid, a
  // rent that does not parse).
  std::vector<std::string> TakeNotices();

 private:
  void StartTable();

  std::mutex mutex_;
  std::unique_ptr<simulation::Simulation> sim_;
  std::vector<std::string> notices_;
  std::string table_;
};

}  // namespace pyvicinara
