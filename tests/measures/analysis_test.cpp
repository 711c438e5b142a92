#include <gtest/gtest.h>

#include "simulation/simulation.h"
#include "hand_world.h"
#include "measures/analysis_charts.h"

namespace measures {
namespace {

using Titles = std::vector<std::string>;

TEST(ResetAnalysis, BuildsChartsAndTableForTheGroupCount) {
  test_support::HandWorld h(6, 6, 3);
  h.Put(0, 0, 1);
  h.Put(1, 0, 1);
  h.Put(2, 0, 3);
  h.analysis.ResetAnalysis();
  const Analysis& a = h.analysis;
  const AnalysisCharts& c = h.charts;

  EXPECT_EQ(c.Chart1.Title, Titles{"average satisfaction of the agents"});
  EXPECT_EQ(c.Chart2.Title, Titles{"cluster sizes"});
  EXPECT_EQ(c.Chart3.Title, Titles{"group sizes"});
  EXPECT_EQ(c.Chart4.Title, Titles{"segregation measure in 20x20 tiles"});
  EXPECT_EQ(c.Chart5.Title, Titles{"density - segregation measure in 20x20 tiles"});
  EXPECT_EQ(c.Chart6.Title, Titles{"changes"});
  EXPECT_EQ(c.Chart1.BottomAxisTitle, "time in log10");
  EXPECT_TRUE(c.Chart1.LogarithmicBottom);
  EXPECT_EQ(c.Chart6.LeftAxisTitle, "percentage of changing agents");
  EXPECT_EQ(c.Chart6.RightAxisTitle, "number of changing agents");
  EXPECT_EQ(c.Chart5.BottomAxisTitle, "number of agents");

  // One line per group on the right axis in the group's colour, then the
  // change and density lines on the left axis.
  for (const Chart* chart : {&c.Chart1, &c.Chart4, &c.Chart5}) {
    const std::size_t extra = chart == &c.Chart1 ? 0 : 1;
    ASSERT_EQ(chart->Lines.size(), 3 + extra);
    for (int g = 0; g < 3; ++g) {
      const auto& line = chart->Lines[static_cast<std::size_t>(g)];
      EXPECT_EQ(line.Index, g);
      EXPECT_EQ(line.VerticalAxis, Axis::Right);
      EXPECT_EQ(line.Color, h.World.GroupColors[static_cast<std::size_t>(g)]);
    }
  }
  EXPECT_EQ(c.Chart4.Lines[3], (ChartSeries{SeriesSource::Change, 3, SeriesKind::Line, Axis::Left, std::nullopt}));
  EXPECT_EQ(c.Chart5.Lines[3], (ChartSeries{SeriesSource::Change, 2, SeriesKind::Line, Axis::Left, std::nullopt}));
  ASSERT_EQ(c.Chart6.Lines.size(), 2u);
  EXPECT_EQ(c.Chart6.Lines[0].VerticalAxis, Axis::Right);
  EXPECT_EQ(c.Chart6.Lines[1].VerticalAxis, Axis::Left);
  EXPECT_EQ(&c.PointsOf(c.Chart6.Lines[1]), &a.ChangeSeries[1]);
  EXPECT_EQ(&c.PointsOf(c.Chart4.Lines[2]), &a.SegregationSeries[2]);

  EXPECT_EQ(c.Series3.Points, (Series{{0, 2}, {1, 0}, {2, 1}}));
  EXPECT_EQ(a.SatisfactionSeries.size(), 3u);
  EXPECT_EQ(a.DensitySegregationSeries.size(), 3u);

  ASSERT_EQ(c.DissimiGrid.Size0(), 4);
  ASSERT_EQ(c.DissimiGrid.Size1(), 5);
  EXPECT_EQ(h.Grid(0, 0), "groups");
  EXPECT_EQ(h.Grid(3, 0), "group 2");
  EXPECT_EQ(h.Grid(0, 1), "group 0");
  EXPECT_EQ(h.Grid(0, 4), "IS");
  EXPECT_EQ(h.Grid(2, 3), " ");
  EXPECT_EQ(h.Grid(1, 4), " ");
}

TEST(AnalysisCharts, LaterChartsLayOutTheTableAtTheNextComputation) {
  test_support::HandWorld h(6, 6, 2);
  h.Fill(0, 0, 2, 5, 1);
  h.Fill(3, 0, 5, 5, 2);
  h.SetAgentField(36);
  h.analysis.ResetAnalysis();
  {
    AnalysisCharts late(h.analysis, h.World);
    EXPECT_EQ(late.DissimiGrid.Size0(), 0);
    ASSERT_TRUE(h.analysis.ComputeSegregation());
    ASSERT_EQ(late.DissimiGrid.Size0(), 3);
    ASSERT_EQ(late.DissimiGrid.Size1(), 4);
    EXPECT_EQ(late.DissimiGrid(0, 1), "group 0");
    EXPECT_EQ(late.DissimiGrid(2, 1), world::FormatTwoDecimals(h.analysis.DissimilarityTable()(0, 1), ','));
  }
  // Charts that go leave the analysis without a listener, not with a dangling one.
  EXPECT_EQ(h.analysis.Listener(), nullptr);
  EXPECT_TRUE(h.analysis.ComputeSegregation());
}

TEST(ResetAnalysis, TitlesTakeTheTileFieldTextAtTheReset) {
  test_support::HandWorld h(6, 6, 2);
  h.Controls.SetText(simulation::MainControl::TileSize, "007");
  h.analysis.ResetAnalysis();
  EXPECT_EQ(h.charts.Chart4.Title, Titles{"segregation measure in 007x007 tiles"});
  h.Controls.SetText(simulation::MainControl::TileSize, "5");
  EXPECT_EQ(h.charts.Chart4.Title, Titles{"segregation measure in 007x007 tiles"});
  h.analysis.ResetAnalysis();
  EXPECT_EQ(h.charts.Chart5.Title, Titles{"density - segregation measure in 5x5 tiles"});
}

TEST(RecordStep, ResetsAtStepOneSoTheFirstPointIsAtOne) {
  test_support::HandWorld h(4, 4, 2);
  h.Put(0, 0, 1);
  h.Put(3, 3, 2);
  h.SetAgentField(2);
  h.analysis.ResetAnalysis();
  for (int step : {7, 8}) {
    h.World.StepCount = step;
    h.analysis.RecordStep();
  }
  h.World.StepCount = 1;
  h.analysis.RecordStep();
  for (const auto* list : {&h.analysis.SatisfactionSeries, &h.analysis.SegregationSeries}) {
    for (const auto& s : *list) {
      ASSERT_EQ(s.size(), 1u);
      EXPECT_EQ(s[0].X, 1);
    }
  }
  for (int c : {0, 1, 3}) {
    ASSERT_EQ(h.analysis.ChangeSeries[static_cast<std::size_t>(c)].size(), 1u);
    EXPECT_EQ(h.analysis.ChangeSeries[static_cast<std::size_t>(c)][0].X, 1);
  }
}

TEST(RecordStep, SatisfactionIsTheShareOfAgentsAtOneHundred) {
  test_support::HandWorld h(4, 4, 3);
  h.Put(0, 0, 1, 100);
  h.Put(1, 0, 1, 100);
  h.Put(2, 0, 1, 50);
  h.Put(0, 2, 2, 99.99);  // group 3 has no agent
  h.SetAgentField(4);
  h.World.StepCount = 2;
  h.analysis.ResetAnalysis();
  h.analysis.RecordStep();
  ASSERT_EQ(h.analysis.SatisfactionSeries[0].size(), 1u);
  EXPECT_EQ(h.analysis.SatisfactionSeries[0][0].X, 2);
  EXPECT_NEAR(h.analysis.SatisfactionSeries[0][0].Y, 66.666667, 1e-5);
  EXPECT_EQ(h.analysis.SatisfactionSeries[1][0], (Point{2, 0}));
  EXPECT_EQ(h.analysis.SatisfactionSeries[2][0], (Point{2, 0}));
}

TEST(RecordStep, AnalysesClustersAtStepsOneThirtyOneSixtyOne) {
  test_support::HandWorld h(4, 4, 2);
  h.Put(0, 0, 1);
  h.SetAgentField(1);
  std::vector<int> analysed;
  for (int step = 1; step <= 61; ++step) {
    h.World.StepCount = step;
    const auto before = h.charts.Chart2.Revision;
    h.analysis.RecordStep();
    // A reset at step 1 retitles the chart too; the cluster title says which step.
    if (h.charts.Chart2.Revision != before && h.charts.Chart2.Title[0].rfind("cluster sizes >", 0) == 0) {
      analysed.push_back(step);
    }
  }
  EXPECT_EQ(analysed, (std::vector<int>{1, 31, 61}));
  EXPECT_EQ(h.charts.Chart2.Title, Titles{"cluster sizes >10 at timestep 61"});
}

TEST(RecordStep, SatisfactionAndClustersComeBeforeAFailingSegregation) {
  test_support::HandWorld h(4, 4, 2);
  h.Put(0, 0, 1, 100);
  h.Put(1, 0, 1, 100);
  h.Controls.Get(simulation::MainControl::AgentCount).Text = "";
  h.World.StepCount = 1;
  h.analysis.RecordStep();
  EXPECT_EQ(h.analysis.SatisfactionSeries[0], (Series{{1, 100}}));
  EXPECT_EQ(h.analysis.ClusterSizes[0], (std::vector<int>{2}));
  EXPECT_TRUE(h.analysis.SegregationSeries[0].empty());
  EXPECT_TRUE(h.analysis.ChangeSeries[0].empty());
  h.World.StepCount = 2;
  h.analysis.RecordStep();
  EXPECT_EQ(h.reports.size(), 1u);
}

// The whole run at the defaults: 12000 agents on 116 x 116 cells.
TEST(RecordStep, DefaultRunRecordsFromStepOneAtDensityOfElevenThousand) {
  simulation::Simulation sim([] { return std::uint64_t{7}; });
  std::vector<std::string> reports;
  sim.SetReporter([&reports](const world::UserError& e) { reports.push_back(e.what()); });
  sim.MainWindowShown();
  sim.NewSetup();
  sim.TimeStep();
  sim.TimeStep();
  const Analysis& a = sim.analysis;
  ASSERT_EQ(a.SegregationSeries.size(), 6u);
  for (const auto& s : a.SatisfactionSeries) {
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].X, 1);
  }
  for (const auto& s : a.DensitySegregationSeries) EXPECT_EQ(s[1].X, 11999);
  ASSERT_EQ(a.ChangeSeries[3].size(), 2u);
  EXPECT_EQ(a.ChangeSeries[3][0].X, 1);
  EXPECT_NEAR(a.ChangeSeries[3][0].Y, 89.1721, 1e-4);
  EXPECT_EQ(a.ChangeSeries[2][1].X, 11999);
  EXPECT_EQ(sim.analysisCharts.Chart2.Title, Titles{"cluster sizes >10 at timestep 1"});
  int clustered = 0;
  for (const auto& sizes : a.ClusterSizes) {
    for (int s : sizes) clustered += s;
  }
  EXPECT_EQ(clustered, 12000);

  // A field emptied during the run: one message, and the run goes on.
  sim.controls.Get(simulation::MainControl::AgentCount).Text = "";
  sim.TimeStep();
  sim.TimeStep();
  EXPECT_EQ(reports, (std::vector<std::string>{"'' ist kein gültiger Integerwert"}));
  EXPECT_EQ(sim.world.StepCount, 4);
  EXPECT_EQ(a.SatisfactionSeries[0].size(), 4u);
  EXPECT_EQ(a.SegregationSeries[0].size(), 2u);
}

}  // namespace
}  // namespace measures
