#pragma once

#include "core/simulation/simulation.h"
#include "forms.h"

namespace ui {

// ToleranZ: showing it fills the tolerance percentages from the four
// group-threshold settings.
class TForm8 : public Form {
  Q_OBJECT
 public:
  TForm8(simulation::Simulation& sim, QWidget* parent = nullptr)
      : Form("Form8", "Individual Tolerance", 940, 600, parent), sim_(sim) {}

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  simulation::Simulation& sim_;
};

}  // namespace ui
