#include "simulation.h"

namespace simulation {

void Simulation::TimeStep() {
  GrowPopulation();
  MoveAgents();
  if (controls.Checked(MainControl::RentLandscape)) SmoothRent();
  ++world.StepCount;
  controls.SetText(MainControl::StepsLabel, world::IntToText(world.StepCount));
  analysis.RecordStep();
  UpdateSpeedDisplay();
  // Only equality stops: a stop step already passed lets the run go on.
  if (world.StepCount == world.StopStep) {
    SetRunning(false);
    controls.SetFontColor(MainControl::StartStop, world::kRed);
  }
  // RepaintWorld begins with every cell: with both boxes checked the cells
  // need painting only once for the same picture.
  const bool showAgents = controls.Checked(MainControl::ShowAgents);
  if (controls.Checked(MainControl::ShowRentLandscape) && !showAgents) world.DrawAllCells();
  if (showAgents) world.RepaintWorld();
}

}  // namespace simulation
