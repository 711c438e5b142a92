#pragma once

#include "controls.h"
#include "export/save_windows.h"

namespace simulation {

// "show rent landscape": the flag the world's picture reads at every paint.
// A reference to the check box's own state, which lives as long as the controls.
inline const bool& ShowRentLandscape(const ControlModel& controls) {
  return controls.Get(MainControl::ShowRentLandscape).Checked;
}

// The check box of the group "save windows " that chooses a window.
constexpr MainControl SaveCheckBox(exporting::SavedWindowId window) {
  using C = MainControl;
  using W = exporting::SavedWindowId;
  switch (window) {
    case W::Main: return C::SaveMain;
    case W::Analysis: return C::SaveBasic;
    case W::ParameterSpace: return C::SaveParameterSpace;
    case W::Growth: return C::SaveGrowth;
    case W::Streets: return C::SaveStreets;
    case W::Stability: return C::SaveStability;
    case W::Surface: return C::SaveSurface;
  }
  return C::SaveMain;
}

// The main window's group "save windows " as the window saver takes it: the
// round and name fields and the check box of every saved window.
inline exporting::SaveChoice SaveChoiceOf(const ControlModel& controls) {
  exporting::SaveChoice choice;
  choice.Round = controls.Text(MainControl::SaveRound);
  choice.Name = controls.Text(MainControl::SaveName);
  for (const exporting::SavedWindow& window : exporting::kSavedWindows) {
    choice.Windows[exporting::IndexOf(window.Id)] = controls.Checked(SaveCheckBox(window.Id));
  }
  return choice;
}

}  // namespace simulation
