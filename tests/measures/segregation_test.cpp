#include <gtest/gtest.h>

#include <cmath>

#include "hand_world.h"

namespace measures {
namespace {

// Every y value of every series the computation appends is a number.
void ExpectFiniteSeries(const Analysis& a) {
  auto check = [](const Series& s) {
    for (const auto& p : s) {
      EXPECT_TRUE(std::isfinite(p.X));
      EXPECT_TRUE(std::isfinite(p.Y));
    }
  };
  for (const auto& s : a.SegregationSeries) check(s);
  for (const auto& s : a.DensitySegregationSeries) check(s);
  for (const auto& s : a.ChangeSeries) check(s);
}

// One agent of group 1 top left and one of group 2 bottom right, on 4 x 4
// cells in tiles of 2, with the agent field matching.
struct ApartPair : test_support::HandWorld {
  explicit ApartPair(int groups = 2) : test_support::HandWorld(4, 4, groups) {
    SetTileSize(2);
    Put(0, 0, 1);
    Put(3, 3, 2);
    SetAgentField(2);
  }
};

TEST(ComputeSegregation, TileCountRoundsUpAndTreatsZeroAsOne) {
  EXPECT_EQ(TileCount(116, 20), 6);
  EXPECT_EQ(TileCount(120, 20), 6);
  EXPECT_EQ(TileCount(121, 20), 7);
  EXPECT_EQ(TileCount(5, 2), 3);
  EXPECT_EQ(TileCount(4, 10000), 1);
  EXPECT_EQ(TileCount(116, 0), 116);
  EXPECT_EQ(TileCount(0, 20), 0);
}

// At the defaults the tiles are 20 wide and the last column and row are
// cells 100..115: neighbours across 99/100 never share a tile, cells 100
// and 115 always do.
TEST(ComputeSegregation, DefaultGridHasSixTilesWithSixteenWideEdges) {
  struct Case {
    int x1, y1, x2, y2;
    const char* expected;
  };
  const Case cases[] = {
      {99, 0, 100, 0, "100"},    {100, 0, 115, 0, "0"},     {0, 99, 0, 100, "100"},
      {0, 100, 0, 115, "0"},     {100, 100, 115, 115, "0"}, {79, 50, 80, 50, "100"},
  };
  for (const auto& c : cases) {
    test_support::HandWorld h(116, 116, 2);
    h.Put(c.x1, c.y1, 1);
    h.Put(c.x2, c.y2, 2);
    h.SetAgentField(2);
    ASSERT_TRUE(h.ResetAndCompute());
    EXPECT_EQ(h.Grid(2, 1), c.expected) << c.x1 << ',' << c.y1 << " / " << c.x2 << ',' << c.y2;
  }
}

TEST(ComputeSegregation, NarrowEdgeTilesOfASmallGridAreCounted) {
  // 5 cells in tiles of 2: three tile columns, the last one cell wide.
  test_support::HandWorld h(5, 5, 2);
  h.SetTileSize(2);
  h.Put(3, 0, 1);
  h.Put(4, 4, 2);
  h.SetAgentField(2);
  ASSERT_TRUE(h.ResetAndCompute());
  EXPECT_DOUBLE_EQ(h.analysis.DissimilarityTable()(0, 1), 100.0);
  EXPECT_DOUBLE_EQ(h.analysis.SegregationIndex()[1], 100.0);
}

TEST(ComputeSegregation, SingleTileIndexComparesWithTheAgentField) {
  // One tile: 3 agents of group 1 and 1 of group 2.
  test_support::HandWorld h(4, 4, 2);
  h.Put(0, 0, 1);
  h.Put(1, 0, 1);
  h.Put(2, 3, 1);
  h.Put(3, 3, 2);
  h.analysis.ResetAnalysis();

  // E = 6 while 4 agents live: S0 = 1/2 |100 - 100 * 1 / 3|, S1 = 1/2 |100 - 100 * 3 / 5|.
  h.SetAgentField(6);
  ASSERT_TRUE(h.analysis.ComputeSegregation());
  EXPECT_DOUBLE_EQ(h.analysis.DissimilarityTable()(0, 1), 0.0);
  EXPECT_NEAR(h.analysis.SegregationIndex()[0], 33.333333, 1e-5);
  EXPECT_NEAR(h.analysis.SegregationIndex()[1], 20.0, 1e-12);
  EXPECT_EQ(h.Grid(2, 1), "0");
  EXPECT_EQ(h.Grid(1, 3), "33,33");
  EXPECT_EQ(h.Grid(2, 3), "20");
  h.charts.DecimalSeparator = '.';
  ASSERT_TRUE(h.analysis.ComputeSegregation());
  EXPECT_EQ(h.Grid(1, 3), "33.33");

  // E equal to the number of agents: a single tile is perfectly mixed.
  h.SetAgentField(4);
  ASSERT_TRUE(h.analysis.ComputeSegregation());
  EXPECT_NEAR(h.analysis.SegregationIndex()[0], 0.0, 1e-12);
  EXPECT_NEAR(h.analysis.SegregationIndex()[1], 0.0, 1e-12);
}

TEST(ComputeSegregation, SeparatedMixedAndHalfMixedGroups) {
  // 4 x 4 cells in tiles of 2: four tiles.
  struct Case {
    const char* name;
    std::vector<std::array<int, 3>> agents;  // x, y, group
    int e;
    double d, s0, s1;
  };
  const Case cases[] = {
      // Never in the same tile: 100 everywhere.
      {"apart", {{0, 0, 1}, {1, 1, 1}, {2, 2, 2}, {3, 3, 2}}, 4, 100, 100, 100},
      // Group 1 spread 2 : 2 and group 2 spread 1 : 1 over the same two tiles.
      {"proportional", {{0, 0, 1}, {1, 1, 1}, {2, 2, 1}, {3, 3, 1}, {0, 1, 2}, {3, 2, 2}}, 6, 0, 0, 0},
      // Group 1 wholly in the top-left tile, group 2 half there, half bottom-right.
      {"half", {{0, 0, 1}, {1, 0, 1}, {1, 1, 2}, {2, 3, 2}}, 4, 50, 50, 50},
  };
  for (const auto& c : cases) {
    test_support::HandWorld h(4, 4, 2);
    h.SetTileSize(2);
    for (const auto& a : c.agents) h.Put(a[0], a[1], a[2]);
    h.SetAgentField(c.e);
    ASSERT_TRUE(h.ResetAndCompute()) << c.name;
    EXPECT_NEAR(h.analysis.DissimilarityTable()(0, 1), c.d, 1e-12) << c.name;
    EXPECT_NEAR(h.analysis.SegregationIndex()[0], c.s0, 1e-12) << c.name;
    EXPECT_NEAR(h.analysis.SegregationIndex()[1], c.s1, 1e-12) << c.name;
  }
}

TEST(ComputeSegregation, TableFillsUpperTriangleAndIndexRow) {
  test_support::HandWorld h(4, 4, 3);
  h.SetTileSize(2);
  h.Put(0, 0, 1);  // top-left tile
  h.Put(2, 0, 2);  // top-right tile
  h.Put(1, 1, 3);  // top-left tile
  h.SetAgentField(3);
  h.analysis.ResetAnalysis();
  h.charts.DissimiGrid(1, 2) = "typed";  // lower triangle: kept
  h.charts.DissimiGrid(2, 1) = "typed";  // upper triangle: overwritten
  ASSERT_TRUE(h.analysis.ComputeSegregation());

  const std::vector<std::vector<std::string>> expected = {
      {"groups", "group 0", "group 1", "group 2"},
      {"group 0", "0", "100", "0"},
      {"group 1", "typed", "0", "100"},
      {"group 2", " ", " ", "0"},
      {"IS", "50", "100", "50"},
  };
  ASSERT_EQ(h.charts.DissimiGrid.Size0(), 4);
  ASSERT_EQ(h.charts.DissimiGrid.Size1(), 5);
  for (int row = 0; row < 5; ++row) {
    for (int col = 0; col < 4; ++col) {
      EXPECT_EQ(h.Grid(col, row), expected[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)])
          << "column " << col << ", row " << row;
    }
  }
}

TEST(ComputeSegregation, AppendsIndexDensityAndChangePointsInOrder) {
  test_support::HandWorld h(4, 4, 2);
  h.SetTileSize(2);
  h.Put(0, 0, 1);
  h.Put(1, 0, 1);
  h.Put(1, 1, 2);
  h.Put(2, 3, 2);
  h.SetAgentField(4);
  h.World.StepCount = 7;
  h.World.UnsatisfiedCount = 2;
  h.World.Threshold = 40;
  Series change, tolerance;
  h.analysis.ResetAnalysis();
  h.analysis.Stability = {&change, &tolerance};
  ASSERT_TRUE(h.analysis.ComputeSegregation());

  // A = 4 agents - 1 = 3; density = 100 * 3 / 16.
  EXPECT_EQ(h.analysis.SegregationSeries[0], (Series{{7, 50}}));
  EXPECT_EQ(h.analysis.SegregationSeries[1], (Series{{7, 50}}));
  EXPECT_EQ(h.analysis.DensitySegregationSeries[0], (Series{{3, 50}}));
  EXPECT_EQ(h.analysis.ChangeSeries[0], (Series{{7, 2}}));
  ASSERT_EQ(h.analysis.ChangeSeries[1].size(), 1u);
  EXPECT_NEAR(h.analysis.ChangeSeries[1][0].Y, 66.666667, 1e-5);
  EXPECT_EQ(h.analysis.ChangeSeries[2], (Series{{3, 18.75}}));
  EXPECT_EQ(h.analysis.ChangeSeries[3], (Series{{7, 18.75}}));
  EXPECT_EQ(change, (Series{{7, 2}}));
  EXPECT_EQ(tolerance, (Series{{7, 40}}));

  // Without the stability experiment nothing more goes to its series.
  h.analysis.Stability = {};
  ASSERT_TRUE(h.analysis.ComputeSegregation());
  EXPECT_EQ(change.size(), 1u);
  EXPECT_EQ(h.analysis.ChangeSeries[3].size(), 2u);
}

TEST(ComputeSegregation, DissimilarTwiceAppendsTwoIdenticalPoints) {
  ApartPair h;
  h.World.StepCount = 12;
  h.analysis.ResetAnalysis();
  ASSERT_TRUE(h.analysis.ComputeSegregation(true));
  ASSERT_TRUE(h.analysis.ComputeSegregation(true));
  for (const auto* list : {&h.analysis.SegregationSeries, &h.analysis.DensitySegregationSeries}) {
    for (const auto& s : *list) {
      ASSERT_EQ(s.size(), 2u);
      EXPECT_EQ(s[0], s[1]);
    }
  }
  for (const auto& s : h.analysis.ChangeSeries) {
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0], s[1]);
  }
  EXPECT_EQ(h.analysis.SegregationSeries[0][1].X, 12);
}

