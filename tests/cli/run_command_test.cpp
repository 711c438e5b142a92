#include "cli/run_command.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/control_settings.h"

namespace cli {
namespace {

struct Result {
  int Status;
  std::string Out;
  std::string Err;
};

Result RunWith(RunOptions options) {
  std::ostringstream out, err;
  const int status = Run(options, out, err);
  return {status, out.str(), err.str()};
}

RunOptions Small(std::vector<std::string> settings = {}) {
  RunOptions o;
  o.Steps = 3;
  o.Seed = 11;
  o.Json = true;
  o.Settings = {"Edit_anzAg=800"};
  o.Settings.insert(o.Settings.end(), settings.begin(), settings.end());
  return o;
}

TEST(RunCommand, SettingsGoThroughTheControlsHandlers) {
  RunOptions o = Small();
  o.Settings = {"Edit_anzAg=20000", "Edit_cellSiz=7"};
  o.Steps = 1;
  const Result r = RunWith(o);
  ASSERT_EQ(r.Status, 0) << r.Err;
  const auto j = nlohmann::json::parse(r.Out);
  EXPECT_EQ(j["agents"], 9801);  // 12783 against the first world, then no room for more on 99 x 99
  EXPECT_EQ(j["grid"], nlohmann::json::array({99, 99}));
  EXPECT_EQ(j["cell_size"], 7);
  EXPECT_NE(r.Err.find("no free cell"), std::string::npos);
}

TEST(RunCommand, TheSameSeedPrintsTheSameNumbers) {
  RunOptions o = Small();
  o.CsvPath = "-";
  o.Json = false;
  const Result a = RunWith(o), b = RunWith(o);
  ASSERT_EQ(a.Status, 0);
  EXPECT_EQ(a.Out, b.Out);
  EXPECT_EQ(a.Out.substr(0, a.Out.find('\n')).rfind("step,agents,unsatisfied", 0), 0u);
  EXPECT_EQ(std::count(a.Out.begin(), a.Out.end(), '\n'), 4);
}

TEST(RunCommand, SummaryHasEveryField) {
  const Result r = RunWith(Small());
  ASSERT_EQ(r.Status, 0) << r.Err;
  const auto j = nlohmann::json::parse(r.Out);
  EXPECT_EQ(j["seed"], 11);
  EXPECT_EQ(j["steps"], 3);
  EXPECT_EQ(j["agents"], 800);
  EXPECT_EQ(j["group_counts"].size(), 6u);
  for (const char* key : {"unsatisfied", "street_cells", "elapsed_ms"}) EXPECT_TRUE(j.contains(key)) << key;
}

// The set-up and the steps are timed apart, in milliseconds with their
// fractions; together they are the run, which elapsed_ms counts in whole ones.
TEST(RunCommand, SummaryTimesSetUpAndStepsApart) {
  const Result r = RunWith(Small());
  ASSERT_EQ(r.Status, 0) << r.Err;
  const auto j = nlohmann::json::parse(r.Out);
  ASSERT_TRUE(j["setup_ms"].is_number_float());
  ASSERT_TRUE(j["steps_ms"].is_number_float());
  const double setup = j["setup_ms"], steps = j["steps_ms"];
  EXPECT_GT(setup, 0.0);
  EXPECT_GT(steps, 0.0);
  EXPECT_LE(setup + steps, j["elapsed_ms"].get<double>() + 1.0);
}

TEST(RunCommand, BadInputExitsTwoAndWritesNothingElse) {
  Result r = RunWith(Small({"NoSuch=1"}));
  EXPECT_EQ(r.Status, 2);
  EXPECT_TRUE(r.Out.empty());
  EXPECT_NE(r.Err.find("unknown control 'NoSuch'; valid names: "), std::string::npos);
  EXPECT_NE(r.Err.find("Edit_anzAg"), std::string::npos);

  r = RunWith(Small({"E_rentMin=0.5"}));
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err, "'0.5' ist kein gültiger Gleitkommawert\n");
  EXPECT_TRUE(r.Out.empty());

  r = RunWith(Small({"Edit_anzGr=x"}));
  EXPECT_EQ(r.Err, "'x' ist kein gültiger Integerwert\n");

