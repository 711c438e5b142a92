#pragma once

#include <optional>

#include "measures/analysis.h"

namespace experiments {

// The mean over the groups of the segregation index at point k of every
// group's SegregationSeries: after step k + 1 of a run started by a set-up.
// A series shorter than that (a step whose measures could not be taken)
// gives its last point; nothing when a group has no point at all.
std::optional<double> MeanSegregation(const measures::Analysis& analysis, int k);

}  // namespace experiments
