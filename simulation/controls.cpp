#include "controls.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>
#include <utility>

#include "world/convert.h"

namespace simulation {

Control& ControlModel::Add(Control control) {
  auto owned = std::make_unique<Control>(std::move(control));
  Control& ref = *owned;
  controls_[ref.Name] = std::move(owned);
  if (const auto it = std::find(handles_.begin(), handles_.end(), ref.Name); it != handles_.end()) {
    byHandle_[static_cast<std::size_t>(it - handles_.begin())] = &ref;
  }
  Notify(ref, ControlEvent::Added);
  return ref;
}

Control& ControlModel::AddAt(ControlKey key, Control control) {
  if (handles_.empty()) UseHandles(key.Table());
  control.Name = std::string(key.Name());
  return Add(std::move(control));
}

void ControlModel::UseHandles(HandleTable table) {
  assert(handles_.empty());
  handles_ = table;
  byHandle_.assign(table.size(), nullptr);
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (auto it = controls_.find(table[i]); it != controls_.end()) byHandle_[i] = it->second.get();
  }
}

void ControlModel::Remove(std::string_view name) {
  auto it = controls_.find(name);
  if (it == controls_.end()) return;
  std::unique_ptr<Control> removed = std::move(it->second);
  std::replace(byHandle_.begin(), byHandle_.end(), removed.get(), static_cast<Control*>(nullptr));
  controls_.erase(it);
  Notify(*removed, ControlEvent::Removed);
}

Control* ControlModel::Find(ControlKey key) {
  return const_cast<Control*>(std::as_const(*this).Find(key));
}

const Control* ControlModel::Find(ControlKey key) const {
  if (key.Table().data() == handles_.data() && !handles_.empty()) {
    if (Control* control = byHandle_[key.Index()]) return control;
  }
  auto it = controls_.find(key.Name());
  return it == controls_.end() ? nullptr : it->second.get();
}

Control& ControlModel::Get(ControlKey key) {
  return const_cast<Control&>(std::as_const(*this).Get(key));
}

const Control& ControlModel::Get(ControlKey key) const {
  const Control* control = Find(key);
  if (!control) throw std::out_of_range("unknown control '" + std::string(key.Name()) + "'");
  return *control;
}

std::vector<std::string> ControlModel::Names() const {
  std::vector<std::string> names;
  names.reserve(controls_.size());
  for (const auto& entry : controls_) names.push_back(entry.first);
  return names;
}

int ControlModel::Int(ControlKey key) const { return world::StrToInt(Text(key)); }

double ControlModel::Real(ControlKey key) const { return world::StrToFloat(Text(key)); }

void ControlModel::SetText(ControlKey key, const std::string& text) {
  Control& control = Get(key);
  if (control.Text == text) return;
  control.Text = text;
  // An up-down keeps its position equal to the text of its edit.
  if (!control.Associate.empty() && control.Kind == ControlKind::Edit) {
    if (Control* upDown = Find(control.Associate); upDown && world::IsInteger(text)) {
      const int value = std::clamp(world::StrToInt(text), upDown->Min, upDown->Max);
      if (upDown->Position != value) {
        upDown->Position = value;
        Notify(*upDown, ControlEvent::Changed);
      }
    }
  }
  Notify(control, ControlEvent::Changed);
  Run(control.OnChange);
}

void ControlModel::SetChecked(ControlKey key, bool checked) {
  Control& control = Get(key);
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

void ControlModel::SetPosition(ControlKey key, int position) {
  Control& control = Get(key);
  const int value = std::clamp(position, control.Min, std::max(control.Min, control.Max));
  if (control.Position != value) {
    control.Position = value;
    Notify(control, ControlEvent::Changed);
    if (control.Kind == ControlKind::TrackBar) Run(control.OnChange);
  }
  if (control.Kind == ControlKind::UpDown && !control.Associate.empty() && Has(control.Associate)) {
    SetText(control.Associate, world::IntToText(control.Position));
  }
}

void ControlModel::ClickUpDown(ControlKey key, int position) {
  SetPosition(key, position);
  Run(Get(key).OnClick);
}

void ControlModel::SetItemIndex(ControlKey key, int index) {
  Control& control = Get(key);
  if (index < -1 || index >= static_cast<int>(control.Items.size())) index = -1;
  if (control.ItemIndex == index) return;
  control.ItemIndex = index;
  if (index >= 0) control.Text = control.Items[static_cast<std::size_t>(index)];
  Notify(control, ControlEvent::Changed);
  Run(control.OnChange);
}

void ControlModel::SetFontColor(ControlKey key, world::ColorRef color) {
  Control& control = Get(key);
  if (control.FontColor == color) return;
  control.FontColor = color;
  Notify(control, ControlEvent::Changed);
}

void ControlModel::SetByUser(ControlKey key, const std::string& value) {
  Control& control = Get(key);
  switch (control.Kind) {
    case ControlKind::Edit:
      if (control.DigitsOnly && !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        throw world::NotAnInteger(value);
      }
      SetText(key, value);
      return;
    case ControlKind::GridCell:
      SetText(key, value);
      return;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
      if (value != "0" && value != "1") {
        throw world::UserError(std::string(world::kMissingValue),
                               "'" + value + "' is not a valid state for " + control.Name + ": use 0 or 1");
      }
      SetChecked(key, value == "1");
      return;
    case ControlKind::UpDown:
      ClickUpDown(key, world::StrToInt(value));
      return;
    case ControlKind::TrackBar:
      SetPosition(key, world::StrToInt(value));
      return;
    case ControlKind::ComboBox: {
      const int index = world::StrToInt(value);
      if (index < -1 || index >= static_cast<int>(control.Items.size())) {
        throw world::UserError(std::string(world::kMissingValue),
                               "'" + value + "' is not an item of " + control.Name + ": use -1 to " +
                                   world::IntToText(static_cast<long long>(control.Items.size()) - 1));
      }
      SetItemIndex(key, index);
      return;
    }
    case ControlKind::Label:
    case ControlKind::Button:
    case ControlKind::Timer:
      break;
  }
  throw world::UserError(std::string(world::kMissingValue), control.Name + " shows a value and cannot be set");
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

}  // namespace simulation
