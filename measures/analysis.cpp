#include "analysis.h"

#include <algorithm>

namespace measures {

void Analysis::ResetAnalysis() {
  const auto groups = static_cast<std::size_t>(world_.GroupCount);
  SatisfactionSeries.assign(groups, {});
  SegregationSeries.assign(groups, {});
  DensitySegregationSeries.assign(groups, {});
  for (auto& s : ChangeSeries) s.clear();
}

void Analysis::RecordStep() {
  if (world_.StepCount == 1) ResetAnalysis();
  (void)controls_;
}

void Analysis::ClearClusterMarks() {
  std::fill(world_.Cells.ClusterVisited.begin(), world_.Cells.ClusterVisited.end(), 0);
}

}  // namespace measures
