#pragma once

#include <string>
#include <vector>

#include "controls.h"

namespace simulation {

// Small builders for the controls of a window's model.
Control MakeEdit(const std::string& name, const std::string& caption, const std::string& text, NumberKind number,
                 bool digitsOnly = false);
Control MakeUpDown(const std::string& name, const std::string& associate, int min, int max, int position,
                   int increment = 1);
Control MakeCheckBox(const std::string& name, const std::string& caption, bool checked);
Control MakeRadioButton(const std::string& name, const std::string& caption, const std::string& group, bool checked);
Control MakeComboBox(const std::string& name, const std::string& text, std::vector<std::string> items);
Control MakeLabel(const std::string& name, const std::string& text);

// Adds an edit and the up-down that keeps its position equal to the edit's text.
void AddEditWithUpDown(ControlModel& model, Control edit, Control upDown);

}  // namespace simulation
