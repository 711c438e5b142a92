// The native half of the Python package `vicinara`: one world as an object,
// the headless run and the experiments' units, all with the GIL released
// while the model works. The package's __init__.py turns values into the
// text a user types and tables into data frames.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <future>
#include <thread>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/control_settings.h"
#include "cli/experiment_command.h"
#include "cli/experiment_files.h"
#include "cli/experiment_setup.h"
#include "cli/experiment_summary.h"
#include "cli/experiment_units.h"
#include "cli/report.h"
#include "cli/run_command.h"
#include "simulation/simulation.h"
#include "world_handle.h"

namespace py = pybind11;

namespace vicinara {

namespace {

// Bad input (an unknown name, a value that does not parse, a refused
// set-up): a ValueError carrying the program's own message.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A unit of an experiment that could not be completed, or a run stopped.
class ExperimentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The world of a Python object: every call releases the GIL, so that a call
// waiting for the world's lock or stepping it lets other threads run.
class PyWorld {
 public:
  PyWorld(std::optional<std::uint64_t> seed, const std::vector<std::string>& settings) {
    py::gil_scoped_release release;
    world_ = std::make_unique<pyvicinara::WorldHandle>(seed, settings);
  }

  template <class F>
  auto Call(F f) {
    py::gil_scoped_release release;
    return f(*world_);
  }

