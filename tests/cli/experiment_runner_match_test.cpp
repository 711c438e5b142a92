// The headless tool runs the windows' own experiments: a sweep run with one
// thread matches, calculation by calculation, the window's experiment ticked
// on one world that draws the same seed for every calculation, and every
// experiment the command line names is the one its window runs.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/experiment_setup.h"
#include "cli/experiment_units.h"
#include "experiment_support.h"
#include "experiments/growth_experiment.h"
#include "experiments/parameter_space_experiment.h"
#include "experiments/stability_experiment.h"
#include "experiments/stability_surface.h"
#include "experiments/streets_experiment.h"

namespace cli {
namespace {

using experiments::Point;
using experiments::Series;
using nlohmann::json;

constexpr std::uint64_t kSeed = 2024;

// The main window's world as the headless tool prepares it, whose
// experiment set-ups take the seeds of calculations 0, 1, 2, ... in turn.
class WindowWorld {
 public:
  WindowWorld(const std::string& experiment, const std::vector<std::string>& settings,
              const std::vector<std::string>& fields)
      : setup_(ReadExperiment(experiment, settings, fields)),
        sim_(PrepareWorld(setup_, [this] { return armed_ ? CalculationSeed(kSeed, next_++) : CalculationSeed(kSeed, 0); },
                          {})) {}
  simulation::Simulation& Sim() { return *sim_; }

  // Types the fields into the window, presses "new start" and ticks the
  // experiment until it has ended.
  void Run(experiments::Experiment& window) {
    ApplyWindowFields(window.Fields(), setup_);
    armed_ = true;
    window.NewStart();
    for (int ticks = 0; window.Running() && ticks < 1000000; ++ticks) window.Tick();
    ASSERT_TRUE(window.Ended());
  }