TEST(ComputeSegregation, GroupWithoutAgentsIsZeroApartAndHasIndexZero) {
  ApartPair h(3);  // group 3 has no agent
  ASSERT_TRUE(h.ResetAndCompute());
  EXPECT_EQ(h.analysis.DissimilarityTable()(0, 1), 100.0);
  EXPECT_EQ(h.analysis.DissimilarityTable()(0, 2), 0.0);
  EXPECT_EQ(h.analysis.DissimilarityTable()(1, 2), 0.0);
  EXPECT_EQ(h.analysis.SegregationIndex()[2], 0.0);
  EXPECT_EQ(h.Grid(3, 1), "0");
  EXPECT_EQ(h.Grid(3, 4), "0");
  ExpectFiniteSeries(h.analysis);
}

TEST(ComputeSegregation, NoOtherAgentsByTheFieldGiveIndexZero) {
  // E - N = 0 and E - N < 0: no other population to compare with.
  for (int e : {2, 1, 0}) {
    test_support::HandWorld h(4, 4, 2);
    h.SetTileSize(2);
    h.Put(0, 0, 1);
    h.Put(3, 3, 1);
    h.SetAgentField(e);
    ASSERT_TRUE(h.ResetAndCompute()) << e;
    EXPECT_EQ(h.analysis.SegregationIndex()[0], 0.0) << e;
    EXPECT_EQ(h.Grid(1, 3), "0") << e;
    ExpectFiniteSeries(h.analysis);
  }
}

