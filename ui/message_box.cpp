#include "message_box.h"

#include <QMessageBox>

namespace ui {

MessageSink ModalMessageBox() {
  return [](QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
  };
}

}  // namespace ui
