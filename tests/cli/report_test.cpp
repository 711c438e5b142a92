#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "cli/report.h"

namespace cli {
namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, ',')) fields.push_back(field);
  if (!line.empty() && line.back() == ',') fields.emplace_back();
  return fields;
}

struct TwoGroupRun : ::testing::Test {
  simulation::Simulation sim{[] { return std::uint64_t{11}; }};
  void SetUp() override {
    sim.MainWindowShown();
    sim.controls.SetText(simulation::MainControl::GroupCount, "2");
    sim.NewSetup();
    sim.TimeStep();
  }
};

TEST_F(TwoGroupRun, CsvCarriesTheMeasuresOfTheStep) {
  EXPECT_EQ(cli::CsvHeader(sim),
            "step,agents,unsatisfied,density,changing_pct,satisfied_1,segregation_1,satisfied_2,segregation_2");
  const auto f = Fields(cli::CsvRow(sim));
  ASSERT_EQ(f.size(), 9u);
  EXPECT_EQ(f[0], "1");
  EXPECT_EQ(f[1], "12000");
  EXPECT_NEAR(std::strtod(f[3].c_str(), nullptr), 89.1721, 1e-4);
  // Unrounded reals, read back exactly.
  const auto& a = sim.analysis;
  EXPECT_EQ(std::strtod(f[4].c_str(), nullptr), a.ChangeSeries[1].back().Y);
  EXPECT_EQ(std::strtod(f[5].c_str(), nullptr), a.SatisfactionSeries[0].back().Y);
  EXPECT_EQ(std::strtod(f[8].c_str(), nullptr), a.SegregationSeries[1].back().Y);
}

TEST_F(TwoGroupRun, CsvLeavesFieldsEmptyWhenTheStepRecordedNoIndex) {
  sim.controls.Get(simulation::MainControl::AgentCount).Text = "";
  sim.TimeStep();
  const auto f = Fields(cli::CsvRow(sim));
  ASSERT_EQ(f.size(), 9u);
  EXPECT_EQ(f[0], "2");
  EXPECT_FALSE(f[5].empty());  // satisfaction needs no setting
  EXPECT_TRUE(f[6].empty());
  EXPECT_TRUE(f[8].empty());
}

TEST_F(TwoGroupRun, JsonSummaryHoldsTheLastMeasures) {
  const auto j = cli::Summary(sim, 11, 1, 0);
  ASSERT_EQ(j["dissimilarity"].size(), 2u);
  EXPECT_EQ(j["dissimilarity"][0][0], 0.0);
  EXPECT_EQ(j["dissimilarity"][0][1], sim.analysis.DissimilarityTable()(0, 1));
  EXPECT_TRUE(j["dissimilarity"][1][0].is_null());
  EXPECT_EQ(j["segregation_index"].size(), 2u);
  EXPECT_EQ(j["segregation_index"][1], sim.analysis.SegregationIndex()[1]);
  ASSERT_EQ(j["cluster_sizes"].size(), 2u);
  int clustered = 0;
  for (const auto& list : j["cluster_sizes"]) {
    for (const auto& s : list) clustered += s.get<int>();
  }
  EXPECT_EQ(clustered, 12000);
  EXPECT_EQ(j["large_clusters"], sim.analysis.LargeClusterCount());
  EXPECT_NEAR(j["density"].get<double>(), 89.1721, 1e-4);
}

}  // namespace
}  // namespace cli
