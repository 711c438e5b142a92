#include "simulation/neighbour_counts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "simulation/street_controls.h"
#include "streets/layouts.h"
#include "tests/support/world_builder.h"

namespace simulation {
namespace {

// Counts every kind around (x, y) cell by cell: the empty cells one each,
// the others by their weight.
std::vector<std::int32_t> Recount(const std::vector<std::int32_t>& kinds, const std::vector<std::int32_t>& weights,
                                  int cols, int rows, int kindCount, int r, int x, int y) {
  std::vector<std::int32_t> sums(static_cast<std::size_t>(kindCount), 0);
  for (int ny = std::max(0, y - r); ny <= std::min(rows - 1, y + r); ++ny) {
    for (int nx = std::max(0, x - r); nx <= std::min(cols - 1, x + r); ++nx) {
      const std::size_t i = static_cast<std::size_t>(ny) * cols + nx;
      sums[static_cast<std::size_t>(kinds[i])] += kinds[i] == 0 ? 1 : weights[i];
    }
  }
  return sums;
}

::testing::AssertionResult MatchesRecount(const NeighbourCounts& counts, const std::vector<std::int32_t>& kinds,
                                          const std::vector<std::int32_t>& weights, int cols, int rows, int kindCount,
                                          int r) {
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < cols; ++x) {
      const auto expected = Recount(kinds, weights, cols, rows, kindCount, r, x, y);
      const std::int32_t* kept = counts.At(y * cols + x);
      for (int k = 0; k < kindCount; ++k) {
        if (kept[k] != expected[static_cast<std::size_t>(k)]) {
          return ::testing::AssertionFailure() << "cell (" << x << ", " << y << ") kind " << k << ": " << kept[k]
                                               << " kept, " << expected[static_cast<std::size_t>(k)] << " counted";
        }
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// Radii from none to more than the grid, odd grid shapes, weights of every
// sign: the built table and every change after it agree with a recount.
TEST(NeighbourCounts, BuildAndChangesAgreeWithARecount) {
  std::mt19937 random(7);
  const int cols = 13, rows = 9, kindCount = 4;
  for (int r : {0, 1, 2, 4, 5, 8, 12, 20}) {
    std::vector<std::int32_t> kinds(cols * rows), weights(cols * rows);
    for (auto& k : kinds) k = static_cast<std::int32_t>(random() % kindCount);
    for (auto& w : weights) w = static_cast<std::int32_t>(random() % 11) - 3;
    NeighbourCounts counts;
    counts.Build(kinds.data(), weights.data(), cols, rows, kindCount, r);
    ASSERT_TRUE(MatchesRecount(counts, kinds, weights, cols, rows, kindCount, r)) << "radius " << r;
    for (int change = 0; change < 60; ++change) {
      const int i = static_cast<int>(random() % kinds.size());
      const int to = static_cast<int>(random() % kindCount);
      counts.Change(i % cols, i / cols, kinds[static_cast<std::size_t>(i)], to, weights[static_cast<std::size_t>(i)]);
      kinds[static_cast<std::size_t>(i)] = to;
    }
    EXPECT_TRUE(MatchesRecount(counts, kinds, weights, cols, rows, kindCount, r)) << "radius " << r;
  }
}

// A change forgets the marks of exactly the cells whose rows it touched;
// a build forgets them all.
TEST(NeighbourCounts, AChangeForgetsTheMarksOfTheRowsItTouches) {
  const int cols = 9, rows = 7, r = 2;
  std::vector<std::int32_t> kinds(cols * rows, 0);
  NeighbourCounts counts;
  counts.Build(kinds.data(), nullptr, cols, rows, 3, r);
  for (int i = 0; i < cols * rows; ++i) EXPECT_FALSE(counts.Unchanged(i));
  for (int i = 0; i < cols * rows; ++i) counts.MarkSeen(i);
  counts.Change(1, 5, 0, 2, 1);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < cols; ++x) {
      const bool touched = x <= 1 + r && y >= 5 - r;
      EXPECT_EQ(counts.Unchanged(y * cols + x), !touched) << x << ", " << y;
    }
  }
  counts.MarkSeen(0);
  counts.Change(1, 5, 2, 2, 1);  // no change of kind: nothing to forget
  EXPECT_TRUE(counts.Unchanged(0));
  counts.ForgetSeen(0);
  EXPECT_FALSE(counts.Unchanged(0));
  counts.MarkSeen(3);
  counts.ForgetAllSeen();
  EXPECT_FALSE(counts.Unchanged(3));
}

// A quiet mark is a seen mark as well: a change forgets both, forgetting
// the quiet marks keeps the seen ones.
TEST(NeighbourCounts, QuietMarksGoWithTheSeenMarks) {
  std::vector<std::int32_t> kinds(6 * 6, 0);
  NeighbourCounts counts;
  counts.Build(kinds.data(), nullptr, 6, 6, 2, 1);
  for (int i : {0, 20, 35}) counts.MarkQuiet(i);
  counts.MarkSeen(1);
  EXPECT_TRUE(counts.Quiet(20) && counts.Unchanged(20));
  EXPECT_FALSE(counts.Quiet(1));
  counts.Change(3, 3, 0, 1, 1);  // (2, 3) is cell 20
  EXPECT_FALSE(counts.Unchanged(20));
  EXPECT_TRUE(counts.Quiet(35));
  counts.ForgetQuiet();
  EXPECT_FALSE(counts.Quiet(0) || counts.Quiet(35));
  EXPECT_TRUE(counts.Unchanged(0) && counts.Unchanged(35) && counts.Unchanged(1));
}

TEST(NeighbourCounts, WithoutWeightsEveryCellCountsOne) {
  const std::vector<std::int32_t> kinds = {0, 1, 2, 1, 1, 0};  // 3 x 2
  NeighbourCounts counts;
  counts.Build(kinds.data(), nullptr, 3, 2, 3, 1);
  const std::int32_t* corner = counts.At(0);  // sees columns 0..1 of both rows
  EXPECT_EQ(corner[0], 1);
  EXPECT_EQ(corner[1], 3);
  EXPECT_EQ(corner[2], 0);
}

// Everything a step leaves behind that the kept counts could get wrong.
::testing::AssertionResult SameWorld(const Simulation& a, const Simulation& b) {
  const auto& wa = a.world;
  const auto& wb = b.world;
  if (wa.UnsatisfiedCount != wb.UnsatisfiedCount) return ::testing::AssertionFailure() << "unsatisfied count";
  if (wa.Agents.size() != wb.Agents.size()) return ::testing::AssertionFailure() << "number of agents";
  for (std::size_t i = 0; i < wa.Agents.size(); ++i) {
    const auto& p = wa.Agents[i];
    const auto& q = wb.Agents[i];
    if (p.CellX != q.CellX || p.CellY != q.CellY || p.Satisfied != q.Satisfied) {
      return ::testing::AssertionFailure() << "agent " << i;
    }
  }
  auto same = [](const auto& u, const auto& v) {
    return u.size() == v.size() && std::memcmp(u.data(), v.data(), u.size() * sizeof(u[0])) == 0;
  };
  if (!same(wa.Cells.Satisfaction, wb.Cells.Satisfaction)) return ::testing::AssertionFailure() << "satisfaction";
  if (!same(wa.Cells.Similar, wb.Cells.Similar)) return ::testing::AssertionFailure() << "similar";
  if (!same(wa.Cells.Different, wb.Cells.Different)) return ::testing::AssertionFailure() << "different";
  if (!same(wa.Cells.State, wb.Cells.State)) return ::testing::AssertionFailure() << "state";
  if (!same(wa.Cells.Rent, wb.Cells.Rent)) return ::testing::AssertionFailure() << "rent";
  if (!same(wa.KindCounts, wb.KindCounts)) return ::testing::AssertionFailure() << "kind counts";
  return ::testing::AssertionSuccess();
}

using Settings = std::vector<std::pair<std::string, std::string>>;

// Two worlds from one seed, one keeping its counts, one counting cell by
// cell, changed alike between steps.
struct Twins {
  std::unique_ptr<Simulation> kept;
  std::unique_ptr<Simulation> counted;