 private:
  std::unique_ptr<pyvicinara::WorldHandle> world_;
};

// Steps a world with the GIL released, taking it back about every tenth of
// a second to let Ctrl-C (KeyboardInterrupt) through between two steps.
void StepWorld(PyWorld& w, long long steps) {
  if (steps < 0) throw InputError("steps must not be negative");
  while (steps > 0) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    steps -= w.Call([&](pyvicinara::WorldHandle& h) {
      bool first = true;
      return h.Step(steps, [&] { return std::exchange(first, false) || std::chrono::steady_clock::now() < until; });
    });
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
  }
}

template <class T>
py::array_t<T> GridArray(int rows, int cols, const std::vector<T>& values) {
  py::array_t<T> grid({rows, cols});
  std::copy(values.begin(), values.end(), grid.mutable_data());
  return grid;
}

// `vicinara-cli run` with the table and the summary returned as text, and
// what it reported on standard error.
py::tuple RunHeadless(std::optional<int> steps, std::optional<std::uint64_t> seed,
                      const std::vector<std::string>& settings, std::optional<std::string> streets,
                      std::optional<std::string> snapshot) {
  cli::RunOptions options;
  options.Steps = steps;
  options.Seed = seed;
  options.Settings = settings;
  options.Streets = std::move(streets);
  options.Snapshot = std::move(snapshot);
  options.Json = true;
  std::ostringstream table, summary, err;
  options.CsvStream = &table;
  // The GIL comes back about every tenth of a second between two steps, to
  // let Ctrl-C (KeyboardInterrupt) through.
  auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
  options.Stopped = [&] {
    if (std::chrono::steady_clock::now() < next) return false;
    py::gil_scoped_acquire gil;
    next = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    return PyErr_CheckSignals() != 0;
  };
  int status = 0;
  {
    py::gil_scoped_release release;
    status = cli::Run(options, summary, err);
  }
  if (status == cli::kStopped) throw py::error_already_set();
  return py::make_tuple(status, table.str(), summary.str(), err.str());
}

// `vicinara-cli experiment` into folder out, on local threads.
py::tuple RunExperimentLocally(const std::string& name, const std::vector<std::string>& set,
                               const std::vector<std::string>& exp, std::optional<std::uint64_t> seed,
                               std::optional<unsigned> threads, long long maxRoundSteps, const std::string& out,
                               const std::optional<py::function>& progress) {
  cli::ExperimentOptions options;
  options.Experiment = name;
  options.Settings = set;
  options.Fields = exp;
  options.Seed = seed;
  options.Threads = threads;
  options.MaxRoundSteps = maxRoundSteps;
  options.Out = out;
  // The workers' count, handed to progress on the thread that holds the GIL.
  std::atomic<long long> done{-1};
  std::atomic<long long> planned{0};
  options.OnProgress = [&](long long d, long long p) {
    planned.store(p);
    done.store(d);
  };
  long long shown = -1;
  const auto show = [&] {
    const long long d = done.load();
    if (progress && d != shown && d >= 0) {
      shown = d;
      (*progress)(d, planned.load());
    }
  };
  std::ostringstream err;
  std::atomic<int> stop{0};
  // The workers run while this thread waits with the GIL released, taking it
  // back now and then for Ctrl-C: that stops the workers as SIGINT does the
  // tool's, and what they finished stays in the folder's journal.
  auto running = std::async(std::launch::async, [&] { return cli::RunExperiment(options, err, stop); });
  std::optional<py::error_already_set> interrupted;
  while (true) {
    {
      py::gil_scoped_release release;
      if (running.wait_for(std::chrono::milliseconds(100)) == std::future_status::ready) break;
    }
    if (interrupted) continue;
    try {
      if (PyErr_CheckSignals() != 0) throw py::error_already_set();
      show();
    } catch (py::error_already_set& e) {
      // Ctrl-C, or an error of the progress function: the workers stop.
      interrupted.emplace(std::move(e));
      stop.store(SIGINT);
    }
  }
  const int status = running.get();
  if (interrupted) throw std::move(*interrupted);
  show();
  return py::make_tuple(status, err.str());
}

// The number of units (calculations; passes for stability) of an
// experiment, its settings checked. Throws InputError.
long long PlanUnits(const std::string& name, const std::vector<std::string>& set, const std::vector<std::string>& exp,
                    long long maxRoundSteps) {
  py::gil_scoped_release release;
  return cli::ReadExperiment(name, set, exp, maxRoundSteps).Units;
}

// One unit of an experiment on a world of its own, as any worker of the
// headless tool runs it: its rows of runs.csv, steps.csv and rises.csv, and
// the conditions its world reported.
py::tuple RunOneUnit(const std::string& name, const std::vector<std::string>& set, const std::vector<std::string>& exp,
                     long long maxRoundSteps, std::uint64_t seed, long long unit) {
  cli::UnitRows rows;
  std::vector<std::string> notices;
  {
    py::gil_scoped_release release;
    const cli::ExperimentSetup setup = cli::ReadExperiment(name, set, exp, maxRoundSteps);
    if (unit < 0 || unit >= setup.Units) throw InputError("no unit " + std::to_string(unit) + " in this experiment");
    const auto report = [&notices](const world::UserError& e) { notices.push_back(e.what()); };
    cli::RunUnit(setup, seed, unit, [] { return false; }, report, rows);
  }
  return py::make_tuple(py::bytes(rows.Runs), py::bytes(rows.Steps), py::bytes(rows.Rises), notices);
}

// Writes an experiment's folder from the rows of all its units, given in
// unit order, exactly as the headless tool writes it: run.json, the tables
// through the journal, summary.json (and surface.xls).
void WriteExperiment(const std::string& name, const std::vector<std::string>& set,
                     const std::vector<std::string>& exp, long long maxRoundSteps, std::uint64_t seed,
                     const std::vector<std::tuple<std::string, std::string, std::string>>& units,
                     const std::string& out) {
  py::gil_scoped_release release;
  const cli::ExperimentSetup setup = cli::ReadExperiment(name, set, exp, maxRoundSteps);
  if (static_cast<long long>(units.size()) != setup.Units) {
    throw InputError("rows of " + std::to_string(units.size()) + " units, not the " + std::to_string(setup.Units) +
                     " of this experiment");
  }
  const cli::OutputFolder folder{out};
  if (folder.HoldsRun()) throw InputError(out + " already holds a run; choose another folder");
  std::filesystem::create_directories(folder.Dir);
  cli::WriteTextFile(folder.Manifest(), cli::ManifestOf(setup, seed).dump(2) + "\n");
  {
    cli::Journal journal(folder.Journal());
    for (std::size_t u = 0; u < units.size(); ++u) {
      journal.Append(static_cast<long long>(u),
                     {std::get<0>(units[u]), std::get<1>(units[u]), std::get<2>(units[u])});
    }
  }
  cli::CollectJournal(folder, cli::ScanJournal(folder.Journal()), cli::HeadersOf(setup.Kind));
  cli::Summarise(folder, setup, seed);
  std::filesystem::remove(folder.Journal());
}

}  // namespace

}  // namespace vicinara