  r = RunWith(Small({"Edit_anzGr=1"}));
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err, "the number of groups must be at least 2\n");

  r = RunWith(Small({"E_Rent9=1"}));
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("unknown control 'E_Rent9'"), std::string::npos);

  r = RunWith(Small({"Edit_anzAg"}));
  EXPECT_EQ(r.Status, 2);
}

TEST(RunCommand, ASetUpBetweenSettingsChecksTheLaterOnesAgainstTheNewWorld) {
  // 12783 agents fill the first 116 x 116 world as far as its clamp lets
  // them; a set-up at cell size 3 first makes room for 20000 on 231 x 231.
  RunOptions o = Small();
  o.Steps = 1;
  o.Settings = {"Edit_cellSiz=3", "Edit_anzAg=20000"};
  Result r = RunWith(o);
  ASSERT_EQ(r.Status, 0) << r.Err;
  auto j = nlohmann::json::parse(r.Out);
  EXPECT_EQ(j["agents"], 12783);
  EXPECT_EQ(j["grid"], nlohmann::json::array({231, 231}));

  o.Settings = {"Edit_cellSiz=3", kSetupText, "Edit_anzAg=20000"};
  r = RunWith(o);
  ASSERT_EQ(r.Status, 0) << r.Err;
  j = nlohmann::json::parse(r.Out);
  EXPECT_EQ(j["agents"], 20000);
  EXPECT_EQ(j["grid"], nlohmann::json::array({231, 231}));

  // Set-ups alone change nothing the seed fixes; a bad setting after one is
  // still refused before anything runs.
  o.Settings = {kSetupText, kSetupText};
  const Result twice = RunWith(o);
  o.Settings = {};
  EXPECT_EQ(nlohmann::json::parse(twice.Out)["group_counts"], nlohmann::json::parse(RunWith(o).Out)["group_counts"]);
  o.Settings = {kSetupText, "Edit_anzAg=x"};
  r = RunWith(o);
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err, "'x' ist kein gültiger Integerwert\n");
}

TEST(RunCommand, TheSummaryIsOneLine) {
  const Result r = RunWith(Small());
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(std::count(r.Out.begin(), r.Out.end(), '\n'), 1);
  EXPECT_EQ(r.Out.back(), '\n');
}

TEST(RunCommand, RentEditsAreAppliedAfterTheSetUp) {
  const Result r = RunWith(Small({"E_Rent3=0,5", "Edit_anzGr=3"}));
  EXPECT_EQ(r.Status, 0) << r.Err;
}

TEST(RunCommand, AnUnwritableCsvFileIsReported) {
  RunOptions o = Small();
  o.CsvPath = "no-such-folder/x.csv";
  const Result r = RunWith(o);
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err.rfind("Datei \"no-such-folder/x.csv\" kann nicht erstellt werden. ", 0), 0u);
}

// A fresh empty folder of this test's own, so that runs of the suite from
// other checkouts at the same time do not meet.
std::filesystem::path ScratchFolder(const std::string& name) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("vicinara-run-" + name + "-" + std::to_string(getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(RunCommand, ACsvFileAppearsOnlyWhenComplete) {
  const auto folder = ScratchFolder("csv");
  const std::string path = folder / "run.csv";
  {
    std::ofstream old(path);
    old << "an earlier table\n";
  }
  RunOptions o = Small();
  o.Json = false;
  o.Steps = 300;
  o.CsvPath = path;

  // The disk fills up midway: the run fails with the file's message, and the
  // earlier table stays as it was, with no partial one beside it.
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::ostringstream out, err;
    const int status = cli::Run(o, out, err);
    const bool expected = err.str().rfind("Datei \"" + path + "\" kann nicht erstellt werden. ", 0) == 0;
    _exit(status == 2 && expected ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was not reported as such";
  EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"run.csv"});
  std::ifstream kept(path);
  std::string first;
  std::getline(kept, first);
  EXPECT_EQ(first, "an earlier table");

  // Without the limit the run replaces it, and leaves nothing else.
  const Result r = RunWith(o);
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"run.csv"});
  EXPECT_EQ(std::filesystem::file_size(path) > 4096, true);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace cli
