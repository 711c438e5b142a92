#pragma once

#include <cstddef>
#include <vector>

#include "world/world.h"

namespace streets {

using BlockedRun = world::StreetField::BlockedRun;

// Runs of more than this many entries are not stored; each evaluation then
// finds the runs of its rows anew.
inline constexpr std::size_t kMaxStoredRuns = std::size_t{16} << 20;

// Builds World::Field.Sums from the last imprint: for every cell near a
// barrier and every in-grid row of its neighbourhood, the column runs whose
// pair with the cell crosses a barrier, with the lowest type crossing. Run
// lists longer than maxRuns are not kept. Also done by the first
// SumAcrossBarriers after an imprint; ImprintStreets discards it.
void PrepareBarrierSums(world::World& world, std::size_t maxRuns = kMaxStoredRuns);

// The blocked runs of row ny (in the grid, within the radius of y) of the
// neighbourhood of (x, y), ascending, clipped to the neighbourhood's columns.
std::vector<BlockedRun> BlockedRuns(world::World& world, int x, int y, int ny);

// Plain-mode sums of the neighbourhood of (x, y) for a cell near a barrier:
// what adding the neighbours' weights (barrier weight, or StreetValue) one by
// one in scan order gives, bit for bit, with empty cells counting 1 as
// different (emptyCells 1), as similar (2) or not at all (0). Reads State and
// Occupied as they are, so a tentative move is seen. Allocation-free once
// the runs are built.
void SumAcrossBarriers(world::World& world, int x, int y, int emptyCells, double& similar, double& different);

}  // namespace streets
