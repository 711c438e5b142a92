// The headless tool's charts: for every experiment kind and for a run's CSV
// the files the windows' charts give, named after their titles, drawn and
// not blank; SVG and sizes; bad input with its message and nothing written.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "cli/experiment_command.h"
#include "cli/experiment_setup.h"
#include "cli/plot_command.h"
#include "cli/run_command.h"
#include "export/file_output.h"
#include "export/png_file.h"
#include "ui/experiment_windows.h"

namespace {

namespace fs = std::filesystem;

// A folder of this process's own: ctest runs the tests side by side, each in a process.
const fs::path& Scratch() {
  static const fs::path dir = fs::temp_directory_path() / ("vicinara-plot-test-" + std::to_string(getpid()));
  return dir;
}

struct Outcome {
  int Status = 0;
  std::vector<std::string> Files;  // the lines of standard output
  std::string Err;
};

Outcome PlotCli(cli::PlotOptions options) {
  std::ostringstream out, err;
  Outcome o;
  o.Status = cli::Plot(options, out, err);
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) o.Files.push_back(line);
  o.Err = err.str();
  return o;
}

std::vector<std::string> Names(const std::vector<std::string>& paths) {
  std::vector<std::string> names;
  for (const auto& p : paths) names.push_back(fs::path(p).filename().string());
  return names;
}

std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  if (!fs::exists(folder)) return names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A small world and short sweeps: every experiment kind in about a second.
std::string RunExperiment(const std::string& name, std::vector<std::string> fields) {
  cli::ExperimentOptions options;
  options.Experiment = name;
  options.Settings = {"Edit_cellSiz=30", "Edit_anzAg=300", "cb_individTol=0"};
  options.Fields = std::move(fields);
  options.Seed = 3;
  options.Out = (Scratch() / name).string();
  options.MaxRoundSteps = 500;
  std::ostringstream err;
  const std::atomic<int> stop{0};
  EXPECT_EQ(cli::RunExperiment(options, err, stop), 0) << err.str();
  return *options.Out;
}

class Plot : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fs::remove_all(Scratch());
    fs::create_directories(Scratch());
    parameterspace = RunExperiment("parameterspace", {"CB_param=0", "E_valFrom=2", "E_valTo=3", "E_toSteps=5",
                                                      "E_calcVals=2"});
    growth = RunExperiment("growth", {"E_valFrom=20", "E_valTo=30", "E_toSteps=5", "E_calcVals=2"});
    streets = RunExperiment("streets", {"E_valFrom=2", "E_valTo=3", "E_toSteps=5", "E_calcVals=1"});
    stability = RunExperiment("stability", {"E_valFrom=25", "E_valTo=27", "E_calcRds=1", "Cb_acti3d=1", "CB_param=3",
                                            "E_thirdFrom=2", "E_thirdTo=3"});
    cli::RunOptions run;
    run.Steps = 12;
    run.Seed = 3;
    run.Settings = {"Edit_cellSiz=30", "Edit_anzAg=300", "Edit_anzGr=3"};
    csv = (Scratch() / "run.csv").string();
    run.CsvPath = csv;
    std::ostringstream out, err;
    EXPECT_EQ(cli::Run(run, out, err), 0) << err.str();
  }
  static void TearDownTestSuite() { fs::remove_all(Scratch()); }

  void SetUp() override {
    out = Scratch() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(out);
  }

  Outcome PlotTo(const std::string& input, std::string format = "png", std::optional<std::string> size = {}) {
    cli::PlotOptions options;
    options.Input = input;
    options.Out = out.string();
    options.Format = std::move(format);
    options.Size = std::move(size);
    return PlotCli(options);
  }

  static inline std::string parameterspace, growth, streets, stability, csv;
  fs::path out;
};

// A chart, not an empty frame: most pixels white, but thousands drawn in several colours.
void ExpectDrawn(const std::string& path, int width, int height) {
  const display::RgbImage image = exporting::DecodePng(exporting::ReadWholeFile(path));
  ASSERT_EQ(image.Width, width) << path;
  ASSERT_EQ(image.Height, height) << path;
  long long drawn = 0;
  std::set<world::ColorRef> colors;
  for (int y = 0; y < image.Height; ++y) {
    for (int x = 0; x < image.Width; ++x) {
      const world::ColorRef c = image.At(x, y);
      colors.insert(c);
      if (c != world::kWhite) ++drawn;
    }
  }
  EXPECT_GT(drawn, 2000) << path;
  EXPECT_GT(colors.size(), 8u) << path;
}

TEST_F(Plot, ParameterSpaceGivesTheClusterAndSegregationCharts) {
  const Outcome o = PlotTo(parameterspace);
  ASSERT_EQ(o.Status, 0) << o.Err;
  EXPECT_EQ(Names(o.Files),
            (std::vector<std::string>{"clusters_per_value_cluster_threshold_10.png", "segregation_per_value.png"}));
  for (const auto& f : o.Files) ExpectDrawn(f, 786, 340);
}

