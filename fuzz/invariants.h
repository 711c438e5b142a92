#pragma once

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/world/world.h"

namespace fuzz {

// Every agent on its own cell (placement never stacks agents), Occupied and
// State agreeing with the agents, GroupCounts summing to them.
inline void CheckWorld(const world::World& w) {
  std::vector<int> onCell(static_cast<std::size_t>(w.Cells.Count()), 0);
  std::vector<int> counts(static_cast<std::size_t>(w.GroupCount), 0);
  auto fail = [](const char* what) {
    std::fprintf(stderr, "world invariant broken: %s\n", what);
    std::abort();
  };
  if (static_cast<int>(w.GroupCounts.size()) != w.GroupCount) fail("GroupCounts size");
  for (const auto& a : w.Agents) {
    if (w.IsOutside(a.CellX, a.CellY)) fail("agent outside the grid");
    const int i = w.Cells.Index(a.CellX, a.CellY);
    if (++onCell[static_cast<std::size_t>(i)] > 1) fail("two agents on one cell");
    if (!w.Cells.Occupied[i] || w.Cells.State[i] != a.Group) fail("cell disagrees with its agent");
    if (a.Group < 1 || a.Group > w.GroupCount) fail("group out of range");
    ++counts[static_cast<std::size_t>(a.Group - 1)];
  }
  for (int i = 0; i < w.Cells.Count(); ++i) {
    if (!onCell[static_cast<std::size_t>(i)] && (w.Cells.Occupied[i] || w.Cells.State[i] != 0)) {
      fail("empty cell marked occupied");
    }
  }
  if (counts != w.GroupCounts) fail("GroupCounts disagree with the agents");
  for (const auto& s : w.StreetSegments) {
    if (s.Type < -3 || s.Type > 3 || s.Type == 0) fail("street segment without a type");
  }
}

}  // namespace fuzz
