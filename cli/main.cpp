#include <unistd.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "control_settings.h"
#include "experiment_command.h"
#include "experiment_setup.h"
#include "merge_command.h"
#include "run_command.h"

namespace {

// The --set values with kSetupText wherever --setup stood among them, in
// the order of the command line.
std::vector<std::string> SettingsInOrder(const CLI::App& command, const CLI::Option* set, const CLI::Option* setup) {
  std::vector<std::string> texts;
  std::size_t next = 0;
  const auto& values = set->results();
  for (const CLI::Option* option : command.parse_order()) {
    if (option == setup) texts.push_back(cli::kSetupText);
    if (option == set && next < values.size()) texts.push_back(values[next++]);
  }
  while (next < values.size()) texts.push_back(values[next++]);
  return texts;
}

// The number of the signal that asked a running experiment to stop, 0 while
// none did. The one piece of process-wide mutable state of the program: a
// signal handler can reach nothing else. Lock-free, so the handler may set it.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void AskToStop(int signal) { stopSignal.store(signal); }

// Ctrl-C and SIGTERM ask the workers to stop; a second one ends the program at once.
void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = AskToStop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

// `plot` draws with the windows' chart component, so it is a program of its
// own, vicinara-plot beside this one: run, experiment and merge never load a
// Qt library. It takes the arguments after "plot" as they are and ends this
// process with its own exit status. Returns only when it cannot be started.
int Plot(int argc, char** argv) {
#ifdef VICINARA_PLOT
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  const std::string program = (error ? std::filesystem::path("vicinara-plot") : self.parent_path() / "vicinara-plot");
  std::vector<char*> arguments;
  arguments.push_back(const_cast<char*>(program.c_str()));
  for (int i = 2; i < argc; ++i) arguments.push_back(argv[i]);
  arguments.push_back(nullptr);
  std::cout.flush();
  execv(program.c_str(), arguments.data());
  std::cerr << "plot is not available: " << program << " cannot be started: " << std::strerror(errno) << '\n';
#else
  (void)argc;
  (void)argv;
  std::cerr << "plot is not available: this vicinara-cli was built without the windows (VICINARA_GUI=OFF), "
               "whose charts it draws\n";
#endif
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string_view(argv[1]) == "plot") return Plot(argc, argv);

  CLI::App app{"Vicinara, headless: runs the segregation model from the command line."};
  app.require_subcommand(1);

  cli::RunOptions run;
  auto* runCommand = app.add_subcommand("run", "Set up one world and run it for a number of steps.");
  runCommand->add_option("--steps", run.Steps, "time steps to run (default: the stop timestep E_stopT)");
  runCommand->add_option("--seed", run.Seed, "fixed seed of every set-up, for repeatable runs (default: the clock)");
  auto* runSet = runCommand
                    ->add_option("--set", run.Settings,
                                 "CONTROL=VALUE: a main-window control by component name, set as a user would; "
                                 "repeatable, applied in order before the set-up (E_RentN after it)")
                    ->allow_extra_args(false);
  auto* runSetup = runCommand->add_flag("--setup")->description(
      "press \"new Setup\" here, between --set options, so that the settings after it are checked against the new "
      "world; repeatable");
  runCommand->add_option("--csv", run.CsvPath, "write one row per time step to FILE, or - for standard output");
  runCommand->add_flag("--json", run.Json, "print a summary object at the end");
  runCommand->add_option("--streets", run.Streets,
                         "street layout laid before the set-up: grid:N:M (N - 1 vertical and M - 1 horizontal "
                         "streets) or random:COUNT (COUNT - 1 streets); types from CB_rndTyp and UpD_strType");
  runCommand->add_option("--snapshot", run.Snapshot, "write the world image after the last step to FILE.jpg or FILE.png");
  runCommand->add_option("--film", run.Film,
                         "film the world image after the set-up and every K-th step into FILE.mp4 (H.264) or "
                         "FILE.gif");
  runCommand->add_option("--film-every", run.FilmEvery, "K: a frame every K-th step, and after the last (default 1)");
  runCommand->add_option("--film-fps", run.FilmFps, "frames per second of the film, 1 to 100 (default 25)");
  runCommand->add_flag("--film-caption", run.FilmCaption, "write the step number into the film's frames");

  cli::ExperimentOptions experiment;
  auto* experimentCommand = app.add_subcommand(
      "experiment", "Run a batch experiment on all cores and write its tables: runs.csv, steps.csv, summary.json.");
  std::string names;
  for (const std::string& name : cli::ExperimentNames()) {
    names += (names.empty() ? "" : &name == &cli::ExperimentNames().back() ? " or " : ", ") + name;
  }
  experimentCommand->add_option("name", experiment.Experiment, names)->required();
  auto* experimentSet = experimentCommand
                           ->add_option("--set", experiment.Settings,
                                        "CONTROL=VALUE: a main-window control, as for run; repeatable, applied in order")
                           ->allow_extra_args(false);
  auto* experimentSetup =
      experimentCommand->add_flag("--setup")->description(
          "press \"new Setup\" here, between --set options, as for run; repeatable");
  experimentCommand
      ->add_option("--exp", experiment.Fields,
                   "CONTROL=VALUE: a field of the experiment window by component name (E_valFrom, E_valTo, "
                   "E_incre, E_toSteps, E_calcVals, E_calcRds, CB_param, RB_grid, RB_rnd, Cb_acti3d, "
                   "E_thirdFrom, ...); repeatable")
      ->allow_extra_args(false);
  experimentCommand->add_option("--threads", experiment.Threads, "worlds run at once (default: every core)");
  experimentCommand->add_option("--seed", experiment.Seed,
                                "seed of the sweep; calculation k is seeded from it and k (default: the clock)");
  experimentCommand->add_option("--shard", experiment.Shard, "K/N: run only the units whose index is K modulo N");
  experimentCommand->add_flag("--resume", experiment.Resume, "continue a stopped run in --out");
  experimentCommand->add_option("--out", experiment.Out, "output folder (default: vicinara-NAME)");
  experimentCommand->add_option("--trial", experiment.Trial,
                                "STEPS: show the planned total and run the first calculation (stability: pass) "
                                "for at most STEPS time steps; write nothing");
  experimentCommand->add_option("--max-round-steps", experiment.MaxRoundSteps,
                                "stability: fail a round still running after this many steps (default: no limit)");

  cli::MergeOptions merge;
  auto* mergeCommand =
      app.add_subcommand("merge", "Join the output folders of the shards of one experiment into one.");
  mergeCommand->add_option("folders", merge.Inputs, "the shards' output folders")->required();
  mergeCommand->add_option("--out", merge.Out, "output folder")->required();

  // Listed for --help; `plot` itself never reaches the parser (see Plot).
  app.add_subcommand("plot",
                     "Draw the charts the windows show for an experiment's folder or a run's --csv, as PNG or SVG "
                     "files (vicinara-cli plot --help for its options).");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  }

  if (*runCommand) {
    run.Settings = SettingsInOrder(*runCommand, runSet, runSetup);
    return cli::Run(run, std::cout, std::cerr);
  }
  if (*experimentCommand) {
    experiment.Settings = SettingsInOrder(*experimentCommand, experimentSet, experimentSetup);
    experiment.Progress = isatty(STDERR_FILENO) == 1;
    CatchStopSignals();
    return cli::RunExperiment(experiment, std::cerr, stopSignal);
  }
  if (*mergeCommand) return cli::Merge(merge, std::cerr);
  return 2;
}
