#include "run_command.h"

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "core/simulation/simulation.h"
#include "core/world/convert.h"
#include "report.h"

namespace cli {

namespace {

struct Setting {
  std::string Name;
  std::string Value;
};

// Controls that only a set-up creates.
bool CreatedBySetup(const std::string& name) {
  static const std::regex pattern("(E_Rent|Lbl_Rent)[0-9]+");
  return std::regex_match(name, pattern);
}

std::string ValidNames(const world::ControlModel& controls) {
  std::string list;
  for (const auto& name : controls.Names()) {
    const auto& c = controls.Get(name);
    if (c.Kind == world::ControlKind::Label || c.Kind == world::ControlKind::Button ||
        c.Kind == world::ControlKind::Timer || CreatedBySetup(name)) {
      continue;
    }
    list += (list.empty() ? "" : ", ") + name;
  }
  return list + ", E_Rent1..E_RentN (after the set-up, N = number of groups)";
}

// Refuses a value the control could never take, before anything is applied.
void CheckValue(const world::Control& control, const std::string& value) {
  using world::NumberKind;
  if (control.Kind == world::ControlKind::Edit || control.Kind == world::ControlKind::GridCell) {
    if (control.Number == NumberKind::Integer && !world::IsInteger(value)) throw world::NotAnInteger(value);
    if (control.Number == NumberKind::Real && !world::IsFloat(value)) throw world::NotAFloat(value);
  }
  if ((control.Kind == world::ControlKind::UpDown || control.Kind == world::ControlKind::TrackBar ||
       control.Kind == world::ControlKind::ComboBox) &&
      !world::IsInteger(value)) {
    throw world::NotAnInteger(value);
  }
}

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::vector<Setting> ParseSettings(const std::vector<std::string>& texts) {
  std::vector<Setting> settings;
  for (const auto& text : texts) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0) throw UsageError("--set takes CONTROL=VALUE, not '" + text + "'");
    settings.push_back({text.substr(0, eq), text.substr(eq + 1)});
  }
  return settings;
}

void CheckSettings(const world::ControlModel& controls, const std::vector<Setting>& settings, bool afterSetup) {
  for (const auto& s : settings) {
    if (CreatedBySetup(s.Name) != afterSetup) continue;
    const world::Control* control = controls.Find(s.Name);
    if (!control || control->Kind == world::ControlKind::Label || control->Kind == world::ControlKind::Button ||
        control->Kind == world::ControlKind::Timer) {
      throw UsageError("unknown control '" + s.Name + "'; valid names: " + ValidNames(controls));
    }
    CheckValue(*control, s.Value);
  }
}

void Apply(world::ControlModel& controls, const std::vector<Setting>& settings, bool afterSetup) {
  for (const auto& s : settings) {
    if (CreatedBySetup(s.Name) == afterSetup) controls.SetByUser(s.Name, s.Value);
  }
}

}  // namespace

int Run(const RunOptions& options, std::ostream& out, std::ostream& err) {
  const auto started = std::chrono::steady_clock::now();
  try {
    const std::vector<Setting> settings = ParseSettings(options.Settings);
    simulation::Simulation::SeedSource seeds;
    if (options.Seed) {
      const std::uint64_t seed = *options.Seed;
      seeds = [seed] { return seed; };
    }
    simulation::Simulation sim(seeds);
    sim.SetReporter([&err](const world::UserError& e) { err << e.what() << '\n'; });
    sim.MainWindowShown();

    CheckSettings(sim.controls, settings, false);
    Apply(sim.controls, settings, false);
    sim.NewSetup();
    sim.B_setTolsClick();
    CheckSettings(sim.controls, settings, true);
    Apply(sim.controls, settings, true);

    const int steps = options.Steps ? *options.Steps : sim.controls.Int("E_stopT");
    if (steps < 0) throw UsageError("--steps must not be negative");

    std::ofstream file;
    std::ostream* csv = nullptr;
    if (options.CsvPath) {
      if (*options.CsvPath == "-") {
        csv = &out;
      } else {
        file.open(*options.CsvPath, std::ios::out | std::ios::trunc);
        if (!file) {
          err << "Datei \"" << *options.CsvPath << "\" kann nicht erstellt werden. " << std::strerror(errno) << '\n';
          return 2;
        }
        csv = &file;
      }
      *csv << CsvHeader(sim) << '\n';
    }
    for (int s = 0; s < steps; ++s) {
      sim.TimeStep();
      if (csv) *csv << CsvRow(sim) << '\n';
    }
    if (csv) csv->flush();
    if (options.Json) {
      const auto elapsed =
          std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
      out << Summary(sim, sim.world.Rng.SeedValue(), steps, elapsed).dump(2) << '\n';
    }
    return 0;
  } catch (const world::UserError& e) {
    err << e.what() << '\n';
    return 2;
  } catch (const UsageError& e) {
    err << e.what() << '\n';
    return 2;
  }
}

}  // namespace cli
