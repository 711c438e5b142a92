#pragma once

#include <QWidget>

namespace ui {

// A window of the program that is created at start, hidden, and only
// hidden again when closed, with its caption and size.
class Form : public QWidget {
  Q_OBJECT
 public:
  Form(const char* objectName, const QString& caption, int width, int height, QWidget* parent = nullptr);
};

}  // namespace ui
