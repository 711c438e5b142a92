#include "forms.h"

#include <QShowEvent>

namespace ui {

Form::Form(const char* objectName, const QString& caption, int width, int height, QWidget* parent)
    : QWidget(parent, Qt::Window) {
  setObjectName(objectName);
  setWindowTitle(caption);
  resize(width, height);
}

}  // namespace ui
