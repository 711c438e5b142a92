#pragma once

#include "controls.h"
#include "export/save_windows.h"

namespace simulation {

// "show rent landscape": the flag the world's picture reads at every paint.
// A reference to the check box's own state, which lives as long as the controls.
inline const bool& ShowRentLandscape(const world::ControlModel& controls) {
  return controls.Get(world::MainControl::ShowRentLandscape).Checked;
}

// The main window's group "save windows " as the window saver takes it: the
// round and name fields and the check box of every saved window.
inline exporting::SaveChoice SaveChoiceOf(const world::ControlModel& controls) {
  exporting::SaveChoice choice;
  choice.Round = controls.Text(world::MainControl::SaveRound);
  choice.Name = controls.Text(world::MainControl::SaveName);
  for (std::size_t i = 0; i < exporting::kSavedWindows.size(); ++i) {
    choice.Windows[i] = controls.Checked(exporting::kSavedWindows[i].CheckBox);
  }
  return choice;
}

}  // namespace simulation
