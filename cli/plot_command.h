#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

struct PlotOptions {
  std::string Input;               // an experiment's output folder, or the --csv of a run
  std::optional<std::string> Out;  // default: the experiment's folder, or the folder of the CSV
  std::string Format = "png";      // png or svg
  std::optional<std::string> Size; // WxH; default: each chart's size in its window
};

// Renders the charts the windows would show for the data: the experiment
// window's charts for an experiment's folder (the 3-D surface as a heat map,
// or as the 3-D picture where OpenGL renders), the analysis window's time
// charts for a run's CSV. Each chart becomes one file named after its title
// in the output folder, written whole or not at all; the list of files goes
// to out. Needs no display: it renders offscreen unless QT_QPA_PLATFORM
// names a platform. Returns the exit status: 0, or 2 for bad input (one
// message on err).
int Plot(const PlotOptions& options, std::ostream& out, std::ostream& err);

}  // namespace cli
