#include "experiments/stability_experiment.h"

#include <gtest/gtest.h>

#include <map>

#include "runner_support.h"

namespace experiments {
namespace {

using test_support::Reports;
using test_support::RunOut;
using test_support::SmallWorld;
using test_support::Type;

// One call of SaveWindows: its number and whether the 3-D picture was on.
struct Save {
  std::string number;
  bool surface;
  bool operator==(const Save&) const = default;
};

// A stability window on a small world of few agents, which settles within
// some steps at every threshold; its saves and reports are recorded.
struct Fixture {
  explicit Fixture(const test_support::Settings& settings = {})
      : sim(SmallWorld([&] {
          test_support::Settings s{{"Edit_anzAg", "40"}};
          s.insert(s.end(), settings.begin(), settings.end());
          return s;
        }())),
        stability(*sim, landscape) {
    stability.SetReporter(reports.Sink());
    stability.SetSaver([this](const std::string& number) {
      saves.push_back({number, sim->controls.Checked(simulation::MainControl::SaveSurface)});
      if (failSaves > 0) {
        --failSaves;
        throw world::UserError("missing value", "Datei \"x\" kann nicht erstellt werden. denied");
      }
    });
  }
  std::map<double, int> PointsPerTolerance() const {
    std::map<double, int> counts;
    for (const Point& p : stability.Series_segVal.Points()) ++counts[p.X];
    return counts;
  }

