#include "experiments/streets_experiment.h"

#include <gtest/gtest.h>

#include "runner_support.h"

namespace experiments {
namespace {

using test_support::Reports;
using test_support::RunOut;
using test_support::SmallWorld;
using test_support::Type;

TEST(StreetsExperiment, DefaultsPlanFiveHundredTenCalculations) {
  auto sim = SmallWorld();
  StreetsExperiment streets(*sim);
  EXPECT_EQ(streets.controls.Text("Lbl_proceed"), "/ 510");
  EXPECT_TRUE(streets.controls.Checked("RB_grid"));
  EXPECT_EQ(streets.Chart_Streets.Title, (std::vector<std::string>{"Streets - Clusters Relationship"}));
}

TEST(StreetsExperiment, GridLayoutsRecordTheirStreetCellsAndTheTrendFollowsEachValue) {
  auto sim = SmallWorld();
  StreetsExperiment streets(*sim);
  Type(streets.controls, {{"E_valFrom", "2"}, {"E_valTo", "3"}, {"E_toSteps", "3"}, {"E_calcVals", "2"}});
  streets.S_startClick();
  while (streets.runner.CalcsDone() < 2) streets.Tick();
  // On 20 x 20 cells, n = m = 2 lays column 9 and row 9: 20 + 20 - 1 cells.
  ASSERT_EQ(streets.Series_street.Size(), 2u);
  for (const Point& p : streets.Series_street.Points()) EXPECT_EQ(p.X, 39);
  EXPECT_EQ(streets.Series_strTrend.Points().size(), 1u);  // one value so far: its mean
  streets.Tick();
  EXPECT_EQ(streets.Series_strTrend.Points().size(), 1u);  // not per calculation
  RunOut(streets.runner);
  // n = m = 3: spacing Round(20 / 3) = 7, columns and rows 6 and 13: 4 x 20 - 4 cells.
  const Series& points = streets.Series_street.Points();
  ASSERT_EQ(points.size(), 4u);
  EXPECT_EQ(points[2].X, 76);
  EXPECT_EQ(points[3].X, 76);
  const Series& trend = streets.Series_strTrend.Points();
  ASSERT_EQ(trend.size(), 2u);
  EXPECT_EQ(trend[0].X, 39);
  EXPECT_EQ(trend[1].X, 76);
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::StreetRows), "3");
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::StreetCols), "3");
  EXPECT_EQ(sim->world.StreetCellCount, 76);  // the last layout stays
  EXPECT_EQ(streets.Chart_Streets.Title, (std::vector<std::string>{"Streets - Clusters Relationship"}));
}

TEST(StreetsExperiment, RandomLayoutsAreDrawnAfreshForEveryCalculation) {
  auto sim = SmallWorld();
  StreetsExperiment streets(*sim);
  Type(streets.controls,
       {{"RB_rnd", "1"}, {"E_valFrom", "6"}, {"E_valTo", "6"}, {"E_toSteps", "2"}, {"E_calcVals", "3"}});
  EXPECT_FALSE(streets.controls.Checked("RB_grid"));
  std::vector<std::vector<world::StreetSegment>> layouts;
  streets.S_startClick();
  layouts.push_back(sim->world.StreetSegments);
  while (!streets.runner.Ended()) {
    const int done = streets.runner.CalcsDone();
    streets.Tick();
    if (streets.runner.CalcsDone() != done && !streets.runner.Ended()) layouts.push_back(sim->world.StreetSegments);
  }
  ASSERT_EQ(layouts.size(), 3u);
  for (const auto& layout : layouts) EXPECT_EQ(layout.size(), 5u);  // count - 1 streets
  EXPECT_NE(layouts[0], layouts[1]);
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::StreetCount), "6");
  for (const Point& p : streets.Series_street.Points()) EXPECT_GT(p.X, 0);
}

TEST(StreetsExperiment, RefusedLayoutIsReportedOnceAndTheRunGoesOnWithoutStreets) {
  auto sim = SmallWorld({{"CB_rndTyp", "0"}, {"UpD_strType", "0"}});
  StreetsExperiment streets(*sim);
  Reports reports;
  streets.SetReporter(reports.Sink());
  Type(streets.controls, {{"E_valFrom", "2"}, {"E_valTo", "3"}, {"E_toSteps", "2"}, {"E_calcVals", "2"}});
  streets.S_startClick();
  RunOut(streets.runner);
  EXPECT_TRUE(streets.runner.Ended());
  EXPECT_EQ(reports.Texts, (std::vector<std::string>{"0 is not a valid street type"}));
  ASSERT_EQ(streets.Series_street.Size(), 4u);
  for (const Point& p : streets.Series_street.Points()) EXPECT_EQ(p.X, 0);
  streets.S_startClick();  // a new start reports it again
  EXPECT_EQ(reports.Texts.size(), 2u);
}

TEST(StreetsExperiment, ValuesBelowOneLayNoStreets) {
  auto sim = SmallWorld();
  StreetsExperiment streets(*sim);
  Type(streets.controls,
       {{"E_valFrom", "-2"}, {"E_valTo", "1"}, {"E_incre", "3"}, {"E_toSteps", "2"}, {"E_calcVals", "1"}});
  streets.S_startClick();
  RunOut(streets.runner);
  ASSERT_EQ(streets.Series_street.Size(), 2u);
  EXPECT_EQ(streets.Series_street.Points()[0].X, 0);
  EXPECT_EQ(sim->controls.Position(simulation::MainControl::StreetRowsUpDown), 1);
}

}  // namespace
}  // namespace experiments
