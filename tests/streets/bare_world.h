#pragma once

#include <utility>
#include <vector>

#include "core/world/controls.h"
#include "core/world/main_controls.h"
#include "core/world/painter.h"
#include "core/world/world.h"

namespace streets::testing {

// Remembers what was painted, in order.
struct RecordingPainter : world::WorldPainter {
  std::vector<std::pair<int, int>> Cells;
  int AllCells = 0;
  int Repaints = 0;
  void DrawCell(int x, int y) override { Cells.emplace_back(x, y); }
  void DrawAgent(const world::TAgent&) override {}
  void DrawAllCells() override { ++AllCells; }
  void RepaintWorld() override { ++Repaints; }
  void CreateImage() override {}
};

// A world of cols x rows plain cells without agents, with the main window's
// controls at their defaults and a recording painter.
struct BareWorld {
  world::World World;
  world::ControlModel Controls;
  RecordingPainter Painter;

  explicit BareWorld(int cols, int rows = -1, int cellSize = 6) {
    if (rows < 0) rows = cols;
    world::BuildMainControls(Controls, World);
    World.CellSize = cellSize;
    World.HalfCell = (cellSize + 1) / 2;
    World.GridCols = cols;
    World.GridRows = rows;
    World.NbRadius = 1;
    World.Cells.Create(cols, rows);
    for (int i = 0; i < cols * rows; ++i) {
      World.Cells.StreetValue[i] = 1.0;
      World.Cells.DisplayColor[i] = world::kWhite;
    }
    World.StreetGrid.Assign(cols, rows, 0);
    World.Rng.Seed(7);
    World.Painter = &Painter;
  }
  BareWorld(const BareWorld&) = delete;
  BareWorld& operator=(const BareWorld&) = delete;

  int TypeAt(int x, int y) const { return World.Cells.StreetType[World.Cells.Index(x, y)]; }
  world::ColorRef ColorAt(int x, int y) const { return World.Cells.DisplayColor[World.Cells.Index(x, y)]; }
};

}  // namespace streets::testing
