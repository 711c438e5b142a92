#pragma once

#include <QWidget>

class QToolButton;

namespace ui {

// The small up-down arrow pair beside an edit. It only reports clicks; the
// position lives in the control model.
class UpDown : public QWidget {
  Q_OBJECT
 public:
  explicit UpDown(QWidget* parent = nullptr);
  QToolButton* upButton() const { return up_; }
  QToolButton* downButton() const { return down_; }

 signals:
  void stepped(int direction);  // +1 up, -1 down

 private:
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace ui
