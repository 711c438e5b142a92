#pragma once

#include <concepts>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "main_control.h"
#include "world/rounding.h"

namespace simulation {

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
  world::ColorRef FontColor = 0;
  std::function<void()> OnChange;  // text, check state, position or choice changed
  std::function<void()> OnClick;   // the user clicked an up-down arrow
};

enum class ControlEvent { Changed, Added, Removed };

// The component names a window's typed handles stand for, in the order of
// the handles' enum. A handle type Handle (an enum class listed once with its
// names by an X-macro) comes with `HandleTable HandleTableOf(Handle)` beside
// it, which the keys below find by argument-dependent lookup.
using HandleTable = std::span<const std::string_view>;

template <class Handle>
concept ControlHandle = std::is_enum_v<Handle> && requires(Handle handle) {
  { HandleTableOf(handle) } -> std::same_as<HandleTable>;
};

// How code addresses a control: by a window's typed handle (an array access
// in the model that uses that window's handles) or by component name.
class ControlKey {
 public:
  template <ControlHandle Handle>
  ControlKey(Handle handle)
      : table_(HandleTableOf(handle)), index_(static_cast<std::size_t>(handle)), name_(table_[index_]) {}
  ControlKey(std::string_view name) : name_(name) {}
  ControlKey(const std::string& name) : name_(name) {}
  ControlKey(const char* name) : name_(name) {}

  // The handle's table, empty for a key by name, and its place in the table.
  HandleTable Table() const { return table_; }
  std::size_t Index() const { return index_; }
  std::string_view Name() const { return name_; }

 private:
  HandleTable table_;
  std::size_t index_ = 0;
  std::string_view name_;
};

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

  // Adds a control, bound to its handle when its name is in the table of UseHandles.
  Control& Add(Control control);
  // Adds a control under the component name of its handle.
  template <ControlHandle Handle>
  Control& Add(Handle id, Control control) {
    return AddAt(ControlKey(id), std::move(control));
  }
  void Remove(std::string_view name);
  // Lets the handles of one window reach their controls by array access,
  // those added already and those added later. Once per model.
  void UseHandles(HandleTable table);

  Control* Find(ControlKey key);
  const Control* Find(ControlKey key) const;
  // Throws std::out_of_range for an unknown name.
  Control& Get(ControlKey key);
  const Control& Get(ControlKey key) const;
  bool Has(ControlKey key) const { return Find(key) != nullptr; }
  std::vector<std::string> Names() const;

  const std::string& Text(ControlKey key) const { return Get(key).Text; }
  bool Checked(ControlKey key) const { return Get(key).Checked; }
  int Position(ControlKey key) const { return Get(key).Position; }
  int ItemIndex(ControlKey key) const { return Get(key).ItemIndex; }

  // The text parsed with StrToInt / StrToFloat; throws UserError.
  int Int(ControlKey key) const;
  double Real(ControlKey key) const;

  void SetText(ControlKey key, const std::string& text);
  void SetChecked(ControlKey key, bool checked);
  // Clamps to the range; an up-down writes its associated edit, a track bar runs its handler.
  void SetPosition(ControlKey key, int position);
  // The user's click on an up-down arrow that leads to this position.
  void ClickUpDown(ControlKey key, int position);
  void SetItemIndex(ControlKey key, int index);
  void SetFontColor(ControlKey key, world::ColorRef color);

  // A value given as text, applied the way a user would set it: edit and
  // grid texts as typed (digits-only edits refuse anything else), "0"/"1"
  // for check boxes and radio buttons, positions for up-downs and track
  // bars, item numbers for combo boxes. Throws UserError for a value the
  // control cannot take, std::out_of_range for an unknown name.
  void SetByUser(ControlKey key, const std::string& value);

  int Subscribe(Listener listener);
  void Unsubscribe(int id);

 private:
  void Notify(const Control& control, ControlEvent event);
  static void Run(const std::function<void()>& handler) {
    if (handler) handler();
  }

  Control& AddAt(ControlKey key, Control control);

  std::map<std::string, std::unique_ptr<Control>, std::less<>> controls_;
  // The window's handles and their controls, by handle; the first handle
  // added chooses the table. Keys of another table are looked up by name.
  HandleTable handles_;
  std::vector<Control*> byHandle_;
  std::map<int, Listener> listeners_;
  int nextListener_ = 1;
};

}  // namespace simulation
