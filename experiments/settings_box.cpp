#include "experiments/settings_box.h"

#include <limits>

namespace experiments {

using world::Control;
using world::ControlKind;

Control IntegerEdit(const std::string& name, const std::string& caption, const std::string& text) {
  Control c;
  c.Name = name;
  c.Kind = ControlKind::Edit;
  c.Caption = caption;
  c.Text = text;
  c.Number = world::NumberKind::Integer;
  return c;
}

Control CheckBox(const std::string& name, const std::string& caption, bool checked) {
  Control c;
  c.Name = name;
  c.Kind = ControlKind::CheckBox;
  c.Caption = caption;
  c.Checked = checked;
  return c;
}

Control RadioButton(const std::string& name, const std::string& caption, const std::string& group, bool checked) {
  Control c = CheckBox(name, caption, checked);
  c.Kind = ControlKind::RadioButton;
  c.Group = group;
  return c;
}

Control ComboBox(const std::string& name, const std::string& text, std::vector<std::string> items) {
  Control c;
  c.Name = name;
  c.Kind = ControlKind::ComboBox;
  c.Text = text;
  c.Items = std::move(items);
  return c;
}

void AddEditWithUpDown(world::ControlModel& fields, Control edit, const std::string& upDown, int min, int max) {
  Control u;
  u.Name = upDown;
  u.Kind = ControlKind::UpDown;
  u.Min = min;
  u.Max = max;
  u.Position = world::IsInteger(edit.Text) ? world::StrToInt(edit.Text) : min;
  u.Associate = edit.Name;
  edit.Associate = upDown;
  fields.Add(std::move(edit));
  fields.Add(std::move(u));
}

namespace {

Control Label(const std::string& name, const std::string& text) {
  Control c;
  c.Name = name;
  c.Kind = ControlKind::Label;
  c.Text = text;
  return c;
}

}  // namespace

void AddSettingsBox(world::ControlModel& fields, const SettingsBox& box, const std::function<void()>& onTotalInput) {
  auto add = [&](const std::string& name, const std::string& caption, const std::string& text, bool total) {
    Control c = IntegerEdit(name, caption, text);
    if (total) c.OnChange = onTotalInput;
    fields.Add(std::move(c));
  };
  add("E_valFrom", box.StartCaption, box.Start, true);
  add("E_valTo", "to:", box.End, true);
  add("E_incre", "increment:", box.Increment, true);
  add("E_toSteps", box.StepsCaption, box.Steps, false);
  add(box.RepetitionsName, box.RepetitionsCaption, box.Repetitions, true);
  fields.Add(Label("lbl_pSteps", "0"));
  fields.Add(Label("Lbl_akt", "0"));
  fields.Add(Label("Lbl_proceed", ""));
  Control timer;
  timer.Name = box.Timer;
  timer.Kind = ControlKind::Timer;
  timer.Checked = false;
  fields.Add(std::move(timer));
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
