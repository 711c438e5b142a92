#include "experiments/growth_experiment.h"

#include <gtest/gtest.h>

#include "runner_support.h"

namespace experiments {
namespace {

using test_support::RunOut;
using test_support::SmallWorld;
using test_support::Type;

std::vector<std::string> Titles(const std::deque<DerivedSeries>& lines) {
  std::vector<std::string> titles;
  for (const auto& line : lines) titles.push_back(line.Title());
  return titles;
}

TEST(GrowthExperiment, DefaultsPlanSixtyCalculations) {
  auto sim = SmallWorld();
  GrowthExperiment growth(*sim);
  EXPECT_EQ(growth.controls.Text("Lbl_proceed"), "/ 60");
  EXPECT_EQ(growth.controls.Get("E_valFrom").Caption, "tolerance from:");
}

TEST(GrowthExperiment, RecordAveragesOverGroupsThenOverCalculations) {
  auto sim = SmallWorld();
  GrowthExperiment growth(*sim);
  // Two groups, two steps, two calculations of the value 10.
  GrowthExperiment::Result first{{{{1, 10}, {2, 20}}, {{1, 30}, {2, 60}}}, {{1, 5}, {2, 6}}};
  GrowthExperiment::Result second{{{{1, 0}, {2, 0}}, {{1, 10}, {2, 20}}}, {{1, 7}, {2, 8}}};
  growth.Record(10, 2, first);
  EXPECT_EQ(growth.tempLines[0].Points(), (Series{{1, 20}, {2, 40}}));
  EXPECT_EQ(growth.denseLine, first.Density);
  EXPECT_EQ(growth.calcIndex, 1);
  growth.Record(10, 2, second);
  EXPECT_EQ(growth.tolerLines[0].Points(), (Series{{1, 12.5}, {2, 25}}));
  EXPECT_EQ(growth.tolerLines[0].Title(), "10");
  EXPECT_EQ(growth.denseLine, second.Density);
  EXPECT_EQ(growth.valueIndex, 1);
  EXPECT_EQ(growth.calcIndex, 0);
  for (const auto& line : growth.tempLines) EXPECT_TRUE(line.Points().empty());
}

TEST(GrowthExperiment, SweepLeavesOneLinePerValueOverTheSteps) {
  auto sim = SmallWorld();
  GrowthExperiment growth(*sim);
  Type(growth.controls, {{"E_valFrom", "10"}, {"E_valTo", "30"}, {"E_toSteps", "5"}, {"E_calcVals", "3"}});
  growth.B_startClick();
  EXPECT_EQ(growth.Chart_Growth.Title, (std::vector<std::string>{"segregation index with different densities"}));
  EXPECT_EQ(Titles(growth.tolerLines), (std::vector<std::string>{"toler", "toler", "toler"}));
  EXPECT_EQ(Titles(growth.tempLines), (std::vector<std::string>{"temp", "temp", "temp"}));
  RunOut(growth.runner);
  EXPECT_TRUE(growth.runner.Ended());
  EXPECT_EQ(Titles(growth.tolerLines), (std::vector<std::string>{"10", "20", "30"}));
  for (const auto& line : growth.tolerLines) {
    ASSERT_EQ(line.Points().size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(line.Points()[static_cast<std::size_t>(i)].X, i + 1);
  }
  for (const auto& line : growth.tempLines) EXPECT_TRUE(line.Points().empty());
  EXPECT_EQ(growth.denseLine, sim->analysis.ChangeSeries[3]);
  EXPECT_EQ(growth.denseLine.size(), 5u);
  EXPECT_EQ(sim->controls.Position(simulation::MainControl::Threshold), 30);
}

TEST(GrowthExperiment, EachFinishedCalculationShowsItsOwnTempLine) {
  auto sim = SmallWorld();
  GrowthExperiment growth(*sim);
  Type(growth.controls, {{"E_valFrom", "10"}, {"E_valTo", "10"}, {"E_toSteps", "4"}, {"E_calcVals", "4"}});
  growth.B_startClick();
  while (growth.runner.CalcsDone() < 3) growth.Tick();
  for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(growth.tempLines[k].Points().size(), 4u);
  EXPECT_TRUE(growth.tempLines[3].Points().empty());
  EXPECT_TRUE(growth.tolerLines[0].Points().empty());
}

TEST(GrowthExperiment, OneCalculationPerValueEmptiesTheTempLineEveryTime) {
  for (const char* calcs : {"1", "0", "-2"}) {  // 0 or less runs every value once
    auto sim = SmallWorld();
    GrowthExperiment growth(*sim);
    Type(growth.controls, {{"E_valFrom", "20"}, {"E_valTo", "30"}, {"E_toSteps", "3"}, {"E_calcVals", calcs}});
    growth.B_startClick();
    ASSERT_EQ(growth.tempLines.size(), 1u) << calcs;
    while (growth.runner.CalcsDone() < 1) growth.Tick();
    EXPECT_TRUE(growth.tempLines[0].Points().empty());
    EXPECT_EQ(growth.tolerLines[0].Points().size(), 3u);
    EXPECT_EQ(growth.tolerLines[0].Title(), "20");
    RunOut(growth.runner);
    EXPECT_EQ(Titles(growth.tolerLines), (std::vector<std::string>{"20", "30"}));
  }
}

TEST(GrowthExperiment, RangeAndRepetitionEditsDuringARunNeverIndexPastTheLines) {
  auto sim = SmallWorld();
  GrowthExperiment growth(*sim);
  Type(growth.controls, {{"E_valFrom", "10"}, {"E_valTo", "20"}, {"E_toSteps", "2"}, {"E_calcVals", "2"}});
  growth.B_startClick();
  ASSERT_EQ(growth.tolerLines.size(), 2u);
  growth.Tick();
  // More values and more calculations than there are lines.
  Type(growth.controls, {{"E_valTo", "40"}, {"E_calcVals", "3"}});
  while (growth.runner.CalcsDone() < 5) growth.Tick();
  EXPECT_EQ(growth.tempLines.size(), 3u);
  // Fewer calculations than the value already has: it completes with all of them.
  Type(growth.controls, {{"E_calcVals", "1"}});
  RunOut(growth.runner);
  EXPECT_TRUE(growth.runner.Ended());
  EXPECT_EQ(Titles(growth.tolerLines), (std::vector<std::string>{"10", "20", "30", "40"}));
  EXPECT_EQ(growth.tolerLines[1].Period(), 3);
  for (const auto& line : growth.tolerLines) EXPECT_EQ(line.Points().size(), 2u);
}

TEST(GrowthExperiment, GroupsOfTheCalculationsWorldSetTheTempPeriod) {
  // The group field changed without a set-up before new start.
  auto sim = SmallWorld({{"Edit_anzGr", "3"}});
  GrowthExperiment growth(*sim);
  Type(growth.controls, {{"E_valFrom", "10"}, {"E_valTo", "10"}, {"E_toSteps", "3"}, {"E_calcVals", "2"}});
  sim->controls.SetByUser("Edit_anzGr", "5");
  growth.B_startClick();
  while (growth.runner.CalcsDone() < 1) growth.Tick();
  EXPECT_EQ(growth.tempLines[0].Period(), 5);
  EXPECT_EQ(growth.tempLines[0].Points().size(), 3u);
}

}  // namespace
}  // namespace experiments