TEST(ComputeSegregation, TileSizeZeroCountsAsOne) {
  test_support::HandWorld h(2, 2, 2);
  h.SetTileSize(0);
  ASSERT_EQ(h.World.TileSize, 0);
  h.Put(0, 0, 1);
  h.Put(1, 0, 2);
  h.SetAgentField(2);
  ASSERT_TRUE(h.ResetAndCompute());
  EXPECT_EQ(h.analysis.DissimilarityTable()(0, 1), 100.0);
  EXPECT_EQ(h.analysis.SegregationSeries[0].size(), 1u);
}

TEST(ComputeSegregation, OneAgentOrNoneGivesZeroShareAndDensity) {
  test_support::HandWorld one(4, 4, 2);
  one.Put(1, 1, 1);
  one.SetAgentField(1);
  one.World.UnsatisfiedCount = 1;
  ASSERT_TRUE(one.ResetAndCompute());
  EXPECT_EQ(one.analysis.ChangeSeries[1][0].Y, 0.0);
  EXPECT_EQ(one.analysis.ChangeSeries[3][0].Y, 0.0);
  ExpectFiniteSeries(one.analysis);

  // An empty world counts A as 0, not -1.
  test_support::HandWorld none(4, 4, 2);
  none.SetAgentField(0);
  ASSERT_TRUE(none.ResetAndCompute());
  EXPECT_EQ(none.analysis.ChangeSeries[2][0], (Point{0, 0}));
  EXPECT_EQ(none.analysis.DensitySegregationSeries[0][0], (Point{0, 0}));
  ExpectFiniteSeries(none.analysis);
}

