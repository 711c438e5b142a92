#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/simulation/simulation.h"
#include "core/world/convert.h"

namespace experiments::testing {

using Settings = std::vector<std::pair<std::string, std::string>>;

// A 20 x 20 world (cell size 34) with few agents and plain thresholds. Every
// set-up takes the next seed of a counter, so repeated calculations differ
// while every run of a test repeats exactly.
inline std::unique_ptr<simulation::Simulation> SmallWorld(const Settings& settings = {}, std::uint64_t seed = 1) {
  auto sim = std::make_unique<simulation::Simulation>([next = seed]() mutable { return next++; });
  sim->MainWindowShown();
  sim->controls.SetByUser("Edit_cellSiz", "34");
  sim->controls.SetByUser("Edit_anzAg", "120");
  sim->controls.SetByUser("cb_individTol", "0");
  sim->controls.SetByUser("CB_graphicUpd", "0");
  for (const auto& [name, value] : settings) sim->controls.SetByUser(name, value);
  sim->NewSetup();
  return sim;
}

// The messages a runner reported, in order.
struct Reports {
  std::vector<std::string> Texts;
  auto Sink() {
    return [this](const world::UserError& e) { Texts.push_back(e.what()); };
  }
};

// Ticks while the runner runs, at most `limit` times; returns the ticks made.
template <typename Runner>
int RunOut(Runner& runner, int limit = 200000) {
  int ticks = 0;
  while (runner.Running() && ticks < limit) {
    runner.Tick();
    ++ticks;
  }
  return ticks;
}

// Sets window fields as the user types them.
inline void Type(world::ControlModel& controls, const Settings& settings) {
  for (const auto& [name, value] : settings) controls.SetByUser(name, value);
}

}  // namespace experiments::testing
