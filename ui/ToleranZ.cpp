#include "ToleranZ.h"

#include <QShowEvent>

namespace ui {

void TForm8::showEvent(QShowEvent* event) {
  Form::showEvent(event);
  if (!event->spontaneous()) sim_.FillTolerancePercent();
}

}  // namespace ui
