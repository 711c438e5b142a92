// Street editing driven by random presses, moves and releases of any
// button, inside and outside the panel: at most one overlay, no incomplete
// street, the world consistent.
#include "simulation/street_controls.h"
#include "simulation/simulation.h"
#include "fuzz_input.h"
#include "streets/editing.h"
#include "tests/support/world_builder.h"
#include "tests/support/world_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const auto set = test_support::SetUp({{"Edit_cellSiz", std::to_string(in.Int(5, 34))}, {"Edit_anzAg", "300"}},
                                       [] { return std::uint64_t{2}; });
  simulation::Simulation& sim = *set;
  streets::StreetEditor editor(sim.world, simulation::StreetEditorHooks(sim.world, sim.controls));
  for (int op = 0; op < 60 && !in.Empty(); ++op) {
    const int x = in.Int(-60, 760), y = in.Int(-60, 760);
    const auto button = static_cast<streets::MouseButton>(in.Byte() % 3);
    try {
      switch (in.Byte() % 8) {
        case 0:
          sim.controls.SetItemIndex(simulation::MainControl::StreetTypeChoice, in.Int(-1, 5));
          break;
        case 1:
          sim.controls.SetChecked(simulation::MainControl::DrawWithoutAgents, in.Bool());
          break;
        case 2:
        case 3:
          editor.Press(x, y, button);
          break;
        case 4:
        case 5:
          editor.Move(x, y);
          break;
        case 6:
          editor.Release(x, y, button);
          break;
        default:
          if (in.Bool()) {
            editor.Cancel();
          } else {
            sim.TimeStep();
          }
      }
    } catch (const world::UserError&) {
    }
    if (editor.Overlay().Exists != editor.Drawing()) std::abort();
    if (editor.Dragging() && !editor.Drawing()) std::abort();
    test_support::AbortIfBroken(sim.world);
  }
  return 0;
}
