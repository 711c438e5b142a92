#include "measures/thinning.h"

#include <algorithm>

namespace measures {

void AppendRun(std::span<const Point> run, std::vector<Point>& out) {
  if (run.empty()) return;
  std::size_t lo = 0, hi = 0;
  for (std::size_t i = 1; i < run.size(); ++i) {
    if (run[i].Y < run[lo].Y) lo = i;
    if (run[i].Y > run[hi].Y) hi = i;
  }
  out.push_back(run[std::min(lo, hi)]);
  if (lo != hi) out.push_back(run[std::max(lo, hi)]);
}

std::size_t RunLength(std::size_t count, std::size_t runs) {
  std::size_t k = 1;
  if (runs == 0) return k;
  while (k * runs < count) k *= 2;
  return k;
}

std::vector<Point> Thin(std::span<const Point> points, std::size_t runs) { return GrowingThin().Thin(points, runs); }

std::optional<std::vector<Point>> ThinRange(std::span<const Point> points, double x0, double x1, std::size_t runs) {
  auto byX = [](const Point& a, const Point& b) { return a.X < b.X; };
  if (!std::is_sorted(points.begin(), points.end(), byX)) return std::nullopt;
  const auto first = std::lower_bound(points.begin(), points.end(), Point{x0, 0}, byX);
  const auto last = std::upper_bound(first, points.end(), Point{x1, 0}, byX);
  std::size_t start = first - points.begin(), end = last - points.begin();
  if (start > 0) --start;
  if (end < points.size()) ++end;
  const std::size_t count = end - start;
  if (count <= 2 * runs) return std::vector<Point>(points.begin() + start, points.begin() + end);
  const std::size_t k = (count + runs - 1) / runs;
  std::vector<Point> shown;
  shown.reserve(2 * runs);
  for (std::size_t i = start; i < end; i += k) AppendRun(points.subspan(i, std::min(k, end - i)), shown);
  return shown;
}

std::vector<Point> GrowingThin::Thin(std::span<const Point> points, std::size_t runs) {
  const std::size_t n = points.size();
  if (n <= 2 * runs) {
    Reset();
    return {points.begin(), points.end()};
  }
  const std::size_t k = RunLength(n, runs);
  if (k != runLength_ || doneUpTo_ > n) {
    Reset();
    runLength_ = k;
  }
  while (doneUpTo_ + k <= n) {
    AppendRun(points.subspan(doneUpTo_, k), doneRuns_);
    doneUpTo_ += k;
  }
  std::vector<Point> shown = doneRuns_;
  if (doneUpTo_ < n) AppendRun(points.subspan(doneUpTo_), shown);
  return shown;
}

void GrowingThin::Reset() {
  runLength_ = 0;
  doneRuns_.clear();
  doneUpTo_ = 0;
}

}  // namespace measures