 private:
  ExperimentSetup setup_;
  bool armed_ = false;
  long long next_ = 0;
  std::unique_ptr<simulation::Simulation> sim_;
};

struct Headless {
  std::vector<std::vector<std::string>> Runs;  // without the header
  std::vector<std::vector<std::string>> Rises;
  json Summary;
};

Headless RunHeadless(test_support::Scratch& scratch, const std::string& experiment,
                     const std::vector<std::string>& fields,
                     const std::vector<std::string>& settings = test_support::SmallWorldSettings()) {
  ExperimentOptions o;
  o.Experiment = experiment;
  o.Settings = settings;
  o.Fields = fields;
  o.Seed = kSeed;
  o.Threads = 1;
  o.Out = scratch / experiment;
  o.MaxRoundSteps = 20000;
  const test_support::Outcome r = test_support::Experiment(o);
  EXPECT_EQ(r.Status, 0) << r.Err;
  Headless h;
  auto table = [&](const std::string& file) {
    std::vector<std::vector<std::string>> rows;
    const auto lines = test_support::Lines(test_support::ReadFile(*o.Out + "/" + file));
    for (std::size_t i = 1; i < lines.size(); ++i) rows.push_back(test_support::Fields(lines[i]));
    return rows;
  };
  h.Runs = table("runs.csv");
  if (experiment == "stability") h.Rises = table("rises.csv");
  h.Summary = json::parse(test_support::ReadFile(*o.Out + "/summary.json"));
  return h;
}

Series PointsOf(const json& list) {
  Series s;
  for (const auto& p : list) s.push_back({p[0].get<double>(), p[1].get<double>()});
  return s;
}

double Number(const std::string& field) { return std::stod(field); }

TEST(HeadlessExperiment, EveryNameMakesTheExperimentOfItsWindowWithItsTables) {
  const std::vector<std::pair<std::string, std::string>> windows = {
      {"parameterspace", "Timer2"}, {"growth", "Timer3"}, {"streets", "Timer4"}, {"stability", "Timer5"}};
  ASSERT_EQ(ExperimentNames().size(), windows.size());
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const auto& [name, timer] = windows[i];
    EXPECT_EQ(ExperimentNames()[i], name);
    const ExperimentType& type = ExperimentTypes()[i];
    EXPECT_EQ(&TypeOf(type.Kind), &type) << name;
    simulation::Simulation sim([] { return std::uint64_t{7}; });
    const auto experiment = type.Make(sim);
    ASSERT_TRUE(experiment) << name;
    EXPECT_EQ(experiment->TimerName(), timer) << name;
    EXPECT_FALSE(experiment->Fields().Checked(timer)) << name;
    EXPECT_FALSE(experiment->Started()) << name;
    // Only the stability experiment runs passes of dependent rounds.
    const bool sweep = dynamic_cast<experiments::SweepExperiment*>(experiment.get()) != nullptr;
    EXPECT_EQ(sweep, name != "stability") << name;
    EXPECT_EQ(type.Headers.Runs.rfind("experiment,calculation,value,repetition,seed,", 0), 0u) << name;
    EXPECT_NE(type.Series, nullptr) << name;
  }
  // The tables as the headless tool has always written them.
  EXPECT_EQ(HeadersOf(ExperimentKind::Parameterspace).Runs,
            "experiment,calculation,value,repetition,seed,LargeClusterCount,meanSegregation");
  EXPECT_EQ(HeadersOf(ExperimentKind::Growth).Steps, "calculation,value,repetition,step,meanSegregation,density");
  EXPECT_EQ(HeadersOf(ExperimentKind::Streets).Steps, "");
  EXPECT_EQ(HeadersOf(ExperimentKind::Stability).Rises, "calculation,value,repetition,tolerance,step,meanSegregation");
}

TEST(HeadlessExperiment, ParameterSpaceMatchesTheWindowsRunnerCalculationByCalculation) {
  test_support::Scratch scratch("match-ps");
  const std::vector<std::string> fields = {"CB_param=0", "E_toSteps=31", "E_calcVals=2"};
  const Headless h = RunHeadless(scratch, "parameterspace", fields);
  WindowWorld w("parameterspace", test_support::SmallWorldSettings(), fields);
  experiments::ParameterSpaceExperiment window(w.Sim());
  w.Run(window);

  const Series& clusters = window.Series_Avg.Points();
  const Series& segregation = window.Series_IS.Points();
  ASSERT_EQ(h.Runs.size(), 6u);
  ASSERT_EQ(clusters.size(), 6u);
  ASSERT_EQ(segregation.size(), 6u);
  for (std::size_t k = 0; k < h.Runs.size(); ++k) {
    const auto& row = h.Runs[k];
    EXPECT_EQ(Number(row[2]), clusters[k].X) << k;
    EXPECT_EQ(Number(row[4]), static_cast<double>(CalculationSeed(kSeed, static_cast<long long>(k))));
    EXPECT_EQ(Number(row[5]), clusters[k].Y) << k;
    EXPECT_EQ(Number(row[6]), segregation[k].Y) << k;
  }
  window.Series_AvgClust.Recompute();
  window.Series_IS_Trend.Recompute();
  EXPECT_EQ(PointsOf(h.Summary["series"]["LargeClusterCount"]["average"]), window.Series_AvgClust.Points());
  EXPECT_EQ(PointsOf(h.Summary["series"]["meanSegregation"]["trend"]["points"]), window.Series_IS_Trend.Points());
  EXPECT_EQ(PointsOf(h.Summary["series"]["meanSegregation"]["fit"]["points"]), window.Series_IS_Fit.Points());
  // The segregation differs between calculations: each had a seed of its own.
  EXPECT_NE(segregation[0].Y, segregation[1].Y);
}

TEST(HeadlessExperiment, GrowthLinesMatchTheWindowsRunner) {
  test_support::Scratch scratch("match-growth");
  const std::vector<std::string> fields = {"E_valFrom=20", "E_valTo=40", "E_toSteps=15", "E_calcVals=2"};
  const Headless h = RunHeadless(scratch, "growth", fields);
  WindowWorld w("growth", test_support::SmallWorldSettings(), fields);
  experiments::GrowthExperiment window(w.Sim());
  w.Run(window);

  const json& values = h.Summary["series"]["values"];
  ASSERT_EQ(values.size(), 3u);
  for (std::size_t v = 0; v < values.size(); ++v) {
    EXPECT_EQ(values[v]["value"].get<int>(), std::stoi(window.tolerLines[v].Title()));
    const Series line = PointsOf(values[v]["meanSegregation"]);
    EXPECT_EQ(line.size(), 15u);
    EXPECT_EQ(line, window.tolerLines[v].Points()) << v;
  }
  EXPECT_EQ(PointsOf(h.Summary["series"]["density"]), window.denseLine);
}

TEST(HeadlessExperiment, StreetGridCalculationsMatchTheWindowsRunner) {
  test_support::Scratch scratch("match-streets");
  const std::vector<std::string> fields = {"E_valFrom=2", "E_valTo=4", "E_toSteps=12", "E_calcVals=2"};
  // Random street types are drawn before the set-up, from what the previous
  // calculation left in the window's generator; a fixed type leaves the
  // layout to the value alone.
  std::vector<std::string> settings = test_support::SmallWorldSettings();
  settings.push_back("CB_rndTyp=0");
  const Headless h = RunHeadless(scratch, "streets", fields, settings);
  WindowWorld w("streets", settings, fields);
  experiments::StreetsExperiment window(w.Sim());
  w.Run(window);

  // More rows and columns cover more cells: the window's points stay in calculation order.
  const Series& points = window.Series_street.Points();
  ASSERT_EQ(points.size(), h.Runs.size());
  for (std::size_t k = 0; k < points.size(); ++k) {
    EXPECT_EQ(Number(h.Runs[k][5]), points[k].X) << k;
    EXPECT_EQ(Number(h.Runs[k][6]), points[k].Y) << k;
  }
  EXPECT_LT(points.front().X, points.back().X);
  EXPECT_EQ(PointsOf(h.Summary["series"]["trend"]["points"]), window.Series_strTrend.Points());
}

TEST(HeadlessExperiment, StabilityRoundsMatchTheWindowsRunner) {
  test_support::Scratch scratch("match-stability");
  const std::vector<std::string> fields = {"E_valFrom=25", "E_valTo=28", "E_calcRds=3"};
  const Headless h = RunHeadless(scratch, "stability", fields);
  WindowWorld w("stability", test_support::SmallWorldSettings(), fields);
  experiments::StabilitySurface surface;
  experiments::StabilityExperiment window(w.Sim(), surface);
  w.Run(window);

  // Rows per round in round order; the window keeps its points by threshold.
  ASSERT_EQ(h.Runs.size(), 3u);
  ASSERT_EQ(h.Rises.size(), 12u);
  experiments::PointSeries rises;
  for (const auto& row : h.Rises) rises.Add(Number(row[3]), Number(row[5]));
  EXPECT_EQ(rises.Points(), window.Series_segVal.Points());
  EXPECT_EQ(PointsOf(h.Summary["series"]["passes"][0]["average"]), window.Series_segAvg.Points());
  // The last round's steps are the ones the change chart shows.
  EXPECT_EQ(Number(h.Runs.back()[5]), static_cast<double>(window.ser_change.size()));
}

}  // namespace
}  // namespace cli
