#include "controls.h"

#include <algorithm>
#include <stdexcept>

#include "convert.h"

namespace world {

Control& ControlModel::Add(Control control) {
  auto owned = std::make_unique<Control>(std::move(control));
  Control& ref = *owned;
  controls_[ref.Name] = std::move(owned);
  Notify(ref, ControlEvent::Added);
  return ref;
}

void ControlModel::Remove(std::string_view name) {
  auto it = controls_.find(name);
  if (it == controls_.end()) return;
  std::unique_ptr<Control> removed = std::move(it->second);
  controls_.erase(it);
  Notify(*removed, ControlEvent::Removed);
}

Control* ControlModel::Find(std::string_view name) {
  auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second.get();
}

const Control* ControlModel::Find(std::string_view name) const {
  auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second.get();
}

Control& ControlModel::Get(std::string_view name) {
  Control* control = Find(name);
  if (!control) throw std::out_of_range("unknown control '" + std::string(name) + "'");
  return *control;
}

const Control& ControlModel::Get(std::string_view name) const {
  const Control* control = Find(name);
  if (!control) throw std::out_of_range("unknown control '" + std::string(name) + "'");
  return *control;
}

std::vector<std::string> ControlModel::Names() const {
  std::vector<std::string> names;
  names.reserve(controls_.size());
  for (const auto& entry : controls_) names.push_back(entry.first);
  return names;
}

int ControlModel::Int(std::string_view name) const { return StrToInt(Text(name)); }

double ControlModel::Real(std::string_view name) const { return StrToFloat(Text(name)); }

void ControlModel::SetText(std::string_view name, const std::string& text) {
  Control& control = Get(name);
  if (control.Text == text) return;
  control.Text = text;
  // An up-down keeps its position equal to the text of its edit.
  if (!control.Associate.empty() && control.Kind == ControlKind::Edit) {
    if (Control* upDown = Find(control.Associate); upDown && IsInteger(text)) {
      const int value = std::clamp(StrToInt(text), upDown->Min, upDown->Max);
      if (upDown->Position != value) {
        upDown->Position = value;
        Notify(*upDown, ControlEvent::Changed);
      }
    }
  }
  Notify(control, ControlEvent::Changed);
  Run(control.OnChange);
}

void ControlModel::SetChecked(std::string_view name, bool checked) {
  Control& control = Get(name);
  if (control.Checked == checked) return;
  control.Checked = checked;
  Notify(control, ControlEvent::Changed);
  if (checked && control.Kind == ControlKind::RadioButton && !control.Group.empty()) {
    for (auto& entry : controls_) {
      Control& other = *entry.second;
      if (&other != &control && other.Kind == ControlKind::RadioButton && other.Group == control.Group &&
          other.Checked) {
        other.Checked = false;
        Notify(other, ControlEvent::Changed);
      }
    }
  }
  Run(control.OnChange);
}

void ControlModel::SetPosition(std::string_view name, int position) {
  Control& control = Get(name);
  const int value = std::clamp(position, control.Min, std::max(control.Min, control.Max));
  if (control.Position != value) {
    control.Position = value;
    Notify(control, ControlEvent::Changed);
    if (control.Kind == ControlKind::TrackBar) Run(control.OnChange);
  }
  if (control.Kind == ControlKind::UpDown && !control.Associate.empty() && Has(control.Associate)) {
    SetText(control.Associate, IntToText(control.Position));
  }
}

void ControlModel::ClickUpDown(std::string_view name, int position) {
  SetPosition(name, position);
  Run(Get(name).OnClick);
}

void ControlModel::SetItemIndex(std::string_view name, int index) {
  Control& control = Get(name);
  if (index < -1 || index >= static_cast<int>(control.Items.size())) index = -1;
  if (control.ItemIndex == index) return;
  control.ItemIndex = index;
  if (index >= 0) control.Text = control.Items[static_cast<std::size_t>(index)];
  Notify(control, ControlEvent::Changed);
  Run(control.OnChange);
}

void ControlModel::SetFontColor(std::string_view name, ColorRef color) {
  Control& control = Get(name);
  if (control.FontColor == color) return;
  control.FontColor = color;
  Notify(control, ControlEvent::Changed);
}

void ControlModel::SetByUser(std::string_view name, const std::string& value) {
  Control& control = Get(name);
  switch (control.Kind) {
    case ControlKind::Edit:
      if (control.DigitsOnly && !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        throw NotAnInteger(value);
      }
      SetText(name, value);
      return;
    case ControlKind::GridCell:
      SetText(name, value);
      return;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
      if (value != "0" && value != "1") {
        throw UserError(std::string(kMissingValue),
                        "'" + value + "' is not a valid state for " + control.Name + ": use 0 or 1");
      }
      SetChecked(name, value == "1");
      return;
    case ControlKind::UpDown:
      ClickUpDown(name, StrToInt(value));
      return;
    case ControlKind::TrackBar:
      SetPosition(name, StrToInt(value));
      return;
    case ControlKind::ComboBox: {
      const int index = StrToInt(value);
      if (index < -1 || index >= static_cast<int>(control.Items.size())) {
        throw UserError(std::string(kMissingValue), "'" + value + "' is not an item of " + control.Name +
                                                        ": use -1 to " + IntToText(static_cast<long long>(control.Items.size()) - 1));
      }
      SetItemIndex(name, index);
      return;
    }
    case ControlKind::Label:
    case ControlKind::Button:
    case ControlKind::Timer:
      break;
  }
  throw UserError(std::string(kMissingValue), control.Name + " shows a value and cannot be set");
}

int ControlModel::Subscribe(Listener listener) {
  const int id = nextListener_++;
  listeners_[id] = std::move(listener);
  return id;
}

void ControlModel::Unsubscribe(int id) { listeners_.erase(id); }

void ControlModel::Notify(const Control& control, ControlEvent event) {
  for (auto& entry : listeners_) entry.second(control, event);
}

}  // namespace world
