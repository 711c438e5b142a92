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

namespace measures_test {

// A world laid out by hand, with the main window's controls at their
// defaults and an analysis over it; no set-up, no simulation.
struct HandWorld {
  world::World w;
  simulation::ControlModel controls;
  measures::Analysis analysis{w};
  measures::AnalysisCharts charts{analysis, w};
  std::vector<world::UserError> reports;

  HandWorld(int cols, int rows, int groups) {
    simulation::BuildMainControls(controls, w);
    analysis.SetFieldTexts(simulation::AnalysisFieldTexts(controls));
    charts.SetTileSizeText(&controls.Text(simulation::MainControl::TileSize));
    w.GridCols = cols;
    w.GridRows = rows;
    w.GroupCount = groups;
    w.GroupCounts.assign(static_cast<std::size_t>(groups), 0);
    w.GroupColors.clear();
    for (int g = 0; g < groups; ++g) w.GroupColors.push_back(world::Rgb(10 * (g + 1), 20 * (g + 1), 30 * (g + 1)));
    w.Cells.Create(cols, rows);
    w.TileSize = 20;
    analysis.SetReporter([this](const world::UserError& e) { reports.push_back(e); });
  }

  // An agent of `group` (1..GroupCount) at (x, y), counted in its group.
  void Put(int x, int y, int group, double satisfaction = 0) {
    test_support::Put(w, x, y, group);
    w.Cells.Satisfaction[static_cast<std::size_t>(w.Cells.Index(x, y))] = satisfaction;
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

  void SetAgentField(int e) { controls.SetText(simulation::MainControl::AgentCount, world::IntToText(e)); }
  void SetTileSize(int t) { controls.SetText(simulation::MainControl::TileSize, world::IntToText(t)); }

  const std::string& Grid(int column, int row) const { return charts.DissimiGrid(column, row); }
};

}  // namespace measures_test
