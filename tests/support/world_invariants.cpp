#include "tests/support/world_invariants.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace test_support {

std::string BrokenWorldInvariant(const world::World& w) {
  if (static_cast<int>(w.GroupCounts.size()) != w.GroupCount) return "GroupCounts size differs from GroupCount";
  std::vector<int> onCell(static_cast<std::size_t>(w.Cells.Count()), 0);
  std::vector<int> counts(static_cast<std::size_t>(w.GroupCount), 0);
  for (const auto& a : w.Agents) {
    if (w.IsOutside(a.CellX, a.CellY)) return "agent outside the grid";
    if (a.Group < 1 || a.Group > w.GroupCount) return "agent's group out of range";
    const int i = w.Cells.Index(a.CellX, a.CellY);
    if (++onCell[static_cast<std::size_t>(i)] > 1) return "two agents on one cell";
    if (!w.Cells.Occupied[i] || w.Cells.State[i] != a.Group) return "cell disagrees with its agent";
    ++counts[static_cast<std::size_t>(a.Group - 1)];
  }
  for (int i = 0; i < w.Cells.Count(); ++i) {
    if (!onCell[static_cast<std::size_t>(i)] && (w.Cells.Occupied[i] || w.Cells.State[i] != 0)) {
      return "empty cell marked occupied";
    }
  }
  if (counts != w.GroupCounts) return "GroupCounts disagree with the agents";
  for (const auto& s : w.StreetSegments) {
    if (s.Type < -3 || s.Type > 3 || s.Type == 0) return "street segment without a type";
  }
  return {};
}

std::string AgentOffPixelCentre(const world::World& w) {
  for (const auto& a : w.Agents) {
    if (a.PixelX != w.PositionX(a.CellX) || a.PixelY != w.PositionY(a.CellY)) return "agent off its pixel centre";
  }
  return {};
}

void AbortIfBroken(const world::World& w) {
  const std::string broken = BrokenWorldInvariant(w);
  if (broken.empty()) return;
  std::fprintf(stderr, "world invariant broken: %s\n", broken.c_str());
  std::abort();
}

}  // namespace test_support
