#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "core/world/controls.h"

namespace cli {

// Bad use of the command line (an unknown name, a malformed option); the
// command prints its text and exits with status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One CONTROL=VALUE of the command line.
struct Setting {
  std::string Name;
  std::string Value;
};

// Splits CONTROL=VALUE texts; `option` names the option in the message.
// Throws UsageError.
std::vector<Setting> ParseSettings(const std::vector<std::string>& texts, const std::string& option = "--set");

// Controls that only a set-up creates (E_RentN, Lbl_RentN).
bool CreatedBySetup(const std::string& name);

// "unknown control 'NAME'; valid names: ..." for these controls.
UsageError UnknownControl(const world::ControlModel& controls, const std::string& name);

// Refuses, before anything is applied, a name the controls do not hold (or a
// label, button or timer) and a value the control could never take. Checks
// the settings created by a set-up when afterSetup, the others otherwise.
// Throws UsageError (unknown name, with the list of valid names) or
// world::UserError (the conversion message).
void CheckSettings(const world::ControlModel& controls, const std::vector<Setting>& settings, bool afterSetup);

// Sets the checked settings as a user would, in order.
void ApplySettings(world::ControlModel& controls, const std::vector<Setting>& settings, bool afterSetup);

}  // namespace cli
