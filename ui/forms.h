#pragma once

#include <QWidget>

namespace ui {

// A window of the program that is created at start, hidden, and only
// hidden again when closed, with its caption and size.
class Form : public QWidget {
  Q_OBJECT
 public:
  Form(const char* objectName, const QString& caption, int width, int height, QWidget* parent = nullptr);

  // Sizes the window as asked, but never taller than the screen (at least
  // 600): a window sized from the number of groups would otherwise grow tens
  // of thousands of pixels tall; its content scrolls instead.
  void resizeWithinScreen(int width, int height);
};

}  // namespace ui
