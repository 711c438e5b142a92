#pragma once

#include <QList>
#include <QWidget>

class QButtonGroup;
class QStackedWidget;
class QToolButton;

namespace ui {

// A tab control whose tabs wrap onto further rows when they do not fit
// beside each other, like the main window's narrow settings column needs.
class MultiLineTabs : public QWidget {
  Q_OBJECT
 public:
  explicit MultiLineTabs(QWidget* parent = nullptr);

  void addTab(QWidget* page, const QString& text);
  int count() const { return static_cast<int>(tabs_.size()); }
  QString tabText(int index) const;
  int currentIndex() const;
  void setCurrentIndex(int index);
  QWidget* page(int index) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void layoutTabs();

  QList<QToolButton*> tabs_;
  QButtonGroup* group_;
  QStackedWidget* pages_;
};

}  // namespace ui