PYBIND11_MODULE(_vicinara, m) {
  using namespace vicinara;
  m.doc() = "Native core of the vicinara package; use the package, not this module.";

  static py::exception<InputError> inputError(m, "InputError", PyExc_ValueError);
  static py::exception<ExperimentError> experimentError(m, "ExperimentError", PyExc_RuntimeError);
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const InputError& e) {
      inputError(e.what());
    } catch (const cli::UsageError& e) {
      inputError(e.what());
    } catch (const world::UserError& e) {
      inputError(e.what());
    } catch (const cli::UnitFailure& e) {
      experimentError(e.what());
    }
  });

  using pyvicinara::WorldHandle;
  py::class_<PyWorld>(m, "World", "One world of the model; vicinara.Simulation is its public face.")
      .def(py::init<std::optional<std::uint64_t>, const std::vector<std::string>&>(), py::arg("seed"),
           py::arg("settings"))
      .def(
          "set",
          [](PyWorld& w, const std::string& name, const std::string& value) {
            w.Call([&](WorldHandle& h) { h.Set(name, value); });
          },
          py::arg("name"), py::arg("value"))
      .def(
          "get", [](PyWorld& w, const std::string& name) { return w.Call([&](WorldHandle& h) { return h.Get(name); }); },
          py::arg("name"))
      .def("new_setup", [](PyWorld& w) { w.Call([](WorldHandle& h) { h.NewSetup(); }); })
      .def("set_thresholds", [](PyWorld& w) { w.Call([](WorldHandle& h) { h.SetThresholds(); }); })
      .def("step", &StepWorld, py::arg("steps"))
      .def("run",
           [](PyWorld& w) {
             const long long steps = w.Call([](WorldHandle& h) { return h.StepsToStop(); });
             StepWorld(w, steps);
             return steps;
           })
      .def("state",
           [](PyWorld& w) {
             const auto grid = w.Call([](WorldHandle& h) { return h.CopyGrid(); });
             return GridArray(grid.Rows, grid.Cols, grid.States);
           })
      .def("rent",
           [](PyWorld& w) {
             const auto grid = w.Call([](WorldHandle& h) { return h.CopyGrid(); });
             return GridArray(grid.Rows, grid.Cols, grid.Rents);
           })
      .def("measures", [](PyWorld& w) { return w.Call([](WorldHandle& h) { return h.Measures(); }); })
      .def("table", [](PyWorld& w) { return py::bytes(w.Call([](WorldHandle& h) { return h.Table(); })); })
      .def_property_readonly("step_count",
                             [](PyWorld& w) { return w.Call([](WorldHandle& h) { return h.StepCount(); }); })
      .def(
          "take_notices", [](PyWorld& w) { return w.Call([](WorldHandle& h) { return h.TakeNotices(); }); },
          "The conditions the world reported since the last call (the package issues them as warnings).");

  m.def("run", &RunHeadless, py::arg("steps"), py::arg("seed"), py::arg("settings"), py::arg("streets"),
        py::arg("snapshot"), "vicinara-cli run: (status, CSV table, JSON summary, standard error).");
  m.def("experiment", &RunExperimentLocally, py::arg("name"), py::arg("set"), py::arg("exp"), py::arg("seed"),
        py::arg("threads"), py::arg("max_round_steps"), py::arg("out"), py::arg("progress"),
        "vicinara-cli experiment into folder out on local threads: (status, standard error).");
  m.def("plan_units", &PlanUnits, py::arg("name"), py::arg("set"), py::arg("exp"), py::arg("max_round_steps"),
        "The number of units (calculations; stability: passes), the settings checked.");
  m.def(
      "unit_word", [](const std::string& name) { return cli::TypeNamed(name).Words.Units; }, py::arg("name"),
      "What the experiment's units are called in a progress line: calculations, or passes.");
  m.def("run_unit", &RunOneUnit, py::arg("name"), py::arg("set"), py::arg("exp"), py::arg("max_round_steps"),
        py::arg("seed"), py::arg("unit"), "One unit's rows of runs.csv, steps.csv, rises.csv, and its notices.");
  m.def("write_experiment", &WriteExperiment, py::arg("name"), py::arg("set"), py::arg("exp"),
        py::arg("max_round_steps"), py::arg("seed"), py::arg("units"), py::arg("out"),
        "Writes an experiment's folder from every unit's rows, in unit order, as the tool does.");
  m.attr("SETUP") = cli::kSetupText;
}
