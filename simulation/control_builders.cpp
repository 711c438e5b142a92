#include "control_builders.h"

namespace simulation {

Control MakeEdit(const std::string& name, const std::string& caption, const std::string& text, NumberKind number,
                 bool digitsOnly) {
  Control c;
  c.Name = name;
  c.Kind = ControlKind::Edit;
  c.Caption = caption;
  c.Text = text;
  c.Number = number;
  c.DigitsOnly = digitsOnly;
  return c;
}

Control MakeUpDown(const std::string& name, const std::string& associate, int min, int max, int position,
                   int increment) {
  Control c;
  c.Name = name;
  c.Kind = ControlKind::UpDown;
  c.Associate = associate;
  c.Min = min;
  c.Max = max;
  c.Position = position;
  c.Increment = increment;
  return c;
}

Control MakeCheckBox(const std::string& name, const std::string& caption, bool checked) {
  Control c;
  c.Name = name;
  c.Kind = ControlKind::CheckBox;
  c.Caption = caption;
  c.Checked = checked;
  return c;
}

Control MakeRadioButton(const std::string& name, const std::string& caption, const std::string& group, bool checked) {
  Control c = MakeCheckBox(name, caption, checked);
  c.Kind = ControlKind::RadioButton;
  c.Group = group;
  return c;
}

Control MakeComboBox(const std::string& name, const std::string& text, std::vector<std::string> items) {
  Control c;
  c.Name = name;
  c.Kind = ControlKind::ComboBox;
  c.Text = text;
  c.Items = std::move(items);
  return c;
}

Control MakeLabel(const std::string& name, const std::string& text) {
  Control c;
  c.Name = name;
  c.Kind = ControlKind::Label;
  c.Text = text;
  return c;
}

void AddEditWithUpDown(ControlModel& model, Control edit, Control upDown) {
  edit.Associate = upDown.Name;
  upDown.Associate = edit.Name;
  model.Add(std::move(edit));
  model.Add(std::move(upDown));
}

}  // namespace simulation
