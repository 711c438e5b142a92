#include "neighbour_counts.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace simulation {

namespace {

// Slides a window over the columns x - r .. x + r along one row and writes
// its sum of value(column) for every x to out[x * stride]; the loops are
// split where cells start to leave and stop to enter.
template <typename Value>
void SlideAlongRow(int cols, int radius, Value value, std::int32_t* out, std::size_t stride) {
  std::int32_t sum = 0;
  for (int x = 0; x < std::min(radius, cols); ++x) sum += value(x);
  const int enterEnd = std::max(0, cols - radius);   // before it, cell x + r enters
  const int leaveFrom = std::min(cols, radius + 1);  // from it, cell x - r - 1 leaves
  int x = 0;
  for (; x < std::min(enterEnd, leaveFrom); ++x) {
    sum += value(x + radius);
    out[x * stride] = sum;
  }
  for (; x < leaveFrom; ++x) out[x * stride] = sum;
  for (; x < enterEnd; ++x) {
    sum += value(x + radius) - value(x - radius - 1);
    out[x * stride] = sum;
  }
  for (; x < cols; ++x) {
    sum -= value(x - radius - 1);
    out[x * stride] = sum;
  }
}

// to[j] += from[j] (or -=) for j < n.
template <bool kSubtract>
void AddRow(std::int32_t* to, const std::int32_t* from, std::size_t n) {
  std::size_t j = 0;
#if defined(__SSE2__)
  for (; j + 4 <= n; j += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + j));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + j));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + j), kSubtract ? _mm_sub_epi32(a, b) : _mm_add_epi32(a, b));
  }
#endif
  for (; j < n; ++j) to[j] = kSubtract ? to[j] - from[j] : to[j] + from[j];
}

}  // namespace

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
    for (int y = 0; y < rows; ++y) {
      const std::size_t row = static_cast<std::size_t>(y) * cols;
      const std::int32_t* kindRow = kinds + row;
      std::int32_t* out = sums_.data() + row * k + kind;
      if (kind == 0 || !weights) {
        SlideAlongRow(cols, radius, [&](int x) -> std::int32_t { return kindRow[x] == kind; }, out, k);
      } else {
        const std::int32_t* weightRow = weights + row;
        SlideAlongRow(cols, radius, [&](int x) { return kindRow[x] == kind ? weightRow[x] : 0; }, out, k);
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
  for (int y = 0; y < std::min(radius, rows); ++y) AddRow<false>(window.data(), rowAt(y), width);
  for (int y = 0; y < rows; ++y) {
    if (y + radius < rows) AddRow<false>(window.data(), rowAt(y + radius), width);
    if (y - radius - 1 >= 0) {
      AddRow<true>(window.data(), scratch_.data() + static_cast<std::size_t>((y - radius - 1) % ringRows) * width, width);
    }
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
