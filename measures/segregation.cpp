#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "analysis.h"

namespace measures {

namespace {

#if defined(__SSE2__)
// Up to this many groups count four cells of a row at a time, one
// comparison per group.
constexpr int kVectorGroups = 6;

// Adds to counts[g * cols + x] the cells of group g + 1 in the row.
void AddRowByColumn(const std::int32_t* state, int cols, int k, std::int32_t* counts) {
  int x = 0;
  for (; x + 4 <= cols; x += 4) {
    const __m128i kind = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + x));
    for (int g = 0; g < k; ++g) {
      auto* at = reinterpret_cast<__m128i*>(counts + static_cast<std::size_t>(g) * cols + x);
      _mm_storeu_si128(at, _mm_sub_epi32(_mm_loadu_si128(at), _mm_cmpeq_epi32(kind, _mm_set1_epi32(g + 1))));
    }
  }
  for (; x < cols; ++x) {
    const std::int32_t s = state[x];
    if (s >= 1 && s <= k) ++counts[static_cast<std::size_t>(s - 1) * cols + x];
  }
}
#endif

}  // namespace

int TileCount(int cells, int tileSize) {
  if (cells <= 0) return 0;
  const int t = std::max(1, tileSize);
  return cells / t + (cells % t != 0 ? 1 : 0);
}

void Analysis::CountTiles(int tileSize, int nCols, int nRows) {
  const int k = std::max(0, world_.GroupCount);
  const int cols = world_.GridCols;
  const int rows = world_.GridRows;
  // Each tile holds k + 1 counts: slot 0 takes the empty cells (and any kind
  // that is not a group), so the loop counts every cell without a branch.
  const auto stride = static_cast<std::size_t>(k) + 1;
  tileCounts_.assign(static_cast<std::size_t>(nCols) * static_cast<std::size_t>(nRows) * stride, 0);
  // One pass over the grid in storage order; the sums do not depend on the
  // order in which the cells of a tile are visited.
  auto slotOf = [k](std::int32_t s) -> std::int32_t {
    return static_cast<std::uint32_t>(s) <= static_cast<std::uint32_t>(k) ? s : 0;
  };
#if defined(__SSE2__)
  if (k <= kVectorGroups) {
    // Each row of tiles sums its rows column by column first, then each
    // tile its columns. Only the groups are counted; slot 0 stays 0.
    const auto columns = static_cast<std::size_t>(std::max(0, cols));
    columnCounts_.resize(static_cast<std::size_t>(k) * columns);
    for (int b = 0; b < nRows; ++b) {
      std::fill(columnCounts_.begin(), columnCounts_.end(), 0);
      const int end = static_cast<int>(std::min<long long>(rows, static_cast<long long>(b + 1) * tileSize));
      for (int y = b * tileSize; y < end; ++y) {
        AddRowByColumn(world_.Cells.State.data() + world_.Cells.Index(0, y), cols, k, columnCounts_.data());
      }
      std::uint32_t* rowTiles =
          tileCounts_.data() + static_cast<std::size_t>(b) * static_cast<std::size_t>(nCols) * stride;
      for (int a = 0; a < nCols; ++a) {
        std::uint32_t* tile = rowTiles + static_cast<std::size_t>(a) * stride;
        const int right = static_cast<int>(std::min<long long>(cols, static_cast<long long>(a + 1) * tileSize));
        for (int g = 0; g < k; ++g) {
          const std::int32_t* column = columnCounts_.data() + static_cast<std::size_t>(g) * columns;
          std::uint32_t sum = 0;
          for (int x = a * tileSize; x < right; ++x) sum += static_cast<std::uint32_t>(column[x]);
          tile[g + 1] = sum;
        }
      }
    }
    return;
  }
#endif
  tileOfColumn_.resize(static_cast<std::size_t>(std::max(0, cols)));
  for (int x = 0; x < cols; ++x) tileOfColumn_[static_cast<std::size_t>(x)] = (x / tileSize) * static_cast<int>(stride);
  for (int y = 0; y < rows; ++y) {
    std::uint32_t* rowTiles = tileCounts_.data() + static_cast<std::size_t>(y / tileSize) * static_cast<std::size_t>(nCols) * stride;
    const std::int32_t* state = world_.Cells.State.data() + world_.Cells.Index(0, y);
    if (k < kLaneSlots) {
      // The cells of a tile's row count in the 8-bit lanes of one register
      // (see RecordSatisfaction), then go into the tile at once.
      for (int a = 0; a < nCols; ++a) {
        std::uint32_t* tile = rowTiles + static_cast<std::size_t>(a) * stride;
        const int end = static_cast<int>(std::min<long long>(cols, static_cast<long long>(a + 1) * tileSize));
        for (int x = a * tileSize; x < end;) {
          const int runEnd = std::min(end, x + static_cast<int>(kLaneRun));
          std::uint64_t lanes = 0;
          for (; x < runEnd; ++x) lanes += std::uint64_t{1} << (8 * slotOf(state[x]));
          for (int slot = 0; slot <= k; ++slot) tile[slot] += static_cast<std::uint32_t>((lanes >> (8 * slot)) & 0xff);
        }
      }
      continue;
    }
    const int* offset = tileOfColumn_.data();
    for (int x = 0; x < cols; ++x) ++rowTiles[offset[x] + slotOf(state[x])];
  }
}

