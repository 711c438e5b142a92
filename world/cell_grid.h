#pragma once

#include <cstdint>
#include <vector>

#include "rounding.h"

namespace world {

// The grid of cells. Each TCell field is one array over the grid (a
// structure of arrays), indexed row-major by Index(x, y): the neighbourhood
// loops read a few fields of many cells, and contiguous rows keep them in cache.
//
// A cell's pixel centre (PositionX, PositionY) and half edge (Size) follow
// from its position and the world's cell size, see World::PositionX.
// The counts of an individual-mode evaluation are kept once per world
// (World::KindCounts), since nothing reads them but the evaluation itself,
// and a cluster's members live on the analysis' own stack.
struct CellGrid {
  int Cols = 0;
  int Rows = 0;

  std::vector<std::int32_t> State;   // group of the occupant, 0 when empty
  std::vector<std::uint8_t> Occupied;
  std::vector<double> Satisfaction;  // percent, of the latest evaluation
  std::vector<double> Similar;       // weighted counts of the latest plain-mode count
  std::vector<double> Different;
  std::vector<double> Rent;
  std::vector<std::int32_t> StreetType;  // -3..+3, 0 = no street
  std::vector<double> StreetValue;       // weight the occupant carries for its neighbours
  std::vector<ColorRef> DisplayColor;
  std::vector<std::uint8_t> ClusterVisited;
  std::vector<std::int32_t> AnchorX;
  std::vector<std::int32_t> AnchorY;

  int Count() const { return Cols * Rows; }
  int Index(int x, int y) const { return y * Cols + x; }

  // Creates cols x rows cells with every field zero, empty or false.
  void Create(int cols, int rows) {
    Cols = cols;
    Rows = rows;
    const std::size_t n = static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows);
    State.assign(n, 0);
    Occupied.assign(n, 0);
    Satisfaction.assign(n, 0.0);
    Similar.assign(n, 0.0);
    Different.assign(n, 0.0);
    Rent.assign(n, 0.0);
    StreetType.assign(n, 0);
    StreetValue.assign(n, 0.0);
    DisplayColor.assign(n, 0);
    ClusterVisited.assign(n, 0);
    AnchorX.assign(n, 0);
    AnchorY.assign(n, 0);
  }

  void Clear() { Create(0, 0); }
};

}  // namespace world
