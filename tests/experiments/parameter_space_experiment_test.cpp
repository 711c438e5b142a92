#include "experiments/parameter_space_experiment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "runner_support.h"

namespace experiments {
namespace {

using test_support::Reports;
using test_support::RunOut;
using test_support::SmallWorld;
using test_support::Type;

std::vector<double> Xs(const Series& s) {
  std::vector<double> xs;
  for (const Point& p : s) xs.push_back(p.X);
  return xs;
}

TEST(ParameterSpaceExperiment, AGroupCountBeyondTheRangeIsReportedOnceAndPausesAsOtherRefusals) {
  auto sim = SmallWorld();
  ParameterSpaceExperiment ps(*sim);
  Reports reports;
  ps.SetReporter(reports.Sink());
  Type(ps.controls, {{"CB_param", "0"}, {"E_valFrom", "999"}, {"E_valTo", "1001"}, {"E_toSteps", "2"},
                     {"E_calcVals", "2"}});
  ps.B_startClick();
  RunOut(ps.runner);
  // 999 and 1000 ran; 1001 is refused before its world is touched.
  EXPECT_EQ(reports.Texts, (std::vector<std::string>{"the number of groups must be at most 1000"}));
  EXPECT_FALSE(ps.runner.Running());
  EXPECT_FALSE(ps.runner.Ended());
  EXPECT_EQ(Xs(ps.Series_Avg.Points()), (std::vector<double>{999, 999, 1000, 1000}));
  EXPECT_EQ(sim->world.GroupCount, 1000);
  EXPECT_EQ(sim->world.NumberOfAgents(), 120);
}

TEST(ParameterSpaceExperiment, DefaultsRecordNinePointsAndAverageThemPerValue) {
  auto sim = SmallWorld();
  ParameterSpaceExperiment ps(*sim);
  EXPECT_EQ(ps.controls.Text("Lbl_proceed"), "/ 9");
  EXPECT_EQ(ps.controls.Text("CB_param"), " choose parameter");
  ps.controls.SetByUser("CB_param", "0");  // " number of groups"
  ps.B_startClick();
  EXPECT_FALSE(sim->Running());  // the main window's run is switched off
  RunOut(ps.runner);

  EXPECT_TRUE(ps.runner.Ended());
  EXPECT_EQ(ps.controls.Text("Lbl_akt"), "9");
  const std::vector<double> xs{2, 2, 2, 3, 3, 3, 4, 4, 4};
  EXPECT_EQ(Xs(ps.Series_Avg.Points()), xs);
  EXPECT_EQ(Xs(ps.Series_IS.Points()), xs);
  for (const auto* avg : {&ps.Series_AvgClust, &ps.Series_IS_Avg}) {
    const Series& source = avg->Source()->Points();
    ASSERT_EQ(avg->Points().size(), 3u);
    for (std::size_t v = 0; v < 3; ++v) {
      const Point& a = avg->Points()[v];
      EXPECT_EQ(a.X, 2.0 + v);
      const auto block = source.begin() + static_cast<std::ptrdiff_t>(3 * v);
      const auto [lo, hi] = std::minmax_element(block, block + 3, [](auto& p, auto& q) { return p.Y < q.Y; });
      EXPECT_GE(a.Y, lo->Y);
      EXPECT_LE(a.Y, hi->Y);
    }
  }
  EXPECT_EQ(ps.Series_AvgTrend.Points().size(), 2u);
  EXPECT_EQ(ps.Series_AvgFit.Points().size(), static_cast<std::size_t>(kCurveSamples));
  EXPECT_EQ(ps.Series_IS_Fit.Points().size(), static_cast<std::size_t>(kCurveSamples));
  for (const Point& p : ps.Series_IS.Points()) {
    EXPECT_GE(p.Y, 0);
    EXPECT_LE(p.Y, 100);
  }
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::GroupCount), "4");
  EXPECT_EQ(sim->world.GroupCount, 4);
  EXPECT_EQ(ps.Chart_IS.Title, (std::vector<std::string>{"segregation per value"}));
}

