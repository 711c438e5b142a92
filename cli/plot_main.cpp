// vicinara-plot: the `plot` command of the headless tool, in a program of its
// own so that only plotting loads the Qt libraries. `vicinara-cli plot ARGS`
// runs it with ARGS as they are.
#include <CLI/CLI.hpp>
#include <iostream>

#include "plot_command.h"

int main(int argc, char** argv) {
  CLI::App app{"Draw the charts the windows show for an experiment's folder or a run's --csv, as PNG or SVG files.",
               "vicinara-cli plot"};
  cli::PlotOptions plot;
  app.add_option("input", plot.Input, "an experiment's output folder, or the CSV file of run --csv")->required();
  app.add_option("--out", plot.Out, "folder for the charts (default: the experiment's folder, or the CSV's)");
  app.add_option("--format", plot.Format, "png or svg (default png)");
  app.add_option("--size", plot.Size, "WxH in pixels (default: each chart's size in its window)");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  }
  return cli::Plot(plot, std::cout, std::cerr);
}
