#include <algorithm>

#include "analysis.h"

namespace measures {

void Analysis::ClearClusterMarks() {
  std::fill(world_.Cells.ClusterVisited.begin(), world_.Cells.ClusterVisited.end(), std::uint8_t{0});
}

// The clusters are found as the stretches of one group along each row,
// joined where they touch the stretches of the row above (and across the
// wrap-around edges). A cluster's first stretch in scan order holds its
// first cell, so listing the clusters in the order of their first stretches
// lists them in the order a scan of the grid first meets them.
bool Analysis::AnalyseClusters(bool alwaysReport) {
  const int k = std::max(0, world_.GroupCount);
  ClusterSizes.resize(static_cast<std::size_t>(k));
  for (auto& sizes : ClusterSizes) sizes.clear();

  const int cols = world_.GridCols, rows = world_.GridRows;
  const auto cells = static_cast<std::size_t>(world_.Cells.State.size());
  // Every cell of a group belongs to a cluster, which marks it.
  const std::int32_t* state = world_.Cells.State.data();
  std::uint8_t* visited = world_.Cells.ClusterVisited.data();
  for (std::size_t i = 0; i < cells; ++i) {
    visited[i] = static_cast<std::uint32_t>(state[i] - 1) < static_cast<std::uint32_t>(k) ? 1 : 0;
  }
  if (cols > 0 && rows > 0 && cells >= static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows)) {
    runs_.clear();
    runs_.reserve(cells);
    if (runParent_.size() < cells) runParent_.resize(cells);
    rowStart_.assign(static_cast<std::size_t>(rows) + 1, 0);
    for (int y = 0; y < rows; ++y) {
      FindRuns(y);
      if (y > 0) JoinRows(y, y - 1);
    }
    // The last row touches the first across the edge.
    if (rows > 1) JoinRows(0, rows - 1);

    const auto count = runs_.size();
    runSize_.assign(count, 0);
    for (std::size_t r = 0; r < count; ++r) {
      runSize_[static_cast<std::size_t>(RootRun(static_cast<int>(r)))] += runs_[r].Last - runs_[r].First + 1;
    }
    for (std::size_t r = 0; r < count; ++r) {
      const auto root = static_cast<std::size_t>(RootRun(static_cast<int>(r)));
      if (runSize_[root] == 0) continue;  // listed at an earlier stretch
      ClusterSizes[static_cast<std::size_t>(runs_[r].Group - 1)].push_back(runSize_[root]);
      runSize_[root] = 0;
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

// Finds the runs of row y: rowStart_[y] is where they begin, and they end
// at rowStart_[y + 1].
void Analysis::FindRuns(int y) {
  const int cols = world_.GridCols;
  const int k = std::max(0, world_.GroupCount);
  const std::int32_t* row = world_.Cells.State.data() + static_cast<std::ptrdiff_t>(y) * cols;
  const std::size_t first = runs_.size();
  for (int x = 0; x < cols;) {
    const std::int32_t s = row[x];
    const int start = x;
    while (x < cols && row[x] == s) ++x;
    if (static_cast<std::uint32_t>(s - 1) >= static_cast<std::uint32_t>(k)) continue;
    runParent_[runs_.size()] = static_cast<std::int32_t>(runs_.size());
    runs_.push_back({start, x - 1, s});
  }
  rowStart_[static_cast<std::size_t>(y) + 1] = static_cast<std::int32_t>(runs_.size());
  // The row's last cell touches its first across the edge.
  const std::size_t last = runs_.size();
  if (last - first >= 2 && runs_[first].First == 0 && runs_[last - 1].Last == cols - 1 &&
      runs_[first].Group == runs_[last - 1].Group) {
    JoinRuns(static_cast<int>(first), static_cast<int>(last - 1));
  }
}

// Both rows' runs lie in column order: walks them side by side and joins
// those of one group that share a column.
void Analysis::JoinRows(int y, int above) {
  auto at = [this](int row) { return static_cast<std::size_t>(rowStart_[static_cast<std::size_t>(row)]); };
  std::size_t a = at(above), b = at(y);
  const std::size_t aEnd = at(above + 1), bEnd = at(y + 1);
  while (a < aEnd && b < bEnd) {
    const Run& upper = runs_[a];
    const Run& lower = runs_[b];
    if (upper.Last < lower.First) {
      ++a;
      continue;
    }
    if (lower.Last < upper.First) {
      ++b;
      continue;
    }
    if (upper.Group == lower.Group) JoinRuns(static_cast<int>(a), static_cast<int>(b));
    // Overlapping: the one that ends first has no more partners.
    if (upper.Last < lower.Last) {
      ++a;
    } else {
      ++b;
    }
  }
}

int Analysis::RootRun(int r) {
  auto* parent = runParent_.data();
  while (parent[r] != r) {
    parent[r] = parent[parent[r]];
    r = parent[r];
  }
  return r;
}

void Analysis::JoinRuns(int a, int b) {
  a = RootRun(a);
  b = RootRun(b);
  if (a == b) return;
  // The earlier run stays the root.
  if (a < b) {
    runParent_[static_cast<std::size_t>(b)] = a;
  } else {
    runParent_[static_cast<std::size_t>(a)] = b;
  }
}

}  // namespace measures
