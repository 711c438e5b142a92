#include "experiments/mean_segregation.h"

#include <algorithm>

namespace experiments {

std::optional<double> MeanSegregation(const measures::Analysis& analysis, int k) {
  const auto& groups = analysis.SegregationSeries;
  if (groups.empty()) return std::nullopt;
  double sum = 0;
  for (const auto& series : groups) {
    if (series.empty()) return std::nullopt;
    const auto index = std::min(static_cast<std::size_t>(std::max(0, k)), series.size() - 1);
    sum += series[index].Y;
  }
  return sum / static_cast<double>(groups.size());
}

}  // namespace experiments
