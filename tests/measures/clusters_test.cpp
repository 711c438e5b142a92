#include <gtest/gtest.h>

#include "hand_world.h"

namespace measures {
namespace {

using Sizes = std::vector<std::vector<int>>;

TEST(AnalyseClusters, ConnectsEdgeNeighboursOnly) {
  struct Case {
    const char* name;
    std::vector<std::array<int, 3>> agents;  // x, y, group
    Sizes expected;
  };
  const Case cases[] = {
      {"lone agent", {{2, 2, 1}}, {{1}, {}}},
      {"across the left and right edge", {{0, 1, 1}, {4, 1, 1}}, {{2}, {}}},
      {"across the top and bottom edge", {{2, 0, 2}, {2, 3, 2}}, {{}, {2}}},
      {"out over the top, back over the bottom", {{0, 0, 1}, {0, 3, 1}, {1, 3, 1}, {2, 3, 1}, {2, 0, 1}}, {{5}, {}}},
      {"out over the left, back over the right", {{0, 0, 1}, {4, 0, 1}, {4, 1, 1}, {4, 2, 1}, {0, 2, 1}}, {{5}, {}}},
      {"touching at a corner", {{1, 1, 1}, {2, 2, 1}}, {{1, 1}, {}}},
      {"corner across the torus", {{0, 0, 1}, {4, 3, 1}}, {{1, 1}, {}}},
      {"other group between", {{0, 2, 1}, {1, 2, 2}, {2, 2, 1}}, {{1, 1}, {1}}},
      {"full row", {{0, 2, 1}, {1, 2, 1}, {2, 2, 1}, {3, 2, 1}, {4, 2, 1}, {2, 1, 2}, {3, 3, 2}}, {{5}, {1, 1}}},
      // Scan order: the pair at (0, 0), the single at (3, 0), then the L first met at (2, 1).
      {"scan order", {{0, 0, 1}, {0, 1, 1}, {3, 0, 1}, {2, 1, 1}, {2, 2, 1}, {3, 2, 1}}, {{2, 1, 3}, {}}},
      {"ring around an empty cell", {{1, 1, 1}, {2, 1, 1}, {3, 1, 1}, {1, 2, 1}, {3, 2, 1}, {1, 3, 1}, {2, 3, 1}, {3, 3, 1}},
       {{8}, {}}},
  };
  for (const auto& c : cases) {
    test_support::HandWorld h(5, 4, 2);
    for (const auto& a : c.agents) h.Put(a[0], a[1], a[2]);
    ASSERT_TRUE(h.analysis.AnalyseClusters()) << c.name;
    EXPECT_EQ(h.analysis.ClusterSizes, c.expected) << c.name;
  }
}

// On 14 x 8 cells, group 1: clusters of 10 and 12; group 2: one of 11.
struct ThreeRows : test_support::HandWorld {
  ThreeRows() : test_support::HandWorld(14, 8, 2) {
    Fill(0, 0, 9, 0, 1);
    Fill(0, 2, 10, 2, 2);
    Fill(0, 4, 11, 4, 1);
  }
};

TEST(AnalyseClusters, ThresholdCountsOnlyLargerClusters) {
  ThreeRows h;
  h.World.StepCount = 31;
  const auto zooms = h.charts.Chart2.ZoomResets;
  ASSERT_TRUE(h.analysis.AnalyseClusters());
  EXPECT_EQ(h.charts.Chart2.ZoomResets, zooms + 1);
  EXPECT_EQ(h.analysis.ClusterSizes, (Sizes{{10, 12}, {11}}));
  EXPECT_EQ(h.analysis.ClusterThreshold, 10);
  EXPECT_EQ(h.analysis.LargeClusterCount(), 2);
  // Group 0's large clusters first, then group 1's, side by side from x = 0.
  EXPECT_EQ(h.charts.ClusterBarSeries.Points, (Series{{0, 12}, {1, 11}}));
  EXPECT_EQ(h.charts.ClusterBarSeries.Colors,
            (std::vector<world::ColorRef>{h.World.GroupColors[0], h.World.GroupColors[1]}));
  EXPECT_EQ(h.charts.Chart2.Title, (std::vector<std::string>{"cluster sizes >10 at timestep 31"}));
  EXPECT_EQ(h.charts.Series3.Points, (Series{{0, 22}, {1, 11}}));
  EXPECT_EQ(h.charts.Series3.Colors, h.World.GroupColors);

  h.Controls.SetText(simulation::MainControl::ClusterThreshold, "11");
  ASSERT_TRUE(h.analysis.AnalyseClusters());
  EXPECT_EQ(h.analysis.LargeClusterCount(), 1);
  EXPECT_EQ(h.charts.ClusterBarSeries.Points, (Series{{0, 12}}));
  EXPECT_EQ(h.charts.Chart2.Title, (std::vector<std::string>{"cluster sizes >11 at timestep 31"}));

  // 0 can only be typed by hand; then every cluster is large.
  h.Controls.Get(simulation::MainControl::ClusterThreshold).Text = "0";
  ASSERT_TRUE(h.analysis.AnalyseClusters());
  EXPECT_EQ(h.analysis.LargeClusterCount(), 3);
}

TEST(AnalyseClusters, EmptyGridGivesEmptyListsAndNoBars) {
  test_support::HandWorld h(6, 6, 3);
  ASSERT_TRUE(h.analysis.AnalyseClusters());
  EXPECT_EQ(h.analysis.ClusterSizes, (Sizes{{}, {}, {}}));
  EXPECT_EQ(h.analysis.LargeClusterCount(), 0);
  EXPECT_TRUE(h.charts.ClusterBarSeries.Points.empty());
}

TEST(AnalyseClusters, WholeLargestGridIsOneClusterWithoutDeepRecursion) {
  test_support::HandWorld h(694, 694, 2);
  std::fill(h.World.Cells.State.begin(), h.World.Cells.State.end(), 1);
  std::fill(h.World.Cells.Occupied.begin(), h.World.Cells.Occupied.end(), std::uint8_t{1});
  h.World.GroupCounts = {694 * 694, 0};
  ASSERT_TRUE(h.analysis.AnalyseClusters());
  EXPECT_EQ(h.analysis.ClusterSizes, (Sizes{{694 * 694}, {}}));
  EXPECT_EQ(h.analysis.LargeClusterCount(), 1);
}

// Clusters by a plain flood fill from each cell in scan order.
Sizes FloodFillClusters(const world::World& w) {
  const int cols = w.GridCols, rows = w.GridRows;
  Sizes sizes(static_cast<std::size_t>(w.GroupCount));
  std::vector<char> seen(static_cast<std::size_t>(cols * rows), 0);
  for (int start = 0; start < cols * rows; ++start) {
    const int g = w.Cells.State[static_cast<std::size_t>(start)];
    if (g < 1 || g > w.GroupCount || seen[static_cast<std::size_t>(start)]) continue;
    std::vector<int> todo{start};
    seen[static_cast<std::size_t>(start)] = 1;
    int size = 0;
    while (!todo.empty()) {
      const int i = todo.back();
      todo.pop_back();
      ++size;
      const int x = i % cols, y = i / cols;
      const int next[4] = {y * cols + (x + 1) % cols, y * cols + (x + cols - 1) % cols, (y + 1) % rows * cols + x,
                           (y + rows - 1) % rows * cols + x};
      for (const int j : next) {
        if (w.Cells.State[static_cast<std::size_t>(j)] == g && !seen[static_cast<std::size_t>(j)]) {
          seen[static_cast<std::size_t>(j)] = 1;
          todo.push_back(j);
        }
      }
    }
    sizes[static_cast<std::size_t>(g - 1)].push_back(size);
  }
  return sizes;
}

// Random grids, thin ones included, where clusters wind across both edges.
TEST(AnalyseClusters, AgreesWithAFloodFillOnRandomGrids) {
  const int shapes[][3] = {{1, 1, 2}, {1, 9, 2}, {9, 1, 3}, {2, 7, 2}, {7, 2, 2}, {6, 6, 2}, {13, 11, 3}, {40, 30, 2}};
  std::uint64_t bits = 12345;
  auto next = [&bits] {
    bits = bits * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>(bits >> 33);
  };
  for (const auto& shape : shapes) {
    for (int round = 0; round < 20; ++round) {
      test_support::HandWorld h(shape[0], shape[1], shape[2]);
      for (int y = 0; y < shape[1]; ++y) {
        for (int x = 0; x < shape[0]; ++x) {
          const int g = next() % (shape[2] + 1);
          if (g > 0) h.Put(x, y, g);
        }
      }
      ASSERT_TRUE(h.analysis.AnalyseClusters());
      EXPECT_EQ(h.analysis.ClusterSizes, FloodFillClusters(h.World))
          << shape[0] << " x " << shape[1] << ", round " << round;
    }
  }
}

TEST(AnalyseClusters, MarksStayUntilCleared) {
  test_support::HandWorld h(5, 4, 2);
  h.Put(1, 1, 1);
  h.Put(2, 1, 1);
  h.Put(4, 3, 2);
  ASSERT_TRUE(h.analysis.AnalyseClusters());
  const auto& marks = h.World.Cells.ClusterVisited;
  for (int i = 0; i < h.World.Cells.Count(); ++i) {
    EXPECT_EQ(marks[static_cast<std::size_t>(i)], h.World.Cells.State[static_cast<std::size_t>(i)] > 0 ? 1 : 0) << i;
  }
  h.analysis.ClearClusterMarks();
  EXPECT_EQ(std::count(marks.begin(), marks.end(), 1), 0);
}

TEST(AnalyseClusters, BadThresholdKeepsTheChartAndReportsOnce) {
  ThreeRows h;
  ASSERT_TRUE(h.analysis.AnalyseClusters());
  const BarSeries bars = h.charts.ClusterBarSeries;
  const auto title = h.charts.Chart2.Title;

  h.Put(13, 7, 2);
  h.Controls.Get(simulation::MainControl::ClusterThreshold).Text = "";
  EXPECT_FALSE(h.analysis.AnalyseClusters());
  EXPECT_FALSE(h.analysis.AnalyseClusters());
  // The sizes are new; the chart is the previous one.
  EXPECT_EQ(h.analysis.ClusterSizes, (Sizes{{10, 12}, {11, 1}}));
  EXPECT_EQ(h.charts.ClusterBarSeries, bars);
  EXPECT_EQ(h.charts.Chart2.Title, title);
  EXPECT_EQ(h.analysis.LargeClusterCount(), 2);
  ASSERT_EQ(h.reports.size(), 1u);
  EXPECT_STREQ(h.reports[0].what(), "'' ist kein gültiger Integerwert");

  // The button reports on every press.
  EXPECT_FALSE(h.analysis.AnalyseClusters(true));
  EXPECT_FALSE(h.analysis.AnalyseClusters(true));
  EXPECT_EQ(h.reports.size(), 3u);
}

}  // namespace
}  // namespace measures
