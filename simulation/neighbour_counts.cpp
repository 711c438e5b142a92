#include "neighbour_counts.h"

#include <algorithm>

namespace simulation {

bool NeighbourCounts::Worth(long long cells, int kinds, int radius) {
  const long long side = 2LL * radius + 1;
  return radius >= 0 && cells * kinds <= (4LL << 20) && side * side <= 4096;
}

void NeighbourCounts::Clear() {
  cols_ = rows_ = kinds_ = radius_ = 0;
  sums_.clear();
  seen_.clear();
}

void NeighbourCounts::ForgetAllSeen() { std::fill(seen_.begin(), seen_.end(), std::uint8_t{0}); }

void NeighbourCounts::Build(const std::int32_t* kinds, const std::int32_t* weights, int cols, int rows, int kindCount,
                            int radius) {
  cols_ = cols;
  rows_ = rows;
  kinds_ = kindCount;
  radius_ = radius;
  const std::size_t cells = static_cast<std::size_t>(cols) * rows;
  sums_.assign(cells * kindCount, 0);
  scratch_.assign(cells, 0);
  seen_.assign(cells, 0);
  // Per kind: sums along each row over the columns x - r .. x + r, then
  // along each column over those row sums; both slide a window.
  for (int k = 0; k < kindCount; ++k) {
    auto value = [&](std::size_t i) -> std::int32_t {
      if (kinds[i] != k) return 0;
      return k == 0 || !weights ? 1 : weights[i];
    };
    for (int y = 0; y < rows; ++y) {
      const std::size_t row = static_cast<std::size_t>(y) * cols;
      std::int32_t sum = 0;
      for (int x = 0; x < std::min(radius, cols); ++x) sum += value(row + x);
      for (int x = 0; x < cols; ++x) {
        if (x + radius < cols) sum += value(row + x + radius);
        if (x - radius - 1 >= 0) sum -= value(row + x - radius - 1);
        scratch_[row + x] = sum;
      }
    }
    for (int x = 0; x < cols; ++x) {
      std::int32_t sum = 0;
      for (int y = 0; y < std::min(radius, rows); ++y) sum += scratch_[static_cast<std::size_t>(y) * cols + x];
      for (int y = 0; y < rows; ++y) {
        if (y + radius < rows) sum += scratch_[static_cast<std::size_t>(y + radius) * cols + x];
        if (y - radius - 1 >= 0) sum -= scratch_[static_cast<std::size_t>(y - radius - 1) * cols + x];
        sums_[(static_cast<std::size_t>(y) * cols + x) * kindCount + k] = sum;
      }
    }
  }
}

void NeighbourCounts::Change(int x, int y, int from, int to, std::int32_t w) {
  if (from == to) return;
  const std::int32_t removed = from == 0 ? 1 : w;
  const std::int32_t added = to == 0 ? 1 : w;
  const int x0 = std::max(0, x - radius_), x1 = std::min(cols_ - 1, x + radius_);
  const int y0 = std::max(0, y - radius_), y1 = std::min(rows_ - 1, y + radius_);
  const std::size_t k = static_cast<std::size_t>(kinds_);
  for (int ny = y0; ny <= y1; ++ny) {
    const std::size_t first = static_cast<std::size_t>(ny) * cols_ + x0;
    std::int32_t* row = sums_.data() + first * k;
    for (int nx = x0; nx <= x1; ++nx, row += k) {
      row[from] -= removed;
      row[to] += added;
    }
    std::fill_n(seen_.data() + first, x1 - x0 + 1, std::uint8_t{0});
  }
}

}  // namespace simulation
