#include "streets/barrier_sums.h"

#include <gtest/gtest.h>

#include "simulation/street_controls.h"
#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "simulation/main_controls.h"
#include "streets/street_field.h"
#include "tests/support/world_builder.h"

namespace streets {
namespace {

using test_support::BareWorld;

// Random streets of every type and direction, recorded and marked at their
// ends (enough for the cells' StreetValues to vary), then imprinted.
void LayRandomStreets(BareWorld& b, std::mt19937& rng, int count) {
  auto& w = b.World;
  std::uniform_int_distribution<int> col(0, w.GridCols - 1), row(0, w.GridRows - 1), kind(0, 5), step(-6, 6);
  for (int k = 0; k < count; ++k) {
    const int t = kind(rng) < 3 ? kind(rng) % 3 - 3 : kind(rng) % 3 + 1;
    const int sc = col(rng), sr = row(rng);
    int ec = col(rng), er = row(rng);
    if (k % 4 == 0) ec = sc;
    if (k % 4 == 1) er = sr;
    if (k % 4 == 2) {
      const int d = step(rng);
      ec = std::clamp(sc + d, 0, w.GridCols - 1);
      er = std::clamp(sr + d, 0, w.GridRows - 1);
    }
    w.StreetSegments.push_back({sc, sr, ec, er, t});
    for (auto [c, r] : {std::pair{sc, sr}, std::pair{ec, er}}) {
      w.Cells.StreetType[w.Cells.Index(c, r)] = t;
      w.StreetGrid(c, r) = t;
    }
  }
  simulation::ImprintStreets(w, b.Controls);
}

// Per column of row ny: the lowest type of all barriers whose segment the
// pair crosses, 0 when none does.
std::vector<int> CrossedTypes(const world::World& w, int x, int y, int ny) {
  std::vector<int> types(static_cast<std::size_t>(w.GridCols), 0);
  for (int nx = 0; nx < w.GridCols; ++nx) {
    for (const auto& s : w.StreetSegments) {
      if (s.Type < types[nx] && SegmentsCross(x, y, nx, ny, s.StartCol, s.StartRow, s.EndCol, s.EndRow)) {
        types[nx] = s.Type;
      }
    }
  }
  return types;
}

void ExpectRunsMatchCrossings(world::World& w) {
  const int r = w.NbRadius;
  for (int y = 0; y < w.GridRows; ++y) {
    for (int x = 0; x < w.GridCols; ++x) {
      for (int ny = std::max(0, y - r); ny <= std::min(w.GridRows - 1, y + r); ++ny) {
        const int x0 = std::max(0, x - r), x1 = std::min(w.GridCols - 1, x + r);
        const std::vector<int> expected = CrossedTypes(w, x, y, ny);
        std::vector<int> found(static_cast<std::size_t>(w.GridCols), 0);
        int last = -1;
        for (const BlockedRun& run : BlockedRuns(w, x, y, ny)) {
          ASSERT_GT(static_cast<int>(run.First), last);
          ASSERT_LE(run.First, run.Last);
          ASSERT_GE(static_cast<int>(run.First), x0);
          ASSERT_LE(static_cast<int>(run.Last), x1);
          for (int c = run.First; c <= run.Last; ++c) found[static_cast<std::size_t>(c)] = run.Type;
          last = run.Last;
        }
        for (int nx = x0; nx <= x1; ++nx) {
          ASSERT_EQ(found[nx], expected[nx]) << "cell " << x << "," << y << " pair " << nx << "," << ny;
        }
      }
    }
  }
}

TEST(BarrierSums, RunsAreThePairsTheCrossingTestSeparates) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    for (int radius : {1, 3, 30}) {
      BareWorld b(15, 12);
      b.World.NbRadius = radius;
      std::mt19937 rng(seed);
      LayRandomStreets(b, rng, 10);
      ExpectRunsMatchCrossings(b.World);
      // Found per evaluation instead of listed: the same runs.
      PrepareBarrierSums(b.World, 0);
      ASSERT_FALSE(b.World.Field.Sums.Listed);
      ExpectRunsMatchCrossings(b.World);
    }
  }
}

