#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "measures/charts.h"

// Thinning long series for drawing. A line of many more points than the chart
// has pixels draws the same picture from the lowest and highest point of every
// small run of its points, at a fraction of the cost.
namespace measures {

// Appends the lowest and highest point of `run` to `out`, in their order in
// the run; one point when they are the same, none for an empty run. Of equal
// values the first counts.
void AppendRun(std::span<const Point> run, std::vector<Point>& out);

// Points per run when `count` points are cut into at most `runs` runs: the
// least power of two that does it, so that the runs stay the same while a
// series grows, until its length doubles. 1 when `runs` is 0.
std::size_t RunLength(std::size_t count, std::size_t runs);

// `points` thinned to at most 2 * `runs` points: unchanged when they fit,
// otherwise the lowest and highest point of every run of RunLength points.
std::vector<Point> Thin(std::span<const Point> points, std::size_t runs);

// The points with x in [x0, x1], and the one beyond each end so that a line
// runs on to the border, thinned only as far as they need: unchanged when
// they fit in 2 * `runs` points, otherwise the lowest and highest point of
// runs of equal length. Finds them by bisection, so the points must run
// forwards in x; nothing when they do not (draw Thin's copy then).
std::optional<std::vector<Point>> ThinRange(std::span<const Point> points, double x0, double x1, std::size_t runs);

// Thin for a series that grows at its end: the runs already complete are kept
// between calls, so that appending a point redoes only the last run.
class GrowingThin {
 public:
  // Thin(points, runs), where `points` begin with the points of the previous
  // call. After any other change to the points, Reset first.
  std::vector<Point> Thin(std::span<const Point> points, std::size_t runs);
  void Reset();

 private:
  std::size_t runLength_ = 0;
  std::vector<Point> doneRuns_;  // the thinned copy of the complete runs
  std::size_t doneUpTo_ = 0;     // points before this index are in doneRuns_
};

}  // namespace measures
