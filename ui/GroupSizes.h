#pragma once

#include "core/simulation/simulation.h"
#include "forms.h"

namespace ui {

// The group sizes window "Group Sizes".
class TForm9 : public Form {  // GroupSizes
  Q_OBJECT
 public:
  explicit TForm9(QWidget* parent = nullptr) : Form("Form9", "Group Sizes", 210, 430, parent) {}
};

}  // namespace ui
