#pragma once

#include <QWidget>


namespace ui {

// A window of the program that is created at start, hidden, and only
// hidden again when closed. The windows that are not built out yet show
// their caption and size.
class Form : public QWidget {
  Q_OBJECT
 public:
  Form(const char* objectName, const QString& caption, int width, int height, QWidget* parent = nullptr);
};


class TForm3 : public Form {  // Parameterspace
  Q_OBJECT
 public:
  explicit TForm3(QWidget* parent = nullptr) : Form("Form3", "Analyse Parameterspace", 1000, 700, parent) {}
};

class TForm4 : public Form {  // AnalyseGrowth
  Q_OBJECT
 public:
  explicit TForm4(QWidget* parent = nullptr) : Form("Form4", "Form4", 1024, 358, parent) {}
};

class TForm5 : public Form {  // AnaStreets
  Q_OBJECT
 public:
  explicit TForm5(QWidget* parent = nullptr) : Form("Form5", "Analyse Street Effects", 1016, 360, parent) {}
};

class TForm6 : public Form {  // AnaStability
  Q_OBJECT
 public:
  explicit TForm6(QWidget* parent = nullptr) : Form("Form6", "Analyse Stability", 1016, 690, parent) {}
};

class TForm7 : public Form {  // AnaLandsc3D
  Q_OBJECT
 public:
  explicit TForm7(QWidget* parent = nullptr) : Form("Form7", "3D Prozess-Analyse-Landscape", 1016, 666, parent) {}
};



}  // namespace ui
