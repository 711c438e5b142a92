#pragma once

#include <functional>
#include <string>
#include <vector>

#include "simulation/controls.h"
#include "experiments/experiment_control.h"
#include "world/convert.h"

namespace experiments {

// Initial texts and captions of the box "settings" of one experiment window,
// and the window's timer.
struct SettingsBox {
  ExperimentControl Timer = ExperimentControl::ParameterSpaceTimer;
  std::string StartCaption;
  std::string Start;
  std::string End;
  std::string Increment = "1";
  std::string StepsCaption = "timesteps per value:";
  std::string Steps;
  ExperimentControl RepetitionsField = ExperimentControl::CalculationsPerValue;
  std::string RepetitionsCaption = "calculations per value:";
  std::string Repetitions;
};

// Adds E_valFrom, E_valTo, E_incre, E_toSteps and the repetitions field (all
// whole numbers, read when used), the progress labels lbl_pSteps and Lbl_akt
// (both "0") and Lbl_proceed, and the window's timer, switched off. Its
// Checked flag stands for the timer running. onTotalInput runs when the
// start, end, increment or repetitions text changes.
void AddSettingsBox(simulation::ControlModel& fields, const SettingsBox& box,
                    const std::function<void()>& onTotalInput);

// The controls a window adds beside its settings box.
simulation::Control CheckBox(const std::string& name, const std::string& caption, bool checked);
simulation::Control RadioButton(const std::string& name, const std::string& caption, const std::string& group,
                                bool checked);
simulation::Control ComboBox(const std::string& name, const std::string& text, std::vector<std::string> items);
simulation::Control IntegerEdit(const std::string& name, const std::string& caption, const std::string& text);
// An integer edit and its up-down, kept equal, the up-down limited to min..max.
void AddEditWithUpDown(simulation::ControlModel& fields, simulation::Control edit, const std::string& upDown, int min,
                       int max);

// The number of values a sweep from start to end by increment (> 0)
// visits: ceil((end - start + 1) / increment), and at least 1, since the
// first value always runs.
long long ValueCount(long long start, long long end, long long increment);
// The repetitions a value runs: the field's value, at least 1.
inline long long RepetitionsRun(long long field) { return field < 1 ? 1 : field; }
// a * b for a, b >= 0, held at the largest long long instead of overflowing.
long long SaturatingProduct(long long a, long long b);
// What Lbl_proceed shows: "/ " followed by the total.
std::string TotalText(long long total);
// The refusal of an increment of 0 or less.
world::UserError IncrementsMessage();

}  // namespace experiments
