#include "world/tolerance_percent.h"

#include <algorithm>

#include "world/rounding.h"

namespace world {

void DragTolerancePercent(Table<double>& percent, int group, int kind, double value) {
  if (group >= 1 && kind >= 0 && group - 1 < percent.Size0() && kind < percent.Size1()) {
    percent(group - 1, kind) = value;
  }
  for (int g = 0; g < percent.Size0(); ++g) {
    for (int k = 0; k < percent.Size1(); ++k) percent(g, k) = std::clamp(RoundHalfEven(percent(g, k)), 0.0, 100.0);
  }
}

}  // namespace world
