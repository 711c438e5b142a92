// Every numeric control of the main window and every field of the experiment
// windows, typed with extreme values, must end the headless tool with a
// result or a clear message: exit status 0 or 2, never a signal, never past
// the memory or time limit. Each case runs the tool in a child process of its
// own, a few at a time. The controls come from the windows' models, so a new
// control is tried without touching this file.
//
// The tables of every case and its outcome are written to
// extreme_values_*.txt in the working folder.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "simulation/simulation.h"
#include "experiments/growth_experiment.h"
#include "experiments/parameter_space_experiment.h"
#include "experiments/stability_experiment.h"
#include "experiments/stability_surface.h"
#include "experiments/streets_experiment.h"

namespace cli {
namespace {

namespace fs = std::filesystem;
using simulation::Control;
using simulation::ControlKind;

// Address space of a child: the tool must refuse or bound what it would
// allocate long before this.
constexpr rlim_t kMemoryLimit = rlim_t{2} << 30;
// CPU seconds of a child; the slowest case (a thousand groups) takes a few.
constexpr rlim_t kTimeLimit = 60;
// Time steps of a run, and the steps a trial runs of an experiment's first calculation.
constexpr const char* kSteps = "3";

// The values every numeric control is typed with; the control's own maximum
// is tried as well where it has one.
const std::vector<std::string> kValues{"0",      "-1",     "1", "2147483647", "9223372036854775807",
                                       "1e308", "-1e308", "",  "abc"};

struct Case {
  std::string Label;  // CONTROL=VALUE as typed
  std::vector<std::string> Args;
  std::string Typed;
  bool Exited = false;
  int Status = -1;  // exit status, or the signal that ended the child
  std::string Message;
};

bool Numeric(const Control& c) {
  switch (c.Kind) {
    case ControlKind::Edit:
    case ControlKind::GridCell:
      return c.Number != simulation::NumberKind::None;
    case ControlKind::UpDown:
    case ControlKind::TrackBar:
    case ControlKind::ComboBox:
      return true;
    default:
      return false;
  }
}

std::optional<int> Maximum(const simulation::ControlModel& model, const Control& c) {
  if (c.Kind == ControlKind::UpDown || c.Kind == ControlKind::TrackBar) return c.Max;
  if (c.Kind == ControlKind::ComboBox) return static_cast<int>(c.Items.size()) - 1;
  if (const Control* upDown = c.Associate.empty() ? nullptr : model.Find(c.Associate)) return upDown->Max;
  return std::nullopt;
}

// One case per numeric control of the model and value, each given to
// `args` as CONTROL=VALUE after the fixed arguments.
std::vector<Case> CasesOf(const simulation::ControlModel& model, const std::vector<std::string>& fixed,
                          const std::string& option, const std::string& prefix) {
  std::vector<Case> cases;
  for (const auto& name : model.Names()) {
    const Control& control = model.Get(name);
    if (!Numeric(control)) continue;
    std::vector<std::string> values = kValues;
    if (const auto most = Maximum(model, control)) values.insert(values.begin() + 3, std::to_string(*most));
    for (const auto& value : values) {
      Case c;
      c.Label = prefix + name + "=" + value;
      c.Args = fixed;
      c.Args.push_back(option);
      c.Args.push_back(name + "=" + value);
      c.Typed = value;
      cases.push_back(std::move(c));
    }
  }
  return cases;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Starts the tool with the case's arguments under the limits; its standard
// error goes to errPath.
pid_t Spawn(const Case& c, const fs::path& errPath) {
  std::vector<std::string> args{VICINARA_CLI_PATH};
  args.insert(args.end(), c.Args.begin(), c.Args.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string err = errPath.string();
#if VICINARA_SANITIZED
  // AddressSanitizer reserves terabytes of address space, so an address-space
  // limit cannot work there: its own resident-memory limit stands in for it.
  const char* given = std::getenv("ASAN_OPTIONS");
  const std::string asan = std::string(given ? given : "") + ":hard_rss_limit_mb=2048";
#endif
  const pid_t pid = fork();
  if (pid != 0) return pid;
  // The child: only what is safe between fork and exec.
#if VICINARA_SANITIZED
  setenv("ASAN_OPTIONS", asan.c_str(), 1);
#else
  const rlimit memory{kMemoryLimit, kMemoryLimit};
  setrlimit(RLIMIT_AS, &memory);
#endif
  const rlimit cpu{kTimeLimit, kTimeLimit + 5};
  setrlimit(RLIMIT_CPU, &cpu);
  if (!freopen("/dev/null", "w", stdout) || !freopen(err.c_str(), "w", stderr)) _exit(126);
  execv(argv[0], argv.data());
  _exit(127);
}

// Runs every case, at most as many at once as the machine has cores.
void RunAll(std::vector<Case>& cases, const fs::path& folder) {
  fs::create_directories(folder);
  const std::size_t pool = std::max(2u, std::thread::hardware_concurrency());
  std::map<pid_t, std::size_t> running;
  std::size_t next = 0;
  while (next < cases.size() || !running.empty()) {
    while (next < cases.size() && running.size() < pool) {
      const pid_t pid = Spawn(cases[next], folder / (std::to_string(next) + ".err"));
      ASSERT_GT(pid, 0) << "fork failed";
      running[pid] = next++;
    }
    int status = 0;
    const pid_t pid = waitpid(-1, &status, 0);
    if (pid < 0 && errno == EINTR) continue;
    ASSERT_GT(pid, 0) << "waitpid failed";
    const auto it = running.find(pid);
    if (it == running.end()) continue;
    Case& c = cases[it->second];
    c.Exited = WIFEXITED(status);
    c.Status = c.Exited ? WEXITSTATUS(status) : WTERMSIG(status);
    c.Message = ReadText(folder / (std::to_string(it->second) + ".err"));
    running.erase(it);
  }
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// A conversion message names the text it could not read: only ever the one typed.
bool NamesAnotherText(const Case& c) {
  for (const char* tail : {"' ist kein gültiger Integerwert", "' ist kein gültiger Gleitkommawert"}) {
    for (auto end = c.Message.find(tail); end != std::string::npos; end = c.Message.find(tail, end + 1)) {
      const auto line = c.Message.rfind('\n', end);
      const auto start = c.Message.find('\'', line == std::string::npos ? 0 : line + 1);
      if (start == std::string::npos || c.Message.substr(start + 1, end - start - 1) != c.Typed) return true;
    }
  }
  return false;
}

void Check(std::vector<Case>& cases, const std::string& tableName) {
  RunAll(cases, fs::path("extreme_values") / tableName);
  std::ofstream table(tableName + ".txt");
  for (const Case& c : cases) {
    const std::string outcome =
        c.Exited ? "exit " + std::to_string(c.Status) : "signal " + std::to_string(c.Status);
    table << c.Label << " -> " << outcome << (c.Message.empty() ? "" : ": " + FirstLine(c.Message)) << '\n';
    EXPECT_TRUE(c.Exited) << c.Label << " ended by signal " << c.Status
                          << " (a crash, or past the memory or time limit)\n" << c.Message;
    if (!c.Exited) continue;
    EXPECT_TRUE(c.Status == 0 || c.Status == 2) << c.Label << " exited with " << c.Status << "\n" << c.Message;
    if (c.Status == 2) {
      EXPECT_FALSE(c.Message.empty()) << c.Label << " refused without a message";
    }
    EXPECT_FALSE(NamesAnotherText(c)) << c.Label << " reports a text that was not typed:\n" << c.Message;
  }
}

TEST(ExtremeValues, EveryNumericMainWindowControlThenThreeSteps) {
  // The controls after the first set-up, the per-group rents included.
  simulation::Simulation sim;
  std::vector<Case> cases = CasesOf(sim.controls, {"run", "--seed", "7", "--steps", kSteps}, "--set", "run ");
  ASSERT_GT(cases.size(), 400u);
  Check(cases, "extreme_values_main");
}

TEST(ExtremeValues, EveryNumericMainWindowControlWithGrowthStreetsAndGroupSizes) {
  // The growth fields, the street weights and the group shares act only
  // when their features are on: the same sweep with all of them on, in the
  // plain mode that reads the street weights.
  simulation::Simulation sim;
  std::vector<Case> cases = CasesOf(sim.controls,
                                    {"run", "--seed", "7", "--steps", kSteps, "--set", "CB_actiGrow=1", "--set",
                                     "cb_individTol=0", "--set", "cb_indiGroups=1", "--streets", "grid:4:4"},
                                    "--set", "run with features ");
  Check(cases, "extreme_values_features");
}

TEST(ExtremeValues, EveryExperimentFieldThenTheFirstCalculationBriefly) {
  simulation::Simulation sim;
  experiments::ParameterSpaceExperiment parameterspace(sim);
  experiments::GrowthExperiment growth(sim);
  experiments::StreetsExperiment streets(sim);
  experiments::StabilitySurface surface;
  experiments::StabilityExperiment stability(sim, surface);
  const auto fixed = [](const char* kind, std::vector<std::string> more) {
    std::vector<std::string> args{"experiment", kind, "--seed", "7", "--trial", kSteps};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  // The parameter-space sweep runs over the number of groups; the stability
  // experiment sweeps it as its third parameter.
  std::vector<Case> cases;
  for (auto&& part : {CasesOf(parameterspace.controls, fixed("parameterspace", {"--exp", "CB_param=0"}), "--exp",
                              "parameterspace "),
                      CasesOf(growth.controls, fixed("growth", {}), "--exp", "growth "),
                      CasesOf(streets.controls, fixed("streets", {}), "--exp", "streets "),
                      CasesOf(stability.controls,
                              fixed("stability", {"--exp", "Cb_acti3d=1", "--exp", "CB_param=1"}), "--exp",
                              "stability ")}) {
    cases.insert(cases.end(), part.begin(), part.end());
  }
  ASSERT_GT(cases.size(), 200u);
  Check(cases, "extreme_values_experiments");
}

}  // namespace
}  // namespace cli