TEST_F(Plot, GrowthGivesItsChart) {
  const Outcome o = PlotTo(growth);
  ASSERT_EQ(o.Status, 0) << o.Err;
  EXPECT_EQ(Names(o.Files), std::vector<std::string>{"segregation_index_with_different_densities.png"});
  ExpectDrawn(o.Files.at(0), 810, 340);
}

TEST_F(Plot, StreetsGivesItsChart) {
  const Outcome o = PlotTo(streets);
  ASSERT_EQ(o.Status, 0) << o.Err;
  EXPECT_EQ(Names(o.Files), std::vector<std::string>{"Streets_Clusters_Relationship.png"});
  ExpectDrawn(o.Files.at(0), 801, 340);
}

TEST_F(Plot, StabilityGivesItsTwoChartsAndTheSurface) {
  const Outcome o = PlotTo(stability);
  ASSERT_EQ(o.Status, 0) << o.Err;
  EXPECT_EQ(Names(o.Files), (std::vector<std::string>{"phase_transitions_6_groups.png", "changes.png",
                                                      "Stability_Landscape_for_move_distance.png"}));
  ExpectDrawn(o.Files.at(0), 801, 340);
  ExpectDrawn(o.Files.at(1), 841, 326);
  ExpectDrawn(o.Files.at(2), 1000, 650);
}

// An experiment the headless tool runs but cannot chart would fail only when
// a user plots its folder.
TEST(PlotTable, ChartsEveryExperimentTheToolRuns) {
  for (const cli::ExperimentType& type : cli::ExperimentTypes()) {
    simulation::Simulation sim;
    const auto landscape = std::make_shared<experiments::StabilitySurface>();
    EXPECT_NE(ui::MakeExperimentWindow(type.Kind, sim, landscape, nullptr), nullptr) << type.Name;
  }
}

TEST_F(Plot, RunCsvGivesTheAnalysisWindowsTimeCharts) {
  const Outcome o = PlotTo(csv);
  ASSERT_EQ(o.Status, 0) << o.Err;
  EXPECT_EQ(Names(o.Files), (std::vector<std::string>{
                                "average_satisfaction_of_the_agents.png", "segregation_measure_in_20x20_tiles.png",
                                "density_segregation_measure_in_20x20_tiles.png", "changes.png"}));
  ExpectDrawn(o.Files.at(0), 403, 249);
  ExpectDrawn(o.Files.at(3), 427, 249);
}

TEST_F(Plot, DefaultFolderIsTheInputsOwn) {
  cli::PlotOptions options;
  options.Input = streets;
  const Outcome o = PlotCli(options);
  ASSERT_EQ(o.Status, 0) << o.Err;
  EXPECT_EQ(o.Files, std::vector<std::string>{(fs::path(streets) / "Streets_Clusters_Relationship.png").string()});
  fs::remove(o.Files.at(0));
}

TEST_F(Plot, SvgHoldsTheChartAtTheSizeAskedFor) {
  const Outcome o = PlotTo(streets, "svg", "640x480");
  ASSERT_EQ(o.Status, 0) << o.Err;
  ASSERT_EQ(Names(o.Files), std::vector<std::string>{"Streets_Clusters_Relationship.svg"});
  const auto bytes = exporting::ReadWholeFile(o.Files.at(0));
  const std::string svg(bytes.begin(), bytes.end());
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("width=\"640"), std::string::npos);
  EXPECT_NE(svg.find("Streets - Clusters Relationship"), std::string::npos);
  EXPECT_NE(svg.find("Clusters"), std::string::npos);

  const Outcome png = PlotTo(streets, "png", "640x480");
  ASSERT_EQ(png.Status, 0) << png.Err;
  ExpectDrawn(png.Files.at(0), 640, 480);
}

