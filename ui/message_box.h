#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace ui {

// How a window shows a message: by default a modal box with an OK button.
// Tests and the monkey test answer the boxes themselves by replacing it.
using MessageSink = std::function<void(QWidget* parent, const QString& caption, const QString& text)>;

MessageSink ModalMessageBox();

}  // namespace ui
