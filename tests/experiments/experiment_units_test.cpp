// The experiments run unit by unit, as the headless tool's workers run
// them, and replay the rows they made into their charts.
#include <gtest/gtest.h>

#include "experiments/growth_experiment.h"
#include "experiments/stability_experiment.h"
#include "runner_support.h"

namespace experiments {
namespace {

using test_support::Type;
using test_support::SmallWorld;

const test_support::Settings kFewAgents{{"Edit_anzAg", "40"}};

// Runs the unit started to its end; the rows it made.
std::vector<UnitRow> RunUnit(Experiment& experiment, int limit = 200000) {
  std::vector<UnitRow> rows;
  for (int steps = 0; experiment.UnitRunning() && steps < limit; ++steps) experiment.StepUnit(rows);
  EXPECT_FALSE(experiment.UnitRunning());
  return rows;
}

std::vector<UnitRow> RowsOf(const std::vector<UnitRow>& rows, ResultTable table) {
  std::vector<UnitRow> of;
  for (const UnitRow& row : rows) {
    if (row.Table == table) of.push_back(row);
  }
  return of;
}

TEST(ExperimentUnits, ASweepCalculationRunsItsStepsAtThePlansValueAndRepetition) {
  auto sim = SmallWorld(kFewAgents);
  GrowthExperiment growth(*sim);
  Type(growth.controls,
       {{"E_valFrom", "20"}, {"E_valTo", "40"}, {"E_incre", "10"}, {"E_toSteps", "3"}, {"E_calcVals", "2"}});
  const UnitPlan plan = growth.ReadUnits();
  EXPECT_EQ(plan.Units.Calculations(), 6);
  EXPECT_EQ(plan.Calculations, 6);
  // Unit 3: the second repetition of the second value.
  EXPECT_FALSE(growth.StartUnit(3, plan.Units.At(3).Value, {}));
  const std::vector<UnitRow> rows = RunUnit(growth);
  EXPECT_EQ(sim->world.StepCount, 3);
  const auto runs = RowsOf(rows, ResultTable::Runs);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].Value, TableValue(30LL));
  EXPECT_EQ(runs[0].Repetition, 2);
  EXPECT_EQ(RowsOf(rows, ResultTable::Steps).size(), 3u);
  for (const UnitRow& row : rows) EXPECT_EQ(row.Calculation, 0);
}

// A pass of two rounds from tolerance 25 to 27 on a world that settles.
struct Pass {
  Pass() : sim(SmallWorld(kFewAgents)), stability(*sim, landscape) {
    Type(stability.controls, {{"E_valFrom", "25"}, {"E_valTo", "27"}, {"E_calcRds", "2"}});
  }
  std::unique_ptr<simulation::Simulation> sim;
  StabilitySurface landscape;
  StabilityExperiment stability;
};

TEST(ExperimentUnits, AStabilityPassRecordsEachRoundAndItsRisesAndReplaysIntoTheSameCharts) {
  Pass pass;
  const UnitPlan plan = pass.stability.ReadUnits();
  EXPECT_EQ(plan.Units.Calculations(), 1);
  EXPECT_EQ(plan.CalculationsPerUnit, 2);
  EXPECT_FALSE(pass.stability.StartUnit(0, 0, {}));
  const std::vector<UnitRow> rows = RunUnit(pass.stability);
  EXPECT_TRUE(pass.stability.Ended());

  const auto runs = RowsOf(rows, ResultTable::Runs);
  ASSERT_EQ(runs.size(), 2u);
  for (std::size_t r = 0; r < runs.size(); ++r) {
    EXPECT_EQ(runs[r].Calculation, static_cast<long long>(r));
    EXPECT_EQ(runs[r].Repetition, static_cast<long long>(r) + 1);
    EXPECT_EQ(runs[r].Value, TableValue());  // no third parameter swept
    long long rises = 0;
    for (const UnitRow& rise : RowsOf(rows, ResultTable::Rises)) rises += rise.Calculation == runs[r].Calculation;
    EXPECT_EQ(runs[r].Fields.at(1), TableValue(rises));
  }
  for (const UnitRow& row : rows) EXPECT_EQ(row.Calculation, row.Repetition - 1);

  // The rows drawn again in a new window: the charts the pass left.
  Pass replayed;
  replayed.stability.Replay(rows);
  EXPECT_EQ(replayed.stability.Series_segVal.Points(), pass.stability.Series_segVal.Points());
  EXPECT_EQ(replayed.stability.Series_segAvg.Points(), pass.stability.Series_segAvg.Points());
  EXPECT_FALSE(replayed.stability.Running());
}

TEST(ExperimentUnits, ARoundBeyondItsStepLimitFailsTheUnitNamingTheRound) {
  Pass pass;
  Type(pass.stability.controls, {{"Cb_acti3d", "1"}, {"CB_param", "3"}, {"E_thirdFrom", "3"}, {"E_thirdTo", "5"}});
  EXPECT_EQ(pass.stability.ReadUnits().Units.Calculations(), 3);
  EXPECT_FALSE(pass.stability.StartUnit(2, 5, {1}));
  // The pass holds the third parameter at its value.
  EXPECT_EQ(pass.stability.controls.Text("E_thirdTo"), "5");
  try {
    RunUnit(pass.stability);
    FAIL() << "the round settled within one step";
  } catch (const UnitFailed& e) {
    EXPECT_TRUE(e.StepLimit());
    EXPECT_EQ(e.Calculation(), 0);
    EXPECT_EQ(std::string(e.what()), "round 1 did not settle at tolerance 25 within 1 steps");
  }
}

}  // namespace
}  // namespace experiments
