#pragma once

#include <string>
#include <vector>

#include "controls.h"
#include "world/street_colors.h"
#include "world/world.h"

namespace simulation {

// Name of the weight text of street type t (-3..+3): "SG_weight.1".."SG_weight.7".
std::string WeightControlName(int type);

// Names of the per-group entry rent controls that set-up creates.
std::string RentEditName(int group);
std::string RentLabelName(int group);

// Puts every control of the main window into the model from one table (kind,
// caption, default, range and handler of each control, by its typed handle);
// the handlers validate and copy values into the world's parameters. Buttons are actions of the simulation and have no entry
// except "start / stop", whose font colour shows the run state, and the
// timer Timer1, whose Checked flag is its enabled state. "Caption" holds the
// window caption.
void BuildMainControls(ControlModel& controls, world::World& world);

}  // namespace simulation
