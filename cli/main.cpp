#include <CLI/CLI.hpp>
#include <iostream>

#include "run_command.h"

int main(int argc, char** argv) {
  CLI::App app{"Vicinara, headless: runs the segregation model from the command line."};
  app.require_subcommand(1);

  cli::RunOptions run;
  auto* runCommand = app.add_subcommand("run", "Set up one world and run it for a number of steps.");
  runCommand->add_option("--steps", run.Steps, "time steps to run (default: the stop timestep E_stopT)");
  runCommand->add_option("--seed", run.Seed, "fixed seed of every set-up, for repeatable runs (default: the clock)");
  runCommand->add_option("--set", run.Settings,
                         "CONTROL=VALUE: a main-window control by component name, set as a user would; "
                         "repeatable, applied in order before the set-up (E_RentN after it)");
  runCommand->add_option("--csv", run.CsvPath, "write one row per time step to FILE, or - for standard output");
  runCommand->add_flag("--json", run.Json, "print a summary object at the end");
  runCommand->add_option("--streets", run.Streets,
                         "street layout laid before the set-up: grid:N:M (N - 1 vertical and M - 1 horizontal "
                         "streets) or random:COUNT (COUNT - 1 streets); types from CB_rndTyp and UpD_strType");
  runCommand->add_option("--snapshot", run.Snapshot, "write the world image after the last step to FILE.jpg or FILE.png");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  }

  if (*runCommand) return cli::Run(run, std::cout, std::cerr);
  return 2;
}
