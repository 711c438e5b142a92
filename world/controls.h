#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rounding.h"

namespace world {

enum class ControlKind { Edit, Label, CheckBox, RadioButton, UpDown, TrackBar, ComboBox, GridCell, Button, Timer };

// How an edit's text is read as a number when it is used.
enum class NumberKind { None, Integer, Real };

// One control of a window, as data: what the user sees and sets, and the
// handler that runs when it changes. The Qt windows bind widgets to these.
struct Control {
  std::string Name;
  ControlKind Kind = ControlKind::Edit;
  std::string Caption;        // the caption or label beside the control
  std::string Text;           // edits, labels, grid cells, combo text
  bool Checked = false;       // check boxes and radio buttons; timers: enabled
  int Position = 0;           // up-downs and track bars
  int Min = 0;
  int Max = 0;
  int Increment = 1;
  int ItemIndex = -1;         // combo boxes; -1 = nothing chosen
  std::vector<std::string> Items;
  std::string Associate;      // up-down <-> edit it keeps equal
  std::string Group;          // radio group
  NumberKind Number = NumberKind::None;
  bool DigitsOnly = false;    // the edit accepts digits only
  ColorRef FontColor = 0;
  std::function<void()> OnChange;  // text, check state, position or choice changed
  std::function<void()> OnClick;   // the user clicked an up-down arrow
};

enum class ControlEvent { Changed, Added, Removed };

// The controls of one window, by component name. Setting a value clamps it
// like the control would and runs its change handler, exactly as a user's
// edit does; handlers signal bad input by throwing UserError, after the
// typed value has been stored. Events fire only when a value really changes.
class ControlModel {
 public:
  using Listener = std::function<void(const Control&, ControlEvent)>;

  ControlModel() = default;
  ControlModel(const ControlModel&) = delete;
  ControlModel& operator=(const ControlModel&) = delete;

  Control& Add(Control control);
  void Remove(std::string_view name);

  Control* Find(std::string_view name);
  const Control* Find(std::string_view name) const;
  // Throws std::out_of_range for an unknown name.
  Control& Get(std::string_view name);
  const Control& Get(std::string_view name) const;
  bool Has(std::string_view name) const { return Find(name) != nullptr; }
  std::vector<std::string> Names() const;

  const std::string& Text(std::string_view name) const { return Get(name).Text; }
  bool Checked(std::string_view name) const { return Get(name).Checked; }
  int Position(std::string_view name) const { return Get(name).Position; }
  int ItemIndex(std::string_view name) const { return Get(name).ItemIndex; }

  // The text parsed with StrToInt / StrToFloat; throws UserError.
  int Int(std::string_view name) const;
  double Real(std::string_view name) const;

  void SetText(std::string_view name, const std::string& text);
  void SetChecked(std::string_view name, bool checked);
  // Clamps to the range; an up-down writes its associated edit, a track bar runs its handler.
  void SetPosition(std::string_view name, int position);
  // The user's click on an up-down arrow that leads to this position.
  void ClickUpDown(std::string_view name, int position);
  void SetItemIndex(std::string_view name, int index);
  void SetFontColor(std::string_view name, ColorRef color);

  // A value given as text, applied the way a user would set it: edit and
  // grid texts as typed (digits-only edits refuse anything else), "0"/"1"
  // for check boxes and radio buttons, positions for up-downs and track
  // bars, item numbers for combo boxes. Throws UserError for a value the
  // control cannot take, std::out_of_range for an unknown name.
  void SetByUser(std::string_view name, const std::string& value);

  int Subscribe(Listener listener);
  void Unsubscribe(int id);

 private:
  void Notify(const Control& control, ControlEvent event);
  static void Run(const std::function<void()>& handler) {
    if (handler) handler();
  }

  std::map<std::string, std::unique_ptr<Control>, std::less<>> controls_;
  std::map<int, Listener> listeners_;
  int nextListener_ = 1;
};

}  // namespace world
