#pragma once

#include <array>
#include <string>
#include <vector>

#include "world/world.h"

namespace streets {

// Weights of street types -3..+3 at index type + 3.
using StreetWeights = std::array<double, 7>;

// The weight texts of street types -3..+3 at index type + 3, as typed.
using StreetWeightTexts = std::array<std::string, 7>;

// Parses the weight texts an imprint of this world needs: type 0 always,
// every type found in the cells, in StreetGrid or among the segments.
// Other texts are not read. Throws UserError "'%s' ist kein gültiger
// Gleitkommawert" for the first one that does not parse.
StreetWeights ParseNeededWeights(const world::World& world, const StreetWeightTexts& texts);

// Rebuilds the street influence field from the cells' StreetType, the
// segments and the weight texts: StreetValue and light-grey marking, the
// street cell count (StreetCellCount) and the neighbour weights;
// clears StreetsDirty. All weights are parsed first, so a text that does not
// parse stops the imprint before anything changed.
void ImprintStreets(world::World& world, const StreetWeightTexts& texts);

// Copies StreetGrid into the cells (street colour and a painted cell for
// every street, white otherwise), then ImprintStreets.
void ApplyStreetGrid(world::World& world, const StreetWeightTexts& texts);

// True when the segment a-b crosses the segment s-e at one point interior
// to both (exact integer arithmetic); touching, end points and collinear
// runs do not count.
bool SegmentsCross(int ax, int ay, int bx, int by, int sx, int sy, int ex, int ey);

// Weight that the cell (x, y) gives its in-grid neighbour (nx, ny) under
// the last imprint: the barrier weight of the lowest barrier type crossing
// their connecting segment, or the neighbour's StreetValue when that weight
// equals the weight of type 0 (always so without a barrier).
double NeighbourWeight(const world::World& world, int x, int y, int nx, int ny);

// The weight list of cell (x, y): one entry per in-grid neighbour position,
// row offset outer, column offset inner, the cell itself included.
std::vector<double> NeighbourWeights(const world::World& world, int x, int y);

// The barrier segments (indices into World::Field.Barriers) that can cross a
// pair within the neighbourhood of cell index i; empty for most cells.
struct BarrierSpan {
  const std::uint32_t* begin;
  const std::uint32_t* end;
  bool empty() const { return begin == end; }
};
BarrierSpan BarriersNear(const world::World& world, int cellIndex);

}  // namespace streets
