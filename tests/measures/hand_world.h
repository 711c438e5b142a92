#pragma once

#include <string>
#include <vector>

#include "simulation/controls.h"
#include "world/convert.h"
#include "simulation/main_controls.h"
#include "world/world.h"
#include "measures/analysis.h"
#include "measures/analysis_charts.h"
#include "simulation/simulation.h"
#include "tests/support/world_builder.h"

namespace test_support {

// A world laid out by hand on the shared bare world, with the main window's
// controls at their defaults and an analysis over it; no set-up, no simulation.
struct HandWorld : BareWorld {
  measures::Analysis analysis{World};
  measures::AnalysisCharts charts{analysis, World};
  std::vector<world::UserError> reports;

  HandWorld(int cols, int rows, int groups) : BareWorld(cols, rows) {
    analysis.SetFieldTexts(simulation::AnalysisFieldTexts(Controls));
    charts.SetTileSizeText(&Controls.Text(simulation::MainControl::TileSize));
    World.GroupCount = groups;
    World.GroupCounts.assign(static_cast<std::size_t>(groups), 0);
    World.GroupColors.clear();
    for (int g = 0; g < groups; ++g) {
      World.GroupColors.push_back(world::Rgb(10 * (g + 1), 20 * (g + 1), 30 * (g + 1)));
    }
    World.TileSize = 20;
    analysis.SetReporter([this](const world::UserError& e) { reports.push_back(e); });
  }

  // An agent of `group` (1..GroupCount) at (x, y), counted in its group.
  void Put(int x, int y, int group, double satisfaction = 0) {
    test_support::Put(World, x, y, group);
    World.Cells.Satisfaction[static_cast<std::size_t>(World.Cells.Index(x, y))] = satisfaction;
  }

  // Every cell of the rectangle [x0, x1] x [y0, y1] taken by `group`.
  void Fill(int x0, int y0, int x1, int y1, int group) {
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) Put(x, y, group);
    }
  }

  // A fresh analysis for this world, then one segregation computation.
  bool ResetAndCompute() {
    analysis.ResetAnalysis();
    return analysis.ComputeSegregation();
  }

  void SetAgentField(int e) { Controls.SetText(simulation::MainControl::AgentCount, world::IntToText(e)); }
  void SetTileSize(int t) { Controls.SetText(simulation::MainControl::TileSize, world::IntToText(t)); }

  const std::string& Grid(int column, int row) const { return charts.DissimiGrid(column, row); }
};

}  // namespace test_support
