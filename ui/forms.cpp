#include "forms.h"

#include <QScreen>
#include <QShowEvent>

namespace ui {

Form::Form(const char* objectName, const QString& caption, int width, int height, QWidget* parent)
    : QWidget(parent, Qt::Window) {
  setObjectName(objectName);
  setWindowTitle(caption);
  resize(width, height);
}

void Form::resizeWithinScreen(int width, int height) {
  int limit = 4096;
  if (const QScreen* s = screen()) limit = std::max(600, s->availableSize().height());
  resize(width, std::min(height, limit));
}

}  // namespace ui