bool Analysis::ComputeSegregation(bool alwaysReport) {
  if (!SizedForGroups()) ResetAnalysis();
  const int k = std::max(0, world_.GroupCount);
  // A tile size of 0 (typed by hand) counts as 1 instead of dividing by zero.
  const int tileSize = std::max(1, world_.TileSize);
  // The grid is square, so one count would do; counting each side on its
  // own also covers every cell of a grid that is not.
  const int nCols = TileCount(world_.GridCols, tileSize);
  const int nRows = TileCount(world_.GridRows, tileSize);
  CountTiles(tileSize, nCols, nRows);

  int e = 0;
  if (!ReadInt(fields_.AgentCount, anzAgReported_, alwaysReport, e)) return false;

  dissimilarity_.Assign(k, k, 0.0);
  segregationIndex_.assign(static_cast<std::size_t>(k), 0.0);
  shares_.resize(static_cast<std::size_t>(k));
  // Group sizes once per computation, not once per tile.
  groupSizes_.resize(static_cast<std::size_t>(k));
  for (int g = 0; g < k; ++g) groupSizes_[static_cast<std::size_t>(g)] = GroupSize(g);
  auto groupSize = [&](int g) { return groupSizes_[static_cast<std::size_t>(g)]; };

  // Shares that do not exist contribute nothing, so no term is ever 0/0:
  // a group without agents (N = 0) is 0 apart from every other group and
  // has index 0, and so does a group that the agent-count field leaves no
  // other agents to compare with (E - N <= 0).
  // Slot 0 of each tile holds its empty cells; group g counts at slot g + 1.
  const std::uint32_t* counts = tileCounts_.data() + 1;
  for (int tile = 0; tile < nCols * nRows; ++tile, counts += k + 1) {
    long long total = 0;
    for (int g = 0; g < k; ++g) total += counts[g];
    // An empty tile adds |0 - 0| to every sum.
    if (total == 0) continue;
    for (int g = 0; g < k; ++g) {
      const int n = groupSize(g);
      shares_[static_cast<std::size_t>(g)] = n > 0 ? 100.0 * counts[g] / n : 0.0;
    }
    for (int i = 0; i < k; ++i) {
      const int ni = groupSize(i);
      if (ni <= 0) continue;
      const double si = shares_[static_cast<std::size_t>(i)];
      double* row = dissimilarity_.Row(i);
      for (int j = i + 1; j < k; ++j) {
        if (groupSize(j) > 0) row[j] += std::fabs(si - shares_[static_cast<std::size_t>(j)]);
      }
      const double others = static_cast<double>(e) - ni;
      if (others > 0) {
        const double o = static_cast<double>(total - counts[i]);
        segregationIndex_[static_cast<std::size_t>(i)] += std::fabs(si - 100.0 * o / others);
      }
    }
  }

  const double step = world_.StepCount;
  const double a = std::max(0, world_.NumberOfAgents() - 1);
  for (int i = 0; i < k; ++i) {
    for (int j = i; j < k; ++j) dissimilarity_(i, j) *= 0.5;
    double& index = segregationIndex_[static_cast<std::size_t>(i)];
    index *= 0.5;
    SegregationSeries[static_cast<std::size_t>(i)].push_back({step, index});
    DensitySegregationSeries[static_cast<std::size_t>(i)].push_back({a, index});
  }

  const double density = Density();
  ChangeSeries[0].push_back({step, static_cast<double>(world_.UnsatisfiedCount)});
  ChangeSeries[1].push_back({step, ChangingPercent()});
  if (Stability.ser_change) Stability.ser_change->push_back({step, static_cast<double>(world_.UnsatisfiedCount)});
  if (Stability.ser_tol) Stability.ser_tol->push_back({step, static_cast<double>(world_.Threshold)});
  ChangeSeries[2].push_back({a, density});
  ChangeSeries[3].push_back({step, density});
  if (listener_) listener_->SegregationComputed();
  return true;
}

}  // namespace measures
