#include "multiline_tabs.h"

#include <QButtonGroup>
#include <QStackedWidget>
#include <QToolButton>

namespace ui {

namespace {
constexpr int kTabHeight = 20;
}

MultiLineTabs::MultiLineTabs(QWidget* parent)
    : QWidget(parent), group_(new QButtonGroup(this)), pages_(new QStackedWidget(this)) {
  group_->setExclusive(true);
  pages_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  connect(group_, &QButtonGroup::idClicked, pages_, &QStackedWidget::setCurrentIndex);
}

void MultiLineTabs::addTab(QWidget* page, const QString& text) {
  auto* tab = new QToolButton(this);
  tab->setText(text);
  tab->setCheckable(true);
  tab->setAutoRaise(false);
  tab->setFocusPolicy(Qt::TabFocus);
  group_->addButton(tab, static_cast<int>(tabs_.size()));
  tabs_.push_back(tab);
  pages_->addWidget(page);
  if (tabs_.size() == 1) tab->setChecked(true);
  layoutTabs();
}

QString MultiLineTabs::tabText(int index) const { return tabs_.value(index) ? tabs_[index]->text() : QString(); }

int MultiLineTabs::currentIndex() const { return pages_->currentIndex(); }

void MultiLineTabs::setCurrentIndex(int index) {
  if (index < 0 || index >= count()) return;
  tabs_[index]->setChecked(true);
  pages_->setCurrentIndex(index);
}

QWidget* MultiLineTabs::page(int index) const { return pages_->widget(index); }

void MultiLineTabs::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutTabs();
}

// Tabs keep their natural width and wrap into as many rows as they need.
void MultiLineTabs::layoutTabs() {
  int x = 0, y = 0;
  for (QToolButton* tab : tabs_) {
    const int w = tab->sizeHint().width() + 6;
    if (x > 0 && x + w > width()) {
      x = 0;
      y += kTabHeight;
    }
    tab->setGeometry(x, y, w, kTabHeight);
    x += w;
  }
  const int top = tabs_.isEmpty() ? 0 : y + kTabHeight;
  pages_->setGeometry(0, top, width(), height() - top);
}

}  // namespace ui