  std::unique_ptr<simulation::Simulation> sim;
  StabilitySurface landscape;
  StabilityExperiment stability;
  Reports reports;
  std::vector<Save> saves;
  int failSaves = 0;
};

TEST(StabilityExperiment, CreationShowsTotalsTitleAndEmptyCharts) {
  Fixture f;
  auto& s = f.stability;
  EXPECT_EQ(s.controls.Text("Lbl_proceed"), "/ 105");
  EXPECT_EQ(s.controls.Text("lbl_pSteps"), "0");
  EXPECT_EQ(s.controls.Text("Lbl_akt"), "0");
  EXPECT_EQ(s.Chart_Stability.Title, (std::vector<std::string>{"phase transitions || 6 groups"}));
  EXPECT_EQ(f.landscape.Chart_3DLand.Title, (std::vector<std::string>{"Stability Surface"}));
  EXPECT_FALSE(s.Running());
  s.controls.SetByUser("Cb_acti3d", "1");
  EXPECT_EQ(s.controls.Text("Lbl_proceed"), "/ 2205");
  s.controls.SetByUser("E_thirdTo", "20");  // below the third start: one pass
  EXPECT_EQ(s.controls.Text("Lbl_proceed"), "/ 105");
}

TEST(StabilityExperiment, IncrementsOfZeroOrLessAreRefusedWhenTheTotalIsShown) {
  Fixture f;
  auto& c = f.stability.controls;
  for (const char* field : {"E_incre", "E_thirdIncre"}) {
    try {
      c.SetByUser(field, "0");
      FAIL() << field;
    } catch (const world::UserError& e) {
      EXPECT_STREQ(e.what(), "increments have to be > 0");
      EXPECT_EQ(e.Caption(), "missing value");
    }
    EXPECT_EQ(c.Text("Lbl_proceed"), "/ 105");
    c.SetByUser(field, "1");
  }
  // The threshold always rises by one: the increment enters only the total.
  c.SetByUser("E_incre", "2");
  EXPECT_EQ(c.Text("Lbl_proceed"), "/ 55");
}

TEST(StabilityExperiment, DefaultsRecordFivePointsAtEachThresholdAndSaveOnce) {
  Fixture f;
  auto& s = f.stability;
  s.S_startClick();
  EXPECT_TRUE(s.Running());
  EXPECT_TRUE(f.sim->Running());  // the main window's run is left as it was
  RunOut(s);
  EXPECT_TRUE(s.Ended());
  EXPECT_EQ(s.ValuesDone(), 105);
  EXPECT_EQ(s.controls.Text("Lbl_akt"), "105");
  const auto counts = f.PointsPerTolerance();
  ASSERT_EQ(counts.size(), 21u);
  EXPECT_EQ(counts.begin()->first, 25);
  EXPECT_EQ(counts.rbegin()->first, 45);
  for (const auto& [tolerance, n] : counts) EXPECT_EQ(n, 5) << tolerance;
  const Series& average = s.Series_segAvg.Points();
  ASSERT_EQ(average.size(), 21u);
  for (std::size_t i = 0; i < 21; ++i) EXPECT_EQ(average[i].X, 25.0 + i);
  EXPECT_EQ(f.saves, (std::vector<Save>{{"1", false}}));
  EXPECT_FALSE(f.sim->controls.Checked(simulation::MainControl::SaveSurface));
  EXPECT_EQ(f.landscape.PointCount(), 0u);
  EXPECT_EQ(f.sim->controls.Text(simulation::MainControl::StopStep), "5");
}

TEST(StabilityExperiment, ThresholdRisesOnlyAfterTheCountStayedEqualOverStepsPlusOne) {
  Fixture f(test_support::Settings{{"Edit_anzAg", "0"}});  // nobody is ever unsatisfied
  auto& s = f.stability;
  s.controls.SetByUser("E_toSteps", "3");
  s.S_startClick();
  // Ticks 1 to 3 step and count three equal comparisons (the first against
  // the count before the round); tick 4 rises before its step.
  for (int i = 0; i < 3; ++i) s.Tick();
  EXPECT_EQ(s.Tolerance(), 25);
  EXPECT_EQ(s.StableSteps(), 3);
  s.Tick();
  EXPECT_EQ(s.Tolerance(), 26);
  EXPECT_EQ(f.sim->world.Threshold, 26);
  EXPECT_EQ(f.sim->controls.Position(simulation::MainControl::Threshold), 26);
  EXPECT_EQ(f.sim->controls.Position(simulation::MainControl::ThresholdUpDown), 26);
  ASSERT_EQ(s.Series_segVal.Size(), 1u);
  EXPECT_EQ(s.Series_segVal.Points()[0].X, 25);  // the threshold the world settled under
  EXPECT_EQ(s.controls.Text("lbl_pSteps"), "3");
}

TEST(StabilityExperiment, ChangeChartShowsEachRoundsStaircaseFromEmpty) {
  Fixture f;
  auto& s = f.stability;
  Type(s.controls, {{"E_valTo", "27"}, {"E_calcRds", "2"}});
  s.S_startClick();
  int round = s.RoundNo();
  std::size_t lastSize = 0;
  while (s.Running()) {
    s.Tick();
    if (!s.Running()) break;
    if (s.RoundNo() != round) {
      round = s.RoundNo();
      EXPECT_EQ(s.ser_tol.size(), 1u);  // emptied at the restart, then this tick's step
      lastSize = s.ser_tol.size();
      continue;
    }
    ASSERT_EQ(s.ser_tol.size(), lastSize + 1);
    lastSize = s.ser_tol.size();
    ASSERT_EQ(s.ser_change.size(), s.ser_tol.size());
    const Point& t = s.ser_tol.back();
    EXPECT_EQ(t.X, f.sim->world.StepCount);
    EXPECT_EQ(t.Y, s.Tolerance());
    EXPECT_EQ(s.ser_change.back().Y, f.sim->world.UnsatisfiedCount);
  }
  EXPECT_TRUE(s.Ended());
  // Paused or ended, the main window's own steps no longer feed the chart.
  const std::size_t size = s.ser_tol.size();
  f.sim->TimeStep();
  EXPECT_EQ(s.ser_tol.size(), size);
}

TEST(StabilityExperiment, ThirdParameterSweepBuildsOneSurfaceRowPerPass) {
  Fixture f;
  auto& s = f.stability;
  Type(s.controls, {{"E_valTo", "27"}, {"E_calcRds", "2"}, {"Cb_acti3d", "1"}, {"CB_param", "3"},
                    {"E_thirdFrom", "3"}, {"E_thirdTo", "5"}});
  EXPECT_EQ(s.controls.Text("Lbl_proceed"), "/ 18");
  s.S_startClick();
  EXPECT_EQ(f.sim->controls.Text(simulation::MainControl::MoveDistance), "3");
  EXPECT_EQ(f.landscape.Chart_3DLand.Title, (std::vector<std::string>{"Stability Landscape for \"move distance\""}));
  RunOut(s);
  EXPECT_TRUE(s.Ended());
  EXPECT_EQ(s.ValuesDone(), 18);
  const auto& rows = f.landscape.ser_landsc();
  ASSERT_EQ(rows.size(), 3u);
  for (std::size_t pass = 0; pass < 3; ++pass) {
    ASSERT_EQ(rows[pass].size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(rows[pass][i].X, 25.0 + i);
      EXPECT_EQ(rows[pass][i].Z, 3.0 + pass);
    }
  }
  // After every pass with the 3-D picture off, once more at the end with it on.
  EXPECT_EQ(f.saves, (std::vector<Save>{{"1", false}, {"2", false}, {"3", false}, {"3", true}}));
  EXPECT_EQ(f.sim->controls.Text(simulation::MainControl::MoveDistance), "5");
  EXPECT_EQ(f.landscape.SurfacePoints().size(), 9u);
}

TEST(StabilityExperiment, NumberOfGroupsAsThirdParameterRetitlesTheChartPerPass) {
  Fixture f;
  auto& s = f.stability;
  Type(s.controls, {{"E_valTo", "25"}, {"E_calcRds", "1"}, {"Cb_acti3d", "1"}, {"CB_param", "1"},
                    {"E_thirdFrom", "2"}, {"E_thirdTo", "3"}});
  s.S_startClick();
  EXPECT_EQ(s.Chart_Stability.Title, (std::vector<std::string>{"phase transitions || 2 groups"}));
  while (s.PassNo() < 2) s.Tick();
  EXPECT_EQ(s.Chart_Stability.Title, (std::vector<std::string>{"phase transitions || 3 groups"}));
  EXPECT_EQ(f.sim->world.GroupCount, 3);
}

TEST(StabilityExperiment, EndBelowStartRecordsOnePointPerRoundAndNoSurface) {
  Fixture f;
  auto& s = f.stability;
  Type(s.controls, {{"E_valTo", "20"}, {"E_calcRds", "3"}, {"Cb_acti3d", "1"}, {"CB_param", "0"},
                    {"E_thirdFrom", "30"}, {"E_thirdTo", "30"}});
  s.S_startClick();
  EXPECT_EQ(f.sim->controls.Text(simulation::MainControl::AgentCount), "30");
  RunOut(s);
  EXPECT_TRUE(s.Ended());
  EXPECT_EQ(f.PointsPerTolerance(), (std::map<double, int>{{25, 3}}));
  EXPECT_EQ(f.landscape.PointCount(), 0u);
  EXPECT_TRUE(f.landscape.ser_landsc().empty());
}

TEST(StabilityExperiment, NewStartNeedsAThirdParameterWhenActivated) {
  Fixture f;
  auto& s = f.stability;
  s.controls.SetByUser("Cb_acti3d", "1");
  try {
    s.S_startClick();
    FAIL();
  } catch (const world::UserError& e) {
    EXPECT_STREQ(e.what(), "please select a parameter");
    EXPECT_EQ(e.Caption(), "missing value");
  }
  EXPECT_FALSE(s.Started());
  EXPECT_FALSE(s.Running());
  // A third increment that never passes the end would sweep for ever.
  s.controls.SetByUser("CB_param", "2");
  EXPECT_THROW(s.controls.SetByUser("E_thirdIncre", "0"), world::UserError);
  EXPECT_THROW(s.S_startClick(), world::UserError);
  EXPECT_FALSE(s.Running());
}

TEST(StabilityExperiment, SaveSnapshotsUsesThePassNumber) {
  Fixture f;
  auto& s = f.stability;
  s.B_saveSnapClick();
  EXPECT_EQ(f.saves, (std::vector<Save>{{"0", true}}));  // the box is not touched
}

TEST(StabilityExperiment, FailedSavePausesAndReportsThenResumesWhereItStopped) {
  Fixture f;
  auto& s = f.stability;
  Type(s.controls, {{"E_valTo", "26"}, {"E_calcRds", "2"}, {"Cb_acti3d", "1"}, {"CB_param", "2"},
                    {"E_thirdFrom", "1"}, {"E_thirdTo", "2"}});
  f.failSaves = 1;
  s.S_startClick();
  RunOut(s);
  EXPECT_FALSE(s.Running());
  EXPECT_FALSE(s.Ended());
  EXPECT_EQ(f.reports.Texts, (std::vector<std::string>{"Datei \"x\" kann nicht erstellt werden. denied"}));
  EXPECT_EQ(s.Series_segVal.Size(), 4u);
  EXPECT_EQ(f.landscape.PointCount(), 0u);
  for (int i = 0; i < 3; ++i) s.Tick();  // paused: nothing happens
  EXPECT_EQ(f.saves.size(), 1u);
  s.S_breakClick();
  RunOut(s);
  EXPECT_TRUE(s.Ended());
  EXPECT_EQ(f.saves, (std::vector<Save>{{"1", false}, {"1", false}, {"2", false}, {"2", true}}));
  ASSERT_EQ(f.landscape.ser_landsc().size(), 2u);
  for (const auto& row : f.landscape.ser_landsc()) EXPECT_EQ(row.size(), 2u);
  EXPECT_EQ(s.ValuesDone(), 8);
  s.S_breakClick();  // ended: nothing to resume
  EXPECT_FALSE(s.Running());
}

TEST(StabilityExperiment, RangeChangedDuringAPassNeverReadsPastTheAverage) {
  Fixture f;
  auto& s = f.stability;
  Type(s.controls, {{"E_valTo", "27"}, {"E_calcRds", "1"}, {"Cb_acti3d", "1"}, {"CB_param", "3"},
                    {"E_thirdFrom", "4"}, {"E_thirdTo", "4"}});
  s.S_startClick();
  s.Tick();
  s.controls.SetByUser("E_valFrom", "0");  // 28 thresholds wanted, 3 recorded
  RunOut(s);
  EXPECT_TRUE(s.Ended());
  ASSERT_EQ(f.landscape.ser_landsc().size(), 1u);
  EXPECT_EQ(f.landscape.ser_landsc()[0].size(), 3u);
}

TEST(StabilityExperiment, StepsOfZeroCountAsOneAndBadTextPausesOnce) {
  Fixture f;
  auto& s = f.stability;
  Type(s.controls, {{"E_toSteps", "0"}, {"E_valTo", "26"}, {"E_calcRds", "1"}});
  s.S_startClick();
  EXPECT_EQ(f.sim->controls.Text(simulation::MainControl::StopStep), "1");
  s.Tick();
  s.controls.SetByUser("E_toSteps", "five");
  for (int i = 0; i < 4; ++i) s.Tick();
  EXPECT_EQ(f.reports.Texts, (std::vector<std::string>{"'five' ist kein gültiger Integerwert"}));
  EXPECT_FALSE(s.Running());
  s.controls.SetByUser("E_toSteps", "-2");
  s.S_breakClick();
  RunOut(s);
  EXPECT_TRUE(s.Ended());
  EXPECT_EQ(f.PointsPerTolerance(), (std::map<double, int>{{25, 1}, {26, 1}}));
}

TEST(StabilityExperiment, LeavesTheAnalysisUnhookedWhenDestroyed) {
  auto sim = SmallWorld({{"Edit_anzAg", "40"}});
  StabilitySurface landscape;
  {
    StabilityExperiment stability(*sim, landscape);
    stability.S_startClick();
    stability.Tick();
    EXPECT_EQ(sim->analysis.Stability.ser_tol, &stability.ser_tol);
  }
  EXPECT_EQ(sim->analysis.Stability.ser_tol, nullptr);
  sim->TimeStep();
}

}  // namespace
}  // namespace experiments
