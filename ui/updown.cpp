#include "updown.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace ui {

UpDown::UpDown(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up_, down_}) {
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    b->setIconSize(QSize(6, 6));
    layout->addWidget(b);
  }
  connect(up_, &QToolButton::clicked, this, [this] { emit stepped(+1); });
  connect(down_, &QToolButton::clicked, this, [this] { emit stepped(-1); });
}

}  // namespace ui