TEST(ParameterSpaceExperiment, FitsWaitForTheEndOfTheSweep) {
  auto sim = SmallWorld();
  ParameterSpaceExperiment ps(*sim);
  Type(ps.controls, {{"CB_param", "1"}, {"E_valFrom", "1"}, {"E_valTo", "2"}, {"E_toSteps", "3"}, {"E_calcVals", "2"}});
  ps.B_startClick();
  while (ps.runner.CalcsDone() < 3) ps.Tick();
  EXPECT_EQ(ps.Series_Avg.Size(), 3u);
  EXPECT_EQ(ps.Series_AvgClust.Points().size(), 2u);  // the second value's block still incomplete
  EXPECT_FALSE(ps.Series_AvgTrend.Points().empty());
  EXPECT_TRUE(ps.Series_AvgFit.Points().empty());
  RunOut(ps.runner);
  EXPECT_FALSE(ps.Series_AvgFit.Points().empty());
  EXPECT_EQ(sim->controls.Text(simulation::MainControl::Radius), "2");
}

TEST(ParameterSpaceExperiment, NewStartWithoutParameterChangesNothing) {
  auto sim = SmallWorld();
  ParameterSpaceExperiment ps(*sim);
  ps.controls.SetByUser("CB_param", "2");
  Type(ps.controls, {{"E_valFrom", "3"}, {"E_valTo", "3"}, {"E_toSteps", "2"}, {"E_calcVals", "1"}});
  ps.B_startClick();
  RunOut(ps.runner);
  ASSERT_EQ(ps.Series_Avg.Size(), 1u);
  ps.controls.SetByUser("CB_param", "-1");
  sim->SetRunning(true);
  try {
    ps.B_startClick();
    FAIL();
  } catch (const world::UserError& e) {
    EXPECT_STREQ(e.what(), "please select a parameter");
    EXPECT_EQ(e.Caption(), "missing value");
  }
  EXPECT_FALSE(sim->Running());
  EXPECT_FALSE(ps.runner.Running());
  EXPECT_EQ(ps.Series_Avg.Size(), 1u);
  EXPECT_EQ(ps.controls.Text("Lbl_akt"), "1");
}

TEST(ParameterSpaceExperiment, ClusterTitleKeepsTheThresholdOfNewStart) {
  auto sim = SmallWorld({{"E_clusterT", "7"}});
  ParameterSpaceExperiment ps(*sim);
  Type(ps.controls, {{"CB_param", "0"}, {"E_toSteps", "2"}, {"E_calcVals", "1"}});
  ps.B_startClick();
  const std::vector<std::string> title{"clusters per value | cluster threshold = 7"};
  EXPECT_EQ(ps.Chart_Cluster.Title, title);
  sim->controls.SetByUser("E_clusterT", "9");
  RunOut(ps.runner);
  EXPECT_EQ(ps.Chart_Cluster.Title, title);
}

TEST(ParameterSpaceExperiment, NewStartEmptiesTheChartsAndTheirDerivedSeries) {
  auto sim = SmallWorld();
  ParameterSpaceExperiment ps(*sim);
  Type(ps.controls, {{"CB_param", "0"}, {"E_toSteps", "2"}, {"E_calcVals", "1"}});
  ps.B_startClick();
  RunOut(ps.runner);
  ASSERT_FALSE(ps.Series_AvgTrend.Points().empty());
  ps.B_startClick();
  for (const auto* s : {&ps.Series_AvgClust, &ps.Series_AvgTrend, &ps.Series_AvgFit, &ps.Series_IS_Avg,
                        &ps.Series_IS_Trend, &ps.Series_IS_Fit}) {
    EXPECT_TRUE(s->Points().empty());
  }
  EXPECT_TRUE(ps.Series_Avg.Empty());
  EXPECT_TRUE(ps.Series_IS.Empty());
}

