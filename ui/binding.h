#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

#include "simulation/controls.h"
#include "world/convert.h"
#include "message_box.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTableWidget;
class QWidget;

namespace ui {

class UpDown;

// Binds widgets to the entries of a control model, both ways: a user's
// edit runs the entry's handler, and whatever a handler or a driver writes
// into the model shows in the widget. Errors of a handler are shown as
// message boxes by Guard; so is any other exception, as an internal error,
// since none may reach Qt's event loop.
class Binder : public QObject {
  Q_OBJECT
 public:
  Binder(simulation::ControlModel& model, QWidget* owner, MessageSink* sink);
  ~Binder() override;

  void Edit(QLineEdit* edit, const QString& name);
  void Check(QAbstractButton* box, const QString& name);
  void Slider(QSlider* slider, const QString& name);
  void Arrows(UpDown* upDown, const QString& name);
  void Combo(QComboBox* combo, const QString& name);
  void Label(QLabel* label, const QString& name);
  void GridCell(QTableWidget* table, int row, int column, const QString& name);
  void FontColor(QPushButton* button, const QString& name);
  // Forgets a binding (dynamic controls that a set-up removes).
  void Unbind(const QString& name);

  // Runs an action from a user event; a UserError becomes a message box.
  // Returns false when the action stopped with an error.
  bool Guard(const std::function<void()>& action);
  void Show(const world::UserError& error);

 private:
  struct Target {
    QWidget* Widget = nullptr;
    int Row = 0;
    int Column = 0;
  };
  void Refresh(const simulation::Control& control);

  simulation::ControlModel& model_;
  QWidget* owner_;
  MessageSink* sink_;
  QHash<QString, Target> targets_;
  int listener_ = 0;
  bool refreshing_ = false;
};

}  // namespace ui
