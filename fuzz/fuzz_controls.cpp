// The main window's controls fed random settings as a user would type them,
// with set-ups, steps and the street buttons in between: nothing may crash,
// and the world must stay consistent. Worlds are kept small so that the
// fuzzer runs many inputs per second.
#include <algorithm>
#include <string>
#include <vector>

#include "simulation/street_controls.h"
#include "simulation/simulation.h"
#include "world/convert.h"
#include "fuzz_input.h"
#include "streets/layouts.h"
#include "tests/support/world_builder.h"
#include "tests/support/world_invariants.h"

namespace {

void KeepSmall(simulation::ControlModel& c) {
  auto atMost = [&](const char* name, int limit, bool atLeast = false) {
    const std::string& text = c.Text(name);
    if (!world::IsInteger(text)) return;
    const int v = world::StrToInt(text);
    if (atLeast ? v < limit : v > limit) c.Get(name).Text = std::to_string(limit);
  };
  atMost("Edit_cellSiz", 14, true);
  atMost("Edit_nRad", 6);
  atMost("Edit_anzGr", 40);
  atMost("E_growRate", 200);
  atMost("E_startGrowWith", 2000);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const auto set =
      test_support::SetUp({{"Edit_cellSiz", "20"}, {"Edit_anzAg", "400"}}, [] { return std::uint64_t{1}; });
  simulation::Simulation& sim = *set;
  sim.SetReporter([](const world::UserError&) {});

  std::vector<std::string> names;
  for (const auto& name : sim.controls.Names()) {
    const auto kind = sim.controls.Get(name).Kind;
    if (kind != simulation::ControlKind::Label && kind != simulation::ControlKind::Button &&
        kind != simulation::ControlKind::Timer) {
      names.push_back(name);
    }
  }
  for (int op = 0; op < 40 && !in.Empty(); ++op) {
    try {
      switch (in.Byte() % 10) {
        case 0:
        case 1:
        case 2: {
          // Controls that a set-up removes may be gone: look the name up afresh.
          const std::string& name = names[static_cast<std::size_t>(in.Int(0, static_cast<int>(names.size()) - 1))];
          if (sim.controls.Has(name)) sim.controls.SetByUser(name, in.Text());
          break;
        }
        case 3: {
          const std::string& name = names[static_cast<std::size_t>(in.Int(0, static_cast<int>(names.size()) - 1))];
          if (sim.controls.Has(name) && sim.controls.Get(name).Kind == simulation::ControlKind::UpDown) {
            sim.controls.ClickUpDown(name, in.Int(-20000, 20000));
          }
          break;
        }
        case 4:
          KeepSmall(sim.controls);
          sim.NewSetup();
          break;
        case 5:
        case 6:
          KeepSmall(sim.controls);
          sim.TimeStep();
          break;
        case 7:
          switch (in.Byte() % 4) {
            case 0:
              simulation::DrawStreetGrid(sim.world, sim.controls, in.Int(0, 30), in.Int(0, 30),
                                      simulation::ReadTypeChoice(sim.controls));
              break;
            case 1:
              simulation::DrawRandomStreets(sim.world, sim.controls, in.Int(0, 40), simulation::ReadTypeChoice(sim.controls));
              break;
            case 2:
              simulation::DeleteStreets(sim.world, sim.controls);
              break;
            default:
              sim.B_imprintClick();
          }
          break;
        case 8:
          sim.B_stopClick();
          break;
        default:
          if (in.Bool()) {
            sim.FillTolerancePercent();
          } else {
            sim.Button3Click();
          }
      }
    } catch (const world::UserError&) {
      // Bad input is refused with a message; the world must be intact.
    }
    test_support::AbortIfBroken(sim.world);
  }
  return 0;
}
