#pragma once

#include "streets/editing.h"
#include "streets/layouts.h"
#include "streets/street_field.h"
#include "controls.h"
#include "world/world.h"

namespace simulation {

// The street tab of the main window as the street layer takes it: typed
// values read from the controls, and the street layer's operations with the
// controls' part done here (the street cell count shown in Lbl_strCell, the
// run stopped when streets are drawn without agents).

// The weight texts of the grid "street weights", types -3..+3.
streets::StreetWeightTexts StreetWeightTextsOf(const ControlModel& controls);

// "random street types" and the fixed type (the position of UpD_strType).
streets::TypeChoice ReadTypeChoice(const ControlModel& controls);

// The street editor's view of the controls.
streets::StreetEditor::Hooks StreetEditorHooks(world::World& world, ControlModel& controls);

// Shows the world's street cell count in Lbl_strCell.
void ShowStreetCells(const world::World& world, ControlModel& controls);

// The street layer's operations with the weight texts of the controls; each
// shows the new street cell count once its imprint is done.
streets::StreetWeights ParseNeededWeights(const world::World& world, const ControlModel& controls);
void ImprintStreets(world::World& world, ControlModel& controls);
void ApplyStreetGrid(world::World& world, ControlModel& controls);
void DrawStreetGrid(world::World& world, ControlModel& controls, int n, int m, streets::TypeChoice choice,
                    streets::StreetEditor* editor = nullptr);
void DrawRandomStreets(world::World& world, ControlModel& controls, int count, streets::TypeChoice choice,
                       streets::StreetEditor* editor = nullptr);
void DeleteStreets(world::World& world, ControlModel& controls);

}  // namespace simulation