// The plain loop the sums must reproduce: weights added one by one in scan order.
void AddOneByOne(const world::World& w, int x, int y, int emptyCells, double& similar, double& different) {
  const auto& cells = w.Cells;
  const int r = w.NbRadius;
  similar = different = 0.0;
  const int own = cells.State[cells.Index(x, y)];
  for (int ny = y - r; ny <= y + r; ++ny) {
    for (int nx = x - r; nx <= x + r; ++nx) {
      if (w.IsOutside(nx, ny)) continue;
      const int n = cells.Index(nx, ny);
      if (cells.State[n] == own) {
        similar += NeighbourWeight(w, x, y, nx, ny);
      } else if (cells.Occupied[n]) {
        different += NeighbourWeight(w, x, y, nx, ny);
      } else {
        different += emptyCells == 1 ? 1.0 : 0.0;
        similar += emptyCells == 2 ? 1.0 : 0.0;
      }
    }
  }
}

// Groups 1..3 and empty cells at random, with a few cells as a tentative
// move leaves them: a vacated cell (State 0, still occupied) and a target
// (holding a group, not yet occupied).
void Populate(world::World& w, std::mt19937& rng) {
  std::uniform_int_distribution<int> group(0, 3), odd(0, 40);
  for (int i = 0; i < w.Cells.Count(); ++i) {
    const int g = group(rng);
    w.Cells.State[i] = g;
    w.Cells.Occupied[i] = g != 0;
    if (odd(rng) == 0) w.Cells.Occupied[i] = g == 0;
  }
}

void ExpectSumsAsOneByOne(world::World& w) {
  for (int y = 0; y < w.GridRows; ++y) {
    for (int x = 0; x < w.GridCols; ++x) {
      if (BarriersNear(w, w.Cells.Index(x, y)).empty()) continue;
      for (int emptyCells = 0; emptyCells <= 2; ++emptyCells) {
        double similar = -1, different = -1, expectedSimilar, expectedDifferent;
        SumAcrossBarriers(w, x, y, emptyCells, similar, different);
        AddOneByOne(w, x, y, emptyCells, expectedSimilar, expectedDifferent);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(similar), std::bit_cast<std::uint64_t>(expectedSimilar))
            << "cell " << x << "," << y << " mode " << emptyCells << ": " << similar << " vs " << expectedSimilar;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(different), std::bit_cast<std::uint64_t>(expectedDifferent))
            << "cell " << x << "," << y << " mode " << emptyCells << ": " << different << " vs " << expectedDifferent;
      }
    }
  }
}

void SetWeights(simulation::ControlModel& controls, const std::vector<std::string>& texts) {
  for (int t = -3; t <= 3; ++t)
    controls.SetByUser(simulation::WeightControlName(t), texts[static_cast<std::size_t>(t + 3)]);
}

TEST(BarrierSums, SumsAreBitForBitThoseOfAddingOneByOne) {
  const std::vector<std::vector<std::string>> weightSets = {
      {"0", "0,33", "0,67", "1", "2", "4", "8"},             // the defaults
      {"0,1", "0,33", "0,7", "1", "2,5", "0,3", "3,75"},      // fractions everywhere
      {"1000000", "1e-9", "1", "1", "1e15", "0,5", "7"},      // weights far beyond a binade, and one invisible barrier
      {"0,25", "-0,5", "0,67", "1", "2", "4", "8"},          // a negative weight: one by one throughout
  };
  unsigned seed = 1;
  for (const auto& weights : weightSets) {
    for (int radius : {2, 9, 40}) {
      BareWorld b(25, 22);
      b.World.NbRadius = radius;
      SetWeights(b.Controls, weights);
      std::mt19937 rng(seed++);
      LayRandomStreets(b, rng, 8);
      Populate(b.World, rng);
      ExpectSumsAsOneByOne(b.World);
    }
  }
}

TEST(BarrierSums, FollowNewStreetsARadiusAndTheWayRunsAreKept) {
  BareWorld b(30, 30);
  auto& w = b.World;
  w.NbRadius = 12;
  std::mt19937 rng(11);
  LayRandomStreets(b, rng, 6);
  Populate(w, rng);
  ExpectSumsAsOneByOne(w);
  LayRandomStreets(b, rng, 4);  // imprinted again: the runs are rebuilt
  ExpectSumsAsOneByOne(w);
  w.NbRadius = 5;
  ExpectSumsAsOneByOne(w);
  PrepareBarrierSums(w, 0);
  ExpectSumsAsOneByOne(w);
}

}  // namespace
}  // namespace streets
