#include <algorithm>

#include "analysis.h"

namespace measures {

void Analysis::ClearClusterMarks() {
  std::fill(world_.Cells.ClusterVisited.begin(), world_.Cells.ClusterVisited.end(), std::uint8_t{0});
}

bool Analysis::AnalyseClusters(bool alwaysReport) {
  const int k = std::max(0, world_.GroupCount);
  ClusterSizes.resize(static_cast<std::size_t>(k));
  for (auto& sizes : ClusterSizes) sizes.clear();
  ClearClusterMarks();

  const auto& state = world_.Cells.State;
  auto& visited = world_.Cells.ClusterVisited;
  if (stack_.size() < state.size()) stack_.resize(state.size());
  // The scan order alone fixes which cluster is found first; growing order does not matter.
  for (int y = 0; y < world_.GridRows; ++y) {
    for (int x = 0; x < world_.GridCols; ++x) {
      const auto i = static_cast<std::size_t>(world_.Cells.Index(x, y));
      const int s = state[i];
      if (s <= 0 || s > k || visited[i]) continue;
      visited[i] = 1;
      auto& sizes = ClusterSizes[static_cast<std::size_t>(s - 1)];
      sizes.push_back(1);
      GrowCluster(x, y, s, sizes.back());
    }
  }
  int threshold = 0;
  // A threshold that does not parse leaves the cluster chart as it was.
  if (!ReadInt(fields_.ClusterThreshold, clusterTReported_, alwaysReport, threshold)) return false;
  ClusterThreshold = threshold;
  largeClusters_ = 0;
  for (const auto& sizes : ClusterSizes) {
    for (const int size : sizes) largeClusters_ += size > threshold ? 1 : 0;
  }
  if (listener_) listener_->ClustersAnalysed(*fields_.ClusterThreshold);
  return true;
}

// Grows from an explicit stack of positions, never from the call stack: one
// cluster may cover the whole 694 x 694 grid. Every cell enters the stack at
// most once, so a stack as large as the grid never overflows. Positions
// rather than cell indices spare a division per cell.
void Analysis::GrowCluster(int x, int y, int s, int& size) {
  const int cols = world_.GridCols;
  const int rows = world_.GridRows;
  const std::int32_t* state = world_.Cells.State.data();
  std::uint8_t* visited = world_.Cells.ClusterVisited.data();
  GridPos* stack = stack_.data();
  std::size_t top = 0;
  stack[top++] = {x, y};
  int grown = 0;
  while (top > 0) {
    const GridPos p = stack[--top];
    // Edge neighbours on the torus: below, above, right, left.
    const int below = p.Y + 1 == rows ? 0 : p.Y + 1;
    const int above = p.Y == 0 ? rows - 1 : p.Y - 1;
    const int right = p.X + 1 == cols ? 0 : p.X + 1;
    const int left = p.X == 0 ? cols - 1 : p.X - 1;
    const GridPos at[4] = {{p.X, below}, {p.X, above}, {right, p.Y}, {left, p.Y}};
    for (const GridPos& q : at) {
      const std::size_t j = static_cast<std::size_t>(q.Y) * static_cast<std::size_t>(cols) + static_cast<std::size_t>(q.X);
      if (state[j] != s || visited[j]) continue;
      visited[j] = 1;
      ++grown;
      stack[top++] = q;
    }
  }
  size += grown;
}

}  // namespace measures
