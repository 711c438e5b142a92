#include "experiments/settings_box.h"

#include <limits>

#include "simulation/control_builders.h"

namespace experiments {

using simulation::Control;
using simulation::ControlKind;

Control IntegerEdit(const std::string& name, const std::string& caption, const std::string& text) {
  return simulation::MakeEdit(name, caption, text, simulation::NumberKind::Integer);
}

Control CheckBox(const std::string& name, const std::string& caption, bool checked) {
  return simulation::MakeCheckBox(name, caption, checked);
}

Control RadioButton(const std::string& name, const std::string& caption, const std::string& group, bool checked) {
  return simulation::MakeRadioButton(name, caption, group, checked);
}

Control ComboBox(const std::string& name, const std::string& text, std::vector<std::string> items) {
  return simulation::MakeComboBox(name, text, std::move(items));
}

void AddEditWithUpDown(simulation::ControlModel& fields, Control edit, const std::string& upDown, int min, int max) {
  const int position = world::IsInteger(edit.Text) ? world::StrToInt(edit.Text) : min;
  simulation::AddEditWithUpDown(fields, std::move(edit), simulation::MakeUpDown(upDown, "", min, max, position));
}

void AddSettingsBox(simulation::ControlModel& fields, const SettingsBox& box,
                    const std::function<void()>& onTotalInput) {
  using E = ExperimentControl;
  auto add = [&](E id, const std::string& caption, const std::string& text, bool total) {
    Control c = simulation::MakeEdit("", caption, text, simulation::NumberKind::Integer);
    if (total) c.OnChange = onTotalInput;
    fields.Add(id, std::move(c));
  };
  add(E::ValueFrom, box.StartCaption, box.Start, true);
  add(E::ValueTo, "to:", box.End, true);
  add(E::Increment, "increment:", box.Increment, true);
  add(E::StepsPerValue, box.StepsCaption, box.Steps, false);
  add(box.RepetitionsField, box.RepetitionsCaption, box.Repetitions, true);
  fields.Add(E::StepsDone, simulation::MakeLabel("", "0"));
  fields.Add(E::Done, simulation::MakeLabel("", "0"));
  fields.Add(E::PlannedTotal, simulation::MakeLabel("", ""));
  Control timer;
  timer.Kind = ControlKind::Timer;
  timer.Checked = false;
  fields.Add(box.Timer, std::move(timer));
}

long long ValueCount(long long start, long long end, long long increment) {
  const long long span = end - start + 1;
  if (span <= 0 || increment <= 0) return 1;
  return span / increment + (span % increment != 0 ? 1 : 0);
}

long long SaturatingProduct(long long a, long long b) {
  constexpr long long kMax = std::numeric_limits<long long>::max();
  if (a <= 0 || b <= 0) return 0;
  return a > kMax / b ? kMax : a * b;
}

std::string TotalText(long long total) { return "/ " + world::IntToText(total); }

world::UserError IncrementsMessage() { return world::MissingValue("increments have to be > 0"); }

}  // namespace experiments
