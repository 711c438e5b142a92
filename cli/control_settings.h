#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "simulation/simulation.h"
#include "simulation/controls.h"

namespace cli {

// Bad use of the command line (an unknown name, a malformed option); the
// command prints its text and exits with status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One CONTROL=VALUE of the command line, or a press of "new Setup" between
// them (Setup, without name and value).
struct Setting {
  std::string Name;
  std::string Value;
  bool Setup = false;
};

// How a press of "new Setup" stands among the settings' texts: on the
// command line, in run.json and in the Python module's lists.
inline constexpr const char* kSetupText = "--setup";

// Splits CONTROL=VALUE texts; `option` names the option in the message.
// kSetupText becomes a set-up where setups is true. Throws UsageError.
std::vector<Setting> ParseSettings(const std::vector<std::string>& texts, const std::string& option = "--set",
                                   bool setups = false);

// Controls that only a set-up creates (E_RentN, Lbl_RentN).
bool CreatedBySetup(const std::string& name);

// "unknown control 'NAME'; valid names: ..." for these controls.
UsageError UnknownControl(const simulation::ControlModel& controls, const std::string& name);

// Refuses, before anything is applied, a name the controls do not hold (or a
// label, button or timer) and a value the control could never take. Checks
// the settings created by a set-up when afterSetup, the others otherwise.
// Throws UsageError (unknown name, with the list of valid names) or
// world::UserError (the conversion message).
void CheckSettings(const simulation::ControlModel& controls, const std::vector<Setting>& settings, bool afterSetup);

// Sets the checked settings as a user would, in order; set-ups among them
// are passed over (ApplyMainSettings presses them).
void ApplySettings(simulation::ControlModel& controls, const std::vector<Setting>& settings, bool afterSetup);

// Prepares the main window's world as the headless tool does, from the
// moment the window is shown: the settings checked, then applied in order
// through the controls' handlers, "new Setup" pressed wherever a set-up
// stands among them (each setting is checked against the world that exists
// when it is made), beforeSetup (streets), the closing set-up, the group
// thresholds set as by "set", and last the settings that only a set-up
// creates (E_RentN). Throws UsageError or world::UserError.
void ApplyMainSettings(simulation::Simulation& sim, const std::vector<Setting>& settings,
                       const std::function<void()>& beforeSetup = {});

}  // namespace cli
