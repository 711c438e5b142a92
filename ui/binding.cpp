#include "binding.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTableWidget>

#include "updown.h"

namespace ui {

namespace {

QColor ToQColor(world::ColorRef c) { return QColor(world::Red(c), world::Green(c), world::Blue(c)); }

std::string Std(const QString& s) { return s.toStdString(); }

}  // namespace

Binder::Binder(simulation::ControlModel& model, QWidget* owner, MessageSink* sink)
    : QObject(owner), model_(model), owner_(owner), sink_(sink) {
  listener_ = model_.Subscribe([this](const simulation::Control& c, simulation::ControlEvent event) {
    if (event == simulation::ControlEvent::Changed) Refresh(c);
  });
}

Binder::~Binder() { model_.Unsubscribe(listener_); }

bool Binder::Guard(const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (const world::UserError& e) {
    Show(e);
    return false;
  } catch (const std::exception& e) {
    // A fault of the program itself: said, rather than ending the program
    // with whatever the user had not saved.
    Show(world::UserError(std::string(world::kProgramTitle), std::string("internal error: ") + e.what()));
    return false;
  }
}

void Binder::Show(const world::UserError& error) {
  if (sink_ && *sink_) (*sink_)(owner_, QString::fromStdString(error.Caption()), QString::fromUtf8(error.what()));
}

void Binder::Edit(QLineEdit* edit, const QString& name) {
  targets_[name] = {edit};
  edit->setObjectName(name);
  const simulation::Control& c = model_.Get(Std(name));
  edit->setText(QString::fromStdString(c.Text));
  connect(edit, &QLineEdit::textEdited, this, [this, name](const QString& text) {
    Guard([&] { model_.SetByUser(Std(name), Std(text)); });
  });
}

void Binder::Check(QAbstractButton* box, const QString& name) {
  targets_[name] = {box};
  box->setObjectName(name);
  box->setChecked(model_.Checked(Std(name)));
  connect(box, &QAbstractButton::clicked, this, [this, name, box](bool checked) {
    if (!Guard([&] { model_.SetChecked(Std(name), checked); })) {
      // The handler refused: show what the model holds.
      QSignalBlocker block(box);
      box->setChecked(model_.Checked(Std(name)));
    }
  });
}

void Binder::Slider(QSlider* slider, const QString& name) {
  targets_[name] = {slider};
  slider->setObjectName(name);
  const simulation::Control& c = model_.Get(Std(name));
  slider->setRange(c.Min, c.Max);
  slider->setPageStep(c.Increment);
  slider->setValue(c.Position);
  connect(slider, &QSlider::valueChanged, this, [this, name](int value) {
    if (!refreshing_) Guard([&] { model_.SetPosition(Std(name), value); });
  });
}

void Binder::Arrows(UpDown* upDown, const QString& name) {
  targets_[name] = {upDown};
  upDown->setObjectName(name);
  connect(upDown, &UpDown::stepped, this, [this, name](int direction) {
    const simulation::Control& c = model_.Get(Std(name));
    Guard([&] { model_.ClickUpDown(Std(name), c.Position + direction * c.Increment); });
  });
}

void Binder::Combo(QComboBox* combo, const QString& name) {
  targets_[name] = {combo};
  combo->setObjectName(name);
  const simulation::Control& c = model_.Get(Std(name));
  for (const auto& item : c.Items) combo->addItem(QString::fromStdString(item));
  combo->setPlaceholderText(QString::fromStdString(c.Text));
  combo->setCurrentIndex(c.ItemIndex);
  connect(combo, &QComboBox::activated, this, [this, name](int index) {
    Guard([&] { model_.SetItemIndex(Std(name), index); });
  });
}

void Binder::Label(QLabel* label, const QString& name) {
  targets_[name] = {label};
  label->setObjectName(name);
  label->setText(QString::fromStdString(model_.Text(Std(name))));
}

void Binder::GridCell(QTableWidget* table, int row, int column, const QString& name) {
  targets_[name] = {table, row, column};
  auto* item = table->item(row, column);
  if (!item) {
    item = new QTableWidgetItem;
    table->setItem(row, column, item);
  }
  {
    QSignalBlocker block(table);
    item->setText(QString::fromStdString(model_.Text(Std(name))));
  }
  connect(table, &QTableWidget::itemChanged, this, [this, name, row, column](QTableWidgetItem* changed) {
    if (refreshing_ || changed->row() != row || changed->column() != column) return;
    Guard([&] { model_.SetByUser(Std(name), Std(changed->text())); });
  });
}

void Binder::FontColor(QPushButton* button, const QString& name) {
  targets_[name] = {button};
  button->setObjectName(name);
  QPalette palette = button->palette();
  palette.setColor(QPalette::ButtonText, ToQColor(model_.Get(Std(name)).FontColor));
  button->setPalette(palette);
}

void Binder::Unbind(const QString& name) { targets_.remove(name); }

void Binder::Refresh(const simulation::Control& c) {
  auto it = targets_.find(QString::fromStdString(c.Name));
  if (it == targets_.end()) return;
  QWidget* w = it->Widget;
  refreshing_ = true;
  if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    const QString text = QString::fromStdString(c.Text);
    if (edit->text() != text) {
      const int cursor = edit->cursorPosition();
      edit->setText(text);
      edit->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
    }
  } else if (auto* button = qobject_cast<QPushButton*>(w); button && c.Kind == simulation::ControlKind::Button) {
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, ToQColor(c.FontColor));
    button->setPalette(palette);
  } else if (auto* box = qobject_cast<QAbstractButton*>(w)) {
    QSignalBlocker block(box);
    box->setChecked(c.Checked);
  } else if (auto* slider = qobject_cast<QSlider*>(w)) {
    QSignalBlocker block(slider);
    slider->setValue(c.Position);
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    QSignalBlocker block(combo);
    combo->setCurrentIndex(c.ItemIndex);
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(QString::fromStdString(c.Text));
  } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
    QSignalBlocker block(table);
    if (auto* item = table->item(it->Row, it->Column)) item->setText(QString::fromStdString(c.Text));
  }
  refreshing_ = false;
}

}  // namespace ui
