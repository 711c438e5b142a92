#pragma once

#include <cstdint>
#include <vector>

namespace simulation {

// For every cell, what its neighbourhood holds of every kind (0 = empty,
// g = group g): the square of the given radius around it, cut off at the
// grid edges. Kept up to date as cells change kind, so that evaluating a
// cell reads one small row instead of counting (2r + 1)^2 cells.
//
// Entry 0 is the number of empty cells; entry k >= 1 is the sum of the
// weights of the group-k cells, each cell carrying one whole-number weight
// (1 for all when no weights are given). Whole numbers add up exactly in
// any order, which is what makes keeping sums instead of recounting safe.
class NeighbourCounts {
 public:
  // Whether counts for this grid are worth keeping: the table must stay
  // small, and every change of a cell touches (2r + 1)^2 rows.
  static bool Worth(long long cells, int kinds, int radius);

  // Builds the table from a row-major grid of kinds (each 0..kinds - 1) and
  // per-cell weights (nullptr: every weight 1). O(cells * kinds).
  void Build(const std::int32_t* kinds, const std::int32_t* weights, int cols, int rows, int kindCount, int radius);
  void Clear();
  bool Built() const { return kinds_ > 0; }

  // The cell (x, y), of weight w, changed from kind `from` to kind `to`.
  void Change(int x, int y, int from, int to, std::int32_t w);

  // Whether the row of cell i is unchanged since MarkSeen(i): every Change
  // and every Build forgets the marks of the rows it touches.
  bool Unchanged(int i) const { return seen_[static_cast<std::size_t>(i)] != 0; }
  void MarkSeen(int i) { seen_[static_cast<std::size_t>(i)] = 1; }
  void ForgetSeen(int i) { seen_[static_cast<std::size_t>(i)] = 0; }
  void ForgetAllSeen();

  // A seen cell can also be marked quiet: its occupant found itself
  // satisfied there and would again, so its next turn would only confirm
  // it. The mark lives in the seen mark, so whatever forgets that forgets
  // this too.
  bool Quiet(int i) const { return seen_[static_cast<std::size_t>(i)] == 2; }
  void MarkQuiet(int i) { seen_[static_cast<std::size_t>(i)] = 2; }
  void ForgetQuiet();

  // The row of cell index i: kinds() entries.
  const std::int32_t* At(int i) const { return sums_.data() + static_cast<std::size_t>(i) * kinds_; }
  int Kinds() const { return kinds_; }
  int Cols() const { return cols_; }
  int Rows() const { return rows_; }
  int Radius() const { return radius_; }

 private:
  int cols_ = 0;
  int rows_ = 0;
  int kinds_ = 0;
  int radius_ = 0;
  std::vector<std::int32_t> sums_;     // [cell][kind]
  std::vector<std::int32_t> scratch_;  // row sums still to leave the window while building
  std::vector<std::uint8_t> seen_;     // [cell]
};

}  // namespace simulation
