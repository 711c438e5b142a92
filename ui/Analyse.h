#pragma once

#include "core/simulation/simulation.h"
#include "forms.h"

namespace ui {

// The analysis window "Analysis".
class TForm2 : public Form {  // Analysis
  Q_OBJECT
 public:
  explicit TForm2(QWidget* parent = nullptr) : Form("Form2", "Analysis", 1092, 766, parent) {}
};

}  // namespace ui