  explicit Twins(const Settings& settings)
      : kept(test_support::Make(settings, 5)), counted(test_support::Make(settings, 5)) {
    counted->SetKeptCounts(false);
  }
  template <typename Change>
  void Both(Change change) {
    change(*kept);
    change(*counted);
  }
  ::testing::AssertionResult Step(int steps = 1) {
    for (int s = 0; s < steps; ++s) {
      Both([](Simulation& sim) { sim.TimeStep(); });
      auto same = SameWorld(*kept, *counted);
      if (!same) return same << " differs after step " << kept->world.StepCount;
    }
    return ::testing::AssertionSuccess();
  }
};

const Settings kSmall = {{"Edit_cellSiz", "17"}, {"Edit_anzAg", "1200"}, {"Edit_anzGr", "4"}};

Settings With(Settings settings, const Settings& more) {
  settings.insert(settings.end(), more.begin(), more.end());
  return settings;
}

TEST(KeptCounts, IndividualModeWithGrowthStepsAsCountingDoes) {
  Twins t(With(kSmall, {{"CB_actiGrow", "1"}, {"E_startGrowWith", "600"}, {"E_growRate", "40"},
                         {"UpD_toEmpty", "40"}}));
  EXPECT_TRUE(t.Step(30));
}

TEST(KeptCounts, PlainModeStepsAsCountingDoesWhileTheWaysOfCountingChange) {
  Twins t(With(kSmall, {{"cb_individTol", "0"}, {"TrB_thresh", "55"}}));
  EXPECT_TRUE(t.Step(5));
  t.Both([](Simulation& sim) { sim.controls.SetByUser("RB_count_diff", "1"); });
  EXPECT_TRUE(t.Step(5));
  t.Both([](Simulation& sim) { sim.controls.SetByUser("RB_count_simi", "1"); });
  EXPECT_TRUE(t.Step(5));
  // Individual mode and back, on the same world.
  t.Both([](Simulation& sim) { sim.controls.SetByUser("cb_individTol", "1"); });
  EXPECT_TRUE(t.Step(3));
  t.Both([](Simulation& sim) { sim.controls.SetByUser("cb_individTol", "0"); });
  EXPECT_TRUE(t.Step(3));
}

// Positive streets weigh neighbours 2, 4 or 8, laid on a grid whose
// neighbours all weighed 1; a changed weight, even one that is not a whole
// number, takes effect with the next imprint.
TEST(KeptCounts, StreetWeightsAndTheirChangesCountAsCountingDoes) {
  Twins t(With(kSmall, {{"cb_individTol", "0"}, {"TrB_thresh", "60"}, {"CB_rndTyp", "0"}, {"UpD_strType", "2"}}));
  EXPECT_TRUE(t.Step(3));
  t.Both([](Simulation& sim) {
    simulation::DrawStreetGrid(sim.world, sim.controls, 3, 3, simulation::ReadTypeChoice(sim.controls));
  });
  EXPECT_TRUE(t.Step(5));
  t.Both([](Simulation& sim) {
    sim.controls.SetByUser("SG_weight.6", "3");
    sim.B_imprintClick();
  });
  EXPECT_TRUE(t.Step(5));
  t.Both([](Simulation& sim) {
    sim.controls.SetByUser("SG_weight.6", "0,3");
    sim.B_imprintClick();
  });
  EXPECT_TRUE(t.Step(5));
  t.Both([](Simulation& sim) {
    sim.controls.SetByUser("SG_weight.6", "5");
    sim.B_imprintClick();
  });
  EXPECT_TRUE(t.Step(5));
}

// Changes made between two steps outside the move pass: an agent put on the
// grid by hand, one moved by hand, a stored satisfaction overwritten, new
// tolerances, a new set-up with another radius.
TEST(KeptCounts, ChangesBetweenStepsAreSeen) {
  Twins t(With(kSmall, {{"UpD_toEmpty", "30"}}));
  EXPECT_TRUE(t.Step(3));
  t.Both([](Simulation& sim) {
    auto& cells = sim.world.Cells;
    for (int i = 0; i < cells.Count(); ++i) {
      if (!cells.Occupied[i]) {
        test_support::Put(sim, i % cells.Cols, i / cells.Cols, 2);
        break;
      }
    }
  });
  EXPECT_TRUE(t.Step(2));
  t.Both([](Simulation& sim) {
    auto& cells = sim.world.Cells;
    for (int i = cells.Count() - 1; i >= 0; --i) {
      if (!cells.Occupied[i]) {
        sim.CommitMove(sim.world.Agents[0], i % cells.Cols, i / cells.Cols);
        break;
      }
    }
    cells.Satisfaction[cells.Index(sim.world.Agents[1].CellX, sim.world.Agents[1].CellY)] = 0.0;
  });
  EXPECT_TRUE(t.Step(2));
  t.Both([](Simulation& sim) {
    sim.controls.SetByUser("UpD_toInfer", "-45");
    sim.B_setTolsClick();
  });
  EXPECT_TRUE(t.Step(2));
  t.Both([](Simulation& sim) {
    sim.controls.SetByUser("Edit_nRad", "4");
    sim.NewSetup();
    sim.B_setTolsClick();
  });
  EXPECT_TRUE(t.Step(4));
}

// A pass skips the evaluation of a cell whose neighbourhood did not change
// since its last one. Whatever else writes the stored values between two
// steps, or changes what an evaluation would give, must not be skipped over.
TEST(KeptCounts, EvaluationsSkippedOverUnchangedNeighbourhoodsStoreWhatCountingDoes) {
  for (const char* individual : {"0", "1"}) {
    Twins t(With(kSmall, {{"cb_individTol", individual}, {"TrB_thresh", "45"}, {"UpD_toEmpty", "20"}}));
    EXPECT_TRUE(t.Step(4)) << "individual " << individual;
    // Stored values of occupied cells overwritten by hand.
    t.Both([](Simulation& sim) {
      auto& cells = sim.world.Cells;
      auto cell = [&](std::size_t a) {
        return cells.Index(sim.world.Agents[a].CellX, sim.world.Agents[a].CellY);
      };
      for (std::size_t a = 0; a + 2 < sim.world.Agents.size(); a += 7) {
        cells.Satisfaction[cell(a)] = 100.0;
        cells.Similar[cell(a + 1)] = -1.0;
        cells.Different[cell(a + 2)] = 1e9;
      }
    });
    EXPECT_TRUE(t.Step(3)) << "individual " << individual;
    // An evaluation from outside the pass in the other mode stores its own values.
    t.Both([](Simulation& sim) {
      const bool was = sim.controls.Checked(simulation::MainControl::IndividualThresholds);
      sim.controls.SetByUser("cb_individTol", was ? "0" : "1");
      for (std::size_t a = 0; a < sim.world.Agents.size(); a += 5) {
        sim.EvaluateCell(sim.world.Agents[a].CellX, sim.world.Agents[a].CellY);
      }
      sim.controls.SetByUser("cb_individTol", was ? "1" : "0");
    });
    EXPECT_TRUE(t.Step(3)) << "individual " << individual;
    // Tolerances written straight into the table, and the empty cells
    // counted another way.
    t.Both([](Simulation& sim) {
      sim.world.GroupTolerance(1, 0) = 3;
      sim.controls.SetByUser("RB_count_simi", "1");
    });
    EXPECT_TRUE(t.Step(3)) << "individual " << individual;
    // A set-up of the same size at the same seed: the same grid, nothing evaluated.
    t.Both([](Simulation& sim) { sim.NewSetup(); });
    EXPECT_TRUE(t.Step(3)) << "individual " << individual;
  }
}

// Once few agents move, a pass marks its satisfied agents quiet and passes
// over them. Whatever could end such a turn otherwise must bring them back:
// another threshold, rents or street cells written by hand, streets that may
// no longer be occupied.
TEST(KeptCounts, QuietAgentsTakeTheirTurnAgainWhenItCouldEndOtherwise) {
  for (const char* individual : {"0", "1"}) {
    Twins t(With(kSmall, {{"cb_individTol", individual},
                          {"TrB_thresh", "30"},
                          {"UpD_toEmpty", "60"},
                          {"cb_actiRentLand", "0"},
                          {"CB_strOcc", "1"}}));
    EXPECT_TRUE(t.Step(25)) << "individual " << individual;
    auto every = [](Simulation& sim, std::size_t from, auto write) {
      auto& cells = sim.world.Cells;
      for (std::size_t a = from; a < sim.world.Agents.size(); a += 9) {
        write(cells, cells.Index(sim.world.Agents[a].CellX, sim.world.Agents[a].CellY));
      }
    };
    t.Both([](Simulation& sim) { sim.controls.SetByUser("TrB_thresh", "45"); });
    EXPECT_TRUE(t.Step(4)) << "individual " << individual;
    t.Both([&](Simulation& sim) { every(sim, 1, [](world::CellGrid& c, int i) { c.Rent[i] = 1e9; }); });
    EXPECT_TRUE(t.Step(4)) << "individual " << individual;
    t.Both([&](Simulation& sim) { every(sim, 2, [](world::CellGrid& c, int i) { c.StreetType[i] = 1; }); });
    EXPECT_TRUE(t.Step(4)) << "individual " << individual;
    t.Both([](Simulation& sim) { sim.controls.SetByUser("CB_strOcc", "0"); });
    EXPECT_TRUE(t.Step(4)) << "individual " << individual;
    t.Both([&](Simulation& sim) { every(sim, 3, [](world::CellGrid& c, int i) { c.StreetType[i] = 2; }); });
    EXPECT_TRUE(t.Step(4)) << "individual " << individual;
  }
}

// The satisfaction of a tentative target sees the mover's own cell vacated:
// with a radius of several cells most targets lie within reach of it.
TEST(KeptCounts, ShortMovesWithinTheNeighbourhoodCountAsCountingDoes) {
  for (const char* individual : {"0", "1"}) {
    Twins t(With(kSmall, {{"Edit_nRad", "6"}, {"Edit_mDist", "3"}, {"cb_individTol", individual},
                          {"TrB_thresh", "70"}, {"RB_count_diff", "1"}, {"UpD_toEmpty", "35"}}));
    EXPECT_TRUE(t.Step(10)) << "individual " << individual;
  }
}

}  // namespace
}  // namespace simulation
