#include "control_settings.h"

#include <regex>

#include "world/convert.h"

namespace cli {

namespace {

bool Settable(const simulation::Control& c) {
  return c.Kind != simulation::ControlKind::Label && c.Kind != simulation::ControlKind::Button &&
         c.Kind != simulation::ControlKind::Timer;
}

std::string ValidNames(const simulation::ControlModel& controls) {
  std::string list;
  bool rents = false;
  for (const auto& name : controls.Names()) {
    if (CreatedBySetup(name)) {
      rents = true;
      continue;
    }
    if (!Settable(controls.Get(name))) continue;
    list += (list.empty() ? "" : ", ") + name;
  }
  if (rents) list += ", E_Rent1..E_RentN (after the set-up, N = number of groups)";
  return list;
}

// Refuses a value the control could never take, before anything is applied.
void CheckValue(const simulation::Control& control, const std::string& value) {
  using simulation::NumberKind;
  if (control.Kind == simulation::ControlKind::Edit || control.Kind == simulation::ControlKind::GridCell) {
    if (control.Number == NumberKind::Integer && !world::IsInteger(value)) throw world::NotAnInteger(value);
    if (control.Number == NumberKind::Real && !world::IsFloat(value)) throw world::NotAFloat(value);
  }
  if ((control.Kind == simulation::ControlKind::UpDown || control.Kind == simulation::ControlKind::TrackBar ||
       control.Kind == simulation::ControlKind::ComboBox) &&
      !world::IsInteger(value)) {
    throw world::NotAnInteger(value);
  }
}

}  // namespace

bool CreatedBySetup(const std::string& name) {
  static const std::regex pattern("(E_Rent|Lbl_Rent)[0-9]+");
  return std::regex_match(name, pattern);
}

UsageError UnknownControl(const simulation::ControlModel& controls, const std::string& name) {
  return UsageError("unknown control '" + name + "'; valid names: " + ValidNames(controls));
}

std::vector<Setting> ParseSettings(const std::vector<std::string>& texts, const std::string& option, bool setups) {
  std::vector<Setting> settings;
  for (const auto& text : texts) {
    if (setups && text == kSetupText) {
      settings.push_back({"", "", true});
      continue;
    }
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0) throw UsageError(option + " takes CONTROL=VALUE, not '" + text + "'");
    settings.push_back({text.substr(0, eq), text.substr(eq + 1)});
  }
  return settings;
}

void CheckSettings(const simulation::ControlModel& controls, const std::vector<Setting>& settings, bool afterSetup) {
  for (const auto& s : settings) {
    if (s.Setup || CreatedBySetup(s.Name) != afterSetup) continue;
    const simulation::Control* control = controls.Find(s.Name);
    if (!control || !Settable(*control)) {
      throw UnknownControl(controls, s.Name);
    }
    CheckValue(*control, s.Value);
  }
}

void ApplySettings(simulation::ControlModel& controls, const std::vector<Setting>& settings, bool afterSetup) {
  for (const auto& s : settings) {
    if (!s.Setup && CreatedBySetup(s.Name) == afterSetup) controls.SetByUser(s.Name, s.Value);
  }
}

void ApplyMainSettings(simulation::Simulation& sim, const std::vector<Setting>& settings,
                       const std::function<void()>& beforeSetup) {
  CheckSettings(sim.controls, settings, false);
  for (const auto& s : settings) {
    if (s.Setup) {
      sim.B_setupClick();
    } else if (!CreatedBySetup(s.Name)) {
      sim.controls.SetByUser(s.Name, s.Value);
    }
  }
  if (beforeSetup) beforeSetup();
  sim.NewSetup();
  sim.B_setTolsClick();
  CheckSettings(sim.controls, settings, true);
  ApplySettings(sim.controls, settings, true);
}

}  // namespace cli
