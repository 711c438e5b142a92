#include <algorithm>

#include "street_controls.h"
#include "main_controls.h"
#include "simulation.h"
#include "streets/street_field.h"

namespace simulation {

using world::IntToText;
using world::Round;

struct Simulation::Placement {
  double MinRent = 0;
  double MaxRent = 0;
  double BudgetStep = 0;
  bool RentActive = false;
  bool StreetOccupation = false;
  bool GroupSizes = false;
  int Total = 0;  // the number of agents setting
};

SetupSettings Simulation::ReadSetupSettings() const {
  SetupSettings s;
  s.CellSize = controls.Int(MainControl::CellSize);
  s.Radius = controls.Int(MainControl::Radius);
  s.MoveDistance = controls.Int(MainControl::MoveDistance);
  s.GroupCount = controls.Int(MainControl::GroupCount);
  s.AgentCount = controls.Int(MainControl::AgentCount);
  s.GrowthActive = controls.Checked(MainControl::Growth);
  if (s.GrowthActive) s.StartGrowWith = controls.Int(MainControl::GrowthStart);
  s.GroupSizesActive = controls.Checked(MainControl::IndividualGroupSizes);
  s.RentActive = controls.Checked(MainControl::RentLandscape);
  s.MinRent = ReadRent(MainControl::RentMin, "min rent");
  s.MaxRent = ReadRent(MainControl::RentMax, "max rent");
  s.TileSize = controls.Int(MainControl::TileSize);
  s.StopStep = controls.Int(MainControl::StopStep);
  s.Threshold = controls.Position(MainControl::Threshold);
  s.DrawWhileMoving = controls.Checked(MainControl::RunWithGraphic);

  // The palette and the rent spacing divide by GroupCount - 1.
  if (s.GroupCount < 2) throw world::MissingValue("the number of groups must be at least 2");
  // Per-group tables grow with the square of the count: no more than the up-down offers.
  if (const int most = controls.Get(MainControl::GroupCountUpDown).Max; s.GroupCount > most) {
    throw world::MissingValue("the number of groups must be at most " + IntToText(most));
  }
  if (s.CellSize < 1 || s.CellSize > world::kPanelWidth / 20) {
    throw world::MissingValue("the cell size must lie between 1 and " + IntToText(world::kPanelWidth / 20));
  }
  if (s.Radius < 1) throw world::MissingValue("the neighbourhood radius must be at least 1");
  // (2 * radius + 1)^2 positions must stay countable in an int.
  if (const int most = controls.Get(MainControl::RadiusUpDown).Max; s.Radius > most) {
    throw world::MissingValue("the neighbourhood radius must be at most " + IntToText(most));
  }
  if (s.AgentCount < 0 || (s.GrowthActive && s.StartGrowWith < 0)) {
    throw world::MissingValue("the number of agents must not be negative");
  }
  // The imprint at the end of set-up must not stop half way.
  simulation::ParseNeededWeights(world, controls);
  return s;
}

std::vector<world::ColorRef> Simulation::BuildPalette(int n) {
  std::vector<world::ColorRef> colors(static_cast<std::size_t>(std::max(0, n)));
  const double step = 1275.0 / (n - 1);
  for (int i = 0; i < n; ++i) {
    const int a = static_cast<int>(Round(step * i));
    world::ColorRef c;
    if (a <= 255) {
      c = world::Rgb(255, a, 0);
    } else if (a <= 510) {
      c = world::Rgb(510 - a, 255, 0);
    } else if (a <= 765) {
      c = world::Rgb(0, 255, a - 510);
    } else if (a <= 1020) {
      c = world::Rgb(0, 1020 - a, 255);
    } else {
      c = world::Rgb(a - 1020, 0, 255);
    }
    colors[static_cast<std::size_t>(i)] = c;
  }
  return colors;
}

void Simulation::NewSetup() {
  const SetupSettings settings = ReadSetupSettings();
  // Destroying the old world: cells, agents and the per-group rent controls.
  for (int g = 1; controls.Has(RentEditName(g)) || controls.Has(RentLabelName(g)); ++g) {
    controls.Remove(RentLabelName(g));
    controls.Remove(RentEditName(g));
  }
  world.Cells.Clear();
  world.Agents.clear();
  BuildWorld(settings);
  analysis.ResetAnalysis();
}

void Simulation::ResizeTables() {
  const int g = world.GroupCount;
  world.GroupTolerance.ResizeKeep(g, g + 1);
  world.TolerancePercent.ResizeKeep(g, g + 1);
  world.KindCounts.assign(static_cast<std::size_t>(g) + 1, 0);
  // Group sizes need a share per group: a changed number of groups starts from equal shares.
  if (static_cast<int>(world.GroupShares.size()) != g) world.GroupShares.assign(static_cast<std::size_t>(g), 100.0 / g);
}

void Simulation::BuildWorld(const SetupSettings& s, FirstAgents agents) {
  auto& w = world;
  w.Rng.Seed(seeds_());
  w.CellSize = s.CellSize;
  w.NbRadius = s.Radius;
  w.MoveDistance = s.MoveDistance;
  w.HalfCell = (s.CellSize + 1) / 2;
  w.GridCols = static_cast<int>(Round(static_cast<double>(world::kPanelWidth) / s.CellSize));
  w.GridRows = static_cast<int>(Round(static_cast<double>(world::kPanelHeight) / s.CellSize));
  w.GroupCount = s.GroupCount;
  w.StreetsDirty = false;
  w.GroupColors = BuildPalette(w.GroupCount);
  w.GroupCounts.assign(static_cast<std::size_t>(w.GroupCount), 0);
  // Spreading the rents sizes and overwrites the buffer; a world without a
  // rent landscape never touches it.
  w.RentBuffer.clear();
  w.StreetGrid.ResizeKeep(w.GridCols, w.GridRows);
  ResizeTables();
  w.Agents.clear();
  if (w.Painter) w.Painter->CreateImage();

  auto& cells = w.Cells;
  // Every other field of a created cell is zero already.
  cells.Create(w.GridCols, w.GridRows);
  std::fill(cells.DisplayColor.begin(), cells.DisplayColor.end(), world::kWhite);
  std::fill(cells.StreetValue.begin(), cells.StreetValue.end(), 1.0);
  if (w.Painter) {
    for (int y = 0; y < w.GridRows; ++y) {
      for (int x = 0; x < w.GridCols; ++x) w.DrawCell(x, y);
    }
  }
  w.Field = {};
  simulation::ApplyStreetGrid(w, controls);

  // Initial population.
  placementStopped_ = false;
  const int n = s.GrowthActive ? s.StartGrowWith : s.AgentCount;
  groupCursor_ = 0;
  if (s.GroupSizesActive) groupBoundary_ = Round(s.AgentCount * (0.01 * w.GroupShares[0]));
  Placement placement;
  placement.MinRent = s.MinRent;
  placement.MaxRent = s.MaxRent;
  placement.BudgetStep = (s.MaxRent - s.MinRent) / w.GroupCount;
  placement.RentActive = s.RentActive;
  placement.StreetOccupation = controls.Checked(MainControl::StreetOccupation);
  placement.GroupSizes = s.GroupSizesActive;
  placement.Total = s.AgentCount;
  if (n > 0) controls.SetText(MainControl::BudgetLabel, world::FormatTwoDecimals(placement.BudgetStep));
  const int placed = agents == FirstAgents::Placed ? n : 0;
  // No more agents than cells can stand on the grid, whatever the field says.
  w.Agents.reserve(static_cast<std::size_t>(std::clamp(placed, 0, w.Cells.Count())));
  for (int i = 0; i < placed; ++i) {
    w.Agents.emplace_back();
    if (!PlaceAgent(i, placement)) break;
  }

  w.StepCount = 0;
  w.TileSize = s.TileSize;
  w.StopStep = s.StopStep;
  w.Threshold = s.Threshold;
  w.DrawWhileMoving = s.DrawWhileMoving;
  w.NbCellCount = (2 * s.Radius + 1) * (2 * s.Radius + 1);
  controls.SetText(MainControl::ThresholdLabel, IntToText(w.Threshold));
  controls.SetText(MainControl::CellSizeLabel, IntToText(w.GridRows) + " x " + IntToText(w.GridCols) + " = " +
                                                   IntToText(static_cast<long long>(w.GridRows) * w.GridCols));
  controls.SetPosition(MainControl::ThresholdUpDown, w.Threshold);
  BuildRentControls();
}

Simulation::Placement Simulation::ReadPlacement(int total) const {
  Placement p;
  p.MinRent = ReadRent(MainControl::RentMin, "min rent");
  p.MaxRent = ReadRent(MainControl::RentMax, "max rent");
  p.BudgetStep = (p.MaxRent - p.MinRent) / world.GroupCount;
  p.RentActive = controls.Checked(MainControl::RentLandscape);
  p.StreetOccupation = controls.Checked(MainControl::StreetOccupation);
  p.GroupSizes = controls.Checked(MainControl::IndividualGroupSizes);
  p.Total = total;
  return p;
}

bool Simulation::ChooseCell(int& x, int& y, bool streetOccupation) {
  auto& cells = world.Cells;
  auto allowed = [&](int i) { return !cells.Occupied[i] && (streetOccupation || cells.StreetType[i] == 0); };
  for (int attempt = 0; attempt < 1000; ++attempt) {
    x = world.Rng.NextInt(world.GridCols);
    y = world.Rng.NextInt(world.GridRows);
    if (allowed(cells.Index(x, y))) return true;
  }
  // 1000 draws missed: take one of the free allowed cells, if any, uniformly.
  // Stacking two agents on one cell would later leave a cell marked empty
  // under an agent.
  int free = 0;
  for (int i = 0; i < cells.Count(); ++i) free += allowed(i) ? 1 : 0;
  if (free == 0) return false;
  int pick = world.Rng.NextInt(free);
  for (int i = 0; i < cells.Count(); ++i) {
    if (allowed(i) && pick-- == 0) {
      x = i % cells.Cols;
      y = i / cells.Cols;
      return true;
    }
  }
  return false;
}

bool Simulation::PlaceAgent(int index, const Placement& p) {
  auto& w = world;
  world::TAgent& agent = w.Agents[static_cast<std::size_t>(index)];
  int x = 0, y = 0;
  if (!ChooseCell(x, y, p.StreetOccupation)) {
    w.Agents.erase(w.Agents.begin() + index);
    if (!placementStopped_) {
      placementStopped_ = true;
      Report(world::MissingValue("no free cell is left for more agents: " + IntToText(w.NumberOfAgents()) +
                                 " agents placed"));
    }
    return false;
  }
  agent.CellX = x;
  agent.CellY = y;
  agent.PixelX = w.PositionX(x);
  agent.PixelY = w.PositionY(y);
  agent.Radius = w.AgentSize;
  agent.Satisfied = false;
  if (p.GroupSizes) {
    if (w.NumberOfAgents() > groupBoundary_) {
      groupCursor_ = std::min(groupCursor_ + 1, w.GroupCount - 1);
      groupBoundary_ += Round(p.Total * (0.01 * w.GroupShares[static_cast<std::size_t>(groupCursor_)]));
    }
    agent.Group = groupCursor_ + 1;
  } else {
    agent.Group = 1 + w.Rng.NextInt(w.GroupCount);
  }
  agent.Color = w.GroupColors[static_cast<std::size_t>(agent.Group - 1)];
  agent.Budget = p.RentActive ? p.MinRent + agent.Group * p.BudgetStep : p.MaxRent;
  w.DrawAgent(agent);
  const int i = w.Cells.Index(x, y);
  w.Cells.Occupied[i] = 1;
  w.Cells.State[i] = agent.Group;
  ++w.GroupCounts[static_cast<std::size_t>(agent.Group - 1)];
  return true;
}

void Simulation::GrowPopulation() {
  if (controls.Checked(MainControl::Growth)) {
    const int ceiling = controls.Int(MainControl::AgentCount);
    if (ceiling > world.NumberOfAgents()) {
      const int m = controls.Int(MainControl::GrowthRate);
      const Placement placement = ReadPlacement(ceiling);
      if (m > 0) controls.SetText(MainControl::BudgetLabel, world::FormatTwoDecimals(placement.BudgetStep));
      for (int k = 0; k < m; ++k) {
        world.Agents.emplace_back();
        if (!PlaceAgent(world.NumberOfAgents() - 1, placement)) break;
      }
    }
  }
  controls.SetText(MainControl::AgentCountLabel, IntToText(world.NumberOfAgents() - 1));
}

}  // namespace simulation
