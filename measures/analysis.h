#pragma once

#include <array>
#include <vector>

#include "core/world/controls.h"
#include "core/world/world.h"

namespace measures {

struct Point {
  double X = 0;
  double Y = 0;
  bool operator==(const Point&) const = default;
};

// An ordered list of points, appended one at a time and read back by index.
using Series = std::vector<Point>;

// The recorded course of a run: what the analysis window charts and the
// experiments read back. Owns no world; reads the one it is given.
class Analysis {
 public:
  Analysis(world::World& world, world::ControlModel& controls) : world_(world), controls_(controls) {}

  // Empties every series and sizes them for the current number of groups.
  void ResetAnalysis();
  // The measures of the step just counted; called by the time step.
  void RecordStep();
  // Clears every cell's cluster marks.
  void ClearClusterMarks();

  std::vector<Series> SatisfactionSeries;
  std::vector<Series> SegregationSeries;
  std::vector<Series> DensitySegregationSeries;
  std::array<Series, 4> ChangeSeries;

 private:
  world::World& world_;
  world::ControlModel& controls_;
};

}  // namespace measures
