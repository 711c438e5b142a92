#include "simulation.h"

#include <atomic>
#include <chrono>

#include "street_controls.h"
#include "main_controls.h"
#include "streets/street_field.h"

namespace simulation {

measures::Analysis::FieldTexts AnalysisFieldTexts(const ControlModel& controls) {
  return {&controls.Text(MainControl::ClusterThreshold), &controls.Text(MainControl::AgentCount)};
}

namespace {

// Clock seed mixed with a per-process counter, so that two set-ups in the
// same clock tick never share a seed.
std::uint64_t ClockSeed() {
  static std::atomic<std::uint64_t> counter{0};
  const auto now = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  const std::uint64_t n = counter.fetch_add(1, std::memory_order_relaxed) + 1;
  std::uint64_t z = now ^ (n * 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 33)) * 0xff51afd7ed558ccdULL;
  return z ^ (z >> 33);
}

// Milliseconds of a counter that started long before the program.
std::int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

Simulation::Simulation(SeedSource seeds, Clock clock, FirstAgents first) : analysis(world) {
  SetSeedSource(std::move(seeds));
  SetClock(std::move(clock));
  world.AgentSize = 2;
  BuildMainControls(controls, world);
  analysis.SetFieldTexts(AnalysisFieldTexts(controls));
  analysisCharts.SetTileSizeText(&controls.Text(MainControl::TileSize));
  BuildWorld(ReadSetupSettings(), first);
  // Window creation clears all streets after the first set-up.
  world.StreetGrid.Fill(0);
  std::fill(world.Cells.StreetType.begin(), world.Cells.StreetType.end(), 0);
  world.StreetSegments.clear();
  simulation::ImprintStreets(world, controls);
  controls.SetPosition(MainControl::AgentSizeUpDown, world.AgentSize);
}

void Simulation::SetSeedSource(SeedSource seeds) {
  seeds_ = seeds ? std::move(seeds) : SeedSource(ClockSeed);
}

void Simulation::SetClock(Clock clock) { clock_ = clock ? std::move(clock) : Clock(SteadyMilliseconds); }

void Simulation::Report(const world::UserError& error) {
  if (reporter_) reporter_(error);
}

void Simulation::MainWindowShown() {
  if (controls.Checked(MainControl::IndividualThresholds)) FillTolerancePercent();
  ConvertTolerance();
}

void Simulation::B_setupClick() {
  NewSetup();
  controls.SetText(MainControl::StepsLabel, world::IntToText(world.StepCount));
}

void Simulation::B_stopClick() {
  const bool red = controls.Get(MainControl::StartStop).FontColor == world::kRed;
  controls.SetFontColor(MainControl::StartStop, red ? world::kGreen : world::kRed);
  analysis.ClearClusterMarks();
  if (!Running() && world.StreetsDirty) {
    simulation::ImprintStreets(world, controls);
    world.RepaintWorld();
  }
  SetRunning(!Running());
}

void Simulation::B_imprintClick() { simulation::ImprintStreets(world, controls); }

void Simulation::UpdateSpeedDisplay() {
  ++frameCounter_;
  const std::int64_t now = clock_();
  const std::int64_t elapsed = now - lastUpdate_;
  if (elapsed < 1000) return;
  const auto fps = world::Round(static_cast<double>(frameCounter_) / static_cast<double>(elapsed) * 1000.0);
  lastUpdate_ = now;
  frameCounter_ = 0;
  controls.SetText(MainControl::Caption, "Group seperation || fps= " + world::IntToText(fps));
}

}  // namespace simulation