TEST_F(Plot, BadInputGivesOneMessageAndWritesNothing) {
  fs::create_directories(Scratch() / "empty");
  const std::string notCsv = (Scratch() / "table.csv").string();
  std::ofstream(notCsv) << "a,b\n1,2\n";
  const std::string badRow = (Scratch() / "bad.csv").string();
  std::ofstream(badRow) << "step,agents,unsatisfied,density,changing_pct,satisfied_1,segregation_1,satisfied_2,"
                           "segregation_2\n1,2,x,4,5,6,7,8,9\n";
  const std::string empty = (Scratch() / "empty").string();
  const struct {
    std::string Input, Format, Size, Message;
  } cases[] = {
      {streets, "jpg", "", "--format takes png or svg, not 'jpg'"},
      {streets, "png", "12x", "--size takes WxH with each from 100 to 10000 pixels, not '12x'"},
      {streets, "png", "50x50", "--size takes WxH with each from 100 to 10000 pixels, not '50x50'"},
      {empty, "png", "", empty + " holds no experiment run (no run.json)"},
      {notCsv, "png", "", notCsv + " is not the --csv of a run: its first line must be "
                                   "step,agents,unsatisfied,density,changing_pct,satisfied_1,segregation_1,..."},
      {badRow, "png", "", badRow + ": line 2 does not read as numbers: 1,2,x,4,5,6,7,8,9"},
      {(Scratch() / "none").string(), "png", "",
       (Scratch() / "none").string() + " is neither an experiment's folder nor a run's CSV file"},
  };
  for (const auto& c : cases) {
    const Outcome o = PlotTo(c.Input, c.Format, c.Size.empty() ? std::nullopt : std::optional(c.Size));
    EXPECT_EQ(o.Status, 2) << c.Input;
    EXPECT_EQ(o.Err, c.Message + "\n");
    EXPECT_TRUE(o.Files.empty());
  }
  EXPECT_TRUE(FilesIn(out).empty());
  EXPECT_TRUE(FilesIn(Scratch() / "empty").empty());
}

TEST_F(Plot, UnwritableFileLeavesNoPartOfIt) {
  fs::create_directories(out);
  // A folder where the chart's file would go.
  fs::create_directories(out / "Streets_Clusters_Relationship.png");
  const Outcome o = PlotTo(streets);
  EXPECT_EQ(o.Status, 2);
  EXPECT_NE(o.Err.find("Datei \"" + (out / "Streets_Clusters_Relationship.png").string() +
                       "\" kann nicht erstellt werden."),
            std::string::npos)
      << o.Err;
  EXPECT_EQ(FilesIn(out), std::vector<std::string>{"Streets_Clusters_Relationship.png"});
  EXPECT_TRUE(FilesIn(out / "Streets_Clusters_Relationship.png").empty());
}

TEST_F(Plot, ShardIsRefusedUntilMerged) {
  cli::ExperimentOptions options;
  options.Experiment = "streets";
  options.Settings = {"Edit_cellSiz=30", "Edit_anzAg=300"};
  options.Fields = {"E_valFrom=2", "E_valTo=3", "E_toSteps=2", "E_calcVals=1"};
  options.Seed = 3;
  options.Shard = "0/2";
  options.Out = (out / "shard0").string();
  std::ostringstream err;
  const std::atomic<int> stop{0};
  ASSERT_EQ(cli::RunExperiment(options, err, stop), 0) << err.str();
  const Outcome o = PlotTo(*options.Out);
  EXPECT_EQ(o.Status, 2);
  EXPECT_EQ(o.Err, *options.Out + " holds one shard of a run; merge the shards first (vicinara-cli merge)\n");
}

// The tool itself, run through a shell with standard output and error caught.
Outcome RunTool(const std::string& arguments) {
  const fs::path errFile = Scratch() / "tool-stderr.txt";
  const std::string command = arguments + " 2>" + errFile.string();
  Outcome o;
  FILE* pipe = popen(command.c_str(), "r");
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  const int status = pclose(pipe);
  o.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) o.Files.push_back(line);
  std::ifstream in(errFile);
  o.Err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  fs::remove(errFile);
  return o;
}

// `vicinara-cli plot` runs vicinara-plot beside it with its arguments as
// they are, and ends with its status.
TEST_F(Plot, ThroughTheToolItsOwnProgramDrawsWithTheArgumentsAndStatus) {
  const std::string tool = VICINARA_CLI_PATH;
  const Outcome o = RunTool(tool + " plot " + csv + " --out " + out.string() + " --format svg --size 300x200");
  EXPECT_EQ(o.Status, 0) << o.Err;
  EXPECT_EQ(o.Files.size(), 4u);
  for (const std::string& file : o.Files) EXPECT_EQ(fs::path(file).extension(), ".svg") << file;
  EXPECT_EQ(FilesIn(out).size(), 4u);

  const Outcome bad = RunTool(tool + " plot " + csv + " --format jpg");
  EXPECT_EQ(bad.Status, 2);
  EXPECT_EQ(bad.Err, "--format takes png or svg, not 'jpg'\n");
  EXPECT_EQ(RunTool(tool + " plot").Status, 2);

  // A tool without its plotting program says so.
  const fs::path alone = out / "alone";
  fs::create_directories(alone);
  fs::copy_file(tool, alone / "vicinara-cli");
  const Outcome missing = RunTool((alone / "vicinara-cli").string() + " plot " + csv);
  EXPECT_EQ(missing.Status, 2);
  EXPECT_EQ(missing.Err, "plot is not available: " + (alone / "vicinara-plot").string() +
                             " cannot be started: No such file or directory\n");
}

}  // namespace

int main(int argc, char** argv) {
  // Offscreen unless a platform is named (the 3-D surface's run names xcb).
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
