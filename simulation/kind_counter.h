#pragma once

#include <cstdint>
#include <vector>

namespace simulation {

// Counts of every kind (0 = empty, g = group g) over any rectangle of the
// grid in O(kinds * log^2) time: one two-dimensional Fenwick tree per kind.
// Large neighbourhoods are counted with it instead of cell by cell, which
// keeps a step with a radius of hundreds of cells fast.
class KindCounter {
 public:
  // Builds the trees from a row-major grid of kinds; O(cells * kinds).
  void Build(const std::int32_t* kinds, int cols, int rows, int kindCount);
  // The cell (x, y) changed from kind `from` to kind `to`.
  void Move(int x, int y, int from, int to);
  // Adds the count of every kind in columns x0..x1, rows y0..y1 to counts.
  void Add(int x0, int y0, int x1, int y1, std::uint32_t* counts) const;

  // Trees for this many cells and kinds would take more memory than counting
  // cell by cell is worth.
  static bool Fits(long long cells, int kindCount) { return cells * kindCount <= (32LL << 20); }

 private:
  // Prefix count of kind k over columns 0..x, rows 0..y (inclusive).
  std::uint32_t Prefix(int k, int x, int y) const;

  int cols_ = 0;
  int rows_ = 0;
  int kinds_ = 0;
  std::vector<std::uint32_t> tree_;  // [kind][row][col], 1-based inside each kind
};

}  // namespace simulation
