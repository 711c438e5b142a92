#pragma once

#include <string>
#include <vector>

#include "simulation/controls.h"
#include "world/convert.h"
#include "tests/support/world_builder.h"

// Driving the experiment runners as their windows do.
namespace test_support {

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
inline void Type(simulation::ControlModel& controls, const test_support::Settings& settings) {
  for (const auto& [name, value] : settings) controls.SetByUser(name, value);
}

}  // namespace test_support
