#include <gtest/gtest.h>

#include "cli/experiment_units.h"
#include "experiment_support.h"

namespace cli {
namespace {

// The columns of one experiment's tables, as a run of one calculation writes them.
struct Columns {
  std::string Experiment;
  std::vector<std::string> Fields;
  std::string Runs;
  std::string Steps;  // empty: no steps.csv
  std::string Rises;  // empty: no rises.csv
  std::string Value;  // of the one calculation
};

const std::vector<Columns>& AllColumns() {
  static const std::vector<Columns> all = {
      {"parameterspace",
       {"CB_param=1", "E_valFrom=2", "E_valTo=2", "E_calcVals=1", "E_toSteps=2"},
       "experiment,calculation,value,repetition,seed,LargeClusterCount,meanSegregation",
       "",
       "",
       "2"},
      {"growth",
       {"E_valFrom=30", "E_valTo=30", "E_calcVals=1", "E_toSteps=2"},
       "experiment,calculation,value,repetition,seed,meanSegregation,density",
       "calculation,value,repetition,step,meanSegregation,density",
       "",
       "30"},
      {"streets",
       {"E_valFrom=3", "E_valTo=3", "E_calcVals=1", "E_toSteps=2", "RB_rnd=1"},
       "experiment,calculation,value,repetition,seed,StreetCellCount,LargeClusterCount",
       "",
       "",
       "3"},
      {"stability",
       {"E_valFrom=25", "E_valTo=25", "E_calcRds=1"},
       "experiment,calculation,value,repetition,seed,steps,rises",
       "calculation,value,repetition,step,Threshold,UnsatisfiedCount",
       "calculation,value,repetition,tolerance,step,meanSegregation",
       ""},
  };
  return all;
}

std::string FirstLine(const std::string& path) {
  const auto lines = test_support::Lines(test_support::ReadFile(path));
  return lines.empty() ? std::string() : lines.front();
}

TEST(ExperimentTables, EachExperimentWritesItsColumns) {
  test_support::Scratch scratch("columns");
  for (const Columns& c : AllColumns()) {
    ExperimentOptions o;
    o.Experiment = c.Experiment;
    o.Settings = test_support::SmallWorldSettings();
    o.Fields = c.Fields;
    o.Seed = 1;
    o.Out = scratch / c.Experiment;
    o.MaxRoundSteps = 20000;
    const test_support::Outcome r = test_support::Experiment(o);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(FirstLine(*o.Out + "/runs.csv"), c.Runs);
    EXPECT_EQ(FirstLine(*o.Out + "/steps.csv"), c.Steps);
    EXPECT_EQ(FirstLine(*o.Out + "/rises.csv"), c.Rises);
    const auto runs = test_support::Lines(test_support::ReadFile(*o.Out + "/runs.csv"));
    ASSERT_EQ(runs.size(), 2u);
    const auto fields = test_support::Fields(runs[1]);
    EXPECT_EQ(fields.size(), test_support::Fields(c.Runs).size());
    EXPECT_EQ(fields[0], c.Experiment);
    EXPECT_EQ(fields[1], "0");
    // Without "activate" a stability pass has no third value.
    EXPECT_EQ(fields[2], c.Value);
  }
}

TEST(ExperimentTables, TheReadmeNamesEveryColumn) {
  const std::string readme = test_support::ReadFile(VICINARA_README);
  const auto at = readme.find("## Experiments");
  ASSERT_NE(at, std::string::npos);
  const std::string section = readme.substr(at, readme.find("\n## ", at + 1) - at);
  for (const Columns& c : AllColumns()) {
    for (const std::string& header : {c.Runs, c.Steps, c.Rises}) {
      if (header.empty()) continue;
      for (const std::string& column : test_support::Fields(header)) {
        EXPECT_NE(section.find("`" + column + "`"), std::string::npos) << column;
      }
    }
  }
  for (const char* file : {"runs.csv", "steps.csv", "rises.csv", "summary.json", "surface.xls", "run.json"}) {
    EXPECT_NE(section.find(file), std::string::npos) << file;
  }
}

}  // namespace
}  // namespace cli
