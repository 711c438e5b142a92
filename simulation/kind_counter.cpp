#include "kind_counter.h"

namespace simulation {

void KindCounter::Build(const std::int32_t* kinds, int cols, int rows, int kindCount) {
  cols_ = cols;
  rows_ = rows;
  kinds_ = kindCount;
  const std::size_t plane = static_cast<std::size_t>(cols + 1) * (rows + 1);
  tree_.assign(plane * kindCount, 0);
  // Linear-time construction: put every cell in, then push each node's sum
  // to its parent, first along the columns, then along the rows.
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < cols; ++x) {
      const int k = kinds[static_cast<std::size_t>(y) * cols + x];
      if (k >= 0 && k < kindCount) ++tree_[plane * k + static_cast<std::size_t>(y + 1) * (cols + 1) + (x + 1)];
    }
  }
  for (int k = 0; k < kindCount; ++k) {
    std::uint32_t* t = tree_.data() + plane * k;
    for (int y = 1; y <= rows; ++y) {
      for (int x = 1; x <= cols; ++x) {
        const int parent = x + (x & -x);
        if (parent <= cols) t[y * (cols + 1) + parent] += t[y * (cols + 1) + x];
      }
    }
    for (int y = 1; y <= rows; ++y) {
      const int parent = y + (y & -y);
      if (parent > rows) continue;
      for (int x = 1; x <= cols; ++x) t[parent * (cols + 1) + x] += t[y * (cols + 1) + x];
    }
  }
}

void KindCounter::Move(int x, int y, int from, int to) {
  if (from == to) return;
  const std::size_t plane = static_cast<std::size_t>(cols_ + 1) * (rows_ + 1);
  for (int yy = y + 1; yy <= rows_; yy += yy & -yy) {
    for (int xx = x + 1; xx <= cols_; xx += xx & -xx) {
      const std::size_t i = static_cast<std::size_t>(yy) * (cols_ + 1) + xx;
      if (from >= 0 && from < kinds_) --tree_[plane * from + i];
      if (to >= 0 && to < kinds_) ++tree_[plane * to + i];
    }
  }
}

std::uint32_t KindCounter::Prefix(int k, int x, int y) const {
  const std::uint32_t* t = tree_.data() + static_cast<std::size_t>(cols_ + 1) * (rows_ + 1) * k;
  std::uint32_t sum = 0;
  for (int yy = y + 1; yy > 0; yy -= yy & -yy) {
    for (int xx = x + 1; xx > 0; xx -= xx & -xx) sum += t[yy * (cols_ + 1) + xx];
  }
  return sum;
}

void KindCounter::Add(int x0, int y0, int x1, int y1, std::uint32_t* counts) const {
  for (int k = 0; k < kinds_; ++k) {
    // Unsigned wrap-around cancels exactly in the inclusion-exclusion.
    std::uint32_t c = Prefix(k, x1, y1);
    if (x0 > 0) c -= Prefix(k, x0 - 1, y1);
    if (y0 > 0) c -= Prefix(k, x1, y0 - 1);
    if (x0 > 0 && y0 > 0) c += Prefix(k, x0 - 1, y0 - 1);
    counts[k] += c;
  }
}

}  // namespace simulation