TEST(ParameterSpaceExperiment, DegreeClickRefitsAtOnceEvenAboveTheValuesThereAre) {
  auto sim = SmallWorld();
  ParameterSpaceExperiment ps(*sim);
  EXPECT_EQ(ps.Series_AvgFit.Degree(), 3);
  EXPECT_EQ(ps.Series_IS_Fit.Degree(), 3);
  Type(ps.controls, {{"CB_param", "0"}, {"E_toSteps", "2"}});
  ps.B_startClick();
  RunOut(ps.runner);
  const Series before = ps.Series_IS_Fit.Points();
  ps.controls.SetByUser("UpD_polyDegSeg", "20");
  EXPECT_EQ(ps.controls.Text("E_polyDegSeg"), "20");
  EXPECT_EQ(ps.Series_IS_Fit.Degree(), 20);
  const Series& after = ps.Series_IS_Fit.Points();
  ASSERT_EQ(after.size(), before.size());
  // Three values determine a parabola at most: the curve stays within the data's span.
  double lo = 1e300;
  double hi = -1e300;
  for (const Point& p : ps.Series_IS.Points()) {
    lo = std::min(lo, p.Y);
    hi = std::max(hi, p.Y);
  }
  const double margin = (hi - lo) + 1e-9;
  for (const Point& p : after) {
    EXPECT_TRUE(std::isfinite(p.Y));
    EXPECT_GE(p.Y, lo - margin);
    EXPECT_LE(p.Y, hi + margin);
  }
  // Typing a degree changes nothing until the up-down is clicked.
  ps.controls.SetByUser("E_polyDegClust", "5");
  EXPECT_EQ(ps.Series_AvgFit.Degree(), 3);
}

TEST(ParameterSpaceExperiment, ThresholdAboveOneHundredHoldsTheTrackBarButRecordsTheValue) {
  auto sim = SmallWorld();
  ParameterSpaceExperiment ps(*sim);
  Type(ps.controls,
       {{"CB_param", "3"}, {"E_valFrom", "99"}, {"E_valTo", "101"}, {"E_toSteps", "2"}, {"E_calcVals", "1"}});
  ps.B_startClick();
  RunOut(ps.runner);
  EXPECT_EQ(Xs(ps.Series_Avg.Points()), (std::vector<double>{99, 100, 101}));
  EXPECT_EQ(sim->controls.Position(simulation::MainControl::Threshold), 100);
  EXPECT_EQ(sim->world.Threshold, 100);
}

TEST(ParameterSpaceExperiment, CalculationsCanBeRunOneByOneOnSeparateWorlds) {
  // What a driver running calculations side by side does: apply, run, measure, record in order.
  auto window = SmallWorld();
  ParameterSpaceExperiment ps(*window);
  Type(ps.controls, {{"E_valFrom", "2"}, {"E_valTo", "3"}, {"E_calcVals", "2"}});
  const SweepPlan plan = ps.runner.Plan();
  ASSERT_EQ(plan.Calculations(), 4);
  for (long long k = 0; k < plan.Calculations(); ++k) {
    const SweepCalculation c = plan.At(k);
    auto world = SmallWorld({}, 100 + static_cast<std::uint64_t>(k));
    ParameterSpaceExperiment::ApplyParameter(*world, ParameterSpaceExperiment::kNumberOfGroups, c.Value);
    for (int s = 0; s < 3; ++s) world->TimeStep();
    EXPECT_EQ(world->world.GroupCount, c.Value);
    ps.Record(c.Value, ParameterSpaceExperiment::Measure(*world, 3));
  }
  EXPECT_EQ(Xs(ps.Series_Avg.Points()), (std::vector<double>{2, 2, 3, 3}));
  EXPECT_EQ(ps.Series_IS.Size(), 4u);
}

}  // namespace
}  // namespace experiments
