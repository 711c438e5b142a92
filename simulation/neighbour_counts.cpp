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

void NeighbourCounts::ForgetQuiet() {
  for (auto& mark : seen_) mark = mark != 0 ? 1 : 0;
}

void NeighbourCounts::Build(const std::int32_t* kinds, const std::int32_t* weights, int cols, int rows, int kindCount,
                            int radius) {
  cols_ = cols;
  rows_ = rows;
  kinds_ = kindCount;
  radius_ = radius;
  const std::size_t cells = static_cast<std::size_t>(cols) * rows;
  const std::size_t k = static_cast<std::size_t>(kindCount);
  const std::size_t width = static_cast<std::size_t>(cols) * k;
  sums_.assign(cells * k, 0);
  seen_.assign(cells, 0);
  // Per kind, along each row, a window over the columns x - r .. x + r that
  // one cell enters and one leaves at every move. The row sums go into the
  // table first.
  for (int kind = 0; kind < kindCount; ++kind) {
    auto value = [&](std::size_t i) -> std::int32_t {
      const std::int32_t w = kind == 0 || !weights ? 1 : weights[i];
      return kinds[i] == kind ? w : 0;
    };
    for (int y = 0; y < rows; ++y) {
      const std::size_t row = static_cast<std::size_t>(y) * cols;
      std::int32_t sum = 0;
      for (int x = 0; x < std::min(radius, cols); ++x) sum += value(row + x);
      std::int32_t* out = sums_.data() + row * k + kind;
      for (int x = 0; x < cols; ++x, out += k) {
        if (x + radius < cols) sum += value(row + x + radius);
        if (x - radius - 1 >= 0) sum -= value(row + x - radius - 1);
        *out = sum;
      }
    }
  }
  // Then down the columns, a window of whole rows of row sums: row y + r
  // enters, row y - r - 1 leaves. Each row of the table is overwritten by
  // its window, so the row sums that must still leave it wait in a ring of
  // r + 1 rows.
  const int ringRows = std::min(radius, rows) + 1;
  scratch_.assign(static_cast<std::size_t>(ringRows) * width, 0);
  std::vector<std::int32_t> window(width, 0);
  auto rowAt = [&](int y) { return sums_.data() + static_cast<std::size_t>(y) * width; };
  auto add = [&](const std::int32_t* from, std::int32_t sign) {
    for (std::size_t j = 0; j < width; ++j) window[j] += sign * from[j];
  };
  for (int y = 0; y < std::min(radius, rows); ++y) add(rowAt(y), 1);
  for (int y = 0; y < rows; ++y) {
    if (y + radius < rows) add(rowAt(y + radius), 1);
    if (y - radius - 1 >= 0) add(scratch_.data() + static_cast<std::size_t>((y - radius - 1) % ringRows) * width, -1);
    std::copy(rowAt(y), rowAt(y) + width, scratch_.data() + static_cast<std::size_t>(y % ringRows) * width);
    std::copy(window.begin(), window.end(), rowAt(y));
  }
}

void NeighbourCounts::Change(int x, int y, int from, int to, std::int32_t w) {
  if (from == to) return;
  const std::int32_t removed = from == 0 ? 1 : w;
  const std::int32_t added = to == 0 ? 1 : w;
  const int x0 = std::max(0, x - radius_), x1 = std::min(cols_ - 1, x + radius_);
  const int y0 = std::max(0, y - radius_), y1 = std::min(rows_ - 1, y + radius_);
  const std::size_t k = static_cast<std::size_t>(kinds_);
  const int span = x1 - x0 + 1;
  for (int ny = y0; ny <= y1; ++ny) {
    const std::size_t first = static_cast<std::size_t>(ny) * cols_ + x0;
    std::int32_t* row = sums_.data() + first * k;
    std::uint8_t* seen = seen_.data() + first;
    // Small neighbourhoods touch a few cells per row: a call to clear the
    // marks would cost more than clearing them on the way.
    for (int j = 0; j < span; ++j, row += k) {
      row[from] -= removed;
      row[to] += added;
      seen[j] = 0;
    }
  }
}

}  // namespace simulation
