#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "cli/experiment_setup.h"

namespace cli {

// The rows one unit adds to each table, as whole CSV lines.
struct UnitRows {
  std::string Runs;
  std::string Steps;
  std::string Rises;
};

// A unit that could not be completed (a refused set-up, a round that did
// not settle in time): the run stops with this message.
class UnitFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The tables of an experiment (TypeOf(kind).Headers).
TableHeaders HeadersOf(ExperimentKind kind);

// A number as the tables write it: the shortest text that reads back as the
// same double, so that a merge recomputes exactly what a single run did.
std::string NumberText(double value);

// Runs unit `unit` of the sweep seeded by sweepSeed on a world of its own,
// exactly as the experiment window's runner runs it, and returns its rows;
// nothing when stop() turned true before it was complete (it is checked
// before every time step). Conditions the world reports without stopping
// go to report. Throws UnitFailure.
bool RunUnit(const ExperimentSetup& setup, std::uint64_t sweepSeed, long long unit, const std::function<bool()>& stop,
             const simulation::Simulation::Reporter& report, UnitRows& rows);

}  // namespace cli