TEST(ComputeSegregation, BadAgentFieldKeepsSeriesAndReportsOnce) {
  ApartPair h;
  ASSERT_TRUE(h.ResetAndCompute());
  const auto segregation = h.analysis.SegregationSeries;
  const auto change = h.analysis.ChangeSeries;
  const auto grid = h.charts.DissimiGrid;

  h.Controls.Get(simulation::MainControl::AgentCount).Text = "";
  EXPECT_FALSE(h.analysis.ComputeSegregation());
  EXPECT_FALSE(h.analysis.ComputeSegregation());
  ASSERT_EQ(h.reports.size(), 1u);
  EXPECT_STREQ(h.reports[0].what(), "'' ist kein gültiger Integerwert");
  EXPECT_EQ(h.analysis.SegregationSeries, segregation);
  EXPECT_EQ(h.analysis.ChangeSeries, change);
  EXPECT_EQ(h.charts.DissimiGrid, grid);

  // Another bad text is news; so is the same one after a good computation.
  h.Controls.Get(simulation::MainControl::AgentCount).Text = "1x";
  EXPECT_FALSE(h.analysis.ComputeSegregation());
  ASSERT_EQ(h.reports.size(), 2u);
  EXPECT_STREQ(h.reports[1].what(), "'1x' ist kein gültiger Integerwert");
  h.Controls.Get(simulation::MainControl::AgentCount).Text = "2";
  EXPECT_TRUE(h.analysis.ComputeSegregation());
  h.Controls.Get(simulation::MainControl::AgentCount).Text = "1x";
  EXPECT_FALSE(h.analysis.ComputeSegregation());
  EXPECT_EQ(h.reports.size(), 3u);

  // The button is pressed by the user, who hears about it every time.
  EXPECT_FALSE(h.analysis.ComputeSegregation(true));
  EXPECT_FALSE(h.analysis.ComputeSegregation(true));
  EXPECT_EQ(h.reports.size(), 5u);
}

}  // namespace
}  // namespace measures

namespace measures {
namespace {

// Tiles wider than a counting run of 255 cells, and more agents of one
// group than one 8-bit lane holds: the counts must carry on exactly.
TEST(ComputeSegregation, TilesAndGroupsBeyondTwoHundredFiftyFiveCellsCountExactly) {
  test_support::HandWorld h(600, 2, 2);
  h.SetTileSize(300);
  for (int x = 0; x < 400; ++x) h.Put(x, 0, 1, x < 300 ? 100.0 : 99.0);
  for (int x = 100; x < 600; ++x) h.Put(x, 1, 2, 100.0);
  h.SetAgentField(900);
  ASSERT_TRUE(h.ResetAndCompute());
  // Tile 0 holds 300 of group 1 and 200 of group 2, tile 1 100 and 300.
  EXPECT_DOUBLE_EQ(h.analysis.DissimilarityTable()(0, 1), 0.5 * (std::fabs(75.0 - 40.0) + std::fabs(25.0 - 60.0)));
  h.World.StepCount = 2;
  h.analysis.RecordStep();
  ASSERT_EQ(h.analysis.SatisfactionSeries[0].size(), 1u);
  EXPECT_DOUBLE_EQ(h.analysis.SatisfactionSeries[0].back().Y, 100.0 * 300 / 400);
  EXPECT_DOUBLE_EQ(h.analysis.SatisfactionSeries[1].back().Y, 100.0);
}

// Few groups count several cells at a time, many one by one: groups without
// agents added on top must leave every number of the others as it was, on a
// grid whose rows and tiles do not divide evenly.
TEST(ComputeSegregation, FewGroupsCountAsManyDo) {
  auto lay = [](test_support::HandWorld& h) {
    h.SetTileSize(3);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 7; ++x) {
        const int v = (x * 7 + y * 3) % 5;
        if (v < 3) h.Put(x, y, v + 1, v == 1 || (x + y) % 2 ? 100.0 : (y == 4 ? std::nan("") : 99.0));
      }
    }
    h.SetAgentField(21);
    h.World.StepCount = 2;
    h.analysis.ResetAnalysis();
    h.analysis.RecordStep();
  };
  test_support::HandWorld few(7, 5, 3), many(7, 5, 8);
  lay(few);
  lay(many);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(few.analysis.SatisfactionSeries[i], many.analysis.SatisfactionSeries[i]) << "group " << i + 1;
    EXPECT_EQ(few.analysis.SegregationSeries[i], many.analysis.SegregationSeries[i]) << "group " << i + 1;
    for (int j = i + 1; j < 3; ++j)
      EXPECT_EQ(few.analysis.DissimilarityTable()(i, j), many.analysis.DissimilarityTable()(i, j));
  }
  EXPECT_GT(few.analysis.SatisfactionSeries[0].back().Y, 0.0);
  EXPECT_LT(few.analysis.SatisfactionSeries[0].back().Y, 100.0);
  EXPECT_GT(few.analysis.SegregationSeries[2].back().Y, 0.0);
}

}  // namespace
}  // namespace measures
