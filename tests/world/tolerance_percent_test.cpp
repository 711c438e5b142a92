#include "world/tolerance_percent.h"

#include <gtest/gtest.h>

namespace world {
namespace {

// Two groups: kinds 0 (empty), 1 and 2.
Table<double> TwoGroups() {
  Table<double> t(2, 3, 50.0);
  t(1, 2) = 10.4;
  return t;
}

TEST(DragTolerancePercent, SetsTheDraggedPointAndRoundsEveryGroupToWholePercents) {
  Table<double> t = TwoGroups();
  DragTolerancePercent(t, 1, 2, 33.6);
  EXPECT_EQ(t(0, 2), 34.0);
  EXPECT_EQ(t(1, 2), 10.0);  // another group's chart, rounded as well
  EXPECT_EQ(t(0, 0), 50.0);
}

TEST(DragTolerancePercent, RoundsHalvesToEven) {
  Table<double> t = TwoGroups();
  DragTolerancePercent(t, 2, 0, 2.5);
  DragTolerancePercent(t, 2, 1, 3.5);
  EXPECT_EQ(t(1, 0), 2.0);
  EXPECT_EQ(t(1, 1), 4.0);
}

TEST(DragTolerancePercent, HoldsValuesWithinZeroToHundred) {
  Table<double> t = TwoGroups();
  DragTolerancePercent(t, 1, 0, 130.2);
  DragTolerancePercent(t, 1, 1, -3.0);
  EXPECT_EQ(t(0, 0), 100.0);
  EXPECT_EQ(t(0, 1), 0.0);
}

TEST(DragTolerancePercent, APointOutsideTheTableOnlyRounds) {
  for (const auto& [group, kind] : {std::pair{0, 1}, {3, 1}, {1, 3}, {1, -1}}) {
    Table<double> t = TwoGroups();
    DragTolerancePercent(t, group, kind, 77.0);
    Table<double> expected(2, 3, 50.0);
    expected(1, 2) = 10.0;
    EXPECT_EQ(t, expected) << group << ", " << kind;
  }
  Table<double> none;
  DragTolerancePercent(none, 1, 0, 5.0);
  EXPECT_TRUE(none.Empty());
}

}  // namespace
}  // namespace world
