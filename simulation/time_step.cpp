#include "simulation.h"

namespace simulation {

void Simulation::TimeStep() {
  GrowPopulation();
  MoveAgents();
  if (controls.Checked("cb_actiRentLand")) SmoothRent();
  ++world.StepCount;
  controls.SetText("lbl_Steps", world::IntToText(world.StepCount));
  analysis.RecordStep();
  UpdateSpeedDisplay();
  // Only equality stops: a stop step already passed lets the run go on.
  if (world.StepCount == world.StopStep) {
    SetRunning(false);
    controls.SetFontColor("B_stop", world::kRed);
  }
  // RepaintWorld begins with every cell: with both boxes checked the cells
  // need painting only once for the same picture.
  const bool showAgents = controls.Checked("CB_showAgs");
  if (controls.Checked("CB_showRentSc") && !showAgents) world.DrawAllCells();
  if (showAgents) world.RepaintWorld();
}

}  // namespace simulation
