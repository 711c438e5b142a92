#pragma once

#include "world/table.h"

namespace world {

// A point of the individual-tolerance window dragged: the percentage of group
// `group` (1..) towards kind `kind` (0 = empty cells, then the groups) takes
// `value` when the table holds that entry; then every percentage of every
// group is rounded to a whole percent, halves to even, and held in 0..100.
// `percent` is World::TolerancePercent, [group - 1][kind].
void DragTolerancePercent(Table<double>& percent, int group, int kind, double value);

}  // namespace world
